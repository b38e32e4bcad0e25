// The web build's sound services: its SDL has no WAV loader, converter or
// mixer, so the portable ones stand in.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "scenario/sound_codec.h"
#include "scenario/wav_codec.h"

SoundLoad soundLoadDeviceFormat(const char* path, uint8_t*& samples, uint32_t& length) {
  FILE* f = std::fopen(path, "rb");
  if (!f) return SoundLoad::kLoadFailed;
  std::vector<uint8_t> bytes;
  uint8_t block[65536];
  for (size_t n; (n = std::fread(block, 1, sizeof block, f)) > 0;)
    bytes.insert(bytes.end(), block, block + n);
  std::fclose(f);

  WavSound sound;
  if (!wavParse(bytes.data(), bytes.size(), sound)) return SoundLoad::kLoadFailed;
  if (!wavConvertible(sound)) return SoundLoad::kNotConvertible;
  const std::vector<uint8_t> converted = wavToDeviceFormat(sound, kSoundDeviceFreq);
  samples = static_cast<uint8_t*>(std::malloc(converted.empty() ? 1 : converted.size()));
  if (!samples) return SoundLoad::kNoMemory;
  if (!converted.empty()) std::memcpy(samples, converted.data(), converted.size());
  length = uint32_t(converted.size());
  return SoundLoad::kOk;
}

void soundMixInto(uint8_t* stream, const uint8_t* samples, uint32_t length, int volume) {
  mixSaturating(stream, samples, length, volume);
}
