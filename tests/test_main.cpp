// The entry point of every test program: GoogleTest's run inside a folder
// that belongs to this process alone (see Test_BeginProcess).
#include <gtest/gtest.h>

#include <cstdio>

#include "tests/test_util.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
#ifdef _WIN32
  if (Test_StartFrameworkThread() != 0) fprintf(stderr, "GoogleTest's thread did not start.\n");
#endif
  if (Test_BeginProcess() != 0) {
    fprintf(stderr, "This test program found no folder of its own to work in.\n");
    return 1;
  }
  const int result = RUN_ALL_TESTS();
  Test_EndProcess(result != 0);
  return result;
}
