// Whole pictures through the player's JPEG decoder: libjpeg-made files
// against a reference of the player's arithmetic built on libjpeg's own
// coefficients, closeness to libjpeg's decode, the loader's cache and
// drawing, its messages, the refusals, and the decode tool.
#include <gtest/gtest.h>

#include <cstdio>
#include <jpeglib.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "display/display.h"
#include "image/jpeg_decoder.h"
#include "image/jpeg_tables.h"
#include "image/loaders.h"
#include "jpeg_reference.h"
#include "scenario/engine_state.h"
#include "support/test_support.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Rgb {
  int width = 0, height = 0;
  Bytes pixels;  // top row first
};

Bytes toBytes(const std::string& s) { return Bytes(s.begin(), s.end()); }

Rgb libjpegDecode(const Bytes& file) {
  jpeg_decompress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, file.data(), file.size());
  jpeg_read_header(&cinfo, TRUE);
  cinfo.out_color_space = JCS_RGB;
  cinfo.do_fancy_upsampling = FALSE;  // replicated chroma, like the player
  cinfo.dct_method = JDCT_ISLOW;
  jpeg_start_decompress(&cinfo);
  Rgb out{int(cinfo.output_width), int(cinfo.output_height), {}};
  out.pixels.resize(size_t(out.width) * out.height * 3);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = out.pixels.data() + size_t(cinfo.output_scanline) * out.width * 3;
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return out;
}

// A photograph of any size: the corpus photo mirrored and tiled at its own scale.
Rgb photograph(int width, int height) {
  static const Rgb photo = libjpegDecode(toBytes(readFile(corpusPath("jpg-libjpeg-turbo/testorig.jpg"))));
  Rgb out{width, height, Bytes(size_t(width) * height * 3)};
  for (int y = 0; y < height; y++) {
    int sy = y % (2 * photo.height);
    if (sy >= photo.height) sy = 2 * photo.height - 1 - sy;
    for (int x = 0; x < width; x++) {
      int sx = x % (2 * photo.width);
      if (sx >= photo.width) sx = 2 * photo.width - 1 - sx;
      std::memcpy(&out.pixels[(size_t(y) * width + x) * 3], &photo.pixels[(size_t(sy) * photo.width + sx) * 3], 3);
    }
  }
  return out;
}

struct EncodeOptions {
  int hs = 2, vs = 2;        // luma sampling factors; chroma 1x1
  bool grey = false;
  int restartRows = 0;       // restart interval in MCU rows
  int restartMcus = 0;       // or in MCUs
  bool optimise = false;
  int quality = 85;
};

Bytes libjpegEncode(const Rgb& img, const EncodeOptions& o) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_compress(&cinfo);
  unsigned char* mem = nullptr;
  unsigned long memSize = 0;
  jpeg_mem_dest(&cinfo, &mem, &memSize);
  cinfo.image_width = JDIMENSION(img.width);
  cinfo.image_height = JDIMENSION(img.height);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  if (o.grey) jpeg_set_colorspace(&cinfo, JCS_GRAYSCALE);
  jpeg_set_quality(&cinfo, o.quality, TRUE);
  cinfo.comp_info[0].h_samp_factor = o.hs;
  cinfo.comp_info[0].v_samp_factor = o.vs;
  cinfo.restart_in_rows = o.restartRows;
  cinfo.restart_interval = JDIMENSION(o.restartMcus);
  cinfo.optimize_coding = o.optimise ? TRUE : FALSE;
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<uint8_t*>(img.pixels.data()) + size_t(cinfo.next_scanline) * img.width * 3;
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  Bytes file(mem, mem + memSize);
  jpeg_destroy_compress(&cinfo);
  std::free(mem);
  return file;
}

