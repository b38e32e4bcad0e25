#include "display/screenshot.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "scenario/engine_state.h"

namespace {

constexpr int kLastNumber = 99999;

void put(std::string& out, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; i++) out += char(v >> (8 * i));
}

// Creates the next free name; never replaces an existing file, even one
// made by another program between the test and the creation.
int createNext(char* name, size_t size) {
  for (int n = 1; n <= kLastNumber; n++) {
    std::snprintf(name, size, "screenshot%04d.bmp", n);
    const int fd = open(name, O_WRONLY | O_CREAT | O_EXCL, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

bool writeAll(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += size_t(n);
  }
  return true;
}

}  // namespace

std::string screenshotBmp(const uint8_t* frame, int width, int height) {
  const uint32_t rowBytes = (uint32_t(width) * 3 + 3) & ~3u;
  const uint32_t pixelBytes = rowBytes * uint32_t(height);
  std::string out = "BM";
  put(out, 54 + pixelBytes, 4);
  put(out, 0, 4);    // reserved
  put(out, 54, 4);   // pixels start right after the two headers
  put(out, 40, 4);   // BITMAPINFOHEADER
  put(out, uint32_t(width), 4);
  put(out, uint32_t(height), 4);  // positive: bottom row first
  put(out, 1, 2);
  put(out, 24, 2);
  put(out, 0, 4);    // no compression
  put(out, pixelBytes, 4);
  put(out, 2835, 4);  // 72 dots per inch
  put(out, 2835, 4);
  put(out, 0, 4);
  put(out, 0, 4);
  out.reserve(out.size() + pixelBytes);
  for (int y = height - 1; y >= 0; y--) {
    const uint8_t* p = frame + size_t(y) * kFrameStride;
    for (int x = 0; x < width; x++, p += 3) {
      out += char(p[2]);
      out += char(p[1]);
      out += char(p[0]);
    }
    out.append(rowBytes - uint32_t(width) * 3, '\0');
  }
  return out;
}

void takeScreenshot() {
  const int width = w < kFrameW ? w : kFrameW, height = h < kFrameH ? h : kFrameH;
  char name[32];
  const int fd = createNext(name, sizeof name);
  if (fd < 0) {
    std::printf("screenshot not saved: %s\n", std::strerror(errno));
    return;
  }
  const bool written = writeAll(fd, screenshotBmp(gUra, width, height));
  const int writeError = errno;
  if (close(fd) != 0 || !written) {
    std::remove(name);
    std::printf("screenshot not saved: %s: %s\n", name, std::strerror(written ? errno : writeError));
    return;
  }
  std::printf("%s saved\n", name);
}
