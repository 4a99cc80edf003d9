// Vehicles: the catalogue of vehicle sets (the nine sets the program needs
// at start and the further sets a user would want) and the drawing of every
// vehicle in its views at zoom 1, 2 and 4.
//
// Owns: the set and vehicle records of the catalogue and the view drawings.
//
// Promises: every vehicle's values lie inside the file's limits (length
// 8..256 and even, side height 2..14, width 4..16, end height 2..14); the
// pixels of a vehicle come in the order of the vehicle file (two side views,
// a top view column by column, an end view, a second top view, a second end
// view, then the long and alternate views the flags ask for) at the zoom
// asked, each view drawn at that zoom's resolution; the same catalogue gives
// the same pixels on every run.
#pragma once
#include <vector>

#include "platform/types.h"
#include "render/gfxfile.h"

enum AvhKind {
  AVH_STEAM,
  AVH_TENDER,
  AVH_TANK_LOCO,
  AVH_DIESEL_HOOD,
  AVH_DIESEL_CAB,
  AVH_SHUNTER,
  AVH_ELECTRIC,
  AVH_COACH,
  AVH_BAGGAGE,
  AVH_CONTROL_CAR,
  AVH_RAILCAR,
  AVH_BOX,
  AVH_TANK,
  AVH_FLAT,
  AVH_HOPPER,
  AVH_OPEN,
  AVH_BRAKE_VAN,
  AVH_EMU_HEAD,
  AVH_EMU_MIDDLE,
  AVH_TRAM_HEAD,
  AVH_TRAM_MIDDLE,
  AVH_TRAM_CLASSIC,
  AVH_BUS,
  AVH_CONTAINER,   // flat wagon with one or two containers
  AVH_CAR_CARRIER, // two decks of cars
  AVH_STAKE,       // flat wagon with stakes and steel coils
  AVH_GRAIN,       // covered hopper
  AVH_INSULATED,   // box wagon with a band below the roof
  AVH_KINDS
};

struct AvhVehicle {
  u8 index;
  u16 length, a, b, c;
  u32 flags;           // the file's flag word
  u8 markerCount;
  GfxVehicleMarker markers[GFX_VEHICLE_MARKERS];
  int kind;            // AvhKind
  u32 body, trim, roof;  // CellPixel colours
  const char* name;
};

struct AvhSet {
  u16 number;
  u32 textNumber;  // the language text of the set's name and texts
  const char* name;
  u16 count;
  AvhVehicle vehicles[GFX_SET_VEHICLES];
};

// The catalogue: sets in ascending number.
int Avh_SetCount(void);
const AvhSet* Avh_Set(int i);
// The set with that number, or null.
const AvhSet* Avh_FindSet(u16 number);

// The views of a vehicle in file order. Every vehicle has the first six
// (AVH_VIEWS): side 1 faces right (front at x = L), side 2 is its mirror;
// top 1 shows the front on its top row and end 1 the face that shows below
// it (the rear), top 2 the front on its bottom row and end 2 the front face.
// Long vehicles (GFX_VF_DOUBLE) add the long set: the sides again and the
// rear halves of their long lengthwise pictures (B x L/2, the end face at the
// top). Vehicles with alternate pictures (GFX_VF_EXTRA_1 and _2) add the
// alternate of each side: pantographs lowered, doors open at the stop.
enum {
  AVH_SIDE_1,
  AVH_SIDE_2,
  AVH_TOP_1,
  AVH_END_1,
  AVH_TOP_2,
  AVH_END_2,
  AVH_VIEWS,
  AVH_SIDE_1_LONG = AVH_VIEWS,
  AVH_SIDE_2_LONG,
  AVH_TOP_1_LONG,
  AVH_TOP_2_LONG,
  AVH_SIDE_1_ALT,
  AVH_SIDE_1_ALT_LONG,
  AVH_SIDE_2_ALT,
  AVH_SIDE_2_ALT_LONG,
  AVH_ALL_VIEWS
};
// 1 when the vehicle's flags carry the view.
int Avh_HasView(const AvhVehicle* v, int view);
// One view at zoom z: its pixels top row first (the top views as a picture
// width B x z, L / 2 x z rows, not yet turned into columns).
void Avh_View(const AvhVehicle* v, int view, int zoom, std::vector<u32>* px, int* w, int* h);
// All pixels of a vehicle at zoom z in file order.
void Avh_Render(const AvhVehicle* v, int zoom, std::vector<u32>* out);
// The flag word of the vehicle's zoom-2 and zoom-4 records (version 901):
// bit 1 always, bit 2 the long set, bits 3 and 4 the alternate sides.
u32 Avh_ZoomRecordFlags(const AvhVehicle* v);
