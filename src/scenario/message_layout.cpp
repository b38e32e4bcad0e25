#include "scenario/message_layout.h"

#include <cstring>

namespace {

bool isClosingMark(const char* line) {
  static const unsigned char kMarks[][2] = {{0x81, 0x42}, {0x81, 0x76}, {0x81, 0x78}, {0x81, 0x66}};
  for (const auto& m : kMarks) {
    if (static_cast<unsigned char>(line[0]) == m[0] && static_cast<unsigned char>(line[1]) == m[1])
      return true;
  }
  return false;
}

}  // namespace

size_t layoutMessage(const char* text, char lines[kMessageLines][kLineBytes]) {
  // Room for the longest text after every possible insertion (one space per
  // two bytes), the padding space and the NUL: no insertion can overflow.
  constexpr size_t kRoom = kMessageTextMax + kMessageTextMax / 2 + 4;
  char buf[kRoom] = {};
  size_t len = strnlen(text, kMessageTextMax);
  std::memcpy(buf, text, len);
  if (len > 0 && buf[len - 1] == '\n') buf[--len] = 0;

  // Put every double-byte character on an even offset.
  for (size_t i = 0; i < len; i += 2) {
    if (isMessageLeadByte(static_cast<unsigned char>(buf[i]))) continue;
    if (isMessageLeadByte(static_cast<unsigned char>(buf[i + 1]))) {
      std::memmove(buf + i + 2, buf + i + 1, len - i);  // the rest and its NUL
      buf[i + 1] = ' ';
      len++;
    }
  }
  if (len % 2 == 1) buf[len++] = ' ';

  for (int k = 0; k < kMessageLines; k++) {
    std::memset(lines[k], 0, kLineBytes);
    std::memcpy(lines[k], buf + k * kMessageLineText, kMessageLineText);
  }

  // A closing mark alone on a line hangs at the end of the line above.
  for (int k = kMessageLines - 1; k >= 1; k--) {
    if (std::strlen(lines[k]) != 2) continue;
    if (isClosingMark(lines[k])) {
      const size_t above = std::strlen(lines[k - 1]);
      std::memcpy(lines[k - 1] + above, lines[k], 2);
      std::memset(lines[k], 0, kLineBytes);
    }
    break;
  }
  return len;
}
