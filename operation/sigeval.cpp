#include "operation/sigeval.h"

#include "operation/snd.h"
#include "operation/sndcat.h"

#include "model/dep.h"
#include "model/grid.h"
#include "model/line.h"
#include "operation/dmsg.h"
#include "operation/sigtime.h"
#include "operation/trnquery.h"

static SigHooks g_sigHooks;

void Sig_SetHooks(const SigHooks* hooks) { g_sigHooks = hooks ? *hooks : SigHooks{}; }

int Sig_DisplayPaused(void) { return g_sigHooks.displayPause ? g_sigHooks.displayPause() : 0; }
static int Sig_ShowState(void) { return g_sigHooks.showState ? g_sigHooks.showState() : 0; }
static u32 Sig_Animation(void) { return g_sigHooks.animation ? g_sigHooks.animation() : 16u; }

int Sig_ShapeKind(u32 code) {
  if (code >= 16384) return 0;
  switch (Cell_Shape(code) >> 3) {
    case 50: case 53: case 55: case 57: return 3;
    case 51: case 54: return 4;
    case 52: case 56: case 58: return 2;
    default: return 0;
  }
}

// ---------------------------------------------------------------- the evaluator

namespace {

// A value: 2 or 3 a truth value, SIG_TOK_NUMBER | v a number, 0 failure.
struct SigExpr {
  i32 n;
  const u32* tok;
  SignalInstallation* const* ops;
  i32 pos;
};

bool IsTruth(u32 v) { return v == SIG_EVAL_FALSE || v == SIG_EVAL_TRUE; }
bool IsNumber(u32 v) { return (v & SIG_TOK_NUMBER) != 0; }
// Numbers are signed 16-bit values, so that unary minus and the arithmetic
// agree (-1 + 1 = 0, -1 < 0).
i32 NumberOf(u32 v) { return i32(i16(u16(v & 0xFFFF))); }
u32 MakeNumber(i32 v) { return SIG_TOK_NUMBER | (u32(v) & 0xFFFF); }
bool Peek(const SigExpr& x, u32 t) { return x.pos < x.n && x.tok[x.pos] == t; }

u32 EvalOr(SigExpr& x);

u32 EvalPrimary(SigExpr& x) {
  if (x.pos >= x.n) return 0;
  const u32 t = x.tok[x.pos++];
  if (t == SIG_TOK_OPEN) {
    const u32 v = EvalOr(x);
    if (!v || !Peek(x, SIG_TOK_CLOSE)) return 0;
    x.pos++;
    return v;
  }
  if (t & SIG_TOK_NUMBER) return MakeNumber(NumberOf(t));
  if (t >= 1 && t <= SIG_ID_MAX) {
    const SignalInstallation* a = x.ops ? x.ops[x.pos - 1] : nullptr;
    return (a && IsTruth(a->State)) ? a->State : 0;
  }
  return 0;
}

u32 EvalUnary(SigExpr& x) {
  if (x.pos >= x.n) return 0;
  const u32 t = x.tok[x.pos];
  if (t != SIG_TOK_NOT && t != SIG_TOK_UPLUS && t != SIG_TOK_UMINUS) return EvalPrimary(x);
  x.pos++;
  const u32 v = EvalPrimary(x);
  if (!v) return 0;
  if (t == SIG_TOK_NOT) return IsTruth(v) ? (v ^ 1) : 0;
  if (!IsNumber(v)) return 0;
  return t == SIG_TOK_UPLUS ? v : MakeNumber(-NumberOf(v));
}

u32 EvalProduct(SigExpr& x) {
  u32 v = EvalUnary(x);
  while (v && x.pos < x.n &&
         (x.tok[x.pos] == SIG_TOK_TIMES || x.tok[x.pos] == SIG_TOK_DIV || x.tok[x.pos] == SIG_TOK_MOD)) {
    const u32 op = x.tok[x.pos++];
    const u32 w = EvalUnary(x);
    if (!w || !IsNumber(v) || !IsNumber(w)) return 0;
    const i32 a = NumberOf(v), b = NumberOf(w);
    if ((op == SIG_TOK_DIV || op == SIG_TOK_MOD) && b == 0) return 0;
    const i32 r = op == SIG_TOK_TIMES ? a * b : op == SIG_TOK_DIV ? a / b : a % b;
    if (r < -32767 || r > 32767) return 0;
    v = MakeNumber(r);
  }
  return v;
}

u32 EvalSum(SigExpr& x) {
  u32 v = EvalProduct(x);
  while (v && x.pos < x.n && (x.tok[x.pos] == SIG_TOK_PLUS || x.tok[x.pos] == SIG_TOK_MINUS)) {
    const u32 op = x.tok[x.pos++];
    const u32 w = EvalProduct(x);
    if (!w || !IsNumber(v) || !IsNumber(w)) return 0;
    const i32 r = op == SIG_TOK_PLUS ? NumberOf(v) + NumberOf(w) : NumberOf(v) - NumberOf(w);
    if (r < -32767 || r > 32767) return 0;
    v = MakeNumber(r);
  }
  return v;
}

u32 EvalRelation(SigExpr& x) {
  const u32 v = EvalSum(x);
  if (!v || x.pos >= x.n) return v;
  const u32 op = x.tok[x.pos];
  if (op < SIG_TOK_LT || op > SIG_TOK_GE) return v;
  x.pos++;
  const u32 w = EvalSum(x);
  if (!w || !IsNumber(v) || !IsNumber(w)) return 0;
  const i32 a = NumberOf(v), b = NumberOf(w);
  const bool r = op == SIG_TOK_LT ? a < b : op == SIG_TOK_LE ? a <= b : op == SIG_TOK_GT ? a > b : a >= b;
  return r ? SIG_EVAL_TRUE : SIG_EVAL_FALSE;
}

u32 EvalEquality(SigExpr& x) {
  const u32 v = EvalRelation(x);
  if (!v || x.pos >= x.n) return v;
  const u32 op = x.tok[x.pos];
  if (op != SIG_TOK_EQ && op != SIG_TOK_NE) return v;
  x.pos++;
  const u32 w = EvalRelation(x);
  if (!w || !IsNumber(v) || !IsNumber(w)) return 0;
  const bool eq = (v & 0xFFFF) == (w & 0xFFFF);
  return (eq == (op == SIG_TOK_EQ)) ? SIG_EVAL_TRUE : SIG_EVAL_FALSE;
}

u32 EvalAnd(SigExpr& x) {
  const u32 first = EvalEquality(x);
  if (!first) return 0;
  u32 result = first;
  bool joined = false;
  while (Peek(x, SIG_TOK_AND)) {
    x.pos++;
    const u32 w = EvalEquality(x);
    if (!w || !IsTruth(w)) return 0;
    joined = true;
    if (w == SIG_EVAL_FALSE) result = SIG_EVAL_FALSE;
  }
  if (joined && !IsTruth(first)) return 0;
  return result;
}

u32 EvalOr(SigExpr& x) {
  const u32 first = EvalAnd(x);
  if (!first) return 0;
  u32 result = first;
  bool joined = false;
  while (Peek(x, SIG_TOK_OR)) {
    x.pos++;
    const u32 w = EvalAnd(x);
    if (!w || !IsTruth(w)) return 0;
    joined = true;
    if (w == SIG_EVAL_TRUE) result = SIG_EVAL_TRUE;
  }
  if (joined && !IsTruth(first)) return 0;
  return result;
}

}  // namespace

