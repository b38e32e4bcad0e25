#include "image/inflate.h"

#include <algorithm>
#include <cstring>

namespace {

// ---- Decoding tables ------------------------------------------------------
//
// A table is indexed by the next `root` bits of input (least significant bit
// first, as DEFLATE packs them). Codes longer than root bits go through a
// subtable hung off the root entry. Every entry keeps in bits 0-4 the code
// bits to drop (for a subtable link: root). Then either
//   bit 7 set: a run of literals: bits 5-6 their count (1 to 3), bits 8-31
//              the bytes, first one lowest, so that one 4-byte store writes
//              them all;
//   bit 7 clear: bits 8-10 kind, bits 11-15 extra bits that follow the code
//              (for a link: subtable index bits), bits 16-31 base value,
//              code-length symbol or subtable offset.
enum Kind : uint32_t { kSymbol, kBase, kEnd, kSubtable, kNoCode, kBadSymbol };
constexpr uint32_t kRunFlag = 0x80;

constexpr uint32_t entry(Kind kind, uint32_t bits, uint32_t extra, uint32_t value) {
  return value << 16 | extra << 11 | uint32_t(kind) << 8 | bits;
}
constexpr uint32_t literalEntry(uint32_t literal) { return literal << 8 | kRunFlag | 1u << 5; }
inline bool isLiteralRun(uint32_t e) { return e & kRunFlag; }
inline uint32_t runLength(uint32_t e) { return (e >> 5) & 3; }
inline uint32_t entryBits(uint32_t e) { return e & 31; }
inline Kind entryKind(uint32_t e) { return Kind((e >> 8) & 7); }
inline uint32_t entryExtra(uint32_t e) { return (e >> 11) & 31; }
inline uint32_t entryValue(uint32_t e) { return e >> 16; }

constexpr int kMaxCodeBits = 15;
constexpr int kLitRootBits = 11;
constexpr int kDistRootBits = 8;
constexpr int kCodeLenRootBits = 7;  // code-length codes are at most 7 bits
// Root plus every subtable an incomplete or complete code set can need stays
// well inside these; the builder checks anyway.
constexpr int kLitTableSize = (1 << kLitRootBits) + 288 * (1 << (kMaxCodeBits - kLitRootBits));
constexpr int kDistTableSize = 1024;
constexpr int kCodeLenTableSize = 1 << kCodeLenRootBits;

// What a decoded symbol means, without its code bits.
uint32_t literalLengthMeaning(int symbol) {
  if (symbol < 256) return literalEntry(uint32_t(symbol));
  if (symbol == 256) return entry(kEnd, 0, 0, 0);
  if (symbol <= 264) return entry(kBase, 0, 0, uint32_t(symbol - 254));
  if (symbol <= 284) {
    const uint32_t e = uint32_t(symbol - 265) >> 2;
    const uint32_t base = (8u << e) + 3 + (uint32_t(symbol - 265) & 3) * (2u << e);
    return entry(kBase, 0, e + 1, base);
  }
  if (symbol == 285) return entry(kBase, 0, 0, 258);
  return entry(kBadSymbol, 0, 0, 0);
}

uint32_t distanceMeaning(int symbol) {
  if (symbol < 4) return entry(kBase, 0, 0, uint32_t(symbol + 1));
  const uint32_t e = uint32_t(symbol - 4) >> 1;
  // Symbols 30 and 31 give bases past 32 KiB: every use is too far back.
  return entry(kBase, 0, e + 1, (4u << e) + 1 + (uint32_t(symbol) & 1) * (2u << e));
}

uint32_t codeLengthMeaning(int symbol) { return entry(kSymbol, 0, 0, uint32_t(symbol)); }

inline uint32_t reverseBits(uint32_t code, int length) {
  uint32_t r = 0;
  for (int i = 0; i < length; i++, code >>= 1) r = (r << 1) | (code & 1);
  return r;
}

// Builds the canonical code for lengths[0 .. count) into table. False for an
// over-subscribed set. Incomplete sets are kept: their unused bit patterns
// decode as kNoCode.
bool buildTable(const uint8_t* lengths, int count, int root, uint32_t (*meaning)(int),
                uint32_t* table, int capacity) {
  int lengthCount[kMaxCodeBits + 1] = {};
  for (int s = 0; s < count; s++) lengthCount[lengths[s]]++;
  lengthCount[0] = 0;

  int left = 1;
  for (int len = 1; len <= kMaxCodeBits; len++) {
    left = left * 2 - lengthCount[len];
    if (left < 0) return false;
  }

  // Symbols sorted by code length, then by value: canonical code order.
  int offset[kMaxCodeBits + 2] = {};
  for (int len = 1; len <= kMaxCodeBits; len++) offset[len + 1] = offset[len] + lengthCount[len];
  int sorted[288];
  for (int s = 0; s < count; s++) {
    if (lengths[s]) sorted[offset[lengths[s]]++] = s;
  }
  const int coded = offset[kMaxCodeBits + 1];
  int maxLength = 0;
  for (int len = 1; len <= kMaxCodeBits; len++)
    if (lengthCount[len]) maxLength = len;

  const uint32_t noCode = entry(kNoCode, 0, 0, 0);
  std::fill(table, table + (1 << root), noCode);

  int remaining[kMaxCodeBits + 1];
  std::copy(lengthCount, lengthCount + kMaxCodeBits + 1, remaining);
  uint32_t code = 0;  // most significant bit first
  int codeLength = 0;
  int used = 1 << root;
  uint32_t subPrefix = ~0u;
  int subStart = 0, subBits = 0;
  for (int i = 0; i < coded; i++) {
    const int symbol = sorted[i];
    const int len = lengths[symbol];
    if (i > 0) code++;
    code <<= (len - codeLength);
    codeLength = len;
    const uint32_t rev = reverseBits(code, len);
    const uint32_t value = meaning(symbol);

    if (len <= root) {
      for (uint32_t k = rev; k < (1u << root); k += 1u << len) table[k] = value | uint32_t(len);
    } else {
      const uint32_t prefix = rev & ((1u << root) - 1);
      if (prefix != subPrefix) {
        // The codes sharing this prefix come next in canonical order; the
        // subtable is as deep as it takes for them to fill it.
        int depth = len - root;
        int room = 1 << depth;
        while (depth + root < maxLength) {
          room -= remaining[depth + root];
          if (room <= 0) break;
          depth++;
          room <<= 1;
        }
        subBits = depth;
        subStart = used;
        used += 1 << subBits;
        if (used > capacity) return false;
        std::fill(table + subStart, table + used, noCode);
        table[prefix] = entry(kSubtable, uint32_t(root), uint32_t(subBits), uint32_t(subStart));
        subPrefix = prefix;
      }
      const int step = len - root;
      for (uint32_t k = rev >> root; k < (1u << subBits); k += 1u << step)
        table[subStart + k] = value | uint32_t(step);
    }
    remaining[len]--;
  }
  return true;
}

// The root of a literal/length table with up to three literals whose codes
// fit its bits together merged into one entry, so that runs of literals take
// one lookup for up to three bytes. Other entries (subtable links included)
// are copied, so the run table stands in for the root. Built per block, so it
// walks the literal codes (each index is written once per run length)
// rather than decoding every index again. `lengths` is the complete code
// set that `table` was built from.
void buildRunTable(const uint32_t* table, const uint8_t* lengths, int count, uint32_t* runs) {
  constexpr int kRoot = kLitRootBits;
  std::copy(table, table + (1 << kRoot), runs);

  // Canonical codes, bit-reversed, of the literals short enough to have a
  // successor within the root bits, grouped by length (ascending).
  int lengthCount[kMaxCodeBits + 1] = {};
  for (int s = 0; s < count; s++) lengthCount[lengths[s]]++;
  lengthCount[0] = 0;
  uint32_t nextCode[kMaxCodeBits + 1] = {};
  int slot[kMaxCodeBits + 2] = {};
  for (int len = 1, code = 0; len <= kMaxCodeBits; len++) {
    code = (code + lengthCount[len - 1]) << 1;
    nextCode[len] = uint32_t(code);
  }
  const int literalCount = std::min(count, 256);
  int literalLengthCount[kMaxCodeBits + 1] = {};
  for (int s = 0; s < literalCount; s++) literalLengthCount[lengths[s]]++;
  for (int len = 1; len < kRoot; len++) slot[len + 1] = slot[len] + literalLengthCount[len];
  struct Literal {
    uint16_t reversed;
    uint8_t length;
    uint8_t value;
  } literals[256];
  int shortCount = 0;
  for (int s = 0; s < count; s++) {
    const int len = lengths[s];
    if (len == 0) continue;
    const uint32_t code = nextCode[len]++;
    if (s < literalCount && len < kRoot) {
      literals[slot[len]++] = {uint16_t(reverseBits(code, len)), uint8_t(len), uint8_t(s)};
      shortCount++;
    }
  }

  for (int a = 0; a < shortCount; a++) {
    const Literal first = literals[a];
    for (int b = 0; b < shortCount; b++) {
      const Literal second = literals[b];
      const int pairBits = first.length + second.length;
      if (pairBits > kRoot) break;
      const uint32_t pairCode = first.reversed | uint32_t(second.reversed) << first.length;
      const uint32_t pairBytes = first.value | uint32_t(second.value) << 8;
      const uint32_t pair = pairBytes << 8 | kRunFlag | 2u << 5 | uint32_t(pairBits);
      for (uint32_t i = pairCode; i < (1u << kRoot); i += 1u << pairBits) runs[i] = pair;
      for (int c = 0; c < shortCount; c++) {
        const Literal third = literals[c];
        const int tripleBits = pairBits + third.length;
        if (tripleBits > kRoot) break;
        const uint32_t tripleCode = pairCode | uint32_t(third.reversed) << pairBits;
        const uint32_t triple = (pairBytes | uint32_t(third.value) << 16) << 8 | kRunFlag |
                                3u << 5 | uint32_t(tripleBits);
        for (uint32_t i = tripleCode; i < (1u << kRoot); i += 1u << tripleBits) runs[i] = triple;
      }
    }
  }
}

struct LiteralTable {
  uint32_t codes[kLitTableSize];
  uint32_t runs[1 << kLitRootBits];
};

struct FixedTables {
  LiteralTable literal;
  uint32_t distance[kDistTableSize];
};

const FixedTables& fixedTables() {
  static const FixedTables tables = [] {
    FixedTables t;
    uint8_t lengths[288];
    std::fill(lengths, lengths + 144, 8);
    std::fill(lengths + 144, lengths + 256, 9);
    std::fill(lengths + 256, lengths + 280, 7);
    std::fill(lengths + 280, lengths + 288, 8);
    buildTable(lengths, 288, kLitRootBits, literalLengthMeaning, t.literal.codes, kLitTableSize);
    buildRunTable(t.literal.codes, lengths, 288, t.literal.runs);
    std::fill(lengths, lengths + 32, 5);
    buildTable(lengths, 32, kDistRootBits, distanceMeaning, t.distance, kDistTableSize);
    return t;
  }();
  return tables;
}

// ---- History and output -----------------------------------------------------

constexpr size_t kHistory = 32768;
constexpr size_t kChunk = 65536;
constexpr size_t kMaxMatch = 258;
constexpr size_t kCopySlack = 32;  // match copies overshoot by up to 15 bytes after up to 9 literals
constexpr size_t kOutLimit = kHistory + kChunk;

struct Output {
  uint8_t buffer[kOutLimit + kMaxMatch + kCopySlack];
  size_t pos = 0;      // next byte to write
  size_t flushed = 0;  // bytes before this went to the sink
  size_t window = 0;   // history size from the zlib header
  InflateSink sink;
  void* context;

