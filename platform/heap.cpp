#include "platform/heap.h"

#include <string.h>

#include "platform/os.h"

// Plain words without a lock: they only feed the information text.
static u32 g_heapBlocks;
static u32 g_heapBytes;

u32 ElementBitmapZoom1[32 * 16];
u32 ElementBitmapZoom2[64 * 32];
u32 ElementBitmapZoom4[128 * 64];

int Heap_Init(void) {
  g_heapBlocks = 0;
  g_heapBytes = 0;
  return 0;
}

void Heap_Exit(void) {
  g_heapBlocks = 0;
  g_heapBytes = 0;
}

void* Heap_Alloc(u32 size) {
  if (size == 0) return nullptr;
  void* p = Os_GlobalAlloc(size);
  if (!p) return nullptr;
  g_heapBlocks++;
  g_heapBytes += Os_GlobalSize(p);
  return p;
}

void* Heap_Realloc(void* block, u32 size) {
  if (!block || size == 0) return nullptr;
  u32 oldSize = Os_GlobalSize(block);
  void* p = Os_GlobalReAlloc(block, size);
  if (!p) return nullptr;
  g_heapBytes += Os_GlobalSize(p) - oldSize;
  return p;
}

int Heap_Free(void* block) {
  if (!block) return 1;
  if (!Os_GlobalHandleValid(block)) return 2;
  u32 size = Os_GlobalSize(block);
  if (size == 0) return 3;
  if (Os_GlobalFree(block) != 0) return 4;
  g_heapBlocks--;
  g_heapBytes -= size;
  return 0;
}

void* Heap_AllocMovable(u32 size) { return Os_GlobalAllocMovable(size); }

int Heap_FreeMovable(void* block) {
  if (!block) return 1;
  if (!Os_GlobalHandleValid(block)) return 2;
  if (Os_GlobalSize(block) == 0) return 3;
  return Os_GlobalFree(block) == 0 ? 0 : 4;
}

u64 Heap_GetStats(u64* availPhys, u64* totalVirtual, u64* availVirtual, u32* reserved1, u32* reserved2,
                  u32* bytes, u32* blocks, u32* loadPercent) {
  u64 total = 0;
  Os_GlobalMemoryStatus(&total, availPhys, totalVirtual, availVirtual, loadPercent);
  if (reserved1) *reserved1 = 0;
  if (reserved2) *reserved2 = 0;
  if (bytes) *bytes = g_heapBytes;
  if (blocks) *blocks = g_heapBlocks;
  return total;
}

void Asm_FillDwords(u32* dst, u32 value, u32 count) {
  for (u32 i = 0; i < count; ++i) dst[i] = value;
}

void Asm_CopyDwords(u32* dst, const u32* src, u32 count) { memmove(dst, src, size_t(count) * 4); }
