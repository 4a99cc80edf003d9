// The start example: a small oval on level 0 with four stops, a depot
// siding with one depot place and two turnouts, and one passenger train of
// the start line that leaves the depot place and runs the oval.
//
// Both builders either finish or show a numbered message and take back what
// they made, so a refused start leaves the layout as it was.
#include "model/dep.h"
#include "model/grid.h"
#include "model/hst.h"
#include "model/line.h"
#include "operation/pts.h"
#include "operation/trn.h"
#include "operation/trndepart.h"
#include "operation/trnlist.h"
#include "platform/lng.h"
#include "platform/msg.h"
#include "platform/str.h"
#include "render/vehicles.h"
#include "shell/app.h"

namespace {

enum : TextId {
  TXT_START_NAME = 1380,    // depot and line of the example
  TXT_START_SHORT = 1381,   // short name of the depot
  TXT_LAYOUT_FAILED = 1382,
  TXT_LINE_FAILED = 1383,
  TXT_TRAIN_FAILED = 1384,
  TXT_PLACE_FAILED = 1385
};
enum : u32 { MSG_LAYOUT_FAILED = 630, MSG_LINE_FAILED = 631, MSG_TRAIN_FAILED = 632, MSG_PLACE_FAILED = 633 };

// ---------------------------------------------------------------- the layout

// A run of cells from (x0, y0) to (x1, y1), one of them constant. Later
// entries overwrite earlier ones: the pieces set into the oval come after it.
struct CellRun {
  i32 x0, y0, x1, y1;
  CellCode code;
};
const CellRun kStartCells[] = {
    // The oval: two columns, two rows and the eight corner pieces.
    {16380, 16377, 16380, 16390, 1},
    {16389, 16377, 16389, 16390, 1},
    {16382, 16375, 16387, 16375, 0},
    {16382, 16392, 16387, 16392, 0},
    {16381, 16375, 16381, 16375, 543},
    {16380, 16376, 16380, 16376, 539},
    {16388, 16375, 16388, 16375, 540},
    {16389, 16376, 16389, 16376, 536},
    {16380, 16391, 16380, 16391, 538},
    {16381, 16392, 16381, 16392, 542},
    {16389, 16391, 16389, 16391, 537},
    {16388, 16392, 16388, 16392, 541},
    // Stops, one on each side.
    {16389, 16379, 16389, 16379, 264},
    {16383, 16375, 16383, 16375, 266},
    {16386, 16392, 16386, 16392, 267},
    {16380, 16387, 16380, 16387, 265},
    {16389, 16380, 16389, 16381, 160},
    // The depot siding beside the left column, joined by two turnouts.
    {16379, 16383, 16379, 16383, 539},
    {16379, 16384, 16379, 16384, 1},
    {16379, 16385, 16379, 16387, 137},
    {16379, 16388, 16379, 16388, 538},
    {16380, 16382, 16380, 16382, 54},
    {16380, 16389, 16380, 16389, 53},
    // Scenery.
    {16384, 16380, 16384, 16380, 51210},
    {16387, 16388, 16387, 16388, 51212},
    {16388, 16388, 16388, 16388, 51216},
    {16385, 16382, 16385, 16382, 51222},
    {16383, 16389, 16383, 16389, 54020},
    {16386, 16383, 16386, 16383, 53760},
};
// The cells the runs cover, each once (the box of the example is 11 x 18).
enum { START_BOX_X = 16379, START_BOX_Y = 16375, START_BOX_W = 11, START_BOX_H = 18 };

struct StartStop {
  i32 x, y;
  u32 kind;
  u8 dirMask;
  u32 typeMask;
};
const StartStop kStartStops[] = {
    {16389, 16379, 2, 1, 255}, {16383, 16375, 11, 4, 1}, {16386, 16392, 12, 8, 1023}, {16380, 16387, 13, 2, 1}};

const CellPos kStartPlace = {16379, 16386, 0};
enum : u32 { START_PLACE = 1, START_PLACE_EXIT = 2 /* south */, START_PLACE_WAIT_MS = 30000 };

// The codes of the box before the example was laid, to give them back.
struct SavedBox {
  CellCode code[START_BOX_H][START_BOX_W];
};

void SaveBox(SavedBox* s) {
  for (i32 y = 0; y < START_BOX_H; ++y)
    for (i32 x = 0; x < START_BOX_W; ++x) s->code[y][x] = Grid_GetCell(START_BOX_X + x, START_BOX_Y + y, 0);
}

void RestoreBox(const SavedBox* s) {
  for (i32 y = 0; y < START_BOX_H; ++y)
    for (i32 x = 0; x < START_BOX_W; ++x) {
      const CellCode c = s->code[y][x];
      if (c == CELL_EMPTY) Grid_ClearCell(START_BOX_X + x, START_BOX_Y + y, 0);
      else Grid_SetCell(START_BOX_X + x, START_BOX_Y + y, 0, c);
    }
}

bool WriteCells(void) {
  for (const CellRun& r : kStartCells)
    for (i32 y = r.y0; y <= r.y1; ++y)
      for (i32 x = r.x0; x <= r.x1; ++x)
        if (!Grid_SetCell(x, y, 0, r.code)) return false;
  return true;
}

// The stops made so far are deleted again when one is refused.
bool MakeStops(void) {
  const int n = int(sizeof kStartStops / sizeof kStartStops[0]);
  for (int i = 0; i < n; ++i) {
    const StartStop& s = kStartStops[i];
    if (Hst_Set(s.x, s.y, 0, 0, nullptr, 0, nullptr, s.kind, 0, s.dirMask, 0, s.typeMask) == 0) continue;
    while (--i >= 0) Hst_Delete(kStartStops[i].x, kStartStops[i].y, 0);
    return false;
  }
  return true;
}

void DeleteStops(void) {
  for (const StartStop& s : kStartStops) Hst_Delete(s.x, s.y, 0);
}

// The turnout controllers. The upper turnout (branch 1 on down the left
// side, branch 2 into the siding) sends trains in service bound for any
// place of the start depot into the siding and every other train on round
// the oval; the lower one sends trains coming up the left side on up it,
// with a note in the dispatcher list (a driving user is asked).
struct StartController {
  i32 x, y;
  u32 kind, entry, exit1, exit2;
};
const StartController kStartControllers[] = {{16380, 16382, PTS_KIND_BY_LINE1, 1, 2, 0x40},
                                             {16380, 16389, PTS_KIND_DISPATCH, 2, 1, 0x20}};

void DeleteControllers(void) {
  for (const StartController& c : kStartControllers) Pts_DeleteAt(c.x, c.y, 0, 0);
}

// Each controller takes the lowest free id; the ones made so far are
// deleted again when one is refused.
bool MakeControllers(u32 depot) {
  for (const StartController& c : kStartControllers) {
    const u32 id = Pts_NextFreeId();
    if (id && Pts_SetById(c.x, c.y, 0, 0, c.entry, c.exit1, c.exit2, 0, id, c.kind, 0) == PTS_OK) continue;
    DeleteControllers();
    return false;
  }
  // Place list 2 of the upper turnout: the depot with place 0, every place.
  const StartController& upper = kStartControllers[0];
  const u32 siding[2] = {depot, 0};
  const u32 counts[6] = {0, 0, 0, 0, 2, 0};
  if (Pts_SetPositionLists(upper.x, upper.y, 0, siding, counts, 0) == PTS_OK) return true;
  DeleteControllers();
  return false;
}

u32 FirstFreeDepot(void) {
  for (u32 d = 1; d <= DEP_MAX_DEPOTS; ++d)
    if (!Dep_Find(d, 0, nullptr)) return d;
  return 0;
}

// A language text copied, so that a reload cannot pull it away.
void CopyText(TextId id, wch* out, int size) {
  const wch* t = Lng_GetText(id);
  int i = 0;
  for (; i < size - 1 && t[i]; ++i) out[i] = t[i];
  out[i] = 0;
}

}  // namespace