// The player's arithmetic applied to the coefficients libjpeg's own entropy
// decoder finds: dequantisation, direct IDCT, chroma repeated, colour in hundredths.
Rgb referenceDecode(const Bytes& file) {
  jpegBuildTables();
  jpeg_decompress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, file.data(), file.size());
  jpeg_read_header(&cinfo, TRUE);
  jvirt_barray_ptr* arrays = jpeg_read_coefficients(&cinfo);
  const int nc = cinfo.num_components;
  const int hmax = cinfo.max_h_samp_factor, vmax = cinfo.max_v_samp_factor;
  Rgb out{int(cinfo.image_width), int(cinfo.image_height), {}};

  struct Plane { int stride; std::vector<int32_t> s; };
  std::vector<Plane> planes(nc);
  for (int c = 0; c < nc; c++) {
    jpeg_component_info& comp = cinfo.comp_info[c];
    const int bw = int(comp.width_in_blocks), bh = int(comp.height_in_blocks);
    planes[c].stride = bw * 8;
    planes[c].s.assign(size_t(bw) * 8 * bh * 8, 0);
    for (int by = 0; by < bh; by++) {
      JBLOCKARRAY row = cinfo.mem->access_virt_barray((j_common_ptr)&cinfo, arrays[c], JDIMENSION(by), 1, FALSE);
      for (int bx = 0; bx < bw; bx++) {
        int32_t coef[64], samples[64];
        for (int i = 0; i < 64; i++) coef[i] = wrap32(int64_t(row[0][bx][i]) * comp.quant_table->quantval[i]);
        referenceIdct(coef, samples);
        for (int i = 0; i < 64; i++)
          planes[c].s[size_t(by * 8 + i / 8) * planes[c].stride + bx * 8 + i % 8] = samples[i];
      }
    }
  }
  out.pixels.resize(size_t(out.width) * out.height * 3);
  for (int y = 0; y < out.height; y++)
    for (int x = 0; x < out.width; x++) {
      int32_t ycc[3] = {0, 128, 128};
      for (int c = 0; c < nc; c++) {
        const int hf = hmax / cinfo.comp_info[c].h_samp_factor, vf = vmax / cinfo.comp_info[c].v_samp_factor;
        ycc[c] = planes[c].s[size_t(y / vf) * planes[c].stride + x / hf];
      }
      auto clamp = [](int v) { return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v); };
      uint8_t* p = &out.pixels[(size_t(y) * out.width + x) * 3];
      p[0] = clamp(ycc[0] + (140 * ycc[2] - 17920) / 100);
      p[1] = clamp(ycc[0] - (34 * ycc[1] - 4352) / 100 - (71 * ycc[2] - 9088) / 100);
      p[2] = clamp(ycc[0] + (177 * ycc[1] - 22656) / 100);
    }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return out;
}

// The player's decoder, rows turned top-down.
JpegError playerDecode(const Bytes& file, Rgb& out) {
  static Bytes buffer(kWorkBufferSize);
  JpegPicture picture;
  JpegError e = jpegDecode(file.data(), file.size(), buffer.data(), buffer.size(), picture);
  out = Rgb{picture.width, picture.height, {}};
  if (e != JpegError::None) return e;
  const size_t rowBytes = size_t(picture.width) * 3;
  out.pixels.resize(rowBytes * picture.height);
  for (int r = 0; r < picture.height; r++)
    std::memcpy(&out.pixels[rowBytes * r], &buffer[rowBytes * size_t(picture.height - 1 - r)], rowBytes);
  return e;
}

double psnr(const Rgb& a, const Rgb& b) {
  double se = 0;
  for (size_t i = 0; i < a.pixels.size(); i++) {
    const double d = double(a.pixels[i]) - b.pixels[i];
    se += d * d;
  }
  if (se == 0) return 99;
  return 10 * std::log10(255.0 * 255.0 / (se / double(a.pixels.size())));
}

// Decodes with the player and checks it against the reference and libjpeg.
void expectMatchesReference(const Bytes& file, const std::string& what) {
  Rgb ours;
  ASSERT_EQ(playerDecode(file, ours), JpegError::None) << what;
  const Rgb ref = referenceDecode(file);
  ASSERT_EQ(ours.width, ref.width) << what;
  ASSERT_EQ(ours.height, ref.height) << what;
  ASSERT_TRUE(ours.pixels == ref.pixels) << what << ": differs from the reference arithmetic";
  const double db = psnr(ours, libjpegDecode(file));
  std::printf("  %-40s PSNR against libjpeg %.2f dB\n", what.c_str(), db);
  EXPECT_GT(db, 38.0) << what;
}

