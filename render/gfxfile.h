// Graphics file formats: the one library that writes and reads every picture
// file of the program - the base picture file "orba.gzg", element picture
// records (single element files "*.gz1|2|4", user graphic files "*.uz1|2|4"),
// the combined element files "orba.fx1|2|4", "orba.fw1|2|4" (and the user
// kind with the magic "UZX"), the vehicle file "orba.fzg" (and user vehicle
// files of the same layout), the vehicle zoom files "orba.fz2", "orba.fz4"
// with their single files, and the title picture file "orba.tbd".
//
// The program's readers, the picture generator (tools/gfxgen) and the
// graphic editor all go through here, so a file one of them writes is a file
// the others read.
//
// Owns: the byte layouts, the run-length pixel coding (RleU32Stream) and its
// writer state, and the checks every reader makes. It does not own where the
// parsed pictures are kept (the graphics store, render/gfx.h) nor the vehicle
// catalogue (render/vehicles.h).
//
// Promises:
// - Readers read through the one read stream (a file or a memory stream,
//   platform/fio.h); integers are little-endian except the version words,
//   which stand high byte first. Every count, size and offset taken from a
//   file is checked before it is used; a refused file gives its numbered
//   result and leaves the caller's output empty (every block it had taken is
//   freed again).
// - Writers write field by field through the one write stream, which the
//   caller has opened (the GfxFile_Save* helpers open and close it
//   themselves, and cancel the file on any failure so an old file is kept).
//   A writer writes the values it is given as they stand, so that a test can
//   write a damaged form; only what cannot be put into the layout at all
//   (a count beyond its field, a missing pixel block, a pixel whose top byte
//   is 0xC0) is refused with GFXW_BAD_INPUT before anything is written.
// - Pixel blocks handed out by the readers are Heap blocks (platform/heap.h);
//   the receiver frees them with Heap_Free or the GfxFile_Free* helpers.
//
// Pixel order everywhere in memory: CellPixel words (blue bits 0-7, green
// 8-15, red 16-23, flag bits 24-31), 0x80000001 transparent, and the rows of
// a picture stored TOP ROW FIRST. The files hold the rows bottom row first;
// the readers and writers turn them.
#pragma once
#include "platform/types.h"

// ---------------------------------------------------------------- results
// Writers: 0 ok, 1..3 the write stream's code, or GFXW_BAD_INPUT.
enum { GFXW_BAD_INPUT = 9 };

// Element picture record readers.
enum {
  GFXR_OK = 0,
  GFXR_NO_SLOT = 1,        // code out of range or without a slot (store)
  GFXR_READ_ERROR = 2,     // read error or end of data
  GFXR_NOT_PRESENT = 3,    // no file, not in the index
  GFXR_BAD_MAGIC = 4,      // wrong magic or zoom digit
  GFXR_BAD_X = 5,
  GFXR_BAD_Y = 6,
  GFXR_BAD_WIDTH = 7,
  GFXR_BAD_HEIGHT = 8,
  GFXR_NAME_TOO_LONG = 10,
  GFXR_BAD_COUNT = 11,     // picture count not 1..3
  GFXR_NO_FLAG_BIT1 = 12,
  GFXR_BAD_LAYER = 13,
  GFXR_NO_MEMORY = 14,
  GFXR_BAD_VARIANT = 15,   // user variant not 0..99
  GFXR_BAD_SUBPICTURE = 16,
  GFXR_BAD_PLACEMENT = 17, // placement block not opened by 1
  GFXR_VERSION_ZERO = 20,  // version word's first byte 0
  GFXR_VERSION_LOW = 21,
  GFXR_VERSION_HIGH = 22,
  GFXR_VERSION_HALF = 23,  // second version half 1 or 2
  GFXR_VERSION_HALF_HIGH = 25
};

