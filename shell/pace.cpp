// Simulation pacing and the clock window's place: the arithmetic behind the
// 20 ms tick and the placement of a remembered window on the work area.
#include "shell/app.h"

enum { APP_PORTION_MS = 20, APP_BUDGET_MAX = 200 };

void App_AddElapsed(i32* budget, u32* last, u32 now) {
  // A wrapped tick count cannot say how long it was: one portion is owed.
  const u32 elapsed = now < *last ? u32(APP_PORTION_MS) : now - *last;
  *last = now;
  const i64 sum = i64(*budget) + elapsed;
  *budget = sum > APP_BUDGET_MAX ? i32(APP_BUDGET_MAX) : i32(sum);
}

int App_PortionSteps(int running, int speed, int bremsF, i32* speed1Acc) {
  if (!running || speed < 1) return 1;
  if (speed == 1) {
    *speed1Acc += APP_PORTION_MS;
    const int n = *speed1Acc / 10;
    *speed1Acc %= 10;
    return n;
  }
  int f = bremsF / 70;
  if (f < 1) f = 1;
  const int n = (speed * speed * APP_PORTION_MS / 10) / f;
  return n < 1 ? 1 : n;
}

// One axis: a start outside lo .. hi - size is centred (halving toward zero).
static i32 App_PlaceAxis(i32 v, i32 lo, i32 hi, i32 size) {
  if (v >= lo && v <= hi - size) return v;
  return lo + (hi - lo - size) / 2;
}

void App_PlaceClock(i32 left, i32 top, i32 right, i32 bottom, i32 width, i32 height, i32* x, i32* y) {
  *x = App_PlaceAxis(*x, left, right, width);
  *y = App_PlaceAxis(*y, top, bottom, height);
}
