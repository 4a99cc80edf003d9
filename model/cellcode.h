// What a grid cell's 16-bit code says, in one place: modules ask these
// helpers instead of masking codes themselves, so the layout of the code
// can be read here and nowhere else.
//
// Below 0x8000 a code is a track or element code: bits 0-8 the shape (eight
// consecutive shapes per element kind, one per direction), bit 9 a variant,
// bits 10-13 the class, bit 14 the reservation mark of a cell reserved ahead
// of a train (a normalised read strips it; in a layout file bit 13 beside it
// marks a train's last reserved cell). 0x8000-0x8FFF never stand in a cell:
// files use them as empty-run markers. 0xBF00-0xBFFF stand for a train in the
// cell, 0xC000 is the empty cell, 0xC001-0xFFFF are symbol numbers; through
// 0xC001 and 0xC002 a view sees the level below.
#pragma once
#include "platform/types.h"

typedef u16 CellCode;

enum : u16 {
  CELL_EMPTY = 0xC000,
  CELL_LOOK_DOWN_1 = 0xC001,
  CELL_LOOK_DOWN_2 = 0xC002,
  CELL_TRAIN_FIRST = 0xBF00,
  CELL_TRAIN_LAST = 0xBFFF
};

enum : u32 {
  CELL_SHAPE_MASK = 0x1FF,
  CELL_VARIANT_BIT = 0x200,
  CELL_CLASS_SHIFT = 10,
  CELL_LAST_RESERVED_BIT = 0x2000,
  CELL_RESERVED_BIT = 0x4000,
  // Codes below are track and element codes.
  CELL_ELEMENT_END = 0x8000
};

// The shape, bits 0-8 (0..511).
inline u32 Cell_Shape(u32 code) { return code & CELL_SHAPE_MASK; }
// The code without its shape: variant, class and mark, which together name
// the element kind.
inline u32 Cell_WithoutShape(u32 code) { return code & ~u32(CELL_SHAPE_MASK); }
// The code with another shape, the other bits kept.
inline u32 Cell_WithShape(u32 code, u32 shape) { return (code & ~u32(CELL_SHAPE_MASK)) | shape; }
// An element code whose shape lies in first..last.
inline int Cell_HasShapeIn(u32 code, u32 first, u32 last) {
  return code < CELL_ELEMENT_END && Cell_Shape(code) >= first && Cell_Shape(code) <= last;
}
// The class, bits 10-13 (0..15); the reservation mark does not count.
inline u32 Cell_Class(u32 code) { return (code >> CELL_CLASS_SHIFT) & 15u; }
inline int Cell_ClassIn(u32 code, u32 first, u32 last) { return Cell_Class(code) >= first && Cell_Class(code) <= last; }
inline int Cell_IsElement(u32 code) { return code < CELL_ELEMENT_END; }
inline int Cell_IsReserved(u32 code) { return code < CELL_ELEMENT_END && (code & CELL_RESERVED_BIT); }
// The code without bit 14, whatever the code is: for callers that have
// already told an element code from the rest.
inline u32 Cell_WithoutMark(u32 code) { return code & ~u32(CELL_RESERVED_BIT); }
// The normalised code: element codes lose their reservation mark, every
// other code stays as it is.
inline u32 Cell_Normalised(u32 code) { return code < CELL_ELEMENT_END ? Cell_WithoutMark(code) : code; }
inline int Cell_IsTrainMarker(u32 code) { return code >= CELL_TRAIN_FIRST && code <= CELL_TRAIN_LAST; }
inline int Cell_IsEmpty(u32 code) { return code == CELL_EMPTY; }
inline int Cell_IsSymbol(u32 code) { return code > CELL_EMPTY && code <= 0xFFFF; }
