// The texture chooser's arithmetic: the button row and the pane, the preview test, the path
// to preview and the copy into the host's buffer.
#include "texture/previewlayout.h"

#include <gtest/gtest.h>

#include <string.h>

#include <set>
#include <string>
#include <vector>

namespace {

// The open dialog as Wine 8 lays it out before the chooser moves anything (client
// coordinates): Open above Cancel, 7 pixels apart, at the right of the name and type boxes.
const LayoutRect kOpen{543, 315, 638, 340};
const LayoutRect kCancel{543, 347, 638, 372};
const LayoutRect kNameBox{215, 315, 530, 338};
const LayoutRect kTypeBox{215, 347, 530, 369};
const LayoutRect kFileList{112, 35, 637, 306};

LayoutRect Moved(const LayoutRect& r, int x, int y)
{
    return LayoutRect{x, y, x + r.Width(), y + r.Height()};
}

void ExpectRect(const LayoutRect& r, int left, int top, int right, int bottom)
{
    EXPECT_EQ(left, r.left);
    EXPECT_EQ(top, r.top);
    EXPECT_EQ(right, r.right);
    EXPECT_EQ(bottom, r.bottom);
}

TEST(PreviewLayout, InitialRowGoesUnderTheTypeBoxAndThePaneTakesTheFreedColumn)
{
    const PreviewLayout l = InitialPreviewLayout(kOpen, kCancel, kTypeBox, kFileList);
    // g = 347 - 340 = 7: the row stands 2g under the type box, Cancel flush with its right edge.
    EXPECT_EQ(369 + 14, l.rowY);
    EXPECT_EQ(530 - 95, l.cancelX);
    EXPECT_EQ(435 - 7 - 95, l.okX);
    // From right(type) + g to the list's right edge; from Open's old top to the row's bottom.
    ExpectRect(l.pane, 537, 315, 637, 383 + 25);
}

TEST(PreviewLayout, SpacingComesFromThePlatformsOwnPlacement)
{
    // Buttons 4 apart, 23 high, 75 wide (a classic dialog): every distance follows that g.
    const LayoutRect open{400, 300, 475, 323};
    const LayoutRect cancel{400, 327, 475, 350};
    const LayoutRect type{100, 327, 380, 348};
    const LayoutRect list{10, 10, 470, 290};
    const PreviewLayout l = InitialPreviewLayout(open, cancel, type, list);
    EXPECT_EQ(348 + 8, l.rowY);
    EXPECT_EQ(380 - 75, l.cancelX);
    EXPECT_EQ(305 - 4 - 75, l.okX);
    ExpectRect(l.pane, 384, 300, 470, 356 + 23);
}

TEST(PreviewLayout, ResizeKeepsTheRowAndStretchesThePaneToTheClientEdge)
{
    const PreviewLayout first = InitialPreviewLayout(kOpen, kCancel, kTypeBox, kFileList);
    const LayoutRect open = Moved(kOpen, first.okX, first.rowY);
    const LayoutRect cancel = Moved(kCancel, first.cancelX, first.rowY);
    const LayoutRect client{0, 0, 648, 415};

    const PreviewLayout l = ResizedPreviewLayout(open, cancel, kTypeBox, kNameBox, client);
    // g is now measured across the row: 435 - 428 = 7, so the row stays where it was.
    EXPECT_EQ(first.rowY, l.rowY);
    EXPECT_EQ(first.cancelX, l.cancelX);
    EXPECT_EQ(first.okX, l.okX);
    ExpectRect(l.pane, 537, 315, 648 - 7, 383 + 25);

    // A wider dialog only widens the pane; a second resize in a row changes nothing else.
    const PreviewLayout wider = ResizedPreviewLayout(Moved(open, l.okX, l.rowY), Moved(cancel, l.cancelX, l.rowY),
                                                     kTypeBox, kNameBox, LayoutRect{0, 0, 800, 415});
    EXPECT_EQ(l.okX, wider.okX);
    EXPECT_EQ(l.cancelX, wider.cancelX);
    EXPECT_EQ(l.rowY, wider.rowY);
    ExpectRect(wider.pane, 537, 315, 793, 408);
}

TEST(PreviewLayout, ShortfallIsWhatTheRowAndItsMarginLackBelow)
{
    const PreviewLayout l = InitialPreviewLayout(kOpen, kCancel, kTypeBox, kFileList);
    // The row ends at 408; with a 7-pixel margin it needs a client 415 high.
    EXPECT_EQ(20, PreviewRowShortfall(l, 25, 7, LayoutRect{0, 0, 648, 395}));
    EXPECT_EQ(1, PreviewRowShortfall(l, 25, 7, LayoutRect{0, 0, 648, 414}));
    EXPECT_EQ(0, PreviewRowShortfall(l, 25, 7, LayoutRect{0, 0, 648, 415}));
    EXPECT_EQ(0, PreviewRowShortfall(l, 25, 7, LayoutRect{0, 0, 648, 600}));
    // A nonsensical negative gap asks for no margin rather than less room.
    EXPECT_EQ(0, PreviewRowShortfall(l, 25, -3, LayoutRect{0, 0, 648, 408}));
}

TEST(PreviewLayout, EveryResolutionKeepsTheRowAndFillsTheColumnBesideIt)
{
    // Wine 8's open dialog after the chooser's first layout, at 100 %, 150 % and 200 %: the
    // platform's own spacing g grows with the resolution (7, 10, 14), and so does every
    // distance taken from it. Each layout is where a resize finds it: it must stay put.
    const struct {
        int dpi;
        LayoutRect open, cancel, type, name, client;
        LayoutRect pane;
    } rows[] = {
        {96, {333, 383, 428, 408}, {435, 383, 530, 408}, {215, 347, 530, 369}, {215, 315, 530, 338},
         {0, 0, 648, 431}, {537, 315, 641, 408}},
        {144, {478, 569, 613, 606}, {623, 569, 758, 606}, {308, 520, 758, 549}, {308, 473, 758, 503},
         {0, 0, 925, 642}, {768, 473, 915, 606}},
        {192, {619, 757, 795, 806}, {809, 757, 985, 806}, {400, 693, 985, 729}, {400, 630, 985, 667},
         {0, 0, 1203, 853}, {999, 630, 1189, 806}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.dpi);
        const PreviewLayout l = ResizedPreviewLayout(r.open, r.cancel, r.type, r.name, r.client);
        EXPECT_EQ(r.open.left, l.okX);
        EXPECT_EQ(r.cancel.left, l.cancelX);
        EXPECT_EQ(r.open.top, l.rowY);
        ExpectRect(l.pane, r.pane.left, r.pane.top, r.pane.right, r.pane.bottom);
        // The row and a margin of g fit the client: the dialog does not grow.
        EXPECT_EQ(0, PreviewRowShortfall(l, r.open.Height(), r.cancel.left - r.open.right, r.client));
        // The pane lies right of the type box and of Cancel, inside the client.
        EXPECT_GT(l.pane.left, r.type.right);
        EXPECT_GT(l.pane.left, l.cancelX + r.cancel.Width());
        EXPECT_LT(l.pane.right, r.client.right);
    }
}

TEST(PreviewBitmap, DrawsSixteenBitsOrMoreAndSidesUpTo511)
{
    EXPECT_TRUE(IsPreviewableBitmap(300, 200, 24));
    EXPECT_TRUE(IsPreviewableBitmap(64, 64, 16));
    EXPECT_TRUE(IsPreviewableBitmap(511, 511, 32));
    EXPECT_TRUE(IsPreviewableBitmap(1, 1, 24));

    EXPECT_FALSE(IsPreviewableBitmap(64, 64, 8));
    EXPECT_FALSE(IsPreviewableBitmap(64, 64, 15));
    EXPECT_FALSE(IsPreviewableBitmap(64, 64, 1));
    EXPECT_FALSE(IsPreviewableBitmap(512, 10, 24));
    EXPECT_FALSE(IsPreviewableBitmap(10, 512, 24));
    EXPECT_FALSE(IsPreviewableBitmap(0, 10, 24));
    EXPECT_FALSE(IsPreviewableBitmap(10, -5, 24));
}

TEST(PreviewBitmap, BitmapExtensionIgnoresLetterCaseOnly)
{
    EXPECT_TRUE(IsBitmapExtension(L"bmp"));
    EXPECT_TRUE(IsBitmapExtension(L"BMP"));
    EXPECT_TRUE(IsBitmapExtension(L"bMp"));
    EXPECT_FALSE(IsBitmapExtension(L""));
    EXPECT_FALSE(IsBitmapExtension(L"bm"));
    EXPECT_FALSE(IsBitmapExtension(L"bmpx"));
    EXPECT_FALSE(IsBitmapExtension(L".bmp"));
    EXPECT_FALSE(IsBitmapExtension(L"png"));
}

TEST(PreviewPath, FolderBackslashName)
{
    EXPECT_EQ(L"C:\\tex\\a.bmp", ComposePreviewPath(L"C:\\tex", L"a.bmp", L"bmp"));
    EXPECT_EQ(L"C:\\tex\\纹理 1.BMP", ComposePreviewPath(L"C:\\tex", L"纹理 1.BMP", L"bmp"));
    // A root folder already ends in its separator.
    EXPECT_EQ(L"C:\\a.bmp", ComposePreviewPath(L"C:\\", L"a.bmp", L"bmp"));
    // Nothing to preview without a name.
    EXPECT_EQ(L"", ComposePreviewPath(L"C:\\tex", L"", L"bmp"));
}

TEST(PreviewPath, TypeExtensionOnlyWhenThereIsNoDotAnywhere)
{
    EXPECT_EQ(L"C:\\tex\\grass.bmp", ComposePreviewPath(L"C:\\tex", L"grass", L"bmp"));
    EXPECT_EQ(L"C:\\tex\\grass.BMP", ComposePreviewPath(L"C:\\tex", L"grass", L"BMP"));
    // A dot in the folder counts too: nothing is appended.
    EXPECT_EQ(L"C:\\v1.2\\grass", ComposePreviewPath(L"C:\\v1.2", L"grass", L"bmp"));
    EXPECT_EQ(L"C:\\tex\\grass.", ComposePreviewPath(L"C:\\tex", L"grass.", L"bmp"));
}

// The name box as Windows fills it where known extensions are hidden: "photo" for photo.bmp.
TEST(PreviewPath, HiddenExtensionFindsTheFileOnDisk)
{
    const std::set<std::wstring> disk = {L"C:\\Users\\first.last\\photo.bmp", L"C:\\tex\\photo.bmp",
                                         L"C:\\v1.2\\plain", L"C:\\v1.2\\plain.bmp"};
    const auto exists = [&](const std::wstring& p) { return disk.count(p) != 0; };
    const struct {
        const wchar_t *folder, *name, *expected;
    } cases[] = {
        {L"C:\\Users\\first.last", L"photo", L"C:\\Users\\first.last\\photo.bmp"},  // dot in a folder
        {L"C:\\tex", L"photo", L"C:\\tex\\photo.bmp"},                              // no dot anywhere
        {L"C:\\tex\\", L"photo", L"C:\\tex\\photo.bmp"},
        {L"C:\\v1.2", L"plain", L"C:\\v1.2\\plain"},          // the file without extension is there
        {L"C:\\Users\\first.last", L"gone", L"C:\\Users\\first.last\\gone"},  // nothing there: as composed
        {L"C:\\Users\\first.last", L"photo.png", L"C:\\Users\\first.last\\photo.png"},  // its own extension
        {L"C:\\tex", L"", L""},
    };
    for (const auto& k : cases)
        EXPECT_EQ(k.expected, ResolvePreviewPath(k.folder, k.name, L"bmp", exists)) << k.folder << L" " << k.name;
}

TEST(ChosenPath, FitsWholeOrIsRefusedUntouched)
{
    std::vector<char> out(kChosenPathCap + 8, 'x');

    // 259 bytes and the terminator fill the 260 exactly.
    const std::string longest(kChosenPathCap - 1, 'a');
    ASSERT_TRUE(CopyChosenPath(longest.data(), longest.size(), out.data(), kChosenPathCap));
    EXPECT_EQ(0, memcmp(out.data(), longest.data(), longest.size()));
    EXPECT_EQ('\0', out[kChosenPathCap - 1]);
    EXPECT_EQ('x', out[kChosenPathCap]);

    // One byte more is refused and nothing is written.
    std::fill(out.begin(), out.end(), 'x');
    const std::string tooLong(kChosenPathCap, 'b');
    EXPECT_FALSE(CopyChosenPath(tooLong.data(), tooLong.size(), out.data(), kChosenPathCap));
    EXPECT_EQ(std::vector<char>(out.size(), 'x'), out);

    // Double-byte text counts in bytes: 130 Chinese characters under code page 936 are 260 bytes.
    const std::string gbk(130 * 2, '\xC4');
    EXPECT_FALSE(CopyChosenPath(gbk.data(), gbk.size(), out.data(), kChosenPathCap));
    EXPECT_EQ('x', out[0]);

    EXPECT_FALSE(CopyChosenPath(nullptr, 0, out.data(), kChosenPathCap));
    EXPECT_FALSE(CopyChosenPath("a", 1, nullptr, kChosenPathCap));
    EXPECT_FALSE(CopyChosenPath("a", 1, out.data(), 0));
}

}  // namespace