// Marker segments of a file, for rewriting: (marker, whole segment bytes).
struct Segment { uint8_t marker; Bytes bytes; };
std::vector<Segment> splitUpToScan(const Bytes& file, Bytes& rest) {
  std::vector<Segment> out;
  size_t p = 2;
  for (;;) {
    const uint8_t marker = file[p + 1];
    const size_t len = size_t(file[p + 2]) << 8 | file[p + 3];
    if (marker == 0xDA) {
      rest.assign(file.begin() + long(p), file.end());
      return out;
    }
    out.push_back({marker, Bytes(file.begin() + long(p), file.begin() + long(p + 2 + len))});
    p += 2 + len;
  }
}
Bytes join(const std::vector<Segment>& segs, const Bytes& rest) {
  Bytes out = {0xFF, 0xD8};
  for (auto& s : segs) out.insert(out.end(), s.bytes.begin(), s.bytes.end());
  out.insert(out.end(), rest.begin(), rest.end());
  return out;
}

}  // namespace

TEST(JpegPictures, LibjpegFilesMatchTheReferenceArithmetic) {
  struct Case { const char* name; int w, h; EncodeOptions o; };
  const Case cases[] = {
      {"4:4:4 64x48", 64, 48, {1, 1}},
      {"4:2:2 100x75", 100, 75, {2, 1}},
      {"4:2:0 100x600", 100, 600, {2, 2}},
      {"4:2:0 227x149 optimised", 227, 149, {2, 2, false, 0, 0, true}},
      {"4:4:0 33x17", 33, 17, {1, 2}},
      {"grey 101x67", 101, 67, {1, 1, true}},
      {"4:2:0 restart every row 190x90", 190, 90, {2, 2, false, 1}},
      {"4:4:4 restart every 3 MCUs 61x29", 61, 29, {1, 1, false, 0, 3}},
      {"4:2:0 restart every MCU q100 77x41", 77, 41, {2, 2, false, 0, 1, false, 100}},
      {"grey restart every 5 MCUs optimised 50x9", 50, 9, {1, 1, true, 0, 5, true}},
      {"4:2:0 1x1", 1, 1, {2, 2}},
      {"4:2:0 restart every MCU 320x240", 320, 240, {2, 2, false, 0, 1, false, 95}},
  };
  for (const Case& c : cases) expectMatchesReference(libjpegEncode(photograph(c.w, c.h), c.o), c.name);
}

TEST(JpegPictures, CorpusBaselineFilesMatchTheReferenceArithmetic) {
  for (const char* name : {"testorig.jpg", "testimgint.jpg"})
    expectMatchesReference(toBytes(readFile(corpusPath(std::string("jpg-libjpeg-turbo/") + name))), name);
}

TEST(JpegPictures, OtherCodingsAreRefused) {
  Rgb out;
  // Arithmetic coding and 12-bit samples have frame markers other than SOF0.
  EXPECT_EQ(playerDecode(toBytes(readFile(corpusPath("jpg-libjpeg-turbo/testimgari.jpg"))), out), JpegError::NoFrame);
  EXPECT_EQ(playerDecode(toBytes(readFile(corpusPath("jpg-libjpeg-turbo/monkey12.jpg"))), out), JpegError::NoFrame);
  // Progressive.
  const Bytes baseline = libjpegEncode(photograph(32, 32), {});
  Bytes progressive = baseline;
  for (size_t i = 2; i + 1 < progressive.size(); i++)
    if (progressive[i] == 0xFF && progressive[i + 1] == 0xC0) { progressive[i + 1] = 0xC2; break; }
  EXPECT_EQ(playerDecode(progressive, out), JpegError::Progressive);
}

TEST(JpegPictures, RestartMarkersOutOfSequenceAreAccepted) {
  const Bytes file = libjpegEncode(photograph(96, 64), {2, 2, false, 0, 2});
  Bytes shuffled = file;
  int markers = 0;
  Bytes rest;
  splitUpToScan(file, rest);
  for (size_t i = file.size() - rest.size(); i + 1 < shuffled.size(); i++)
    if (shuffled[i] == 0xFF && shuffled[i + 1] >= 0xD0 && shuffled[i + 1] <= 0xD7) {
      shuffled[i + 1] = uint8_t(0xD0 + (markers * 5 + 3) % 8);  // RST3 where RST0 is due, ...
      markers++;
    }
  ASSERT_GT(markers, 3);
  Rgb a, b;
  ASSERT_EQ(playerDecode(file, a), JpegError::None);
  ASSERT_EQ(playerDecode(shuffled, b), JpegError::None);
  EXPECT_TRUE(a.pixels == b.pixels);

  // Something else where a marker is due is refused.
  Bytes broken = file;
  for (size_t i = file.size() - rest.size(); i + 1 < broken.size(); i++)
    if (broken[i] == 0xFF && broken[i + 1] >= 0xD0 && broken[i + 1] <= 0xD7) { broken[i + 1] = 0xC4; break; }
  EXPECT_EQ(playerDecode(broken, b), JpegError::BadRestart);
}

