// The JPEG decoder's fast parts against straightforward references of the
// player's arithmetic: IDCT, Huffman lookup, bit reader, colour conversion.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <random>
#include <vector>

#include "image/jpeg_bits.h"
#include "image/jpeg_colour.h"
#include "image/jpeg_huffman.h"
#include "image/jpeg_idct.h"
#include "image/jpeg_tables.h"
#include "jpeg_reference.h"
#include "scenario/engine_state.h"

namespace {

void fastIdct(const int32_t* coef, int32_t* out) {
  uint8_t positions[64];
  int n = 0;
  for (int i = 0; i < 64; i++)
    if (coef[i] != 0) positions[n++] = uint8_t(i);
  jpegIdct(coef, positions, n, out);
}

}  // namespace

TEST(JpegTables, CosTableTruncatesTheDoubleProduct) {
  jpegBuildTables();
  for (int y = 0; y < 8; y++)
    for (int x = 0; x < 8; x++) EXPECT_EQ(gJpegCosTable[512 * y + 8 * x], 2048);
  // Truncation, not rounding: some entries whose exact value is a whole
  // number come out one nearer zero, and nothing is ever rounded up.
  int belowExact = 0;
  for (int i = 0; i < 4096; i++) {
    const int y = i / 512, v = i / 64 % 8, x = i / 8 % 8, u = i % 8;
    const long double exact = 2048.0L * std::cos((2 * x + 1) * u * 3.14159265358979323846264L / 16) *
                              std::cos((2 * y + 1) * v * 3.14159265358979323846264L / 16);
    const long double nearest = std::nearbyint(exact);
    EXPECT_LE(std::fabs((long double)gJpegCosTable[i]), std::fabs(exact) + 1e-9L) << i;
    if (std::fabs(exact - nearest) < 1e-9L && gJpegCosTable[i] != nearest) belowExact++;
  }
  EXPECT_GT(belowExact, 0);
  // The regrouped copy is the same table.
  for (int i = 0; i < 4096; i++) {
    const int y = i / 512, v = i / 64 % 8, x = i / 8 % 8, u = i % 8;
    ASSERT_EQ(gJpegBasis[8 * v + u][8 * y + x], gJpegCosTable[i]);
  }
}

TEST(JpegTables, BitTableHoldsEachBitMostSignificantFirst) {
  gJpegWTable = 0;
  jpegBuildBitTable();
  EXPECT_EQ(gJpegWTable, 1);
  for (int v = 0; v < 256; v++)
    for (int i = 0; i < 8; i++) ASSERT_EQ(gBitC[v][i], (v >> (7 - i)) & 1);
}

TEST(JpegIdct, SparseEqualsDirectSumOnRandomBlocks) {
  jpegBuildTables();
  std::mt19937 rng(5);
  const int32_t extremes[] = {INT32_MIN, INT32_MAX, -1, 1, 1 << 22, -(1 << 22), 2047 * 255, -2048 * 255};
  int32_t coef[64], fast[64], ref[64];
  for (int round = 0; round < 4000; round++) {
    const int kind = round % 4;
    for (int i = 0; i < 64; i++) {
      coef[i] = 0;
      const bool present = kind == 0 || (rng() % 64) < unsigned(4 + 12 * kind);
      if (!present) continue;
      switch (kind) {
        case 0: coef[i] = int32_t(rng()); break;  // any 32-bit value: wrap-around
        case 1: coef[i] = extremes[rng() % 8]; break;
        default: coef[i] = int32_t(rng() % 4095) - 2047; break;  // the realistic range
      }
    }
    referenceIdct(coef, ref);
    fastIdct(coef, fast);
    for (int i = 0; i < 64; i++) ASSERT_EQ(fast[i], ref[i]) << "round " << round << " sample " << i;
  }
}

namespace {

// Bit-serial decoding: one bit at a time, compared after each bit with the
// codes of that length in table order.
struct ReferenceHuffman {
  std::vector<int> lengths, codes, values;
  ReferenceHuffman(const uint8_t counts[16], const uint8_t* symbols) {
    int code = 0, n = 0;
    for (int len = 1; len <= 16; len++) {
      for (int i = 0; i < counts[len - 1]; i++) {
        lengths.push_back(len);
        codes.push_back(code++);
        values.push_back(symbols[n++]);
      }
      code <<= 1;
    }
  }
  // -1 when nothing matches within 16 bits.
  int decode(const std::vector<int>& bits, size_t& at) const {
    int code = 0;
    for (int len = 1; len <= 16 && at + len - 1 < bits.size(); len++) {
      code = (code << 1) | bits[at + len - 1];
      for (size_t i = 0; i < lengths.size(); i++)
        if (lengths[i] == len && codes[i] == code) {
          at += len;
          return values[i];
        }
    }
    return -1;
  }
};

}  // namespace

