#include "shell/userfiles.h"

#include "platform/str.h"

typedef wch UserFileName[USERFILE_NAME_MAX + 1];

static UserFileName g_elementNames[USERFILE_ELEMENT_SLOTS + 1];  // slot 0 unused
static UserFileName g_vehicleNames[USERFILE_VEHICLE_SLOTS + 1];  // slot 0 unused
static UserFileName g_setNames[USERFILE_SET_SLOTS];

void File_ClearUserFileNames(void) {
  for (UserFileName& n : g_elementNames) n[0] = 0;
  for (UserFileName& n : g_vehicleNames) n[0] = 0;
  for (UserFileName& n : g_setNames) n[0] = 0;
}

static void File_GetName(const UserFileName* table, int first, int last, int slot, wch* buf) {
  if (slot < first || slot > last) {
    buf[0] = 0;
    return;
  }
  Str_Copy(buf, table[slot]);
}

static int File_SetName(UserFileName* table, int first, int last, int slot, const wch* name) {
  if (slot < first || slot > last) return 1;
  i32 n = 0;
  if (name)
    while (n < USERFILE_NAME_MAX && name[n]) {
      table[slot][n] = name[n];
      ++n;
    }
  table[slot][n] = 0;
  return 0;
}

void File_GetUzgName(int slot, wch* buf) { File_GetName(g_elementNames, 1, USERFILE_ELEMENT_SLOTS, slot, buf); }
int File_SetUzgName(int slot, const wch* name) {
  return File_SetName(g_elementNames, 1, USERFILE_ELEMENT_SLOTS, slot, name);
}
void File_GetUz1Name(int slot, wch* buf) { File_GetName(g_vehicleNames, 1, USERFILE_VEHICLE_SLOTS, slot, buf); }
int File_SetUz1Name(int slot, const wch* name) {
  return File_SetName(g_vehicleNames, 1, USERFILE_VEHICLE_SLOTS, slot, name);
}
void File_GetVehicleSetName(int slot, wch* buf) { File_GetName(g_setNames, 0, USERFILE_SET_SLOTS - 1, slot, buf); }
int File_SetVehicleSetName(int slot, const wch* name) {
  return File_SetName(g_setNames, 0, USERFILE_SET_SLOTS - 1, slot, name);
}
