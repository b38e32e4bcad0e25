#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "text/range_coder.h"

namespace {

std::vector<uint8_t> encode(const std::vector<uint8_t>& in) {
  std::vector<uint8_t> out(mem_encode_bound(in.size()));
  const int n = mem_encode(out.data(), in.data(), int(in.size()));
  out.resize(size_t(n));
  return out;
}

RcDecodeResult decode(const std::vector<uint8_t>& stream, std::vector<uint8_t>& out, size_t capacity) {
  out.assign(capacity, 0xEE);
  return mem_decode(out.data(), capacity, stream.data(), stream.size());
}

std::vector<uint8_t> table(std::initializer_list<std::pair<int, uint8_t>> counts) {
  std::vector<uint8_t> t(256, 0);
  for (auto [s, c] : counts) t[size_t(s)] = c;
  return t;
}

std::vector<uint8_t> concat(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

}  // namespace

TEST(RangeCoder, KnownStreamsByteForByte) {
  struct Case {
    std::vector<uint8_t> input, stream;
  } cases[] = {
      {{0x61, 0x62, 0x63}, concat(table({{0x61, 1}, {0x62, 1}, {0x63, 1}}), {0x1A, 0xFF, 0xFF, 0xFA})},
      {{0x61, 0x61, 0x61, 0x61}, concat(table({{0x61, 4}}), {0x53, 0xE2, 0xD6, 0x20})},
      {{}, concat(table({}), {0, 0, 0, 0})},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(encode(c.input), c.stream);
    std::vector<uint8_t> out;
    const RcDecodeResult r = decode(c.stream, out, 16);
    EXPECT_EQ(r.status, RcStatus::ok);
    ASSERT_EQ(r.written, c.input.size());
    EXPECT_TRUE(std::equal(c.input.begin(), c.input.end(), out.begin()));
    EXPECT_EQ(out[r.written], 0xEE) << "wrote past the decoded data";
  }
}

TEST(RangeCoder, RescalesCountsAbove255RoundingUp) {
  std::vector<uint8_t> in(1000, 0);
  in.push_back(1);
  const std::vector<uint8_t> s = encode(in);
  EXPECT_EQ(s[0], 255);
  EXPECT_EQ(s[1], 1);
  for (int k = 2; k < 256; k++) ASSERT_EQ(s[size_t(k)], 0);
  std::vector<uint8_t> out;
  const RcDecodeResult r = decode(s, out, in.size());
  EXPECT_EQ(r.status, RcStatus::ok);
  out.resize(r.written);
  EXPECT_EQ(out, in);
}

TEST(RangeCoder, RandomRoundTrips) {
  std::mt19937 rng(12345);
  for (int round = 0; round < 200; round++) {
    // Skewed alphabets like a font image: few frequent values, a tail of rare ones.
    const size_t n = rng() % (round < 100 ? 64 : 50000);
    const int alphabet = 1 + int(rng() % 40);
    std::vector<uint8_t> in(n);
    for (auto& b : in) b = uint8_t((rng() % 4 == 0) ? rng() % alphabet * 6 : 0);
    const std::vector<uint8_t> s = encode(in);
    ASSERT_LE(s.size(), mem_encode_bound(n));
    std::vector<uint8_t> out;
    const RcDecodeResult r = decode(s, out, n);
    ASSERT_EQ(r.status, RcStatus::ok) << "round " << round;
    out.resize(r.written);
    ASSERT_EQ(out, in) << "round " << round;
  }
}

TEST(RangeCoder, RefusesTotalAboveTheLookupTable) {
  // 15 symbols of count 255 plus 174 plus the end symbol: 3999 + 1 = 4000 fits.
  std::vector<uint8_t> fits(256, 0);
  for (int s = 0; s < 15; s++) fits[size_t(s)] = 255;
  fits[15] = 174;
  fits.insert(fits.end(), {0, 0, 0, 0});
  std::vector<uint8_t> out;
  EXPECT_NE(decode(fits, out, 64).status, RcStatus::totalTooLarge);

  std::vector<uint8_t> over = fits;
  over[15] = 175;  // total 4001
  EXPECT_EQ(decode(over, out, 64).status, RcStatus::totalTooLarge);
  EXPECT_EQ(decode(over, out, 64).written, 0u);
}

TEST(RangeCoder, NeverWritesPastTheCallersBuffer) {
  std::vector<uint8_t> in(5000);
  for (size_t i = 0; i < in.size(); i++) in[i] = uint8_t(i * 7 % 13);
  const std::vector<uint8_t> s = encode(in);
  std::vector<uint8_t> out(in.size() + 8, 0xEE);
  const RcDecodeResult r = mem_decode(out.data(), 100, s.data(), s.size());
  EXPECT_EQ(r.status, RcStatus::outputFull);
  EXPECT_EQ(r.written, 100u);
  EXPECT_EQ(out[100], 0xEE);
  EXPECT_TRUE(std::equal(in.begin(), in.begin() + 100, out.begin()));
}

TEST(RangeCoder, RefusesTruncatedAndCorruptStreams) {
  std::vector<uint8_t> in(3000);
  std::mt19937 rng(7);
  for (auto& b : in) b = uint8_t(rng() % 5);
  const std::vector<uint8_t> s = encode(in);
  std::vector<uint8_t> out;

  // Cut anywhere before the end: the decoder must stop at the stream's end.
  for (size_t cut : {size_t(0), size_t(255), size_t(259), s.size() / 2, s.size() - 5}) {
    std::vector<uint8_t> shortStream(s.begin(), s.begin() + long(cut));
    const RcDecodeResult r = decode(shortStream, out, in.size());
    EXPECT_NE(r.status, RcStatus::ok) << "cut at " << cut;
  }

  // A code value beyond every symbol's interval: counts 1 for one symbol,
  // code bytes all FF, so t lands far above total.
  std::vector<uint8_t> bad = concat(table({{0x41, 1}}), {0xFF, 0xFF, 0xFF, 0xFF});
  EXPECT_EQ(decode(bad, out, 16).status, RcStatus::corrupt);

  // Random garbage after a valid table never fails silently by overrunning.
  for (int round = 0; round < 300; round++) {
    std::vector<uint8_t> junk = s;
    for (int k = 0; k < 6; k++) junk[256 + rng() % (junk.size() - 256)] ^= uint8_t(1 + rng() % 255);
    const RcDecodeResult r = decode(junk, out, in.size());
    EXPECT_LE(r.written, in.size());
  }
}

TEST(RangeCoder, ReciprocalDivisionEqualsIntegerDivision) {
  std::mt19937 rng(99);
  const uint32_t edges[] = {0, 1, 2, 3999, 4000, 4001, 0xFFFF, 0x10000, 0xFFFFFF, 0x1000000,
                            0x7FFFFFFF, 0x80000000u, 0xFFFFFFFEu, 0xFFFFFFFFu};
  for (uint32_t d = 1; d <= 65536; d++) {
    const RcDivisor div(d);
    for (uint32_t n : edges) ASSERT_EQ(div.divide(n), n / d) << n << " / " << d;
    for (int k = 0; k < 40; k++) {
      const uint32_t n = rng();
      ASSERT_EQ(div.divide(n), n / d) << n << " / " << d;
      // Just below and at multiples of d, where truncation errors would show.
      const uint32_t m = (n / d) * d;
      ASSERT_EQ(div.divide(m), m / d);
      if (m) {
        ASSERT_EQ(div.divide(m - 1), (m - 1) / d);
      }
    }
  }
}
