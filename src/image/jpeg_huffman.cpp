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

  for (uint32_t i = 0; i < (1u << kHuffFastBits); i++) {
    table.fastAc[i] = 0;
    const int e = table.fast[i];
    if (e == 0) continue;
    const int length = e >> 8, run = (e >> 4) & 15, size = e & 15;
    if ((e & 0xFF) == 0) {  // end of block: coefficient 64 is where the next would be
      table.fastAc[i] = (64 << 8) | kHuffEndOfBlock | length;
      continue;
    }
    if (size == 0 || length + size > kHuffFastBits) continue;
    const uint32_t bits = (i >> (kHuffFastBits - length - size)) & ((1u << size) - 1);
    const int32_t value = bits < (1u << (size - 1)) ? int32_t(bits) - int32_t((1u << size) - 1)
                                                    : int32_t(bits);
    table.fastAc[i] =
        int32_t(uint32_t(value) << 16 | uint32_t(run + 1) << 8 | uint32_t(length + size));
  }
}
