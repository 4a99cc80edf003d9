// Stand-ins of the layers above the sounds for the sound tests: requests
// are recorded instead of posted to a frame, and the views are a table.
#pragma once
#include <vector>

#include "operation/snd.h"

struct SndPosted {
  u32 w, l;
};
// Requests posted, and the open views (slot i: a view when its mode is not 0).
inline std::vector<SndPosted> g_sndPosted;
inline std::vector<SndView> g_sndViews;

inline int Snd_TestRecordPost(u32 w, u32 l) {
  g_sndPosted.push_back({w, l});
  return 1;
}
inline int Snd_TestGetView(int slot, SndView* out) {
  if (slot < 0 || slot >= int(g_sndViews.size()) || g_sndViews[size_t(slot)].mode == 0) return 0;
  *out = g_sndViews[size_t(slot)];
  return 1;
}
// A view of mode at (x, y) showing w x h cells, its cursor in the middle.
inline SndView Snd_TestView(int mode, i32 x, i32 y, i32 w, i32 h, i32 level = 0, int scale = 1) {
  SndView v{};
  v.mode = mode;
  v.scale = scale;
  v.showState = 1;
  v.level = level;
  v.originX = x;
  v.originY = y;
  v.visWidth = w;
  v.visHeight = h;
  v.cursorX = x + w / 2;
  v.cursorY = y + h / 2;
  return v;
}
// Installs the recording hooks with no views and nothing posted.
inline void Snd_TestInstallHooks(void) {
  g_sndPosted.clear();
  g_sndViews.clear();
  static const SndHooks hooks = {Snd_TestRecordPost, nullptr, Snd_TestGetView};
  Snd_SetHooks(&hooks);
}
