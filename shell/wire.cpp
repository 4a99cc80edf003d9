#include "shell/wire.h"

#include "dialogs/depdlg.h"
#include "dialogs/dfw.h"
#include "dialogs/dmsgdlg.h"
#include "dialogs/gfxwarn.h"
#include "dialogs/rpask.h"
#include "model/dep.h"
#include "model/depref.h"
#include "model/genl.h"
#include "model/grid.h"
#include "model/hst.h"
#include "model/infp.h"
#include "model/layaddon.h"
#include "model/layfile.h"
#include "model/layprot.h"
#include "model/lfst.h"
#include "model/line.h"
#include "model/logp.h"
#include "model/mcs.h"
#include "model/pointobj.h"
#include "model/rngp.h"
#include "model/rule.h"
#include "model/txt.h"
#include "operation/clock.h"
#include "operation/dmsg.h"
#include "operation/pts.h"
#include "operation/ptsfile.h"
#include "operation/sig.h"
#include "operation/sigeval.h"
#include "operation/snd.h"
#include "operation/sndcat.h"
#include "operation/trn.h"
#include "operation/trnfollow.h"
#include "operation/trnlist.h"
#include "platform/clip.h"
#include "platform/fio.h"
#include "platform/os.h"
#include "platform/str.h"
#include "render/bgp.h"
#include "render/cellin.h"
#include "render/clkpaint.h"
#include "render/cursor.h"
#include "render/daylight.h"
#include "render/disp.h"
#include "render/gfx.h"
#include "render/map.h"
#include "render/ovw.h"
#include "render/status.h"
#include "render/vehicles.h"
#include "shell/app.h"
#include "shell/bld.h"
#include "shell/ewin.h"
#include "shell/file.h"
#include "shell/filedlg.h"
#include "shell/marks.h"
#include "shell/menu.h"
#include "shell/userfiles.h"
#include "shell/vwin.h"

// The lower layers name the masks and table sizes in their own words; they
// must mean what their owners' do, since the hooks pass them straight on.
static constexpr bool Wire_Same(int a, int b) { return a == b; }
static_assert(Wire_Same(GRID_REDRAW_PICTURE, MAP_REDRAW_PICTURE) &&
                  Wire_Same(GRID_REDRAW_SCHEMATIC, MAP_REDRAW_SCHEMATIC) &&
                  Wire_Same(GRID_REDRAW_OVERVIEW, MAP_REDRAW_OVERVIEW) && Wire_Same(GRID_REDRAW_ALL, MAP_REDRAW_ALL),
              "redraw masks differ");
static_assert(Wire_Same(GRID_INVALIDATE_FRAME, MAP_INVALIDATE_FRAME) &&
                  Wire_Same(GRID_INVALIDATE_VIEWS, MAP_INVALIDATE_VIEWS) &&
                  Wire_Same(GRID_INVALIDATE_PICTURE, MAP_INVALIDATE_PICTURE),
              "invalidate masks differ");
static_assert(Wire_Same(GENL_MARKS, MARK_COUNT) && Wire_Same(GENL_MARK_NAME_MAX, MARK_NAME_MAX), "mark table differs");
static_assert(Wire_Same(GENL_ELEMENT_NAMES, USERFILE_ELEMENT_SLOTS) &&
                  Wire_Same(GENL_VEHICLE_NAMES, USERFILE_VEHICLE_SLOTS) &&
                  Wire_Same(GENL_SET_NAMES, USERFILE_SET_SLOTS) && Wire_Same(GENL_NAME_MAX, USERFILE_NAME_MAX),
              "user file tables differ");
static_assert(sizeof(g_daylight.times) == 4 * sizeof(u16), "daylight times differ");

// ---------------------------------------------------------------- layout file

static void Wire_Busy(int begin) { Cur_SetState(begin ? CUR_WAIT_BEGIN : CUR_WAIT_END); }

static void Wire_StopSimulation(void) { Ewin_RunStop(EWIN_RUN_STOP); }
static int Wire_CodeClass(u32 code) { return Gfx_CodeClass(GraphicCode(code)); }

// ---------------------------------------------------------------- general section

// The active view's slot, slot 0 when none is active.
static MapView& Wire_ActiveView(void) {
  const i32 s = (g_activeViewSlot >= 0 && g_activeViewSlot < MAP_VIEWS) ? g_activeViewSlot : 0;
  return g_mapViews[s];
}

