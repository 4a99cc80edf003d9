#include "render/map.h"

// Natively no window exists; the back buffer is the whole picture.
void Map_PlatformInvalidate(void* window) { (void)window; }
