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

// The copy with the element names and ids a paste makes anew numbered in
// the order they first stand: "#1", "#2", ... for names, "@1", ... for ids.
std::u16string Settled(const std::u16string& text) {
  std::vector<std::u16string> names, ids;
  auto number = [](std::vector<std::u16string>& seen, const std::u16string& v, char16_t mark) {
    if (v.empty() || v == u"0") return v;
    size_t i = 0;
    while (i < seen.size() && seen[i] != v) ++i;
    if (i == seen.size()) seen.push_back(v);
    std::u16string out(1, mark);
    for (char c : std::to_string(i + 1)) out += char16_t(c);
    return out;
  };
  std::u16string out;
  bool inElements = false;
  size_t at = 0;
  while (at <= text.size()) {
    size_t end = text.find(u"\r\n", at);
    if (end == std::u16string::npos) end = text.size();
    std::u16string line = text.substr(at, end - at);
    if (line == u"SIGELEM_A") inElements = true;
    if (line == u"SIGELEM_E") inElements = false;
    if (inElements && !line.empty() && line[0] == u'"') {
      // "name","linked name",fields...,own id,linked id
      std::vector<std::u16string> fields;
      size_t from = 0;
      for (size_t i = 0; i <= line.size(); ++i) {
        if (i < line.size() && line[i] == u'"') {
          const size_t close = line.find(u'"', i + 1);
          if (close == std::u16string::npos) break;
          i = close;
          continue;
        }
        if (i == line.size() || line[i] == u',') {
          fields.push_back(line.substr(from, i - from));
          from = i + 1;
        }
      }
      if (fields.size() >= 4) {
        fields[0] = number(names, fields[0], u'#');
        fields[1] = number(names, fields[1], u'#');
        fields[fields.size() - 2] = number(ids, fields[fields.size() - 2], u'@');
        fields[fields.size() - 1] = number(ids, fields[fields.size() - 1], u'@');
        line.clear();
        for (size_t i = 0; i < fields.size(); ++i) line += (i ? u"," : u"") + fields[i];
      }
    }
    out += line + u"\r\n";
    at = end + 2;
  }
  return out;
}

// A region copy pasted into emptied stores, copied again.
std::u16string CopyPasted(const std::u16string& copied) {
  Sig_Clear();
  Pts_FreeAll();
  SetText(copied);
  const Pasted again = Paste(LineCount(copied));
  if (again.installations != 0 || again.elements != 0 || again.turnouts != 0)
    fprintf(stderr, "pasted back:\n%s\n", std::string(copied.begin(), copied.end()).c_str());
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

  // What was pasted goes the same way again, but for the names and ids of
  // the elements, which a paste makes anew.
  const std::u16string copied = Settled(Copy());
  const std::u16string again = Settled(CopyPasted(Text()));
  if (again != copied) {
    size_t at = 0;
    while (at < again.size() && at < copied.size() && again[at] == copied[at]) ++at;
    const size_t from = at > 40 ? at - 40 : 0;
    const std::string a(copied.begin() + long(from), copied.begin() + long(std::min(copied.size(), at + 40)));
    const std::string b(again.begin() + long(from), again.begin() + long(std::min(again.size(), at + 40)));
    fprintf(stderr, "copied: %s\nagain:  %s\n", a.c_str(), b.c_str());
    Fuzz_Fail("a pasted copy gives the same lines", int(at));
  }
  return 0;
}
