#include "model/layprot.h"

#include "model/genl.h"
#include "model/layfile.h"
#include "platform/fio.h"
#include "platform/lng.h"
#include "platform/msg.h"
#include "platform/str.h"

enum { LAY_CODE_BYTES = LAY_CODE_MAX + 1 };

static char g_layCode[LAY_CODE_BYTES];     // encoded
static char g_layEntered[LAY_CODE_BYTES];  // encoded, empty until entered
static LayProtectHooks g_layProtectHooks;

void Lay_SetProtectHooks(const LayProtectHooks* hooks) {
  g_layProtectHooks = hooks ? *hooks : LayProtectHooks{};
}

int Lay_HasProtectCode(void) { return (Genl_GetKeptFlags() & GENL_FLAG_PROTECTED) ? 1 : 0; }

static void Lay_SetFlag(int on) {
  const u32 f = Genl_GetKeptFlags();
  Genl_SetKeptFlags(on ? (f | GENL_FLAG_PROTECTED) : (f & ~u32(GENL_FLAG_PROTECTED)));
}

void Lay_ClearProtectCode(void) {
  Lay_SetFlag(0);
  Mem_Fill(g_layCode, 0, LAY_CODE_BYTES);
  Mem_Fill(g_layEntered, 0, LAY_CODE_BYTES);
}

void Lay_BeginLoadProtectCode(void) { Mem_Fill(g_layCode, 0, LAY_CODE_BYTES); }

void Lay_ForgetEnteredCode(void) { Mem_Fill(g_layEntered, 0, LAY_CODE_BYTES); }

int Lay_WriteLockSlice(int from, int to) {
  if (!Lay_HasProtectCode()) return 0;
  int n = 0;
  while (n < LAY_CODE_MAX && g_layCode[n]) ++n;
  for (int i = from; i <= to; ++i) {
    const int r = Fio_WriteByte(i < n && i < LAY_CODE_MAX ? u8(g_layCode[i]) : 0);
    if (r) return r;
  }
  return 0;
}

int Lay_ReadLockSlice(int from, int to) {
  if (!Lay_HasProtectCode()) return 0;
  for (int i = from; i <= to; ++i) {
    u8 b;
    const int r = Fio_ReadByte(&b);
    if (r) return r;
    if (i < LAY_CODE_BYTES) g_layCode[i] = char(b);
  }
  g_layCode[LAY_CODE_MAX] = 0;
  return 0;
}

// The entry trimmed, upper-cased, checked and encoded into 8 bits.
static int Lay_EncodeEntry(const wch* plain, char* out) {
  while (*plain == u' ') ++plain;
  i32 n = Str_Len(plain);
  while (n > 0 && plain[n - 1] == u' ') --n;
  if (n < LAY_CODE_MIN) return 1;
  if (n > LAY_CODE_MAX) return 2;
  wch code[LAY_CODE_BYTES];
  Mem_CopyWide(code, plain, n);
  code[n] = 0;
  Str_Upper(code);
  for (i32 i = 0; i < n; ++i)
    if (!((code[i] >= u'0' && code[i] <= u'9') || (code[i] >= u'A' && code[i] <= u'Z'))) return 3;
  Str_ShiftEncode(code);
  for (i32 i = 0; i <= n; ++i) out[i] = char(code[i]);
  return 0;
}

int Lay_SetProtectCode(const wch* plain) {
  if (Str_IsBlank(plain)) {
    if (Lay_HasProtectCode()) {
      Lay_ClearProtectCode();
      Lay_MarkModified();
    }
    return 0;
  }
  char enc[LAY_CODE_BYTES] = {0};
  const int r = Lay_EncodeEntry(plain, enc);
  if (r) return r;
  if (!Lay_HasProtectCode() || Str_CompareNoCaseA(enc, g_layCode) != 0) {
    Mem_Fill(g_layCode, 0, LAY_CODE_BYTES);
    Str_CopyA(g_layCode, enc);
    Lay_SetFlag(1);
    Lay_MarkModified();
  }
  Str_CopyA(g_layEntered, enc);
  return 0;
}

void Lay_GetProtectCode(wch* plain) {
  i32 n = 0;
  if (Lay_HasProtectCode())
    for (; n < LAY_CODE_MAX && g_layCode[n]; ++n) plain[n] = wch(u8(g_layCode[n]));
  plain[n] = 0;
  Str_ShiftDecode(plain);
}

int Lay_CheckProtectCode(const wch* plain) {
  char enc[LAY_CODE_BYTES] = {0};
  const int r = Lay_EncodeEntry(plain, enc);
  if (r) return r;
  if (Str_CompareNoCaseA(enc, g_layCode) != 0) return 4;
  Str_CopyA(g_layEntered, enc);
  return 0;
}

static int Lay_CodeEntered(void) {
  return !Lay_HasProtectCode() || (g_layEntered[0] && Str_CompareNoCaseA(g_layEntered, g_layCode) == 0);
}

int Lay_AskProtectCode(void) {
  if (Lay_CodeEntered()) return 0;
  return g_layProtectHooks.askCode ? (g_layProtectHooks.askCode() ? 1 : 0) : 1;
}

int Lay_MaySave(void) {
  if (Lay_AskProtectCode() != 0) return 1;
  if (LayoutFileVersion != 0 && LayoutFileVersion != LAY_VERSION) {
    if (Msg_Ask(241, Lng_GetText(11480), 0) != 3) return 1;
    LayoutFileVersion = LAY_VERSION;
  }
  return 0;
}

int Lay_MaySaveQuietly(void) {
  if (!Lay_CodeEntered()) return 1;
  return (LayoutFileVersion != 0 && LayoutFileVersion != LAY_VERSION) ? 1 : 0;
}
