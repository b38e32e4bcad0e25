// The JPEG decoder: libjpeg-made files against the player's arithmetic on
// libjpeg's own coefficients, hand-made streams for restarts and refusals,
// and the loader's cache, drawing, messages and decode tool.
#include <gtest/gtest.h>
#include <jpeglib.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "display/display.h"
#include "image/jpeg_bits.h"
#include "image/jpeg_decoder.h"
#include "image/loaders.h"
#include "scenario/engine_state.h"
#include "support/image_support.h"
#include "support/jpeg_support.h"

namespace {

int32_t wrap32(int64_t v) { return int32_t(uint32_t(uint64_t(v))); }

// The IDCT as the plain double sum of truncated cosine products, term by term,
// in wrapping 32-bit arithmetic.
void directIdct(const int32_t* coef, int32_t* out) {
  static const std::vector<int32_t> cosines = [] {
    std::vector<int32_t> t(4096);
    for (int i = 0; i < 4096; i++)
      t[i] = int32_t(2048.0 * std::cos((2 * (i / 8 % 8) + 1) * (i % 8) * M_PI / 16) *
                     std::cos((2 * (i / 512) + 1) * (i / 64 % 8) * M_PI / 16));
    return t;
  }();
  for (int i = 0; i < 64; i++) {
    int32_t sum = 0;
    for (int j = 0; j < 64; j++) {
      const int64_t f = coef[j], t = cosines[512 * (i / 8) + 64 * (j / 8) + 8 * (i % 8) + j % 8];
      const int scale = j == 0 ? 512 : j < 8 || j % 8 == 0 ? 724 : 0;
      sum = wrap32(int64_t(sum) + (scale ? wrap32(int64_t(wrap32(f * scale)) * t) >> 10 : wrap32(f * t)));
    }
    out[i] = (sum >> 13) + 128;
  }
}

// The player's arithmetic applied to the coefficients libjpeg's own entropy
// decoder finds: dequantisation, direct IDCT, chroma repeated, colour in hundredths.
Picture referenceDecode(const Bytes& file) {
  jpeg_decompress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, file.data(), file.size());
  jpeg_read_header(&cinfo, TRUE);
  jvirt_barray_ptr* arrays = jpeg_read_coefficients(&cinfo);
  const int nc = cinfo.num_components;
  std::vector<std::vector<int32_t>> planes(nc);  // samples, 8 * width_in_blocks a row
  for (int c = 0; c < nc; c++) {
    const jpeg_component_info& comp = cinfo.comp_info[c];
    const int stride = int(comp.width_in_blocks) * 8;
    planes[c].resize(size_t(stride) * comp.height_in_blocks * 8);
    for (JDIMENSION by = 0; by < comp.height_in_blocks; by++) {
      JBLOCKARRAY row = cinfo.mem->access_virt_barray((j_common_ptr)&cinfo, arrays[c], by, 1, FALSE);
      for (JDIMENSION bx = 0; bx < comp.width_in_blocks; bx++) {
        int32_t coef[64], samples[64];
        for (int i = 0; i < 64; i++) coef[i] = wrap32(int64_t(row[0][bx][i]) * comp.quant_table->quantval[i]);
        directIdct(coef, samples);
        for (int i = 0; i < 64; i++) planes[c][(by * 8 + i / 8) * stride + bx * 8 + i % 8] = samples[i];
      }
    }
  }
  Picture out{int(cinfo.image_width), int(cinfo.image_height), {}};
  auto clamp = [](int v) { return uint8_t(std::clamp(v, 0, 255)); };
  for (int y = 0; y < out.height; y++)
    for (int x = 0; x < out.width; x++) {
      int32_t ycc[3] = {0, 128, 128};
      for (int c = 0; c < nc; c++) {
        const jpeg_component_info& comp = cinfo.comp_info[c];
        const int sx = x / (cinfo.max_h_samp_factor / comp.h_samp_factor);
        const int sy = y / (cinfo.max_v_samp_factor / comp.v_samp_factor);
        ycc[c] = planes[c][size_t(sy) * comp.width_in_blocks * 8 + sx];
      }
      out.pixels.insert(out.pixels.end(), {clamp(ycc[0] + (140 * ycc[2] - 17920) / 100),
                                           clamp(ycc[0] - (34 * ycc[1] - 4352) / 100 - (71 * ycc[2] - 9088) / 100),
                                           clamp(ycc[0] + (177 * ycc[1] - 22656) / 100)});
    }
  jpeg_destroy_decompress(&cinfo);
  return out;
}

