// The authoring kit: `tavino-tool new`, the scene map of `graph`, and the
// lint's checks of the pictures, sounds, fonts and texts a scenario names,
// each met by a real file made here.
#include <cstddef>
#include <cstdio>

#include <jpeglib.h>
#include <png.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "lint.h"
#include "support/image_support.h"
#include "support/play_support.h"
#include "support/text_support.h"

namespace {

class Authoring : public PlayerDirTest {
 protected:
  CommandResult lint(const std::string& args = "") { return runTool("lint --dir '" + dir_ + "' " + args); }
};

// A PNG of black pixels with the given layout, written by libpng.
void writePng(const std::string& path, int width, int height, int colourType, int interlace) {
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_TRUE(f);
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_init_io(png, f);
  png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, colourType, interlace,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_color palette[1] = {{0, 0, 0}};
  if (colourType == PNG_COLOR_TYPE_PALETTE) png_set_PLTE(png, info, palette, 1);
  png_write_info(png, info);
  const std::vector<uint8_t> row(size_t(width) * 4, 0);
  for (int pass = png_set_interlace_handling(png); pass > 0; pass--)
    for (int y = 0; y < height; y++) png_write_row(png, row.data());
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  std::fclose(f);
}

void writeJpeg(const std::string& path, bool progressive) {
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_TRUE(f);
  jpeg_compress_struct c;
  jpeg_error_mgr err;
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  jpeg_stdio_dest(&c, f);
  c.image_width = 16, c.image_height = 16, c.input_components = 3, c.in_color_space = JCS_RGB;
  jpeg_set_defaults(&c);
  if (progressive) jpeg_simple_progression(&c);
  jpeg_start_compress(&c, TRUE);
  std::vector<uint8_t> row(16 * 3, 128);
  JSAMPROW rows[1] = {row.data()};
  while (c.next_scanline < c.image_height) jpeg_write_scanlines(&c, rows, 1);
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  std::fclose(f);
}

// A WAV file of one second of silence in the given format.
Bytes makeWav(int formatTag, int channels, int rate, int bits) {
  Bytes v;
  auto put = [&](uint32_t x, int n) {
    for (int i = 0; i < n; i++) v.push_back(uint8_t(x >> (8 * i)));
  };
  auto tag = [&](const char* t) { v.insert(v.end(), t, t + 4); };
  const uint32_t block = uint32_t(channels * bits / 8), data = block * uint32_t(rate);
  tag("RIFF"), put(36 + data, 4), tag("WAVE");
  tag("fmt "), put(16, 4), put(uint32_t(formatTag), 2), put(uint32_t(channels), 2), put(uint32_t(rate), 4);
  put(uint32_t(rate) * block, 4), put(block, 2), put(uint32_t(bits), 2);
  tag("data"), put(data, 4);
  v.resize(v.size() + data, 0);
  return v;
}

// A 24-bit BMP with a 124-byte information header: its pixels start at 138.
Bytes bmpWithLongHeader() {
  Bytes v = makeBmp(4, 4, 24, [](int, int) { return Rgb{1, 2, 3}; });
  v.insert(v.begin() + 54, 84, 0);
  v[10] = 138, v[14] = 124, v[2] = uint8_t(v.size());
  return v;
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) out.push_back(l);
  return out;
}

}  // namespace

TEST_F(Authoring, NewMakesAGameThatLintsCleanAndPlaysToItsEnd) {
  const CommandResult made = runTool("new '" + dir_ + "/game'");
  ASSERT_EQ(made.status, 0) << made.output;
  const CommandResult checked = runTool("lint --werror --dir '" + dir_ + "/game'");
  EXPECT_TRUE(checked.status == 0 && checked.output.empty()) << checked.output;
  // Enter past two messages and the question, pick the second way, then on to the last scene.
  const PlayRun run = playScenario(dir_ + "/game", "enter,enter,enter,down,enter,enter");
  EXPECT_EQ(run.state.at("SceneNum"), "4") << run.output;
  EXPECT_EQ(run.state.at("HaikeiCGtype"), "3");
}

TEST_F(Authoring, NewRefusesAFolderThatIsNotEmpty) {
  writeFile("keep.txt", "mine");
  const CommandResult r = runTool("new '" + dir_ + "'");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(lines(r.output).size(), 1u) << r.output;
  EXPECT_NE(r.output.find("not empty"), std::string::npos);
  EXPECT_FALSE(fileExists("sinario.txt"));
}

TEST_F(Authoring, TheDemoLintsClean) {
  for (const char* name : {"sinario.txt", "100.png", "201.png"})
    writeFile(name, readFile(std::string(TAVINO_SOURCE_DIR) + "/demo/" + name));
  if (!installDemoFont(dir_)) GTEST_SKIP() << "no demo font";
  const CommandResult r = lint("--werror");
  EXPECT_TRUE(r.status == 0 && r.output.empty()) << r.output;
}