static void Wire_GetView(GenlView* out) {
  const MapView& v = Wire_ActiveView();
  out->originX = v.originX;
  out->originY = v.originY;
  out->cursorX = v.cursorX;
  out->cursorY = v.cursorY;
  out->level = v.level;
  out->cellsX = v.visWidth;
  out->cellsY = v.visHeight;
}

static void Wire_SetView(const GenlView* in) {
  MapView& v = Wire_ActiveView();
  v.originX = in->originX;
  v.originY = in->originY;
  v.cursorX = in->cursorX;
  v.cursorY = in->cursorY;
  v.level = in->level;
}

static int Wire_GetBoxShown(void) { return Ewin_SelectionShown(EWIN_SEL_QUERY); }

static void Wire_SetBoxShown(int shown) { Ewin_SelectionShown(shown ? EWIN_SEL_SHOW : EWIN_SEL_HIDE); }

static void Wire_GetDaylight(int* enabled, u16 times[4]) {
  *enabled = g_daylight.enabled;
  for (int k = 0; k < 4; ++k) times[k] = g_daylight.times[k];
}

static void Wire_SetDaylight(int enabled, const u16 times[4]) {
  g_daylight.enabled = enabled;
  for (int k = 0; k < 4; ++k) g_daylight.times[k] = times[k];
}

// ---------------------------------------------------------------- clock

// Each simulated minute the daylight phase follows the clock; a changed phase
// shades every picture view anew.
// A new daylight phase repaints the picture views; otherwise the symbols
// larger than their cell are drawn again when the animation word asks.
static void Wire_ClockMinute(void) {
  if (Disp_UpdateDaylightPhase()) Map_InvalidateViews(MAP_INVALIDATE_PICTURE);
  else if (Mcs_GetAnimationWord() & MCS_ANIM_MINUTE) Mcs_RedrawAreas();
}

// The alarm action asks the user through the clock dialog; until it exists
// the alarm stops the simulation, which is its lasting effect, and rings.
static void Wire_ClockAlarm(void) {
  Ewin_RunStop(EWIN_RUN_STOP);
  if (Snd_OutputOn() && (Snd_GetOptions() & SND_OPT_ALARM)) Snd_PostRequest(SND_SLOT_ALARM, SND_REQ_SLOT);
}

// ---------------------------------------------------------------- trains and stops

static int Wire_LoadVehicleSet(u32 setId) { return Gfx_LoadVehicleSet(setId, 0); }

static int Wire_TrainsLabelled(void) {
  u32 word = 0;
  Disp_GetTrainTextMode(&word, nullptr);
  return (word & 3) != 0;
}

// ---------------------------------------------------------------- views

static i32 Wire_ActiveViewSlot(void) { return g_activeViewSlot; }
static i32 Wire_FollowedViewSlot(void) { return g_followedViewSlot; }
static void Wire_RedrawClockFields(void) { Clk_RedrawAll(nullptr); }
static int Wire_SimRunning(void) { return SimRunFlag; }

// The line table asks each module with rules for the objects in a box that
// name a line, through the module's own search with a cursor.
static i32 Wire_StopsWithLine(LineId id, i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, int firstOnly) {
  i32 n = 0, x = 0, y, level;
  while (Hst_FindNextWithLine(id, x1, y1, level1, x2, y2, level2, &x, &y, &level)) {
    if (++n && firstOnly) break;
    x = -1;
  }
  return n;
}
static i32 Wire_TurnoutsWithLine(LineId id, i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, int firstOnly) {
  i32 n = 0, x = 0, y, level;
  u32 controller;
  while (Pts_NextWithLineInBox(id, x1, y1, level1, x2, y2, level2, &x, &y, &level, &controller)) {
    if (++n && firstOnly) break;
    x = -1;
  }
  return n;
}
static i32 Wire_SignalsWithLine(LineId id, i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, int firstOnly) {
  i32 n = 0, x = 0, y, level;
  wch name[SIG_NAME_UNITS];
  u32 type;
  while (Sig_FindElementInRect(id, x1, y1, level1, x2, y2, level2, &x, &y, &level, name, &type)) {
    if (++n && firstOnly) break;
    x = -1;
  }
  return n;
}
static int Wire_SignalsCopyLine(LineId newId, LineId fromId) { return Sig_OnLineCopied(fromId, newId); }

