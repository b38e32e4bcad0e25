// A WAV file through both builds' sound paths. The desktop channel: SDL's
// loader behind the header checks, the conversion to the device format, the
// exchange into the channel, then the mixer over several device buffers,
// played once or looping, under the audio lock as SDL's own thread calls it
// (the device is SDL's dummy driver). The web build's reader, converter and
// mixer: the samples must lie inside the input, the converted length within
// what the rate steps can make of them, both builds must play the same files
// (but for ADPCM, which only SDL decodes), and give the same bytes, mixed as
// SDL mixes them.
#include <fcntl.h>
#include <unistd.h>

#include <SDL/SDL.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "scenario/engine_state.h"
#include "scenario/sound.h"
#include "scenario/sound_codec.h"
#include "scenario/wav_codec.h"
#include "scenario_reset.h"

namespace {

void playOnTheChannel(size_t size) {
  const int channel = size % 2 + 1;
  if (soundLoadWav(channel, "s") != 0) return;
  soundPlay(channel, size % 3 == 0);
  std::vector<Uint8> stream(2048 + size % 7 * 4);
  for (int pass = 0; pass < 4; pass++) {
    std::memset(stream.data(), 0, stream.size());
    SDL_LockAudio();
    Callback(nullptr, stream.data(), int(stream.size()));
    SDL_UnlockAudio();
  }
  soundStop(channel);
}

// SDL decodes ADPCM files itself; the web build plays PCM only.
bool mayBeAdpcm(const uint8_t* data, size_t size) {
  for (size_t i = 0; i + 10 <= size; i++)
    if (std::memcmp(data + i, "fmt ", 4) == 0 && (data[i + 8] == 2 || data[i + 8] == 0x11) && data[i + 9] == 0)
      return true;
  return false;
}

void compareWithTheWebBuild(const uint8_t* data, size_t size, const std::string& path) {
  uint8_t* samples = nullptr;
  uint32_t length = 0;
  const bool sdlPlays = soundLoadDeviceFormat(path.c_str(), samples, length) == SoundLoad::kOk;
  const std::vector<uint8_t> sdlOut(samples, samples + (sdlPlays ? length : 0));
  std::free(samples);
  WavSound sound;
  const bool parsed = wavParse(data, size, sound);
  if (parsed && (sound.data < data || sound.data + sound.length > data + size)) std::abort();
  const bool webPlays = parsed && wavConvertible(sound);
  if (webPlays != sdlPlays && !(sdlPlays && !parsed && mayBeAdpcm(data, size))) std::abort();
  if (!webPlays) return;
  const std::vector<uint8_t> out = wavToDeviceFormat(sound, kSoundDeviceFreq);
  const size_t frames = sound.length / (sound.channels * (sound.sixteenBit ? 2 : 1));
  if (out.size() > frames * 4 * 32 + 4) std::abort();  // four doublings from 1,000 Hz, with room
  if (out != sdlOut) std::abort();
  std::vector<uint8_t> stream(out.size() + 1, 0x80), sdl = stream;
  for (int volume : {128, 37}) {
    mixSaturating(stream.data(), out.data(), uint32_t(out.size()), volume);
    SDL_MixAudio(sdl.data(), out.data(), uint32_t(out.size()), volume);
  }
  if (stream != sdl) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  if (SDL_Init(SDL_INIT_AUDIO) < 0) std::abort();
  std::snprintf(MyAppDir, sizeof MyAppDir, "%s", scratchFolder("/dev/shm/fuzz-wav-XXXXXX").c_str());
  std::fclose(stdout);  // the loader's complaints are not findings
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = std::string(MyAppDir) + "s.wav";
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0 || (size && write(fd, data, size) != ssize_t(size))) std::abort();
  close(fd);
  playOnTheChannel(size);
  compareWithTheWebBuild(data, size, path);
  return 0;
}
