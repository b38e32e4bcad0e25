// A WAV file through the sound channel's whole path: SDL's loader, the
// checks on the format, the conversion to the device format, the exchange
// into the channel, then the mixer run over several device buffers, played
// once or looping. The device is SDL's dummy driver; the mixer is called
// under the audio lock as SDL's own thread calls it.
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

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  if (SDL_Init(SDL_INIT_AUDIO) < 0) std::abort();
  char pattern[] = "/dev/shm/fuzz-wav-XXXXXX";
  if (!mkdtemp(pattern)) std::abort();
  std::snprintf(MyAppDir, sizeof MyAppDir, "%s/", pattern);
  std::fclose(stdout);  // the loader's complaints are not findings
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = std::string(MyAppDir) + "s.wav";
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0 || (size && write(fd, data, size) != ssize_t(size))) std::abort();
  close(fd);

  const int channel = size % 2 + 1;
  if (soundLoadWav(channel, "s") != 0) return 0;
  soundPlay(channel, size % 3 == 0);
  std::vector<Uint8> stream(2048 + size % 7 * 4);
  for (int pass = 0; pass < 4; pass++) {
    std::memset(stream.data(), 0, stream.size());
    SDL_LockAudio();
    Callback(nullptr, stream.data(), int(stream.size()));
    SDL_UnlockAudio();
  }
  soundStop(channel);
  return 0;
}
