// The warning that a user graphics file the layout names is missing or
// damaged (template 175): the message, OK, Help, and a button that asks for
// no more such warnings while the program runs.
//
// Owns nothing but the dialog's descriptor while it runs. The descriptor is
// portable; only running the template is Windows (gfxwarn_win32); the
// native build answers as if the dialog were closed with OK. Main thread
// only.
#pragma once
#include "platform/types.h"

enum { GFXWARN_DESC_SIZE = 96, GFXWARN_ID_NO_MORE = 120 };
enum : u16 { GFXWARN_TXT_NO_MORE = 11124 };

// Title (the warning caption with the number), the text, OK, the no-more
// button, Help; caption and text must outlive the dialog. 0 ok, 1 too
// small.
int GfxWarn_BuildDesc(u32 number, const wch* caption, const wch* text, u8* bytes, u32 size);
// The hook of the user graphics reload: shows the warning; 1 when the user
// asked for no more warnings.
int GfxWarn_Show(u32 number, const wch* text);
// Runs template 175 with the descriptor; the end code (0 when closed).
int GfxWarn_Run(u8* bytes);
