// Resource ids shared by the .rc files and the C++ code: icons, menus, the
// accelerator table, dialog templates and their control ids, and the menu
// command numbers (MenuCommandId). Plain #defines, since windres reads this
// header too.
#pragma once

// ---------------------------------------------------------------- icons
#define IDI_ORBA_LARGE 2
#define IDI_ORBA_SMALL 11

// ---------------------------------------------------------------- menus
#define IDM_VIEW_MENU 1       // the view menu of every layout view window
#define IDM_CELL_MENU 2       // the cell context menu
#define IDM_SHORT_MENU 3      // the short context menu

// ---------------------------------------------------------------- accelerators
#define IDA_FRAME 1

// ---------------------------------------------------------------- dialog templates
#define IDD_MSG_OK 1          // message box: text, OK, Help
#define IDD_MSG_YESNO 2       // message box: text, Yes, No, Help, Cancel
#define IDC_MSG_TEXT 190      // the static text of both message boxes
#define IDC_HELP_BUTTON 100   // the Help button of every dialog
#define IDC_YES 6
#define IDC_NO 7

// ---------------------------------------------------------------- menu commands
#define CMD_NEW_LAYOUT 256
#define CMD_OPEN 257
#define CMD_SAVE 258
#define CMD_SAVE_AS 259
#define CMD_IMPORT_SCRIPT 260
#define CMD_EXPORT_TEXT 261
#define CMD_EXPORT_PICTURE 262
#define CMD_PROTECTION 265
#define CMD_EXIT 266
#define CMD_RECENT_FIRST 272
#define CMD_RECENT_LAST 303
#define CMD_ZOOM_IN 336
#define CMD_ZOOM_OUT 337
#define CMD_TOGGLE_OVERLAY 338
#define CMD_TOGGLE_SCROLLBARS 339
#define CMD_LEVEL_UP 341
#define CMD_LEVEL_DOWN 342
#define CMD_ZOOM_FIRST 344    // 344..359: the zoom command table
#define CMD_ZOOM_LAST 359
#define CMD_RUN_TOGGLE 384
#define CMD_NEW_VIEW 400
#define CMD_CLOSE_VIEW 401
#define CMD_NEXT_VIEW 402
#define CMD_PREV_VIEW 403
#define CMD_ARRANGE 404
#define CMD_FULL_WIDTH 405
#define CMD_CLOCK_WINDOW 406
#define CMD_ACTIVATE_FRAME 512  // 512 the frame, 513..518 views 0..5
#define CMD_ACTIVATE_LAST 518
#define CMD_FIRST 256
#define CMD_LAST 518