TEST_F(Authoring, GraphShowsEveryKindOfMoveBetweenScenes) {
  writeFile("sinario.txt",
            "SIORI:x\nSCENE:1\nMSG:Hello \"you\"\nFLAG8:3\nIF.FLAG8:3\n"
            "SCENE:2\nSELECT.MODE:1\nSELECT.MSG:Left\nSELECT.GOTO:3\nSELECT.MSG:Nowhere\nSELECT.GOTO:9\nKEYWAIT:\n"
            "SCENE:3\nSINARIO.READ:other.txt\nSCENE:4\nGOTO:2\n");
  writeFile("other.txt", "SCENE:7\r\nMSG:end\r\n");
  const CommandResult r = runTool("graph --dir '" + dir_ + "'");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.output,
            "digraph scenes {\n"
            "  graph [fontname=\"sans-serif\"];\n"
            "  node [shape=box, style=rounded, fontname=\"sans-serif\"];\n"
            "  edge [fontname=\"sans-serif\", fontsize=10];\n"
            "  subgraph \"cluster_0\" {\n"
            "    label=\"sinario.txt\";\n"
            "    n0 [label=\"start\"];\n"
            "    n1 [label=\"scene 1\\nHello \\\"you\\\"\"];\n"
            "    n2 [label=\"scene 2\"];\n"
            "    n3 [label=\"scene 3\"];\n"
            "    n4 [label=\"scene 4\\n(not reached)\", style=\"rounded,dashed\", color=gray50, fontcolor=gray50];\n"
            "    n6 [label=\"scene 9\\n(missing)\", color=red, fontcolor=red];\n"
            "  }\n"
            "  subgraph \"cluster_1\" {\n"
            "    label=\"other.txt\";\n"
            "    n5 [label=\"scene 7\\nend\\n(end)\", peripheries=2];\n"
            "  }\n"
            "  n0 -> n1 [style=dashed];\n"
            "  n1 -> n3 [label=\"FLAG8[3]\"];\n"
            "  n1 -> n2 [style=dashed];\n"
            "  n2 -> n3 [label=\"Left\", style=bold];\n"
            "  n2 -> n6 [label=\"Nowhere\", style=bold];\n"
            "  n3 -> n5 [label=\"SINARIO.READ\"];\n"
            "  n4 -> n2;\n"
            "}\n");
}

TEST_F(Authoring, GraphPicturesNeedDotAndFallBackToDot) {
  writeFile("sinario.txt", "SCENE:1\nMSG:a\n");
  const CommandResult without = runCommand("PATH=/nonexistent " + std::string(TAVINO_TOOL) + " graph --dir '" +
                                           dir_ + "' -o map.svg 2>&1");
  EXPECT_EQ(without.status, 1);
  EXPECT_EQ(lines(without.output).size(), 1u) << without.output;
  EXPECT_EQ(readFile("map.dot").rfind("digraph scenes {", 0), 0u);
  EXPECT_FALSE(fileExists("map.svg"));
  if (runCommand("command -v dot").status != 0) GTEST_SKIP() << "Graphviz is not installed";
  EXPECT_EQ(runTool("graph --dir '" + dir_ + "' -o map.svg").status, 0);
  EXPECT_NE(readFile("map.svg").find("<svg"), std::string::npos);
}

