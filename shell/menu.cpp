#include "shell/menu.h"

#include "model/layfile.h"
#include "platform/fio.h"
#include "platform/print.h"
#include "platform/str.h"
#include "render/map.h"
#include "resources/resid.h"
#include "shell/app.h"
#include "shell/ewin.h"

// ---------------------------------------------------------------- tables
// Every command of the view menu in menu order, by popup. The positions of
// the popups inside the File, Edit and Operation popups are those of
// resources/menus.rc.
const MenuItemText g_menuItems[] = {
    // File
    {MENU_PATH_FILE, CMD_NEW_LAYOUT, 1001, 0},
    {MENU_PATH_FILE, CMD_OPEN, 1002, 0},
    {MENU_PATH_FILE, CMD_SAVE, 1003, 0},
    {MENU_PATH_FILE, CMD_SAVE_AS, 1004, 0},
    {MENU_PATH_FILE, CMD_PROTECTION, 1011, 0},
    {MENU_PATH_ADDON_FILES, CMD_LIST_USER_ELEMENTS, 1120, 0},
    {MENU_PATH_ADDON_FILES, CMD_LIST_VEHICLE_FILES, 1121, 0},
    {MENU_PATH_ADDON_FILES, CMD_LIST_USER_VEHICLES, 1122, 0},
    {MENU_PATH_FILE, CMD_IMPORT_SCRIPT, 1010, 0},
    {MENU_PATH_FILE, CMD_EXPORT_TEXT, 1005, 0},
    {MENU_PATH_FILE, CMD_EXPORT_PICTURE, 1006, 0},
    {MENU_PATH_FILE, CMD_TEXT_EXPORT_OPTIONS, 1051, 0},
    {MENU_PATH_FILE, CMD_PICTURE_OPTIONS, 1050, 0},
    {MENU_PATH_FILE, CMD_LOG_OPTIONS, 1056, 0},
    {MENU_PATH_FILE, CMD_EXIT, 1009, 0},
    // Edit
    {MENU_PATH_EDIT, CMD_POSITION_MARKS, 1025, 0},
    {MENU_PATH_EDIT, CMD_GOTO_POSITION, 1026, 0},
    {MENU_PATH_SEARCH, CMD_SEARCH_TEXT, 1181, 0},
    {MENU_PATH_SEARCH, CMD_SEARCH, 1182, 0},
    {MENU_PATH_SEARCH, CMD_SEARCH_AGAIN, 1183, 0},
    {MENU_PATH_SEARCH, CMD_NEXT_INFO_POINT, 1186, 0},
    {MENU_PATH_SEARCH, CMD_NEXT_LOG_POINT, 1187, 0},
    {MENU_PATH_EDIT, CMD_HISTORY_BACK, 1027, 0},
    {MENU_PATH_EDIT, CMD_HISTORY_FORWARD, 1028, 0},
    {MENU_PATH_EDIT, CMD_CUT, 1033, 0},
    {MENU_PATH_EDIT, CMD_COPY, 1034, 0},
    {MENU_PATH_EDIT, CMD_PASTE, 1035, 0},
    {MENU_PATH_EDIT, CMD_DELETE, 1036, 0},
    {MENU_PATH_EDIT, CMD_MOVE_BOX, 1032, 0},
    {MENU_PATH_EDIT, CMD_ENLARGE_BOX, 1040, 0},
    {MENU_PATH_EDIT, CMD_EDIT_AT_CURSOR, 1020, 0},
    {MENU_PATH_EDIT, CMD_CELL_DIALOG, 1023, 0},
    {MENU_PATH_EDIT, CMD_TEXT_AT_CURSOR, 1024, 0},
    {MENU_PATH_EDIT, CMD_INFO_POINT, 1037, 0},
    {MENU_PATH_EDIT, CMD_LOG_POINT, 1038, 0},
    {MENU_PATH_EDIT, CMD_ELEMENT_CODE, 1031, 0},
    {MENU_PATH_EDIT, CMD_TRACK_LINE, 1029, 0},
    {MENU_PATH_EDIT, CMD_REPLACE_GROUND, 1039, 0},
    {MENU_PATH_EDIT, CMD_AREA_FILL, 1030, 0},
    {MENU_PATH_EDIT, CMD_LINES, 1021, 0},
    // View: the zoom commands read their texts 1230.. in command order.
    {MENU_PATH_VIEW, CMD_ZOOM_IN, 1220, 0},
    {MENU_PATH_VIEW, CMD_ZOOM_OUT, 1221, 0},
    {MENU_PATH_VIEW, 344, 1230, 0},
    {MENU_PATH_VIEW, 345, 1231, 0},
    {MENU_PATH_VIEW, 346, 1232, 0},
    {MENU_PATH_VIEW, 347, 1233, 0},
    {MENU_PATH_VIEW, 348, 1234, 0},
    {MENU_PATH_VIEW, 349, 1235, 0},
    {MENU_PATH_VIEW, 350, 1236, 0},
    {MENU_PATH_VIEW, 351, 1237, 0},
    {MENU_PATH_VIEW, 352, 1238, 0},
    {MENU_PATH_VIEW, 353, 1239, 0},
    {MENU_PATH_VIEW, 354, 1240, 0},
    {MENU_PATH_VIEW, 355, 1241, 0},
    {MENU_PATH_VIEW, 356, 1242, 0},
    {MENU_PATH_VIEW, 357, 1243, 0},
    {MENU_PATH_VIEW, 358, 1244, 0},
    {MENU_PATH_VIEW, 359, 1245, 0},
    {MENU_PATH_VIEW, CMD_LEVEL_UP, 1227, 0},
    {MENU_PATH_VIEW, CMD_LEVEL_DOWN, 1228, 0},
    {MENU_PATH_VIEW, CMD_TOGGLE_OVERLAY, 1222, 1223},
    {MENU_PATH_VIEW, CMD_TOGGLE_SCROLLBARS, 1225, 1224},
    {MENU_PATH_VIEW, CMD_DISPLAY_OPTIONS, 1226, 0},
    {MENU_PATH_VIEW, CMD_FONTS, 1055, 0},
    {MENU_PATH_VIEW, CMD_COLOURS, 1162, 0},
    {MENU_PATH_VIEW, CMD_BACKGROUND_PICTURE, 1057, 0},
    // Trains
    {MENU_PATH_TRAINS, CMD_NEW_TRAIN, 1101, 0},
    {MENU_PATH_TRAINS, CMD_EDIT_TRAINS, 1105, 0},
    {MENU_PATH_TRAINS, CMD_DELETE_TRAINS, 1104, 0},
    {MENU_PATH_TRAINS, CMD_PLACE_TRAINS, 1102, 0},
    {MENU_PATH_TRAINS, CMD_START_TRAINS, 1103, 0},
    {MENU_PATH_TRAINS, CMD_FOLLOW_TRAIN, 1106, 0},
    {MENU_PATH_TRAINS, CMD_TRAIN_TABLE, 1107, 0},
    {MENU_PATH_TRAINS, CMD_VEHICLE_LIST, 1110, 0},
    {MENU_PATH_TRAINS, CMD_CHOOSE_VEHICLE_SETS, 1108, 0},
    {MENU_PATH_TRAINS, CMD_DELETE_VEHICLE_SETS, 1109, 0},
    {MENU_PATH_TRAINS, CMD_LINE_TABLE, 1067, 0},
    {MENU_PATH_TRAINS, CMD_LIST_DEPOTS, 1066, 0},
    {MENU_PATH_TRAINS, CMD_LIST_TIMETABLE_POINTS, 1068, 0},
    {MENU_PATH_TRAINS, CMD_LIST_DWX_POINTS, 1069, 0},
    {MENU_PATH_TRAINS, CMD_LIST_OTHER_POINTS, 1070, 0},
    // Operation
    {MENU_PATH_OPERATION, CMD_RUN_TOGGLE, 1042, 1041},
    {MENU_PATH_OPERATION, CMD_SIM_SPEED, 1043, 0},
    {MENU_PATH_OPERATION, CMD_SIGNAL_INSTALLATION, 1184, 0},
    {MENU_PATH_OPERATION, CMD_TURNOUT_CONTROLLER, 1185, 0},
    {MENU_PATH_CLOCK, CMD_SET_CLOCK, 1044, 0},
    {MENU_PATH_CLOCK, CMD_CLOCK_ALARM, 1045, 0},
    {MENU_PATH_CLOCK, CMD_RATE_SETTINGS, 1046, 0},
    {MENU_PATH_CLOCK, CMD_DAYLIGHT_TIMES, 1164, 0},
    {MENU_PATH_OPERATION, CMD_LIST_SIGNALS, 1071, 0},
    {MENU_PATH_OPERATION, CMD_LIST_TURNOUT_CONTROLLERS, 1072, 0},
    {MENU_PATH_OPERATION, CMD_LIST_SHUNTING_POINTS, 1073, 0},
    {MENU_PATH_OPERATION, CMD_LIST_LOG_POINTS, 1074, 0},
    {MENU_PATH_DISPATCHER, CMD_DISPATCHER_LIST, 1075, 0},
    {MENU_PATH_DISPATCHER, CMD_DISPATCHER_OPTIONS, 1201, 0},
    {MENU_PATH_DISPATCHER, CMD_DISPATCHER_KINDS1, 1202, 0},
    {MENU_PATH_DISPATCHER, CMD_DISPATCHER_KINDS2, 1204, 0},
    {MENU_PATH_DISPATCHER, CMD_DISPATCHER_KINDS3, 1203, 0},
    {MENU_PATH_LANGUAGE, CMD_LANGUAGE_FILE, 1140, 0},
    {MENU_PATH_LANGUAGE, CMD_VARIANT_LANGUAGE_FILE, 1141, 0},
    {MENU_PATH_LANGUAGE, CMD_HELP_FILE, 1142, 0},
    {MENU_PATH_OPERATION, CMD_MOUSE_OPTIONS, 1048, 0},
    {MENU_PATH_OPERATION, CMD_EDITING_OPTIONS, 1049, 0},
    {MENU_PATH_OPERATION, CMD_SOUND_OPTIONS, 1058, 0},
    {MENU_PATH_OPERATION, CMD_PROGRAM_SETTINGS, 1059, 0},
    {MENU_PATH_OPERATION, CMD_SAVE_SETTINGS, 1054, 0},
    // Windows: the frame and the six views by their keys Alt+0..Alt+6.
    {MENU_PATH_WINDOWS, CMD_NEW_VIEW, 1081, 0},
    {MENU_PATH_WINDOWS, CMD_CLOSE_VIEW, 1082, 0},
    {MENU_PATH_WINDOWS, CMD_NEXT_VIEW, 1083, 0},
    {MENU_PATH_WINDOWS, CMD_PREV_VIEW, 1084, 0},
    {MENU_PATH_WINDOWS, CMD_ARRANGE, 1085, 0},
    {MENU_PATH_WINDOWS, CMD_FULL_WIDTH, 1086, 1087},
    {MENU_PATH_WINDOWS, CMD_CLOCK_WINDOW, 1088, 1089},
    {MENU_PATH_WINDOWS, 512, 1090, 0},
    {MENU_PATH_WINDOWS, 513, 1091, 0},
    {MENU_PATH_WINDOWS, 514, 1092, 0},
    {MENU_PATH_WINDOWS, 515, 1093, 0},
    {MENU_PATH_WINDOWS, 516, 1094, 0},
    {MENU_PATH_WINDOWS, 517, 1095, 0},
    {MENU_PATH_WINDOWS, 518, 1096, 0},
    // Help
    {MENU_PATH_HELP, CMD_HELP_TOPICS, 1060, 0},
    {MENU_PATH_HELP, CMD_HELP_INTRO, 1063, 0},
    {MENU_PATH_HELP, CMD_HELP_INDEX, 1064, 0},
    {MENU_PATH_HELP, CMD_STATUS_INFO, 1062, 0},
    {MENU_PATH_HELP, CMD_ABOUT, 1061, 0},
};
const int g_menuItemCount = int(sizeof g_menuItems / sizeof g_menuItems[0]);

