// A deliberately plain inflate: one bit at a time, canonical codes decoded by
// counting, every rule written out once. It follows the player's decoder on
// what is an error, so the fast table-driven decoder can be proved equal to it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/inflate.h"

namespace reference {

struct Huffman {
  int count[16] = {};  // codes of each length
  int symbol[320] = {};  // symbols in canonical order
};

// False for an over-subscribed code set.
inline bool build(Huffman& h, const uint8_t* lengths, int n) {
  for (int& c : h.count) c = 0;
  for (int s = 0; s < n; s++) h.count[lengths[s]]++;
  h.count[0] = 0;
  int left = 1;
  for (int len = 1; len < 16; len++) {
    left = left * 2 - h.count[len];
    if (left < 0) return false;
  }
  int offs[16] = {};
  for (int len = 1; len < 15; len++) offs[len + 1] = offs[len] + h.count[len];
  for (int s = 0; s < n; s++)
    if (lengths[s]) h.symbol[offs[lengths[s]]++] = s;
  return true;
}

struct Inflater {
  const uint8_t* data;
  size_t end;
  size_t pos;
  int bit = 0;
  size_t window;
  std::vector<uint8_t> out;

  struct Stop {
    InflateStatus status;
  };

  int readBit() {
    if (pos >= end) throw Stop{InflateStatus::InputEnded};
    int b = (data[pos] >> bit) & 1;
    if (++bit == 8) bit = 0, pos++;
    return b;
  }
  int bits(int n) {
    int v = 0;
    for (int i = 0; i < n; i++) v |= readBit() << i;
    return v;
  }
  int decode(const Huffman& h) {
    int code = 0, first = 0, index = 0;
    for (int len = 1; len < 16; len++) {
      code |= readBit();
      int count = h.count[len];
      if (code - count < first) return h.symbol[index + (code - first)];
      index += count;
      first = (first + count) << 1;
      code <<= 1;
    }
    throw Stop{InflateStatus::BadCode};
  }

  void stored() {
    if (bit) bit = 0, pos++;
    if (end - pos < 4) throw Stop{InflateStatus::InputEnded};
    size_t len = data[pos] | data[pos + 1] << 8;
    pos += 4;
    for (size_t i = 0; i < len; i++) {
      if (pos >= end) throw Stop{InflateStatus::InputEnded};
      out.push_back(data[pos++]);
    }
  }

  void codes(const Huffman& lit, const Huffman& dist) {
    for (;;) {
      int s = decode(lit);
      if (s < 256) {
        out.push_back(uint8_t(s));
        continue;
      }
      if (s == 256) return;
      if (s > 285) throw Stop{InflateStatus::BadLengthSymbol};
      size_t len;
      if (s <= 264) {
        len = size_t(s - 254);
      } else if (s == 285) {
        len = 258;
      } else {
        int e = (s - 265) >> 2;
        len = size_t(bits(e + 1) + (8 << e) + 3 + ((s - 265) & 3) * (2 << e));
      }
      int d = decode(dist);
      size_t distance;
      if (d < 4) {
        distance = size_t(d + 1);
      } else {
        int e = (d - 4) >> 1;
        distance = size_t(bits(e + 1) + (4 << e) + 1 + (d & 1) * (2 << e));
      }
      if (distance > out.size() || distance > window) throw Stop{InflateStatus::DistanceTooFar};
      for (size_t i = 0; i < len; i++) out.push_back(out[out.size() - distance]);
    }
  }

  void fixed() {
    uint8_t lengths[288];
    for (int s = 0; s < 288; s++) lengths[s] = s < 144 ? 8 : s < 256 ? 9 : s < 280 ? 7 : 8;
    Huffman lit, dist;
    build(lit, lengths, 288);
    for (int s = 0; s < 32; s++) lengths[s] = 5;
    build(dist, lengths, 32);
    codes(lit, dist);
  }

  void dynamic() {
    int nlen = bits(5) + 257, ndist = bits(5) + 1, ncode = bits(4) + 4;
    static const int order[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
    uint8_t lengths[320] = {};
    for (int i = 0; i < ncode; i++) lengths[order[i]] = uint8_t(bits(3));
    Huffman cl;
    if (!build(cl, lengths, 19)) throw Stop{InflateStatus::BadCodeLengths};
    int n = 0;
    while (n < nlen + ndist) {
      int s = decode(cl);
      if (s < 16) {
        lengths[n++] = uint8_t(s);
        continue;
      }
      int rep = s == 16 ? 3 + bits(2) : s == 17 ? 3 + bits(3) : 11 + bits(7);
      uint8_t value = 0;
      if (s == 16) {
        if (n == 0) throw Stop{InflateStatus::BadCodeLengths};
        value = lengths[n - 1];
      }
      if (n + rep > nlen + ndist) throw Stop{InflateStatus::BadCodeLengths};
      while (rep--) lengths[n++] = value;
    }
    Huffman lit, dist;
    if (!build(lit, lengths, nlen) || !build(dist, lengths + nlen, ndist))
      throw Stop{InflateStatus::BadCodeLengths};
    codes(lit, dist);
  }
};

// Same contract as inflateZlibStream; `out` holds every byte produced, also
// those before an error.
inline InflateStatus inflate(const uint8_t* data, size_t length, std::vector<uint8_t>& out) {
  out.clear();
  if (length < 6) return InflateStatus::Ok;
  if ((data[0] >> 4) > 7) return InflateStatus::BadWindow;
  Inflater z{data, length - 4, 2, 0, size_t(1) << ((data[0] >> 4) + 8), {}};
  InflateStatus status = InflateStatus::Ok;
  try {
    for (;;) {
      if (z.pos >= z.end) break;
      int last = z.readBit();
      int type = z.bits(2);
      if (type == 0) {
        z.stored();
      } else if (type == 1) {
        z.fixed();
      } else if (type == 2) {
        z.dynamic();
      } else {
        throw Inflater::Stop{InflateStatus::BadBlockType};
      }
      if (last) break;
    }
  } catch (const Inflater::Stop& stop) {
    status = stop.status;
  }
  out = std::move(z.out);
  return status;
}

}  // namespace reference
