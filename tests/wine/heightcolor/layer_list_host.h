// The layer list outside the layering dialog: a dialog on the layering template that hosts the
// list and fills it as the layering dialog does, one row per given layer. The programs that use
// it hold the library's code.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "afx/afxdd.h"
#include "heightcolor/colorlayerlist.h"
#include "res/resource.h"

struct HostedLayer {
    std::wstring number, lower, upper;
    COLORREF color;
};

class CLayerListHostDlg : public CDialog {
public:
    explicit CLayerListHostDlg(std::vector<HostedLayer> layers)
        : CDialog(IDD_HEIGHT_COLOR), m_layers(std::move(layers)) {}

    CColorLayerList m_list;
    std::vector<HostedLayer> m_layers;

protected:
    void DoDataExchange(CDataExchange* pDX) override { DDX_Control(pDX, IDC_LAYER_LIST, m_list); }
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        m_list.SetupColumns(4);
        for (int i = 0; i < 4; ++i)
            m_list.InsertColumn(i, L"", LVCFMT_CENTER, m_list.ColumnWidth(i));
        for (int r = 0; r < static_cast<int>(m_layers.size()); ++r) {
            const HostedLayer& layer = m_layers[static_cast<size_t>(r)];
            m_list.InsertItem(r, layer.number.c_str());
            m_list.SetItemText(r, 1, layer.lower.c_str());
            m_list.SetItemText(r, 2, layer.upper.c_str());
            m_list.SetItemText(r, 3, std::to_wstring(static_cast<long>(layer.color)).c_str());
        }
        return TRUE;
    }
};
