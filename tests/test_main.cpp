// The entry point of every test program: GoogleTest's run inside a folder
// that belongs to this process alone (see Test_BeginProcess).
#include <gtest/gtest.h>

#include <cstdio>

#include "tests/test_util.h"

namespace {
// Each test's temporary folders go when it ends; a failed test keeps them.
class TempFolderListener : public testing::EmptyTestEventListener {
  void OnTestEnd(const testing::TestInfo& info) override { Test_EndTest(info.result()->Failed()); }
};
}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  testing::UnitTest::GetInstance()->listeners().Append(new TempFolderListener);
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
