// Memory layer: every heap block of the program comes from here, so that the
// system information text can show how many blocks and bytes are live.
// Blocks are not zeroed; a size of 0 or a failure gives null without a
// message; a failed resize keeps the old block. Inner-loop pixel primitives of
// the graphics code live beside it.
#pragma once
#include "platform/types.h"

int Heap_Init(void);
void Heap_Exit(void);
void* Heap_Alloc(u32 size);
void* Heap_Realloc(void* block, u32 size);
// 0 freed, 1 null, 2 not a block of this layer, 3 size 0, 4 refused.
int Heap_Free(void* block);
void* Heap_AllocMovable(u32 size);  // zero-filled, not counted
int Heap_FreeMovable(void* block);
// Fills each non-null out; returns the total physical memory.
u64 Heap_GetStats(u64* availPhys, u64* totalVirtual, u64* availVirtual, u32* reserved1, u32* reserved2,
                  u32* bytes, u32* blocks, u32* loadPercent);

void Asm_FillDwords(u32* dst, u32 value, u32 count);
void Asm_CopyDwords(u32* dst, const u32* src, u32 count);
inline u32 Asm_SwapRedBlue(u32 c) { return (c & 0xFF00FF00u) | ((c & 0xFFu) << 16) | ((c >> 16) & 0xFFu); }
inline u32 Asm_SwapRedBlue2(u32 c) { return Asm_SwapRedBlue(c); }

// The three element bitmaps (bottom-up rows) that the picture composition
// fills; owned by the graphics store, written through these primitives.
extern u32 ElementBitmapZoom1[32 * 16];
extern u32 ElementBitmapZoom2[64 * 32];
extern u32 ElementBitmapZoom4[128 * 64];
inline void Asm_SetPixelZoom1(int x, int y, u32 p) { ElementBitmapZoom1[(15 - y) * 32 + x] = p; }
inline void Asm_SetPixelZoom2(int x, int y, u32 p) { ElementBitmapZoom2[(31 - y) * 64 + x] = p; }
inline void Asm_SetPixelZoom4(int x, int y, u32 p) { ElementBitmapZoom4[(63 - y) * 128 + x] = p; }
