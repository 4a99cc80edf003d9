// Message boxes, info boxes and trace.
//
// Every message carries a MsgNumber; its caption is the title text, text 8040
// and the number; titles are texts 8000 (error), 8020 (warning), 8010
// (question). The info boxes form a stack of at most three small non-modal
// windows that show what a long operation is doing.
//
// The portable core keeps the state (the info-box stack and its texts, the
// last message shown); the Windows front end adds the windows. Without a
// front end (native tests, batch tools) a message box answers as if the user
// closed it with OK (question: Cancel) and is recorded in Msg_LastNumber.
#pragma once
#include "platform/types.h"

enum { MSG_TITLE_ERROR = 8000, MSG_TITLE_QUESTION = 8010, MSG_TITLE_WARNING = 8020, MSG_TEXT_NUMBER = 8040 };
enum { MSG_FLAG_YESNO = 1, MSG_FLAG_SHOW = 8, MSG_FLAG_NO_NUMBER = 128 };

int Msg_Box(const wch* text, const wch* title, u32 number, int flags);
int Msg_ErrorId(u32 number, u32 textId);
int Msg_ErrorText(u32 number, const wch* text);
int Msg_WarnId(u32 number, u32 textId);
int Msg_WarnText(u32 number, const wch* text);
int Msg_Ask(u32 number, const wch* text, int flag);
int Msg_Trace(const wch* text);
void Msg_TraceFile(const wch* text);

int Msg_InfoOpen(const wch* text, const wch* title, int reserved, int cancellable);
int Msg_InfoUpdate(const wch* progress);
int Msg_InfoClose(void);
int Msg_InfoCancelPressed(void);
int Msg_InfoDepth(void);  // number of open info boxes

// The last message box asked for (number and text), for the front end's tests
// and for batch use; 0 when none since Msg_ResetLast.
u32 Msg_LastNumber(void);
const wch* Msg_LastText(void);
u32 Msg_Count(void);
void Msg_ResetLast(void);

// The front end that shows boxes; null (the default) records only.
struct MsgFrontEnd {
  int (*box)(const wch* text, const wch* caption, u32 number, int flags);
  int (*infoOpen)(int index, const wch* text, const wch* title, int reserved, int cancellable);
  void (*infoUpdate)(int index, const wch* progress);
  void (*infoClose)(int index);
  int (*cancelPressed)(void);
};
void Msg_SetFrontEnd(const MsgFrontEnd* fe);
