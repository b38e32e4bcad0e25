#include "scenario/sound.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "scenario/engine_state.h"

SDL_AudioSpec spec;

namespace {

constexpr int kDeviceFreq = 22050;
constexpr Uint16 kDeviceSamples = 512;

struct Channel {
  uint8_t*& buffer;
  uint32_t& len;
  uint32_t& pos;
  int32_t& loop;
};

Channel channel(int number) {
  if (number == 2) return {sound_buffer2, sound_len2, sound_pos2, sound_loop2};
  return {sound_buffer, sound_len, sound_pos, sound_loop};
}

void mixChannel(Channel ch, Uint8* stream, int len) {
  if (!ch.buffer) return;
  if (ch.pos > ch.len) ch.pos = ch.len;
  uint32_t n = ch.len - ch.pos;
  if (len >= 0 && uint32_t(len) < n) n = uint32_t(len);
  if (n) SDL_MixAudio(stream, ch.buffer + ch.pos, n, SDL_MIX_MAXVOLUME);
  ch.pos += n;
  if (ch.loop == 1 && ch.pos >= ch.len) ch.pos = 0;
}

bool openDevice() {
  std::memset(&spec, 0, sizeof spec);
  spec.freq = kDeviceFreq;
  spec.format = AUDIO_S16LSB;
  spec.channels = 2;
  spec.samples = kDeviceSamples;
  spec.callback = Callback;
  spec.userdata = nullptr;
  // No obtained record: SDL converts to this format itself if it must.
  if (SDL_OpenAudio(&spec, nullptr) < 0) {
    std::printf("Kann audio nicht offnen: %s\n", SDL_GetError());
    return false;
  }
  return true;
}

// SDL's converter keeps at most ten filter steps and halves or doubles the
// rate once per step, so extreme rates or channel counts would overrun it.
bool convertible(const SDL_AudioSpec& in) {
  switch (in.format) {
    case AUDIO_U8:
    case AUDIO_S8:
    case AUDIO_U16LSB:
    case AUDIO_S16LSB:
    case AUDIO_U16MSB:
    case AUDIO_S16MSB: break;
    default: return false;
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
bool wavHeaderSafe(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
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

// Decodes and converts outside the audio lock, so mixing goes on meanwhile.
// Returns the converted samples (malloc'd) or nullptr after printing why.
uint8_t* loadConverted(const std::string& path, uint32_t& outLen, bool& loadFailed) {
  loadFailed = false;
  SDL_AudioSpec in;
  Uint8* samples = nullptr;
  Uint32 length = 0;
  if (!wavHeaderSafe(path) || !SDL_LoadWAV_RW(SDL_RWFromFile(path.c_str(), "rb"), 1, &in, &samples, &length)) {
    std::puts("SDL_LoadWAV err");
    loadFailed = true;
    return nullptr;
  }
  SDL_AudioCVT cvt;
  if (!convertible(in) ||
      SDL_BuildAudioCVT(&cvt, in.format, in.channels, in.freq, AUDIO_S16LSB, 2, kDeviceFreq) < 0) {
    std::printf("%s: sound format cannot be converted\n", path.c_str());
    SDL_FreeWAV(samples);
    return nullptr;
  }
  size_t capacity = size_t(length) * size_t(cvt.len_mult > 0 ? cvt.len_mult : 1);
  uint8_t* converted = static_cast<uint8_t*>(std::malloc(capacity ? capacity : 1));
  if (!converted) {
    std::printf("%s: not enough memory for the sound\n", path.c_str());
    SDL_FreeWAV(samples);
    return nullptr;
  }
  std::memcpy(converted, samples, length);
  SDL_FreeWAV(samples);
  cvt.buf = converted;
  cvt.len = int(length);
  if (SDL_ConvertAudio(&cvt) < 0 || cvt.len_cvt < 0 || size_t(cvt.len_cvt) > capacity) {
    std::printf("%s: sound format cannot be converted\n", path.c_str());
    std::free(converted);
    return nullptr;
  }
  outLen = uint32_t(cvt.len_cvt);
  return converted;
}

}  // namespace

void Callback(void*, Uint8* stream, int len) {
  mixChannel(channel(1), stream, len);
  mixChannel(channel(2), stream, len);
}

int32_t soundLoadWav(int number, const char* name) {
  if (spec.freq == 0 && !openDevice()) return -1;

  std::string path = std::string(MyAppDir) + name + ".wav";
  // A missing sound is a scenario mistake worth a line, not a reason to stop
  // the story.
  if (FILE* probe = std::fopen(path.c_str(), "rb")) {
    std::fclose(probe);
  } else {
    std::printf("%s: cannot open\n", path.c_str());
    return 0;
  }

  uint32_t length = 0;
  bool loadFailed = false;
  uint8_t* converted = loadConverted(path, length, loadFailed);
  if (!converted) return loadFailed ? -1 : 0;

  Channel ch = channel(number);
  SDL_LockAudio();
  uint8_t* old = ch.buffer;
  ch.buffer = converted;
  ch.len = length;
  ch.loop = 0;
  ch.pos = length;
  SDL_UnlockAudio();
  std::free(old);
  return 0;
}

void soundPlay(int number, bool loop) {
  Channel ch = channel(number);
  SDL_LockAudio();
  ch.loop = loop ? 1 : 0;
  ch.pos = 0;
  SDL_UnlockAudio();
  SDL_PauseAudio(0);
}

void soundStop(int number) {
  Channel ch = channel(number);
  SDL_LockAudio();
  ch.loop = 0;
  ch.pos = ch.len;
  SDL_UnlockAudio();
}

void soundReset() {
  if (spec.freq != 0) SDL_CloseAudio();
  for (int number = 1; number <= 2; ++number) {
    Channel ch = channel(number);
    std::free(ch.buffer);
    ch.buffer = nullptr;
    ch.len = ch.pos = 0;
    ch.loop = 0;
  }
  std::memset(&spec, 0, sizeof spec);
}
