// Vehicle sets and the vehicle catalogue: the list of cached vehicle sets,
// loading a set on demand from "orba.fzg" or a user vehicle file, the zoom-2
// and zoom-4 pictures of the cached sets, the questions of the train and
// vehicle-set dialogs, the enumeration of the sets a file offers, and the
// list of sets a layout uses.
//
// Owns the VehicleSetRecord list (sorted by set id, with a last-hit cache
// forgotten whenever the list changes), the pending list of set ids read from
// a layout file, the user vehicle file names and the failure-message switch,
// and where each picture of a vehicle lies in its picture block. Trains and
// dialogs hold only VehicleId values.
//
// Promises: a set is either wholly in the list or not at all; a failed load
// leaves the list as it was. Main thread only.
#pragma once
#include "platform/types.h"

// VehicleId: set number << 4 | vehicle index; bit 31 a user set; bit 30 an
// id without vehicle record whose low bits are a length in pixels; 0 none.
typedef u32 VehicleId;
enum : u32 { VEH_USER_BIT = 0x80000000u, VEH_LENGTH_BIT = 0x40000000u };

enum {
  VEH_USER_FILES = 100,     // user vehicle files 1..100, ten sets each
  VEH_REQUIRED_SETS = 9
};
// The sets the program cannot run without (vehicle 0 of each).
extern const VehicleId kRequiredVehicleSets[VEH_REQUIRED_SETS];

// Results of Gfx_LoadVehicleSet.
enum { VEH_LOAD_OK = 0, VEH_LOAD_STANDARD_FAILED = 1, VEH_LOAD_USER_FAILED = 2, VEH_LOAD_NO_MEMORY = 4 };

struct VehiclePicture {
  u32* pixels;      // Heap block (the picture order of render/gfxfile.h) or null
  u32 count;
  u16 length, a, b, c;  // at this zoom
  u32 fileFlags;    // the zoom-1 flag word whose pictures the block carries
};

// The pictures of a vehicle's block, in block order (render/gfxfile.h): the
// two side views (L x A, rows top first), top view 1 (front on the top row;
// B columns of L/2 rows, column by column), end view 1 (the face seen below
// top view 1; C rows of B, top first), top view 2 (front on the bottom row)
// and end view 2; with GFX_VF_EXTRA_VIEWS end views 3 and 4 (the faces of a
// turned vehicle); with GFX_VF_DOUBLE the long set: second pictures of both
// sides and of both top views (the rear halves of long lengthwise pictures,
// L/2 rows each); with GFX_VF_EXTRA_1 the alternate of side 1 (and its second
// picture with GFX_VF_DOUBLE), with GFX_VF_EXTRA_2 that of side 2.
enum VehSection {
  VEH_SIDE_1,
  VEH_SIDE_2,
  VEH_TOP_1,
  VEH_END_1,
  VEH_TOP_2,
  VEH_END_2,
  VEH_END_3,
  VEH_END_4,
  VEH_SIDE_1_LONG,
  VEH_SIDE_2_LONG,
  VEH_TOP_1_LONG,
  VEH_TOP_2_LONG,
  VEH_SIDE_1_ALT,
  VEH_SIDE_1_ALT_LONG,
  VEH_SIDE_2_ALT,
  VEH_SIDE_2_ALT_LONG,
  VEH_SECTIONS
};
// Where a section lies in a block of the given sizes and flag word: its
// first pixel and its pixel count (*size); -1 when the flags carry no such
// section.
i64 Gfx_VehicleSection(u32 length, u32 a, u32 b, u32 c, u32 fileFlags, int section, u32* size);
// The same within a picture block; -1 also when the block is too short.
i64 Gfx_VehiclePictureSection(const VehiclePicture* pic, int section, u32* size);

struct VehicleRecord {
  u32 length;       // pixels at zoom 1, 8..256
  u8 index;         // 0..15
  u16 flags;        // record flags (GfxFile_VehicleRecordFlags)
  u32 fileFlags;    // the file's flag word
  u16 a, b, c;
  u8 markerCount;
  u16 markers[3][3];  // exhaust sources: position (0xFFFF none), height, length
  VehiclePicture zoom[3];  // zoom 1, 2, 4
};

struct VehicleSetRecord {
  u32 id;                  // set number << 4 (| VEH_USER_BIT)
  VehicleSetRecord* next;
  u32 flags;
  u32 textNumber;          // standard sets
  wch* texts;              // user sets: the stored strings
  u32 textLength;
  u32 count;               // 1..16
  VehicleRecord vehicles[16];
};

extern VehicleSetRecord* g_vehicleSets;

// The set id of a vehicle id (low four bits cleared).
inline u32 Veh_SetId(VehicleId id) { return id & ~15u; }

