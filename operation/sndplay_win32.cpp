// The platform half of playback: wave files through the multimedia control
// interface, each sound one device opened under its own alias, played
// without waiting and closed by the end-of-play notification.
#include <windows.h>
#include <mmsystem.h>

#include "operation/sndcat.h"

static HWND s_notifyWindow;

void Snd_DevSetNotifyWindow(void* window) { s_notifyWindow = static_cast<HWND>(window); }

// Errors that say the machine cannot play waves at all, rather than that
// this file cannot be played.
static int Snd_DevIsDeviceError(MCIERROR e) {
  switch (LOWORD(e)) {
    case MCIERR_CANNOT_LOAD_DRIVER:
    case MCIERR_DEVICE_NOT_INSTALLED:
    case MCIERR_INVALID_DEVICE_NAME:
    case MCIERR_WAVE_OUTPUTSUNSUITABLE:
    case MCIERR_WAVE_OUTPUTUNSPECIFIED:
    case MCIERR_WAVE_OUTPUTSINUSE:
    case MCIERR_DEVICE_OPEN:
      return 1;
    default:
      return 0;
  }
}

int Snd_DevOpen(const wch* path, const wch* alias, u32* deviceId) {
  if (waveOutGetNumDevs() == 0) return SND_DEV_NO_DEVICE;
  MCI_OPEN_PARMSW p = {};
  p.lpstrDeviceType = reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(MCI_DEVTYPE_WAVEFORM_AUDIO));
  p.lpstrElementName = reinterpret_cast<LPCWSTR>(path);
  p.lpstrAlias = reinterpret_cast<LPCWSTR>(alias);
  const MCIERROR e = mciSendCommandW(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_TYPE_ID | MCI_OPEN_ELEMENT | MCI_OPEN_ALIAS,
                                     reinterpret_cast<DWORD_PTR>(&p));
  if (e) return Snd_DevIsDeviceError(e) ? SND_DEV_NO_DEVICE : SND_DEV_FILE;
  *deviceId = p.wDeviceID;
  return SND_DEV_OK;
}

int Snd_DevPlay(u32 deviceId) {
  MCI_PLAY_PARMS p = {};
  p.dwCallback = reinterpret_cast<DWORD_PTR>(s_notifyWindow);
  const MCIERROR e =
      mciSendCommandW(MCIDEVICEID(deviceId), MCI_PLAY, s_notifyWindow ? MCI_NOTIFY : 0, reinterpret_cast<DWORD_PTR>(&p));
  if (!e) return SND_DEV_OK;
  return Snd_DevIsDeviceError(e) ? SND_DEV_NO_DEVICE : SND_DEV_FILE;
}

void Snd_DevClose(u32 deviceId) { mciSendCommandW(MCIDEVICEID(deviceId), MCI_CLOSE, 0, 0); }

void Snd_DevCloseAll(void) { mciSendCommandW(MCI_ALL_DEVICE_ID, MCI_CLOSE, 0, 0); }