// Vehicle file ("orba.fzg" layout) readers.
enum {
  GFXV_OK = 0,
  GFXV_READ_ERROR = 2,       // read error, or the set number at the offset differs
  GFXV_INDEX_END = 4,        // end of the index or a read error inside it
  GFXV_NOT_IN_INDEX = 5,
  GFXV_BAD_MAGIC = 6,        // wrong magic or version
  GFXV_BAD_VERSION = 8,      // version not in the list (or older than 0x3830,
                             // whose records this build does not read)
  GFXV_NO_MEMORY = 14,
  GFXV_BAD_VEHICLE_COUNT = 20,
  GFXV_FLAGS_ZERO = 21,
  GFXV_USER_FLAG = 22,       // set flag bit 15 in a standard set
  GFXV_BAD_TEXT_LENGTH = 23,
  GFXV_BAD_STRING_COUNT = 24,
  GFXV_BAD_LENGTH = 25,      // L not 8..256
  GFXV_BAD_A = 26,           // 2..14
  GFXV_BAD_B = 27,           // 4..16
  GFXV_BAD_C = 28,           // 2..14
  GFXV_BAD_MARKER_COUNT = 30,  // more than 3 markers
  GFXV_BAD_MARKER_POS = 31,    // marker position not below L
  GFXV_BAD_MARKER_VALUE = 32,  // marker value not 4..13
  GFXV_BAD_INDEX = 34,       // vehicle index above 15
  GFXV_DOUBLE_INDEX = 35     // vehicle index twice in a set
};

// Vehicle zoom record readers ("orba.fz2", "orba.fz4", single files).
enum {
  GFXZ_OK = 0,
  GFXZ_READ_ERROR = 2,
  GFXZ_MISSING = 3,          // file or index entry missing
  GFXZ_BAD_ZOOM = 4,         // wrong magic or zoom digit, or version 899 at zoom 4
  GFXZ_BAD_LENGTH = 5,       // length not L x z
  GFXZ_BAD_A = 6,            // value A (or C) not 2z..14z
  GFXZ_BAD_B = 7,            // value B not 4z..16z
  GFXZ_NO_FLAG_BIT1 = 12,
  GFXZ_NO_MEMORY = 14,
  GFXZ_VERSION_900 = 20,     // an element record, not a vehicle one
  GFXZ_VERSION_LOW = 21,
  GFXZ_VERSION_HIGH = 22,
  GFXZ_VERSION_HALF = 23,
  GFXZ_VERSION_HALF_HIGH = 25
};

// Title picture reader: 0 ok, GFXT_BAD (format or read error, the -2 of
// Disp_LoadTitlePicture), GFXT_NO_MEMORY.
enum { GFXT_OK = 0, GFXT_BAD = 2, GFXT_NO_MEMORY = 14 };

// ---------------------------------------------------------------- pixel stream
// RleU32Stream: a word with top byte 0xC0 opens a run of (low byte + 2)
// equal pixels; with bit 16 clear the next word is the run's value, with
// bit 16 set the run is transparent (0x80000001) and no value follows. Any
// other word is one pixel.
enum : u32 { GFX_RLE_FLUSH = 0xC0000000u, GFX_TRANSPARENT = 0x80000001u };

// Reader. pixel null: resets the run state (before every picture). Else the
// next pixel from the read stream. 0 or the stream's code.
int Gfx_ReadRleU32(u32* pixel);
// Reads n pixels into out (in stream order). 0 or the stream's code.
int Gfx_ReadRleBlock(u32* out, u32 n);
// Writer: collects equal pixels and writes them by the run rule; the value
// GFX_RLE_FLUSH writes what is pending and starts afresh. 0 or the stream's
// code; a pixel with top byte 0xC0 (not storable) gives GFXW_BAD_INPUT.
int Gfx_WriteRleU32(u32 pixel);
// Drops a pending run without writing it (after a failed write).
void Gfx_ResetRleWriter(void);
// Writes n pixels and the flush.
int Gfx_WriteRleBlock(const u32* pixels, u32 n);

// ---------------------------------------------------------------- "orba.gzg"
// A text header ended by the byte 0x1A (the program opens the graphics files
// skipping their header), then five blocks of 144 pictures of 8 x 16 pixels;
// picture n of the file is picture n % 144 of block n / 144.
enum { GFX_BASE_BLOCKS = 5, GFX_BASE_PER_BLOCK = 144, GFX_BASE_PICTURES = 720 };

struct GfxBaseFile {
  // Per block: 0 planar (four bit planes and a mask), 1 8-bit (written
  // with the 0xFFFF mark).
  u8 eightBit[GFX_BASE_BLOCKS];
  // Per picture, row 0 the top row, column 0 the leftmost pixel.
  // Planar blocks: a ColourCode 0..15, or 255 for a transparent pixel (the
  // mask bit). 8-bit blocks: the raw byte of the file; the reader maps it
  // by the fixed table of GfxFile_MapBaseByte.
  u8 pixels[GFX_BASE_PICTURES][16][8];
};

