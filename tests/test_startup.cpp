// Start-up: the video-mode table and its argument forms, the font size, and
// the player's own lines and exit status on bad arguments.
#include <string>

#include "main/video_modes.h"
#include "support/test_support.h"

namespace {

std::string player(const std::string& args, const std::string& wrapper = "") {
  return "SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy " + wrapper + TAVINO_PLAYER + " " + args;
}

std::string play(const std::string& dir, const std::string& mode) {
  return std::string(TAVINO_TOOL) + " play --dir '" + dir + "' --mode '" + mode + "'";
}

const char kUsage[] = "tavino [video mode]\nEx)\n./tavino `ps3videomode`\n";

class Startup : public PlayerDirTest {};

}  // namespace

TEST(VideoModes, OnlyListedNumbersHaveAWindow) {
  int listed = 0;
  for (int mode = -300; mode <= 300; mode++) listed += videoModeSize(mode).width != 0;
  EXPECT_EQ(listed, 44);
  const struct {
    int mode, width, height;
  } spots[] = {{1, 576, 384},    {13, 1920, 1200}, {129, 576, 384}, {161, 574, 384},
               {170, 1920, 1080}, {0, 0, 0},        {14, 0, 0},      {171, 0, 0}};
  for (const auto& s : spots) {
    EXPECT_EQ(videoModeSize(s.mode).width, s.width) << s.mode;
    EXPECT_EQ(videoModeSize(s.mode).height, s.height) << s.mode;
  }
}

TEST(VideoModes, ArgumentForms) {
  EXPECT_EQ(parseVideoModeArgument("131"), 131);
  EXPECT_EQ(parseVideoModeArgument("-5"), -5);
  EXPECT_EQ(parseVideoModeArgument("7x"), 7);
  EXPECT_EQ(parseVideoModeArgument("0:0:133"), 133);
  EXPECT_EQ(parseVideoModeArgument("a:b:1x3:3"), 133) << "later colons are skipped";
  EXPECT_EQ(parseVideoModeArgument("0:0:"), 0);
  EXPECT_EQ(parseVideoModeArgument("12:34"), 12) << "atoi comes first";
  EXPECT_EQ(parseVideoModeArgument("x:y:99999999999999"), 2147483647);
}

TEST(VideoModes, FontSize) {
  EXPECT_EQ(fontSizeForWidth(576), 32);
  EXPECT_EQ(fontSizeForWidth(574), 32);
  EXPECT_EQ(fontSizeForWidth(720), 40);
  EXPECT_EQ(fontSizeForWidth(1280), 72);
  EXPECT_EQ(fontSizeForWidth(1688), 96);
  EXPECT_EQ(fontSizeForWidth(1687), 95);
  EXPECT_EQ(fontSizeForWidth(1920), 96);
}

TEST_F(Startup, BadArgumentsPrintTheirLinesAndFail) {
  const struct {
    const char* args;
    std::string output;
  } cases[] = {
      {"''", kUsage},
      {"0", kUsage},
      {"abc", kUsage},
      {"0:0:", kUsage},
      {"300", "video mode=300\nsorry, no support video mode\n"},
      {"-5", "video mode=-5\nsorry, no support video mode\n"},
      {"14", "video mode=14\nsorry, no support video mode\n"},
  };
  for (const auto& c : cases) {
    const CommandResult r = runCommand(player(c.args));
    EXPECT_EQ(r.status, 255) << c.args;
    EXPECT_EQ(r.output, c.output) << c.args;
  }
}

TEST_F(Startup, ModesOpenTheirWindowWithTheDerivedFontSize) {
  const struct {
    const char* mode;
    const char* output;
  } cases[] = {
      {"7", "video mode=7\nFontSize=32\nvideo size = 576 x 460\n"},
      {"161", "video mode=161\nFontSize=32\nvideo size = 574 x 384\n"},
      {"0:0:133", "video mode=133\nFontSize=96\nvideo size = 1920 x 1080\n"},
      {"13", "video mode=13\nFontSize=96\nvideo size = 1920 x 1080\n"},
      {"11", "video mode=11\nFontSize=72\nvideo size = 1280 x 768\n"},
  };
  for (const auto& c : cases) {
    const CommandResult r = runCommand(play(dir_, c.mode));
    EXPECT_EQ(r.status, 0) << c.mode;
    EXPECT_EQ(r.output.rfind(c.output, 0), 0u) << c.mode << ": " << r.output;
  }
}

TEST_F(Startup, WithoutArgumentTheLargestModeIsUsed) {
  // The dummy driver allows any size: the largest frame is taken. SIGTERM
  // makes SDL post a quit request, so the player ends normally.
  const CommandResult r = runCommand(player("", "timeout -s TERM 3 "));
  EXPECT_EQ(r.output, "video mode=-1\nFontSize=96\nvideo size = 1920 x 1080\n");
}