  // Hands the new bytes on and keeps only the history window.
  void slide() {
    flush();
    const size_t keep = std::min(pos, window);
    std::memmove(buffer, buffer + pos - keep, keep);
    pos = flushed = keep;
  }
  void flush() {
    if (pos > flushed) sink(context, buffer + flushed, pos - flushed);
    flushed = pos;
  }
};

inline void copyMatch(uint8_t* out, size_t distance, size_t length) {
  const uint8_t* from = out - distance;
  uint8_t* const end = out + length;
  if (distance >= 16) {
    do {
      std::memcpy(out, from, 16);
      out += 16;
      from += 16;
    } while (out < end);
  } else if (distance >= 8) {
    do {
      std::memcpy(out, from, 8);
      out += 8;
      from += 8;
    } while (out < end);
  } else if (distance == 1) {
    std::memset(out, out[-1], length);
  } else {
    // Each 8-byte move is right in its first `distance` bytes (the rest is
    // rewritten by the next move), so short repeats such as a pixel of 3 or
    // 4 bytes go `distance` bytes a step.
    do {
      uint64_t word;
      std::memcpy(&word, from, 8);
      std::memcpy(out, &word, 8);
      out += distance;
      from += distance;
    } while (out < end);
  }
}

// ---- Bit input --------------------------------------------------------------
//
// A 64-bit buffer refilled a word at a time while eight input bytes remain,
// then byte by byte with zero bytes past the end. `pad` counts those zero
// bits still in the buffer (always its top bits): once fewer bits remain than
// pad, a code or field has run past the input.
struct BitInput {
  const uint8_t* start;
  const uint8_t* in;
  const uint8_t* end;
  uint64_t bits = 0;
  unsigned count = 0;
  unsigned pad = 0;