int Sig_EvalCondition(i32 count, const u32* tokens, SignalInstallation* const* operands) {
  if (count <= 0) return SIG_EVAL_TRUE;
  if (count > i32(SIG_TOKENS_MAX) || !tokens) return SIG_EVAL_ILL_FORMED;
  SigExpr x{count, tokens, operands, 0};
  const u32 v = EvalOr(x);
  if (x.pos != count || !IsTruth(v)) return SIG_EVAL_ILL_FORMED;
  return int(v);
}

int Sig_EvalIdList(u32 count, const i32* ids) {
  if (count == 0) return SIG_EVAL_TRUE;
  if (!ids || count > SIG_TOKENS_MAX) return SIG_EVAL_ILL_FORMED;
  SignalInstallation* ops[SIG_TOKENS_MAX];
  for (u32 i = 0; i < count; ++i) {
    const u32 t = u32(ids[i]);
    ops[i] = (t >= 1 && t <= SIG_ID_MAX) ? Sig_FindInstallation(t) : nullptr;
  }
  return Sig_EvalCondition(i32(count), reinterpret_cast<const u32*>(ids), ops);
}

// ---------------------------------------------------------------- aspects

void Sig_RedrawElement(const SignalElement* e) {
  if (Sig_DisplayPaused()) return;
  Grid_RedrawCell(e->X, e->Y, e->Level, GRID_REDRAW_ALL);
  if (e->Y >= 1) Grid_RedrawCell(e->X, e->Y - 1, e->Level, GRID_REDRAW_PICTURE);
  if (e->Y >= 2) Grid_RedrawCell(e->X, e->Y - 2, e->Level, GRID_REDRAW_PICTURE);
}

