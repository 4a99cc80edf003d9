// Speed of the pair coder, measured over in-memory streams so that only the
// coding counts, on bytes shaped like a layout body: cell codes of track and
// ground with runs of empty cells between them.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

#include "platform/fio.h"
#include "platform/heap.h"

namespace {

std::vector<u8> LayoutLikeBytes(size_t n) {
  std::mt19937 rng(42);
  std::vector<u8> out;
  out.reserve(n + 1024);
  while (out.size() < n) {
    switch (rng() % 4) {
      case 0: {  // a run of empty-cell markers
        u32 k = 8 + rng() % 256;
        for (u32 i = 0; i < k; ++i) {
          out.push_back(0xFF);
          out.push_back(0x80);
        }
        break;
      }
      case 1: {  // a straight track line: one code repeated
        u16 code = u16(0x1000 + rng() % 0x400);
        u32 k = 4 + rng() % 64;
        for (u32 i = 0; i < k; ++i) {
          out.push_back(u8(code));
          out.push_back(u8(code >> 8));
        }
        break;
      }
      default: {  // mixed cells
        u32 k = 4 + rng() % 48;
        for (u32 i = 0; i < k; ++i) {
          u16 code = u16(rng() % 0x3000);
          out.push_back(u8(code));
          out.push_back(u8(code >> 8));
        }
        break;
      }
    }
  }
  out.resize(n);
  return out;
}

const size_t kSize = 8 << 20;

std::vector<u8> Encode(const std::vector<u8>& in) {
  Fio_OpenWriteMemory();
  Fio_BeginWriteRle();
  Fio_WriteBlock(in.data(), u32(in.size()));
  Fio_CloseWrite();
  u32 size;
  u8* m = Fio_TakeWriteMemory(&size);
  std::vector<u8> out(m, m + size);
  Heap_Free(m);
  return out;
}

void BM_PairRleEncode(benchmark::State& state) {
  Fio_InitBuffers();
  std::vector<u8> in = LayoutLikeBytes(kSize);
  for (auto _ : state) {
    std::vector<u8> coded = Encode(in);
    benchmark::DoNotOptimize(coded.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(in.size()));
}
BENCHMARK(BM_PairRleEncode)->Unit(benchmark::kMillisecond);

void BM_PairRleDecode(benchmark::State& state) {
  Fio_InitBuffers();
  std::vector<u8> in = LayoutLikeBytes(kSize);
  std::vector<u8> coded = Encode(in);
  std::vector<u8> out(in.size());
  for (auto _ : state) {
    Fio_OpenReadMemory(coded.data(), u32(coded.size()));
    Fio_BeginReadRle();
    u32 n = Fio_ReadBlock(out.data(), u32(out.size()));
    Fio_CloseRead();
    if (n != in.size()) state.SkipWithError("short decode");
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(in.size()));
}
BENCHMARK(BM_PairRleDecode)->Unit(benchmark::kMillisecond);

void BM_Memcpy(benchmark::State& state) {
  std::vector<u8> in = LayoutLikeBytes(kSize);
  std::vector<u8> out(in.size());
  for (auto _ : state) {
    memcpy(out.data(), in.data(), in.size());
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(in.size()));
}
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond);

}  // namespace
