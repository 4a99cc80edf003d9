// The queue of file-dialog answers given ahead, shared by both Os_ layers.
#include "platform/os.h"
#include "platform/str.h"

enum { OS_ANSWERS = 8 };
static wch g_osAnswers[OS_ANSWERS][OS_MAX_PATH];
static int g_osAnswerCancel[OS_ANSWERS];
static int g_osAnswerCount;

void Os_QueueFileDialogAnswer(const wch* path) {
  if (g_osAnswerCount >= OS_ANSWERS) return;
  g_osAnswerCancel[g_osAnswerCount] = path == nullptr;
  i32 n = 0;
  for (; path && path[n] && n < OS_MAX_PATH - 1; ++n) g_osAnswers[g_osAnswerCount][n] = path[n];
  g_osAnswers[g_osAnswerCount][n] = 0;
  ++g_osAnswerCount;
}

int Os_TakeFileDialogAnswer(const OsFileDialog* d, wch* path) {
  if (g_osAnswerCount == 0) return -1;
  const int cancel = g_osAnswerCancel[0];
  wch answer[OS_MAX_PATH];
  Str_Copy(answer, g_osAnswers[0]);
  for (int i = 1; i < g_osAnswerCount; ++i) {
    Str_Copy(g_osAnswers[i - 1], g_osAnswers[i]);
    g_osAnswerCancel[i - 1] = g_osAnswerCancel[i];
  }
  --g_osAnswerCount;
  if (cancel) return 0;
  if (!d->save && Os_Access(answer, OS_ACCESS_EXISTS) != 0) return 0;
  Str_Copy(path, answer);
  return 1;
}
