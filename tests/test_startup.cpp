// Start-up: the video-mode table's argument forms, the font size each window
// width starts with, and the player's own lines and exit status when it
// cannot start.
#include <string>

#include "main/video_modes.h"
#include "support/test_support.h"

TEST(VideoModes, ArgumentFormsAndFontSize) {
  const std::pair<const char*, int> forms[] = {
      {"131", 131}, {"-5", -5}, {"7x", 7}, {"0:0:133", 133}, {"0:0:", 0},
      {"a:b:1x3:3", 133},  // later colons are skipped
      {"12:34", 12},       // atoi comes first
      {"x:y:99999999999999", 2147483647}};
  for (const auto& [text, mode] : forms) EXPECT_EQ(parseVideoModeArgument(text), mode) << text;
  const std::pair<int, int> fonts[] = {{576, 32}, {574, 32},   {720, 40},  {1280, 72},
                                       {1687, 95}, {1688, 96}, {1920, 96}};
  for (const auto& [width, size] : fonts) EXPECT_EQ(fontSizeForWidth(width), size) << width;
}

// Bad arguments print their lines; without a display (SDL cannot start its
// video) the player ends at once and without a word. Each ends with -1.
TEST(Startup, BadArgumentsAndNoDisplayEndWithMinusOne) {
  const std::string noDisplay = "LSAN_OPTIONS=suppressions=" TAVINO_SOURCE_DIR "/tests/support/x11.supp "
                                "SDL_VIDEODRIVER=x11 DISPLAY=:97 ";
  const std::string cases[][3] = {{"", "abc", "tavino [video mode]\nEx)\n./tavino `ps3videomode`\n"},
                                  {"", "14", "video mode=14\nsorry, no support video mode\n"},
                                  {noDisplay, "131 2>&1", ""}};
  for (const auto& [environment, args, output] : cases) {
    const CommandResult r = runCommand(environment + TAVINO_PLAYER " " + args);
    EXPECT_EQ(r.status, 255) << args;
    EXPECT_EQ(r.output, output) << args;
  }
}
