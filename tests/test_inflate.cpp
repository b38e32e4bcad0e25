// Inflate on hand-made streams that reach each rule and each error; the
// comparison with zlib on streams of every kind it writes is fuzz_inflate's.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "image/inflate.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct BitWriter {
  Bytes bytes{0x78, 0x01};  // CMF (32 KiB window), FLG
  int used = 8;             // bits used in the last byte
  BitWriter& bits(uint32_t value, int n) {  // least significant bit first
    for (int i = 0; i < n; i++) {
      if (used == 8) bytes.push_back(0), used = 0;
      bytes.back() |= uint8_t(((value >> i) & 1) << used++);
    }
    return *this;
  }
  BitWriter& code(uint32_t code, int n) {  // Huffman codes: most significant bit first
    for (int i = n - 1; i >= 0; i--) bits((code >> i) & 1, 1);
    return *this;
  }
  BitWriter& block(bool last, int type) { return bits(last, 1).bits(uint32_t(type), 2); }
  BitWriter& stored(const Bytes& data, int claimed = -1) {  // LEN (data size unless claimed), NLEN, data
    const size_t len = claimed < 0 ? data.size() : size_t(claimed);
    used = 8;
    bytes.insert(bytes.end(), {uint8_t(len), uint8_t(len >> 8), uint8_t(~len), uint8_t(~len >> 8)});
    bytes.insert(bytes.end(), data.begin(), data.end());
    return *this;
  }
  BitWriter& fixed(int s) {  // a literal/length symbol of the fixed code
    return s < 144 ? code(0x30 + s, 8)
           : s < 256 ? code(0x190 + s - 144, 9)
           : s < 280 ? code(s - 256, 7)
                     : code(0xc0 + s - 280, 8);
  }
  Bytes finish() const {  // the four checksum bytes are never read
    Bytes out = bytes;
    out.insert(out.end(), 4, 0);
    return out;
  }
};

InflateStatus inflateError(const Bytes& stream, Bytes* out = nullptr) {
  auto sink = [](void* context, const uint8_t* bytes, size_t n) {
    if (context) static_cast<Bytes*>(context)->insert(static_cast<Bytes*>(context)->end(), bytes, bytes + n);
  };
  return inflateZlibStream(stream.data(), stream.size(), sink, out);
}
Bytes inflateOk(const Bytes& stream) {
  Bytes out;
  EXPECT_EQ(inflateError(stream, &out), InflateStatus::Ok);
  return out;
}

// A dynamic block header for 257 literal/length codes and one distance code,
// then the 19 code-length code lengths in their stored order.
BitWriter dynamicHeader(const std::vector<int>& cl) {
  BitWriter w;
  w.block(true, 2).bits(0, 5).bits(0, 5).bits(19 - 4, 4);
  for (int i : {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15}) w.bits(uint32_t(cl[i]), 3);
  return w;
}
// Code lengths 1, 2, 16, 18: codes 00, 01, 10, 11. (A valid stream with
// repeats that cross into the distance lengths is among fuzz_inflate's seeds.)
const std::vector<int> kCl = {0, 2, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2};

// Stored blocks after compressed ones at every bit alignment are fuzz_inflate's.
TEST(InflateHandMade, EachStreamEndsWithItsStatus) {
  auto fixedBlock = [] { return BitWriter().block(true, 1).fixed('a'); };
  BitWriter incompleteLit = dynamicHeader(kCl);  // only 'a' (length 1) and end of block (length 2)
  incompleteLit.code(3, 2).bits('a' - 11, 7).code(0, 2).code(3, 2).bits(127, 7).code(3, 2).bits(20 - 11, 7);
  incompleteLit.code(1, 2).code(0, 2).code(0, 1);  // 256: 2, distance 0: 1, then 'a'
  ASSERT_EQ(inflateOk(BitWriter(incompleteLit).code(2, 2).finish()), Bytes({'a'}));
  // Three codes of length 1 over-subscribe the code-length code.
  BitWriter overfullCl = dynamicHeader({1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  BitWriter noPrevious = dynamicHeader(kCl), runPastEnd = dynamicHeader(kCl), overfullLit = dynamicHeader(kCl);
  noPrevious.code(2, 2).bits(0, 2);
  runPastEnd.code(3, 2).bits(127, 7).code(3, 2).bits(127, 7);  // 276 zeros
  overfullLit.code(0, 2);  // 257 codes of length 1
  for (int i = 0; i < 85; i++) overfullLit.code(2, 2).bits(0, 2);
  overfullLit.code(0, 2);
  BitWriter lenient;  // LEN 0 with an NLEN that is not its complement; no block has the final bit
  lenient.block(false, 0).stored({}).bytes.back() = 0x34;
  lenient.block(false, 0).stored({'e', 'n', 'd'});
  using enum InflateStatus;
  const struct { const char* what; Bytes stream; InflateStatus want; } cases[] = {
      {"block type 3", BitWriter().block(true, 3).finish(), BadBlockType},
      {"symbol 286", fixedBlock().fixed(286).code(0, 5).finish(), BadLengthSymbol},
      {"copy before the first byte", fixedBlock().fixed(257).code(1, 5).fixed(256).finish(), DistanceTooFar},
      {"distance symbol 30", fixedBlock().fixed(257).code(30, 5).bits(0, 14).fixed(256).finish(), DistanceTooFar},
      {"input ends in a fixed block", fixedBlock().fixed('a').fixed('a').finish(), InputEnded},
      {"stored block past the data", BitWriter().block(true, 0).stored({'a', 'b'}, 9).finish(), InputEnded},
      {"64 KiB window", Bytes{0x88, 0x01, 0x03, 0x00, 0, 0, 0, 0}, BadWindow},
      {"five bytes: nothing to read", Bytes(5, 0xff), Ok},
      {"stored lengths are not checked; the final bit is not needed", lenient.finish(), Ok},
      {"over-subscribed code-length code", overfullCl.bits(0, 32).finish(), BadCodeLengths},
      {"16 with nothing to repeat", noPrevious.bits(0, 32).finish(), BadCodeLengths},
      {"zero run past the lists", runPastEnd.bits(0, 32).finish(), BadCodeLengths},
      {"over-subscribed literal code", overfullLit.bits(0, 32).finish(), BadCodeLengths},
      {"11 matches no literal code", incompleteLit.code(3, 2).bits(0, 32).finish(), BadCode},
  };
  for (const auto& c : cases) EXPECT_EQ(inflateError(c.stream), c.want) << c.what;
}

}  // namespace
