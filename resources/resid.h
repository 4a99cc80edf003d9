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
#define IDD_DEP_PLACE 63      // a depot place's properties: reference, names, waiting time, condition, lists
#define IDD_DEP_LIST 68       // the depot places: caption, column heads, list 106
#define IDD_DEP_REF_ERROR 69  // a bad place reference: text, a button (120) that opens the depot list
#define IDD_SHUNT_ASK 120     // a shunting point asks the driving user: text, answers 120..125, Help
#define IDD_DMSG_LIST 130     // dispatcher messages: the list
#define IDD_DMSG_OPTIONS 131  // dispatcher messages: when to stop, sound
#define IDD_DMSG_KINDS1 132   // dispatcher messages: kinds of trains and signals
#define IDD_DMSG_KINDS2 133   // dispatcher messages: kinds of timetables and depots
#define IDD_DMSG_KINDS3 134   // dispatcher messages: kinds of movement
// The Yes and No buttons are IDYES (6) and IDNO (7) of windows.h, OK and
// Cancel IDOK and IDCANCEL.
// The file commands' dialogs (shell/filedlg); their controls follow the
// framework's numbering (dialogs/dfw.h).
#define IDD_PENDING_MESSAGES 3  // dispatcher messages wait: continue, list, cancel
#define IDD_LIST_UZG 140        // user element graphics files
#define IDD_LIST_UZ1 141        // user vehicle graphics files
#define IDD_LIST_NFZ 142        // vehicle data files
#define IDD_PICTURE_OPTIONS 150
#define IDD_TEXT_OPTIONS 151
#define IDD_COLOURS 152
#define IDD_FILE_HOOK 153       // child of the file dialog: its second text and the options button
#define IDD_LOG_OPTIONS 157     // run log: folder, what is logged, separator and comment codes, encoding
#define IDD_CODE_PROMPT 161     // enter the layout protection code
#define IDD_CODE 162            // set, change or remove the code
#define IDD_GFX_WARNING 175     // a user graphics file is missing or damaged: text, OK, no more warnings, Help
#define IDD_BACKGROUND 180      // background picture
#define IDC_COLOUR_BOX 280      // colour boxes of the colour dialog
#define IDC_DEFAULT_BOX 281

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
#define CMD_EDIT_AT_CURSOR 304
#define CMD_LINES 305
#define CMD_CELL_DIALOG 307
#define CMD_TEXT_AT_CURSOR 308
#define CMD_INFO_POINT 309
#define CMD_LOG_POINT 310
#define CMD_POSITION_MARKS 311
#define CMD_GOTO_POSITION 312
#define CMD_HISTORY_BACK 313
#define CMD_HISTORY_FORWARD 314
#define CMD_TRACK_LINE 315
#define CMD_REPLACE_GROUND 316
#define CMD_AREA_FILL 317
#define CMD_ELEMENT_CODE 318
#define CMD_MOVE_BOX 319
#define CMD_ENLARGE_BOX 320
#define CMD_CUT 321
#define CMD_COPY 322
#define CMD_PASTE 323
#define CMD_DELETE 324
#define CMD_SEARCH_TEXT 325
#define CMD_SEARCH 326
#define CMD_SEARCH_AGAIN 327
#define CMD_SIGNAL_INSTALLATION 328
#define CMD_TURNOUT_CONTROLLER 329
#define CMD_NEXT_INFO_POINT 330
#define CMD_NEXT_LOG_POINT 331
#define CMD_ZOOM_IN 336
#define CMD_ZOOM_OUT 337
#define CMD_TOGGLE_OVERLAY 338
#define CMD_TOGGLE_SCROLLBARS 339
#define CMD_DISPLAY_OPTIONS 340
#define CMD_LEVEL_UP 341
#define CMD_LEVEL_DOWN 342
#define CMD_ZOOM_FIRST 344    // 344..359: the zoom command table
#define CMD_ZOOM_LAST 359
#define CMD_NEW_TRAIN 368
#define CMD_PLACE_TRAINS 369
#define CMD_START_TRAINS 370
#define CMD_DELETE_TRAINS 371
#define CMD_EDIT_TRAINS 372
#define CMD_FOLLOW_TRAIN 373
#define CMD_TRAIN_TABLE 374
#define CMD_CHOOSE_VEHICLE_SETS 375
#define CMD_DELETE_VEHICLE_SETS 376
#define CMD_VEHICLE_LIST 377
#define CMD_RUN_TOGGLE 384
#define CMD_SIM_SPEED 385
#define CMD_SET_CLOCK 386
#define CMD_CLOCK_ALARM 387
#define CMD_RATE_SETTINGS 388
#define CMD_BACKGROUND_PICTURE 389
#define CMD_MOUSE_OPTIONS 390
#define CMD_PROGRAM_SETTINGS 391
#define CMD_FONTS 392
#define CMD_EDITING_OPTIONS 393
#define CMD_PICTURE_OPTIONS 394
#define CMD_TEXT_EXPORT_OPTIONS 395
#define CMD_LOG_OPTIONS 396
#define CMD_SOUND_OPTIONS 397
#define CMD_SAVE_SETTINGS 398
#define CMD_NEW_VIEW 400
#define CMD_CLOSE_VIEW 401
#define CMD_NEXT_VIEW 402
#define CMD_PREV_VIEW 403
#define CMD_ARRANGE 404
#define CMD_FULL_WIDTH 405
#define CMD_CLOCK_WINDOW 406
#define CMD_ABOUT 416
#define CMD_STATUS_INFO 417
#define CMD_HELP_TOPICS 418
#define CMD_HELP_INTRO 419
#define CMD_HELP_INDEX 420
#define CMD_LIST_DEPOTS 421
#define CMD_LINE_TABLE 422    // the same dialog as CMD_LINES
#define CMD_LIST_TIMETABLE_POINTS 423
#define CMD_LIST_DWX_POINTS 424
#define CMD_LIST_OTHER_POINTS 425
#define CMD_LIST_SIGNALS 426
#define CMD_LIST_TURNOUT_CONTROLLERS 427
#define CMD_LIST_SHUNTING_POINTS 428
#define CMD_LIST_LOG_POINTS 429
#define CMD_DISPATCHER_LIST 430
#define CMD_COLOURS 432
#define CMD_DAYLIGHT_TIMES 433
#define CMD_DISPATCHER_OPTIONS 448
#define CMD_DISPATCHER_KINDS1 449
#define CMD_DISPATCHER_KINDS2 450
#define CMD_DISPATCHER_KINDS3 451
#define CMD_LANGUAGE_FILE 464
#define CMD_VARIANT_LANGUAGE_FILE 465
#define CMD_HELP_FILE 466
#define CMD_LIST_USER_ELEMENTS 480
#define CMD_LIST_VEHICLE_FILES 481
#define CMD_LIST_USER_VEHICLES 482
// The cell context menus.
#define CMD_CELL_ACTION 496
#define CMD_CELL_GRAPHIC_EDITOR 497
#define CMD_CELL_TEXT 498
#define CMD_CELL_INFO_POINT 499
#define CMD_CELL_LOG_POINT 500
#define CMD_CELL_TRAIN_ACTION 501
#define CMD_CELL_TRAIN_RESUME 502
#define CMD_CELL_TRAIN_REVERSE 503
#define CMD_CELL_FOLLOW 504
#define CMD_CELL_STOP_FOLLOWING 505
#define CMD_CELL_BOX_CORNER1 506
#define CMD_CELL_BOX_CORNER2 507
#define CMD_CELL_COPY 508
#define CMD_CELL_PASTE 509
#define CMD_CELL_ELEMENT_CODE 510
#define CMD_ACTIVATE_FRAME 512  // 512 the frame, 513..518 views 0..5
#define CMD_ACTIVATE_LAST 518
#define CMD_FIRST 256
#define CMD_LAST 518