// The number an 8-bit base picture byte stands for: 1->144, 5->1, 7->34,
// 12->20, 15->36, 23->18, 26->98, 40->40, 44->24, every other byte 0.
u8 GfxFile_MapBaseByte(u8 b);
// Writes the five blocks (count 144, reserved 0) from the stream's first
// byte: the file has no header. GFXW_BAD_INPUT for a planar pixel other than
// 0..15 and 255.
int GfxFile_WriteBase(const GfxBaseFile* file);
// The whole file.
int GfxFile_SaveBase(const wch* name, int folder, const GfxBaseFile* file);
// Base picture modes: four bit planes and a mask, or one byte per pixel.
enum { GFX_BASE_PLANAR = 0, GFX_BASE_8BIT = 4 };
// The head of the next block from the read stream: the mode of its
// pictures into *mode. 0, or 2 for a count other than 144, a reserved word
// other than 0 or a read failure.
int GfxFile_ReadBaseBlockHead(int* mode);
// One 8 x 16 picture of the mode from the read stream as colour codes:
// target[row * stride + col] (planar: 0..15 or 255 transparent; 8-bit: the
// mapped number). 0, or 2 for a read failure.
int Gfx_DecodeBasePicture(u8* target, i32 stride, int mode);
// Reads the five blocks from the read stream (opened at the file's first
// byte) into colour codes: out[n][row][col]. 0, or 2 as the block head or a
// picture gives it.
int GfxFile_ReadBase(u8 (*out)[16][8]);

// ---------------------------------------------------------------- element records
enum { GFX_NAME_MAX = 80, GFX_RECORD_PICTURES = 3 };

// Name coding of a record.
enum { GFX_NAME_NONE = 0, GFX_NAME_ANSI = 1, GFX_NAME_UTF16LE = 2, GFX_NAME_UTF16BE = 3 };

struct GfxPicture {
  i16 layer;          // 1..5
  i16 x, y;           // the picture's left column and bottom row in the cell at
                      // the record's zoom z; y counts upward from the bottom of
                      // the cell. -32z <= x < 64z, -16z <= y < 96z
  i16 width, height;  // >= 1; x + width <= 64z, y + height <= 96z
  u32* pixels;        // width x height CellPixel, top row first
};

struct GfxElementRecord {
  u8 zoom;            // 1, 2 or 4 (the digit '1', '2', '4' in the file)
  u8 versionHalf;     // second half of the version word: 0 or 3 (the first
                      // half is always 900)
  u32 flags;          // bit 1 must be set; bit 2: the placement block follows;
                      // the reader clears bit 9 and keeps the rest
  i32 offsets[3];     // the three offsets as the file holds them (zoom-4
                      // scale); the store keeps GfxFile_ScaledOffset of them
  // Placement block (written and read only when flags bit 2 is set). Without
  // it the reader gives box 0, 0, 0, 0, value 2 and kept 0, 0.
  u32 placeKind;      // the word after the leading 1, kept as it stands
  u32 box[4];         // left, top, right, bottom at the record's zoom
  u32 placeValue;     // the further value
  u32 kept[2];        // two values kept with the picture
  u32 lastWord;       // written as given; the reader reads and ignores it
  u8 nameForm;        // GFX_NAME_*: how the writer codes the name; the reader
                      // tells how it was coded
  wch name[GFX_NAME_MAX + 1];  // up to 80 units and a 0 (8-bit names are
                               // written and read through the code page)
  u16 count;          // pictures 1..3
  GfxPicture pictures[GFX_RECORD_PICTURES];
};

// offsets[i] at the record's zoom: the file value divided by the zoom.
i32 GfxFile_ScaledOffset(const GfxElementRecord* rec, int i);
// Writes one record (magic "GZG" and zoom digit first) to the write stream.
// GFXW_BAD_INPUT for a zoom other than 1, 2, 4, a count above 3, a picture
// without pixels, a name of more than 80 units or an 8-bit name that the
// code page cannot take.
int GfxFile_WriteElementRecord(const GfxElementRecord* rec);
// Reads one record from the read stream; zoom is the zoom being loaded (the
// digit must match). On 0 *rec holds the record with its pixel blocks (free
// them with GfxFile_FreeElementRecord); on any other result *rec holds no
// block. Results GFXR_*.
int GfxFile_ReadElementRecord(int zoom, GfxElementRecord* rec);
void GfxFile_FreeElementRecord(GfxElementRecord* rec);