static void Sig_PutOnBlinkList(SignalElement* e) {
  if (e->OnBlinkList) return;
  SignalElement** head = Sig_BlinkListHead();
  e->NextBlink = *head;
  *head = e;
  e->OnBlinkList = 1;
}

void Sig_UpdateAspect(SignalElement* e) {
  if (!e || e->Type < 1 || e->Type > 4) return;
  const u32 raw = Grid_GetCellChecked(e->X, e->Y, e->Level);
  const int underTrain = Cell_IsTrainMarker(raw);
  u32 code = raw, bit14 = 0;
  if (underTrain) {
    code = Trn_GetCellGraphic(e->X, e->Y, e->Level, u16(raw));
  } else if (Cell_IsElement(raw)) {
    bit14 = raw & CELL_RESERVED_BIT;
    code = Cell_WithoutMark(raw);
  }
  const int c = Sig_ShapeKind(code);
  if (c == 0) return;
  int r = e->Type == 2 ? SIG_EVAL_TRUE : Sig_EvalCondition(e->TokenCount, e->Tokens, e->Operands);
  if (r == SIG_EVAL_TRUE && e->Linked) {
    r = Sig_EvalCondition(e->Linked->TokenCount, e->Linked->Tokens, e->Linked->Operands);
    if (r == SIG_EVAL_FALSE) r = 4;
  }
  if (r == SIG_EVAL_ILL_FORMED) return;
  i32 delta = 0;
  switch (e->Type) {
    case 1:
    case 4:
      if (c == 3 && r == 2) delta = 8;
      else if (c == 2 && r == 3) delta = -8;
      break;
    case 2:
      if (c == 3 && r == 4) delta = 8;
      else if (c == 4 && r == 3) delta = -8;
      break;
    case 3:
      if (c == 3) delta = r == 4 ? 8 : r == 2 ? 16 : 0;
      else if (c == 4) delta = r == 3 ? -8 : r == 2 ? 8 : 0;
      else if (c == 2) delta = r == 3 ? -16 : r == 4 ? -8 : 0;
      break;
  }
  if (!delta) return;
  e->BlinkCounter = e->SwitchingCounter = 0;
  if ((Sig_Animation() & 16) && !Sig_DisplayPaused()) {
    if (e->Type == 4 && c == 3) {
      if (e->State > 15) e->SwitchingCounter = 9;
      else e->BlinkCounter = 9;
      const int slot = e->State > 15 ? SND_SLOT_LC_CLOSING : e->State > 7 ? SND_SLOT_LC2 : SND_SLOT_LC1;
      Snd_RequestSlotAtCell(slot, e->X, e->Y, e->Level, SND_OPT_SIGNALS);
    } else if (e->Type <= 3) {
      e->SwitchingCounter = 9;
    }
  }
  if (e->SwitchingCounter >= 1) Sig_PutOnBlinkList(e);
  const u32 next = u32(i32(code) + delta);
  if (underTrain) {
    Trn_SetCellGraphic(e->X, e->Y, e->Level, u16(next), u16(raw));
  } else {
    Grid_SetCell(e->X, e->Y, e->Level, CellCode(next | bit14));
    Sig_RedrawElement(e);
  }
}

void Sig_RefreshAspectAt(i32 x, i32 y, i32 level) { Sig_UpdateAspect(Sig_FindElementAt(x, y, level, 0)); }

void Sig_UpdateLinkedAspects(SignalElement* e) {
  for (SignalElement* p = Sig_FirstElement(); p; p = p->Next)
    if (p->Linked == e) Sig_UpdateAspect(p);
}

// ---------------------------------------------------------------- counting

void Sig_SetInstallationState(SignalInstallation* a, u8 state) {
  if (a->State == state) return;
  a->State = state;
  for (u32 i = 0; i < a->DependentCount; ++i) Sig_UpdateAspect(a->Dependents[i]);
}

int Sig_InstallationEnter(SignalInstallation* a, i32 n) {
  if (a->State != SIG_OCCUPIED && a->State != SIG_FREE) return 13;
  const int overflow = i64(a->Count) + n > a->Maximum;
  a->Count = overflow ? a->Maximum : a->Count + n;
  if (a->Count < a->Limit) return 1;
  if (a->State == SIG_OCCUPIED) return overflow ? 12 : 3;
  Sig_SetInstallationState(a, SIG_OCCUPIED);
  return overflow ? 6 : 0;
}

