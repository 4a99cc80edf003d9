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
enum { MSG_CAPTION_SIZE = 120, MSG_HELP_BASE = 50000, MSG_TEXT_CANCEL_HINT = 8060 };
enum { MSG_INFO_MAX = 3, MSG_INFO_TEXT = 100, MSG_INFO_HEIGHT = 96 };

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
// The text and progress text of info box i (0..2) as they are kept (cut to
// the slot); null for a box that is not open.
const wch* Msg_InfoText(int index);
const wch* Msg_InfoProgress(int index);
// The caption of a box: the title, unless flags has 128 followed by a
// blank, text 8040 and the number; cut to size - 1 characters.
void Msg_Caption(wch* caption, int size, const wch* title, u32 number, int flags);
// The help topic of a box's help button: 50000 + number, as 16 bits.
u16 Msg_HelpTopic(u32 number);
// Where an info box goes: width (text length + reserved + 11) x 8, for a
// cancellable box at least cancelWidth + 64, at most screenWidth - 48;
// centred in the owner's rectangle (x not below 0), 96 pixels high. The
// progress column is at x = text length x 8 + 48.
struct MsgInfoGeometry {
  i32 x, y, width, height, progressX;
};
MsgInfoGeometry Msg_InfoPlace(i32 textLength, i32 reserved, int cancellable, i32 cancelWidth, i32 screenWidth,
                              i32 ownerLeft, i32 ownerTop, i32 ownerRight, i32 ownerBottom);

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
  // The system box of Msg_Trace ("Trace", information icon, OK).
  int (*trace)(const wch* text);
};
void Msg_SetFrontEnd(const MsgFrontEnd* fe);