// The player's decoder, rows turned top-down.
JpegError playerDecode(const Bytes& file, Picture* out = nullptr) {
  static Bytes buffer(kWorkBufferSize);
  JpegPicture picture;
  const JpegError e = jpegDecode(file.data(), file.size(), buffer.data(), buffer.size(), picture);
  const size_t rowBytes = size_t(picture.width) * 3;
  if (out) *out = Picture{picture.width, picture.height, {}};
  for (int r = 0; out && e == JpegError::None && r < picture.height; r++) {
    const auto row = buffer.begin() + long(rowBytes * (picture.height - 1 - r));
    out->pixels.insert(out->pixels.end(), row, row + long(rowBytes));
  }
  return e;
}
Picture playerPicture(const Bytes& file) {
  Picture out;
  EXPECT_EQ(playerDecode(file, &out), JpegError::None);
  return out;
}

Bytes cat(const std::vector<Bytes>& parts) {
  Bytes out;
  for (auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}
// Where the first segment of `marker` starts.
size_t segmentAt(const Bytes& file, uint8_t marker) {
  size_t p = 2;
  while (file[p + 1] != marker) p += 2 + (size_t(file[p + 2]) << 8 | file[p + 3]);
  return p;
}
// The file with bytes of its first `marker` segment replaced: {offset in the segment, value}.
Bytes edited(Bytes file, uint8_t marker, std::initializer_list<std::pair<size_t, uint8_t>> changes) {
  const size_t at = segmentAt(file, marker);
  for (auto [offset, value] : changes) file[at + offset] = value;
  return file;
}

// Bits written as '0'/'1' characters, padded with ones, 0xFF stuffed.
Bytes entropy(const std::string& bits) {
  std::string padded = bits;
  while (padded.size() % 8) padded += '1';
  Bytes out;
  for (size_t i = 0; i < padded.size(); i += 8) {
    out.push_back(uint8_t(std::stoi(padded.substr(i, 8), nullptr, 2)));
    if (out.back() == 0xFF) out.push_back(0);
  }
  return out;
}

struct HandMade {
  int width = 8, height = 8, restartInterval = -1;  // -1: no DRI segment
  Bytes acExtra = {};     // AC symbols with 2-bit codes 10, 11 beside EOB = 0
  bool eobIsOne = false;  // instead: AC table {0x01: "0", EOB: "1"}
  int sampling = 0x11;
  Bytes scan = {};  // entropy-coded data, markers included
  bool eoi = true;
};

// A one-component picture: DC table {0: "0", 1: "1"}, DC quantiser 8 (a DC
// coefficient of 1 lifts the samples by 1), AC quantisers 1.
Bytes handMade(const HandMade& m) {
  Bytes f = {0xFF, 0xD8, 0xFF, 0xDB, 0x00, 0x43, 0x00, 8};
  f.insert(f.end(), 63, 1);
  f.insert(f.end(), {0xFF, 0xC0, 0x00, 0x0B, 0x08, uint8_t(m.height >> 8), uint8_t(m.height), uint8_t(m.width >> 8),
                     uint8_t(m.width), 0x01, 0x01, uint8_t(m.sampling), 0x00});
  f.insert(f.end(), {0xFF, 0xC4, 0x00, 0x15, 0x00, 2});
  f.insert(f.end(), 15, 0);
  f.insert(f.end(), {0, 1});
  const Bytes& extra = m.acExtra;
  f.insert(f.end(), {0xFF, 0xC4, 0x00, uint8_t(0x14 + (m.eobIsOne ? 1 : extra.size())), 0x10});
  if (m.eobIsOne) {
    f.push_back(2), f.insert(f.end(), 15, 0), f.insert(f.end(), {0x01, 0x00});
  } else {
    f.insert(f.end(), {1, uint8_t(extra.size())}), f.insert(f.end(), 14, 0), f.push_back(0x00);
    f.insert(f.end(), extra.begin(), extra.end());
  }
  if (m.restartInterval >= 0)
    f.insert(f.end(), {0xFF, 0xDD, 0x00, 0x04, uint8_t(m.restartInterval >> 8), uint8_t(m.restartInterval)});
  f.insert(f.end(), {0xFF, 0xDA, 0x00, 0x08, 0x01, 0x01, 0x00, 0x00, 0x3F, 0x00});
  f.insert(f.end(), m.scan.begin(), m.scan.end());
  if (m.eoi) f.insert(f.end(), {0xFF, 0xD9});
  return f;
}

Bytes progressive(const Bytes& file) { return edited(file, 0xC0, {{1, 0xC2}}); }

}  // namespace