  inline void refill() {
    if (end - in >= 8) {
      uint64_t word;
      std::memcpy(&word, in, 8);
      bits |= le64(word) << count;
      in += (63 - count) >> 3;
      count |= 56;
      return;
    }
    while (count <= 56) {
      if (in < end) {
        bits |= uint64_t(*in++) << count;
      } else {
        pad += 8;
      }
      count += 8;
    }
  }
  inline uint32_t peek(unsigned n) const { return uint32_t(bits & ((uint64_t(1) << n) - 1)); }
  inline void drop(unsigned n) {
    bits >>= n;
    count -= n;
  }
  inline uint32_t take(unsigned n) {
    uint32_t v = peek(n);
    drop(n);
    return v;
  }
  inline bool overrun() const { return count < pad; }
  // Bits taken from the input so far (zero padding included).
  size_t consumedBits() const { return size_t(in - start) * 8 + pad - count; }

  static inline uint64_t le64(uint64_t v) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    return __builtin_bswap64(v);
#else
    return v;
#endif
  }
};

inline uint32_t decodeSymbol(BitInput& bits, const uint32_t* table, int root) {
  uint32_t e = table[bits.peek(unsigned(root))];
  if (!isLiteralRun(e) && entryKind(e) == kSubtable) {
    bits.drop(unsigned(root));
    e = table[entryValue(e) + bits.peek(entryExtra(e))];
  }
  bits.drop(entryBits(e));
  return e;
}

