// chooser_support.h: what the texture chooser's tests need around the dialog.
//   test::PictureFolder (a temporary folder of bitmaps), test::WriteBitmap, test::ColorShare (the preview
//   pane's pixels), test::GdiObjectCount.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace test {

// Writes an uncompressed bottom-up bitmap file of one colour: 8 bits per pixel (a palette whose
// entry 0 is the colour), 16 (5-5-5) or 24. False when the file cannot be written.
bool WriteBitmap(const std::wstring& path, int width, int height, int bitsPerPixel, COLORREF color);

// A fresh folder under the temporary folder, removed with everything in it when the object goes.
class PictureFolder {
public:
    PictureFolder();
    ~PictureFolder();
    PictureFolder(const PictureFolder&) = delete;
    PictureFolder& operator=(const PictureFolder&) = delete;

    const std::wstring& Path() const { return path_; }  // no trailing backslash
    // Writes <folder>\<relative> (subfolders made as needed); returns the full path.
    std::wstring Bitmap(const std::wstring& relative, int width, int height, int bitsPerPixel, COLORREF color);
    // Makes <folder>\<relative> and the folders above it; returns the full path.
    std::wstring Folder(const std::wstring& relative);

private:
    std::wstring path_;
};

// Share of a preview pane's inner pixels (inside a 4-pixel margin) within 24 of `color` per channel,
// from what the pane has painted (its own device context); 0 for a pane too small to judge.
double ColorShare(HWND pane, COLORREF color);

// GDI objects of this process: GetGuiResources where the system counts them; under Wine, which
// does not, the used entries of the process's GDI handle table.
long GdiObjectCount();

// The ANSI (CP_ACP) spelling of a wide string.
std::string Ansi(const std::wstring& s);

}  // namespace test
