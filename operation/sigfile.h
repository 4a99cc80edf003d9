// Signal file sections: the layout file's sections "SIGS" and "SIGE" (and
// the older "SI" form with its elements inside their installations), the
// after-load pass that turns signal cells without an element into plain
// track, and the signal chapters of the text listing (operation/sigexport).
//
// Owns no records (operation/sig does). Counts, lengths and list sizes read
// from a file are bounded before anything is allocated or
// stored. Main thread only.
#pragma once
#include "operation/sig.h"

enum : u32 { SIG_TAG_SIGS = 0x53474953, SIG_TAG_SIGE = 0x45474953 };

// 0, or the first write's code.
int Sig_SaveSection(void);
// Clears the store and reads the section of a file of that version: 0; the
// stream's 1 or 2; 3 bad tag, a name longer than 21 units, a count beyond
// its bound; 4 memory.
int Sig_LoadSection(u16 version);
// Over every level of the layout's extent: signal cells of the old
// numbering (288..439) without an element become plain track. The number of
// cells changed.
i32 Sig_RemoveOrphanSignalTiles(void);

// The signal chapters of the layout's text listing into the write stream:
// every installation with its values, state, users, schedule, text and the
// depot places that refer to it; every element with its cell, type, lists,
// rules and linked element. options: the listing's option word (kept for
// every part writer). 0, or the first write's code.
int Sig_ExportInstallations(u16 options);
int Sig_ExportElements(u16 options);