// ---------------------------------------------------------------- single element files
// A single element (or user graphic) file: a text header ended by the byte
// 0x1A, then one record. The header text is free (the graphic editor writes
// its title lines there); null writes an empty one.
int GfxFile_WriteSingleElement(const char* header, const GfxElementRecord* rec);
// Writes a single file name in folder, replacing an old one only on success.
int GfxFile_SaveSingleElement(const wch* name, int folder, const char* header, const GfxElementRecord* rec);
// Opens name in folder (skipping the header), reads the record, closes.
// 3 when the file does not open; else as GfxFile_ReadElementRecord.
int Gfx_ReadSingleElementFile(const wch* name, int folder, int zoom, GfxElementRecord* rec);

// ---------------------------------------------------------------- combined element files
// Layout: a text header ended by 0x1A; the magic ("GZX", user sets "UZX")
// and the zoom digit; an index of entries of six u32 (code, state,
// sub-picture, variant, zoom, offset) sorted by code ascending and closed by
// an entry whose code is 0xFFFFFFFF; at each offset the five key words again,
// the record's size in bytes, a reserved 0, a text ended by 0x1A (the
// record's single-file name) and the record.
// Offsets count from the first byte of the magic (the first byte after the
// header's 0x1A).
struct GfxCombinedEntry {
  u32 code;        // element code 0..16383 or picture code 16384..65535
  u32 state;       // element state; 0 for picture codes
  u32 subPicture;  // 0 the plain record, 1..4 the sub-pictures "a".."d"
  u32 variant;     // 0..99 (picture codes and user graphics)
  const char* label;  // the text before the record (null: empty)
  const GfxElementRecord* record;  // its zoom must equal the file's
};
// Writes the whole file to the write stream. magic "GZX" or "UZX". The
// entries must be sorted by code ascending (GFXW_BAD_INPUT otherwise).
int GfxFile_WriteCombined(const char* header, const char* magic, int zoom, const GfxCombinedEntry* entries, u32 count);
int GfxFile_SaveCombined(const wch* name, int folder, const char* header, const char* magic, int zoom,
                         const GfxCombinedEntry* entries, u32 count);

// A combined file read whole into memory, checked and indexed.
struct GfxCombinedFile {
  u8* data;          // Heap block: the bytes from the magic on
  u32 size;
  u32 indexCount;    // entries before the closing one
  int zoom;
};
// Reads name from folder whole; magic "GZX" or "UZX" and the zoom digit
// must match. 0 ok; 3 the file does not open; 2 it cannot be read whole or
// its index runs past the data; 4 wrong magic or zoom digit; 14 no memory.
// A refused file leaves *file empty.
int GfxFile_LoadCombined(const wch* name, int folder, const char* magic, int zoom, GfxCombinedFile* file);
// The same over bytes in memory (the bytes from the magic on; copied).
int GfxFile_OpenCombinedMemory(const u8* data, u32 size, const char* magic, int zoom, GfxCombinedFile* file);
void GfxFile_FreeCombined(GfxCombinedFile* file);
// The index search: stops with "not found" at the first entry whose code is
// greater. 0 found (*offset the record's offset), 3 not found.
int Gfx_FindCombinedRecord(const GfxCombinedFile* file, u32 code, u32 state, u32 subPicture, u32 variant,
                         u32* offset);
// Finds and reads one record (through a memory read stream, which it
// closes). 3 not present; 2 the offset or the key at it is wrong; else as
// GfxFile_ReadElementRecord.
int GfxFile_ReadCombined(const GfxCombinedFile* file, u32 code, u32 state, u32 subPicture, u32 variant,
                         GfxElementRecord* rec);

// ---------------------------------------------------------------- vehicle file
// "orba.fzg" and user vehicle files: magic 46 5A C7, the version high byte
// first, an index of (u16 set number, u32 offset) closed by set number 0,
// and the set records. Offsets count from the first byte of the file.
enum : u16 {
  GFX_FZG_V3400 = 0x3400,  // magic 46 DA 47, no version word
  GFX_FZG_V3506 = 0x3506,
  GFX_FZG_V3509 = 0x3509,
  GFX_FZG_V3830 = 0x3830,
  GFX_FZG_V3840 = 0x3840,
  GFX_FZG_V3850 = 0x3850,
  GFX_FZG_V3853 = 0x3853,
  GFX_FZG_CURRENT = 0x3853
};
enum { GFX_SET_VEHICLES = 16, GFX_VEHICLE_MARKERS = 3, GFX_SET_TEXT_MAX = 6513 };

