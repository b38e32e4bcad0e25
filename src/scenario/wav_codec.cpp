#include "scenario/wav_codec.h"

#include <cstring>

namespace {

uint32_t le32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }
uint16_t le16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
bool isTag(const uint8_t* p, const char* tag) { return std::memcmp(p, tag, 4) == 0; }

struct Chunk {
  const uint8_t* tag;
  const uint8_t* data;
  uint32_t length;
};

// Chunks follow each other without the pad byte RIFF asks for after an odd
// length, as SDL reads them; a chunk longer than the file, or an empty one,
// is an error there.
bool nextChunk(const uint8_t*& at, const uint8_t* end, Chunk& chunk) {
  if (end - at < 8) return false;
  chunk.tag = at;
  chunk.length = le32(at + 4);
  at += 8;
  if (chunk.length == 0 || uint64_t(end - at) < chunk.length) return false;
  chunk.data = at;
  at += chunk.length;
  return true;
}

constexpr int kPcm = 1;

// Keeps every other stereo frame. Like SDL, an odd last frame leaves half of
// itself behind (the buffer shrinks by exactly one half).
void halveRate(std::vector<uint8_t>& b) {
  const size_t frames = b.size() / 8;
  for (size_t i = 0; i < frames; i++) std::memcpy(&b[4 * i], &b[8 * i], 4);
  b.resize(b.size() / 2);
}

void doubleRate(std::vector<uint8_t>& b) {
  const size_t frames = b.size() / 4;
  std::vector<uint8_t> out(b.size() * 2);
  for (size_t i = 0; i < frames; i++) {
    std::memcpy(&out[8 * i], &b[4 * i], 4);
    std::memcpy(&out[8 * i + 4], &b[4 * i], 4);
  }
  b.swap(out);
}

}  // namespace

bool wavParse(const uint8_t* bytes, size_t size, WavSound& sound) {
  if (size < 12) return false;
  const uint8_t* at;
  const uint8_t* end = bytes + size;
  // Where "WAVE" stands in place of the length, the first tag is not looked at.
  if (isTag(bytes + 4, "WAVE")) {
    at = bytes + 8;
  } else if (!isTag(bytes, "RIFF") || !isTag(bytes + 8, "WAVE")) {
    return false;
  } else {
    at = bytes + 12;
  }
  Chunk chunk;
  do {
    if (!nextChunk(at, end, chunk)) return false;
  } while (isTag(chunk.tag, "fact") || isTag(chunk.tag, "LIST"));
  if (!isTag(chunk.tag, "fmt ") || chunk.length < 16) return false;
  const uint8_t* fmt = chunk.data;
  if (le16(fmt) != kPcm) return false;
  const int bits = le16(fmt + 14);
  if (bits != 8 && bits != 16) return false;
  sound.sixteenBit = bits == 16;
  sound.channels = le16(fmt + 2) & 0xFF;  // SDL keeps the count in a byte
  sound.freq = int(le32(fmt + 4));
  do {
    if (!nextChunk(at, end, chunk)) return false;
  } while (!isTag(chunk.tag, "data"));
  sound.data = chunk.data;
  const uint32_t frameBytes = uint32_t(bits / 8 * sound.channels);
  sound.length = frameBytes ? chunk.length / frameBytes * frameBytes : chunk.length;
  return true;
}

bool wavConvertible(const WavSound& sound) {
  return (sound.channels == 1 || sound.channels == 2) && sound.freq >= 1000 && sound.freq <= 384000;
}

std::vector<uint8_t> wavToDeviceFormat(const WavSound& sound, int freq) {
  // Signed 16-bit: an unsigned byte b becomes (b ^ 0x80) << 8.
  std::vector<uint8_t> b;
  if (sound.sixteenBit) {
    b.assign(sound.data, sound.data + sound.length);
  } else {
    b.resize(size_t(sound.length) * 2);
    for (uint32_t i = 0; i < sound.length; i++) b[2 * i + 1] = sound.data[i] ^ 0x80;
  }
  if (sound.channels == 1) {
    std::vector<uint8_t> stereo(b.size() * 2);
    for (size_t i = 0; i + 1 < b.size(); i += 2) {
      std::memcpy(&stereo[2 * i], &b[i], 2);
      std::memcpy(&stereo[2 * i + 2], &b[i], 2);
    }
    b.swap(stereo);
  }
  // Rates are compared in whole hundreds, as SDL does.
  const uint32_t src = uint32_t(sound.freq), dst = uint32_t(freq);
  const uint32_t hi = src > dst ? src : dst;
  // Only factors of two are converted; like SDL 1.2, a rest (48,000 Hz
  // halved is 24,000) is played as if it were the device rate.
  for (uint32_t lo = src > dst ? dst : src; lo * 2 / 100 <= hi / 100; lo *= 2) {
    if (src > dst)
      halveRate(b);
    else
      doubleRate(b);
  }
  return b;
}

void mixSaturating(uint8_t* dst, const uint8_t* src, uint32_t length, int volume) {
  if (volume == 0) return;
  for (uint32_t i = 0; i + 1 < length; i += 2) {
    const int s = int16_t(src[i] | src[i + 1] << 8) * volume / 128;
    int sum = s + int16_t(dst[i] | dst[i + 1] << 8);
    if (sum > 32767) sum = 32767;
    if (sum < -32768) sum = -32768;
    dst[i] = uint8_t(sum);
    dst[i + 1] = uint8_t(uint16_t(sum) >> 8);
  }
}
