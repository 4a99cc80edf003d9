#include "platform/check.h"

#include <cstdio>
#include <cstdlib>

void Chk_Fail(const char* file, int line, const char* what) {
  std::fprintf(stderr, "%s:%d: invariant broken: %s\n", file, line, what);
  std::fflush(stderr);
  std::abort();
}
