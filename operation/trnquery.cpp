#include "operation/trnquery.h"

u16 Trn_GetCellGraphic(i32 x, i32 y, i32 level, u16 code) {
  // No train records exist, so no train stands anywhere.
  return 0xC000;
}
