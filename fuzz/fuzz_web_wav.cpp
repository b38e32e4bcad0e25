// The web build's WAV reader, converter and mixer on arbitrary bytes: besides
// memory errors it checks that the samples lie inside the input and that the
// converted length stays within what the rate steps can make of them.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "scenario/sound_codec.h"
#include "scenario/wav_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  WavSound sound;
  if (!wavParse(data, size, sound)) return 0;
  if (sound.data < data || sound.data + sound.length > data + size) std::abort();
  if (!wavConvertible(sound)) return 0;
  const std::vector<uint8_t> out = wavToDeviceFormat(sound, kSoundDeviceFreq);
  const size_t frames = sound.length / (sound.channels * (sound.sixteenBit ? 2 : 1));
  if (out.size() > frames * 4 * 32 + 4) std::abort();  // four doublings from 1,000 Hz, with room
  std::vector<uint8_t> stream(out.size() + 1, 0x80);
  mixSaturating(stream.data(), out.data(), uint32_t(out.size()), 128);
  mixSaturating(stream.data(), out.data(), uint32_t(out.size()), 37);
  return 0;
}