// The grid asks a view slot's level (Grid_ViewLevelCheck).
static i32 Wire_ViewLevel(int slot) { return g_mapViews[slot].level; }

// The rule texts name depot places by the depot module's names.
static int Wire_FormatPlaceName(i32 depot, i32 place, wch* longText, wch* shortText) {
  return depot < 1 ? 1 : Dep_FormatName(u32(depot), place, longText, shortText);
}

// ---------------------------------------------------------------- sounds and following

static int Wire_GetView(int slot, SndView* out) {
  if (slot < 0 || slot >= MAP_VIEWS || !g_mapViews[slot].window) return 0;
  const MapView& m = g_mapViews[slot];
  out->mode = m.mode;
  out->scale = m.scale;
  out->showState = m.showState;
  out->level = m.level;
  out->originX = m.originX;
  out->originY = m.originY;
  out->visWidth = m.visWidth;
  out->visHeight = m.visHeight;
  out->cursorX = m.cursorX;
  out->cursorY = m.cursorY;
  return 1;
}

static void Wire_RetitleView(int slot) { Menu_SetWindowTitles(slot + 1); }

// An overview map moves by pixels of its map, the other views by cells.
static void Wire_FollowScroll(int slot, i32 dx, i32 dy) {
  if (slot < 0 || slot >= MAP_VIEWS || !g_mapViews[slot].window) return;
  if (g_mapViews[slot].mode != MAP_MODE_OVERVIEW) {
    Vwin_ScrollCells(slot, dx, dy);
    return;
  }
  if (dx > 0) Ovw_ScrollRight(slot, dx);
  else if (dx < 0) Ovw_ScrollLeft(slot, -dx);
  if (dy > 0) Ovw_ScrollDown(slot, dy);
  else if (dy < 0) Ovw_ScrollUp(slot, -dy);
}

static void Wire_SetCursor(int slot, i32 x, i32 y) {
  if (slot < 0 || slot >= MAP_VIEWS || !g_mapViews[slot].window) return;
  g_mapViews[slot].cursorX = x;
  g_mapViews[slot].cursorY = y;
}

// The objects' extent joins the stores beside the grid, each through its
// own extent query.
static int Wire_TextsExtent(LayoutExtent* b) {
  return Txt_GetExtent(&b->minX, &b->minY, &b->minLevel, &b->maxLevel, &b->maxY, &b->maxX);
}
static int Wire_InfoExtent(LayoutExtent* b) {
  return Info_GetExtent(&b->minX, &b->minY, &b->minLevel, &b->maxLevel, &b->maxY, &b->maxX);
}
static int Wire_LogExtent(LayoutExtent* b) {
  return Logp_GetExtent(&b->minX, &b->minY, &b->minLevel, &b->maxLevel, &b->maxY, &b->maxX);
}

static void Wire_RetitleWindows(void) { Menu_SetWindowTitles(-1); }

// ---------------------------------------------------------------- add-on files

static int Wire_EmbedAddOns(void) { return File_OptEmbedAddOns(0) ? 1 : 0; }
static int Wire_AddOnLoadMode(void) { return File_OptAddOnLoad(0); }

static void Wire_GetSlotName(int kind, int slot, wch* name) {
  name[0] = 0;
  // The name table counts element slots from 1, the graphics store from 0.
  if (kind == LAY_SLOTS_ELEMENTS) File_GetUzgName(slot + 1, name);
  else if (kind == LAY_SLOTS_VEHICLES) File_GetUz1Name(slot, name);
  else if (kind == LAY_SLOTS_SETS) File_GetVehicleSetName(slot, name);
}

static void Wire_SetSlotName(int kind, int slot, const wch* name) {
  if (kind == LAY_SLOTS_ELEMENTS) File_SetUzgName(slot + 1, name);
  else if (kind == LAY_SLOTS_SETS) File_SetVehicleSetName(slot, name);
}

