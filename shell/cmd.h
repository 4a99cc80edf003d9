// Command dispatch: every menu command (view menu, accelerators, context
// menus) reaches Cmd_MenuCommand; keys that no accelerator takes reach
// Cmd_KeyHandler.
//
// Owns the table of commands with an owner in this build; a command without
// one is grey in every view menu and does nothing. Main thread.
#pragma once
#include "platform/types.h"

enum { CMD_MOD_CTRL = 1, CMD_MOD_SHIFT = 2, CMD_MOD_ALT = 4 };
// Sources of a command.
enum { CMD_SRC_MENU = 0, CMD_SRC_ACCEL = 1, CMD_SRC_VIEW = 2 };

// Runs one command; 0 when it has an owner here, 1 when it does nothing.
int Cmd_MenuCommand(int id);
// context 0: the menu dispatcher; else the cell context menu at the
// window's cursor. source: CMD_SRC_*.
int Cmd_Dispatch(int id, int source, int context);
// key: a virtual key (0x100 | character for characters); modifiers
// CMD_MOD_*; inView: the key came from a view. Non-zero when taken.
int Cmd_KeyHandler(int key, int modifiers, int inView);
// Ctrl with the letter 'A'..'Z': the toggle at the letter's place in text
// 921; 1 when taken.
int Cmd_CtrlLetter(int letter);
// Alt with the letter 'A'..'Z': the command at the letter's place in text
// 920; 1 when taken.
int Cmd_AltLetter(int letter);
// 1 when the command has an owner in this build (its menu item is enabled).
int Cmd_HasOwner(int id);
// Switches the signal at the cell (mode 0 off, 1 on, 2 toggle): at a depot
// place the one installation its references name, else the installations
// of the signal element there. 0 switched; 1 a depot place that names no
// installation; 3 the switch refused (no element, or a place whose
// references are mixed). Any refusal sounds event sound 0.
int Cmd_SwitchSignalAt(i32 x, i32 y, i32 level, int mode);