TEST(JpegPictures, TableLayoutInSegmentsDoesNotMatter) {
  const Bytes file = libjpegEncode(photograph(48, 40), {2, 1});
  Bytes rest;
  std::vector<Segment> segs = splitUpToScan(file, rest);
  Rgb expected;
  ASSERT_EQ(playerDecode(file, expected), JpegError::None);

  // The four Huffman tables in one DHT segment.
  std::vector<Segment> merged;
  Bytes dht = {0xFF, 0xC4, 0, 0};
  int tables = 0;
  for (auto& s : segs) {
    if (s.marker != 0xC4) { merged.push_back(s); continue; }
    dht.insert(dht.end(), s.bytes.begin() + 4, s.bytes.end());
    tables++;
  }
  ASSERT_EQ(tables, 4);
  dht[2] = uint8_t((dht.size() - 2) >> 8), dht[3] = uint8_t(dht.size() - 2);
  merged.push_back({0xC4, dht});
  Rgb got;
  ASSERT_EQ(playerDecode(join(merged, rest), got), JpegError::None);
  EXPECT_TRUE(got.pixels == expected.pixels);

  // Quantisation tables are numbered by appearance, whatever their ids say.
  std::vector<Segment> swapped = segs;
  for (auto& s : swapped)
    if (s.marker == 0xDB) s.bytes[4] ^= 1;
  ASSERT_EQ(playerDecode(join(swapped, rest), got), JpegError::None);
  EXPECT_TRUE(got.pixels == expected.pixels);

  // The AC selector is not read: AC table 1 named for luma still means AC 0.
  Bytes scan = rest;
  scan[6] = 0x01;  // component 1: DC 0, AC 1
  ASSERT_EQ(playerDecode(join(segs, scan), got), JpegError::None);
  EXPECT_TRUE(got.pixels == expected.pixels);

  // Both tables in one DQT segment.
  std::vector<Segment> oneDqt;
  Bytes dqt = {0xFF, 0xDB, 0, 132};
  for (auto& s : segs) {
    if (s.marker != 0xDB) { oneDqt.push_back(s); continue; }
    dqt.insert(dqt.end(), s.bytes.begin() + 4, s.bytes.end());
  }
  oneDqt.insert(oneDqt.begin(), {0xDB, dqt});
  ASSERT_EQ(playerDecode(join(oneDqt, rest), got), JpegError::None);
  EXPECT_TRUE(got.pixels == expected.pixels);

  // A third table ends the decode, silently.
  std::vector<Segment> third = segs;
  for (auto& s : segs)
    if (s.marker == 0xDB) { third.insert(third.begin(), s); break; }
  EXPECT_EQ(playerDecode(join(third, rest), got), JpegError::BadQuantTables);
}

namespace {

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
  int width = 8, height = 8;
  int restartInterval = -1;           // -1: no DRI segment
  Bytes acExtra;                      // AC symbols with 2-bit codes 10, 11 beside EOB = 0
  bool eobIsOne = false;              // instead: AC table {0x01: "0", EOB: "1"}
  int sampling = 0x11;
  Bytes scan;                         // entropy-coded data, markers included
  bool eoi = true;
};

