// The font loader with a kana file beside the main font: the first byte picks
// the font setting (those with and without kana pages), the next two where
// the rest splits into the main font file and the kana file. The main file is
// raw when it starts with "BM" and range-coded otherwise; an empty part is a
// missing file. A few characters from the kana and other pages are then
// drawn at a small size from whatever was loaded.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "scenario/engine_state.h"
#include "text/font_layout.h"
#include "text/text.h"
#include "scenario_reset.h"

namespace {

void writeOrRemove(const std::string& path, const uint8_t* data, size_t size) {
  if (size == 0) {
    std::remove(path.c_str());
    return;
  }
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) std::abort();
  std::fwrite(data, 1, size, f);
  std::fclose(f);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::fclose(stdout);  // refusals are reported there; they are not findings
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  static const int kSettings[] = {12, 13, 14, 15, 16, 17, 18, 19, 0, 2};
  MsgFont = kSettings[data[0] % 10];
  const size_t split = std::min<size_t>(size - 3, size_t(data[1]) << 8 | data[2]);
  const uint8_t* main = data + 3;
  const std::string& folder = scratchFolder("/dev/shm/fuzz-font-XXXXXX");
  writeOrRemove(folder + fontFileName(MsgFont), main, split);
  if (const char* kana = kanaFileName(MsgFont)) {
    writeOrRemove(folder + kana, main + split, size - 3 - split);
  }

  std::snprintf(pg_workdir, sizeof pg_workdir, "%s", folder.c_str());
  fontread();
  pg_workdir[0] = 0;

  // Hiragana and katakana (the kana pages), a kanji and half-width text.
  static const char kText[] = "\x82\xA0\x83\x41\x88\x9F" "A\xB1";
  w = 64, h = 36, SystemFontSize = 8;
  TextOut2(0, 0, kText, int(sizeof kText - 1), 0xFFFFFF, 0);
  return 0;
}