int Sig_InstallationLeave(SignalInstallation* a, i32 n) {
  if (a->State != SIG_OCCUPIED && a->State != SIG_FREE) return 13;
  const int underflow = a->Count < n;
  a->Count = underflow ? 0 : a->Count - n;
  if (a->Count >= a->Limit) return 1;
  if (a->State == SIG_FREE) return underflow ? 12 : 3;
  Sig_SetInstallationState(a, SIG_FREE);
  return underflow ? 7 : 0;
}

// ---------------------------------------------------------------- trains

int Sig_ElementMatchesTrain(const SignalElement* e, u32 curLine, i32 number, u32 placeWord) {
  if (placeWord) {
    const u32 depot = placeWord & 0xFFFF, place = placeWord >> 16;
    if (e->Pairs && e->PairCount > 0) {
      if (Lin_PairListContains(e->Pairs, e->PairCount, depot, place)) return (e->Flags & SIG_F_PLACES_INVERTED) ? 0 : 1;
    } else if (e->Flags & SIG_F_PLACES_INVERTED) {
      return 1;
    }
  }
  if (curLine == 0) return 1;
  if (e->Rules && e->RuleCount > 0 && !Lin_ListMatchNow(e->Rules, e->RuleCount, curLine, nullptr, u32(number)))
    return (e->Flags & SIG_F_RULES_INVERTED) ? 1 : 0;
  return (e->Flags & SIG_F_RULES_INVERTED) ? 0 : 1;
}

// Counts the amount into or out of the installations of a list (positive
// entries in, negative out) and posts the dispatcher messages of clamping.
static void Sig_CountList(const i32* ids, SignalInstallation* const* inst, i32 count, i32 amount, i32 x, i32 y,
                          i32 level, i32 number, u32 curLine, u32 line) {
  for (i32 i = 0; i < count; ++i) {
    SignalInstallation* a = inst ? inst[i] : Sig_FindInstallation(u32(ids[i] < 0 ? -ids[i] : ids[i]));
    if (!a) continue;
    if (ids[i] < 0) {
      const int r = Sig_InstallationLeave(a, amount);
      if (r == 7 || r == 12) Dmsg_Post(2, x, y, level, a->Id, number, curLine, line);
    } else {
      const int r = Sig_InstallationEnter(a, amount);
      if (r == 6 || r == 12) Dmsg_Post(1, x, y, level, a->Id, number, curLine, line);
    }
  }
}

u32 Sig_TrainPasses(i32 x, i32 y, i32 level, u32 placeWord, i32 number, u32 curLine, u32 line, u32 amount,
                    u32 mode) {
  const i32 passed = i32(amount > 0x7FFFFFFF ? 0x7FFFFFFF : amount);
  if (mode & (SIG_PASS_ELEMENT | SIG_PASS_TYPE10)) {
    SignalElement* e = Sig_FindElementAt(x, y, level, (mode & SIG_PASS_ELEMENT) ? 0 : 1);
    if (!e) return 7;
    const u32 flag = (e->Flags & SIG_F_COUNT_AMOUNT) ? 0x100 : 0;
    if (!Sig_ElementMatchesTrain(e, curLine, number, placeWord)) return 5 | flag;
    const i32 n = flag ? passed : 1;
    const int list1 = (mode & SIG_PASS_LIST1) != 0;
    const i32 count = list1 ? e->List1Count : e->List2Count;
    if ((e->Flags & SIG_F_DELAYED) && count > 0 && (list1 ? e->Delay1 : e->Delay2) > 0) Sig_ArmSwitch(e, list1, passed);
    if (n == 0) return flag | 1;
    Sig_CountList(list1 ? e->List1 : e->List2, list1 ? e->List1Inst : e->List2Inst, count, n, x, y, level, number,
                  curLine, line);
    return flag;
  }
  DepotPlaceInfo info;
  if (Dep_GetPlace(placeWord & 0xFFFF, placeWord >> 16, &info)) return 8;
  const int listA = (mode & SIG_PASS_PLACE_A) != 0;
  const u32 count = listA ? info.ListACount : info.ListBCount;
  if (count == 0) return 9;
  const u32 flag = (info.Options & 1) ? 0x100 : 0;
  const i32 n = flag ? passed : 1;
  if (n == 0) return flag | 1;
  Sig_CountList(listA ? info.ListA : info.ListB, nullptr, i32(count > SIG_LIST_MAX ? SIG_LIST_MAX : count), n, x, y,
                level, number, curLine, line);
  return flag;
}

