#include <vector>

#include "support/text_support.h"
#include "text/range_coder.h"

namespace {

RcDecodeResult decode(const std::vector<uint8_t>& stream, std::vector<uint8_t>& out, size_t capacity) {
  out.assign(capacity + 1, 0xEE);  // one guard byte past the capacity
  return mem_decode(out.data(), capacity, stream.data(), stream.size());
}

// A stream: the 256 counts (the given ones, the rest 0), then the code bytes.
std::vector<uint8_t> stream(std::initializer_list<std::pair<int, uint8_t>> counts,
                            std::initializer_list<uint8_t> code) {
  std::vector<uint8_t> s(256, 0);
  for (auto [sym, c] : counts) s[size_t(sym)] = c;
  s.insert(s.end(), code);
  return s;
}

void expectRoundTrip(const std::vector<uint8_t>& in, const std::string& what) {
  const std::vector<uint8_t> s = rcEncode(in);
  ASSERT_LE(s.size(), mem_encode_bound(in.size())) << what;
  std::vector<uint8_t> out;
  const RcDecodeResult r = decode(s, out, in.size());
  out.resize(r.written);
  ASSERT_TRUE(r.status == RcStatus::ok && out == in) << what;
}

}  // namespace

TEST(RangeCoder, KnownStreamsByteForByte) {
  const struct Case { std::vector<uint8_t> input, stream; } cases[] = {
      {{0x61, 0x62, 0x63}, stream({{0x61, 1}, {0x62, 1}, {0x63, 1}}, {0x1A, 0xFF, 0xFF, 0xFA})},
      {{0x61, 0x61, 0x61, 0x61}, stream({{0x61, 4}}, {0x53, 0xE2, 0xD6, 0x20})},
      {{}, stream({}, {0, 0, 0, 0})},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(rcEncode(c.input), c.stream);
    std::vector<uint8_t> out;
    const RcDecodeResult r = decode(c.stream, out, 16);
    ASSERT_TRUE(r.status == RcStatus::ok && r.written == c.input.size());
    EXPECT_TRUE(std::equal(c.input.begin(), c.input.end(), out.begin()) && out[r.written] == 0xEE)
        << "the data, and nothing written past it";
  }
}

TEST(RangeCoder, CountsAreRescaledAbove255) {
  std::vector<uint8_t> skewed(1000, 0);
  skewed.push_back(1);
  const std::vector<uint8_t> s = rcEncode(skewed);
  EXPECT_EQ(s[0], 255);
  EXPECT_EQ(s[1], 1) << "a rare symbol's count rounds up, never to 0";
  expectRoundTrip(skewed, "1000 zeros and a one");
}

TEST(RangeCoder, RefusesOversizedTotalsAndOutput) {
  // 15 symbols of count 255 plus 174 plus the end symbol: 3999 + 1 = 4000 fits.
  std::vector<uint8_t> fits(256, 0), out;
  for (int s = 0; s < 15; s++) fits[size_t(s)] = 255;
  fits[15] = 174;
  fits.insert(fits.end(), {0, 0, 0, 0});
  EXPECT_NE(decode(fits, out, 64).status, RcStatus::totalTooLarge);
  fits[15] = 175;  // total 4001
  const RcDecodeResult over = decode(fits, out, 64);
  EXPECT_TRUE(over.status == RcStatus::totalTooLarge && over.written == 0u);

  std::vector<uint8_t> in(5000);
  for (size_t i = 0; i < in.size(); i++) in[i] = uint8_t(i * 7 % 13);
  const RcDecodeResult r = decode(rcEncode(in), out, 100);
  EXPECT_TRUE(r.status == RcStatus::outputFull && r.written == 100u && out[100] == 0xEE);
  EXPECT_TRUE(std::equal(in.begin(), in.begin() + 100, out.begin())) << "what fits is kept";
}

TEST(RangeCoder, RefusesTruncatedAndCorruptStreams) {
  std::vector<uint8_t> in(3000), out;
  for (size_t i = 0; i < in.size(); i++) in[i] = uint8_t(i * i % 5);
  const std::vector<uint8_t> s = rcEncode(in);
  for (size_t cut : {size_t(0), size_t(255), size_t(259), s.size() / 2, s.size() - 5}) {
    const RcDecodeResult r = decode(std::vector<uint8_t>(s.begin(), s.begin() + long(cut)), out, in.size());
    EXPECT_NE(r.status, RcStatus::ok) << "cut at " << cut;
  }
  // One symbol of count 1 and a code value far above the total.
  EXPECT_EQ(decode(stream({{0x41, 1}}, {0xFF, 0xFF, 0xFF, 0xFF}), out, 16).status, RcStatus::corrupt);
}

// Truncation errors show at the edges and just at and below multiples of d.
TEST(RangeCoder, ReciprocalDivisionEqualsIntegerDivision) {
  const uint32_t edges[] = {0, 1, 2, 3999, 4000, 4001, 0xFFFF, 0x10000, 0xFFFFFF, 0x1000000,
                            0x7FFFFFFF, 0x80000000u, 0xFFFFFFFEu, 0xFFFFFFFFu};
  for (uint32_t d = 1; d <= 65536; d++) {
    const RcDivisor div(d);
    for (uint32_t n : edges) ASSERT_EQ(div.divide(n), n / d) << n << " / " << d;
    for (uint32_t m : {0xFFFFFFFFu / d * d, 0x7FFFFFFFu / d * d, 0xFFFFFu / d * d})
      for (uint32_t v : {m, m - 1}) ASSERT_EQ(div.divide(v), v / d) << v << " / " << d;
  }
}
