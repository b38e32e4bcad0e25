// Bit reader of the JPEG entropy-coded data. Bits are taken most significant
// first; after every 0xFF byte the byte that follows is skipped whatever it
// is, so markers inside the data are not recognised. The reader looks ahead
// up to 64 bits, padding with zeros past the end of the file. Once a bit
// beyond the file is consumed, fewer bits remain than were padded, and every
// later fill adds as much padding as bits, so `overrun` can be asked rarely
// (once per block) instead of on every skip.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

struct JpegBitReader {
  const uint8_t* data;
  size_t size;
  size_t pos;         // next byte to fetch
  uint64_t bits = 0;  // unconsumed bits, next bit in the top position
  int count = 0;      // unconsumed bits held, padding included
  int padding = 0;    // of those, zero bits invented past the end of the file

  JpegBitReader(const uint8_t* d, size_t n, size_t start) : data(d), size(n), pos(start) {}

  void fill() {
    // Eight bytes at once when none of them is 0xFF. The bytes beyond the
    // whole ones counted are ORed in again by the next fill, unchanged.
    if (size - pos >= 8 && pos <= size) {
      uint64_t word;
      std::memcpy(&word, data + pos, 8);
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
      word = __builtin_bswap64(word);
#endif
      const uint64_t ones = 0x0101010101010101u;
      if ((((~word) - ones) & word & (ones << 7)) == 0) {
        bits |= word >> count;
        const int bytes = (63 - count) >> 3;
        pos += size_t(bytes);
        count += 8 * bytes;
        return;
      }
    }
    while (count <= 56) {
      uint64_t b = 0;
      if (pos < size) {
        b = data[pos++];
        if (b == 0xFF) pos++;  // the stuffing byte
      } else {
        padding += 8;
      }
      bits |= b << (56 - count);
      count += 8;
    }
  }

  // The next 16 bits without consuming them; needs count >= 16.
  uint32_t peek16() const { return static_cast<uint32_t>(bits >> 48); }

  // True once a consumed bit lay beyond the end of the file.
  bool overrun() const { return count < padding; }

  void skip(int n) {
    bits <<= n;
    count -= n;
  }

  // n bits (0..16) as an unsigned value.
  uint32_t take(int n) {
    if (n == 0) return 0;
    if (count < 16) fill();
    uint32_t v = static_cast<uint32_t>(bits >> (64 - n));
    skip(n);
    return v;
  }

  // Drops the rest of the byte in use and returns the position of the byte
  // after it (past its stuffing byte), undoing the look-ahead. The reader is
  // empty afterwards.
  size_t alignedPosition() {
    int real = count - padding;
    int ahead = real / 8;  // whole bytes fetched but not started
    uint64_t rest = bits << (real % 8);
    size_t p = pos;
    for (int i = 0; i < ahead; i++) {
      uint8_t b = static_cast<uint8_t>(rest >> (56 - 8 * i));
      p -= (b == 0xFF) ? 2 : 1;
    }
    bits = 0;
    count = padding = 0;
    return p;
  }

  void restartAt(size_t p) {
    pos = p;
    bits = 0;
    count = padding = 0;
  }
};
