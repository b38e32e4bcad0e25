// The master volume and mute, on the mixed output.
#include <SDL/SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "scenario/engine_state.h"
#include "scenario/sound.h"
#include "scenario/statements.h"
#include "support/test_support.h"

namespace {

constexpr int kFrames = 512;  // one device buffer

std::string le(uint32_t v, int bytes) {
  std::string s;
  for (int i = 0; i < bytes; i++) s += char(v >> (8 * i));
  return s;
}

int16_t rampValue(int i) { return int16_t(i % 2 ? -(i * 31 + 7) : i * 29 + 3); }

// A device-format WAV whose samples are rampValue(0), rampValue(1), ...
std::string rampWav() {
  std::string data;
  for (int i = 0; i < 2 * kFrames; i++) data += le(uint16_t(rampValue(i)), 2);
  return "RIFF" + le(36 + uint32_t(data.size()), 4) + "WAVEfmt " + le(16, 4) + le(1, 2) + le(2, 2) +
         le(22050, 4) + le(22050 * 4, 4) + le(4, 2) + le(16, 2) + "data" + le(uint32_t(data.size()), 4) + data;
}

class MasterVolume : public PlayerDirTest {
 protected:
  void TearDown() override {
    soundReset();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    PlayerDirTest::TearDown();
  }
};

}  // namespace

// Captured by SDL's disk driver: 30 scales every sample, truncating toward
// zero; 100 leaves the output exactly as mixed.
TEST_F(MasterVolume, ScalesTheMixedOutputAndLeavesItExactAtFull) {
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", (dir_ + "/mixed.raw").c_str(), 1);
  setenv("SDL_DISKAUDIODELAY", "1", 1);
  ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_AUDIO), 0) << SDL_GetError();
  writeFile("ramp.wav", rampWav());
  ASSERT_EQ(stmtOto1Wav("ramp"), 0);
  for (int volume : {30, 100}) {
    soundSetVolume(volume, false);
    const size_t from = readFile("mixed.raw").size();  // the sound starts after this
    ASSERT_EQ(stmtOto1Play("0"), 0);
    std::string raw;
    size_t first = std::string::npos;
    for (int tries = 0; tries < 2000; tries++) {
      raw = readFile("mixed.raw");
      first = raw.find_first_not_of('\0', from);
      if (first != std::string::npos && raw.size() >= first / 4 * 4 + 4 * kFrames) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_NE(first, std::string::npos) << "no sound at volume " << volume;
    first = first / 2048 * 2048;  // the sound starts a device buffer
    for (int i = 0; i < 2 * kFrames; i++) {
      const int16_t got = int16_t(uint8_t(raw[first + 2 * i]) | uint8_t(raw[first + 2 * i + 1]) << 8);
      ASSERT_EQ(got, rampValue(i) * volume / 100) << "volume " << volume << ", sample " << i;
    }
  }
}

// Muted, the channel goes on playing in silence, so unmuting resumes in place.
TEST(MasterVolumeMute, SilencesWhileTheChannelPlaysOn) {
  soundReset();
  std::vector<int16_t> samples(4 * kFrames);
  for (size_t i = 0; i < samples.size(); i++) samples[i] = rampValue(int(i));
  sound_buffer = static_cast<uint8_t*>(std::malloc(samples.size() * 2));
  std::memcpy(sound_buffer, samples.data(), samples.size() * 2);
  sound_len = uint32_t(samples.size() * 2), sound_pos = 0, sound_loop = 0;
  std::vector<uint8_t> stream(1024);
  auto mixed = [&stream](int i) { return int16_t(stream[2 * i] | stream[2 * i + 1] << 8); };

  soundSetVolume(100, true);
  Callback(nullptr, stream.data(), int(stream.size()));
  EXPECT_EQ(std::count(stream.begin(), stream.end(), 0), 1024);
  EXPECT_EQ(sound_pos, 1024u);
  soundSetVolume(100, false);
  std::fill(stream.begin(), stream.end(), 0);
  Callback(nullptr, stream.data(), int(stream.size()));
  EXPECT_EQ((std::vector<int>{mixed(0), mixed(1)}), (std::vector<int>{rampValue(512), rampValue(513)}));
  soundReset();
}
