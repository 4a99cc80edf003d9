#include <gtest/gtest.h>

#include <cstring>

#include "platform/heap.h"

TEST(Heap, CountsBlocksAndBytes) {
  u32 bytes0, blocks0, bytes1, blocks1;
  Heap_GetStats(nullptr, nullptr, nullptr, nullptr, nullptr, &bytes0, &blocks0, nullptr);
  EXPECT_EQ(nullptr, Heap_Alloc(0));
  void* p = Heap_Alloc(1000);
  ASSERT_NE(nullptr, p);
  Heap_GetStats(nullptr, nullptr, nullptr, nullptr, nullptr, &bytes1, &blocks1, nullptr);
  EXPECT_EQ(blocks0 + 1, blocks1);
  EXPECT_GE(bytes1 - bytes0, 1000u);

  memset(p, 0x5A, 1000);
  void* q = Heap_Realloc(p, 100000);
  ASSERT_NE(nullptr, q);
  EXPECT_EQ(0x5A, ((u8*)q)[999]) << "contents kept by a resize";
  Heap_GetStats(nullptr, nullptr, nullptr, nullptr, nullptr, &bytes1, &blocks1, nullptr);
  EXPECT_EQ(blocks0 + 1, blocks1);
  EXPECT_GE(bytes1 - bytes0, 100000u);

  EXPECT_EQ(nullptr, Heap_Realloc(nullptr, 10));
  EXPECT_EQ(nullptr, Heap_Realloc(q, 0));  // nothing freed: q stays valid
  ((u8*)q)[0] = 1;

  EXPECT_EQ(0, Heap_Free(q));
  EXPECT_EQ(1, Heap_Free(nullptr));
  Heap_GetStats(nullptr, nullptr, nullptr, nullptr, nullptr, &bytes1, &blocks1, nullptr);
  EXPECT_EQ(blocks0, blocks1);
  EXPECT_EQ(bytes0, bytes1);
}

TEST(Heap, MovableBlocksAreZeroedAndNotCounted) {
  u32 blocks0, blocks1;
  Heap_GetStats(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &blocks0, nullptr);
  u8* p = (u8*)Heap_AllocMovable(256);
  ASSERT_NE(nullptr, p);
  for (int i = 0; i < 256; ++i) EXPECT_EQ(0, p[i]);
  Heap_GetStats(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &blocks1, nullptr);
  EXPECT_EQ(blocks0, blocks1);
  EXPECT_EQ(0, Heap_FreeMovable(p));
  EXPECT_EQ(1, Heap_FreeMovable(nullptr));
}

TEST(Heap, StatsReportMemory) {
  u32 load = 999, r1 = 7, r2 = 7;
  u64 total = Heap_GetStats(nullptr, nullptr, nullptr, &r1, &r2, nullptr, nullptr, &load);
  EXPECT_GT(total, 0u);
  EXPECT_LE(load, 100u);
  EXPECT_EQ(0u, r1);
  EXPECT_EQ(0u, r2);
}

TEST(HeapPrimitives, FillCopySwapAndPixels) {
  u32 a[8] = {0}, b[8];
  Asm_FillDwords(a, 0xDEADBEEF, 0);
  EXPECT_EQ(0u, a[0]);
  Asm_FillDwords(a, 0xDEADBEEF, 5);
  EXPECT_EQ(0xDEADBEEFu, a[4]);
  EXPECT_EQ(0u, a[5]);
  Asm_CopyDwords(b, a, 8);
  EXPECT_EQ(0, memcmp(a, b, sizeof a));

  const u32 values[] = {0u, 0x00112233u, 0xFF0000FFu, 0x80FF00AAu};
  for (u32 v : values) {
    u32 s = Asm_SwapRedBlue(v);
    EXPECT_EQ(v & 0xFF00FF00u, s & 0xFF00FF00u);
    EXPECT_EQ(v & 0xFF, (s >> 16) & 0xFF);
    EXPECT_EQ((v >> 16) & 0xFF, s & 0xFF);
    EXPECT_EQ(v, Asm_SwapRedBlue2(s));
  }

  Asm_SetPixelZoom1(0, 0, 0x123456);
  EXPECT_EQ(0x123456u, ElementBitmapZoom1[15 * 32]);
  Asm_SetPixelZoom2(63, 31, 7);
  EXPECT_EQ(7u, ElementBitmapZoom2[63]);
  Asm_SetPixelZoom4(1, 0, 9);
  EXPECT_EQ(9u, ElementBitmapZoom4[63 * 128 + 1]);
}
