// The range-coded stream format byte for byte, and the refusals. Round trips
// and the reciprocal division are compared on random input in
// fuzz/fuzz_range_coder.cpp.
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
  std::vector<uint8_t> skewed(1000, 0);
  skewed.push_back(1);
  const std::vector<uint8_t> s = rcEncode(skewed);
  EXPECT_TRUE(s[0] == 255 && s[1] == 1) << "counts rescaled above 255; a rare symbol never rounds to 0";
}

TEST(RangeCoder, RefusesOversizedTotalsCorruptCodesOverflowingOutputAndTruncatedStreams) {
  // 15 symbols of count 255 plus 174 plus the end symbol: 3999 + 1 = 4000 fits.
  std::vector<uint8_t> fits(256, 0), out;
  for (int s = 0; s < 15; s++) fits[size_t(s)] = 255;
  fits[15] = 174;
  fits.insert(fits.end(), {0, 0, 0, 0});
  EXPECT_NE(decode(fits, out, 64).status, RcStatus::totalTooLarge);
  fits[15] = 175;  // total 4001
  const RcDecodeResult over = decode(fits, out, 64);
  EXPECT_TRUE(over.status == RcStatus::totalTooLarge && over.written == 0u);
  // One symbol of count 1 and a code value far above the total.
  EXPECT_EQ(decode(stream({{0x41, 1}}, {0xFF, 0xFF, 0xFF, 0xFF}), out, 16).status, RcStatus::corrupt);

  std::vector<uint8_t> in(5000);
  for (size_t i = 0; i < in.size(); i++) in[i] = uint8_t(i * 7 % 13);
  const RcDecodeResult r = decode(rcEncode(in), out, 100);
  EXPECT_TRUE(r.status == RcStatus::outputFull && r.written == 100u && out[100] == 0xEE);
  EXPECT_TRUE(std::equal(in.begin(), in.begin() + 100, out.begin())) << "what fits is kept";
  const std::vector<uint8_t> s = rcEncode(in);
  for (size_t cut : {size_t(0), size_t(255), size_t(259), s.size() / 2, s.size() - 5}) {
    const RcDecodeResult r = decode(std::vector<uint8_t>(s.begin(), s.begin() + long(cut)), out, in.size());
    EXPECT_EQ(r.status, RcStatus::streamTooShort) << "cut at " << cut;
  }
}
