// The tour's playback step (场景 → 录制并播放): a recorded camera orbit, played in the library's
// player window and closed with its close box.
#include "demo/tour/steps.h"

#include <vfw.h>

#include "demo/wintext.h"
#include "res/captions.h"

namespace tour {

void Tour::RecordAndPlay()
{
    TourLog(L"[录制并播放] 环绕一周的动画");
    const ModalRun run = RunModal(viewer, dir, [](Driver& d) {
        HWND player = d.OpenDialog(kCaptionPlayer, 500);   // recording comes first: a longer bound
        if (!player)
            return;
        // Playback starts only at the user's command: the play bar's Play button.
        HWND mci = d.Descendant(player, L"MCIWndClass");
        HWND play = FindWindowExW(mci, nullptr, L"Button", L"Play");
        if (play) {
            d.c.Click(play);
            d.c.Settle(player, 500);
        }
        const LRESULT mode = d.c.Send(mci, MCIWNDM_GETMODEW, 0, 0, "reading the player's mode");
        if (mode != MCI_MODE_PLAY) {
            // Wine's play bar ignores a click it did not see from the mouse; the window's
            // own play command is what the button would have sent.
            TourLog(L"  播放按钮没有开始播放, 改用 MCI_PLAY");
            d.c.Send(mci, MCI_PLAY, 0, 0, "playing");
        }
        d.c.Settle(player, 1500);
        const LRESULT position = d.c.Send(mci, MCIWNDM_GETPOSITIONW, 0, 0, "reading the player's position");
        TourLog(Format(L"  播放到第 %d 帧", static_cast<int>(position)));
        d.Shot(player, L"tour_19_playback");
        if (position <= 0)
            d.Fail(L"视频没有播放");
        PostMessageW(player, WM_CLOSE, 0, 0);   // the caption's close box
        d.c.WaitGone(player);
    }, [&] { return viewer.RecordAndPlay(); }, 60000);
    if (!Ran(run, L"_PlayAVIWnd"))
        return;
    TourLog(Format(L"  _PlayAVIWnd 返回 %d", run.result));
    if (run.result != IDCANCEL)
        Failure(L"播放窗口没有以关闭按钮 (IDCANCEL) 结束");
}

}  // namespace tour