// A slot's file through the graphics store: 0 ok (or no file named), 3
// missing, 5 no memory, 6 not readable.
static int Wire_LoadSlot(int kind, int slot) {
  wch name[OS_MAX_PATH], path[OS_MAX_PATH];
  Wire_GetSlotName(kind, slot, name);
  if (!name[0]) {
    // A set the last layout filled goes back to its placeholders.
    const int filled = kind == LAY_SLOTS_ELEMENTS && Gfx_UserSetFolder(slot)[0];
    return filled && Gfx_ImportUserGraphicSet(slot, nullptr) == 5 ? 5 : 0;
  }
  if (Fio_BuildPath(name, FOLDER_LAYOUTS, path) != 0 || Os_Access(path, OS_ACCESS_EXISTS) != 0) return 3;
  const int r = kind == LAY_SLOTS_ELEMENTS ? Gfx_ImportUserGraphicSet(slot, path)
                                           : Gfx_ImportUserElementFile(slot, path);
  if (r == 0) return 0;
  return r == 5 || r == 6 ? 5 : 6;
}

// The name with another extension.
static void Wire_WithExtension(const wch* name, const wch* ext, wch* out) {
  Str_Copy(out, name);
  Fio_StripExtension(out);
  Fio_AddExtension(out, ext);
}

