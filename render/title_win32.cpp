// GDI half of the title picture: a memory device context holding a bitmap
// of the pixels.
#include <windows.h>

#include "render/title.h"

static HDC g_titleDc;
static HBITMAP g_titleBitmap;
static HGDIOBJ g_titleOld;

i32 Disp_PlatformMakeTitle(const u32* colours, i32 width, i32 height) {
  Disp_PlatformFreeTitle();
  g_titleDc = CreateCompatibleDC(nullptr);
  if (!g_titleDc) return -4;
  BITMAPINFO bi;
  ZeroMemory(&bi, sizeof bi);
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = -height;  // top row first
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  g_titleBitmap = CreateDIBSection(g_titleDc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!g_titleBitmap || !bits) {
    Disp_PlatformFreeTitle();
    return -5;
  }
  // Bitmap words are blue-low: the COLORREFs change red and blue.
  u32* out = (u32*)bits;
  for (i32 i = 0; i < width * height; ++i) {
    u32 c = colours[i];
    out[i] = (c & 0xFF00) | ((c & 0xFF) << 16) | ((c >> 16) & 0xFF);
  }
  g_titleOld = SelectObject(g_titleDc, g_titleBitmap);
  return 0;
}

i32 Disp_PlatformDrawTitle(void* target, i32 x, i32 y, i32 width, i32 height) {
  if (!g_titleDc) return -2;
  BitBlt((HDC)target, x, y, width, height, g_titleDc, 0, 0, SRCCOPY);
  return 0;
}

void Disp_PlatformFreeTitle(void) {
  if (g_titleDc && g_titleOld) SelectObject(g_titleDc, g_titleOld);
  if (g_titleBitmap) DeleteObject(g_titleBitmap);
  if (g_titleDc) DeleteDC(g_titleDc);
  g_titleDc = nullptr;
  g_titleBitmap = nullptr;
  g_titleOld = nullptr;
}
