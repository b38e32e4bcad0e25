// Huffman tables of the JPEG decoder: codes generated from the length
// counts in definition order, decoded through an 11-bit lookup table with a
// per-length range check for longer codes. A bit string decodes to the first
// code, by increasing length, that it starts with, which is what a bit-serial
// search finds even for incomplete or over-full tables.
#pragma once

#include <cstdint>

constexpr int kHuffFastBits = 11;
constexpr int32_t kHuffEndOfBlock = 0x80;

struct JpegHuffTable {
  int32_t count = 0;        // symbols defined, at most 256
  uint8_t lengths[256] = {};     // per symbol, in definition order
  uint32_t codes[256] = {};
  uint8_t values[256] = {};
  // Lookup by the next kHuffFastBits bits: (length << 8) | value, 0 = no code that short.
  uint16_t fast[1 << kHuffFastBits] = {};
  // For AC decoding, the same bits when they hold a code with size S > 0 and
  // all its S magnitude bits: (extended value << 16) | ((run + 1) << 8) | bits
  // used; for the end-of-block code: (64 << 8) | kHuffEndOfBlock | bits used;
  // else 0.
  int32_t fastAc[1 << kHuffFastBits] = {};
  // Codes of length L are firstCode[L] .. firstCode[L] + lengthCount[L] - 1,
  // symbols firstIndex[L] onwards.
  uint32_t firstCode[17] = {};
  int32_t lengthCount[17] = {};
  int32_t firstIndex[17] = {};
};

// Defines `table` from 16 code-length counts and their symbols
// (sum of counts symbols, at most 256).
void jpegBuildHuffman(JpegHuffTable& table, const uint8_t counts[16], const uint8_t* symbols);

// The symbol whose code starts `bits` (the next 16 bits, most significant
// first), with its length stored in *length; -1 when no code matches.
inline int jpegHuffLookup(const JpegHuffTable& table, uint32_t bits16, int* length) {
  uint16_t e = table.fast[bits16 >> (16 - kHuffFastBits)];
  if (e != 0) {
    *length = e >> 8;
    return e & 0xFF;
  }
  for (int len = kHuffFastBits + 1; len <= 16; len++) {
    uint32_t code = bits16 >> (16 - len);
    uint32_t offset = code - table.firstCode[len];  // wraps high when code is below
    if (offset < static_cast<uint32_t>(table.lengthCount[len])) {
      *length = len;
      return table.values[table.firstIndex[len] + offset];
    }
  }
  return -1;
}
