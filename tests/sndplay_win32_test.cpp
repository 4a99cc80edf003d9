// Playback through the system's multimedia devices: a generated wave file is
// opened, played to its end-of-play notification and closed. A machine
// without a wave device (a test runner without sound) must fail quietly
// once and never try again; both outcomes are checked, whichever this
// machine has.
#include <windows.h>
#include <mmsystem.h>

#include <gtest/gtest.h>

#include "operation/snd.h"
#include "operation/sndcat.h"
#include "platform/fio.h"
#include "platform/msg.h"
#include "tests/test_util.h"

namespace {

UINT g_notified;
LPARAM g_notifiedDevice;

LRESULT CALLBACK NotifyProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == MM_MCINOTIFY) {
    g_notified = UINT(wp);
    g_notifiedDevice = lp;
    Snd_OnPlayEnd(u32(lp));
    return 0;
  }
  return DefWindowProcW(w, msg, wp, lp);
}

class SndPlayWin32 : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(0, Test_LoadTexts());
    Fio_SetFolderPath(0, Test_DataFolder().c_str());
    Snd_Init();
    Snd_ResetDevice();
    WNDCLASSW wc = {};
    wc.lpfnWndProc = NotifyProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"OrbaSoundTest";
    RegisterClassW(&wc);
    window = CreateWindowExW(0, L"OrbaSoundTest", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(nullptr, window);
    Snd_DevSetNotifyWindow(window);
    g_notified = 0;
  }
  void TearDown() override {
    Snd_ClearPoints();
    Snd_DevSetNotifyWindow(nullptr);
    if (window) DestroyWindow(window);
    Snd_Free();
    Snd_ResetDevice();
  }
  // Pumps messages until the end-of-play notification came, at most ms.
  bool WaitNotified(DWORD ms) {
    const DWORD start = GetTickCount();
    while (!g_notified && GetTickCount() - start < ms) {
      MSG m;
      while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
      Sleep(10);
    }
    return g_notified != 0;
  }
  HWND window = nullptr;
};

TEST_F(SndPlayWin32, AGeneratedSoundOpensPlaysAndClosesOrFailsQuietlyOnce) {
  const wstr wav = Test_DataFolder() + u"sound\\action_click.wav";
  ASSERT_TRUE(Test_FileExists(wav)) << "the build writes the sounds";
  ASSERT_EQ(0, Snd_AddEntry(30, 70, u"action_click", nullptr));
  ASSERT_EQ(0, Snd_AddEntry(31, 70, u"no such sound.wav", nullptr));
  const u32 messages = Msg_Count();
  const int r = Snd_Play(30, 0);
  if (waveOutGetNumDevs() == 0) {
    EXPECT_EQ(3, r) << "no device";
    EXPECT_EQ(1, Snd_DeviceMissing());
    EXPECT_EQ(3, Snd_Play(30, 0)) << "no second try";
    EXPECT_EQ(3, Snd_Play(31, 0));
  } else if (r == 3) {
    // A device is listed but cannot play (a driver without output): the
    // same quiet failure.
    EXPECT_EQ(1, Snd_DeviceMissing());
    EXPECT_EQ(3, Snd_Play(30, 0));
  } else {
    ASSERT_EQ(0, r);
    EXPECT_TRUE(WaitNotified(20000)) << "the end of play is told to the window";
    EXPECT_EQ(UINT(MCI_NOTIFY_SUCCESSFUL), g_notified);
    // The notified device was closed: its alias is free again.
    EXPECT_NE(0u, mciSendStringW((L"status " + std::wstring(Snd_LastAlias(), Snd_LastAlias() + 9) + L" mode").c_str(),
                                 nullptr, 0, nullptr));
    EXPECT_EQ(2, Snd_Play(31, 0)) << "a missing file is refused";
    EXPECT_EQ(0, Snd_DeviceMissing());
  }
  EXPECT_EQ(messages, Msg_Count()) << "playback never shows a message";
}

}  // namespace