TEST(JpegPictures, LibjpegFilesMatchTheReferenceArithmetic) {
  const struct { const char* name; int w, h; EncodeOptions o; } cases[] = {
      {"4:4:4 64x48", 64, 48, {1, 1}},
      {"4:2:2 100x75", 100, 75, {2, 1}},
      {"4:2:0 100x600", 100, 600, {2, 2}},
      {"4:2:0 227x149 optimised", 227, 149, {2, 2, false, 0, 0, true}},
      {"grey 101x67", 101, 67, {1, 1, true}},
      {"4:2:0 restart every row 190x90", 190, 90, {2, 2, false, 1}},
      {"4:4:4 restart every 3 MCUs 61x29", 61, 29, {1, 1, false, 0, 3}},
      {"4:2:0 restart every MCU q100 77x41", 77, 41, {2, 2, false, 0, 1, false, 100}},
      {"grey restart every 5 MCUs optimised 50x9", 50, 9, {1, 1, true, 0, 5, true}},
      {"4:2:0 1x1", 1, 1, {2, 2}},
  };
  std::vector<std::pair<std::string, Bytes>> files;  // and two corpus files
  for (const auto& c : cases) files.push_back({c.name, libjpegEncode(photograph(c.w, c.h), c.o)});
  for (const char* name : {"testorig.jpg", "testimgint.jpg"})
    files.push_back({name, toBytes(readFile(corpusPath(std::string("jpg-libjpeg-turbo/") + name)))});
  for (const auto& [name, file] : files) {
    const Picture ours = playerPicture(file), ref = referenceDecode(file);
    ASSERT_TRUE(ours.width == ref.width && ours.height == ref.height) << name;
    ASSERT_TRUE(ours.pixels == ref.pixels) << name << ": differs from the reference arithmetic";
  }
}

// Two MCUs: the first has DC difference +1, the second 0. Their first samples
// show whether the predictor was reset.
TEST(JpegRestarts, PredictorsResetAtAnyRstAndEoiEndsQuietly) {
  const Bytes first = entropy("110"), second = entropy("00");
  const struct { const char* what; int interval; Bytes scan; bool eobIsOne, eoi; JpegError want; int second; } cases[] = {
      {"RST6 where RST0 is due; the last interval ends at EOI", 1, cat({first, {0xFF, 0xD6}, second}), false, true,
       JpegError::None, 128},
      {"an interval ending in 0xFF: its stuffing byte comes before the marker", 1,
       cat({entropy("111"), {0xFF, 0xD1}, entropy("01")}), true, true, JpegError::None, 128},
      {"nothing where the last interval ends", 1, cat({first, {0xFF, 0xD0}, second}), false, false,
       JpegError::BadRestart, 0},
      {"interval 0", 0, cat({first, {0xFF, 0xD0}, second}), false, true, JpegError::ZeroRestartInterval, 0},
  };
  for (const auto& c : cases) {
    Picture out;
    const HandMade m{.width = 16, .restartInterval = c.interval, .eobIsOne = c.eobIsOne, .scan = c.scan, .eoi = c.eoi};
    ASSERT_EQ(playerDecode(handMade(m), &out), c.want) << c.what;
    if (c.want == JpegError::None) {
      EXPECT_EQ(std::pair(int(out.pixels[0]), int(out.pixels[24])), std::pair(129, c.second)) << c.what;
    }
  }
}

