// The native stand-in of the playback devices: no sound is made; it answers
// as the test sets it (by default as a machine without a sound device) and
// keeps what it was asked, so that the decisions of playback are tested.
#include "operation/sndcat.h"
#include "platform/str.h"

static int s_mode = SND_DEV_NO_DEVICE;
static int s_playResult = SND_DEV_OK;
static u32 s_open, s_nextId = 1, s_opens;
static wch s_lastPath[OS_MAX_PATH + 8];

void Snd_DevSetNotifyWindow(void*) {}

int Snd_DevOpen(const wch* path, const wch* alias, u32* deviceId) {
  s_opens++;
  Str_Copy(s_lastPath, path);
  if (s_mode != SND_DEV_OK) return s_mode;
  *deviceId = s_nextId++;
  s_open++;
  return SND_DEV_OK;
}

int Snd_DevPlay(u32) { return s_playResult; }

void Snd_DevClose(u32) {
  if (s_open) s_open--;
}

void Snd_DevCloseAll(void) { s_open = 0; }

void Snd_DevStandIn(int openResult, int playResult) {
  s_mode = openResult;
  s_playResult = playResult;
}
u32 Snd_DevOpenCount(void) { return s_open; }
u32 Snd_DevOpenAttempts(void) { return s_opens; }
const wch* Snd_DevLastPath(void) { return s_lastPath; }
