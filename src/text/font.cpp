// fontread: loads the font that MsgFont selects into gfont, raw or range-coded.
#include <cstdio>
#include <cstring>

#include "scenario/engine_state.h"
#include "text/font_layout.h"
#include "text/range_coder.h"
#include "text/text.h"

namespace {

// A compressed font is decoded here first, so that a refused stream leaves
// the font in use untouched.
uint8_t fontStaging[kFontBytes];

struct FontChoice {
  int msgFont;
  const char* font;
  const char* kana;
};

const FontChoice kFonts[] = {
    {2, "pelorune96pb.dat", nullptr},   {3, "pelorune96ps.dat", nullptr},
    {4, "vexa96.dat", nullptr},         {5, "qormen200496.dat", nullptr},
    {10, "fub0496.dat", nullptr},       {11, "fub04b96.dat", nullptr},
    {12, "fub0496.dat", "fuba0496.dat"}, {13, "fub04b96.dat", "fuba04b96.dat"},
    {14, "fub0496.dat", "fube0496.dat"}, {15, "fub04b96.dat", "fube04b96.dat"},
    {16, "fub0496.dat", "fubn0496.dat"}, {17, "fub04b96.dat", "fubn04b96.dat"},
    {18, "fub0496.dat", "fubc0496.dat"}, {19, "fub04b96.dat", "fubc04b96.dat"},
};

const FontChoice* findFont(int msgFont) {
  for (const FontChoice& f : kFonts) {
    if (f.msgFont == msgFont) return &f;
  }
  return nullptr;
}

// Reads the font file into gfont (raw) or through the range decoder; false
// when the file is refused, with gfont unchanged.
bool loadMainFont(FILE* f, const char* path) {
  // One byte more than a compressed file may hold, to see whether it is longer.
  const size_t got = std::fread(gfilework, 1, size_t(kMaxFileRead) + 1, f);
  if (got >= 2 && gfilework[0] == 'B' && gfilework[1] == 'M') {
    std::memcpy(gfont, gfilework, got);
    if (got == size_t(kMaxFileRead) + 1) (void)std::fread(gfont + got, 1, kFontBytes - got, f);
    return true;
  }
  if (got > size_t(kMaxFileRead)) {
    std::printf("font %s refused: compressed file longer than %d bytes\n", path, kMaxFileRead);
    return false;
  }
  const RcDecodeResult r = mem_decode(fontStaging, kFontBytes, gfilework, got);
  if (r.status != RcStatus::ok) {
    std::printf("font %s refused: %s\n", path, rcStatusText(r.status));
    return false;
  }
  // A short image replaces only what it holds, like a short raw file.
  std::memcpy(gfont, fontStaging, r.written);
  return true;
}

}  // namespace

const char* fontFileName(int msgFont) {
  const FontChoice* f = findFont(msgFont);
  return f ? f->font : "pelorune96.dat";
}

const char* kanaFileName(int msgFont) {
  const FontChoice* f = findFont(msgFont);
  return f ? f->kana : nullptr;
}

void fontread() {
  const size_t dirLen = strnlen(pg_workdir, sizeof MyAppDir - 1);
  std::memcpy(MyAppDir, pg_workdir, dirLen);
  MyAppDir[dirLen] = 0;

  char path[sizeof pg_workdir + 32];
  std::snprintf(path, sizeof path, "%s%s", pg_workdir, fontFileName(MsgFont));
  FILE* f = std::fopen(path, "rb");
  if (!f) return;  // a missing font is silent: the previous one stays
  const bool loaded = loadMainFont(f, path);
  std::fclose(f);
  if (!loaded) return;

  const char* kana = kanaFileName(MsgFont);
  if (!kana) return;
  std::snprintf(path, sizeof path, "%s%s", pg_workdir, kana);
  f = std::fopen(path, "rb");
  if (!f) return;
  const size_t got = std::fread(gfilework, 1, kKanaFileBytes, f);
  std::fclose(f);
  // Only the bytes the file holds: a short file must not carry stale
  // work-buffer contents into the kana pages.
  std::memcpy(gfont + kKanaPagesOffset, gfilework, got);
}
