#include "render/status.h"

const StatusField StatusFieldTable[STATUS_FIELDS] = {
    {192, 0, 356, 64}, {192, 64, 356, 16}, {552, 64, 16, 16}, {552, 8, 16, 32}, {568, 8, 16, 16},
    {568, 24, 16, 16}, {552, 48, 32, 16},  {568, 64, 16, 16}, {696, 0, 15, 16}, {712, 0, 15, 16},
    {728, 0, 15, 16},  {744, 0, 15, 16},   {760, 0, 15, 16},  {696, 16, 15, 16}, {712, 16, 15, 16},
    {728, 16, 15, 16}, {744, 16, 15, 16},  {696, 32, 15, 16}, {712, 32, 15, 16}, {728, 32, 15, 16},
    {744, 32, 15, 16}, {760, 32, 15, 16},  {0, 8, 56, 16},    {56, 8, 112, 16},  {0, 24, 96, 16},
    {0, 40, 168, 16},  {0, 56, 56, 16},    {64, 56, 112, 16}, {728, 56, 24, 16}, {608, 8, 32, 16},
    {608, 32, 32, 16}, {608, 56, 32, 16},  {648, 8, 32, 16},  {648, 32, 32, 16}, {648, 56, 32, 16},
    {760, 16, 15, 16}, {772, 16, 23, 16},  {776, 0, 15, 16},  {776, 32, 15, 16}, {168, 4, 12, 24},
    {112, 24, 48, 16}};

static void* g_statusWindow;

void Map_SetStatusWindow(void* frame) { g_statusWindow = frame; }

void* Map_GetStatusWindow(void) { return g_statusWindow; }

static int g_fieldFullWidth;
static i32 g_fieldClientWidth = STATUS_DESIGN_WIDTH;

void Map_SetFieldLayout(int fullWidth, i32 frameClientWidth) {
  g_fieldFullWidth = fullWidth ? 1 : 0;
  g_fieldClientWidth = frameClientWidth;
}

i32 Map_GetFieldRect(i32 n, i32* outY, i32* outWidth, i32* outHeight) {
  // A negative number is as far outside the table as one past its end.
  if (n < 0 || n >= STATUS_FIELDS) return -1;
  const StatusField& f = StatusFieldTable[n];
  if (outY) *outY = f.y;
  if (outWidth) *outWidth = f.w;
  if (outHeight) *outHeight = f.h;
  i32 x = f.x;
  if (g_fieldFullWidth && g_fieldClientWidth >= STATUS_WIDE_MIN) {
    // C++ division truncates toward zero, as the placement wants; i64 keeps
    // a very wide client from overflowing.
    i64 wide = (i64(x) * g_fieldClientWidth - 16) / STATUS_DESIGN_WIDTH + 8;
    x = i32(wide);
  }
  return x;
}
