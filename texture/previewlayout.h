// The texture chooser's arithmetic: where the Open and Cancel buttons and the preview pane go
// in the open-file dialog, which bitmaps the pane draws, the path it previews, and the copy
// of the chosen path into the host's buffer. Windows-free: CPreViewTexDlg (previewtexdlg.h)
// measures the dialog's controls and applies the results.
#pragma once
#include <stddef.h>

#include <functional>
#include <string>

// A rectangle in the common dialog's client coordinates (the fields of a RECT).
struct LayoutRect {
    int left, top, right, bottom;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

// A relayout: the two buttons move to (okX, rowY) and (cancelX, rowY) at their own sizes;
// the preview pane takes `pane`.
struct PreviewLayout {
    int okX, cancelX, rowY;
    LayoutRect pane;
};

// The layout made when the chooser starts, from the platform's own placement: Open above
// Cancel at the right of the file-name and file-type boxes. g = top(Cancel) - bottom(Open).
// The buttons form a row 2g under the type box, right-aligned with it and g apart; the pane
// takes the column they left: from right(type box) + g to the right edge of the file list,
// from the old top of Open down to the bottom of the row.
PreviewLayout InitialPreviewLayout(const LayoutRect& ok, const LayoutRect& cancel,
                                   const LayoutRect& typeBox, const LayoutRect& fileList);

// The layout made at each resize, once the buttons stand in a row: g = left(Cancel) -
// right(Open); the same row under the type box; the pane from the top of the name box to the
// bottom of the row, and from right(type box) + g to g inside the client area's right edge.
PreviewLayout ResizedPreviewLayout(const LayoutRect& ok, const LayoutRect& cancel,
                                   const LayoutRect& typeBox, const LayoutRect& nameBox,
                                   const LayoutRect& client);

// How many pixels the client area must grow downwards so that the button row of `layout`
// (buttons `buttonHeight` high) and a margin of `gap` under it fit; 0 when they already do.
int PreviewRowShortfall(const PreviewLayout& layout, int buttonHeight, int gap,
                        const LayoutRect& client);

// Pictures the pane draws: at least 16 bits per pixel, each side 1 to 511 pixels.
const int kPreviewMinBitsPerPixel = 16;
const int kPreviewMaxSide = 511;
bool IsPreviewableBitmap(int width, int height, int bitsPerPixel);

// Whether the current file type's extension is the bitmap one ("bmp", any letter case).
bool IsBitmapExtension(const std::wstring& extension);

// The file to preview for the name in the file-name box: folder, a backslash (none added when
// the folder already ends in one), the name; when the whole path holds no '.' at all, "." and
// the file type's extension are appended. Empty for an empty name.
std::wstring ComposePreviewPath(const std::wstring& folder, const std::wstring& name,
                                const std::wstring& extension);

// The file to preview, on disk: ComposePreviewPath's path when `exists` says that file is there.
// Otherwise, when the name itself has no extension (Windows hides known extensions, so its
// name box says "photo" for photo.bmp, and a dot in a folder such as C:\Users\first.last keeps
// the rule above from adding one), the folder and the name with "." and the type's extension,
// when that file is there. Failing both, ComposePreviewPath's path.
std::wstring ResolvePreviewPath(const std::wstring& folder, const std::wstring& name,
                                const std::wstring& extension,
                                const std::function<bool(const std::wstring&)>& exists);

// The host's buffer for the chosen path: MAX_PATH bytes, terminator included.
const size_t kChosenPathCap = 260;

// Copies the chosen path (ANSI bytes, `length` of them, no terminator counted) and a
// terminator into out, which holds cap bytes. A path that does not fit whole is refused:
// false, and out is not written.
bool CopyChosenPath(const char* path, size_t length, char* out, size_t cap);