const MenuPopupText g_menuPopups[] = {
    {MENU_PATH_FILE, 901},       {MENU_PATH_EDIT, 902},        {MENU_PATH_VIEW, 907},
    {MENU_PATH_TRAINS, 904},     {MENU_PATH_OPERATION, 905},   {MENU_PATH_WINDOWS, 903},
    {MENU_PATH_HELP, 906},       {MENU_PATH_SEARCH, 1022},     {MENU_PATH_CLOCK, 1047},
    {MENU_PATH_DISPATCHER, 1052}, {MENU_PATH_LANGUAGE, 1053}, {MENU_PATH_ADDON_FILES, 1007},
};
const int g_menuPopupCount = int(sizeof g_menuPopups / sizeof g_menuPopups[0]);

TextId Menu_ItemTextId(int id, int on) {
  for (int i = 0; i < g_menuItemCount; ++i) {
    const MenuItemText& m = g_menuItems[i];
    if (m.id == id) return on && m.textOn ? m.textOn : m.text;
  }
  return 0;
}

// ---------------------------------------------------------------- recent files
static wch g_recent[MENU_RECENT_SLOTS][MENU_RECENT_LEN];

void Menu_RecentAdd(const wch* path) {
  if (!path) {
    for (auto& r : g_recent) r[0] = 0;
    return;
  }
  int i = MENU_RECENT_SLOTS - 1;
  for (int k = 0; k < MENU_RECENT_SLOTS - 1; ++k)
    if (g_recent[k][0] && Str_CompareEx(g_recent[k], path, STR_CMP_NOCASE | STR_CMP_SKIPBLANK) == 0) {
      i = k;
      break;
    }
  for (; i > 0; --i) Mem_CopyWide(g_recent[i], g_recent[i - 1], MENU_RECENT_LEN);
  i32 n = Str_Len(path);
  if (n > MENU_RECENT_LEN - 1) n = MENU_RECENT_LEN - 1;
  Mem_CopyWide(g_recent[0], path, n);
  g_recent[0][n] = 0;
}

