// Lays arbitrary text out into the message lines and draws them: the lines
// stay terminated, double-byte characters start on even offsets, and the
// drawer stays inside the frame wherever the text is placed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "scenario/engine_state.h"
#include "scenario/message_layout.h"
#include "text/font_layout.h"
#include "text/text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 5) return 0;
  // Every glyph fully inked, so that the drawer writes wherever the text lands.
  [[maybe_unused]] static const bool inked = (std::memset(gfont, 0xFF, kFontBytes), true);
  // Three bytes place the text and size the glyphs; the rest is the text.
  const int x = (int(data[0]) - 64) * 16;
  const int y = (int(data[1]) - 64) * 8;
  SystemFontSize = 1 + data[2] % 96;
  const bool draw = data[2] < 64;  // drawing is slow; a quarter of the inputs suffice
  data += 3, size -= 3;

  char text[kMessageTextMax * 2];
  const size_t n = size < sizeof text - 1 ? size : sizeof text - 1;
  std::memcpy(text, data, n);
  text[n] = 0;

  char lines[kMessageLines][kLineBytes];
  layoutMessage(text, lines);
  for (int k = 0; k < kMessageLines; k++) {
    const char* line = lines[k];
    if (line[kLineBytes - 1] != 0) std::abort();
    const size_t len = std::strlen(line);
    // Only a hung closing mark makes a line longer than 24 bytes, and it
    // empties the line below.
    if (len > 26 || (len > 24 && (k == kMessageLines - 1 || lines[k + 1][0] != 0))) std::abort();
    for (size_t i = 0; i + 1 < 24 && i < len; i += 2) {
      const auto b0 = static_cast<unsigned char>(line[i]), b1 = static_cast<unsigned char>(line[i + 1]);
      if (!isMessageLeadByte(b0) && isMessageLeadByte(b1)) std::abort();
    }
    // Each glyph is scaled from its 96-pixel cell, so only the first two and
    // the last character of a line are drawn: they reach both ends.
    for (int i = 0; draw && i < 26; i += 2) {
      if (i >= 4 && (i + 2 < 26 && line[i + 2])) continue;
      if (line[i]) TextOut2(x + (SystemFontSize / 2 + 2) * i, y + k * (SystemFontSize + 4), line + i, 2, 0xFFFFFF, 0);
    }
  }
  return 0;
}
