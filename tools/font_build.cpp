// tavino-tool font build: renders a TrueType/OpenType font into the player's
// font image (every double-byte character of code page 932, ASCII and
// half-width katakana, one bit per pixel in 96 x 96 cells) and writes it
// range-coded, or raw when that would not load.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <iconv.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "scenario/engine_state.h"
#include "text/font_layout.h"
#include "text/range_coder.h"
#include "tool.h"

namespace {

constexpr int kPageBitmapHeight = kGlyphSide * kGlyphCellsPerPage;  // 18,144
constexpr int kPageBitmapBytes = kGlyphRowBytes * kPageBitmapHeight;

void put16(uint8_t* p, uint32_t v) { p[0] = uint8_t(v), p[1] = uint8_t(v >> 8); }
void put32(uint8_t* p, uint32_t v) { put16(p, v), put16(p + 2, v >> 16); }

// A one-bit BMP header for one page, with a white background (0) and black ink (1).
void writePageHeader(uint8_t* page) {
  uint8_t h[kGlyphPageHeader] = {'B', 'M'};
  put32(h + 2, kGlyphPageHeader + kPageBitmapBytes);  // file size
  put32(h + 10, kGlyphPageHeader);                    // offset of the bits
  put32(h + 14, 40);                                  // info header size
  put32(h + 18, kGlyphSide);
  put32(h + 22, kPageBitmapHeight);                   // positive: bottom-up
  put16(h + 26, 1);                                   // planes
  put16(h + 28, 1);                                   // bits per pixel
  put32(h + 34, kPageBitmapBytes);
  put32(h + 38, 2835), put32(h + 42, 2835);           // 72 dpi
  put32(h + 46, 2), put32(h + 50, 2);                 // palette entries
  std::memset(h + 54, 0xFF, 3);                       // entry 0 white, entry 1 black
  std::memcpy(page, h, sizeof h);
}

// Code page 932 bytes to one Unicode code point; 0 when unassigned.
class Cp932 {
 public:
  Cp932() : cd_(iconv_open("UTF-32LE", "CP932")) {}
  ~Cp932() {
    if (ok()) iconv_close(cd_);
  }
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  uint32_t toUnicode(const uint8_t* bytes, size_t n) {
    char in[2];
    std::memcpy(in, bytes, n);
    unsigned char out[8];
    char* ip = in;
    char* op = reinterpret_cast<char*>(out);
    size_t il = n, ol = sizeof out;
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd_, &ip, &il, &op, &ol) == size_t(-1) || il != 0 || ol != 4) return 0;
    return uint32_t(out[0]) | uint32_t(out[1]) << 8 | uint32_t(out[2]) << 16 | uint32_t(out[3]) << 24;
  }

 private:
  iconv_t cd_;
};

struct Renderer {
  FT_Library lib = nullptr;
  FT_Face face = nullptr;
  int baseline = 0;  // cell row of the baseline
  int drawn = 0;

  // Renders code point cp into the cell; `width` is 96 for full-width
  // characters and 48 for single-byte ones, which take half the advance.
  void render(uint32_t cp, uint8_t* cell, int width) {
    const FT_UInt index = FT_Get_Char_Index(face, cp);
    if (index == 0) return;  // not in this font: leave the cell blank
    if (FT_Load_Glyph(face, index, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) != 0) return;
    const FT_GlyphSlot slot = face->glyph;
    const FT_Bitmap& bm = slot->bitmap;
    if (bm.pixel_mode != FT_PIXEL_MODE_MONO) return;
    // Centre the advance in the cell's width.
    const int advance = int(slot->advance.x >> 6);
    const int x0 = (width - advance) / 2 + slot->bitmap_left;
    const int y0 = baseline - slot->bitmap_top;
    for (unsigned r = 0; r < bm.rows; r++) {
      const int y = y0 + int(r);
      if (y < 0 || y >= kGlyphSide) continue;
      const uint8_t* src = bm.buffer + long(r) * bm.pitch;
      uint8_t* row = cell + (kGlyphSide - 1 - y) * kGlyphRowBytes;  // bottom-up
      for (unsigned c = 0; c < bm.width; c++) {
        if (!(src[c >> 3] & (0x80 >> (c & 7)))) continue;
        const int x = x0 + int(c);
        if (x >= 0 && x < kGlyphSide) row[x >> 3] |= uint8_t(0x80 >> (x & 7));
      }
    }
    drawn++;
  }
};

uint8_t* cellAt(std::vector<uint8_t>& image, const GlyphCell& g) {
  const long off = glyphOffset(g);
  if (off + kGlyphCellBytes > long(image.size())) return nullptr;
  return image.data() + off;
}

bool writeFile(const char* path, const uint8_t* data, size_t n) {
  FILE* f = std::fopen(path, "wb");
  if (!f) return false;
  const bool ok = std::fwrite(data, 1, n, f) == n;
  return std::fclose(f) == 0 && ok;
}

int usage() {
  std::fprintf(stderr, "usage: tavino-tool font build --ttf FILE OUT [--raw] [--size PX]  (PX: em size, default 88)\n");
  return 2;
}

}  // namespace

