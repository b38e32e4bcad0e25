// Setting statements: bookmark, display mode, target platform, design size
// and the version check.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "scenario/engine_state.h"
#include "scenario/statements.h"

namespace {

constexpr int kArgumentBytes = 103;

// "This scenario needs a newer viewer", in Shift-JIS.
const char kVersionTooOld[] =
    "\x82\xb1\x82\xcc\x83\x56\x83\x69\x83\x8a\x83\x49\x82\xf0\x8d\xc4\x90\xb6\x82\xb7\x82\xe9"
    "\x82\xc9\x82\xcd\x81\x41\x83\x72\x83\x85\x83\x8f\x81\x5b\x83\x6f\x81\x5b\x83\x57\x83\x87"
    "\x83\x93\x82\xaa\x8c\xc3\x82\xa2\x82\xc5\x82\xb7";

bool startsWith(const char* text, const char* prefix) {
  return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

}  // namespace

int32_t stmtSiori(const char* arg) {
  std::memset(siori, 0, sizeof siori);
  std::strncpy(siori, arg, kArgumentBytes - 1);
  return 0;
}

int32_t stmtMode(const char* arg) {
  SystemMode = startsWith(arg, "IKU") ? 1 : 0;
  return 0;
}

int32_t stmtKisyu(const char* arg) {
  if (startsWith(arg, "ZAURUS")) {
    KisyuMode = 2, SystemSizeW = 480, SystemSizeH = 320;
  } else if (startsWith(arg, "PSP")) {
    KisyuMode = 2, SystemSizeW = 480, SystemSizeH = 272;
  } else if (startsWith(arg, "PS3LINUX")) {
    KisyuMode = 8;
  }
  return 0;
}

int32_t stmtSystemSize(const char* arg) {
  const size_t len = strnlen(arg, kArgumentBytes);
  const char* x = static_cast<const char*>(std::memchr(arg, 'x', len));
  if (!x) return 0;
  char width[kArgumentBytes] = {};
  std::memcpy(width, arg, static_cast<size_t>(x - arg));
  const int32_t newW = std::atoi(width);
  const int32_t newH = std::atoi(x + 1);
  // The layer buffers hold at most 1920 x 1080, and the scaler needs a size
  // to divide by.
  if (newW < 1 || newW > kFrameW || newH < 1 || newH > kFrameH) {
    std::printf("SYSTEMSIZE %dx%d refused: the design size must lie within 1x1 and %dx%d\n",
                newW, newH, kFrameW, kFrameH);
    return 0;
  }
  SystemSizeW = newW;
  SystemSizeH = newH;
  return 0;
}

int32_t stmtVersionCheck(const char* arg) {
  if (KisyuMode != 8) return 0;
  const float version = static_cast<float>(std::atof(arg));
  if (version > 8.0f) {
    std::puts(kVersionTooOld);
    return 1;
  }
  return 0;
}

int32_t stmtNoEffect(const char*) { return 0; }
