// tavino-tool rc: the font file's range coder on any file.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "scenario/engine_state.h"
#include "text/range_coder.h"
#include "tool.h"

namespace {

bool writeBytes(const char* path, const uint8_t* data, size_t n) {
  FILE* f = std::fopen(path, "wb");
  if (!f) return false;
  const bool ok = std::fwrite(data, 1, n, f) == n;
  return std::fclose(f) == 0 && ok;
}

}  // namespace

int toolRc(int argc, char** argv) {
  if (argc != 3 || (std::strcmp(argv[0], "encode") != 0 && std::strcmp(argv[0], "decode") != 0)) {
    std::fprintf(stderr, "usage: tavino-tool rc encode|decode IN OUT\n");
    return 2;
  }
  std::string in;
  if (!readWholeFile(argv[1], in)) {
    std::fprintf(stderr, "tavino-tool: cannot read %s\n", argv[1]);
    return 1;
  }
  const uint8_t* src = reinterpret_cast<const uint8_t*>(in.data());
  std::vector<uint8_t> out;
  if (argv[0][0] == 'e') {
    if (in.size() > 0x7FFFFFFF / 8) {
      std::fprintf(stderr, "tavino-tool: %s is too large to encode\n", argv[1]);
      return 1;
    }
    out.resize(mem_encode_bound(in.size()));
    out.resize(size_t(mem_encode(out.data(), src, int(in.size()))));
  } else {
    // The decoded size is not stored: grow the buffer until the data fits.
    RcDecodeResult r{RcStatus::outputFull, 0};
    for (size_t cap = size_t(kFontBytes); r.status == RcStatus::outputFull && cap <= (size_t(1) << 30);
         cap *= 2) {
      out.resize(cap);
      r = mem_decode(out.data(), out.size(), src, in.size());
    }
    if (r.status != RcStatus::ok) {
      std::fprintf(stderr, "tavino-tool: %s: %s\n", argv[1], rcStatusText(r.status));
      return 1;
    }
    out.resize(r.written);
  }
  if (!writeBytes(argv[2], out.data(), out.size())) {
    std::fprintf(stderr, "tavino-tool: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