static SignalElement* Sig_AspectElementAt(i32 x, i32 y, i32 level) {
  SignalElement* e = Sig_FindElementAt(x, y, level, 0);
  return (e && e->Type >= 1 && e->Type <= 4) ? e : nullptr;
}

int Sig_TestElementForTrain(i32 x, i32 y, i32 level, i32* extra, u32 placeWord, i32 number, u32 curLine) {
  const SignalElement* e = Sig_AspectElementAt(x, y, level);
  if (!e) return 11;
  if (!Sig_ElementMatchesTrain(e, curLine, number, placeWord)) return 1;
  if (!(e->Flags & SIG_F_EXTRA)) return 0;
  if (extra) *extra = i32(e->ExtraValue);
  return 2;
}

int Sig_ElementAppliesTo(i32 x, i32 y, i32 level, u32 placeWord, i32 number, u32 curLine) {
  const SignalElement* e = Sig_AspectElementAt(x, y, level);
  if (!e) return 11;
  return Sig_ElementMatchesTrain(e, curLine, number, placeWord) ? 0 : 1;
}

i32 Sig_GetElementValueFor(i32 x, i32 y, i32 level, u32 placeWord, i32 number, u32 curLine) {
  const SignalElement* e = Sig_AspectElementAt(x, y, level);
  if (!e) return -1;
  if (!e->Linked) return i32(e->Value);
  return Sig_ElementMatchesTrain(e->Linked, curLine, number, placeWord) ? i32(e->Value) : -1;
}

// ---------------------------------------------------------------- display

u32 Sig_QueryElementState(i32 x, i32 y, i32 level, i32* phase, int forDialog, int mode) {
  if (phase) *phase = 1;
  const SignalElement* e = Sig_AspectElementAt(x, y, level);
  if (!e) return 6;
  if (!forDialog && !Sig_ShowState() && e->Type <= 3 && (e->Flags & SIG_F_FIXED)) {
    const u32 c = Sig_CodeClass(e->Type, e->State);
    return (c & 4) ? 243 : !(c & 8) ? 242 : 244;
  }
  int second = 0;
  if (e->Type == 4) {
    if (mode == 2) {
      if (e->State < 16) second = (e->BlinkCounter >= 5) == ((e->Flags & SIG_F_BLINK_INVERTED) != 0);
      else second = e->SwitchingCounter < 5;
    }
  } else {
    second = e->SwitchingCounter >= 5;
  }
  if (phase && second) *phase = 2;
  return e->State;
}

// ---------------------------------------------------------------- manual switching

void Sig_SwitchInstallation(SignalInstallation* a, int mode) {
  i32 count = a->Count;
  if (mode == 0) count = 0;
  else if (mode == 1) count = a->Maximum;
  else count = count ? 0 : a->Maximum;
  if (count == a->Count) return;
  a->Count = count;
  Sig_SetInstallationState(a, count >= a->Limit ? SIG_OCCUPIED : SIG_FREE);
}

int Sig_SwitchAt(i32 x, i32 y, i32 level, int mode) {
  if (x == -1) {
    SignalInstallation* a = Sig_FindInstallation(u32(y));
    if (!a) return 1;
    Sig_SwitchInstallation(a, mode);
    return 0;
  }
  const SignalElement* e = Sig_FindElementAt(x, y, level, 0);
  if (!e) e = Sig_FindElementAt(x, y, level, 1);
  if (!e || e->Type == 0) return 2;
  const SignalElement* lists = e;
  if (e->Linked && (e->Type == 2 || (e->Type == 3 && e->List1Count == 0 && e->List2Count == 0))) lists = e->Linked;
  SignalInstallation* done[SIG_LIST_MAX * 2];
  u32 n = 0;
  for (i32 i = 0; i < lists->List1Count; ++i)
    if (lists->List1Inst[i]) done[n++] = lists->List1Inst[i];
  for (i32 i = 0; i < lists->List2Count; ++i) {
    SignalInstallation* a = lists->List2Inst[i];
    bool seen = false;
    for (u32 k = 0; k < n; ++k) seen |= done[k] == a;
    if (a && !seen) done[n++] = a;
  }
  if (lists->List1Count == 0 && lists->List2Count == 0 && lists->TokenCount == 1 && lists->Operands[0])
    done[n++] = lists->Operands[0];
  for (u32 k = 0; k < n; ++k) Sig_SwitchInstallation(done[k], mode);
  return 0;
}

