#include "cp932.h"

#include <iconv.h>

#include <cerrno>

namespace {

bool isLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// One converter per direction, opened once; the tools are single-threaded.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (ok()) iconv_close(cd_);
  }
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  // Converts all of `in`; false when any of it does not convert.
  bool convert(const char* in, size_t length, std::string& out) {
    out.clear();
    if (!ok()) return false;
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char* ip = const_cast<char*>(in);
    size_t il = length;
    char buffer[256];
    while (il > 0) {
      char* op = buffer;
      size_t ol = sizeof buffer;
      const size_t r = iconv(cd_, &ip, &il, &op, &ol);
      out.append(buffer, size_t(op - buffer));
      if (r == size_t(-1) && errno != E2BIG) return false;
    }
    return true;
  }

 private:
  iconv_t cd_;
};

Converter& fromCp932() {
  static Converter c("UTF-8", "CP932");
  return c;
}

}  // namespace

size_t cp932CharLength(const std::string& text, size_t at) {
  if (at >= text.size()) return 0;
  const unsigned char b = static_cast<unsigned char>(text[at]);
  if (b < 0x80 || (b >= 0xA1 && b <= 0xDF)) return 1;
  if (!isLeadByte(b) || at + 1 >= text.size()) return 0;
  std::string unused;
  return fromCp932().convert(text.data() + at, 2, unused) ? 2 : 0;
}

std::string cp932ToUtf8(const std::string& bytes) {
  std::string out, one;
  for (size_t i = 0; i < bytes.size();) {
    const size_t n = cp932CharLength(bytes, i);
    const unsigned char b = static_cast<unsigned char>(bytes[i]);
    if (n == 0) {
      out += "\xEF\xBF\xBD";
      i++;
    } else if (b < 0x20 || b == 0x7F) {
      out += ' ';
      i++;
    } else {
      if (fromCp932().convert(bytes.data() + i, n, one)) out += one;
      i += n;
    }
  }
  return out;
}

bool utf8ToCp932(const std::string& utf8, std::string& out) {
  static Converter toCp932("CP932", "UTF-8");
  return toCp932.convert(utf8.data(), utf8.size(), out);
}
