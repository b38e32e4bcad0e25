#include <cstdio>
#include <memory>

#include "tool.h"

bool readWholeFile(const char* path, std::string& bytes) {
  std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(path, "rb"), std::fclose);
  if (!f) return false;
  bytes.clear();
  char chunk[65536];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, f.get())) > 0) bytes.append(chunk, n);
  return !std::ferror(f.get());
}

static bool writeWithHeader(const char* path, const char* header, const uint8_t* data, size_t n) {
  FILE* f = std::fopen(path, "wb");
  if (!f) return false;
  bool ok = std::fputs(header, f) >= 0 && std::fwrite(data, 1, n, f) == n;
  return (std::fclose(f) == 0) && ok;
}

bool writePpm(const char* path, const uint8_t* rgb, int width, int height) {
  char header[64];
  std::snprintf(header, sizeof header, "P6\n%d %d\n255\n", width, height);
  return writeWithHeader(path, header, rgb, size_t(width) * size_t(height) * 3);
}

bool writePam(const char* path, const uint8_t* rgba, int width, int height) {
  char header[128];
  std::snprintf(header, sizeof header,
                "P7\nWIDTH %d\nHEIGHT %d\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n", width,
                height);
  return writeWithHeader(path, header, rgba, size_t(width) * size_t(height) * 4);
}
