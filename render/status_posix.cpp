// Natively there is no status strip to paint the indicator into.
#include "render/status.h"

void Map_PaintDispatcherIndicator(void* dc) {}
