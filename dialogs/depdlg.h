// The depot dialogs: the list of all depot places and the name steppers of
// the place and line fields. The rows of the list are built here, portably;
// the list dialog's window procedure comes with its template.
//
// Owns the place last chosen in the list. Main thread only.
#pragma once
#include "platform/types.h"

// One row per place in list order, DEP_ROW_UNITS units each: a column mark
// (2), the depot number, the place number and 0 (the row's keys), then the
// row text with its zero: the long name padded to 16 (blank on the further
// places of a depot), the short name padded to 4, the place number, a column
// mark, the waiting time in seconds ("---" none), the signal installation
// of the place padded to 20 (its name; text 17740 when mixed; "-----" none),
// the trains of today (home, standing at the cell, timetable B and A) and the
// timetable B and A entries of the whole week. The block (room for
// (depots + places) x DEP_ROW_UNITS units) ends with two zero units. The
// rows written.
enum { DEP_ROW_UNITS = 101, DEP_ROW_KEYS = 4, DEP_ROW_MARK = 2 };
i32 Dep_FormatListRows(wch* block);

// The field steppers of the dialog framework for depot place references and
// line names (spin keys in those fields): 0 stepped, 1 nothing to step to.
int Dep_StepPlaceField(wch* field, i32 step, i32 size);
int Dep_StepLineField(wch* field, i32 step, i32 size);
