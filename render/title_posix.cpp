// Native stand-in: the title picture is kept as pixels only.
#include "render/title.h"

i32 Disp_PlatformMakeTitle(const u32* colours, i32 width, i32 height) { return 0; }
i32 Disp_PlatformDrawTitle(void* target, i32 x, i32 y, i32 width, i32 height) { return 0; }
void Disp_PlatformFreeTitle(void) {}
