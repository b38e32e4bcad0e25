#include "image/jpeg_huffman.h"

#include <cstring>

void jpegBuildHuffman(JpegHuffTable& table, const uint8_t counts[16], const uint8_t* symbols) {
  std::memset(table.fast, 0, sizeof table.fast);
  table.count = 0;
  uint32_t code = 0;
  for (int len = 1; len <= 16; len++) {
    table.firstCode[len] = code;
    table.lengthCount[len] = counts[len - 1];
    table.firstIndex[len] = table.count;
    for (int i = 0; i < counts[len - 1]; i++) {
      const int n = table.count++;
      table.lengths[n] = static_cast<uint8_t>(len);
      table.codes[n] = code;
      table.values[n] = symbols[n];
      // Shorter codes were entered first and keep their entries: the first match wins.
      // A code too big for its length (over-full table) can never match.
      if (len <= kHuffFastBits && code < (1u << len)) {
        const int shift = kHuffFastBits - len;
        for (uint32_t e = code << shift; e < ((code + 1) << shift); e++)
          if (table.fast[e] == 0) table.fast[e] = static_cast<uint16_t>((len << 8) | symbols[n]);
      }
      code++;
    }
    code <<= 1;
  }
}
