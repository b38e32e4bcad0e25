// tavino-tool new DIR: a small playable game to start writing from: a
// commented scenario in Shift-JIS, two generated pictures and the default font.
#include <png.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "cp932.h"
#include "tool.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kFontName = "pelorune96.dat";

// Comment lines must not hold a colon: the player would read them as statements.
const char* const kScenario[] = {
    "# A new Tavino game. Lines without a colon are comments.",
    "# Save this file in Shift-JIS (code page 932). One statement per line.",
    "# The bookmark is the text shown with saved games.",
    "SIORI:はじまり",
    "# Scene 1 is where the story starts and a save point.",
    "SCENE:1",
    "# The background is picture 100.png and the character 200.png, in the centre.",
    "HAIKEIPNG:100",
    "CHARA.ICHI:0",
    "CHARAPNG:200",
    "MSG:こんにちは。新しいゲームへようこそ。",
    "MSG:Ｒｅｔｕｒｎキーかクリックで先へ進みます。",
    "# A choice. First the texts with their scenes, then the question that shows them.",
    "SELECT.MODE:1",
    "SELECT.MSG:海へ行く",
    "SELECT.GOTO:2",
    "SELECT.MSG:山へ行く",
    "SELECT.GOTO:3",
    "MSG:どこへ行きましょうか？",
    "SCENE:2",
    "# A plain background colour, written as 0xRRGGBB in decimal.",
    "HAIKEI.CLEAR:3381759",
    "MSG:青い海に着きました。",
    "# Jump to scene 4.",
    "GOTO:4",
    "SCENE:3",
    "HAIKEI.CLEAR:3355392",
    "MSG:緑の山に着きました。",
    "GOTO:4",
    "SCENE:4",
    "HAIKEIPNG:100",
    "MSG:おしまい。スペースキーでメニューを開きます。",
};

bool writeScenario(const fs::path& path) {
  std::string text;
  for (const char* line : kScenario) {
    std::string bytes;
    if (!utf8ToCp932(line, bytes)) return false;
    text += bytes + "\r\n";
  }
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  return std::fclose(f) == 0 && ok;
}

bool writePng(const fs::path& path, int width, int height, bool alpha, const std::vector<uint8_t>& pixels) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = png_uint_32(width);
  image.height = png_uint_32(height);
  image.format = alpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
  return png_image_write_to_file(&image, path.c_str(), 0, pixels.data(), 0, nullptr) != 0;
}

uint8_t mix(int a, int b, double t) { return uint8_t(std::lround(a + (b - a) * std::clamp(t, 0.0, 1.0))); }

// An evening sky over a green field, at the default design size.
std::vector<uint8_t> background(int width, int height) {
  std::vector<uint8_t> rgb(size_t(width) * height * 3);
  const int horizon = height * 2 / 3;
  for (int y = 0; y < height; y++) {
    uint8_t c[3];
    if (y < horizon) {
      const double t = double(y) / horizon;
      c[0] = mix(40, 250, t), c[1] = mix(60, 190, t), c[2] = mix(130, 150, t);
    } else {
      const double t = double(y - horizon) / (height - horizon);
      c[0] = mix(70, 30, t), c[1] = mix(130, 80, t), c[2] = mix(70, 40, t);
    }
    for (int x = 0; x < width; x++) std::copy(c, c + 3, &rgb[(size_t(y) * width + x) * 3]);
  }
  return rgb;
}

// A simple standing figure (head and robe) with soft edges on a clear
// ground, as tall as the design so that it stands on the bottom edge.
std::vector<uint8_t> character(int width, int height) {
  std::vector<uint8_t> rgba(size_t(width) * height * 4, 0);
  const double cx = width / 2.0, headY = height * 0.30, headR = width * 0.22;
  const double bodyTop = headY + headR * 0.9;
  for (int y = 0; y < height; y++) {
    for (int x = 0; x < width; x++) {
      const double px = x + 0.5, py = y + 0.5;
      // Signed distances (negative inside) to the head and to the robe.
      const double head = std::hypot(px - cx, py - headY) - headR;
      const double halfWidth = width * (0.16 + 0.30 * std::clamp((py - bodyTop) / (height - bodyTop), 0.0, 1.0));
      const double robe = py < bodyTop ? bodyTop - py : std::abs(px - cx) - halfWidth;
      uint8_t* p = &rgba[(size_t(y) * width + x) * 4];
      const double inHead = std::clamp(0.5 - head, 0.0, 1.0), inRobe = std::clamp(0.5 - robe, 0.0, 1.0);
      if (inHead <= 0 && inRobe <= 0) continue;
      if (inHead >= inRobe) {
        p[0] = 250, p[1] = 222, p[2] = 196, p[3] = uint8_t(std::lround(inHead * 255));
      } else {
        const double shade = 1.0 - 0.25 * (py - bodyTop) / (height - bodyTop);
        p[0] = uint8_t(70 * shade), p[1] = uint8_t(110 * shade), p[2] = uint8_t(200 * shade);
        p[3] = uint8_t(std::lround(inRobe * 255));
      }
    }
  }
  return rgba;
}

// The default font: installed beside the program (share/tavino), or in the
// build folder when the program runs from there.
fs::path findDefaultFont() {
  std::vector<fs::path> places;
  if (const char* data = std::getenv("TAVINO_DATA_DIR")) places.push_back(data);
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (!ec) {
    places.push_back(exe.parent_path() / ".." / "share" / "tavino");
    places.push_back(exe.parent_path());
  }
  for (const fs::path& place : places) {
    if (fs::is_regular_file(place / kFontName, ec)) return place / kFontName;
  }
  return {};
}

int fail(const std::string& message) {
  std::fprintf(stderr, "tavino-tool new: %s\n", message.c_str());
  return 1;
}

}  // namespace

int toolNew(int argc, char** argv) {
  if (argc != 1 || argv[0][0] == '-') {
    std::fprintf(stderr, "usage: tavino-tool new DIR\n");
    return 2;
  }
  const fs::path dir = argv[0];
  std::error_code ec;
  if (fs::exists(dir, ec)) {
    if (!fs::is_directory(dir, ec)) return fail(dir.string() + " exists and is not a folder");
    if (!fs::is_empty(dir, ec)) return fail(dir.string() + " exists and is not empty");
  }
  const fs::path font = findDefaultFont();
  if (font.empty()) return fail(std::string("the default font ") + kFontName + " is not installed");
  fs::create_directories(dir, ec);
  if (ec) return fail("cannot create " + dir.string() + ": " + ec.message());

  if (!writeScenario(dir / "sinario.txt")) return fail("cannot write " + (dir / "sinario.txt").string());
  if (!writePng(dir / "100.png", 1920, 1080, false, background(1920, 1080)) ||
      !writePng(dir / "200.png", 480, 1080, true, character(480, 1080)))
    return fail("cannot write the pictures in " + dir.string());
  fs::copy_file(font, dir / kFontName, ec);
  if (ec) return fail("cannot copy " + font.string() + ": " + ec.message());

  std::printf("Created %s: sinario.txt, 100.png, 200.png, %s\n", dir.c_str(), kFontName);
  std::printf("Play it with: cd %s && tavino\n", dir.c_str());
  return 0;
}