// The file's vehicle flag bits that shape the picture data.
enum : u32 {
  GFX_VF_EXTRA_VIEWS = 1u << 8,   // two more end views (B x C each)
  GFX_VF_DOUBLE = 1u << 10,       // double length: second side and top pictures
  GFX_VF_EXTRA_1 = 1u << 11,      // an extra side picture (second layer of the first side)
  GFX_VF_EXTRA_2 = 1u << 12       // an extra side picture (second layer of the second side)
};

struct GfxVehicleMarker {
  u16 position;  // along the vehicle, 0..L-1
  u16 value;     // 4..13
  u16 kind;      // kept as it stands
};

struct GfxVehicle {
  u8 index;        // 0..15, unique within the set
  u16 length;      // L, pixels 8..256
  u16 a, b, c;     // A 2..14 (side height), B 4..16 (width), C 2..14 (end height)
  u32 flags;       // the file's flag word (GFX_VF_* and the bits mapped by
                   // GfxFile_VehicleRecordFlags)
  u8 markerCount;  // 0..3
  GfxVehicleMarker markers[GFX_VEHICLE_MARKERS];
  u32 pixelCount;  // GfxFile_VehiclePixelCount(length, a, b, c, flags)
  u32* pixels;     // the zoom-1 pixels in file order (see below)
};

// Order of a vehicle's pixels (each picture top row first in memory):
//   side view facing one way (L x A, rows), side view facing the other way
//   (L x A), top view (B columns of L/2 pixels, column by column), end view
//   (B x C, rows), second top view (as the first), second end view;
//   with GFX_VF_EXTRA_VIEWS two more end views; with GFX_VF_DOUBLE the second
//   pictures of the two side views and the two top views; with
//   GFX_VF_EXTRA_1 an extra side picture (and its second picture with
//   GFX_VF_DOUBLE), likewise GFX_VF_EXTRA_2.
// The format only fixes the total: 2 (L A + B C + (L/2) B), + 2 B C with
// bit 8, + 2 (L A + (L/2) B) with bit 10, + L A for each of bits 11 and 12
// (2 L A with bit 10).
u32 GfxFile_VehiclePixelCount(u32 length, u32 a, u32 b, u32 c, u32 flags);
// The record's u16 flags word: bit 6 -> 1, bit 0 -> 8, bit 15 -> 16,
// bit 7 -> 32, bit 8 -> 64, bit 10 -> 128.
u16 GfxFile_VehicleRecordFlags(u32 fileFlags);

struct GfxVehicleSet {
  u16 number;       // set number, not 0
  u16 count;        // vehicles 1..16
  u32 flags;        // not 0; bit 15 only in user sets
  u32 textNumber;   // standard sets: language text number of the set's texts
  u32 textLength;   // user sets: units of texts, 1..6513
  wch* texts;       // user sets: 5 x count + 1 zero-terminated strings, the
                    // set's name first (UTF-16 from version 0x3850 on, 8-bit before)
  GfxVehicle vehicles[GFX_SET_VEHICLES];
};

// Writes a whole vehicle file: sets in index order. user: 1 for a user
// vehicle file (text length and texts instead of the text number). version:
// 0x3830, 0x3840, 0x3850 or 0x3853.
int GfxFile_WriteVehicleFile(const GfxVehicleSet* sets, u32 count, int user, u16 version);
int GfxFile_SaveVehicleFile(const wch* name, int folder, const GfxVehicleSet* sets, u32 count, int user,
                            u16 version);
// Checks the magic and version at the start of the open read stream (which
// must stand at the file's first byte). 0 and *version, 6 wrong magic or
// version bytes, 8 a version not in the list, 2 read error.
int GfxFile_ReadVehicleHeader(u16* version);
// Reads the index entries in order from the open read stream, right after the
// header: calls back per entry (stop with non-zero). 0 the index was read to
// its end (or the callback stopped), 4 end of data or read error inside it.
int GfxFile_ReadVehicleIndex(int (*entry)(void* ctx, u16 set, u32 offset), void* ctx);
// Opens name in folder and reads the set: header, index, set record.
// 0 and *set filled (free with GfxFile_FreeVehicleSet); else GFXV_* (3 when
// the file does not open). Versions before 0x3830 give 8.
int GfxFile_LoadVehicleSet(const wch* name, int folder, u16 number, int user, GfxVehicleSet* set);
// The same from bytes in memory (the whole file).
int GfxFile_ReadVehicleSetMemory(const u8* data, u32 size, u16 number, int user, GfxVehicleSet* set);
void GfxFile_FreeVehicleSet(GfxVehicleSet* set);