int App_BuildStartLayout(void) {
  wch name[DEP_NAME_MAX + 2], shortName[DEP_SHORT_MAX + 2];
  CopyText(TXT_START_NAME, name, DEP_NAME_MAX + 2);
  CopyText(TXT_START_SHORT, shortName, DEP_SHORT_MAX + 2);
  const u32 depot = FirstFreeDepot();
  if (!depot || Dep_CheckName(name, 0) || Dep_CheckName(shortName, 1) || Dep_FindByName(name, 0) ||
      Dep_FindByName(shortName, 0)) {
    Msg_ErrorId(MSG_LAYOUT_FAILED, TXT_LAYOUT_FAILED);
    return 1;
  }

  SavedBox saved;
  SaveBox(&saved);
  int failed = !WriteCells() || !MakeStops();
  if (!failed && !MakeControllers(depot)) {
    DeleteStops();
    failed = 1;
  }
  if (!failed) {
    DepotPlace place;
    Mem_Fill(&place, 0, sizeof place);
    place.X = kStartPlace.x;
    place.Y = kStartPlace.y;
    place.Level = kStartPlace.level;
    place.Number = START_PLACE;
    place.Directions = START_PLACE_EXIT;
    place.WaitMs = START_PLACE_WAIT_MS;
    if (Dep_InsertPlace(depot, name, shortName, &place) != 0) {
      DeleteControllers();
      DeleteStops();
      failed = 1;
    }
  }
  // The text run "1", blank, U+001E belongs at (16384,16391); the texts on
  // the grid cannot take runs yet.
  if (failed) {
    RestoreBox(&saved);
    Msg_ErrorId(MSG_LAYOUT_FAILED, TXT_LAYOUT_FAILED);
    return 1;
  }
  Grid_UpdateExtent(0, 0, 0, 0);
  return 0;
}