InflateStatus storedBlock(BitInput& bits, Output& out) {
  bits.drop(bits.count & 7);  // to the byte boundary
  bits.refill();
  const uint32_t length = bits.take(16);
  bits.drop(16);  // NLEN is not compared
  if (bits.overrun()) return InflateStatus::InputEnded;

  // Continue byte-wise from the cursor, forgetting the buffered bits.
  const uint8_t* from = bits.start + bits.consumedBits() / 8;
  bits.in = from;
  bits.bits = 0;
  bits.count = 0;
  bits.pad = 0;
  if (size_t(bits.end - from) < length) return InflateStatus::InputEnded;

  size_t left = length;
  while (left > 0) {
    if (out.pos >= kOutLimit) out.slide();
    const size_t n = std::min(left, kOutLimit - out.pos);
    std::memcpy(out.buffer + out.pos, from, n);
    out.pos += n;
    from += n;
    left -= n;
  }
  bits.in = from;
  return InflateStatus::Ok;
}

inline void storeLe32(uint8_t* out, uint32_t v) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
  v = __builtin_bswap32(v);
#endif
  std::memcpy(out, &v, 4);
}

// Decodes while at least 16 input bytes remain, so that two word refills
// per step can never run past the input and no field can overrun it. A step
// takes up to three lookups of one to three literals each (11 bits at most
// each), or stops at the first length and copies its match. The cursors live
// in locals here: byte stores through the output would otherwise make the
// compiler reload them after every literal. Returns false to hand the block
// to the careful loop; otherwise the block ended (or failed) with *status.
bool huffmanBlockFast(BitInput& input, Output& out, const LiteralTable& literal,
                      const uint32_t* distance, InflateStatus* status) {
  const uint8_t* in = input.in;
  const uint8_t* const end = input.end;
  uint64_t bits = input.bits;
  unsigned count = input.count;
  uint8_t* const base = out.buffer;
  uint8_t* o = base + out.pos;
  const uint32_t* const runs = literal.runs;
  constexpr uint32_t kRootMask = (1u << kLitRootBits) - 1;
  bool finished = false;

  const auto refill = [&] {
    uint64_t word;
    std::memcpy(&word, in, 8);
    bits |= BitInput::le64(word) << count;
    in += (63 - count) >> 3;
    count |= 56;
  };
  const auto drop = [&](uint32_t n) {
    bits >>= n;
    count -= n;
  };
  const auto take = [&](uint32_t n) {
    const uint32_t v = uint32_t(bits & ((uint64_t(1) << n) - 1));
    drop(n);
    return v;
  };
  const auto emit = [&](uint32_t e) {
    storeLe32(o, e >> 8);
    o += runLength(e);
    drop(entryBits(e));
  };

  while (end - in >= 16) {
    if (o > base + kOutLimit) {
      out.pos = size_t(o - base);
      out.slide();
      o = base + out.pos;
    }
    refill();
    uint32_t e = runs[bits & kRootMask];
    if (isLiteralRun(e)) {
      emit(e);
      e = runs[bits & kRootMask];
      if (isLiteralRun(e)) {
        emit(e);
        e = runs[bits & kRootMask];
        if (isLiteralRun(e)) {
          emit(e);
          continue;
        }
      }
    }
    if (entryKind(e) == kSubtable) {
      drop(kLitRootBits);
      e = literal.codes[entryValue(e) + uint32_t(bits & ((1u << entryExtra(e)) - 1))];
      if (isLiteralRun(e)) {
        emit(e);
        continue;
      }
    }
    drop(entryBits(e));
    const Kind kind = entryKind(e);
    if (kind != kBase) {
      *status = kind == kEnd ? InflateStatus::Ok
                : kind == kBadSymbol ? InflateStatus::BadLengthSymbol : InflateStatus::BadCode;
      finished = true;
      break;
    }
    refill();  // a length and a distance need 48 bits at most
    const size_t length = entryValue(e) + take(entryExtra(e));
    e = distance[bits & ((1u << kDistRootBits) - 1)];
    if (entryKind(e) == kSubtable) {
      drop(kDistRootBits);
      e = distance[entryValue(e) + uint32_t(bits & ((1u << entryExtra(e)) - 1))];
    }
    drop(entryBits(e));
    if (entryKind(e) != kBase) {
      *status = InflateStatus::BadCode;
      finished = true;
      break;
    }
    const size_t dist = entryValue(e) + take(entryExtra(e));
    if (dist > size_t(o - base) || dist > out.window) {
      *status = InflateStatus::DistanceTooFar;
      finished = true;
      break;
    }
    copyMatch(o, dist, length);
    o += length;
  }
  input.in = in;
  input.bits = bits;
  input.count = count;
  out.pos = size_t(o - base);
  return finished;
}

