#include "scenario/channel_sounds.h"

#include <cstring>

#include "scenario/engine_state.h"
#include "scenario/sound.h"

namespace {

char loadedName[2][kSoundNameBytes];

}  // namespace

void rememberChannelSound(int channel, const char* name) {
  char* slot = loadedName[channel == 2 ? 1 : 0];
  std::memset(slot, 0, kSoundNameBytes);
  std::memcpy(slot, name, strnlen(name, kSoundNameBytes - 1));
}

ChannelSound channelSound(int channel) {
  ChannelSound s{};
  SDL_LockAudio();  // the audio thread moves the play position
  const bool loaded = channel == 2 ? sound_buffer2 != nullptr : sound_buffer != nullptr;
  const uint32_t pos = channel == 2 ? sound_pos2 : sound_pos;
  const uint32_t len = channel == 2 ? sound_len2 : sound_len;
  s.loop = (channel == 2 ? sound_loop2 : sound_loop) == 1;
  SDL_UnlockAudio();
  s.playing = loaded && pos < len;
  // A channel emptied behind our back (sound reset) holds no name either.
  if (loaded) std::memcpy(s.name, loadedName[channel == 2 ? 1 : 0], kSoundNameBytes);
  return s;
}

void bringBackChannelSound(int channel, const ChannelSound& wanted) {
  ChannelSound now = channelSound(channel);
  const bool reload = std::strcmp(now.name, wanted.name) != 0;
  if (reload && wanted.name[0] != 0) {
    soundLoadWav(channel, wanted.name);
    now = channelSound(channel);
  }
  if (std::strcmp(now.name, wanted.name) != 0) {
    // Nothing to bring back, or the file no longer loads: silence, not the
    // later sound.
    if (now.playing) soundStop(channel);
    return;
  }
  if (wanted.playing && (reload || !now.playing || now.loop != wanted.loop)) {
    soundPlay(channel, wanted.loop);
  } else if (!wanted.playing && now.playing) {
    soundStop(channel);
  }
}
