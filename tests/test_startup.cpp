// Start-up: the video-mode table's argument forms and the font size each
// window width starts with.
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