// A one-component picture: DC table {0: "0", 1: "1"}, DC quantiser 8 (so a
// DC coefficient of 1 lifts the samples by 1), AC quantisers 1.
Bytes handMade(const HandMade& m) {
  Bytes f = {0xFF, 0xD8, 0xFF, 0xDB, 0x00, 0x43, 0x00, 8};
  f.insert(f.end(), 63, 1);
  const Bytes sof = {0xFF, 0xC0, 0x00, 0x0B, 0x08, uint8_t(m.height >> 8), uint8_t(m.height),
                     uint8_t(m.width >> 8), uint8_t(m.width), 0x01, 0x01, uint8_t(m.sampling), 0x00};
  f.insert(f.end(), sof.begin(), sof.end());
  Bytes dc = {0xFF, 0xC4, 0x00, 0x15, 0x00, 2};
  dc.insert(dc.end(), 15, 0);
  dc.push_back(0), dc.push_back(1);
  f.insert(f.end(), dc.begin(), dc.end());
  Bytes ac = {0xFF, 0xC4, 0x00, uint8_t(0x14 + m.acExtra.size()), 0x10, 1, uint8_t(m.acExtra.size())};
  ac.insert(ac.end(), 14, 0);
  ac.push_back(0x00);
  ac.insert(ac.end(), m.acExtra.begin(), m.acExtra.end());
  if (m.eobIsOne) {
    ac = {0xFF, 0xC4, 0x00, 0x15, 0x10, 2};
    ac.insert(ac.end(), 15, 0);
    ac.push_back(0x01), ac.push_back(0x00);
  }
  f.insert(f.end(), ac.begin(), ac.end());
  if (m.restartInterval >= 0)
    f.insert(f.end(), {0xFF, 0xDD, 0x00, 0x04, uint8_t(m.restartInterval >> 8), uint8_t(m.restartInterval)});
  f.insert(f.end(), {0xFF, 0xDA, 0x00, 0x08, 0x01, 0x01, 0x00, 0x00, 0x3F, 0x00});
  f.insert(f.end(), m.scan.begin(), m.scan.end());
  if (m.eoi) f.insert(f.end(), {0xFF, 0xD9});
  return f;
}

Bytes cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

}  // namespace

TEST(JpegRestarts, PredictorsResetAtAnyRstAndEoiEndsQuietly) {
  // Two MCUs: the first has DC difference +1, the second 0.
  const Bytes first = entropy("1" "1" "0"), second = entropy("0" "0");
  Rgb out;
  HandMade m;
  m.width = 16;
  m.scan = entropy("110" "00");
  ASSERT_EQ(playerDecode(handMade(m), out), JpegError::None);
  EXPECT_EQ(out.pixels[0], 129);
  EXPECT_EQ(out.pixels[8 * 3], 129);  // no restart: the predictor carries on

  m.restartInterval = 1;
  m.scan = cat({first, {0xFF, 0xD6}, second});  // RST6 where RST0 is due
  ASSERT_EQ(playerDecode(handMade(m), out), JpegError::None);
  EXPECT_EQ(out.pixels[0], 129);
  EXPECT_EQ(out.pixels[8 * 3], 128);

  m.scan = cat({first, {0xFF, 0xD0}, second});  // the last interval ends at EOI
  ASSERT_EQ(playerDecode(handMade(m), out), JpegError::None);

  m.scan = cat({first, {0xFF, 0xC4}, second});
  EXPECT_EQ(playerDecode(handMade(m), out), JpegError::BadRestart);

  m.scan = cat({first, {0xFF, 0xD0}, second});
  m.eoi = false;  // nothing at all where the last interval ends
  EXPECT_EQ(playerDecode(handMade(m), out), JpegError::BadRestart);

  m.restartInterval = 0;
  m.eoi = true;
  EXPECT_EQ(playerDecode(handMade(m), out), JpegError::ZeroRestartInterval);
}

TEST(JpegRestarts, MarkerAfterAStuffedLastByteIsFound) {
  // The first interval ends in a byte 0xFF: its stuffing byte comes before the marker.
  HandMade m;
  m.width = 16;
  m.eobIsOne = true;
  m.restartInterval = 1;
  const Bytes first = entropy("1" "1" "1");
  ASSERT_EQ(first, Bytes({0xFF, 0x00}));
  m.scan = cat({first, {0xFF, 0xD1}, entropy("0" "1")});
  Rgb out;
  ASSERT_EQ(playerDecode(handMade(m), out), JpegError::None);
  EXPECT_EQ(out.pixels[0], 129);
  EXPECT_EQ(out.pixels[8 * 3], 128);
}