TEST(JpegRefusals, FramesOutsideTheSubsetAndBrokenEntropyDataAreRefused) {
  const Bytes good = libjpegEncode(photograph(16, 16));
  auto frame = [&](std::initializer_list<std::pair<size_t, uint8_t>> changes) { return edited(good, 0xC0, changes); };
  Bytes noScan(good.begin(), good.begin() + long(segmentAt(good, 0xDA)));
  noScan.insert(noScan.end(), {0xFF, 0xFE, 0x00, 0x03, 'x'});  // ends on a comment
  const std::pair<Bytes, JpegError> cases[] = {
      {handMade({.sampling = 0x42, .scan = entropy("00")}), JpegError::None},  // one component: one block
      {handMade({.height = 1081}), JpegError::TooLarge},
      {toBytes(readFile(corpusPath("jpg-libjpeg-turbo/testimgari.jpg"))), JpegError::NoFrame},
      {toBytes(readFile(corpusPath("jpg-libjpeg-turbo/monkey12.jpg"))), JpegError::NoFrame},
      {frame({{14, 0x02}}), JpegError::BadSampling},  // H of 0
      {frame({{11, 0x31}, {14, 0x21}}), JpegError::BadSampling},
      {frame({{12, 2}}), JpegError::BadTableId},
      {frame({{9, 4}}), JpegError::BadComponents},
      {frame({{1, 0xC1}}), JpegError::NoFrame},
      {edited(good, 0xC4, {{4, 0x02}}), JpegError::BadTableId},
      {noScan, JpegError::NoScan},
      // Three ZRLs are fine, four are too many; 11 starts no code of the third table.
      {handMade({.acExtra = {0xF0}, .scan = entropy("0" "101010" "0")}), JpegError::None},
      {handMade({.acExtra = {0xF0}, .scan = entropy("0" "10101010")}), JpegError::TooManyCoefficients},
      {handMade({.acExtra = {0xF0, 0xF1}, .scan = entropy("0" "101010" "11" "1")}), JpegError::TooManyCoefficients},
      {handMade({.acExtra = {0x01}, .scan = entropy("0" "11" "0000000000000000")}), JpegError::BadHuffmanCode},
      {handMade({.acExtra = {0x10}, .scan = entropy("010")}), JpegError::BadAcSymbol},
      {handMade({.width = 16, .restartInterval = 1, .scan = cat({entropy("00"), {0x12, 0x34}, entropy("00")})}),
       JpegError::BadRestart},  // other bytes where the marker is due
      {frame({{11, 0x32}}), JpegError::McuTooLarge},
      {handMade({.eoi = false}), JpegError::Truncated}};  // no entropy-coded data at all
  for (size_t i = 0; i < std::size(cases); i++) EXPECT_EQ(playerDecode(cases[i].first), cases[i].second) << i;
}

class JpegLoader : public PlayerDirTest {
 protected:
  static bool frameUnchangedFrom(size_t start) {
    return std::all_of(gHaikeiBits + start, gHaikeiBits + kFrameBytes, [](uint8_t b) { return b == kFill; });
  }
  static std::string load(int32_t number, uint32_t layer = 0) {
    fillFrame();
    testing::internal::CaptureStdout();
    rOPGjpg(gHaikeiBits, number, layer);
    return testing::internal::GetCapturedStdout();
  }
};

// Backgrounds are drawn from the top left and cached, other layers only cached;
// failures leave frame and cache alone, with their messages.
TEST_F(JpegLoader, DrawsAndCachesOrLeavesBothAloneWithAMessage) {
  gJpegWTable = 0;
  EXPECT_EQ(load(3), "");     // a missing file
  EXPECT_EQ(gJpegWTable, 1);  // the bit table is built all the same
  EXPECT_TRUE(frameUnchangedFrom(0));
  const Bytes file = libjpegEncode(photograph(640, 480));
  writeFile("7.jpg", file);
  writeFile("8.jpg", libjpegEncode(photograph(32, 16)));
  EXPECT_EQ(load(7), "");
  const Picture expected = playerPicture(file);
  for (int y = 0; y < 480; y++) {
    ASSERT_EQ(std::memcmp(framePixel(gHaikeiBits, 0, y), &expected.pixels[size_t(y) * 640 * 3], 640 * 3), 0) << y;
    ASSERT_TRUE(untouched(640, y)) << y;
  }
  EXPECT_TRUE(frameUnchangedFrom(480 * 5760));
  const int32_t entry = cash_get2(7);
  ASSERT_GE(entry, 0);
  EXPECT_EQ(cash_width2[entry] * cash_height2[entry] * cash_dotsize2[entry], 640 * 480 * 3);
  EXPECT_EQ(std::memcmp(cashimg_CG2[entry], expected.pixels.data(), expected.pixels.size()), 0);
  EXPECT_EQ(decodeWithTool("jpg", "7.jpg").rgb, expected.pixels);
  load(8, 6);
  EXPECT_TRUE(frameUnchangedFrom(0));
  EXPECT_GE(cash_get2(8), 0);

  writeFile("4.jpg", std::string("BM not a jpeg"));
  load(4);
  for (size_t i = 0; i < 1920 * 68 * 3; i++) ASSERT_EQ(gHaikeiBits[i], 0);
  EXPECT_TRUE(frameUnchangedFrom(1920 * 68 * 3));

  // Progressive and oversized files: the refusals authors meet most.
  writeFile("12.jpg", progressive(libjpegEncode(photograph(16, 16))));
  writeFile("17.jpg", handMade({.width = 1921}));
  const std::pair<int, std::string> messages[] = {
      {12, "12.jpg:format err (SOF2)\n"}, {17, "17.jpg:format err (picture larger than 1920x1080)\n"}};
  for (const auto& [n, message] : messages) {
    EXPECT_EQ(load(n), message) << n;
    EXPECT_TRUE(frameUnchangedFrom(0) && cash_get2(n) < 0) << n;
  }
}