// ---------------------------------------------------------------- vehicle zoom files
// Combined: magic "FZX" and the zoom digit, an index of (u32 vehicle id,
// u32 offset) in ascending id order closed by id 0, and at each offset the id
// again, the record's size, a reserved 0, a text ended by 0x1A and the zoom
// record. Offsets count from the first byte of the file. A single file
// ("%05u-%02u.fz2") holds a text header ended by 0x1A and one zoom record.
struct GfxVehicleZoom {
  u32 id;            // VehicleId (combined files)
  u8 zoom;           // 2 or 4
  u16 version;       // 899 (zoom 2 only) or 901
  u16 versionHalf;   // 899: 2 or 3; 901: 0 or 3
  u32 flags;         // 901 only: bit 1 must be set; bit 0 extra views,
                     // bit 2 double length, bits 3 and 4 the extra pictures
  u16 length;        // L x z
  u16 a, b, c;       // scaled by z: A and C 2z..14z, B 4z..16z
  u32 pixelCount;    // GfxFile_VehicleZoomPixelCount
  u32* pixels;       // the same picture order as at zoom 1
};
// The zoom-1 flag word that a zoom record's flags stand for (version 901),
// for GfxFile_VehiclePixelCount.
u32 GfxFile_VehicleZoomFileFlags(u32 zoomFlags);
// Pixels of a zoom record: version 901 by its own flags, 899 by the zoom-1
// flags of the vehicle (fileFlags).
u32 GfxFile_VehicleZoomPixelCount(const GfxVehicleZoom* rec, u32 fileFlags);
int GfxFile_WriteVehicleZoomRecord(const GfxVehicleZoom* rec);
// Whole combined zoom file; records sorted by id ascending, ids not 0.
int GfxFile_WriteVehicleZoomFile(int zoom, const GfxVehicleZoom* recs, u32 count);
int GfxFile_SaveVehicleZoomFile(const wch* name, int folder, int zoom, const GfxVehicleZoom* recs, u32 count);
int GfxFile_SaveVehicleZoomSingle(const wch* name, int folder, const char* header, const GfxVehicleZoom* rec);
// Reads a zoom record from the read stream. length is the vehicle's zoom-1
// length L and fileFlags its zoom-1 flag word. Results GFXZ_*.
int GfxFile_ReadVehicleZoomRecord(int zoom, u32 length, u32 fileFlags, GfxVehicleZoom* rec);
// Finds id in the combined zoom file open in the read stream (standing at its
// first byte) and reads its record. 3 not in the index.
int GfxFile_ReadVehicleZoomCombined(int zoom, u32 id, u32 length, u32 fileFlags, GfxVehicleZoom* rec);
void GfxFile_FreeVehicleZoom(GfxVehicleZoom* rec);

// ---------------------------------------------------------------- title picture file
// "orba.tbd": 54 C2 44, format '8' or '9', the picture count (u16 for '8',
// u32 for '9'), count u32 offsets (from the first byte of the file), and per
// picture u16 width, u16 height, the background and the pixels bottom row
// first. '8': background one ColourCode byte and a 0 byte; each pixel byte b
// gives code b % 64, b >= 0xC0 with the next byte n a run of n + 4, else a
// run of (b >> 6) + 1. '9': background a u32 colour; pixels an RleU32Stream
// with red and blue exchanged.
struct GfxTitlePicture {
  u16 width, height;
  u32 background;   // '8': a ColourCode 0..63; '9': a COLORREF (0x00BBGGRR)
  const u8* codes;  // '8': width x height ColourCodes 0..63, top row first
  const u32* colours;  // '9': width x height COLORREFs, top row first
};
int GfxFile_WriteTitleFile(int format, const GfxTitlePicture* pics, u32 count);
int GfxFile_SaveTitleFile(const wch* name, int folder, int format, const GfxTitlePicture* pics, u32 count);

// One picture as read: every pixel a ColourCode ('8') or COLORREF ('9')
// word, top row first; pixels equal to the background keep the background.
struct GfxTitleImage {
  int format;       // '8' or '9'
  u32 count;        // pictures in the file
  u16 width, height;
  u32 background;
  u32* pixels;      // Heap block
};
// Reads the count of the open read stream's title file (at its first byte).
int GfxFile_ReadTitleCount(int* format, u32* count);
// Reads picture n (0..count-1) of the open read stream, which stands right
// after the count (GfxFile_ReadTitleCount). 0, 2 or 14.
int GfxFile_ReadTitlePicture(int format, u32 count, u32 n, GfxTitleImage* out);
void GfxFile_FreeTitleImage(GfxTitleImage* img);