int toolFont(int argc, char** argv) {
  if (argc < 1 || std::strcmp(argv[0], "build") != 0) return usage();
  const char* ttf = nullptr;
  const char* out = nullptr;
  bool raw = false;
  int size = 88;  // leaves Latin descenders room below the em box
  for (int i = 1; i < argc; i++) {
    if (std::strcmp(argv[i], "--ttf") == 0 && i + 1 < argc) {
      ttf = argv[++i];
    } else if (std::strcmp(argv[i], "--raw") == 0) {
      raw = true;
    } else if (std::strcmp(argv[i], "--size") == 0 && i + 1 < argc) {
      size = std::atoi(argv[++i]);
      if (size < 8 || size > kGlyphSide) {
        std::fprintf(stderr, "tavino-tool: --size must be 8 to %d pixels\n", kGlyphSide);
        return 2;
      }
    } else if (argv[i][0] != '-' && !out) {
      out = argv[i];
    } else {
      return usage();
    }
  }
  if (!ttf || !out) return usage();

  Cp932 cp932;
  if (!cp932.ok()) {
    std::fprintf(stderr, "tavino-tool: this system's iconv has no CP932 table\n");
    return 1;
  }
  Renderer r;
  if (FT_Init_FreeType(&r.lib) != 0 || FT_New_Face(r.lib, ttf, 0, &r.face) != 0) {
    std::fprintf(stderr, "tavino-tool: cannot open font %s\n", ttf);
    if (r.lib) FT_Done_FreeType(r.lib);
    return 1;
  }
  FT_Set_Pixel_Sizes(r.face, 0, FT_UInt(size));
  // Put the font's ascent-to-descent span in the middle of the cell; the
  // typographic metrics, where present, describe the em box of CJK fonts.
  double asc = double(r.face->ascender), desc = double(-r.face->descender);
  if (const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(r.face, FT_SFNT_OS2))) {
    if (os2->sTypoAscender > 0 && os2->sTypoAscender - os2->sTypoDescender > 0)
      asc = os2->sTypoAscender, desc = -os2->sTypoDescender;
  }
  const double span = asc + desc > 0 ? asc + desc : r.face->units_per_EM;
  r.baseline = (kGlyphSide - size) / 2 + int(size * asc / span + 0.5);

  std::vector<uint8_t> image(kFontBytes, 0);
  for (int p = 0; p < kGlyphPages; p++) writePageHeader(image.data() + long(p) * kGlyphPageBytes);

  for (int lead = 0x81; lead <= 0xFC; lead++) {
    if (!isFontLeadByte(uint8_t(lead))) continue;
    for (int trail = 0x40; trail <= 0xFC; trail++) {
      const uint8_t bytes[2] = {uint8_t(lead), uint8_t(trail)};
      GlyphCell g;
      if (!doubleByteCell(bytes[0], bytes[1], g)) continue;
      const uint32_t cp = cp932.toUnicode(bytes, 2);
      uint8_t* cell = cellAt(image, g);
      if (cp && cell) r.render(cp, cell, kGlyphSide);
    }
  }
  for (int b = 0x20; b <= 0xDF; b++) {
    GlyphCell g;
    if (!singleByteCell(uint8_t(b), g)) continue;
    const uint8_t byte = uint8_t(b);
    const uint32_t cp = cp932.toUnicode(&byte, 1);
    uint8_t* cell = cellAt(image, g);
    if (cp && cell) r.render(cp, cell, kGlyphSide / 2);
  }
  FT_Done_Face(r.face);
  FT_Done_FreeType(r.lib);

  const char* form = "raw";
  std::vector<uint8_t> stream;
  if (!raw) {
    stream.resize(mem_encode_bound(image.size()));
    stream.resize(size_t(mem_encode(stream.data(), image.data(), int(image.size()))));
    uint32_t total = 1;
    for (size_t s = 0; s < kRcTableBytes; s++) total += stream[s];
    // The player reads a file starting "BM" as raw, so such a stream could not load.
    const bool loadable = total <= kRcMaxTotal && stream.size() <= size_t(kMaxFileRead) &&
                          !(stream[0] == 'B' && stream[1] == 'M');
    if (loadable) {
      std::vector<uint8_t> check(image.size());
      const RcDecodeResult d = mem_decode(check.data(), check.size(), stream.data(), stream.size());
      if (d.status != RcStatus::ok || d.written != image.size() || check != image) {
        std::fprintf(stderr, "tavino-tool: the range-coded font does not decode back\n");
        return 1;
      }
      form = "range-coded";
    } else {
      stream.clear();
    }
  }
  const std::vector<uint8_t>& data = stream.empty() ? image : stream;
  if (!writeFile(out, data.data(), data.size())) {
    std::fprintf(stderr, "tavino-tool: cannot write %s\n", out);
    return 1;
  }
  std::printf("%s: %d glyphs, %s, %zu bytes\n", out, r.drawn, form, data.size());
  return 0;
}
