// Clipboard text as another program or a damaged copy leaves it: the bytes
// (UTF-16 pairs, with no closing 0) become the clipboard's text, which the
// clipboard lines split, and the signal installation, signal element and
// turnout blocks are pasted from its first line on, as the region paste
// reads them, onto cells with signal shapes and turnout pieces. What was
// pasted, copied and pasted again gives the same lines.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "operation/pts.h"
#include "operation/ptsfile.h"
#include "operation/sig.h"
#include "operation/sigclip.h"
#include "platform/clip.h"
#include "platform/heap.h"
#include "platform/os.h"
#include "platform/str.h"
#include "tests/fuzz/fuzz_util.h"

namespace {
int g_window;

int SigRead(u32 n, u32 size, wch* buffer) {
  return Clip_ReadLine(n > 0x7FFFFFFF ? -1 : i32(n), size > 0x7FFFFFFF ? 0x7FFFFFFF : i32(size), buffer);
}
const SigClipLines kSigLines = {Clip_AppendLine, SigRead};
const PtsClipLines kPtsLines = {Clip_AppendLine, Clip_ReadLine};

// The clipboard's text becomes exactly these units, with no closing 0.
void SetText(const std::u16string& text) {
  FUZZ_CHECK(Os_OpenClipboard(&g_window) == 1, 0);
  Os_EmptyClipboard();
  wch* p = static_cast<wch*>(Heap_AllocMovable(u32(text.size() ? text.size() : 1) * 2));
  FUZZ_CHECK(p != nullptr, text.size());
  for (size_t i = 0; i < text.size(); ++i) p[i] = text[i];
  void* handle = Os_GlobalHandle(p);
  Os_GlobalUnlock(handle);
  FUZZ_CHECK(Os_SetClipboardData(OS_CF_UNICODETEXT, handle) != nullptr, 0);
  Os_CloseClipboard();
}

std::u16string Text(void) {
  std::u16string s;
  FUZZ_CHECK(Os_OpenClipboard(&g_window) == 1, 0);
  void* h = Os_GetClipboardData(OS_CF_UNICODETEXT);
  if (h) {
    const wch* p = static_cast<const wch*>(Os_GlobalLock(h));
    const u32 units = Os_GlobalSize(const_cast<wch*>(p)) / 2;
    for (u32 i = 0; i < units && p[i]; ++i) s += p[i];
    Os_GlobalUnlock(h);
  }
  Os_CloseClipboard();
  return s;
}

// A text of whole CR LF lines reads back line by line, cut where asked.
void Lines(const std::u16string& text) {
  std::vector<std::u16string> lines(1);
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c == 0) return;
    if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
      lines.emplace_back();
      ++i;
    } else if (c == u'\r' || c == u'\n') {
      return;
    } else {
      lines.back() += c;
    }
  }
  wch buf[300];
  for (size_t n = 0; n < lines.size(); ++n) {
    const int r = Clip_ReadLine(i32(n), 300, buf);
    const bool whole = lines[n].size() < 300;
    FUZZ_CHECK(r == (whole ? 0 : 1), r);
    FUZZ_CHECK(lines[n].compare(0, 299, buf) == 0, n);
    FUZZ_CHECK(Clip_ReadLine(i32(n), 4, buf) == (lines[n].size() < 4 ? 0 : 1), n);
    FUZZ_CHECK(lines[n].compare(0, 3, buf) == 0, n);
  }
  FUZZ_CHECK(Clip_ReadLine(i32(lines.size()), 300, buf) == 3 && buf[0] == 0, lines.size());
}

// The three blocks from line 0, each after the one before it; the results,
// 2 (or 4 for the turnouts) ending the paste.
struct Pasted {
  int installations = -1, elements = -1, turnouts = -1;
};
Pasted Paste(u32 count) {
  Pasted p;
  u32 line = 0;
  p.installations = Sig_PasteInstallationsFromClip(&kSigLines, &line);
  if (p.installations == 2) return p;
  FUZZ_CHECK(line <= count, line);
  p.elements = Sig_PasteElementsFromClip(&kSigLines, &line, 0, 0, 0);
  if (p.elements == 2) return p;
  FUZZ_CHECK(line <= count, line);
  i32 lineNo = i32(line);
  p.turnouts = Pts_PasteFromClip(&lineNo, 0, 0, 0);
  FUZZ_CHECK(lineNo >= i32(line) && u32(lineNo) <= count, lineNo);
  return p;
}

// Every record as the region copy gives it.
std::u16string Copy(void) {
  FUZZ_CHECK(Clip_Empty() == 0, 0);
  const i32 far = 1 << 20;
  FUZZ_CHECK(Sig_CopyInstallationsToClip(&kSigLines, -far, -far, -8, far, far, 8) == 0, 0);
  FUZZ_CHECK(Sig_CopyElementsToClip(&kSigLines, -far, -far, -8, far, far, 8) == 0, 0);
  FUZZ_CHECK(Pts_CopyToClip(-far, -far, -8, far, far, 8) == 0, 0);
  return Text();
}

u32 LineCount(const std::u16string& text) {
  u32 n = 1;
  for (char16_t c : text) n += c == u'\r';
  return n;
}

// A region copy pasted into emptied stores, copied again.
std::u16string CopyPasted(const std::u16string& copied) {
  Sig_Clear();
  Pts_FreeAll();
  SetText(copied);
  const Pasted again = Paste(LineCount(copied));
  FUZZ_CHECK(again.installations == 0, again.installations);
  FUZZ_CHECK(again.elements == 0, again.elements);
  FUZZ_CHECK(again.turnouts == 0, again.turnouts);
  return Copy();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const u8* data, size_t size) {
  Fuzz_Init();
  Clip_SetWindow(&g_window);
  Pts_SetClipLines(&kPtsLines);
  std::u16string text;
  for (size_t i = 0; i + 1 < size; i += 2) text += char16_t(data[i] | data[i + 1] << 8);
  SetText(text);
  Lines(text);

  Fuzz_ClipCells();
  Sig_Clear();
  Pts_FreeAll();
  Paste(LineCount(text));

  // What was pasted goes the same way again. A pasted element takes a new
  // name from its new id, and ids the first paste gave to refused records
  // are not used again: names settle from the second paste on.
  const std::u16string copied = Copy();
  const std::u16string once = CopyPasted(copied);
  FUZZ_CHECK(LineCount(once) == LineCount(copied), LineCount(once));
  const std::u16string twice = CopyPasted(once);
  if (twice != once) {
    const std::u16string& copied = once;
    size_t at = 0;
    while (at < twice.size() && at < copied.size() && twice[at] == copied[at]) ++at;
    const size_t from = at > 40 ? at - 40 : 0;
    fprintf(stderr, "copied: %s\ntwice:  %s\n", std::string(copied.begin() + long(from), copied.begin() + long(std::min(copied.size(), at + 40))).c_str(),
            std::string(twice.begin() + long(from), twice.begin() + long(std::min(twice.size(), at + 40))).c_str());
    Fuzz_Fail("a pasted copy gives the same lines", int(at));
  }
  return 0;
}
