// GDI half of the status strip: the strip's fills, labels and piece
// pictures, and the dispatcher indicator. The other fields that show live
// values are painted by their owners.
#include <windows.h>

#include "operation/dmsg.h"
#include "platform/lng.h"
#include "platform/str.h"
#include "render/dc.h"
#include "render/font.h"
#include "render/pal.h"
#include "render/preview.h"
#include "render/status.h"
#include "render/symstr.h"

namespace {

struct FieldRect {
  i32 x, y, w, h;
};

FieldRect Field(int n) {
  FieldRect f = {};
  f.x = Map_GetFieldRect(n, &f.y, &f.w, &f.h);
  return f;
}

// A left-aligned label clipped to its field.
void DrawLabel(HDC dc, int field, TextId text) {
  FieldRect f = Field(field);
  RECT r = {f.x, f.y, f.x + f.w, f.y + f.h};
  const wch* s = Lng_GetText(text);
  ExtTextOutW(dc, f.x, f.y, ETO_CLIPPED, &r, reinterpret_cast<const wchar_t*>(s), UINT(Str_Len(s)), nullptr);
}

// A button letter starting at the horizontal middle of its field.
void DrawButtonText(HDC dc, int field, TextId text) {
  FieldRect f = Field(field);
  const wch* s = Lng_GetText(text);
  TextOutW(dc, f.x + f.w / 2, f.y, reinterpret_cast<const wchar_t*>(s), Str_Len(s));
}

// A picture drawn into a buffer of its field, which it cannot leave, on
// the strip's colour.
void DrawPictureField(HDC dc, int field, u32 code, int cellPreview) {
  FieldRect f = Field(field);
  u32 pixels[32 * 16];  // the picture fields are one cell at scale 1
  if (f.w <= 0 || f.h <= 0 || f.w * f.h > 32 * 16) return;
  u32 back = Map_RgbToBuf(Pal_GetColour(PAL_STRIP));
  for (i32 i = 0; i < f.w * f.h; ++i) pixels[i] = back;
  SchBuf buf = {pixels, f.w, f.h};
  if (cellPreview)
    Map_DrawCellPreview(&buf, 0, 0, MAP_TARGET_PREVIEW1, code, 0, 0);
  else
    Map_DrawPieceImage(&buf, 0, 0, 0, 0, 0, code);
  // A marker left in the buffer is no colour: it shows the strip.
  for (i32 i = 0; i < f.w * f.h; ++i)
    if (pixels[i] & 0x80000000u) pixels[i] = back;
  Map_BlitToDC(dc, f.x, f.y, f.w, f.h, &buf);
}

}  // namespace

void Map_PaintStatusStripDC(void* dc, i32 width, i32 height) {
  if (!dc) return;
  HDC d = static_cast<HDC>(dc);
  int saved = SaveDC(d);
  Map_FillRect(dc, 0, 0, Pal_GetColour(PAL_STRIP), height - 1, width - 1);

  HFONT font = static_cast<HFONT>(Font_GetStatusFont());
  if (font) SelectObject(d, font);
  SetTextAlign(d, TA_LEFT | TA_TOP);
  SetBkMode(d, TRANSPARENT);
  SetTextColor(d, Pal_GetColour(PAL_STRIP_TEXT) & 0xFFFFFFu);
  static const struct {
    int field;
    TextId text;
  } kLabels[] = {{22, 5100}, {24, 5101}, {25, 5103}, {26, 5104}};
  for (const auto& l : kLabels) DrawLabel(d, l.field, l.text);

  SetBkMode(d, OPAQUE);
  SetBkColor(d, Pal_GetColour(PAL_BUTTON_BACK) & 0xFFFFFFu);
  SetTextColor(d, Pal_GetColour(PAL_BUTTON_TEXT) & 0xFFFFFFu);
  static const struct {
    int field;
    TextId text;
  } kButtons[] = {{4, 5110}, {5, 5111}, {7, 5112}};
  for (const auto& b : kButtons) DrawButtonText(d, b.field, b.text);

  // The pictures on the palette page buttons.
  static const u32 kPieces[5] = {1, 4097, 8193, 7169, 51232};
  for (int i = 0; i < 5; ++i) DrawPictureField(d, 29 + i, kPieces[i], 0);
  DrawPictureField(d, 34, 55552, 1);
  RestoreDC(d, saved);
  Map_PaintDispatcherIndicator(dc);
}

void Map_PaintDispatcherIndicator(void* given) {
  HWND frame = static_cast<HWND>(Map_GetStatusWindow());
  HDC dc = static_cast<HDC>(given);
  if (!dc) {
    if (!frame || !IsWindow(frame)) return;
    dc = GetDC(frame);
    if (!dc) return;
  }
  FieldRect f = Field(DMSG_INDICATOR_FIELD);
  u32 pixels[3 * SYM_CELL * SYM_HEIGHT];  // the field holds three symbols
  if (f.w > 0 && f.h > 0 && f.w * f.h <= i32(sizeof pixels / sizeof pixels[0])) {
    wch codes[4];
    const int colour = Dmsg_IndicatorLook(Dmsg_Count(), Dmsg_HasNew(), codes);
    const u32 back = Map_RgbToBuf(Pal_GetColour(DMSG_INDICATOR_BACK));
    const u32 ink = Map_RgbToBuf(Pal_GetColour(colour));
    for (i32 i = 0; i < f.w * f.h; ++i) pixels[i] = back;
    SchBuf buf = {pixels, f.w, f.h};
    Map_DrawSymbolString(&buf, 0, 0, f.w, f.w / SYM_CELL, back, ink, ink, codes);
    Map_BlitToDC(dc, f.x, f.y, f.w, f.h, &buf);
  }
  if (!given) ReleaseDC(frame, dc);
}

void Map_PaintStatusStrip(void* frame) {
  HWND w = static_cast<HWND>(frame);
  if (!w) return;
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(w, &ps);
  if (!dc) return;
  RECT client;
  GetClientRect(w, &client);
  Map_PaintStatusStripDC(dc, client.right - client.left, client.bottom - client.top);
  EndPaint(w, &ps);
}
