// Letters of the train categories and train types: what rule texts and the
// train dialogs show for them and read back. The letters are the first
// characters of language texts 19615..19617 (categories 1..3) and
// 19600..19609 (types 1..10). A pure lookup of language texts, kept in the
// model because the rule texts read and write these letters; the train
// dialogs use the same calls.
#pragma once
#include "platform/types.h"

enum { ZUG_CATEGORY_MAX = 3, ZUG_TYPE_MAX = 10 };

// The letter of a category 1..3 or type 1..10; "*" for 0, "?" out of range.
wch Zug_CategoryLetter(u32 category);
wch Zug_TypeLetter(u32 type);
// The category whose letter equals c ignoring case, 0 when none.
u32 Zug_CategoryFromLetter(wch c);
// The type whose letter equals c exactly, 0 when none.
u32 Zug_TypeFromLetter(wch c);

// The two state letters of a train's state flags and their palette colours
// (the train table and the info line of the followed train): the position
// letter (in service or placed at a depot place, from text 19010) and the
// state letter (first characters of texts 19011..19019). colours may be null.
void Zug_StateLetters(u32 flags, wch letters[2], u32 colours[2]);
