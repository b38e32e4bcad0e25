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

// The decoded pixels depend on truncating, never rounding, the cosine products.
TEST(JpegTables, CosTableTruncatesTheExactProduct) {
  jpegBuildTables();
  int belowExact = 0;
  for (int i = 0; i < 4096; i++) {
    const int y = i / 512, v = i / 64 % 8, x = i / 8 % 8, u = i % 8;
    const long double pi = 3.14159265358979323846264L;
    const long double exact = 2048.0L * std::cos((2 * x + 1) * u * pi / 16) * std::cos((2 * y + 1) * v * pi / 16);
    ASSERT_LE(std::fabs((long double)gJpegCosTable[i]), std::fabs(exact) + 1e-9L) << i;
    ASSERT_GE(std::fabs((long double)gJpegCosTable[i]), std::fabs(exact) - 1 - 1e-9L) << i;
    belowExact += std::fabs(exact - std::nearbyint(exact)) < 1e-9L && gJpegCosTable[i] != std::nearbyint(exact);
  }
  EXPECT_GT(belowExact, 0);  // whole-number products that come out one nearer zero
}

TEST(JpegIdct, SparseEqualsDirectSumOnRandomBlocks) {
  jpegBuildTables();
  std::mt19937 rng(5);
  const int32_t extremes[] = {INT32_MIN, INT32_MAX, -1, 1, 1 << 22, -(1 << 22), 2047 * 255, -2048 * 255};
  for (int round = 0; round < 4000; round++) {
    const int kind = round % 4;  // 0: any 32-bit value, 1: extremes, else the realistic range
    int32_t coef[64] = {}, fast[64], ref[64];
    uint8_t positions[64];
    int n = 0;
    for (int i = 0; i < 64; i++) {
      if (kind != 0 && rng() % 64 >= unsigned(4 + 12 * kind)) continue;
      coef[i] = kind == 0 ? int32_t(rng()) : kind == 1 ? extremes[rng() % 8] : int32_t(rng() % 4095) - 2047;
      if (coef[i]) positions[n++] = uint8_t(i);
    }
    referenceIdct(coef, ref);
    jpegIdct(coef, positions, n, fast);
    for (int i = 0; i < 64; i++) ASSERT_EQ(fast[i], ref[i]) << "round " << round << " sample " << i;
  }
}

TEST(JpegHuffman, LookupEqualsBitSerialSearchForAnyTable) {
  std::mt19937 rng(11);
  for (int round = 0; round < 600; round++) {
    uint8_t counts[16] = {};
    std::vector<int> lengths, codes;  // of each symbol, in definition order
    const int shape = round % 3;      // usual, sparse and long, over-full
    for (int len = 1, code = 0; len <= 16; len++, code <<= 1) {
      int c = shape == 0 ? (len >= 2 && len <= 12 ? int(rng() % 12) : 0)
                         : shape == 1 ? (rng() % 3 == 0 ? int(rng() % 3) : 0) : int(rng() % 6);
      counts[len - 1] = uint8_t(c = std::min(c, 256 - int(lengths.size())));
      for (int i = 0; i < c; i++) lengths.push_back(len), codes.push_back(code++);
    }
    std::vector<uint8_t> symbols(lengths.size());
    for (auto& s : symbols) s = uint8_t(rng());
    JpegHuffTable table;
    jpegBuildHuffman(table, counts, symbols.data());
    std::vector<int> bits(4000);
    for (auto& b : bits) b = int(rng() & 1);
    for (size_t at = 0; at + 16 <= bits.size();) {
      // Bit-serial: after each bit, the first code of that length that matches.
      int want = -1, wantLength = 0;
      for (int len = 1, code = 0; len <= 16 && want < 0; len++) {
        code = code << 1 | bits[at + len - 1];
        for (size_t i = 0; i < lengths.size() && want < 0; i++)
          if (lengths[i] == len && codes[i] == code) want = symbols[i], wantLength = len;
      }
      uint32_t window = 0;
      for (int i = 0; i < 16; i++) window = window << 1 | uint32_t(bits[at + i]);
      int length = 0;
      ASSERT_EQ(jpegHuffLookup(table, window, &length), want) << "round " << round << " at " << at;
      if (want < 0) {
        at++;
        continue;
      }
      ASSERT_EQ(length, wantLength);
      at += size_t(length);
      // The AC shortcut, where it applies, gives the same symbol and magnitude bits.
      const int32_t quick = table.fastAc[window >> (16 - kHuffFastBits)];
      const int size = want & 15;
      if (quick == 0) {
        ASSERT_TRUE(size == 0 || length + size > kHuffFastBits);
        continue;
      }
      ASSERT_EQ((quick >> 8) & 15, want >> 4);
      ASSERT_EQ(quick & 31, length + size);
      int32_t magnitude = 0;
      for (int i = 0; i < size; i++) magnitude = magnitude * 2 + bits[at + i];
      if (magnitude < (1 << (size - 1))) magnitude -= (1 << size) - 1;
      ASSERT_EQ(quick >> 16, magnitude);
    }
  }
}