InflateStatus huffmanBlock(BitInput& bits, Output& out, const LiteralTable& literalTable,
                           const uint32_t* distance) {
  InflateStatus status;
  if (huffmanBlockFast(bits, out, literalTable, distance, &status)) return status;
  const uint32_t* literal = literalTable.codes;
  for (;;) {
    if (out.pos > kOutLimit) out.slide();
    bits.refill();  // 56 bits at least: enough for a whole length/distance pair
    uint32_t e = decodeSymbol(bits, literal, kLitRootBits);
    if (isLiteralRun(e)) {
      if (bits.overrun()) return InflateStatus::InputEnded;
      out.buffer[out.pos++] = uint8_t(e >> 8);
      continue;
    }
    const Kind kind = entryKind(e);
    if (kind == kBase) {
      const size_t length = entryValue(e) + bits.take(entryExtra(e));
      e = decodeSymbol(bits, distance, kDistRootBits);
      if (entryKind(e) != kBase) {
        return bits.overrun() ? InflateStatus::InputEnded : InflateStatus::BadCode;
      }
      const size_t dist = entryValue(e) + bits.take(entryExtra(e));
      if (bits.overrun()) return InflateStatus::InputEnded;
      if (dist > out.pos || dist > out.window) return InflateStatus::DistanceTooFar;
      copyMatch(out.buffer + out.pos, dist, length);
      out.pos += length;
      continue;
    }
    if (bits.overrun()) return InflateStatus::InputEnded;
    if (kind == kEnd) return InflateStatus::Ok;
    if (kind == kBadSymbol) return InflateStatus::BadLengthSymbol;
    return InflateStatus::BadCode;
  }
}

