// tavino-tool rle encode IN.ppm OUT [--layer 0|1|2|3] [--key RRGGBB]
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "image/rle.h"
#include "rle_encoder.h"
#include "tool.h"

namespace {

int fail(const char* what, const char* detail = "") {
  std::fprintf(stderr, "tavino-tool rle: %s%s\n", what, detail);
  return 1;
}

// Binary PPM with maxval 255; header comments allowed.
bool parsePpm(const std::string& bytes, int& width, int& height, std::string& rgb) {
  size_t at = 0;
  auto skipSpace = [&] {
    while (at < bytes.size()) {
      if (bytes[at] == '#') {
        while (at < bytes.size() && bytes[at] != '\n') at++;
      } else if (std::isspace(static_cast<unsigned char>(bytes[at]))) {
        at++;
      } else {
        break;
      }
    }
  };
  auto number = [&](int& v) {
    skipSpace();
    if (at >= bytes.size() || !std::isdigit(static_cast<unsigned char>(bytes[at]))) return false;
    long n = 0;
    while (at < bytes.size() && std::isdigit(static_cast<unsigned char>(bytes[at])) && n < 100000)
      n = n * 10 + (bytes[at++] - '0');
    v = int(n);
    return true;
  };
  if (bytes.compare(0, 2, "P6") != 0) return false;
  at = 2;
  int maxval = 0;
  if (!number(width) || !number(height) || !number(maxval) || maxval != 255) return false;
  if (at >= bytes.size() || !std::isspace(static_cast<unsigned char>(bytes[at]))) return false;
  at++;
  const size_t n = size_t(width) * size_t(height) * 3;
  if (bytes.size() - at < n) return false;
  rgb = bytes.substr(at, n);
  return true;
}

}  // namespace

int toolRle(int argc, char** argv) {
  if (argc < 3 || std::strcmp(argv[0], "encode") != 0) {
    std::fprintf(stderr, "usage: tavino-tool rle encode IN.ppm OUT [--layer 0|1|2|3] [--key RRGGBB]\n");
    return 2;
  }
  const char* in = argv[1];
  const char* out = argv[2];
  int layer = 0;
  std::optional<RleKey> key;
  for (int i = 3; i < argc; i++) {
    if (std::strcmp(argv[i], "--layer") == 0 && i + 1 < argc) {
      const char* v = argv[++i];
      if (std::strlen(v) != 1 || v[0] < '0' || v[0] > '3') return fail("--layer must be 0, 1, 2 or 3");
      layer = v[0] - '0';
    } else if (std::strcmp(argv[i], "--key") == 0 && i + 1 < argc) {
      const char* v = argv[++i];
      char* end = nullptr;
      const unsigned long k = std::strtoul(v, &end, 16);
      if (std::strlen(v) != 6 || *end) return fail("--key must be six hex digits RRGGBB: ", v);
      key = RleKey{uint8_t(k >> 16), uint8_t(k >> 8), uint8_t(k)};
    } else {
      return fail("unknown option ", argv[i]);
    }
  }

  std::string bytes, rgb;
  if (!readWholeFile(in, bytes)) return fail("cannot read ", in);
  int width = 0, height = 0;
  if (!parsePpm(bytes, width, height, rgb)) return fail("not a binary PPM with maxval 255: ", in);
  int x, expectedWidth;
  rleGeometry(uint32_t(layer), x, expectedWidth);
  if (width != expectedWidth || height != kRleRows) {
    char msg[128];
    std::snprintf(msg, sizeof msg, "picture is %d x %d; layer %d needs %d x %d", width, height, layer,
                  expectedWidth, kRleRows);
    return fail(msg);
  }

  const std::vector<uint8_t> stream =
      rleEncode(reinterpret_cast<const uint8_t*>(rgb.data()), width, key);
  FILE* f = std::fopen(out, "wb");
  if (!f) return fail("cannot write ", out);
  const bool ok = std::fwrite(stream.data(), 1, stream.size(), f) == stream.size();
  if (std::fclose(f) != 0 || !ok) return fail("cannot write ", out);
  return 0;
}
