// The table-driven inflate against zlib (valid streams of every kind zlib
// writes), against the plain bit-serial decoder (valid and broken streams),
// and on hand-made streams that reach each rule and each error.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "image/inflate.h"
#include "support/reference_inflate.h"

namespace {

using Bytes = std::vector<uint8_t>;

void appendSink(void* context, const uint8_t* bytes, size_t count) {
  static_cast<Bytes*>(context)->insert(static_cast<Bytes*>(context)->end(), bytes, bytes + count);
}

InflateStatus fastInflate(const Bytes& stream, Bytes& out) {
  out.clear();
  return inflateZlibStream(stream.data(), stream.size(), appendSink, &out);
}

Bytes zlibCompress(const Bytes& input, int level, int strategy, int windowBits) {
  z_stream z{};
  EXPECT_EQ(deflateInit2(&z, level, Z_DEFLATED, windowBits, 8, strategy), Z_OK);
  Bytes out(deflateBound(&z, uLong(input.size())) + 16);
  z.next_in = const_cast<Bytes::value_type*>(input.data());
  z.avail_in = uInt(input.size());
  z.next_out = out.data();
  z.avail_out = uInt(out.size());
  EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

// Inputs with the shapes that exercise different parts of a decoder.
std::vector<Bytes> sampleInputs() {
  std::mt19937 rng(7);
  std::vector<Bytes> inputs;
  Bytes noise(5000);
  for (auto& b : noise) b = uint8_t(rng());
  inputs.push_back(noise);

  std::string text;
  const char* words[] = {"scene ", "MSG:", "the ", "player ", "window ", "choice\r\n", "flag "};
  while (text.size() < 70000) text += words[rng() % 7];
  inputs.emplace_back(text.begin(), text.end());

  // Filtered picture rows: smooth gradients with noise, long runs, repeats 30 KiB apart.
  Bytes picture;
  for (int y = 0; y < 160; y++) {
    picture.push_back(uint8_t(y % 5));
    for (int x = 0; x < 700; x++) {
      int v = (x * 3 + y * 2) / 5 + int(rng() % 7);
      picture.push_back(uint8_t(x < 100 ? 0 : v));
    }
  }
  Bytes tail(picture.begin(), picture.begin() + 30000);
  picture.insert(picture.end(), tail.begin(), tail.end());
  inputs.push_back(picture);

  inputs.push_back(Bytes(1, 'x'));
  inputs.push_back(Bytes(100000, 0));
  return inputs;
}

TEST(InflateAgainstZlib, EveryLevelStrategyAndWindowGivesTheOriginalBytes) {
  const int strategies[] = {Z_DEFAULT_STRATEGY, Z_FILTERED, Z_HUFFMAN_ONLY, Z_RLE, Z_FIXED};
  const std::vector<Bytes> inputs = sampleInputs();
  for (size_t i = 0; i < inputs.size(); i++) {
    for (int level = 0; level <= 9; level++) {
      for (int strategy : strategies) {
        for (int windowBits = 9; windowBits <= 15; windowBits++) {
          Bytes stream = zlibCompress(inputs[i], level, strategy, windowBits);
          Bytes out;
          ASSERT_EQ(fastInflate(stream, out), InflateStatus::Ok)
              << "input " << i << " level " << level << " strategy " << strategy << " window "
              << windowBits;
          ASSERT_EQ(out, inputs[i]) << "input " << i << " level " << level << " strategy "
                                    << strategy << " window " << windowBits;
        }
      }
    }
  }
}

TEST(InflateAgainstZlib, PlainDecoderAgreesOnZlibStreams) {
  const std::vector<Bytes> inputs = sampleInputs();
  for (const Bytes& input : inputs) {
    for (int level : {0, 1, 6, 9}) {
      Bytes stream = zlibCompress(input, level, Z_DEFAULT_STRATEGY, 15);
      Bytes out;
      ASSERT_EQ(reference::inflate(stream.data(), stream.size(), out), InflateStatus::Ok);
      ASSERT_EQ(out, input);
    }
  }
}

// Damaged streams: both decoders fail or succeed together, agree on every
// byte when they succeed, and the fast one never hands on a byte the plain
// one would not have produced.
TEST(InflateAgainstReference, BrokenStreamsGiveTheSameOutcome) {
  std::mt19937 rng(11);
  const std::vector<Bytes> inputs = sampleInputs();
  std::vector<Bytes> streams;
  for (const Bytes& input : inputs) {
    Bytes small(input.begin(), input.begin() + std::min<size_t>(input.size(), 3000));
    for (int strategy : {Z_DEFAULT_STRATEGY, Z_FIXED, Z_HUFFMAN_ONLY})
      streams.push_back(zlibCompress(small, 6, strategy, 15));
  }
  auto sameOutcome = [](const Bytes& stream) {
    Bytes fast, plain;
    InflateStatus a = fastInflate(stream, fast);
    InflateStatus b = reference::inflate(stream.data(), stream.size(), plain);
    // Where a code runs into the end of the input the two may name it differently.
    auto kind = [](InflateStatus s) {
      return s == InflateStatus::BadCode ? InflateStatus::InputEnded : s;
    };
    ASSERT_EQ(kind(a), kind(b)) << inflateStatusText(a) << " / " << inflateStatusText(b);
    if (a == InflateStatus::Ok) {
      ASSERT_EQ(fast, plain);
    } else {
      ASSERT_LE(fast.size(), plain.size());
      ASSERT_TRUE(std::equal(fast.begin(), fast.end(), plain.begin()));
    }
  };
  for (const Bytes& stream : streams) {
    for (size_t cut = 0; cut <= stream.size(); cut += 1 + cut / 64) {
      sameOutcome(Bytes(stream.begin(), stream.begin() + long(cut)));
    }
    for (int trial = 0; trial < 400; trial++) {
      Bytes broken = stream;
      int flips = 1 + int(rng() % 4);
      for (int f = 0; f < flips; f++) broken[2 + rng() % (broken.size() - 2)] ^= uint8_t(1 << (rng() % 8));
      sameOutcome(broken);
    }
  }
  for (int trial = 0; trial < 3000; trial++) {
    Bytes noise(6 + rng() % 200);
    for (auto& b : noise) b = uint8_t(rng());
    noise[0] = uint8_t(noise[0] & 0x7f);
    sameOutcome(noise);
  }
}

// ---- Hand-made streams --------------------------------------------------

struct BitWriter {
  Bytes bytes{0x78, 0x01};  // CMF (32 KiB window), FLG
  int used = 8;             // bits used in the last byte
  void bits(uint32_t value, int n) {  // least significant bit first
    for (int i = 0; i < n; i++) {
      if (used == 8) bytes.push_back(0), used = 0;
      bytes.back() |= uint8_t(((value >> i) & 1) << used++);
    }
  }
  void code(uint32_t code, int n) {  // Huffman codes: most significant bit first
    for (int i = n - 1; i >= 0; i--) bits((code >> i) & 1, 1);
  }
  void align() { used = 8; }
  void byte(uint8_t b) { align(), bytes.push_back(b); }
  Bytes finish() {  // the four checksum bytes are never read
    Bytes out = bytes;
    out.insert(out.end(), {0, 0, 0, 0});
    return out;
  }
};

// Fixed code: literal/length symbol and distance symbol.
void fixedSymbol(BitWriter& w, int s) {
  if (s < 144) w.code(0x30 + s, 8);
  else if (s < 256) w.code(0x190 + s - 144, 9);
  else if (s < 280) w.code(s - 256, 7);
  else w.code(0xc0 + s - 280, 8);
}

std::vector<uint32_t> canonicalCodes(const std::vector<int>& lengths) {
  int count[16] = {};
  for (int l : lengths) count[l]++;
  count[0] = 0;
  uint32_t next[16] = {};
  uint32_t code = 0;
  for (int len = 1; len < 16; len++) next[len] = code = (code + count[len - 1]) << 1;
  std::vector<uint32_t> codes(lengths.size());
  for (size_t s = 0; s < lengths.size(); s++)
    if (lengths[s]) codes[s] = next[lengths[s]]++;
  return codes;
}

Bytes inflateOk(const Bytes& stream) {
  Bytes fast, plain;
  EXPECT_EQ(fastInflate(stream, fast), InflateStatus::Ok);
  EXPECT_EQ(reference::inflate(stream.data(), stream.size(), plain), InflateStatus::Ok);
  EXPECT_EQ(fast, plain);
  return fast;
}

InflateStatus inflateError(const Bytes& stream) {
  Bytes fast, plain;
  InflateStatus a = fastInflate(stream, fast);
  EXPECT_EQ(a, reference::inflate(stream.data(), stream.size(), plain));
  return a;
}

// A stored block, then a fixed block that copies from the stored bytes.
TEST(InflateHandMade, StoredBytesPassThroughAndServeAsHistory) {
  BitWriter w;
  w.bits(0, 1), w.bits(0, 2);
  w.align();
  for (uint8_t b : Bytes{5, 0, 0xfa, 0xff, 'h', 'e', 'l', 'l', 'o'}) w.byte(b);
  w.bits(1, 1), w.bits(1, 2);
  fixedSymbol(w, 259);       // length 5
  w.code(4, 5), w.bits(0, 1);  // distance symbol 4: 5 + 0
  fixedSymbol(w, 256);
  EXPECT_EQ(inflateOk(w.finish()), Bytes({'h', 'e', 'l', 'l', 'o', 'h', 'e', 'l', 'l', 'o'}));
}

// NLEN is not compared, LEN 0 is an empty block, and a header that ends on
// bit 7 takes LEN from the very next byte.
TEST(InflateHandMade, StoredBlockBoundaries) {
  BitWriter w;
  w.bits(0, 1), w.bits(0, 2);
  w.byte(0), w.byte(0), w.byte(0x12), w.byte(0x34);  // LEN 0, NLEN not its complement
  w.bits(0, 1), w.bits(1, 2);
  fixedSymbol(w, 200), fixedSymbol(w, 201), fixedSymbol(w, 202), fixedSymbol(w, 256);
  ASSERT_EQ(w.used, 5);  // 3 + 3 * 9 + 7 bits
  w.bits(1, 1), w.bits(0, 2);
  ASSERT_EQ(w.used, 8);
  w.bytes.insert(w.bytes.end(), {2, 0, 0xfd, 0xff, 'c', 'd'});
  EXPECT_EQ(inflateOk(w.finish()), Bytes({200, 201, 202, 'c', 'd'}));
}

TEST(InflateHandMade, DistanceOneLength258RepeatsTheLastByte) {
  BitWriter w;
  w.bits(1, 1), w.bits(1, 2);
  fixedSymbol(w, 'z');
  fixedSymbol(w, 285);
  w.code(0, 5);
  fixedSymbol(w, 284), w.bits(31, 5);  // 227 + 31: also 258
  w.code(0, 5);
  fixedSymbol(w, 256);
  EXPECT_EQ(inflateOk(w.finish()), Bytes(1 + 258 + 258, 'z'));
}

// Dynamic block: 18 for 138 zeros, and a 16 that repeats the last literal/
// length code length on into the distance code lengths.
TEST(InflateHandMade, CodeLengthRepeatsCrossIntoDistanceLengths) {
  std::vector<int> lit(258, 0), dist(3, 0);
  lit['A'] = 1, lit[256] = 2, lit[257] = 2;
  dist[0] = 2, dist[1] = 2, dist[2] = 1;
  std::vector<int> cl(19, 0);
  cl[1] = cl[2] = cl[16] = cl[18] = 2;
  auto clCodes = canonicalCodes(cl);
  auto litCodes = canonicalCodes(lit), distCodes = canonicalCodes(dist);

  BitWriter w;
  w.bits(1, 1), w.bits(2, 2);
  w.bits(258 - 257, 5), w.bits(3 - 1, 5), w.bits(18 - 4, 4);
  const int order[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
  for (int i = 0; i < 18; i++) w.bits(uint32_t(cl[order[i]]), 3);
  auto put = [&](int symbol) { w.code(clCodes[symbol], cl[symbol]); };
  put(18), w.bits(65 - 11, 7);   // symbols 0..64
  put(1);                        // 'A'
  put(18), w.bits(138 - 11, 7);  // 138 zeros
  put(18), w.bits(52 - 11, 7);   // up to 255
  put(2);                        // 256
  put(16), w.bits(0, 2);         // 257, distance 0 and 1 all length 2
  put(1);                        // distance 2
  w.code(litCodes['A'], 1);
  w.code(litCodes[257], 2), w.code(distCodes[0], 2);  // length 3, distance 1
  w.code(litCodes[257], 2), w.code(distCodes[2], 1);  // length 3, distance 3
  w.code(litCodes[256], 2);
  Bytes stream = w.finish();
  const Bytes expected(7, 'A');
  EXPECT_EQ(inflateOk(stream), expected);

  // zlib reads the hand-made stream the same way.
  uLong adler = adler32(1, expected.data(), uInt(expected.size()));
  for (int i = 0; i < 4; i++) stream[stream.size() - 4 + i] = uint8_t(adler >> (24 - 8 * i));
  Bytes out(16);
  uLongf outLen = uLongf(out.size());
  EXPECT_EQ(uncompress(out.data(), &outLen, stream.data(), uLong(stream.size())), Z_OK);
  EXPECT_EQ(Bytes(out.begin(), out.begin() + long(outLen)), expected);
}

TEST(InflateHandMade, LastBlockWithoutFinalBitStopsAtTheInputEnd) {
  BitWriter w;
  w.bits(0, 1), w.bits(0, 2);
  w.align();
  for (uint8_t b : Bytes{3, 0, 0xfc, 0xff, 'e', 'n', 'd'}) w.byte(b);
  EXPECT_EQ(inflateOk(w.finish()), Bytes({'e', 'n', 'd'}));
}

// CINFO 5: an 8 KiB window serves copies 8,192 back, not one byte further.
TEST(InflateHandMade, WindowSizeComesFromTheHeader) {
  auto stream = [](uint8_t cmf, int distanceSymbol, int extra, int extraBits) {
    BitWriter w;
    w.bytes[0] = cmf;
    w.bits(0, 1), w.bits(0, 2);
    w.align();
    w.bytes.insert(w.bytes.end(), {0x28, 0x23, 0xd7, 0xdc});  // 9,000 stored bytes
    for (int i = 0; i < 9000; i++) w.bytes.push_back(uint8_t(i * 7 + i / 251));
    w.bits(1, 1), w.bits(1, 2);
    fixedSymbol(w, 257);  // length 3
    w.code(uint32_t(distanceSymbol), 5), w.bits(uint32_t(extra), extraBits);
    fixedSymbol(w, 256);
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
  {  // block type 3
    BitWriter w;
    w.bits(1, 1), w.bits(3, 2);
    EXPECT_EQ(inflateError(w.finish()), InflateStatus::BadBlockType);
  }
  for (int symbol : {286, 287}) {
    BitWriter w;
    w.bits(1, 1), w.bits(1, 2);
    fixedSymbol(w, 'a'), fixedSymbol(w, symbol), w.code(0, 5);
    EXPECT_EQ(inflateError(w.finish()), InflateStatus::BadLengthSymbol);
  }
  {  // a copy before the first byte
    BitWriter w;
    w.bits(1, 1), w.bits(1, 2);
    fixedSymbol(w, 'a'), fixedSymbol(w, 257), w.code(1, 5), fixedSymbol(w, 256);
    EXPECT_EQ(inflateError(w.finish()), InflateStatus::DistanceTooFar);
  }
  {  // distance symbol 30 is always too far back
    BitWriter w;
    w.bits(1, 1), w.bits(1, 2);
    fixedSymbol(w, 'a'), fixedSymbol(w, 257), w.code(30, 5), w.bits(0, 14), fixedSymbol(w, 256);
    EXPECT_EQ(inflateError(w.finish()), InflateStatus::DistanceTooFar);
  }
  {  // the input ends inside a fixed block
    BitWriter w;
    w.bits(1, 1), w.bits(1, 2);
    for (int i = 0; i < 10; i++) fixedSymbol(w, 'a');
    Bytes stream = w.finish();
    EXPECT_EQ(inflateError(stream), InflateStatus::InputEnded);
  }
  {  // a stored block longer than the data
    BitWriter w;
    w.bits(1, 1), w.bits(0, 2);
    w.align();
    for (uint8_t b : Bytes{9, 0, 0xf6, 0xff, 'a', 'b'}) w.byte(b);
    EXPECT_EQ(inflateError(w.finish()), InflateStatus::InputEnded);
  }
  {  // CINFO 8 would need a 64 KiB window
    Bytes stream = {0x88, 0x01, 0x03, 0x00, 0, 0, 0, 0};
    EXPECT_EQ(inflateError(stream), InflateStatus::BadWindow);
  }
}

// Dynamic headers whose code sets are broken.
TEST(InflateHandMade, BrokenCodeSetsAreRefused) {
  auto header = [](BitWriter& w, const std::vector<int>& cl, int nlen, int ndist) {
    w.bits(1, 1), w.bits(2, 2);
    w.bits(uint32_t(nlen - 257), 5), w.bits(uint32_t(ndist - 1), 5), w.bits(19 - 4, 4);
    const int order[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
    for (int i = 0; i < 19; i++) w.bits(uint32_t(cl[order[i]]), 3);
  };
  {  // over-subscribed code-length code: three codes of one bit
    std::vector<int> cl(19, 0);
    cl[0] = cl[1] = cl[2] = 1;
    BitWriter w;
    header(w, cl, 257, 1);
    w.bits(0, 32);
    EXPECT_EQ(inflateError(w.finish()), InflateStatus::BadCodeLengths);
  }
  std::vector<int> cl(19, 0);
  cl[1] = cl[2] = cl[16] = cl[18] = 2;  // codes 00, 01, 10, 11
  {  // 16 with nothing to repeat
    BitWriter w;
    header(w, cl, 257, 1);
    w.code(2, 2), w.bits(0, 2);
    w.bits(0, 32);
    EXPECT_EQ(inflateError(w.finish()), InflateStatus::BadCodeLengths);
  }
  {  // a zero run past the end of the lists
    BitWriter w;
    header(w, cl, 257, 1);
    w.code(3, 2), w.bits(127, 7);  // 138
    w.code(3, 2), w.bits(127, 7);  // 276
    w.bits(0, 32);
    EXPECT_EQ(inflateError(w.finish()), InflateStatus::BadCodeLengths);
  }
  {  // literal lengths that over-subscribe: 257 codes of length 1
    BitWriter w;
    header(w, cl, 257, 1);
    w.code(0, 2);
    for (int i = 0; i < 85; i++) w.code(2, 2), w.bits(0, 2);
    w.code(0, 2);
    w.bits(0, 32);
    EXPECT_EQ(inflateError(w.finish()), InflateStatus::BadCodeLengths);
  }
  {  // incomplete literal code: only 'a' (length 1) and end of block (length 2)
    BitWriter w;
    header(w, cl, 257, 1);
    w.code(3, 2), w.bits('a' - 11, 7);
    w.code(0, 2);                  // 'a': 1
    w.code(3, 2), w.bits(127, 7);  // 138 zeros
    w.code(3, 2), w.bits(20 - 11, 7);
    w.code(1, 2);                  // 256: 2
    w.code(0, 2);                  // distance 0: 1
    w.code(0, 1), w.code(2, 2);    // 'a', end of block
    EXPECT_EQ(inflateOk(w.finish()), Bytes({'a'}));
  }
  {  // ... and the pattern 11 matches nothing in it
    BitWriter w;
    header(w, cl, 257, 1);
    w.code(3, 2), w.bits('a' - 11, 7);
    w.code(0, 2);
    w.code(3, 2), w.bits(127, 7);
    w.code(3, 2), w.bits(20 - 11, 7);
    w.code(1, 2);
    w.code(0, 2);
    w.code(0, 1), w.code(3, 2), w.bits(0, 32);
    EXPECT_EQ(inflateError(w.finish()), InflateStatus::BadCode);
  }
}

TEST(InflateHandMade, TooShortStreamsProduceNothing) {
  Bytes out;
  for (size_t n = 0; n <= 6; n++) {
    Bytes stream(n, 0xff);
    EXPECT_EQ(inflateZlibStream(stream.data(), n, appendSink, &out), n == 6
                                                                       ? InflateStatus::BadWindow
                                                                       : InflateStatus::Ok);
    EXPECT_TRUE(out.empty());
  }
}

}  // namespace