TEST(JpegRefusals, BrokenEntropyDataIsRefused) {
  Rgb out;
  HandMade m;
  m.acExtra = {0x10};  // run 1, size 0: neither EOB nor ZRL
  m.scan = entropy("0" "10");
  EXPECT_EQ(playerDecode(handMade(m), out), JpegError::BadAcSymbol);

  m.acExtra = {0xF0};  // four ZRLs run past coefficient 63
  m.scan = entropy("0" "10101010");
  EXPECT_EQ(playerDecode(handMade(m), out), JpegError::TooManyCoefficients);
  m.scan = entropy("0" "101010" "0");  // three are fine
  EXPECT_EQ(playerDecode(handMade(m), out), JpegError::None);

  m.acExtra = {0xF0, 0xF1};  // run 15 then a value, from coefficient 49
  m.scan = entropy("0" "101010" "11" "1");
  EXPECT_EQ(playerDecode(handMade(m), out), JpegError::TooManyCoefficients);

  m.acExtra = {0x01};
  m.scan = entropy("0" "11" "0000000000000000");  // 11 starts no code of this table
  EXPECT_EQ(playerDecode(handMade(m), out), JpegError::BadHuffmanCode);

  m.acExtra = {};
  m.scan = {};
  m.eoi = false;  // the data end before the first block
  EXPECT_EQ(playerDecode(handMade(m), out), JpegError::Truncated);
}

TEST(JpegRefusals, FramesOutsideTheSubsetAreRefused) {
  Rgb out;
  HandMade m;
  m.scan = entropy("00");
  m.sampling = 0x42;  // one component: a single block per MCU whatever it says
  EXPECT_EQ(playerDecode(handMade(m), out), JpegError::None);
  m.width = 1921;
  m.sampling = 0x11;
  m.scan = {};
  EXPECT_EQ(playerDecode(handMade(m), out), JpegError::TooLarge);
  m.width = 8;
  m.height = 1081;
  EXPECT_EQ(playerDecode(handMade(m), out), JpegError::TooLarge);

  const Bytes good = libjpegEncode(photograph(16, 16), {2, 2});
  Bytes rest;
  std::vector<Segment> segs = splitUpToScan(good, rest);
  auto withFrame = [&](auto edit) {
    std::vector<Segment> s = segs;
    for (auto& seg : s)
      if (seg.marker == 0xC0) edit(seg.bytes);
    return join(s, rest);
  };
  EXPECT_EQ(playerDecode(withFrame([](Bytes& b) { b[11] = 0x42; }), out), JpegError::McuTooLarge);
  EXPECT_EQ(playerDecode(withFrame([](Bytes& b) { b[14] = 0x02; }), out), JpegError::BadSampling);  // H of 0
  EXPECT_EQ(playerDecode(withFrame([](Bytes& b) { b[11] = 0x31; b[14] = 0x21; }), out), JpegError::BadSampling);
  EXPECT_EQ(playerDecode(withFrame([](Bytes& b) { b[12] = 2; }), out), JpegError::BadTableId);
  EXPECT_EQ(playerDecode(withFrame([](Bytes& b) { b[9] = 4; }), out), JpegError::BadComponents);
  EXPECT_EQ(playerDecode(withFrame([](Bytes& b) { b[1] = 0xC1; }), out), JpegError::NoFrame);

  std::vector<Segment> badDht = segs;
  for (auto& seg : badDht)
    if (seg.marker == 0xC4) { seg.bytes[4] = 0x02; break; }
  EXPECT_EQ(playerDecode(join(badDht, rest), out), JpegError::BadTableId);

  Bytes noScan(good.begin(), good.end() - long(rest.size()));
  noScan.insert(noScan.end(), {0xFF, 0xFE, 0x00, 0x03, 'x'});  // ends on a comment
  EXPECT_EQ(playerDecode(noScan, out), JpegError::NoScan);
}

TEST(JpegRefusals, EveryPrefixAndMutationIsHandledSafely) {
  const Bytes file = libjpegEncode(photograph(40, 24), {2, 2, false, 0, 2, true});
  Rgb out;
  for (size_t n = 0; n < file.size(); n++) {
    const Bytes prefix(file.begin(), file.begin() + long(n));  // exact size: overreads are caught
    const JpegError e = playerDecode(prefix, out);
    if (n + 2 < file.size()) {
      ASSERT_NE(e, JpegError::None) << n;  // all data but the EOI is needed
    }
  }
  std::mt19937 rng(7);
  for (int round = 0; round < 3000; round++) {
    Bytes mutated = file;
    for (int k = 0, edits = 1 + int(rng() % 4); k < edits; k++) mutated[rng() % mutated.size()] = uint8_t(rng());
    playerDecode(mutated, out);
  }
}

