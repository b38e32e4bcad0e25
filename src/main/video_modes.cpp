#include "main/video_modes.h"

#include <climits>
#include <cstdlib>

namespace {

struct ModeRow {
  int32_t width, height;
  int32_t modes[8];  // zero-terminated unless full
};

const ModeRow kModeTable[] = {
    {576, 384, {1, 2, 33, 34, 66, 129}},
    {1124, 644, {3, 8, 35, 40}},
    {1688, 964, {4, 5, 9, 10, 36, 37, 41, 42}},
    {576, 460, {6, 7, 38, 39, 134, 166}},
    {1280, 768, {11}},
    {1280, 1024, {12}},
    {1920, 1200, {13}},
    {720, 480, {130, 162}},
    {1280, 720, {131, 136, 163, 168}},
    {1920, 1080, {132, 133, 137, 138, 164, 165, 169, 170}},
    {720, 576, {135, 167}},
    {574, 384, {161}},
};

}  // namespace

WindowSize videoModeSize(int32_t mode) {
  if (mode < 1 || mode > 170) return {0, 0};
  for (const ModeRow& row : kModeTable) {
    for (int32_t m : row.modes) {
      if (m == mode) return {row.width, row.height};
    }
  }
  return {0, 0};
}

int32_t parseVideoModeArgument(const char* argument) {
  int32_t mode = std::atoi(argument);
  if (mode != 0) return mode;
  int colons = 0;
  int64_t digits = 0;
  for (const char* p = argument; *p; p++) {
    if (colons < 2) {
      if (*p == ':') colons++;
    } else if (*p >= '0' && *p <= '9') {
      // Saturate: a long run of digits names no mode either way.
      digits = digits * 10 + (*p - '0');
      if (digits > INT_MAX) digits = INT_MAX;
    }
  }
  return static_cast<int32_t>(digits);
}

int32_t fontSizeForWidth(int32_t width) {
  const int32_t size = static_cast<int32_t>(width / 17.58);
  return size >= 97 ? 96 : size;
}
