// The AVX2 kernels against the portable code they stand in for, byte for
// byte, on the shapes where vector code goes wrong: odd sizes, tails, the
// edges of the frame, values that wrap. Under TAVINO_PORTABLE=1 (a CTest run
// of its own) the start-up choice is the portable code, which the checks
// against formulas and zlib then cover.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "display/display.h"
#include "image/inflate.h"
#include "image/jpeg_colour.h"
#include "image/jpeg_decoder.h"
#include "image/vector_paths.h"
#include "scenario/engine_state.h"
#include "support/jpeg_support.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Runs `work` with the portable code, then with AVX2, and restores the
// start-up choice; false when this machine has no AVX2.
template <typename Work>
bool bothPaths(Work work) {
  const bool initial = avx2PathsEnabled();
  chooseAvx2Paths(false);
  work(false);
  const bool avx2 = chooseAvx2Paths(true);
  if (avx2) work(true);
  chooseAvx2Paths(initial);
  return avx2;
}

}  // namespace

TEST(FastPaths, ScalerGivesTheSameBytesOnEveryPath) {
  std::mt19937 rng(5);
  for (int i = 0; i < kFrameBytes; i++) gHaikeiBits[i] = uint8_t(rng() >> 7);
  const struct { int sw, sh, dw, dh; } sizes[] = {
      {1920, 1080, 1280, 720}, {1920, 1080, 848, 636}, {640, 480, 1440, 1080},
      {1920, 1080, 1920, 1080}, {7, 5, 3, 2}, {13, 9, 29, 17}, {1, 1, 5, 3}, {1920, 1080, 1, 1}};
  for (const auto& s : sizes) {
    Bytes portable, avx2;
    bothPaths([&](bool vector) {
      std::memset(gUraCash, 0xA5, kFrameBytes);
      rOPGresize(gUraCash, s.dw, s.dh, gHaikeiBits, s.sw, s.sh);
      (vector ? avx2 : portable).assign(gUraCash, gUraCash + kFrameBytes);
    });
    if (!avx2.empty()) {
      ASSERT_TRUE(avx2 == portable) << s.sw << "x" << s.sh << " to " << s.dw << "x" << s.dh;
    }
    // Nothing past the destination picture is written.
    EXPECT_EQ(portable[size_t(s.dw) * 3], s.dw < kFrameW ? 0xA5 : portable[size_t(s.dw) * 3]);
  }
}

TEST(FastPaths, JpegDecodesTheSameOnEveryPath) {
  const struct { int width, height, components, hs, vs; } pictures[] = {
      {101, 37, 3, 2, 2}, {64, 16, 3, 2, 1}, {33, 17, 3, 1, 1}, {19, 23, 1, 1, 1}, {8, 8, 3, 1, 2}};
  for (const auto& p : pictures) {
    const Bytes file = libjpegEncode(photograph(p.width, p.height), {p.hs, p.vs, p.components == 1, 0, 0, false, 95});
    Bytes out[2];
    const bool avx2 = bothPaths([&](bool vector) {
      JpegPicture picture;
      Bytes& o = out[vector];
      o.assign(size_t(p.width) * p.height * 3 + 64, 0x5A);
      ASSERT_EQ(jpegDecode(file.data(), file.size(), o.data(), o.size() - 64, picture),
                JpegError::None);
      for (size_t i = o.size() - 64; i < o.size(); i++) ASSERT_EQ(o[i], 0x5A) << "wrote past the rows";
    });
    if (avx2) {
      EXPECT_TRUE(out[0] == out[1]) << p.width << "x" << p.height << " " << p.hs << "x" << p.vs;
    }
  }
}

TEST(FastPaths, HalfResolutionChromaAndShortRowsFollowThePerPixelFormula) {
  std::mt19937 rng(9);
  for (int count : {1, 7, 8, 9, 15, 16, 17, 31, 64}) {
    std::vector<int32_t> y(count), cb(count), cr(count), terms[4];
    for (int i = 0; i < count; i++)
      for (int32_t* v : {&y[i], &cb[i], &cr[i]})  // wrapping extremes, overshoot and plain samples
        *v = rng() % 3 == 0 ? int32_t(rng()) : int32_t(rng() % 1400) - 600;
    const int half = (count + 1) / 2;
    for (auto& t : terms) t.assign(size_t(half), 0);
    jpegCrTerms(cr.data(), half, terms[0].data(), terms[1].data());
    jpegCbTerms(cb.data(), half, terms[2].data(), terms[3].data());
    Bytes row(size_t(count) * 3 + 8, 0xEE);
    const JpegMcuRows mcu{y.data(), 0, {terms[0].data(), terms[1].data(), 0, 1},
                          {terms[2].data(), terms[3].data(), 0, 1}, 2};
    jpegMcuToRgb(mcu, 1, count, row.data(), 0, 0);
    for (int i = 0; i < count; i++) {
      uint8_t want[3];
      jpegYccToRgb(y[i], cb[i / 2], cr[i / 2], want);
      ASSERT_EQ(Bytes(row.begin() + 3 * i, row.begin() + 3 * i + 3), Bytes(want, want + 3))
          << "pixel " << i << " of " << count;
    }
    EXPECT_EQ(row[size_t(count) * 3], 0xEE) << "wrote past the row of " << count;
  }
}

TEST(FastPaths, PresenterConvertsEveryPixelOfTheFrame) {
  std::mt19937 rng(2);
  for (int i = 0; i < kFrameBytes; i++) gUra[i] = uint8_t(rng());
  SDLview();  // no window: only the conversion runs
  for (int i = 0; i < kFrameW * kFrameH; i++) {
    const uint8_t* p = gUra + 3 * i;
    ASSERT_EQ(pix[i], uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2]) << "pixel " << i;
  }
}

TEST(FastPaths, InflateCopiesShortRepeatsAndLiteralPairsLikeZlib) {
  std::mt19937 rng(4);
  Bytes input;
  for (int period = 2; period <= 17; period++) {  // every short distance, long matches
    Bytes pattern(static_cast<size_t>(period), 0);
    for (auto& b : pattern) b = uint8_t(rng());
    for (int i = 0; i < 600; i++) input.push_back(pattern[size_t(i % period)]);
    for (int i = 0; i < 300; i++) input.push_back(uint8_t(rng() % 7));  // short literal codes
  }
  Bytes stream(compressBound(uLong(input.size())));
  uLongf n = uLongf(stream.size());
  ASSERT_EQ(compress2(stream.data(), &n, input.data(), uLong(input.size()), 9), Z_OK);
  stream.resize(n);
  Bytes out;
  auto sink = [](void* context, const uint8_t* bytes, size_t count) {
    auto* o = static_cast<Bytes*>(context);
    o->insert(o->end(), bytes, bytes + count);
  };
  ASSERT_EQ(inflateZlibStream(stream.data(), stream.size(), sink, &out), InflateStatus::Ok);
  EXPECT_TRUE(out == input);
}