// ---------------------------------------------------------------- style classes

namespace {
struct Range {
  u16 a, b;
};
const Range kCommon[] = {{75, 78},   {81, 84},   {87, 90},   {93, 96},   {99, 102},  {105, 108},
                         {111, 114}, {117, 120}, {123, 126}, {129, 132}, {135, 138}, {141, 144},
                         {147, 150}, {153, 156}, {159, 162}, {165, 168}, {171, 174}};
const Range kS[] = {{3, 6}, {9, 12}, {18, 24}, {27, 30}, {33, 36}, {39, 42}, {45, 48}};
const Range kType1[] = {{51, 54}, {57, 60}, {63, 66}, {66, 69}, {177, 180}, {183, 186}, {189, 192}};
const Range kType2[] = {{51, 54}, {57, 60}, {60, 63}, {69, 72}, {177, 180}, {183, 186}};
const Range kType3[] = {{48, 51}, {57, 60}, {63, 66}, {69, 72}};

template <size_t N>
bool In(const Range (&r)[N], u32 s) {
  for (const Range& x : r)
    if (s >= x.a && s < x.b) return true;
  return false;
}
}  // namespace

u32 Sig_CodeClass(u32 type, u32 s) {
  if (type == 10) return s % 3 == 0 ? 0 : s % 3 == 1 ? 4 : 8;
  if (type == 4) {
    static const u32 byBits[4] = {1, 5, 2, 10};
    return byBits[s & 3];
  }
  if (type < 1 || type > 3) return 0;
  if (s == 243) return 4;
  if (s == 244) return 8;
  if (s == 242 || s >= 245) return 0;
  if (s >= 192) s -= 192;
  bool second = In(kS, s) || In(kCommon, s);
  if (type == 1) second = second || In(kType1, s);
  if (type == 2) second = second || In(kType2, s);
  if (type == 3) second = second || In(kType3, s);
  static const u32 first[3] = {1, 5, 9}, other[3] = {2, 10, 6};
  return second ? other[s % 3] : first[s % 3];
}

static int Sig_SecondFamily(u32 c) { return c == 2 || c == 10 || c == 6; }

i32 Sig_RemapStatesInBox(i32 x1, i32 y1, i32 level1, i32 x2, i32 y2, i32 level2, u32 type, int exact, u32 dirMask,
                         u32 code, u32 classMask, u32 fromState, u32 toState) {
  if (code > 16383 || !((type >= 1 && type <= 4) || type == 10)) return -1;
  const u32 size = type == 4 ? 2 : 3;
  const u32 gt = toState / size * size, gf = fromState / size * size;
  i32 changed = 0;
  for (SignalElement* e = Sig_FirstElement(); e; e = e->Next) {
    if (e->Type != type || !Sig_InBox(e->X, e->Y, e->Level, x1, y1, level1, x2, y2, level2)) continue;
    if (e->State < gt || e->State >= gt + size) continue;
    u32 cell = Grid_GetCellChecked(e->X, e->Y, e->Level);
    if (Cell_IsTrainMarker(cell)) cell = Trn_GetCellGraphic(e->X, e->Y, e->Level, u16(cell));
    if (!Cell_IsElement(cell)) continue;
    cell = Cell_WithoutMark(cell);
    if (!(dirMask & (1u << (cell & 7)))) continue;
    if (classMask) {
      if (!(classMask & (1u << Sig_ShapeKind(cell)))) continue;
    } else {
      const u32 mine = cell & ~0x1F8u, given = code & ~0x1F8u;
      const int variantClass = code < 4096 || (code >= 8192 && code <= 12287) || (code >= 7168 && code <= 8191);
      if (mine != given && !(variantClass && mine == (given ^ CELL_VARIANT_BIT))) continue;
    }
    u32 next;
    if (exact) {
      next = fromState;
    } else {
      next = e->State - gt + gf;
      if (type <= 3 && Sig_SecondFamily(Sig_CodeClass(type, e->State)) != Sig_SecondFamily(Sig_CodeClass(type, gf)))
        next = gt - e->State + 3 + gf;
    }
    u32 lo = 0, hi = 0;
    Sig_ShapeTypeRange(cell, &lo, &hi);
    if (e->State < lo || e->State > hi || next < lo || next > hi) continue;
    if (next == e->State) continue;
    e->State = next;
    Sig_RedrawElement(e);
    changed++;
  }
  return changed;
}