void Gfx_EmptyVehicleSets(void);  // frees every cached set and the pending list
// A layout load keeps the cached sets and the pending list aside (the cache
// is then empty); putting them back frees what was cached since; dropping
// frees the sets kept aside.
void Gfx_SetAsideVehicleSets(void);
void Gfx_PutBackVehicleSets(void);
void Gfx_DropAsideVehicleSets(void);
int Gfx_LoadVehicleSet(VehicleId id, int flags);
void Gfx_FreeVehicleSet(VehicleId id, int uncount);
int Gfx_IsVehicleSetCached(VehicleId id);
u32 Gfx_FirstCachedVehicleSet(void);
int Gfx_GetVehicleSetName(VehicleId id, u32* count, u32* nextId, wch* name);
VehicleId Gfx_GetCachedVehicleId(u32 setId, u32 n);
// The number of cached vehicles; the sets and the sets and vehicles that
// trains use (a vehicle's use count: the trains that hold it).
u32 Gfx_CountVehicleSets(u32* sets, u32* setsInUse, u32* vehiclesInUse);
// The summed use count of the set's vehicles; without countAll 1 at the
// first use. 0 for a set that is not cached.
u32 Gfx_CountVehicleSetUse(u32 setId, int countAll);
// The cached set list and its one-entry cache of the last set found: the
// set of the id (set number << 4, with VEH_USER_BIT), null when not cached;
// forgetting the cache; the list's head, replaced (the cache forgotten) or
// read.
VehicleSetRecord* Gfx_FindVehicleSet(u32 setId);
void Gfx_ResetVehicleSetCache(void);
void Gfx_SetVehicleSetList(VehicleSetRecord* head);
VehicleSetRecord* Gfx_GetVehicleSetList(void);
// The vehicle index of "orba.fzg" (versions 0x3830 on) for an id of a train
// file before 14369, which counted the file's sets: position id >> 4 (from 1)
// of the set index names the set, the low four bits are the vehicle. The
// translated id (set number << 4 | vehicle), or 0 when the file, its
// version or the position is not there.
u32 Gfx_ReadVehicleIndexEntry(u32 vehicle);
u32 Gfx_GetVehicleFlags(VehicleId id);
u32 Gfx_GetVehicleLength(VehicleId id);
const VehicleRecord* Gfx_FindVehicleRecord(VehicleId id);
const VehiclePicture* Gfx_GetVehicleZoomData(VehicleId id, int zoom);
// Five texts of a vehicle: 0, or 1 when the set or its texts are not there.
int Gfx_GetVehicleTexts(VehicleId id, const wch* texts[5]);
// Name of a set padded to 32 with its TAB rule; out: room for 33 units.
void Gfx_FormatVehicleSetName(const wch* name, wch* out);

// Zoom pictures. 1 no such set or zoom; else the reader's result.
// The zoom-2 or zoom-4 pictures of the cached vehicle v (id id): its single
// file first (edited pictures), else the combined zoom file of its set's
// file. 0 read; else the zoom reader's result (render/gfxfile.h), the
// vehicle's pictures of that zoom as they were.
int Gfx_ReadVehicleZoomFile(VehicleRecord* v, VehicleId id, int zoom);
int Gfx_LoadVehicleSetZoom(VehicleId id, int zoom);
// zoom 2 or 4 (else 3); setId 0 every cached set, else that set (2 when not
// cached). 1 when some vehicle failed, else 0.
int Gfx_LoadAllVehicleSetsZoom(int zoom, u32 setId, int progress);
// Frees the zoom pictures of every cached set (mask bit 2 zoom 2, 4 zoom 4).
void Gfx_FreeVehicleZoomPictures(int mask);
// Single-file name of a vehicle's zoom pictures ("%05u-%02u.fz2"); 0 or 2.
int Gfx_VehicleFileName(VehicleId id, wch* name, int zoom);

// User vehicle file n (1..100): its path, empty when none is configured. A
// user set k (VehicleId bits 4..30) stands in file k / 10 + 1 under the set
// number k % 10 + 1 (0 ends a file's index).
int Gfx_SetUserVehicleFile(int n, const wch* path);
const wch* Gfx_GetUserVehicleFile(int n);

// Enumerates the sets of "orba.fzg" (file 0) or user vehicle file n: the
// set after *id (0 for the first) and its name (room for 33 units). 0 and
// *id, or 4 at the end; 1 no file configured or bad number; 5 empty name;
// other reader codes.
int Gfx_NextVehicleSet(u32* id, wch* name, int file);

// Failure messages of set loads (on after start-up).
void Gfx_SetVehicleMessages(int on);

// The layout's list of sets: section "ZG" (tag, count, ids, the background
// picture block) is written and read by render/bgp.h through these.
int Gfx_WriteVehicleIdList(void);
int Gfx_ReadVehicleIdList(u16 layoutVersion);
// Loads the pending list: 0, 3 a set ran out of memory, 1 some standard set
// failed, 2 only user sets failed.
int Gfx_LoadLayoutVehicleSets(u16 layoutVersion);
u32 Gfx_PendingVehicleSetCount(void);