TEST(JpegHuffman, LookupEqualsBitSerialSearchForAnyTable) {
  std::mt19937 rng(11);
  for (int round = 0; round < 600; round++) {
    uint8_t counts[16] = {};
    int total = 0;
    const int shape = round % 3;  // 0 usual, 1 sparse and long, 2 over-full
    for (int len = 1; len <= 16 && total < 256; len++) {
      int c = 0;
      if (shape == 0) c = len >= 2 && len <= 12 ? int(rng() % 12) : 0;
      if (shape == 1) c = rng() % 3 == 0 ? int(rng() % 3) : 0;
      if (shape == 2) c = int(rng() % 6);
      c = std::min(c, 256 - total);
      counts[len - 1] = uint8_t(c);
      total += c;
    }
    std::vector<uint8_t> symbols(total);
    for (auto& s : symbols) s = uint8_t(rng());
    JpegHuffTable table;
    jpegBuildHuffman(table, counts, symbols.data());
    ReferenceHuffman ref(counts, symbols.data());

    std::vector<int> bits(4000);
    for (auto& b : bits) b = int(rng() & 1);
    size_t at = 0;
    while (at + 16 <= bits.size()) {
      uint32_t window = 0;
      for (int i = 0; i < 16; i++) window = (window << 1) | uint32_t(bits[at + i]);
      int length = 0;
      const int got = jpegHuffLookup(table, window, &length);
      const size_t before = at;
      const int want = ref.decode(bits, at);
      ASSERT_EQ(got, want) << "round " << round << " at " << before;
      if (want < 0) {
        at = before + 1;
        continue;
      }
      ASSERT_EQ(size_t(length), at - before);
      // The AC shortcut, where it applies, gives the same symbol and magnitude bits.
      const int32_t quick = table.fastAc[window >> (16 - kHuffFastBits)];
      const int size = want & 15;
      if (quick != 0) {
        ASSERT_NE(size, 0);
        ASSERT_EQ((quick >> 8) & 15, want >> 4);
        ASSERT_EQ(quick & 31, length + size);
        int32_t magnitude = 0;
        for (int i = 0; i < size; i++) magnitude = magnitude * 2 + bits[at + i];
        if (magnitude < (1 << (size - 1))) magnitude -= (1 << size) - 1;
        ASSERT_EQ(quick >> 16, magnitude);
      } else {
        ASSERT_TRUE(size == 0 || length + size > kHuffFastBits);
      }
    }
  }
}

TEST(JpegBits, StuffedByteIsSkippedWhateverItIs) {
  // 0xFF is followed by 0xD3, which is dropped like a 0x00 would be.
  const uint8_t data[] = {0xA5, 0xFF, 0xD3, 0x3C};
  JpegBitReader in(data, sizeof data, 0);
  EXPECT_EQ(in.take(8), 0xA5u);
  EXPECT_EQ(in.take(8), 0xFFu);
  EXPECT_EQ(in.take(8), 0x3Cu);
  EXPECT_FALSE(in.exhausted);
  in.take(1);
  EXPECT_TRUE(in.exhausted);
}

TEST(JpegBits, AlignedPositionUndoesTheLookAhead) {
  const uint8_t data[] = {0x12, 0xFF, 0x00, 0x34, 0xFF, 0x00, 0xFF, 0x00, 0x56, 0x78, 0x9A};
  // Positions of the byte after each fetched byte, past its stuffing.
  const size_t after[] = {1, 3, 4, 6, 8, 9, 10, 11};
  for (int consumed = 1; consumed <= 64; consumed++) {
    JpegBitReader in(data, sizeof data, 0);
    int left = consumed;
    while (left > 0) {
      const int n = std::min(left, 13);
      in.take(n);
      left -= n;
    }
    const size_t inUse = size_t(consumed - 1) / 8;  // byte holding the last bit taken
    EXPECT_EQ(in.alignedPosition(), after[inUse]) << consumed;
  }
}

TEST(JpegColour, WorkedExamples) {
  uint8_t rgb[3];
  jpegYccToRgb(50, 200, 128, rgb);
  EXPECT_EQ(rgb[0], 50);
  EXPECT_EQ(rgb[1], 26);
  EXPECT_EQ(rgb[2], 177);
  jpegYccToRgb(60, 200, 90, rgb);
  EXPECT_EQ(rgb[0], 7);
  EXPECT_EQ(rgb[1], 62);
  EXPECT_EQ(rgb[2], 187);
  jpegYccToRgb(300, 128, 128, rgb);  // grey: the clamped luma
  EXPECT_EQ(rgb[0], 255);
  EXPECT_EQ(rgb[1], 255);
  EXPECT_EQ(rgb[2], 255);
}

TEST(JpegColour, SplitConversionEqualsPerPixelFormula) {
  std::mt19937 rng(3);
  const int n = 5000;
  std::vector<int32_t> y(n), cb(n), cr(n);
  for (int i = 0; i < n; i++) {
    auto pick = [&]() -> int32_t {
      switch (rng() % 4) {
        case 0: return int32_t(rng());  // anything, wrap-around included
        case 1: return int32_t(rng() % 1400) - 600;  // IDCT overshoot
        default: return int32_t(rng() % 256);
      }
    };
    y[i] = pick(), cb[i] = pick(), cr[i] = pick();
  }
  std::vector<int32_t> red(n), greenCr(n), greenCb(n), blue(n);
  jpegCbTerms(cb.data(), n, greenCb.data(), blue.data());
  jpegCrTerms(cr.data(), n, red.data(), greenCr.data());
  std::vector<uint8_t> row(n * 3);
  jpegTermsToRgb(y.data(), red.data(), greenCb.data(), greenCr.data(), blue.data(), n, row.data());
  for (int i = 0; i < n; i++) {
    // The formula in plain 64-bit arithmetic, wrapped to 32 bits at each step.
    auto term = [](int64_t k, int64_t c, int64_t off) { return int64_t(wrap32(k * c - off) / 100); };
    auto clamp = [](int64_t v) { int32_t w = wrap32(v); return w < 0 ? 0 : (w > 255 ? 255 : w); };
    const int64_t Y = y[i];
    ASSERT_EQ(row[3 * i], clamp(Y + term(140, cr[i], 17920))) << i;
    ASSERT_EQ(row[3 * i + 1], clamp(Y - term(34, cb[i], 4352) - term(71, cr[i], 9088))) << i;
    ASSERT_EQ(row[3 * i + 2], clamp(Y + term(177, cb[i], 22656))) << i;
  }
}
