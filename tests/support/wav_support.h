// WAV files built byte by byte, for the sound, web and lint tests.
#pragma once

#include <cstdint>
#include <string>

inline std::string le(uint32_t v, int bytes = 4) {  // little-endian
  std::string s;
  for (int i = 0; i < bytes; i++) s += char(v >> (8 * i));
  return s;
}

// A chunk whose length field says `claimed`, whatever the bytes that follow.
inline std::string chunk(const std::string& id, const std::string& bytes, uint32_t claimed) {
  return id + le(claimed) + bytes;
}
inline std::string chunk(const std::string& id, const std::string& bytes) {
  return chunk(id, bytes, uint32_t(bytes.size()));
}

inline std::string riff(const std::string& chunks) { return "RIFF" + le(4 + uint32_t(chunks.size())) + "WAVE" + chunks; }

// A format chunk; encoding 1 is PCM, 3 floating point.
inline std::string fmtChunk(int channels, int bits, int rate, int encoding = 1) {
  return chunk("fmt ", le(encoding, 2) + le(channels, 2) + le(rate) + le(rate * channels * bits / 8) +
                           le(channels * bits / 8, 2) + le(bits, 2));
}

inline std::string wavFile(int channels, int bits, int rate, const std::string& data, int encoding = 1) {
  return riff(fmtChunk(channels, bits, rate, encoding) + chunk("data", data));
}
