#include "platform/msg.h"

#include <string.h>

#include "platform/lng.h"
#include "platform/os.h"
#include "platform/print.h"

namespace {
const MsgFrontEnd* g_front;

u32 g_lastNumber;
u32 g_count;
wch g_lastText[1024];

enum { INFO_MAX = MSG_INFO_MAX, INFO_TEXT = MSG_INFO_TEXT };
struct InfoBox {
  wch text[INFO_TEXT];
  wch progress[INFO_TEXT];
  int reserved;
  int cancellable;
};
InfoBox g_info[INFO_MAX];
int g_infoTop = -1;

void CopyCut(wch* dst, int size, const wch* src) {
  int i = 0;
  if (src)
    for (; src[i] && i < size - 1; ++i) dst[i] = src[i];
  dst[i] = 0;
}
}  // namespace

void Msg_SetFrontEnd(const MsgFrontEnd* fe) { g_front = fe; }

void Msg_Caption(wch* caption, int size, const wch* title, u32 number, int flags) {
  if (flags & MSG_FLAG_NO_NUMBER)
    CopyCut(caption, size, title);
  else
    Fmt_Print(caption, size, u"%s %s%u", title ? title : u"", Lng_GetText(MSG_TEXT_NUMBER), number);
}

u16 Msg_HelpTopic(u32 number) { return u16(MSG_HELP_BASE + number); }

int Msg_Box(const wch* text, const wch* title, u32 number, int flags) {
  if (flags == 0) return 0;
  wch caption[MSG_CAPTION_SIZE];
  Msg_Caption(caption, MSG_CAPTION_SIZE, title, number, flags);
  g_lastNumber = number;
  g_count++;
  CopyCut(g_lastText, 1024, text);
  if (g_front && g_front->box) return g_front->box(text, caption, number, flags);
  return (flags & MSG_FLAG_YESNO) ? 1 : 2;
}

int Msg_ErrorText(u32 number, const wch* text) {
  return Msg_Box(text, Lng_GetText(MSG_TITLE_ERROR), number, MSG_FLAG_SHOW);
}

int Msg_ErrorId(u32 number, u32 textId) { return Msg_ErrorText(number, Lng_GetText(textId)); }

int Msg_WarnText(u32 number, const wch* text) {
  return Msg_Box(text, Lng_GetText(MSG_TITLE_WARNING), number, MSG_FLAG_SHOW);
}

int Msg_WarnId(u32 number, u32 textId) { return Msg_WarnText(number, Lng_GetText(textId)); }

int Msg_Ask(u32 number, const wch* text, int flag) {
  return Msg_Box(text, Lng_GetText(MSG_TITLE_QUESTION), number, flag ? 7 : 3);
}

int Msg_Trace(const wch* text) {
  g_count++;
  CopyCut(g_lastText, 1024, text);
  return (g_front && g_front->trace) ? g_front->trace(text ? text : u"") : 1;
}

void Msg_TraceFile(const wch* text) {
  int h = Os_OpenAppend(u"Q52WTR.000");
  if (h < 0) return;
  char line[1024];
  int n = Lng_WideToAnsi(text ? text : u"", line, sizeof line - 2) - 1;
  line[n++] = '\r';
  line[n++] = '\n';
  Os_Write(h, line, u32(n));
  Os_Close(h);
}

int Msg_InfoOpen(const wch* text, const wch* title, int reserved, int cancellable) {
  if (g_infoTop >= INFO_MAX - 1) return -1;
  int i = g_infoTop + 1;
  CopyCut(g_info[i].text, INFO_TEXT, text);
  g_info[i].progress[0] = 0;
  g_info[i].reserved = reserved;
  g_info[i].cancellable = cancellable;
  g_infoTop = i;
  if (g_front && g_front->infoOpen && g_front->infoOpen(i, g_info[i].text, title, reserved, cancellable) != 0) {
    g_infoTop = i - 1;
    g_info[i].cancellable = 0;
    return -2;
  }
  return i;
}

int Msg_InfoUpdate(const wch* progress) {
  if (g_infoTop < 0) return -1;
  InfoBox& b = g_info[g_infoTop];
  int n = b.reserved < INFO_TEXT - 1 ? b.reserved : INFO_TEXT - 1;
  CopyCut(b.progress, n + 1, progress);
  if (g_front && g_front->infoUpdate) g_front->infoUpdate(g_infoTop, b.progress);
  return 0;
}

int Msg_InfoClose(void) {
  if (g_infoTop < 0) return -1;
  if (g_front && g_front->infoClose) g_front->infoClose(g_infoTop);
  g_info[g_infoTop].cancellable = 0;
  g_infoTop--;
  return 0;
}

int Msg_InfoCancelPressed(void) {
  if (g_infoTop < 0 || !g_info[g_infoTop].cancellable) return 0;
  return (g_front && g_front->cancelPressed) ? g_front->cancelPressed() : 0;
}

int Msg_InfoDepth(void) { return g_infoTop + 1; }

const wch* Msg_InfoText(int index) { return (index >= 0 && index <= g_infoTop) ? g_info[index].text : nullptr; }
const wch* Msg_InfoProgress(int index) {
  return (index >= 0 && index <= g_infoTop) ? g_info[index].progress : nullptr;
}

MsgInfoGeometry Msg_InfoPlace(i32 textLength, i32 reserved, int cancellable, i32 cancelWidth, i32 screenWidth,
                              i32 ownerLeft, i32 ownerTop, i32 ownerRight, i32 ownerBottom) {
  MsgInfoGeometry g;
  g.width = (textLength + reserved + 11) * 8;
  if (cancellable && g.width < cancelWidth + 64) g.width = cancelWidth + 64;
  if (g.width > screenWidth - 48) g.width = screenWidth - 48;
  g.height = MSG_INFO_HEIGHT;
  g.x = ownerLeft + (ownerRight - ownerLeft - g.width) / 2;
  if (g.x < 0) g.x = 0;
  g.y = ownerTop + (ownerBottom - ownerTop - g.height) / 2;
  g.progressX = textLength * 8 + 48;
  return g;
}

u32 Msg_LastNumber(void) { return g_lastNumber; }
const wch* Msg_LastText(void) { return g_lastText; }
u32 Msg_Count(void) { return g_count; }

void Msg_ResetLast(void) {
  g_lastNumber = 0;
  g_count = 0;
  g_lastText[0] = 0;
}
