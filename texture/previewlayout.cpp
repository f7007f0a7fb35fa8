#include "texture/previewlayout.h"

#include <string.h>

namespace {

// The row shared by both layouts: Cancel right-aligned with the type box, Open g to its left,
// both 2g under the type box.
void PlaceButtonRow(PreviewLayout& out, const LayoutRect& ok, const LayoutRect& cancel,
                    const LayoutRect& typeBox, int g)
{
    out.rowY = typeBox.bottom + 2 * g;
    out.cancelX = typeBox.right - cancel.Width();
    out.okX = out.cancelX - g - ok.Width();
}

}  // namespace

PreviewLayout InitialPreviewLayout(const LayoutRect& ok, const LayoutRect& cancel,
                                   const LayoutRect& typeBox, const LayoutRect& fileList)
{
    const int g = cancel.top - ok.bottom;
    PreviewLayout out;
    PlaceButtonRow(out, ok, cancel, typeBox, g);
    out.pane.left = typeBox.right + g;
    out.pane.top = ok.top;
    out.pane.right = fileList.right;
    out.pane.bottom = out.rowY + ok.Height();
    return out;
}

PreviewLayout ResizedPreviewLayout(const LayoutRect& ok, const LayoutRect& cancel,
                                   const LayoutRect& typeBox, const LayoutRect& nameBox,
                                   const LayoutRect& client)
{
    const int g = cancel.left - ok.right;
    PreviewLayout out;
    PlaceButtonRow(out, ok, cancel, typeBox, g);
    out.pane.left = typeBox.right + g;
    out.pane.top = nameBox.top;
    out.pane.right = client.right - g;
    out.pane.bottom = out.rowY + ok.Height();
    return out;
}

int PreviewRowShortfall(const PreviewLayout& layout, int buttonHeight, int gap,
                        const LayoutRect& client)
{
    const int needed = layout.rowY + buttonHeight + (gap > 0 ? gap : 0);
    return needed > client.bottom ? needed - client.bottom : 0;
}

bool IsPreviewableBitmap(int width, int height, int bitsPerPixel)
{
    return bitsPerPixel >= kPreviewMinBitsPerPixel && width > 0 && height > 0 &&
           width <= kPreviewMaxSide && height <= kPreviewMaxSide;
}

bool IsBitmapExtension(const std::wstring& extension)
{
    static const wchar_t kBmp[] = L"bmp";
    if (extension.size() != 3)
        return false;
    for (size_t i = 0; i < 3; ++i) {
        wchar_t c = extension[i];
        if (c >= L'A' && c <= L'Z')
            c = static_cast<wchar_t>(c - L'A' + L'a');
        if (c != kBmp[i])
            return false;
    }
    return true;
}

std::wstring ComposePreviewPath(const std::wstring& folder, const std::wstring& name,
                                const std::wstring& extension)
{
    if (name.empty())
        return std::wstring();
    std::wstring path = folder;
    if (path.empty() || path.back() != L'\\')
        path += L'\\';
    path += name;
    if (path.find(L'.') == std::wstring::npos) {
        path += L'.';
        path += extension;
    }
    return path;
}

std::wstring ResolvePreviewPath(const std::wstring& folder, const std::wstring& name,
                                const std::wstring& extension,
                                const std::function<bool(const std::wstring&)>& exists)
{
    const std::wstring composed = ComposePreviewPath(folder, name, extension);
    if (composed.empty() || exists(composed))
        return composed;
    const size_t leaf = name.find_last_of(L"\\/");
    if (name.find(L'.', leaf == std::wstring::npos ? 0 : leaf + 1) != std::wstring::npos)
        return composed;  // the name has an extension of its own
    // The name with the type's extension holds a dot, so the composition adds nothing more.
    const std::wstring typed = ComposePreviewPath(folder, name + L'.' + extension, extension);
    return exists(typed) ? typed : composed;
}

bool CopyChosenPath(const char* path, size_t length, char* out, size_t cap)
{
    if (path == nullptr || out == nullptr || length >= cap)
        return false;
    memcpy(out, path, length);
    out[length] = '\0';
    return true;
}