class JpegLoader : public PlayerDirTest {
 protected:
  void fillFrame() {
    for (size_t i = 0; i < sizeof gHaikeiBits; i++) gHaikeiBits[i] = uint8_t(i * 7 + 3);
  }
  bool frameUnchangedFrom(size_t start) {
    for (size_t i = start; i < sizeof gHaikeiBits; i++)
      if (gHaikeiBits[i] != uint8_t(i * 7 + 3)) return false;
    return true;
  }
  std::string load(int32_t number, uint32_t layer) {
    testing::internal::CaptureStdout();
    rOPGjpg(gHaikeiBits, number, layer);
    return testing::internal::GetCapturedStdout();
  }
};

TEST_F(JpegLoader, BackgroundIsCachedAndDrawnFromTheTopLeft) {
  const Bytes file = libjpegEncode(photograph(640, 480), {2, 2});
  writeFile("7.jpg", file);
  fillFrame();
  EXPECT_EQ(load(7, 0), "");
  Rgb expected;
  ASSERT_EQ(playerDecode(file, expected), JpegError::None);
  for (int y = 0; y < 1080; y++) {
    const uint8_t* row = framePixel(gHaikeiBits, 0, y);
    if (y < 480) {
      ASSERT_EQ(std::memcmp(row, &expected.pixels[size_t(y) * 640 * 3], 640 * 3), 0) << y;
      for (int i = 640 * 3; i < 5760; i++)
        ASSERT_EQ(row[i], uint8_t((size_t(y) * 5760 + i) * 7 + 3)) << y;
    } else {
      ASSERT_TRUE(frameUnchangedFrom(size_t(y) * 5760));
      break;
    }
  }
  const int32_t entry = cash_get2(7);
  ASSERT_GE(entry, 0);
  EXPECT_EQ(cash_width2[entry], 640);
  EXPECT_EQ(cash_height2[entry], 480);
  EXPECT_EQ(cash_dotsize2[entry], 3);
  EXPECT_EQ(std::memcmp(cashimg_CG2[entry], expected.pixels.data(), expected.pixels.size()), 0);
}

TEST_F(JpegLoader, OtherLayersAreCachedButNotDrawn) {
  writeFile("8.jpg", libjpegEncode(photograph(32, 16), {}));
  fillFrame();
  load(8, 6);
  EXPECT_TRUE(frameUnchangedFrom(0));
  EXPECT_GE(cash_get2(8), 0);
}

TEST_F(JpegLoader, FailuresLeaveFrameAndCacheAlone) {
  gJpegWTable = 0;
  fillFrame();
  EXPECT_EQ(load(3, 0), "");  // missing file
  EXPECT_EQ(gJpegWTable, 1);  // the bit table is built all the same
  EXPECT_TRUE(frameUnchangedFrom(0));

  writeFile("4.jpg", std::string("BM not a jpeg"));
  load(4, 0);
  for (size_t i = 0; i < 391680; i++) ASSERT_EQ(gHaikeiBits[i], 0);
  EXPECT_TRUE(frameUnchangedFrom(391680));

  fillFrame();
  Bytes progressive = libjpegEncode(photograph(16, 16), {});
  for (size_t i = 2; i + 1 < progressive.size(); i++)
    if (progressive[i] == 0xFF && progressive[i + 1] == 0xC0) { progressive[i + 1] = 0xC2; break; }
  writeFile("12.jpg", progressive);
  EXPECT_EQ(load(12, 0), "12.jpg:format err (SOF2)\n");

  HandMade m;
  m.acExtra = {0x10};
  m.scan = entropy("010");
  writeFile("13.jpg", handMade(m));
  EXPECT_EQ(load(13, 0), "EOB,ZRL\x82\xc7\x82\xbf\x82\xe7\x82\xc5\x82\xe0\x96\xb3\x82\xa2\x88\xd9\x8f\xed\x82\xf0"
                         "\x8c\x9f\x8f\x6f\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81\x42");
  m.acExtra = {0xF0};
  m.scan = entropy("0" "10101010");
  writeFile("14.jpg", handMade(m));
  EXPECT_EQ(load(14, 0), "\x8c\x6e\x90\x94\x82\xaa\x82\x55\x82\x53\x8c\xc2\x82\xf0\x89\x7a\x82\xa6\x82\xdc\x82\xb5"
                         "\x82\xbd\x81\x42");
  m = HandMade{};
  m.width = 16;
  m.restartInterval = 1;
  m.scan = cat({entropy("00"), {0x12, 0x34}, entropy("00")});
  writeFile("15.jpg", handMade(m));
  EXPECT_EQ(load(15, 0), "\x83\x8a\x83\x58\x83\x5e\x81\x5b\x83\x67\x83\x43\x83\x93\x83\x5e\x81\x5b\x83\x6f\x83\x8b"
                         "\x82\xaa\x95\x73\x90\xb3\x82\xc5\x82\xb7");
  m = HandMade{};
  m.sampling = 0x11;
  const Bytes big = libjpegEncode(photograph(16, 16), {});
  Bytes rest;
  auto segs = splitUpToScan(big, rest);
  for (auto& s : segs)
    if (s.marker == 0xC0) s.bytes[11] = 0x33;
  writeFile("16.jpg", join(segs, rest));
  EXPECT_EQ(load(16, 0), "Ycbcr\x8d\xec\x8b\xc6\x97\xcc\x88\xe6\x82\xaa\x95\x73\x91\xab\x82\xb5\x82\xc4\x82\xa2"
                         "\x82\xdc\x82\xb7\x81\x42\n");
  m.width = 1921;
  writeFile("17.jpg", handMade(m));
  EXPECT_EQ(load(17, 0), "17.jpg:format err (picture larger than 1920x1080)\n");
  EXPECT_TRUE(frameUnchangedFrom(0));
  for (int32_t n : {12, 13, 14, 15, 16, 17}) EXPECT_LT(cash_get2(n), 0) << n;
}

