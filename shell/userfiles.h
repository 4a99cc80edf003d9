// The user graphics files a layout uses: 110 element-graphics slots (1..110),
// 60 vehicle-graphics slots (1..60) and 100 vehicle-set slots (0..99), each a
// file name of up to USERFILE_NAME_MAX units, empty when unused.
//
// Owns the three name tables. So far the plain names that the layout file's
// general section stores; loading the graphics they name comes with the
// graphics store.
#pragma once
#include "platform/types.h"

enum {
  USERFILE_ELEMENT_SLOTS = 110,
  USERFILE_VEHICLE_SLOTS = 60,
  USERFILE_SET_SLOTS = 100,
  USERFILE_NAME_MAX = 259  // units without the zero
};

// Empties every slot of all three tables.
void File_ClearUserFileNames(void);
// The name into buf (USERFILE_NAME_MAX + 1 units); empty for an unused or
// unknown slot. The setters cut the name to USERFILE_NAME_MAX units; 0 ok,
// 1 no such slot.
void File_GetUzgName(int slot, wch* buf);
int File_SetUzgName(int slot, const wch* name);
void File_GetUz1Name(int slot, wch* buf);
int File_SetUz1Name(int slot, const wch* name);
void File_GetVehicleSetName(int slot, wch* buf);
int File_SetVehicleSetName(int slot, const wch* name);
