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
// length, as SDL reads them; a chunk longer than the file is an error.
bool nextChunk(const uint8_t*& at, const uint8_t* end, Chunk& chunk) {
  if (end - at < 8) return false;
  chunk.tag = at;
  chunk.length = le32(at + 4);
  at += 8;
  if (uint64_t(end - at) < chunk.length) return false;
  chunk.data = at;
  at += chunk.length;
  return true;
}

constexpr int kPcm = 1;

int16_t sampleAt(const std::vector<uint8_t>& b, size_t index) {
  return int16_t(b[2 * index] | b[2 * index + 1] << 8);
}

void setSample(std::vector<uint8_t>& b, size_t index, int16_t v) {
  b[2 * index] = uint8_t(v);
  b[2 * index + 1] = uint8_t(uint16_t(v) >> 8);
}

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

// Nearest-sample resampling by `step` input samples per output sample. The
// positions are SDL's (its sample-by-sample accumulation, forwards when
// shrinking and backwards from the end when growing), but each output frame
// takes both channels of one input frame: SDL's own version indexes the
// interleaved samples as one stream and so lets left and right trade places.
void resample(std::vector<uint8_t>& b, double step) {
  const size_t inSamples = b.size() / 2;
  const size_t inFrames = b.size() / 4;
  int outBytes = int(double(b.size()) / step) & ~1;
  const size_t outSamples = size_t(outBytes) / 2;
  std::vector<uint8_t> out((outSamples / 2) * 4);
  if (inFrames == 0) {
    b.clear();
    return;
  }
  auto take = [&](size_t outFrame, double pos) {
    if (outFrame * 4 >= out.size()) return;  // the half frame SDL would leave
    size_t frame = pos > 0 ? size_t(pos) / 2 : 0;
    if (frame >= inFrames) frame = inFrames - 1;
    setSample(out, 2 * outFrame, sampleAt(b, 2 * frame));
    setSample(out, 2 * outFrame + 1, sampleAt(b, 2 * frame + 1));
  };
  if (step > 1.0) {
    double pos = 0.0;
    for (size_t k = 0; k < outSamples; k++) {
      if (k % 2 == 0) take(k / 2, pos);
      pos += step;
    }
  } else {
    double pos = double(inSamples);
    for (size_t k = outSamples; k-- > 0;) {
      pos -= step;
      if (k % 2 == 0) take(k / 2, pos);
    }
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
  return (sound.channels == 1 || sound.channels == 2) && sound.freq >= 1000 &&
         sound.freq <= 384000;
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
  // Rates within the same hundred count as equal.
  const uint32_t src = uint32_t(sound.freq), dst = uint32_t(freq);
  if (src / 100 == dst / 100) return b;
  const uint32_t hi = src > dst ? src : dst;
  uint32_t lo = src > dst ? dst : src;
  while (lo * 2 / 100 <= hi / 100) {
    if (src > dst) halveRate(b);
    else doubleRate(b);
    lo *= 2;
  }
  if (lo / 100 != hi / 100) resample(b, src < dst ? double(lo) / hi : double(hi) / lo);
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
