// Inflate against zlib on valid streams of every kind zlib writes, and on
// hand-made streams that reach each rule and each error.
#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <string>
#include <vector>

#include "image/inflate.h"

namespace {

using Bytes = std::vector<uint8_t>;

InflateStatus fastInflate(const Bytes& stream, Bytes& out) {
  out.clear();
  auto sink = [](void* context, const uint8_t* bytes, size_t n) {
    static_cast<Bytes*>(context)->insert(static_cast<Bytes*>(context)->end(), bytes, bytes + n);
  };
  return inflateZlibStream(stream.data(), stream.size(), sink, &out);
}

Bytes zlibCompress(const Bytes& input, int level, int strategy, int windowBits) {
  z_stream z{};
  EXPECT_EQ(deflateInit2(&z, level, Z_DEFLATED, windowBits, 8, strategy), Z_OK);
  Bytes out(deflateBound(&z, uLong(input.size())) + 16);
  z.next_in = const_cast<Bytef*>(input.data()), z.avail_in = uInt(input.size());
  z.next_out = out.data(), z.avail_out = uInt(out.size());
  EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

// Noise, text, picture-like rows with a repeat 30 KiB back, one byte, a long zero run.
std::vector<Bytes> sampleInputs() {
  std::mt19937 rng(7);
  Bytes noise(5000), text, picture;
  for (auto& b : noise) b = uint8_t(rng());
  const std::string words[] = {"scene ", "MSG:", "the ", "player ", "window ", "choice\r\n", "flag "};
  while (text.size() < 70000) {
    const std::string& word = words[rng() % 7];
    text.insert(text.end(), word.begin(), word.end());
  }
  for (int i = 0; i < 112000; i++)
    picture.push_back(uint8_t(i % 701 < 100 ? 0 : (i % 701 * 3 + i / 701 * 2) / 5 + rng() % 7));
  picture.insert(picture.end(), picture.begin(), picture.begin() + 30000);
  return {noise, text, picture, Bytes(1, 'x'), Bytes(100000, 0)};
}

TEST(InflateAgainstZlib, EveryLevelStrategyAndWindowGivesTheOriginalBytes) {
  const std::vector<Bytes> inputs = sampleInputs();
  for (size_t i = 0; i < inputs.size(); i++)
    for (int level : {0, 1, 4, 6, 9})
      for (int strategy : {Z_DEFAULT_STRATEGY, Z_FILTERED, Z_HUFFMAN_ONLY, Z_RLE, Z_FIXED})
        for (int windowBits : {9, 10, 13, 15}) {
          const Bytes stream = zlibCompress(inputs[i], level, strategy, windowBits);
          Bytes out;
          const std::string what = std::to_string(i) + " " + std::to_string(level) + " " + std::to_string(strategy);
          ASSERT_EQ(fastInflate(stream, out), InflateStatus::Ok) << what << " " << windowBits;
          ASSERT_EQ(out, inputs[i]) << what << " " << windowBits;
        }
}

// ---- Hand-made streams --------------------------------------------------

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

Bytes inflateOk(const Bytes& stream) {
  Bytes out;
  EXPECT_EQ(fastInflate(stream, out), InflateStatus::Ok);
  return out;
}
InflateStatus inflateError(const Bytes& stream) {
  Bytes out;
  return fastInflate(stream, out);
}

TEST(InflateHandMade, StoredBlocksAndTheirBoundaries) {
  BitWriter w;  // a stored block serves as history for a fixed block
  w.block(false, 0).stored({'h', 'e', 'l', 'l', 'o'}).block(true, 1).fixed(259).code(4, 5).bits(0, 1).fixed(256);
  EXPECT_EQ(inflateOk(w.finish()), Bytes({'h', 'e', 'l', 'l', 'o', 'h', 'e', 'l', 'l', 'o'}));

  BitWriter b;  // LEN 0 with an NLEN that is not its complement, then a header ending on bit 7
  b.block(false, 0).stored({}).bytes.back() = 0x34;
  b.block(false, 1).fixed(200).fixed(201).fixed(202).fixed(256);
  ASSERT_EQ(b.used, 5);  // 3 + 3 * 9 + 7 bits
  b.block(true, 0);
  ASSERT_EQ(b.used, 8);  // LEN comes from the very next byte
  b.stored({'c', 'd'});
  EXPECT_EQ(inflateOk(b.finish()), Bytes({200, 201, 202, 'c', 'd'}));

  BitWriter l;  // the last block without the final bit ends at the checksum
  l.block(false, 0).stored({'e', 'n', 'd'});
  EXPECT_EQ(inflateOk(l.finish()), Bytes({'e', 'n', 'd'}));
}

TEST(InflateHandMade, DistanceOneLength258RepeatsTheLastByte) {
  BitWriter w;
  w.block(true, 1).fixed('z').fixed(285).code(0, 5).fixed(284).bits(31, 5).code(0, 5).fixed(256);  // 227 + 31: 258 too
  EXPECT_EQ(inflateOk(w.finish()), Bytes(1 + 258 + 258, 'z'));
}

// The dynamic header: the 19 code-length code lengths in their order.
void dynamicHeader(BitWriter& w, const std::vector<int>& cl, int nlen, int ndist, int ncode = 19) {
  w.block(true, 2).bits(uint32_t(nlen - 257), 5).bits(uint32_t(ndist - 1), 5).bits(uint32_t(ncode - 4), 4);
  for (int i : {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15}) {
    if (ncode-- == 0) break;
    w.bits(uint32_t(cl[i]), 3);
  }
}
const std::vector<int> kCl = [] {  // code lengths 1, 2, 16, 18: codes 00, 01, 10, 11
  std::vector<int> cl(19, 0);
  cl[1] = cl[2] = cl[16] = cl[18] = 2;
  return cl;
}();

// 18 for 138 zeros, and a 16 that repeats the last literal/length code length
// on into the distance code lengths.
TEST(InflateHandMade, CodeLengthRepeatsCrossIntoDistanceLengths) {
  // Literal/length lengths 'A' 1, 256 and 257 2: codes 0, 10, 11. Distances 0 and 1: 2, 2 is 1: codes 10, 11, 0.
  BitWriter w;
  dynamicHeader(w, kCl, 258, 3, 18);
  w.code(3, 2).bits(65 - 11, 7).code(0, 2);           // 0..64 zero, 'A' 1
  w.code(3, 2).bits(127, 7).code(3, 2).bits(41, 7);   // 138 + 52 zeros, up to 255
  w.code(1, 2).code(2, 2).bits(0, 2).code(0, 2);      // 256: 2, 16 for 257 and distances 0, 1; distance 2: 1
  w.code(0, 1).code(3, 2).code(2, 2).code(3, 2).code(0, 1).code(2, 2);  // 'A', 3 at distance 1, 3 at distance 3, end
  Bytes stream = w.finish();
  const Bytes expected(7, 'A');
  EXPECT_EQ(inflateOk(stream), expected);
  // zlib reads the hand-made stream the same way.
  const uLong adler = adler32(1, expected.data(), uInt(expected.size()));
  for (int i = 0; i < 4; i++) stream[stream.size() - 4 + i] = uint8_t(adler >> (24 - 8 * i));
  Bytes out(16);
  uLongf outLen = uLongf(out.size());
  EXPECT_EQ(uncompress(out.data(), &outLen, stream.data(), uLong(stream.size())), Z_OK);
  EXPECT_EQ(Bytes(out.begin(), out.begin() + long(outLen)), expected);
}

// CINFO 5: an 8 KiB window serves copies 8,192 back, not one byte further.
TEST(InflateHandMade, WindowSizeComesFromTheHeader) {
  Bytes history(9000);
  for (int i = 0; i < 9000; i++) history[i] = uint8_t(i * 7 + i / 251);
  auto stream = [&](uint8_t cmf, int distanceSymbol, int extra, int extraBits) {
    BitWriter w;
    w.bytes[0] = cmf;
    w.block(false, 0).stored(history).block(true, 1).fixed(257);  // length 3
    w.code(uint32_t(distanceSymbol), 5).bits(uint32_t(extra), extraBits).fixed(256);
    return w.finish();
  };
  Bytes out = inflateOk(stream(0x58, 25, 2047, 11));  // 6,145 + 2,047
  ASSERT_EQ(out.size(), 9003u);
  EXPECT_EQ(Bytes(out.end() - 3, out.end()), Bytes(out.end() - 3 - 8192, out.end() - 8192));
  EXPECT_EQ(inflateError(stream(0x58, 26, 0, 12)), InflateStatus::DistanceTooFar);  // 8,193
  out = inflateOk(stream(0x68, 26, 0, 12));
  EXPECT_EQ(Bytes(out.end() - 3, out.end()), Bytes(out.end() - 3 - 8193, out.end() - 8193));
}

TEST(InflateHandMade, InvalidStreamsStopWithTheirError) {
  auto fixedBlock = [] { return BitWriter().block(true, 1).fixed('a'); };
  BitWriter incompleteLit;  // only 'a' (length 1) and end of block (length 2)
  dynamicHeader(incompleteLit, kCl, 257, 1);
  incompleteLit.code(3, 2).bits('a' - 11, 7).code(0, 2).code(3, 2).bits(127, 7).code(3, 2).bits(20 - 11, 7);
  incompleteLit.code(1, 2).code(0, 2).code(0, 1);  // 256: 2, distance 0: 1, then 'a'
  ASSERT_EQ(inflateOk(BitWriter(incompleteLit).code(2, 2).finish()), Bytes({'a'}));
  BitWriter overfullCl, noPrevious, runPastEnd, overfullLit;
  std::vector<int> threeOnes(19, 0);
  threeOnes[0] = threeOnes[1] = threeOnes[2] = 1;
  dynamicHeader(overfullCl, threeOnes, 257, 1);
  dynamicHeader(noPrevious, kCl, 257, 1);
  noPrevious.code(2, 2).bits(0, 2);
  dynamicHeader(runPastEnd, kCl, 257, 1);
  runPastEnd.code(3, 2).bits(127, 7).code(3, 2).bits(127, 7);  // 276 zeros
  dynamicHeader(overfullLit, kCl, 257, 1);  // 257 codes of length 1
  overfullLit.code(0, 2);
  for (int i = 0; i < 85; i++) overfullLit.code(2, 2).bits(0, 2);
  overfullLit.code(0, 2);
  using enum InflateStatus;
  const struct { const char* what; Bytes stream; InflateStatus want; } cases[] = {
      {"block type 3", BitWriter().block(true, 3).finish(), BadBlockType},
      {"symbol 286", fixedBlock().fixed(286).code(0, 5).finish(), BadLengthSymbol},
      {"symbol 287", fixedBlock().fixed(287).code(0, 5).finish(), BadLengthSymbol},
      {"copy before the first byte", fixedBlock().fixed(257).code(1, 5).fixed(256).finish(), DistanceTooFar},
      {"distance symbol 30", fixedBlock().fixed(257).code(30, 5).bits(0, 14).fixed(256).finish(), DistanceTooFar},
      {"input ends in a fixed block", fixedBlock().fixed('a').fixed('a').finish(), InputEnded},
      {"stored block past the data", BitWriter().block(true, 0).stored({'a', 'b'}, 9).finish(), InputEnded},
      {"64 KiB window", Bytes{0x88, 0x01, 0x03, 0x00, 0, 0, 0, 0}, BadWindow},
      {"six bytes with a 64 KiB window", Bytes(6, 0xff), BadWindow},
      {"five bytes: nothing to read", Bytes(5, 0xff), Ok},
      {"over-subscribed code-length code", overfullCl.bits(0, 32).finish(), BadCodeLengths},
      {"16 with nothing to repeat", noPrevious.bits(0, 32).finish(), BadCodeLengths},
      {"zero run past the lists", runPastEnd.bits(0, 32).finish(), BadCodeLengths},
      {"over-subscribed literal code", overfullLit.bits(0, 32).finish(), BadCodeLengths},
      {"11 matches no literal code", incompleteLit.code(3, 2).bits(0, 32).finish(), BadCode},
  };
  for (const auto& c : cases) EXPECT_EQ(inflateError(c.stream), c.want) << c.what;
}

}  // namespace
