// Layout file versions: every version at which a section's form changed,
// named by what changed, in one numbering (the version word of the file,
// 0x3400 = 13312 ... 0x3850 = 14416). Readers compare a file's version with
// these names only; a section that changed at a version takes the form of
// the name from that version on (version >= name) and the older form below.
//
// Several sections changed at one version; the name says what most of them
// took on, the comment lists the rest.
#pragma once
#include "platform/fio.h"
#include "platform/types.h"

enum : u16 {
  LAYVER_OLDEST = 0x3400,          // the oldest form read; train marks are old cell codes up to here
  LAYVER_CODED = 0x3500,           // run-length coded body, the split of trains, a low version byte
  LAYVER_DISPLAY = 0x3501,         // general: the display values
  LAYVER_CONNECTORS = 0x3502,      // turnouts: four connector words (before: one byte)
  LAYVER_NAMED = 0x3503,           // turnouts: today's kind numbers; timetable points keep their names
  LAYVER_DIR_WORD = 0x3504,        // timetable points: direction word; trains lose an unused word
  LAYVER_COMPANIONS = 0x3505,      // element names, companion files, u16 signal flags, cell marks, old ids
  LAYVER_HOME = 0x3506,            // home position, u16 counts, ids on controllers, train cell flags
  LAYVER_MARK99 = 0x3507,          // depot mark 99, set-aside wait, train class bit 0x100
  LAYVER_BOX = 0x3508,             // marked box, alarm, vehicle lengths
  LAYVER_DAYLIGHT = 0x3509,        // daylight times, text runs, a second train class
  LAYVER_SECONDS = 0x3750,         // seconds in the clock and signals, u32 train fields
  LAYVER_ELAPSED = 0x3752,         // elapsed minutes, u32 texts, path option, today's track codes
  LAYVER_SEVEN = 0x3753,           // timetable sheets: seven columns
  LAYVER_RECORDS = 0x3754,         // run-log points: records
  LAYVER_SET_NAMES = 0x3755,       // general: set names; timetable points: reset
  LAYVER_PRELL_SECTION = 0x3756,   // bounce times: a section of their own
  LAYVER_STOP_COUNT32 = 0x3757,    // stops: u32 count
  LAYVER_SIGNAL_COUNTS32 = 0x3758, // signals: u32 flags, count, maximum and limit
  LAYVER_FILE_ORDER = 0x3759,      // turnouts: records kept in file order
  LAYVER_SHUNTING = 0x375A,        // shunting points, parts of turnouts, extra values, new pair lists
  LAYVER_TRAIN_TEXT = 0x375B,      // train texts, u32 counts of timetable points, direction words
  LAYVER_U16_IDS_LAST = 0x3800,    // turnouts: the last version with u16 ids
  LAYVER_REPEAT = 0x3801,          // alarm repeat, u32 counts, no spare word at shunting points
  LAYVER_MARKS = 0x3802,           // general: named position marks; timetable points: queue
  LAYVER_AT_STOP = 0x3803,         // trains: the stop they stand at
  LAYVER_ELEMENT_POS = 0x3804,     // signals: u32 element flags and wide positions
  LAYVER_SPEED_CAP = 0x3805,       // trains: speed cap, u32 vehicle ids
  LAYVER_THOUSANDTHS = 0x3806,     // timetable sheets: thousandths
  LAYVER_TRAIN_COUNT32 = 0x3807,   // trains: u32 count; shunting points: direction mask
  LAYVER_KINDS = 0x3808,           // kinds of elements, option words, last line end; old elements converted
  LAYVER_PRELL_KIND = 0x3809,      // bounce times: kind
  LAYVER_SIGNAL_STATE = 0x380A,    // signals: u32 ids and counts, element state
  LAYVER_LOG_DIRS = 0x380B,        // run-log points: directions; orphan signal tiles removed before
  LAYVER_CATALOGUE = 0x3821,       // vehicle sets as u32, catalogue lookups of vehicles
  LAYVER_KIND_SHIFT = 0x3822,      // stops and timetable points: kinds shifted by one
  LAYVER_PRELL_FILL = 0x3826,      // bounce times: fill
  LAYVER_SEED = 0x3830,            // general: random seed
  LAYVER_WIDE = 0x3835,            // four-letter tags, u32 counts and values, UTF-16 texts
  LAYVER_SIGNAL_LISTS = 0x3836,    // signals in sections of their own, turnout signal lists, cap B
  LAYVER_DEPOT_OPTIONS = 0x3837,   // depots: options
  LAYVER_SPLIT_DELAYS = 0x3838,    // signals: two delays; timetable points: u32 flags
  LAYVER_LINE_TEXTS = 0x3839,      // lines: texts; backgrounds
  LAYVER_TRAIN_FIELDS32 = 0x383A,  // trains: u32 cell and vehicle counts, current place
  LAYVER_ALARM_NONE = 0x383B,      // general: an alarm of 0xFFFF is none
  LAYVER_LEVELS = 0x383C,          // levels of trains and tracks, marked box levels, directions
  LAYVER_RETRY = 0x383D,           // trains: retry limit
  LAYVER_EXTRA = 0x383E,           // signals: extra value; trains: cap C
  LAYVER_CODES_383F = 0x383F,      // track codes recoded before
  LAYVER_POS_LEVEL = 0x3840,       // positions with their level
  LAYVER_SOUND_POINTS = 0x3841,    // sound points; occupying trains of timetable points
  LAYVER_LISTS = 0x3845,           // depot lists, horn, vehicle set and index, second box level
  LAYVER_SPEED_CAPS = 0x3846,      // turnouts: speed caps; timetable points: four occupiers
  LAYVER_KIND_RANGE = 0x3847,      // vehicle names, kinds and option words within their shape's range
  LAYVER_CURRENT = 0x3850          // the version this program writes
};

// Files before LAYVER_WIDE store counts and most values as u16, later ones
// as u32: the width in bytes of such a field at version.
inline int LayVer_WordBytes(u16 version) { return version >= LAYVER_WIDE ? 4 : 2; }

// The tag that opens a section: four letters from the wide form on, two
// before. 0, 3 for another tag, or the stream's code.
inline int LayVer_ReadTag(u16 version, u32 tag, u16 oldTag) {
  u32 got;
  const int r = Fio_ReadField(&got, LayVer_WordBytes(version));
  if (r) return r;
  return got == (version >= LAYVER_WIDE ? tag : u32(oldTag)) ? 0 : 3;
}
