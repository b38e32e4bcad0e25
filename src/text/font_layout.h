// Layout of the font image: 61 glyph pages, each laid out like a one-bit BMP
// of 96 x 18,144 pixels (a 62-byte header, then 189 cells of 96 x 96 pixels,
// rows bottom-up), and which cell each Shift-JIS character is drawn from.
#pragma once

#include <cstdint>

constexpr int kGlyphSide = 96;          // pixels per cell side
constexpr int kGlyphRowBytes = 12;      // one bit per pixel
constexpr int kGlyphCellBytes = 1152;   // 96 rows of 12 bytes
constexpr int kGlyphCellsPerPage = 189;
constexpr int kGlyphPageHeader = 62;    // BMP file + info header + two palette entries
constexpr int kGlyphPageBytes = 217792;
constexpr int kGlyphPages = 61;         // the last one cut short by the end of gfont
constexpr int kSingleBytePage = 60;     // ASCII and half-width katakana
constexpr int kKanaPagesOffset = kGlyphPageBytes;   // pages 1 and 2
constexpr int kKanaFileBytes = 2 * kGlyphPageBytes;

// Lead bytes as the drawer sees them (the message layout uses a narrower set).
inline bool isFontLeadByte(uint8_t b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
inline bool isSingleByteChar(uint8_t b) { return (b >= 0x20 && b <= 0x7E) || (b >= 0xA1 && b <= 0xDF); }

struct GlyphCell {
  int page;
  int cell;
};

// The cell of the double-byte character (lead, trail); false when the lead
// byte is not one or the trail byte has no cell (outside 0x40 - 0xFC).
inline bool doubleByteCell(uint8_t lead, uint8_t trail, GlyphCell& out) {
  if (!isFontLeadByte(lead) || trail < 0x40 || trail > 0xFC) return false;
  out.page = lead <= 0x9F ? lead - 0x81 : lead - 0xC1;
  out.cell = 0xFC - trail;
  return true;
}

// The cell of a single-byte character; false for bytes that have none.
inline bool singleByteCell(uint8_t b, GlyphCell& out) {
  if (b >= 0x20 && b <= 0x7E) {
    out = {kSingleBytePage, 0xBD - b};
    return true;
  }
  if (b >= 0xA1 && b <= 0xDF) {
    out = {kSingleBytePage, 0xDF - b};
    return true;
  }
  return false;
}

// Byte offset of a cell in the font image.
inline long glyphOffset(const GlyphCell& g) {
  return long(g.page) * kGlyphPageBytes + kGlyphPageHeader + long(g.cell) * kGlyphCellBytes;
}

// File names (without the directory prefix) of the font that a MsgFont value
// selects, and of its kana replacement (nullptr when it has none).
const char* fontFileName(int msgFont);
const char* kanaFileName(int msgFont);
