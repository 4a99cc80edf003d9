// Depot place references as the user types them ("name:n", "name:n-m",
// "name") in rule texts, timetables, place lists and the depot dialogs: the
// one resolver all those fields use, and the parser of place lists
// (DepotPlaceList: pairs of depot and place number, place 0 the whole
// depot).
//
// Owns no records (model/dep does). An error is shown as a numbered
// message; where the caller allows, the box offers the depot list, from
// which the user may pick the place meant (a hook that the dialogs
// install; without it a plain error box shows). Main thread only.
#pragma once
#include "platform/types.h"

enum {
  DEP_REF_EMPTY_IS_ERROR = 1,
  DEP_REF_OFFER_LIST = 2,
  DEP_REF_ACCEPT_UNKNOWN = 4,
  DEP_REF_WHOLE_DEPOT = 8,  // a name without a number gives place 0
  DEP_REF_FLAG_LETTER = 16,
  DEP_REF_QUIET = 32,
  DEP_REF_RANGE = 64
};
enum { DEP_REF_MAX = 22, DEP_REF_SIZE = 24 };

// Resolves the reference in ref (in/out, room for DEP_REF_SIZE units; with
// DEP_REF_OFFER_LIST a place the user picks is written back): the depot
// number, 0 for an empty reference (without DEP_REF_EMPTY_IS_ERROR) or an
// unknown one accepted by DEP_REF_ACCEPT_UNKNOWN, -1 after an error. *place
// gets the place (0x8000 with the place flag letter), *rangeEnd the last
// place of a range (0 none); either may be null.
i32 Dep_ResolvePlaceRef(wch* ref, int flags, u32 msgBadChar, i32* rangeEnd, i32* place, u32 msgEmpty);

// A comma-separated list of place references in text (in/out: an entry the
// user corrects from the depot list is replaced, while the text stays
// within 4000 units) into DepotPlaceList words (room for RULE_PLACE_LIST_MAX).
// The word count, -1 too many words, -2 an entry refused. Quiet: no box; a
// bad entry is skipped. Strict: a pair given twice, a whole depot beside one
// of its places, or a pair of the other list (other, otherCount words) is
// refused.
enum { RULE_PLACE_LIST_MAX = 1198, RULE_PLACE_LIST_TEXT = 4000 };
i32 Rule_ParsePlaceListCore(wch* text, u32* out, const u32* other, int quiet, i32 otherCount);
// Quietly, for the clipboard pastes.
i32 Rule_ParsePlaceList(wch* text, u32* out);
// Strictly, for the dialogs, against the object's other list.
i32 Rule_NormalisePlaceListInDialog(wch* text, u32* out, const u32* other, i32 otherCount);

// What the resolver asks of the dialogs above it.
struct DepRefHooks {
  // Shows the error text under message number msgNo with a button that
  // opens the depot list; 1 when a place was picked there (its unpadded
  // reference in chosen, DEP_REF_SIZE units), else 0.
  int (*errorOfferList)(u32 msgNo, const wch* text, wch* chosen);
};
void Dep_SetRefHooks(const DepRefHooks* hooks);