TEST_F(JpegLoader, DecodeToolWritesTheSamePixels) {
  const Bytes file = libjpegEncode(photograph(50, 30), {2, 1, false, 0, 4});
  writeFile("in.jpg", file);
  CommandResult ok = runCommand(std::string(TAVINO_TOOL) + " decode jpg in.jpg out.ppm 2>&1");
  ASSERT_EQ(ok.status, 0) << ok.output;
  PpmImage ppm;
  ASSERT_TRUE(readPpm("out.ppm", ppm));
  Rgb expected;
  ASSERT_EQ(playerDecode(file, expected), JpegError::None);
  EXPECT_EQ(ppm.width, 50);
  EXPECT_EQ(ppm.height, 30);
  EXPECT_TRUE(ppm.rgb == expected.pixels);

  writeFile("bad.jpg", Bytes(file.begin(), file.begin() + long(file.size() / 2)));
  CommandResult bad = runCommand(std::string(TAVINO_TOOL) + " decode jpg bad.jpg out2.ppm 2>&1");
  EXPECT_EQ(bad.status, 1);
  EXPECT_EQ(std::count(bad.output.begin(), bad.output.end(), '\n'), 1) << bad.output;
  EXPECT_NE(bad.output.find("truncated"), std::string::npos) << bad.output;
}

TEST_F(JpegLoader, SceneRedrawsTheBackgroundFromTheCache) {
  w = 1920, h = 1080, SystemFontSize = 96, resizeX = w, resizeY = h;
  SystemSizeW = 1920, SystemSizeH = 1080;
  const Bytes file = libjpegEncode(photograph(300, 200), {2, 2});
  Rgb expected;
  ASSERT_EQ(playerDecode(file, expected), JpegError::None);
  writeFile("5.jpg", file);
  HaikeiCG = 5, HaikeiCGtype = 2;
  rGame(1);
  EXPECT_EQ(std::memcmp(framePixel(gHaikeiBits, 0, 199), &expected.pixels[199 * 300 * 3], 300 * 3), 0);

  // The file is gone, and the slot now says BMP: the cached picture is drawn all the same.
  std::remove("5.jpg");
  std::memset(gHaikeiBits, 0, sizeof gHaikeiBits);
  HaikeiCGtype = 1;
  rGame(1);
  EXPECT_EQ(std::memcmp(framePixel(gHaikeiBits, 0, 0), expected.pixels.data(), 300 * 3), 0);
  EXPECT_EQ(std::memcmp(framePixel(gHaikeiBits, 0, 199), &expected.pixels[199 * 300 * 3], 300 * 3), 0);
}
