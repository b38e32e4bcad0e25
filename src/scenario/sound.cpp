#include "scenario/sound.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "scenario/channel_sounds.h"
#include "scenario/engine_state.h"
#include "scenario/sound_codec.h"

SDL_AudioSpec spec;
int32_t gMasterVolume = kFullVolume;
bool gSoundMuted;

namespace {

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
  if (n) soundMixInto(stream, ch.buffer + ch.pos, n, SDL_MIX_MAXVOLUME);
  ch.pos += n;
  if (ch.loop == 1 && ch.pos >= ch.len) ch.pos = 0;
}

bool openDevice() {
  std::memset(&spec, 0, sizeof spec);
  spec.freq = kSoundDeviceFreq;
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

// Decodes and converts outside the audio lock, so mixing goes on meanwhile.
// Returns the converted samples (malloc'd) or nullptr after printing why.
uint8_t* loadConverted(const std::string& path, uint32_t& outLen, bool& loadFailed) {
  loadFailed = false;
  uint8_t* converted = nullptr;
  switch (soundLoadDeviceFormat(path.c_str(), converted, outLen)) {
    case SoundLoad::kOk: return converted;
    case SoundLoad::kLoadFailed:
      std::puts("SDL_LoadWAV err");
      loadFailed = true;
      return nullptr;
    case SoundLoad::kNotConvertible:
      std::printf("%s: sound format cannot be converted\n", path.c_str());
      return nullptr;
    case SoundLoad::kNoMemory:
      std::printf("%s: not enough memory for the sound\n", path.c_str());
      return nullptr;
  }
  return nullptr;
}

// Scales the mixed samples after the channels were added and clipped; at
// full volume the stream is left exactly as mixed.
void applyMasterVolume(Uint8* stream, int len) {
  const int32_t volume = gSoundMuted ? 0 : gMasterVolume;
  if (volume >= kFullVolume || len <= 0) return;
  for (int i = 0; i + 1 < len; i += 2) {
    const int32_t s = int16_t(stream[i] | stream[i + 1] << 8);
    const int32_t scaled = s * volume / kFullVolume;
    stream[i] = uint8_t(scaled);
    stream[i + 1] = uint8_t(scaled >> 8);
  }
}

}  // namespace

void Callback(void*, Uint8* stream, int len) {
  mixChannel(channel(1), stream, len);
  mixChannel(channel(2), stream, len);
  applyMasterVolume(stream, len);
}

void soundSetVolume(int32_t volume, bool muted) {
  if (volume < 0) volume = 0;
  if (volume > kFullVolume) volume = kFullVolume;
  SDL_LockAudio();
  gMasterVolume = volume;
  gSoundMuted = muted;
  SDL_UnlockAudio();
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
  rememberChannelSound(number, name);
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
  gMasterVolume = kFullVolume;
  gSoundMuted = false;
}