// Alignment after look-ahead is proved by the restart tests on whole pictures.
TEST(JpegBits, StuffedByteIsSkippedWhateverItIs) {
  const uint8_t stuffed[] = {0xA5, 0xFF, 0xD3, 0x3C};  // 0xD3 dropped like a 0x00
  JpegBitReader in(stuffed, sizeof stuffed, 0);
  EXPECT_EQ(in.take(8), 0xA5u);
  EXPECT_EQ(in.take(8), 0xFFu);
  EXPECT_EQ(in.take(8), 0x3Cu);
  EXPECT_FALSE(in.overrun());
  in.take(1);
  EXPECT_TRUE(in.overrun());
  in.take(16);  // refills with padding only: the overrun is not forgotten
  EXPECT_TRUE(in.overrun());
}

TEST(JpegColour, WorkedExamplesAndSplitConversionEqualThePerPixelFormula) {
  const struct { int32_t y, cb, cr; uint8_t r, g, b; } examples[] = {
      {50, 200, 128, 50, 26, 177}, {60, 200, 90, 7, 62, 187}, {300, 128, 128, 255, 255, 255}};
  for (const auto& e : examples) {
    uint8_t rgb[3];
    jpegYccToRgb(e.y, e.cb, e.cr, rgb);
    EXPECT_EQ(std::vector<int>(rgb, rgb + 3), std::vector<int>({e.r, e.g, e.b})) << e.y << " " << e.cb << " " << e.cr;
  }
  std::mt19937 rng(3);
  const int n = 5000;
  std::vector<int32_t> y(n), cb(n), cr(n), red(n), greenCr(n), greenCb(n), blue(n);
  for (int i = 0; i < n; i++)
    for (int32_t* v : {&y[i], &cb[i], &cr[i]}) {
      const unsigned kind = rng() % 4;  // anything (wrap-around), IDCT overshoot, in range
      *v = kind == 0 ? int32_t(rng()) : kind == 1 ? int32_t(rng() % 1400) - 600 : int32_t(rng() % 256);
    }
  jpegCbTerms(cb.data(), n, greenCb.data(), blue.data());
  jpegCrTerms(cr.data(), n, red.data(), greenCr.data());
  std::vector<uint8_t> row(n * 3);
  jpegTermsToRgb(y.data(), red.data(), greenCb.data(), greenCr.data(), blue.data(), n, row.data());
  // The formula in 64-bit arithmetic, wrapped to 32 bits at each step.
  auto term = [](int64_t k, int64_t c, int64_t off) { return int64_t(wrap32(k * c - off) / 100); };
  auto clamp = [](int64_t v) { const int32_t w = wrap32(v); return w < 0 ? 0 : w > 255 ? 255 : w; };
  for (int i = 0; i < n; i++) {
    ASSERT_EQ(row[3 * i], clamp(y[i] + term(140, cr[i], 17920))) << i;
    ASSERT_EQ(row[3 * i + 1], clamp(y[i] - term(34, cb[i], 4352) - term(71, cr[i], 9088))) << i;
    ASSERT_EQ(row[3 * i + 2], clamp(y[i] + term(177, cb[i], 22656))) << i;
  }
}
