#include "scenario/seen_text.h"


#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "scenario/atomic_file.h"
#include "scenario/engine_state.h"

bool gSeenTextFileUsed = true;

namespace {

constexpr char kHeader[] = "TAVINO SEEN 1\n";
constexpr char kEnd[] = "END\n";
constexpr int kMarksPerWrite = 50;
constexpr long kLargestFile = 64L << 20;  // far beyond any real scenario's marks

SeenMarks gMarks;
bool gLoaded;
int gUnwritten;          // marks made since the file was last written
bool gUnseenShown;

std::string seenPath() { return std::string(MyAppDir) + "tavino.seen"; }

bool parsePlace(const std::string& line, uint32_t& place) {
  if (line.empty() || line.size() > 10) return false;
  uint64_t v = 0;
  for (char c : line) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + uint64_t(c - '0');
  }
  if (v > UINT32_MAX) return false;
  place = uint32_t(v);
  return true;
}

void load() {
  gLoaded = true;
  if (!gSeenTextFileUsed) return;
  const std::string path = seenPath();
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return;  // nothing seen yet
  std::string bytes;
  char chunk[65536];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0 && long(bytes.size()) <= kLargestFile)
    bytes.append(chunk, n);
  std::fclose(f);
  SeenMarks marks;
  if (long(bytes.size()) > kLargestFile || !seenTextParse(bytes, marks)) {
    std::printf("%s: damaged or not a seen-text file; ignored\n", path.c_str());
    return;
  }
  gMarks = std::move(marks);
}

}  // namespace

std::string seenTextCompose(const SeenMarks& marks) {
  std::string out = kHeader;
  for (const auto& [file, places] : marks) {
    out += "F " + file + "\n";
    for (uint32_t place : places) out += std::to_string(place) + "\n";
  }
  return out + kEnd;
}

bool seenTextParse(const std::string& bytes, SeenMarks& marks) {
  marks.clear();
  const size_t headerLen = sizeof kHeader - 1, endLen = sizeof kEnd - 1;
  if (bytes.size() < headerLen + endLen || bytes.compare(0, headerLen, kHeader) != 0 ||
      bytes.compare(bytes.size() - endLen, endLen, kEnd) != 0)
    return false;
  std::set<uint32_t>* current = nullptr;
  const size_t stop = bytes.size() - endLen;
  for (size_t at = headerLen; at < stop;) {
    const size_t eol = bytes.find('\n', at);  // the END line guarantees one
    const std::string line = bytes.substr(at, eol - at);
    at = eol + 1;
    uint32_t place;
    if (line.size() > 2 && line.compare(0, 2, "F ") == 0 && line.find('\0') == std::string::npos) {
      current = &marks[line.substr(2)];
    } else if (current && parsePlace(line, place)) {
      current->insert(place);
    } else {
      marks.clear();
      return false;
    }
  }
  return true;
}

void seenTextNoteShown() {
  if (!pSinaFile) return;
  const long place = std::ftell(pSinaFile);  // just past the statement's line
  if (place < 0 || place > long(UINT32_MAX)) return;
  if (!gLoaded) load();
  const std::string file(SinaFile, strnlen(SinaFile, sizeof SinaFile));
  if (!gMarks[file].insert(uint32_t(place)).second) return;
  gUnseenShown = true;
  if (++gUnwritten >= kMarksPerWrite) seenTextFlush();
}

bool seenTextTakeUnseenShown() {
  const bool shown = gUnseenShown;
  gUnseenShown = false;
  return shown;
}

bool seenTextIsSeen(const char* file, uint32_t place) {
  if (!gLoaded) load();
  const auto it = gMarks.find(file);
  return it != gMarks.end() && it->second.count(place) != 0;
}

void seenTextFlush() {
  if (gUnwritten == 0 || !gSeenTextFileUsed) return;
  const std::string path = seenPath();
  // Like a save that cannot be written, this fails quietly; the marks stay
  // in memory and the next occasion tries again.
  if (writeFileAtomically(path, seenTextCompose(gMarks))) gUnwritten = 0;
}

void seenTextForget() {
  gMarks.clear();
  gLoaded = false;
  gUnwritten = 0;
  gUnseenShown = false;
}