int Menu_RecentGet(wch* buf, int id) {
  const int i = id - CMD_RECENT_FIRST;
  if (i < 0 || i >= MENU_RECENT_SLOTS || g_recent[i][0] == 0) return 1;
  Str_Copy(buf, g_recent[i]);
  return 0;
}

const wch* Menu_RecentSlot(int i) { return (i >= 0 && i < MENU_RECENT_SLOTS) ? g_recent[i] : u""; }

void Menu_RecentText(int i, const wch* path, wch* buf, int size) {
  wch doubled[2 * MENU_RECENT_LEN];
  int n = 0;
  for (const wch* p = path; *p && n < 2 * MENU_RECENT_LEN - 2; ++p) {
    if (*p == u'&') doubled[n++] = u'&';
    doubled[n++] = *p;
  }
  doubled[n] = 0;
  if (i < 10) Fmt_Print(buf, size, u"&%c %s", wch(u'0' + i), doubled);
  else Fmt_Print(buf, size, u"%u %s", u32(i), doubled);
}

// ---------------------------------------------------------------- titles
enum { MENU_TITLE_PRODUCT = 8126, MENU_TITLE_MAIN_TEXT = 8120, MENU_TITLE_VIEW = 8121, MENU_TITLE_SCALE = 8122,
       MENU_TITLE_MODIFIED = 8123, MENU_TITLE_FRAME_TEXT = 8125 };

