// A WAV reader, a converter to the device format and a saturating mixer in
// plain C++, for builds whose SDL has none of its own. They give the results
// SDL 1.2 gives on the same files, so a game sounds the same in every build.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct WavSound {
  bool sixteenBit = false;  // signed 16-bit little-endian; otherwise unsigned 8-bit
  int channels = 0;
  int freq = 0;
  const uint8_t* data = nullptr;  // points into the bytes given to wavParse
  uint32_t length = 0;            // whole sample frames only
};

// Reads uncompressed PCM WAV bytes as SDL's loader does: chunks "fact" and
// "LIST" may precede "fmt ", any chunk may precede "data", none may be empty.
// False when the bytes are not such a file (SDL's ADPCM decoders included).
bool wavParse(const uint8_t* bytes, size_t size, WavSound& sound);

// True when wavToDeviceFormat can convert the sound: 1 or 2 channels at
// 1,000 to 384,000 Hz.
bool wavConvertible(const WavSound& sound);

// Converts to signed 16-bit little-endian stereo at `freq` Hz with SDL's
// filter steps: sign, sample size, channels, then the rate halved or doubled
// while a factor of two remains.
std::vector<uint8_t> wavToDeviceFormat(const WavSound& sound, int freq);

// Adds signed 16-bit little-endian samples scaled by volume/128 into dst,
// saturating at the 16-bit limits; an odd last byte is left alone.
void mixSaturating(uint8_t* dst, const uint8_t* src, uint32_t length, int volume);
