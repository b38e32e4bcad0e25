// The desktop build's sound services: SDL's WAV loader, converter and mixer.
#include <SDL/SDL.h>

#include <algorithm>
#include <cstdio>
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

uint32_t le16(const uint8_t* b) { return b[0] | b[1] << 8; }
uint32_t le32(const uint8_t* b) { return le16(b) | le16(b + 2) << 16; }

// The decoded size SDL's ADPCM decoders allocate and fill is taken from the
// header alone; real files decode to about four times their data (4-bit
// samples), so twice that is allowed.
bool adpcmSizeSane(const uint8_t* fmt, uint32_t fmtLength, uint32_t dataLength) {
  const uint32_t tag = le16(fmt);
  if (tag != 2 && tag != 0x11) return true;
  const uint32_t channels = le16(fmt + 2), blockAlign = le16(fmt + 12);
  if (fmtLength < 20 || blockAlign == 0) return false;
  const uint64_t decoded = uint64_t(dataLength / blockAlign) * le16(fmt + 18) * channels * 2;
  return decoded <= 8 * uint64_t(dataLength) + 4096;
}

// SDL's loader allocates each chunk's claimed length before it reads it, so a
// header claiming gigabytes costs gigabytes of memory, only for the read to
// fail; and its ADPCM decoders trust the format's block fields. The chunks it
// would read (up to "data") are checked against the file first.
bool wavHeaderSafe(const char* path) {
  FILE* f = std::fopen(path, "rb");
  if (!f) return true;  // SDL's loader reports it
  std::setvbuf(f, nullptr, _IONBF, 0);  // a few header reads: no buffer needed
  uint8_t head[12];
  bool safe = true;
  if (std::fread(head, 1, 12, f) == 12 && std::fseek(f, 0, SEEK_END) == 0) {
    const long size = std::ftell(f);
    // The loader also takes a file whose first word is "WAVE" without "RIFF".
    long at = std::memcmp(head + 4, "WAVE", 4) == 0 ? 8 : 12;
    uint8_t fmt[20] = {};
    uint32_t fmtLength = 0;
    bool fmtSeen = false;
    uint8_t chunk[8];
    for (;;) {
      // A chunk header cut by the end of the file gives the loader a length
      // made of whatever lay in memory.
      if (std::fseek(f, at, SEEK_SET) != 0 || std::fread(chunk, 1, 8, f) != 8) {
        safe = false;
        break;
      }
      const uint32_t length = le32(chunk + 4);
      at += 8;
      if (length > uint64_t(size - at)) {
        safe = false;
        break;
      }
      at += long(length);
      const bool skipped = std::memcmp(chunk, "fact", 4) == 0 || std::memcmp(chunk, "LIST", 4) == 0;
      if (!fmtSeen && !skipped) {
        if (std::memcmp(chunk, "fmt ", 4) != 0) break;  // refused by the loader on its own
        fmtSeen = true;
        fmtLength = length;
        // The loader reads the 16 bytes of the basic format from the chunk
        // whatever its length.
        if (length < 16 || std::fread(fmt, 1, std::min<size_t>(length, sizeof fmt), f) < 16) {
          safe = false;
          break;
        }
      } else if (fmtSeen && std::memcmp(chunk, "data", 4) == 0) {
        safe = adpcmSizeSane(fmt, fmtLength, length);
        break;
      }
    }
  }
  std::fclose(f);
  return safe;
}

}  // namespace

SoundLoad soundLoadDeviceFormat(const char* path, uint8_t*& samples, uint32_t& length) {
  SDL_AudioSpec in;
  Uint8* loaded = nullptr;
  Uint32 loadedLength = 0;
  if (!wavHeaderSafe(path) || !SDL_LoadWAV_RW(SDL_RWFromFile(path, "rb"), 1, &in, &loaded, &loadedLength))
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

bool soundFileHeaderSafe(const char* path) { return wavHeaderSafe(path); }