// The product word, with the viewer's text right after it.
static void Menu_ProductWord(int viewer, wch* buf, int size) {
  Fmt_Print(buf, size, u"ORBA%s", viewer ? Lng_GetText(MENU_TITLE_PRODUCT) : u"");
}

// The layout file in the layouts folder; a layout without a name (the start
// layout, a new one) is called by text 11060, so that no title shows a gap.
static void Menu_LayoutPath(wch* buf, int size) {
  if (LayoutFileName[0] == 0) {
    Fmt_Print(buf, size, u"%s", Lng_GetText(11060));
    return;
  }
  wch path[OS_MAX_PATH];
  if (Fio_BuildPath(LayoutFileName, FOLDER_LAYOUTS, path) != 0) Str_Copy(path, LayoutFileName);
  Fmt_Print(buf, size, u"%s", path);
}

// A view's scale as a : b.
static void Menu_ViewScale(const MapView& v, u32* a, u32* b) {
  *a = 1;
  *b = 1;
  u32 s = v.scale > 0 ? u32(v.scale) : 1;
  if (v.mode == MAP_MODE_SCHEMATIC)
    *b = 2 * s;
  else if (v.mode == MAP_MODE_OVERVIEW)
    *b = 32 * s;
  else
    *a = s;
}

int Menu_ComposeTitle(int which, int viewer, wch* buf, int size) {
  if (which != MENU_TITLE_FRAME && (which < MENU_TITLE_MAIN || which > MAP_VIEWS)) return 1;
  wch product[64];
  Menu_ProductWord(viewer, product, 64);
  const wch* prefix = SecondInstanceFlag ? u"(2)" : u"";
  if (which == MENU_TITLE_FRAME) {
    Fmt_Print(buf, size, u"%s%s %s", product, prefix, Lng_GetText(MENU_TITLE_FRAME_TEXT));
    return 0;
  }
  wch layout[OS_MAX_PATH];
  Menu_LayoutPath(layout, OS_MAX_PATH);
  if (which == MENU_TITLE_MAIN) {
    // The run log's text and name follow once runs are logged; until then
    // both stay empty.
    const wch* modified = Ewin_IsModified() ? Lng_GetText(MENU_TITLE_MODIFIED) : u"";
    Fmt_Print(buf, size, u"%s%s %s %s %s %s%s", product, prefix, Lng_GetText(MENU_TITLE_MAIN_TEXT), layout,
              modified, u"", u"");
    return 0;
  }
  // The followed train's information line joins a view's title once trains
  // can be followed; until then it stays empty.
  u32 a, b;
  Menu_ViewScale(g_mapViews[which - 1], &a, &b);
  Fmt_Print(buf, size, u"%s%s %s%u %s %s %u:%u %s", product, prefix, Lng_GetText(MENU_TITLE_VIEW), u32(which),
            layout, Lng_GetText(MENU_TITLE_SCALE), a, b, u"");
  return 0;
}