InflateStatus dynamicBlock(BitInput& bits, Output& out) {
  bits.refill();
  const int literals = int(bits.take(5)) + 257;
  const int distances = int(bits.take(5)) + 1;
  const int codeLengthCodes = int(bits.take(4)) + 4;

  static constexpr uint8_t kOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5,
                                         11, 4, 12, 3, 13, 2, 14, 1, 15};
  uint8_t lengths[288 + 32] = {};
  for (int i = 0; i < codeLengthCodes; i++) {
    bits.refill();
    lengths[kOrder[i]] = uint8_t(bits.take(3));
  }
  if (bits.overrun()) return InflateStatus::InputEnded;

  uint32_t codeLengthTable[kCodeLenTableSize];
  if (!buildTable(lengths, 19, kCodeLenRootBits, codeLengthMeaning, codeLengthTable,
                  kCodeLenTableSize))
    return InflateStatus::BadCodeLengths;

  // One sequence for both alphabets: a repeat may cross from one into the other.
  const int total = literals + distances;
  int n = 0;
  while (n < total) {
    bits.refill();
    const uint32_t e = decodeSymbol(bits, codeLengthTable, kCodeLenRootBits);
    if (entryKind(e) != kSymbol) {
      return bits.overrun() ? InflateStatus::InputEnded : InflateStatus::BadCode;
    }
    const uint32_t symbol = entryValue(e);
    if (symbol < 16) {
      if (bits.overrun()) return InflateStatus::InputEnded;
      lengths[n++] = uint8_t(symbol);
      continue;
    }
    uint8_t value = 0;
    int repeat;
    if (symbol == 16) {
      repeat = 3 + int(bits.take(2));
    } else if (symbol == 17) {
      repeat = 3 + int(bits.take(3));
    } else {
      repeat = 11 + int(bits.take(7));
    }
    if (bits.overrun()) return InflateStatus::InputEnded;
    if (symbol == 16) {
      if (n == 0) return InflateStatus::BadCodeLengths;
      value = lengths[n - 1];
    }
    if (repeat > total - n) return InflateStatus::BadCodeLengths;
    std::memset(lengths + n, value, size_t(repeat));
    n += repeat;
  }

  LiteralTable literal;
  uint32_t distance[kDistTableSize];
  if (!buildTable(lengths, literals, kLitRootBits, literalLengthMeaning, literal.codes,
                  kLitTableSize) ||
      !buildTable(lengths + literals, distances, kDistRootBits, distanceMeaning, distance,
                  kDistTableSize))
    return InflateStatus::BadCodeLengths;
  buildRunTable(literal.codes, lengths, literals, literal.runs);
  return huffmanBlock(bits, out, literal, distance);
}

}  // namespace

InflateStatus inflateZlibStream(const uint8_t* stream, size_t length, InflateSink sink,
                                void* context) {
  // The Adler-32 checksum is never read, so the data ends four bytes early.
  if (length < 4 + 2) return InflateStatus::Ok;
  const size_t inputEnd = length - 4;

  const unsigned windowCode = stream[0] >> 4;
  if (windowCode > 7) return InflateStatus::BadWindow;

  Output out;
  out.window = size_t(1) << (windowCode + 8);
  out.sink = sink;
  out.context = context;
  BitInput bits{stream, stream + 2, stream + inputEnd};

  InflateStatus status = InflateStatus::Ok;
  for (;;) {
    // A stream may stop after any block that ends at the input end.
    if (bits.consumedBits() >= inputEnd * 8) break;
    bits.refill();
    const uint32_t last = bits.take(1);
    const uint32_t type = bits.take(2);
    if (bits.overrun()) {
      status = InflateStatus::InputEnded;
      break;
    }
    if (type == 0) {
      status = storedBlock(bits, out);
    } else if (type == 1) {
      const FixedTables& fixed = fixedTables();
      status = huffmanBlock(bits, out, fixed.literal, fixed.distance);
    } else if (type == 2) {
      status = dynamicBlock(bits, out);
    } else {
      status = InflateStatus::BadBlockType;
    }
    if (status != InflateStatus::Ok || last) break;
  }
  if (status == InflateStatus::Ok) out.flush();
  return status;
}

const char* inflateStatusText(InflateStatus status) {
  switch (status) {
    case InflateStatus::Ok: return "ok";
    case InflateStatus::BadWindow: return "window size above 32 KiB";
    case InflateStatus::BadBlockType: return "invalid block type";
    case InflateStatus::BadLengthSymbol: return "invalid length symbol";
    case InflateStatus::BadCode: return "bit sequence matches no code";
    case InflateStatus::BadCodeLengths: return "invalid code lengths";
    case InflateStatus::DistanceTooFar: return "distance too far back";
    case InflateStatus::InputEnded: return "data ends inside a block";
  }
  return "unknown error";
}