static void Wire_ListAddOns(int (*each)(const wch* name, int kind, void* ctx), void* ctx) {
  wch name[OS_MAX_PATH], other[OS_MAX_PATH];
  for (int s = 0; s < GFX_USER_SETS; ++s) {
    File_GetUzgName(s + 1, name);
    if (!name[0]) continue;
    if (each(name, LAY_ADDON_OWN, ctx)) return;
    static const wch* const kCompanions[] = {u"uz2", u"uz4", u"bnm"};
    for (const wch* ext : kCompanions) {
      Wire_WithExtension(name, ext, other);
      if (each(other, LAY_ADDON_COMPANION, ctx)) return;
    }
    for (int k = 0; k < GFX_USER_SET_CODES; ++k) {
      const GraphicCode code = GraphicCode(GFX_USER_FIRST_CODE + GFX_USER_SET_CODES * s + k);
      const i32 variants = Gfx_GetElementVariantCount(code);
      for (i32 v = 0; v < (variants > 0 ? variants : 1); ++v) {
        const i32 frames = Gfx_GetSubPictureCount(code, v);
        for (i32 j = frames > 0 ? 1 : 0; j <= frames; ++j) {
          if (Gfx_ElementFileName(code, 0, j, 1, name, v) == 2) continue;
          if (each(name, LAY_ADDON_COMPANION, ctx)) return;
          Wire_WithExtension(name, u"gz2", other);
          if (each(other, LAY_ADDON_IGNORED, ctx)) return;
          Wire_WithExtension(name, u"gz4", other);
          if (each(other, LAY_ADDON_COMPANION, ctx)) return;
        }
      }
    }
  }
  for (int s = 1; s <= GFX_USER_ELEMENT_FILES; ++s) {
    File_GetUz1Name(s, name);
    if (!name[0]) continue;
    if (each(name, LAY_ADDON_OWN, ctx)) return;
    static const wch* const kZooms[] = {u"uz2", u"uz4"};
    for (const wch* ext : kZooms) {
      Wire_WithExtension(name, ext, other);
      if (each(other, LAY_ADDON_COMPANION, ctx)) return;
    }
  }
  for (int s = 0; s < 100; ++s) {
    File_GetVehicleSetName(s, name);
    if (!name[0]) continue;
    if (each(name, LAY_ADDON_OWN, ctx)) return;
    wch ext[OS_MAX_PATH];
    if (Fio_GetExtension(name, ext) == 0 && Str_CompareOs(ext, u"ufg", 1) == 0) {
      Wire_WithExtension(name, u"uzz", other);
      if (each(other, LAY_ADDON_OWN, ctx)) return;
    }
    for (u32 set = u32(s) * 10; set < u32(s) * 10 + 10; ++set)
      for (u32 v = 0; v < 16; ++v) {
        const VehicleId id = VehicleId(0x80000000u | (set << 4) | v);
        if (Gfx_VehicleFileName(id, name, 2) != 0) continue;
        if (each(name, LAY_ADDON_COMPANION, ctx)) return;
        Wire_WithExtension(name, u"fzz", other);
        if (each(other, LAY_ADDON_COMPANION, ctx)) return;
        if (Gfx_VehicleFileName(id, name, 4) == 0 && each(name, LAY_ADDON_COMPANION, ctx)) return;
      }
  }
  // The background picture is kept as a full path: it travels when it lies
  // in the layouts folder, under its name relative to it.
  const wch* picture = Bgp_GetSettings(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  wch folder[OS_MAX_PATH];
  if (!picture || !picture[0] || Fio_FolderPath(FOLDER_LAYOUTS, folder, OS_MAX_PATH) != 0) return;
  const i32 n = Str_Len(folder);
  if (n == 0 || Str_Len(picture) <= n) return;
  Mem_CopyWide(other, picture, n);
  other[n] = 0;
  if (Str_CompareOs(other, folder, 1) == 0) each(picture + n, LAY_ADDON_OWN, ctx);
}

// ---------------------------------------------------------------- multi-cell symbols

static int Wire_McsPictureViews(McsView* out, int max) {
  int n = 0;
  for (int v = 0; v < MAP_VIEWS && n < max; ++v) {
    const MapView& m = g_mapViews[v];
    if (!m.window || m.mode != MAP_MODE_PICTURE) continue;
    out[n++] = McsView{v, m.originX, m.originY, m.originX + m.visWidth, m.originY + m.visHeight + 3, m.level};
  }
  return n;
}

static i32 Wire_McsCellVariant(i32 x, i32 y, i32, u32 code) { return Map_CellPictureVariant(x, y, code); }

static void Wire_McsLibraryName(int library, wch* name) { File_GetUzgName(library, name); }

static void Wire_McsBuildPicture(u32 code, i32 variant, i32 picture, int zoom) {
  Gfx_BuildElementGraphic(code, variant, zoom, picture);
}

// A symbol's step sound is heard while sound output and the animation
// sounds are on and a picture view shows the symbol's cell.
static void Wire_McsStepSound(i32 x, i32 y, i32 level, i32 sound) {
  if (Snd_OutputOn() && (Snd_GetOptions() & SND_OPT_ANIMATION) && Snd_CellAudibility(x, y, level) == 1)
    Snd_PostRequest(u32(sound), 0);
}

static int Wire_LoadLayoutGraphics(u16 version) {
  if (Bgp_GetSettings(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr)[0]) Bgp_LoadPicture();
  return Gfx_LoadLayoutVehicleSets(version);
}

static void Wire_LoadZoomVehicleSets(void) {
  const int zoom = Gfx_GetZoomSet();
  if (zoom >= 2) Gfx_LoadAllVehicleSetsZoom(2, 0, 0);
  if (zoom >= 4) Gfx_LoadAllVehicleSetsZoom(4, 0, 0);
}

// Dispatcher messages ring their slot (1 first, 2 another, 3 table full)
// while sound output and the dispatcher sound option are on.
static void Wire_DispatcherSound(int slot) {
  if (Snd_OutputOn() && (Snd_GetOptions() & SND_OPT_DISPATCHER)) Snd_PostRequest(u32(slot), SND_REQ_SLOT);
}
// A dispatcher message's line in the run log, with the train it names
// when there is one.
static void Wire_LogDispatcherMessage(const DispatcherMessage* m) {
  if (!Logp_IsLogging()) return;
  TrainRec* t = nullptr;
  int exists = 0;
  if (m->Line >= 1 && i32(m->Number) >= 1) t = TrnList_FindSorted(m->Line, i32(m->Number), &exists);
  if (!exists) t = nullptr;
  // The departure time of a late train stands in the log's time field.
  wch time[16] = {0}, text[DMSG_LINE_WIDTH + 100];
  Dmsg_FormatText(m->Kind, m->X, m->Y, m->Kind == 26 ? time : nullptr, text, DMSG_LINE_WIDTH + 100, m->Data, m->Second,
                  m->Minute, m->Hour, m->Level);
  Logp_LogDispatchMsg(m->X, m->Y, m->Level, time, text, m->Line, t);
}
static void Wire_PaintDispatcherIndicator(void) { Map_PaintDispatcherIndicator(nullptr); }
static int Wire_DispatcherSoundOn(void) { return (Snd_GetOptions() & SND_OPT_DISPATCHER) ? 1 : 0; }
static void Wire_SetDispatcherSound(int on) {
  const u32 o = Snd_GetOptions();
  Snd_SetOptions(on ? (o | SND_OPT_DISPATCHER) : (o & ~u32(SND_OPT_DISPATCHER)));
}

// ---------------------------------------------------------------- installers

// Redraws, the objects' extent and the window titles.
static void Wire_InstallViewHooks(void) {
  Logp_SetTitleHook(Wire_RetitleWindows);
  static const GridViewHooks grid = {Map_RedrawCell, Map_QueueCellRedraw, Map_FlushCellRedraws, Map_InvalidateViews,
                                     Wire_ViewLevel};
  Grid_SetViewHooks(&grid);
  static const GridObjectStores objects = {Wire_TextsExtent, Wire_InfoExtent, Wire_LogExtent};
  Grid_SetObjectStores(&objects);
  static const MapShellHooks views = {Wire_ActiveViewSlot, Wire_FollowedViewSlot, Wire_RedrawClockFields};
  Map_SetShellHooks(&views);
}

// The graphics steps of the loader are the store's own.
static_assert(Wire_Same(BGP_SET_ASIDE, LAY_GRAPHICS_SET_ASIDE) && Wire_Same(BGP_PUT_BACK, LAY_GRAPHICS_PUT_BACK) &&
                  Wire_Same(BGP_DROP, LAY_GRAPHICS_DROP) && Wire_Same(BGP_DROP_ALL, LAY_GRAPHICS_DROP_ALL),
              "the graphics steps of the loader and the store");

// Loading and saving the layout file, its protection and its add-on files.
static void Wire_InstallLayoutHooks(void) {
  LayHooks layout = {};
  layout.setModified = Ewin_SetModified;
  layout.clearModified = Ewin_ClearModified;
  layout.isModified = Ewin_IsModified;
  layout.busy = Wire_Busy;
  layout.stopSimulation = Wire_StopSimulation;
  layout.clearMarks = Ewin_ClearMarks;
  layout.readBackgroundSection = Bgp_LoadSection;
  layout.writeBackgroundSection = Bgp_SaveSection;
  layout.keepGraphics = Bgp_KeepLayoutGraphics;
  layout.loadLayoutGraphics = Wire_LoadLayoutGraphics;
  layout.loadZoomVehicleSets = Wire_LoadZoomVehicleSets;
  Lay_SetHooks(&layout);
#ifndef ORBA_VIEWER
  static const LayProtectHooks protect = {File_AskCodePrompt};
  Lay_SetProtectHooks(&protect);
#endif

  LayAddOnHooks addOns = {};
  addOns.embedAddOns = Wire_EmbedAddOns;
  addOns.loadMode = Wire_AddOnLoadMode;
  addOns.listCandidates = Wire_ListAddOns;
  addOns.getSlotName = Wire_GetSlotName;
  addOns.setSlotName = Wire_SetSlotName;
  addOns.loadSlot = Wire_LoadSlot;
  addOns.graphicsWarning = GfxWarn_Show;
  Lay_SetAddOnHooks(&addOns);
}

static void Wire_InstallSymbolHooks(void) {
  McsHooks symbols = {};
  symbols.pictureViews = Wire_McsPictureViews;
  symbols.cellVariant = Wire_McsCellVariant;
  symbols.zoomSet = Gfx_GetZoomSet;
  symbols.libraryName = Wire_McsLibraryName;
  symbols.stepSound = Wire_McsStepSound;
  symbols.buildPicture = Wire_McsBuildPicture;
  symbols.displayPaused = Disp_GetDisplayPause;
  Mcs_SetHooks(&symbols);
}

static void Wire_InstallGeneralHooks(void) {
  GenlHooks general = {};
  general.getView = Wire_GetView;
  general.setView = Wire_SetView;
  general.getMark = Ewin_GetMark;
  general.setMark = Ewin_SetMark;
  general.getHome = Ewin_GetHome;
  general.setHome = Ewin_SetHome;
  general.getBox = Ewin_GetSelection;
  general.setBox = Ewin_SetSelection;
  general.getBoxShown = Wire_GetBoxShown;
  general.setBoxShown = Wire_SetBoxShown;
  general.getLineEnd = Bld_GetLastLineEnd;
  general.setLineEnd = Bld_SetLastLineEnd;
  general.clearNames = File_ClearUserFileNames;
  general.getElementName = File_GetUzgName;
  general.setElementName = File_SetUzgName;
  general.getVehicleName = File_GetUz1Name;
  general.setVehicleName = File_SetUz1Name;
  general.getSetName = File_GetVehicleSetName;
  general.setSetName = File_SetVehicleSetName;
  general.getDaylight = Wire_GetDaylight;
  general.setDaylight = Wire_SetDaylight;
  Genl_SetHooks(&general);
}

// The clock, trains and the objects they meet on the grid.
static void Wire_InstallOperationHooks(void) {
  static const ClkHooks clock = {Wire_ClockMinute, Wire_ClockAlarm};
  Clk_SetHooks(&clock);
  Clk_SetRunningQuery(Wire_SimRunning);
  static const TrnHooks trains = {Gfx_GetVehicleLength, Gfx_GetVehicleFlags, Wire_LoadVehicleSet,
                                  Wire_TrainsLabelled, Gfx_ReadVehicleIndexEntry};
  Trn_SetHooks(&trains);
  static const HstHooks stops = {Disp_GetOptAnzHst, Gfx_CodeClass};
  Hst_SetHooks(&stops);
  static const LfstHooks lfst = {Disp_GetOptLfst};
  Lfst_SetHooks(&lfst);
  Rp_SetShowFlagged(Disp_GetOptRangp);
  static const RpHooks shunting = {RpAsk_Ask, Wire_StopSimulation};
  Rp_SetHooks(&shunting);
  // The animation word has no owner yet: signals animate as with bit 16 on.
  static const SigHooks signals = {Disp_GetOptSige, Disp_GetDisplayPause, nullptr};
  Sig_SetHooks(&signals);
  static const PtsClipLines turnoutClip = {Clip_AppendLine, Clip_ReadLine};
  Pts_SetClipLines(&turnoutClip);
  static const PointClipLines pointClip = {Clip_AppendLine, Clip_ReadLine};
  Pobj_SetClipLines(&pointClip);
  Pobj_SetCodeClass(Wire_CodeClass);
  static const TrnFollowHooks follow = {Wire_FollowedViewSlot, Wire_RetitleView, Ewin_CentreOnCell,
                                        Wire_FollowScroll,     Wire_SetCursor,   Vwin_PlatformShowPosition};
  Trn_SetFollowHooks(&follow);
}

// The modules with rules that name lines and depot places.
static void Wire_InstallRuleHooks(void) {
  static const RuleDepotHooks depots = {Dep_ResolvePlaceRef, Wire_FormatPlaceName};
  Rule_SetDepotHooks(&depots);
  static const LinModuleHooks stopLines = {Hst_AddLineIdBeside, Hst_RemoveLineId, Wire_StopsWithLine};
  Lin_SetModuleHooks(LIN_MODULE_STOPS, &stopLines);
  static const LinModuleHooks turnoutLines = {Pts_OnLineCopied, Pts_OnLineDeleted, Wire_TurnoutsWithLine};
  Lin_SetModuleHooks(LIN_MODULE_TURNOUTS, &turnoutLines);
  static const LinModuleHooks signalLines = {Wire_SignalsCopyLine, Sig_OnLineDeleted, Wire_SignalsWithLine};
  Lin_SetModuleHooks(LIN_MODULE_SIGNALS, &signalLines);
  // Spin keys in depot place and line fields step through the places and lines.
  Dfw_SetNameStepper(DFW_SPIN_PLACE, Dep_StepPlaceField);
  Dfw_SetNameStepper(DFW_SPIN_LINE, Dep_StepLineField);
  // A bad place reference may be mended by picking the place in the depot list.
  static const DepRefHooks placeRefs = {Dep_ErrorOfferList};
  Dep_SetRefHooks(&placeRefs);
}

static void Wire_InstallMessageHooks(void) {
  static const DmsgHooks dispatcher = {Wire_PaintDispatcherIndicator, Wire_DispatcherSound, Wire_StopSimulation,
                                       Wire_LogDispatcherMessage};
  Dmsg_SetHooks(&dispatcher);
  static const DmsgSoundOption dispatcherSound = {Wire_DispatcherSoundOn, Wire_SetDispatcherSound};
  Dmsg_SetSoundOption(&dispatcherSound);
  static const SndHooks sounds = {App_PostSoundRequest, App_DrawingSuspended, Wire_GetView};
  Snd_SetHooks(&sounds);
}

void Wire_InstallHooks(void) {
  Wire_InstallViewHooks();
  Wire_InstallLayoutHooks();
  Wire_InstallSymbolHooks();
  Wire_InstallGeneralHooks();
  Wire_InstallOperationHooks();
  Wire_InstallRuleHooks();
  Wire_InstallMessageHooks();
}
