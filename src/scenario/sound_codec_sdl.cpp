// The desktop build's sound services: SDL's WAV loader, converter and mixer.
#include <SDL/SDL.h>

#include <cstdlib>
#include <cstring>

#include "scenario/sound.h"
#include "scenario/sound_codec.h"

namespace {

// SDL's converter keeps at most ten filter steps and halves or doubles the
// rate once per step, so extreme rates or channel counts would overrun it.
bool convertible(const SDL_AudioSpec& in) {
  switch (in.format) {
    case AUDIO_U8:
    case AUDIO_S8:
    case AUDIO_U16LSB:
    case AUDIO_S16LSB:
    case AUDIO_U16MSB:
    case AUDIO_S16MSB:
      break;
    default:
      return false;
  }
  return (in.channels == 1 || in.channels == 2) && in.freq >= 1000 && in.freq <= 384000;
}

}  // namespace

SoundLoad soundLoadDeviceFormat(const char* path, uint8_t*& samples, uint32_t& length) {
  SDL_AudioSpec in;
  Uint8* loaded = nullptr;
  Uint32 loadedLength = 0;
  if (!SDL_LoadWAV_RW(SDL_RWFromFile(path, "rb"), 1, &in, &loaded, &loadedLength))
    return SoundLoad::kLoadFailed;
  SDL_AudioCVT cvt;
  if (!convertible(in) || SDL_BuildAudioCVT(&cvt, in.format, in.channels, in.freq, AUDIO_S16LSB, 2,
                                            kSoundDeviceFreq) < 0) {
    SDL_FreeWAV(loaded);
    return SoundLoad::kNotConvertible;
  }
  size_t capacity = size_t(loadedLength) * size_t(cvt.len_mult > 0 ? cvt.len_mult : 1);
  uint8_t* converted = static_cast<uint8_t*>(std::malloc(capacity ? capacity : 1));
  if (!converted) {
    SDL_FreeWAV(loaded);
    return SoundLoad::kNoMemory;
  }
  std::memcpy(converted, loaded, loadedLength);
  SDL_FreeWAV(loaded);
  cvt.buf = converted;
  cvt.len = int(loadedLength);
  if (SDL_ConvertAudio(&cvt) < 0 || cvt.len_cvt < 0 || size_t(cvt.len_cvt) > capacity) {
    std::free(converted);
    return SoundLoad::kNotConvertible;
  }
  samples = converted;
  length = uint32_t(cvt.len_cvt);
  return SoundLoad::kOk;
}

void soundMixInto(uint8_t* stream, const uint8_t* samples, uint32_t length, int volume) {
  SDL_MixAudio(stream, samples, length, volume);
}

bool soundFormatConvertible(const SDL_AudioSpec& format) { return convertible(format); }
