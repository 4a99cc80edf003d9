// The view menu's text table against the menu resource, the accelerator
// table and the language file; the window titles.
#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "model/layfile.h"
#include "platform/fio.h"
#include "platform/lng.h"
#include "platform/str.h"
#include "render/map.h"
#include "resources/resid.h"
#include "shell/app.h"
#include "shell/ewin.h"
#include "shell/menu.h"
#include "tests/test_util.h"

namespace {

// ---------------------------------------------------------------- reading the resource sources
std::vector<std::string> ReadLines(const std::string& name) {
#ifdef _WIN32
  // The build passes a Linux path; under Wine it is reached through drive Z:.
  std::ifstream f("Z:" + std::string(ORBA_SOURCE_DIR) + "/resources/" + name);
#else
  std::ifstream f(std::string(ORBA_SOURCE_DIR) + "/resources/" + name);
#endif
  std::vector<std::string> lines;
  for (std::string l; std::getline(f, l);) {
    size_t c = l.find("//");
    if (c != std::string::npos) l.erase(c);
    size_t a = l.find_first_not_of(" \t\r"), b = l.find_last_not_of(" \t\r");
    lines.push_back(a == std::string::npos ? std::string() : l.substr(a, b - a + 1));
  }
  return lines;
}

// The #define values of resid.h.
std::map<std::string, int> ReadIds() {
  std::map<std::string, int> ids;
  for (const std::string& l : ReadLines("resid.h")) {
    std::istringstream s(l);
    std::string def, name;
    int value;
    if (s >> def >> name >> value && def == "#define") ids[name] = value;
  }
  return ids;
}

int IdOf(const std::map<std::string, int>& ids, std::string token) {
  size_t a = token.find_first_not_of(' '), b = token.find_last_not_of(' ');
  token = token.substr(a, b - a + 1);
  if (std::isdigit(static_cast<unsigned char>(token[0]))) return std::stoi(token);
  auto it = ids.find(token);
  return it == ids.end() ? -1 : it->second;
}

std::vector<std::string> SplitCommas(const std::string& s) {
  std::vector<std::string> parts;
  std::string cur;
  bool quoted = false;
  for (char c : s) {
    if (c == '"') quoted = !quoted;
    if (c == ',' && !quoted) {
      parts.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  parts.push_back(cur);
  for (std::string& p : parts) {
    size_t a = p.find_first_not_of(' '), b = p.find_last_not_of(' ');
    p = a == std::string::npos ? std::string() : p.substr(a, b - a + 1);
  }
  return parts;
}

// Menu 1 of menus.rc: each command with the path of its popup, and the
// paths of the popups, positions counted as Windows counts them.
struct RcMenu {
  std::set<std::pair<int, int>> items;  // (path, command)
  std::set<int> popups;
};

RcMenu ReadViewMenu() {
  std::map<std::string, int> ids = ReadIds();
  std::vector<std::string> lines = ReadLines("menus.rc");
  RcMenu menu;
  size_t i = 0;
  while (i < lines.size() && lines[i] != "IDM_VIEW_MENU MENU") ++i;
  std::vector<int> pos;  // position counter of each open level: bar, popup, inner popup
  for (++i; i < lines.size(); ++i) {
    const std::string& l = lines[i];
    auto pathHere = [&]() { return pos.size() == 1 ? pos[0] : pos.size() == 2 ? (pos[0] << 8) | pos[1] : -1; };
    if (l == "BEGIN") {
      pos.push_back(0);
    } else if (l == "END") {
      pos.pop_back();
      if (pos.empty()) break;
    } else if (l.rfind("POPUP", 0) == 0) {
      ++pos.back();
      menu.popups.insert(pathHere());
    } else if (l == "MENUITEM SEPARATOR") {
      ++pos.back();
    } else if (l.rfind("MENUITEM", 0) == 0) {
      // The item belongs to the popup of the enclosing level.
      int path = pos.size() == 2 ? pos[0] : (pos[0] << 8) | pos[1];
      ++pos.back();
      menu.items.insert({path, IdOf(ids, SplitCommas(l).back())});
    }
  }
  return menu;
}

// The key names of each command's accelerators, as a menu item shows them.
std::map<int, std::set<std::string>> ReadAcceleratorNames() {
  std::map<std::string, int> ids = ReadIds();
  std::vector<std::string> lines = ReadLines("menus.rc");
  std::map<int, std::set<std::string>> names;
  size_t i = 0;
  while (i < lines.size() && lines[i] != "IDA_FRAME ACCELERATORS") ++i;
  for (i += 2; i < lines.size() && lines[i] != "END"; ++i) {
    std::vector<std::string> p = SplitCommas(lines[i]);
    std::string key = p[0], name;
    std::set<std::string> flags(p.begin() + 2, p.end());
    if (key == "\" \"")
      name = "Space";
    else if (key[0] == '"')
      name = key.substr(1, key.size() - 2);
    else if (key.rfind("VK_F", 0) == 0)
      name = key.substr(3);
    else if (key.rfind("VK_NUMPAD", 0) == 0)
      name = "Num " + key.substr(9);
    else
      name = std::map<std::string, std::string>{
          {"VK_TAB", "Tab"}, {"VK_RETURN", "Enter"}, {"VK_DELETE", "Del"}, {"VK_INSERT", "Ins"}}[key];
    std::string mods = std::string(flags.count("CONTROL") ? "Ctrl+" : "") + (flags.count("SHIFT") ? "Shift+" : "") +
                       (flags.count("ALT") ? "Alt+" : "");
    names[IdOf(ids, p[1])].insert(mods + name);
  }
  return names;
}

class MenuTexts : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(0, Test_LoadTexts()); }
  void TearDown() override { Fio_FreeBuffers(); }
  static std::string Text(TextId id) { return U8(Lng_GetText(id)); }
};

// ---------------------------------------------------------------- the table
TEST_F(MenuTexts, TableAndResourceNameTheSameCommandsInTheSamePopups) {
  RcMenu rc = ReadViewMenu();
  ASSERT_GT(rc.items.size(), 100u) << "menu 1 of resources/menus.rc not read";
  std::set<std::pair<int, int>> table;
  std::set<int> ids;
  for (int i = 0; i < g_menuItemCount; ++i) {
    table.insert({g_menuItems[i].path, g_menuItems[i].id});
    EXPECT_TRUE(ids.insert(g_menuItems[i].id).second) << "command twice in the table: " << g_menuItems[i].id;
  }
  EXPECT_EQ(rc.items, table);
  std::set<int> popups;
  for (int i = 0; i < g_menuPopupCount; ++i) popups.insert(g_menuPopups[i].path);
  EXPECT_EQ(rc.popups, popups);
}

TEST_F(MenuTexts, EveryCommandOfTheDispatcherHasAnItem) {
  // Every numbered command but the recent files (added at run time), the
  // cell context menus' own and those without any action.
  std::set<int> inMenu;
  for (int i = 0; i < g_menuItemCount; ++i) inMenu.insert(g_menuItems[i].id);
  const int ranges[][2] = {{256, 262}, {265, 266}, {304, 305}, {307, 331}, {336, 342}, {344, 359}, {368, 377},
                           {384, 398}, {400, 406}, {416, 430}, {432, 433}, {448, 451}, {464, 466}, {480, 482},
                           {512, 518}};
  for (auto& r : ranges)
    for (int id = r[0]; id <= r[1]; ++id) EXPECT_TRUE(inMenu.count(id)) << "no menu item for command " << id;
}

TEST_F(MenuTexts, EveryTextIsInTheLanguageFile) {
  for (int i = 0; i < g_menuItemCount; ++i) {
    EXPECT_GT(Lng_GetTextLength(g_menuItems[i].text), 1u) << "command " << g_menuItems[i].id;
    if (g_menuItems[i].textOn) {
      EXPECT_GT(Lng_GetTextLength(g_menuItems[i].textOn), 1u);
    }
  }
  for (int i = 0; i < g_menuPopupCount; ++i) EXPECT_GT(Lng_GetTextLength(g_menuPopups[i].text), 1u);
  for (TextId t = 8120; t <= 8126; ++t) EXPECT_GT(Lng_GetTextLength(t), 1u) << t;
}

TEST_F(MenuTexts, StateTextsBelongToTheFiveToggles) {
  std::set<int> toggles;
  for (int i = 0; i < g_menuItemCount; ++i)
    if (g_menuItems[i].textOn) toggles.insert(g_menuItems[i].id);
  EXPECT_EQ((std::set<int>{338, 339, 384, 405, 406}), toggles);
  EXPECT_EQ(1223u, Menu_ItemTextId(338, 1));
  EXPECT_EQ(1222u, Menu_ItemTextId(338, 0));
  EXPECT_EQ(1224u, Menu_ItemTextId(339, 1));
  EXPECT_EQ(1041u, Menu_ItemTextId(384, 1));
  EXPECT_EQ(1001u, Menu_ItemTextId(256, 1));  // no state: the one text
  EXPECT_EQ(0u, Menu_ItemTextId(272, 0));      // recent files are no item of the resource
  EXPECT_EQ(0u, Menu_ItemTextId(496, 0));      // nor are the context menus' commands
}

// Within one popup no two entries share an access key, so each key reaches
// one entry. The two texts of a toggle are never shown together.
TEST_F(MenuTexts, AccessKeysAreUniqueInEachPopup) {
  std::map<int, std::map<char, int>> keys;  // popup path -> key -> command (popups: -path)
  auto add = [&](int popup, TextId text, int owner) {
    std::string s = Text(text);
    size_t amp = s.find('&');
    ASSERT_NE(std::string::npos, amp) << s;
    char k = char(std::tolower(static_cast<unsigned char>(s[amp + 1])));
    auto it = keys[popup].find(k);
    EXPECT_TRUE(it == keys[popup].end() || it->second == owner)
        << "key " << k << " twice in popup " << std::hex << popup << ": " << s;
    keys[popup][k] = owner;
  };
  for (int i = 0; i < g_menuItemCount; ++i) {
    const MenuItemText& m = g_menuItems[i];
    if (m.id >= 349 && m.id <= 359) continue;  // the schematic and overview zooms carry no key
    add(m.path, m.text, m.id);
    if (m.textOn) add(m.path, m.textOn, m.id);
  }
  for (int i = 0; i < g_menuPopupCount; ++i) {
    int path = g_menuPopups[i].path;
    add(path >> 8 ? path >> 8 : 0, g_menuPopups[i].text, -path);
  }
}

// An item shows the key of its accelerator after a tab, and only a key that
// reaches it.
TEST_F(MenuTexts, ItemsShowTheirAcceleratorKeys) {
  std::map<int, std::set<std::string>> accel = ReadAcceleratorNames();
  ASSERT_GE(accel.size(), 15u);
  // Keys of the key handler, not of the accelerator table: Backspace, * and /.
  const std::map<int, std::string> handlerKeys = {{313, "Backspace"}, {336, "*"}, {337, "/"}};
  for (int i = 0; i < g_menuItemCount; ++i) {
    const MenuItemText& m = g_menuItems[i];
    std::string s = Text(m.text);
    size_t tab = s.find('\t');
    std::string shown = tab == std::string::npos ? "" : s.substr(tab + 1);
    if (handlerKeys.count(m.id)) {
      EXPECT_EQ(handlerKeys.at(m.id), shown);
    } else if (accel.count(m.id)) {
      EXPECT_TRUE(accel[m.id].count(shown)) << "command " << m.id << " shows \"" << shown << "\"";
    } else {
      EXPECT_EQ("", shown) << "command " << m.id << " has no key";
    }
  }
}

// ---------------------------------------------------------------- titles
class MenuTitles : public MenuTexts {
 protected:
  void SetUp() override {
    MenuTexts::SetUp();
    Fio_FolderPath(FOLDER_LAYOUTS, savedFolder, OS_MAX_PATH);
    Str_Copy(savedName, LayoutFileName);
    for (int i = 0; i < MAP_VIEWS; ++i) savedViews[i] = g_mapViews[i];
    Fio_SetFolderPath(FOLDER_LAYOUTS, u"/layouts/");
    Str_Copy(LayoutFileName, u"demo.nt3");
    SecondInstanceFlag = 0;
    Ewin_ClearModified();
  }
  void TearDown() override {
    Fio_SetFolderPath(FOLDER_LAYOUTS, savedFolder);
    Str_Copy(LayoutFileName, savedName);
    for (int i = 0; i < MAP_VIEWS; ++i) g_mapViews[i] = savedViews[i];
    SecondInstanceFlag = 0;
    Ewin_ClearModified();
    MenuTexts::TearDown();
  }
  static std::string Title(int which, int viewer = 0) {
    wch buf[400];
    EXPECT_EQ(0, Menu_ComposeTitle(which, viewer, buf, 400));
    return U8(buf);
  }
  wch savedFolder[OS_MAX_PATH];
  wch savedName[OS_MAX_PATH];
  MapView savedViews[MAP_VIEWS];
};

TEST_F(MenuTitles, FrameTitleCarriesProductInstanceAndViewerTexts) {
  struct Case {
    int second, viewer;
    const char* title;
  } cases[] = {
      {0, 0, "ORBA Control panel"},
      {1, 0, "ORBA(2) Control panel"},
      {0, 1, "ORBA Viewer Control panel"},
      {1, 1, "ORBA Viewer(2) Control panel"},
  };
  for (const Case& c : cases) {
    SecondInstanceFlag = c.second;
    EXPECT_EQ(c.title, Title(MENU_TITLE_FRAME, c.viewer));
  }
}

TEST_F(MenuTitles, MainTitleNamesTheLayoutFileAndItsChanges) {
  EXPECT_EQ("ORBA - /layouts/demo.nt3  ", Title(MENU_TITLE_MAIN));
  Ewin_SetModified();
  EXPECT_EQ("ORBA - /layouts/demo.nt3 (changed) ", Title(MENU_TITLE_MAIN));
  SecondInstanceFlag = 1;
  EXPECT_EQ("ORBA Viewer(2) - /layouts/demo.nt3 (changed) ", Title(MENU_TITLE_MAIN, 1));
}

TEST_F(MenuTitles, ViewTitleShowsNumberAndScaleOfEachMode) {
  struct Case {
    int slot, mode, scale;
    const char* title;
  } cases[] = {
      {0, MAP_MODE_PICTURE, 1, "ORBA View 1 /layouts/demo.nt3 - scale 1:1 "},
      {0, MAP_MODE_PICTURE, 6, "ORBA View 1 /layouts/demo.nt3 - scale 6:1 "},
      {2, MAP_MODE_SCHEMATIC, 1, "ORBA View 3 /layouts/demo.nt3 - scale 1:2 "},
      {2, MAP_MODE_SCHEMATIC, 8, "ORBA View 3 /layouts/demo.nt3 - scale 1:16 "},
      {5, MAP_MODE_OVERVIEW, 1, "ORBA View 6 /layouts/demo.nt3 - scale 1:32 "},
      {5, MAP_MODE_OVERVIEW, 64, "ORBA View 6 /layouts/demo.nt3 - scale 1:2048 "},
  };
  for (const Case& c : cases) {
    g_mapViews[c.slot].mode = c.mode;
    g_mapViews[c.slot].scale = c.scale;
    EXPECT_EQ(c.title, Title(c.slot + 1));
  }
}

TEST_F(MenuTitles, LayoutWithoutNameIsCalledUntitled) {
  LayoutFileName[0] = 0;
  g_mapViews[1].mode = MAP_MODE_PICTURE;
  g_mapViews[1].scale = 2;
  EXPECT_EQ("ORBA View 2 Untitled - scale 2:1 ", Title(2));
  EXPECT_EQ("ORBA - Untitled  ", Title(MENU_TITLE_MAIN));
}

TEST_F(MenuTitles, OutOfRangeAndShortBuffers) {
  wch buf[8] = {u'x'};
  for (int which : {-3, -1, 7}) EXPECT_EQ(1, Menu_ComposeTitle(which, 0, buf, 8)) << which;
  EXPECT_EQ(0, Menu_ComposeTitle(MENU_TITLE_FRAME, 0, buf, 8));
  EXPECT_EQ("ORBA Co", U8(buf));  // cut and terminated
}

}  // namespace
