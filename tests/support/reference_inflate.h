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
  int count[16] = {};    // codes of each length
  int symbol[320] = {};  // symbols in canonical order
};

// False for an over-subscribed code set.
inline bool build(Huffman& h, const uint8_t* lengths, int n) {
  for (int s = 0; s < n; s++) h.count[lengths[s]]++;
  h.count[0] = 0;
  int left = 1, offs[16] = {};
  for (int len = 1; len < 16; len++)
    if ((left = left * 2 - h.count[len]) < 0) return false;
  for (int len = 1; len < 15; len++) offs[len + 1] = offs[len] + h.count[len];
  for (int s = 0; s < n; s++)
    if (lengths[s]) h.symbol[offs[lengths[s]]++] = s;
  return true;
}

struct Stop {
  InflateStatus status;
};

struct Inflater {
  const uint8_t* data;
  size_t end, pos = 2, window;
  int bit = 0;
  std::vector<uint8_t> out;

  int bits(int n) {  // least significant bit first
    int v = 0;
    for (int i = 0; i < n; i++) {
      if (pos >= end) throw Stop{InflateStatus::InputEnded};
      v |= ((data[pos] >> bit) & 1) << i;
      if (++bit == 8) bit = 0, pos++;
    }
    return v;
  }
  int decode(const Huffman& h) {
    for (int len = 1, code = 0, first = 0, index = 0; len < 16; len++) {
      code |= bits(1);
      if (code - h.count[len] < first) return h.symbol[index + (code - first)];
      index += h.count[len];
      first = (first + h.count[len]) << 1;
      code <<= 1;
    }
    throw Stop{InflateStatus::BadCode};
  }

  void stored() {
    if (bit) bit = 0, pos++;
    if (end - pos < 4) throw Stop{InflateStatus::InputEnded};
    const size_t len = data[pos] | data[pos + 1] << 8;  // NLEN is not checked
    pos += 4;
    for (size_t i = 0; i < len; i++) out.push_back(uint8_t(bits(8)));
  }

  // Bases follow from the extra-bit counts: each symbol starts where the one before ends.
  void codes(const Huffman& lit, const Huffman& dist) {
    auto lengthExtra = [](int i) { return i < 8 ? 0 : i / 4 - 1; };
    auto distExtra = [](int d) { return d < 4 ? 0 : d / 2 - 1; };  // symbols 30 and 31 read 14 bits
    for (int s; (s = decode(lit)) != 256;) {
      if (s < 256) {
        out.push_back(uint8_t(s));
        continue;
      }
      if (s > 285) throw Stop{InflateStatus::BadLengthSymbol};
      size_t len = 3, distance = 1;
      for (int i = 0; i < s - 257; i++) len += size_t(1) << lengthExtra(i);
      len = s == 285 ? 258 : len + size_t(bits(lengthExtra(s - 257)));
      const int d = decode(dist);
      for (int i = 0; i < d; i++) distance += size_t(1) << distExtra(i);
      distance += size_t(bits(distExtra(d)));
      if (d >= 30 || distance > out.size() || distance > window) throw Stop{InflateStatus::DistanceTooFar};
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
    const int nlen = bits(5) + 257, ndist = bits(5) + 1, ncode = bits(4) + 4;
    static const int order[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
    uint8_t lengths[320] = {};
    for (int i = 0; i < ncode; i++) lengths[order[i]] = uint8_t(bits(3));
    Huffman cl, lit, dist;
    if (!build(cl, lengths, 19)) throw Stop{InflateStatus::BadCodeLengths};
    for (int n = 0; n < nlen + ndist;) {
      const int s = decode(cl);
      if (s < 16) {
        lengths[n++] = uint8_t(s);
        continue;
      }
      int rep = s == 16 ? 3 + bits(2) : s == 17 ? 3 + bits(3) : 11 + bits(7);
      if ((s == 16 && n == 0) || n + rep > nlen + ndist) throw Stop{InflateStatus::BadCodeLengths};
      const uint8_t value = s == 16 ? lengths[n - 1] : 0;  // a 16 may run on into the distance lengths
      while (rep--) lengths[n++] = value;
    }
    if (!build(lit, lengths, nlen) || !build(dist, lengths + nlen, ndist)) throw Stop{InflateStatus::BadCodeLengths};
    codes(lit, dist);
  }
};

// Same contract as inflateZlibStream; `out` holds every byte produced, also
// those before an error.
inline InflateStatus inflate(const uint8_t* data, size_t length, std::vector<uint8_t>& out) {
  out.clear();
  if (length < 6) return InflateStatus::Ok;
  if ((data[0] >> 4) > 7) return InflateStatus::BadWindow;
  Inflater z{data, length - 4, 2, size_t(1) << ((data[0] >> 4) + 8), 0, {}};
  InflateStatus status = InflateStatus::Ok;
  try {
    for (int last = 0; !last && z.pos < z.end;) {  // a block ending at the checksum ends the stream
      last = z.bits(1);
      const int type = z.bits(2);
      if (type == 3) throw Stop{InflateStatus::BadBlockType};
      type == 0 ? z.stored() : type == 1 ? z.fixed() : z.dynamic();
    }
  } catch (const Stop& stop) {
    status = stop.status;
  }
  out = std::move(z.out);
  return status;
}

}  // namespace reference