// ---------------------------------------------------------------- the train

namespace {

// Express steam locomotive with its tender, a first and a second class coach.
const TrainCompositionEntry kStartComposition[] = {
    {40321u << 4 | 3, 0}, {40321u << 4 | 4, 0}, {40320u << 4 | 1, 0}, {40320u << 4 | 0, 0}};
enum : u32 {
  START_VEHICLES = sizeof kStartComposition / sizeof kStartComposition[0],
  START_MAX_SPEED = 60000,  // metres per hour
  START_ACCEL = 100,
  START_BRAKE = 200,
  START_STOP_MIN = 8,  // seconds
  START_STOP_MAX = 15
};

// The length of every vehicle of the composition, loading its set when it is
// not cached yet; 0 when one has none.
u32 CompositionLength(void) {
  u32 total = 0;
  for (const TrainCompositionEntry& e : kStartComposition) {
    u32 len = Gfx_GetVehicleLength(e.Vehicle);
    if (!len && Gfx_LoadVehicleSet(e.Vehicle, 0) == VEH_LOAD_OK) len = Gfx_GetVehicleLength(e.Vehicle);
    if (!len) return 0;
    total += len;
  }
  return total;
}

void DeleteLine(LineId line) {
  TrnList_DeleteTrains(line, 0);
  Lin_Delete(line);
}

}  // namespace

int App_BuildStartTrain(void) {
  wch name[DEP_NAME_MAX + 2];
  CopyText(TXT_START_NAME, name, DEP_NAME_MAX + 2);
  LineId line = 0;
  if (Lin_Create(name, 0, 0, &line) != LIN_OK) {
    Msg_ErrorId(MSG_LINE_FAILED, TXT_LINE_FAILED);
    return 1;
  }
  const i32 depot = Dep_FindByName(name, START_PLACE);
  DepotPlaceInfo place;
  if (depot <= 0 || Dep_GetPlace(u32(depot), START_PLACE, &place)) {
    DeleteLine(line);
    Msg_ErrorId(MSG_PLACE_FAILED, TXT_PLACE_FAILED);
    return 1;
  }
  const u32 length = CompositionLength();
  TrainRec tmpl;
  Mem_Fill(&tmpl, 0, sizeof tmpl);
  tmpl.Line = tmpl.CurLine = line;
  tmpl.Number = 1;
  // Slots for every cell the train can cover inside a cell's length, and one
  // to spare.
  tmpl.LastCell = (length + 28 + 31) / 32;
  tmpl.VehicleCount = START_VEHICLES;
  tmpl.HomeDepot = tmpl.CurDepot = u16(depot);
  tmpl.HomePlace = tmpl.CurPlace = START_PLACE;
  tmpl.Type = tmpl.HomeType = 1;
  tmpl.Category = tmpl.HomeCategory = 1;
  tmpl.PathOption = 1;
  tmpl.MaxSpeed = START_MAX_SPEED;
  tmpl.Accel = START_ACCEL;
  tmpl.Brake = START_BRAKE;
  tmpl.StopTimeMin = START_STOP_MIN;
  tmpl.StopTimeMax = START_STOP_MAX;
  // Each vehicle with the bits a load takes from its graphic (the turned
  // picture, bits 3..5), so that the train is the one its saved layout gives
  // back.
  TrainCompositionEntry composition[START_VEHICLES];
  for (u32 i = 0; i < START_VEHICLES; ++i) {
    const u32 gfx = Gfx_GetVehicleFlags(kStartComposition[i].Vehicle);
    composition[i] = kStartComposition[i];
    composition[i].Flags |= (gfx & TRN_VEH_PICTURE_TURNED) | (gfx & TRN_VEH_GFX_BITS);
  }
  if (!length || tmpl.LastCell >= TRN_MAX_CELLS ||
      TrnList_Create(composition, &tmpl, nullptr, place.X, place.Y, place.Level) != TRN_CREATE_OK) {
    DeleteLine(line);
    Msg_ErrorId(MSG_TRAIN_FAILED, TXT_TRAIN_FAILED);
    return 1;
  }
  for (TrainRec* t = TrnList_GetFirst(); t; t = t->Next) {
    if (t->Line != line || !(t->StateFlags & TRN_OFF_TRACK)) continue;
    if (Trn_PlaceAtDepotPlace(t, 0, 0, 0) == 0) continue;
    DeleteLine(line);
    Msg_ErrorId(MSG_PLACE_FAILED, TXT_PLACE_FAILED);
    return 1;
  }
  return 0;
}
