// The elevation colour layering dialog behind _SetHeightColorDlg.
//   CHeightColorDlg
#pragma once
#include "afx/afxcmn.h"
#include "afx/afxwin.h"
#include <string>
#include <vector>

#include "heightcolor/colorlayerlist.h"
#include "heightcolor/layers.h"
#include "include/oroscape.h"

// Edits the host's HeightColorInfo in place (template 4015). Two modes: table mode spreads the
// colours of a stored table evenly over the elevation range; custom mode gives even layers
// with a green ramp whose limits and colours the user edits, blends colours between picked
// layers (continuous tone) and saves the colours as a new table. Limit and colour edits land
// in the record at once, whatever the dialog's result; the name and the layer count are
// written only on OK. Built on the export's stack, run modally, destroyed there.
class CHeightColorDlg : public CDialog {
public:
    // Neither pointer is kept beyond the dialog's life; both stay the caller's.
    CHeightColorDlg(const float* heightRange, HeightColorInfo* info, CWnd* pParent = nullptr);
    ~CHeightColorDlg() override;

    // Writes colors[0..m_nLayers) as the table name in the host's HeightLut folder. 1 when
    // written, 0 when not (null or invalid name, no host directory, the file cannot be made).
    short SaveColorTable(const char* name, const LayerColor* colors);

    CButton m_btnSave;
    CButton m_btnApply;
    CColorLayerList m_listLayers;
    CSpinButtonCtrl m_spinLayers;
    BOOL m_bContinuous;
    BOOL m_bAllowLimitEdit;
    BOOL m_bCustomLayers;
    short m_nLayers;         // 1 to 256 whenever the dialog acts on it
    CEdit m_editLayers;
    CComboBox m_comboTables;
    CButton m_chkContinuous;
    CButton m_chkAllowLimitEdit;
    short m_nColumnsInserted;
    CImageList m_imageList;
    HICON m_hIcon;           // the icon shown at the screen's resolution; owned, null for none
    const float* m_pHeightRange;
    HeightColorInfo* m_pInfo;
    float (*m_pLimits)[2];
    LayerColor* m_pColors;
    char m_szTableName[128];
    // Continuous tone marks, one per layer, non-zero for a layer whose colour the user picked;
    // owned, null while continuous tone is off. Always m_nMarks long, and m_nMarks follows the
    // layer count, so no mark is ever read or written outside the array.
    char* m_pMarks;
    int m_nMarks;

    // Keys of the modal loop, before the dialog manager: paste a ramp (Ctrl+V, Shift+Insert)
    // with the focus anywhere but in an edit, copy the layers (Ctrl+C, Ctrl+Insert) with the
    // focus in the layer list. Edits keep their own keys.
    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;

    void EnableCustomControls(BOOL bCustom);
    // Runs during start-up: the icon static shows the image of icon 4019 nearest to the size
    // the screen's resolution asks for, at its own size.
    void ShowIconForResolution();
    // Reads the table m_szTableName and, only when that succeeds, puts its colours into the
    // record, its entry count into m_nLayers and spreads the layers over the range. 1 or 0.
    BOOL LayersFromTable();
    // Makes the named table the dialog's: its layers spread and listed. A table that cannot be
    // read leaves the record, the name, the list and the combo's choice as they were (FALSE).
    BOOL SwitchTable(const char* name);
    // Custom spread with a green ramp over the range, for the count in the controls.
    void MakeEvenLayers();
    void FillLayerList();
    void UpdateLayerRow(int row);

    void OnAllowLimitEdit();
    void OnCustomLayers();
    LRESULT OnEditLayerCell(WPARAM wParam, LPARAM lParam);
    void OnVScroll(UINT nSBCode, UINT nPos, CWnd* pScrollBar);
    void OnSelchangeTables();
    void OnApply();
    void OnContinuous();
    void OnSave();
    // A file dropped from the file manager: the first one becomes the layers as a paste does
    // (a .lut colour table's colours spread evenly over the range).
    LRESULT OnDropFiles(WPARAM wParam, LPARAM lParam);

private:
    // Ramps from outside (heightcolordlg_ramps.cpp). Each either makes the layers the ramp's or
    // shows a warning saying why not and leaves the record, the count and the list as they were.
    void PasteRamp();
    void CopyLayers();
    // bytes of a ramp source (path names a dropped file, empty for a paste) over the range.
    void TakeRamp(const std::string& path, const std::string& bytes);
    // A dropped .lut: its colours spread evenly over the range.
    void TakeTable(const std::wstring& fileTitle, const std::string& bytes);
    // The layers become the record's: custom mode, continuous tone off and no marks, the count in
    // the edit and the spin, the list refilled, the working table name emptied.
    void UseLayers(const std::vector<ColorLayer>& layers);

    // Takes the values from the controls. On a failed validation the prompt has been shown and
    // the layer count keeps its last valid value, so no invalid count ever drives the arrays.
    BOOL TakeValues();
    void SetTableName(const char* name);
    // Selects the first entry after the first (wrapping) that begins with name, ignoring case.
    void SelectTable(const char* name);
    bool IsTableListed(const CString& name) const;
    void SetRowTexts(int row, bool insert);
    // Makes (on) or releases (off) the marks array, all zero, one byte per layer.
    void ResetMarks(bool on);
    // Keeps an existing marks array as long as the layer count: marks of layers that remain
    // stay, new layers start unmarked.
    void SyncMarks();

    DECLARE_MESSAGE_MAP()
};