TEST_F(Authoring, LintNamesWhatThePlayerRefusesWithTheFix) {
  if (!installDemoFont(dir_)) GTEST_SKIP() << "no demo font";
  writePng("1.png", 8, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_ADAM7);
  writePng("2.png", 8, 8, PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE);
  writeJpeg("3.jpg", true);
  writeFile("4.jpg", bmpWithLongHeader());
  writePng("5.png", 2560, 1440, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE);
  writePng("6.jpg", 8, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE);
  writeFile("float.wav", makeWav(3, 2, 22050, 32));
  writeFile("slow.wav", makeWav(1, 1, 500, 8));
  writeFile("7.jpg", greyRunLength(512));
  writeFile("sinario.txt",
            "SCENE:1\nHAIKEIPNG:1\nHAIKEIPNG:2\nHAIKEIJPG:3\nHAIKEIBMP:4\nHAIKEIPNG:5\nHAIKEIJPG:6\n"
            "OTO1.WAV:float\nOTO2.WAV:slow\nMSG:ab\x85\x40\nSELECT.MSG:\x82\xa0\xf0\x40\nHAIKEIPNG:1\nHAIKEI:7\n");
  const CommandResult r = lint();
  EXPECT_EQ(r.status, 1);
  // Each line as printed, or its start and end where the middle is SDL's own words.
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"sinario.txt:2: 1.png: interlaced PNG: save it without interlacing", ""},
      {"sinario.txt:3: 2.png: palette PNG: save as RGB or RGBA", ""},
      {"sinario.txt:4: 3.jpg: progressive JPEG: save as baseline", ""},
      {"sinario.txt:5: 4.jpg: BMP pixels start at byte 138, the player reads from byte 54: "
       "save as a plain 24-bit BMP", ""},
      {"sinario.txt:6: 5.png: picture is 2560 x 1440, larger than 1920 x 1080", ""},
      {"sinario.txt:7: 6.jpg: this is a PNG file, but the statement reads a JPEG: "
       "use the statement for its format or convert the file", ""},
      {"sinario.txt:8: float.wav: SDL cannot load it (", "): save as uncompressed 8- or 16-bit PCM WAV"},
      {"sinario.txt:9: slow.wav: SDL cannot convert mono sound at 500 Hz to the player's format: ",
       "save as 8- or 16-bit PCM, mono or stereo, 1000 to 384000 Hz"},
      {"sinario.txt:10: byte 0x85 at column 7 is not valid Shift-JIS (code page 932)", ""},
      {"sinario.txt:11: pelorune96.dat has no glyph for '\xee\x80\x80' (column 14)", ""},
      {"sinario.txt:13: 7.jpg: run-length stream ends after 513 of 307200 pixels: the rest of the picture is "
       "not drawn: encode it again with tavino-tool rle encode", ""},
  };
  const std::vector<std::string> got = lines(r.output);
  ASSERT_EQ(got.size(), expected.size()) << r.output;
  for (size_t i = 0; i < got.size(); i++) {
    const auto& [start, end] = expected[i];
    if (end.empty()) {
      EXPECT_EQ(got[i], start);
    } else {
      EXPECT_TRUE(got[i].rfind(start, 0) == 0 && got[i].size() >= start.size() + end.size() &&
                  got[i].compare(got[i].size() - end.size(), end.size(), end) == 0)
          << got[i];
    }
  }
}

TEST_F(Authoring, WarningsFailOnlyUnderWerror) {
  if (!installDemoFont(dir_)) GTEST_SKIP() << "no demo font";
  writePng("5.png", 8, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE);
  writeFile("5.jpg", makeBmp(4, 4, 24, [](int, int) { return Rgb{1, 2, 3}; }));
  writeFile("sinario.txt", "SCENE:1\nHAIKEIPNG:5\nCHARABMP:5\nGOTO:1\nSCENE:2\n");
  const CommandResult plain = lint();
  EXPECT_EQ(plain.status, 0);
  EXPECT_EQ(plain.output,
            "sinario.txt:3: warning: picture number 5 is also used at line 2 for another format; the player "
            "caches pictures by number and may draw the other one\n"
            "sinario.txt:5: warning: scene 2 is not reached from the start\n");
  EXPECT_EQ(lint("--werror").status, 1);
  // Callers that only need the verdict count warnings without printing them.
  FILE* quiet = std::tmpfile();
  const LintSummary s = lintGameFolder(dir_, "sinario.txt", quiet, false);
  EXPECT_TRUE(s.readable && s.errors == 0 && s.warnings == 2);
  EXPECT_EQ(std::ftell(quiet), 0);
  std::fclose(quiet);
}

// The lint reads whatever a folder holds: every file a scenario names is
// damaged at random, and each run must end normally (the sanitizers watch).
TEST_F(Authoring, LintSurvivesDamagedFolders) {
  writePng("1.png", 8, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE);
  writeJpeg("2.jpg", false);
  writeFile("3.jpg", makeBmp(5, 3, 16, [](int x, int y) { return Rgb{uint8_t(x), uint8_t(y), 7}; }));
  writeFile("4.jpg", greyRunLength(640 * 480));
  writeFile("s.wav", makeWav(1, 2, 11025, 16));
  writeFile("other.txt", "SCENE:3\nMSG:\x82\xa0\nGOTO:1\n");
  writeFile("sinario.txt",
            "SCENE:1\nHAIKEIPNG:1\nHAIKEIJPG:2\nCHARABMP:3\nHAIKEI:4\nOTO1.WAV:s\nMSG.FONT:0\n"
            "SELECT.MODE:1\nSELECT.MSG:\x82\xa0\nSELECT.GOTO:2\nMSG:x\nSCENE:2\nSINARIO.READ:other.txt\n");
  std::vector<std::pair<std::string, Bytes>> files;
  for (const char* name : {"1.png", "2.jpg", "3.jpg", "4.jpg", "s.wav", "other.txt", "sinario.txt"})
    files.emplace_back(name, toBytes(readFile(name)));
  std::mt19937 random(13);
  for (int round = 0; round < 60; round++) {
    for (auto& [name, original] : files) {
      Bytes b = original;
      for (int k = int(random() % 8); k >= 0 && !b.empty(); k--) b[random() % b.size()] = uint8_t(random());
      if (random() % 3 == 0) b.resize(random() % (b.size() + 1));
      writeFile(name, b);
    }
    const LintSummary s = lintGameFolder(dir_, "sinario.txt", nullptr);
    EXPECT_TRUE(s.readable);
  }
}
