#include "menu/save_file.h"


#include <cstdio>
#include <cstring>

#include "scenario/atomic_file.h"
#include "scenario/engine_state.h"
#include "scenario/rollback.h"
#include "scenario/scenario.h"

namespace {

constexpr int kKeyEnd = 9;     // slot digit + 8-character key
constexpr int kValueAt = 10;   // after the colon
constexpr int kCaptionMax = 31;
constexpr int kSioriCaptionBytes = 16;

struct Line {
  const uint8_t* bytes;
  size_t len;
  bool terminated;  // false for a final fragment without CR or LF
};

bool isLineEnd(uint8_t b) { return b == '\r' || b == '\n'; }

// Visits every non-empty line; runs of CR and LF only separate lines.
template <class Visit>
void forEachLine(const uint8_t* data, size_t len, Visit visit) {
  size_t i = 0;
  while (i < len) {
    while (i < len && isLineEnd(data[i])) ++i;
    size_t start = i;
    while (i < len && !isLineEnd(data[i])) ++i;
    if (i > start) visit(Line{data + start, i - start, i < len});
  }
}

bool hasKey(const Line& line, char digit, const char* key8) {
  return line.len >= kKeyEnd && line.bytes[0] == uint8_t(digit) &&
         std::memcmp(line.bytes + 1, key8, 8) == 0;
}

// The value part of a record line; empty when the line stops before it.
const uint8_t* valueOf(const Line& line, size_t& valueLen) {
  valueLen = line.len > size_t(kValueAt) ? line.len - kValueAt : 0;
  return line.bytes + (line.len > size_t(kValueAt) ? kValueAt : line.len);
}

std::string savePath() { return std::string(MyAppDir) + "tavino.sav"; }

void appendCaption(char* caption, const uint8_t* bytes, size_t n) {
  size_t have = std::strlen(caption);
  for (size_t i = 0; i < n && have < size_t(kCaptionMax); ++i) caption[have++] = char(bytes[i]);
  caption[have] = 0;
}

// atoi over a value that need not end in NUL: white space, sign, digits.
int32_t valueToInt(const uint8_t* v, size_t n) {
  size_t i = 0;
  while (i < n && (v[i] == ' ' || (v[i] >= '\t' && v[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < n && (v[i] == '+' || v[i] == '-')) negative = v[i++] == '-';
  int64_t value = 0;
  for (; i < n && v[i] >= '0' && v[i] <= '9'; ++i) {
    value = value * 10 + (v[i] - '0');
    if (value > 2147483648LL) value = 2147483648LL;  // saturate instead of overflowing
  }
  value = negative ? -value : value;
  if (value > INT32_MAX) value = INT32_MAX;
  return int32_t(value);
}

// Digits taken by position, as written; other characters give arbitrary values.
int digitsAt(const uint8_t* v, int count) {
  int value = 0;
  for (int i = 0; i < count; ++i) value = value * 10 + (int(v[i]) - '0');
  return value;
}

void appendDigits(std::string& out, int value, int width) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%0*d", width, value);
  out += buf;
}

void appendKey(std::string& out, int slot, const char* key8) {
  out += char('0' + slot);
  out.append(key8, 8);
  out += ':';
}

}  // namespace

char* menuCaption(int slot) {
  static char* const captions[6] = {menu1, menu2, menu3, menu4, menu5, menu6};
  return captions[slot - 1];
}

void saveBuildCaptions(const uint8_t* data, int32_t len) {
  for (int n = 1; n <= 6; ++n) {
    char* caption = menuCaption(n);
    std::memset(caption, 0, 32);
    caption[0] = char('0' + n);
    caption[1] = ':';
  }
  if (!data || len <= 0) return;
  forEachLine(data, size_t(len), [](const Line& line) {
    if (!line.terminated || line.len < size_t(kKeyEnd)) return;
    int n = line.bytes[0] - '0';
    if (n < 1 || n > 6) return;
    size_t vlen;
    const uint8_t* v = valueOf(line, vlen);
    if (hasKey(line, char('0' + n), "JIKOKU  ")) {
      if (vlen < 10) return;  // a cut time stamp is left out rather than half shown
      const uint8_t stamp[8] = {v[4], v[5], ' ', v[6], v[7], ':', v[8], v[9]};
      appendCaption(menuCaption(n), stamp, 8);
    } else if (hasKey(line, char('0' + n), "SIORI   ")) {
      size_t take = 0;
      while (take < vlen && take < size_t(kSioriCaptionBytes) && v[take]) ++take;
      appendCaption(menuCaption(n), v, take);
    }
  });
}

void saveReadCaptions() {
  savedatamax = 0;
  FILE* f = std::fopen(savePath().c_str(), "rb");
  if (f) {
    savedatamax = int32_t(std::fread(gfilework, 1, kMaxFileRead, f));
    std::fclose(f);
  }
  gfilework[savedatamax] = 0;
  saveBuildCaptions(gfilework, savedatamax);
}

std::string saveComposeFile(int slot, std::time_t now, const uint8_t* old, int32_t oldLen) {
  std::string out;
  out.reserve(4096 + size_t(oldLen > 0 ? oldLen : 0) * 2);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%dSCENENUM:%d\r\n", slot, SceneNum);
  out += buf;

  appendKey(out, slot, "FLAG1   ");
  for (uint8_t flag : gFlag1) out += flag ? '1' : '0';
  out += "\r\n";

  // Values below the fields' ranges would not fit their fixed widths and
  // shift every later flag on load, so they are stored at the lowest value.
  appendKey(out, slot, "FLAG8   ");
  for (int8_t flag : gFlag8) appendDigits(out, (flag < -120 ? -120 : flag) + 120, 3);
  out += "\r\n";

  appendKey(out, slot, "FLAG16  ");
  for (int16_t flag : gFlag16) appendDigits(out, (flag < -32000 ? -32000 : flag) + 32000, 5);
  out += "\r\n";

  appendKey(out, slot, "SINAFILE");
  out.append(SinaFile, strnlen(SinaFile, sizeof SinaFile - 1));
  out += "\r\n";

  size_t sioriLen = strnlen(siori, sizeof siori - 1);
  if (sioriLen) {
    appendKey(out, slot, "SIORI   ");
    out.append(siori, sioriLen);
    out += "\r\n";
  }

  std::tm utc{};
  gmtime_r(&now, &utc);
  appendKey(out, slot, "JIKOKU  ");
  appendDigits(out, ((utc.tm_year + 1900 - 2000) % 100 + 100) % 100, 2);
  appendDigits(out, utc.tm_mon + 1, 2);
  appendDigits(out, utc.tm_mday, 2);
  appendDigits(out, utc.tm_hour, 2);
  appendDigits(out, utc.tm_min, 2);
  appendDigits(out, utc.tm_sec, 2);
  out += "\r\n";

  // The other slots keep their lines in file order. A final fragment without
  // a line end is kept too (it still holds part of a record) and gets one.
  if (old && oldLen > 0) {
    forEachLine(old, size_t(oldLen), [&](const Line& line) {
      if (line.bytes[0] == uint8_t('0' + slot)) return;
      out.append(reinterpret_cast<const char*>(line.bytes), line.len);
      out += "\r\n";
    });
  }
  out += "\r\n";
  return out;
}

bool saveWriteSlotAt(int slot, std::time_t now) {
  if (slot < 1 || slot > 6) return false;
  return writeFileAtomically(savePath(), saveComposeFile(slot, now, gfilework, savedatamax));
}

bool saveWriteSlot(int slot) { return saveWriteSlotAt(slot, std::time(nullptr)); }

void saveRestoreSlot(const uint8_t* data, int32_t len, int slot) {
  if (!data || len <= 0 || slot < 1 || slot > 6) return;
  const char digit = char('0' + slot);
  forEachLine(data, size_t(len), [digit](const Line& line) {
    if (line.bytes[0] != uint8_t(digit) || line.len < size_t(kKeyEnd)) return;
    size_t vlen;
    const uint8_t* v = valueOf(line, vlen);
    if (hasKey(line, digit, "SCENENUM")) {
      SceneNum = valueToInt(v, vlen);
    } else if (hasKey(line, digit, "FLAG1   ")) {
      for (size_t i = 0; i < sizeof gFlag1 && i < vlen; ++i) gFlag1[i] = uint8_t(v[i] - '0');
    } else if (hasKey(line, digit, "FLAG8   ")) {
      for (size_t i = 0; i < sizeof gFlag8 && 3 * i + 3 <= vlen; ++i)
        gFlag8[i] = int8_t(digitsAt(v + 3 * i, 3) - 120);
    } else if (hasKey(line, digit, "FLAG16  ")) {
      for (size_t i = 0; i < 128 && 5 * i + 5 <= vlen; ++i)
        gFlag16[i] = int16_t(digitsAt(v + 5 * i, 5) - 32000);
    } else if (hasKey(line, digit, "SINAFILE")) {
      if (line.len < size_t(kValueAt)) return;  // cut before the value: nothing to restore
      size_t n = vlen < sizeof SinaFile - 1 ? vlen : sizeof SinaFile - 1;
      std::memcpy(SinaFile, v, n);
      SinaFile[n] = 0;
    }
  });
}

void saveLoadSlot(int slot) {
  rSPGbegin();
  std::strcpy(SinaFile, "sinario.txt");
  SceneNum = 0;
  if (pSinaFile) {
    std::fclose(pSinaFile);
    pSinaFile = nullptr;
  }
  saveRestoreSlot(gfilework, savedatamax, slot);
  // Loaded from the title screen before any game: nothing has set the design
  // size yet, so compose at the size a new game starts with.
  if (SystemSizeW <= 0 || SystemSizeH <= 0) {
    SystemSizeW = 1920;
    SystemSizeH = 1080;
    if (KisyuMode == 0) KisyuMode = 7;
  }
  clearHistoryAndRollback();
  rCPGgetsina(SceneNum);
}
