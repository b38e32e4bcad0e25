// The sound channels, checked on the real mixed output that SDL's disk
// audio driver writes.
#include <SDL/SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

#include "scenario/engine_state.h"
#include "scenario/sound.h"
#include "scenario/statements.h"
#include "support/test_support.h"
#include "support/sound_support.h"
#include "support/wav_support.h"

namespace {

constexpr size_t kBufferBytes = 512 * 4;  // one device buffer: 512 stereo 16-bit frames
using Frames = std::vector<std::pair<int16_t, int16_t>>;

// A 22,050 Hz stereo 16-bit file (the device format); by default frame i
// holds start + i on the left and its negation on the right.
std::string deviceWav(const Frames& lr) {
  std::string s;
  for (auto [l, r] : lr) s += le(uint16_t(l), 2) + le(uint16_t(r), 2);
  return wavFile(2, 16, 22050, s);
}
std::string rampWav(int count, int start) {
  Frames v;
  for (int i = 0; i < count; ++i) v.push_back({int16_t(start + i), int16_t(-start - i)});
  return deviceWav(v);
}

// IMA ADPCM, mono, 4-bit, with the given block size and samples a block.
std::string imaFormat(uint32_t blockAlign, uint32_t samplesPerBlock) {
  return chunk("fmt ", le(0x11, 2) + le(1, 2) + le(22050) + le(11100) + le(blockAlign, 2) + le(4, 2) + le(2, 2) +
                           le(samplesPerBlock, 2));
}

int16_t sample(const std::vector<uint8_t>& out, size_t index) {
  return int16_t(out[2 * index] | out[2 * index + 1] << 8);
}

// The disk driver writes a device buffer every millisecond into a plain file.
class SoundTest : public PlayerDirTest {
 protected:
  void SetUp() override {
    PlayerDirTest::SetUp();
    startDiskAudio(dir_ + "/mixed.raw");
  }
  void TearDown() override {
    stopDiskAudio();
    PlayerDirTest::TearDown();
  }
  // `bytes` of output from the first device buffer that holds sound.
  std::vector<uint8_t> output(size_t bytes) {
    for (int tries = 0; tries < 2000; tries++) {
      const std::string raw = readFile(dir_ + "/mixed.raw");
      const size_t first = raw.find_first_not_of('\0');
      const size_t start = first == std::string::npos ? first : first / kBufferBytes * kBufferBytes;
      if (start != std::string::npos && raw.size() >= start + bytes)
        return {raw.begin() + long(start), raw.begin() + long(start + bytes)};
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ADD_FAILURE() << "no sound output within 20 seconds";
    return std::vector<uint8_t>(bytes, 0);
  }
};

}  // namespace

// Channel 1 plays a loud tone once; channel 2 loops a ramp, each round taking
// two device buffers, until STOP silences it. Their sum saturates both ways.
TEST_F(SoundTest, OnceAndLoopingChannelsAreSummedWithSaturationUntilStop) {
  writeFile("loud.wav", deviceWav(Frames(1024, {32500, -32500})));
  writeFile("ramp.wav", rampWav(700, 1));  // one full buffer, then 188 frames and a silent rest
  ASSERT_EQ(stmtOto1Wav("loud") + stmtOto2Wav("ramp"), 0);
  SDL_LockAudio();  // start both in the same device buffer
  stmtOto1Play("0"), stmtOto2Play("1");
  SDL_UnlockAudio();
  const std::vector<uint8_t> out = output(6 * kBufferBytes);
  for (size_t i = 0; i < 3 * 1024; ++i) {
    const int once = i < 1024 ? 32500 : 0, looped = i % 1024 < 700 ? int(1 + i % 1024) : 0;
    ASSERT_EQ(sample(out, 2 * i), std::min(once + looped, 32767)) << "frame " << i;
    ASSERT_EQ(sample(out, 2 * i + 1), std::max(-once - looped, -32768)) << "frame " << i;
  }
  ASSERT_EQ(stmtOto2Stop(""), 0);
  EXPECT_TRUE(sound_loop2 == 0 && sound_pos2 == sound_len2) << "STOP ends the round and the loop";
}

// A sound is exchanged only when it loads and converts. Headers that SDL's
// loader would trust too far are refused before it reads them, as the load
// error it would have reported anyway.
TEST_F(SoundTest, ANewSoundReplacesTheOldOneOnlyWhenItCanBeUsed) {
  writeFile("one.wav", rampWav(100, 7));
  ASSERT_EQ(stmtOto1Wav("one"), 0);
  const auto kept = std::make_pair(sound_buffer, sound_len);
  const std::string pcm = fmtChunk(1, 16, 22050), loadError = "SDL_LoadWAV err\n";
  const std::string block = std::string("\x10\x00\x05\x00", 4) + std::string(252, '\x37');
  const struct { const char* name; std::string file; int32_t result; std::string message; } cases[] = {
      {"missing", "", 0, "missing.wav: cannot open\n"},  // the story goes on
      {"broken", "RIFF....WAVEjunk", -1, loadError},
      {"data-claims-3gb", riff(pcm + chunk("data", "abcd", 3000000000u)), -1, loadError},
      {"list-claims-more-than-the-file", riff(chunk("LIST", "xy", 4000) + pcm), -1, loadError},
      {"cut-after-the-format", riff(pcm + "dat"), -1, loadError},
      {"format-of-8-bytes", riff(chunk("fmt ", pcm.substr(8, 8)) + chunk("data", "ab")), -1, loadError},
      {"adpcm-blocks-of-0-bytes", riff(imaFormat(0, 505) + chunk("data", block)), -1, loadError},
      {"adpcm-65535-samples-a-block", riff(imaFormat(4, 65535) + chunk("data", block)), -1, loadError},
      // Loadable but not convertible: a zero rate, and more channels than the converter can fold.
      {"norate", wavFile(1, 16, 0, std::string(64, '\x10')), 0, "norate.wav: sound format cannot be converted\n"},
      {"eight", wavFile(8, 8, 22050, std::string(64, '\x10')), 0, "eight.wav: sound format cannot be converted\n"}};
  for (const auto& c : cases) {
    if (!c.file.empty()) writeFile(std::string(c.name) + ".wav", c.file);
    testing::internal::CaptureStdout();
    EXPECT_EQ(stmtOto1Wav(c.name), c.result) << c.name;
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.message) << c.name;
    EXPECT_TRUE(std::make_pair(sound_buffer, sound_len) == kept) << c.name;
  }
  EXPECT_TRUE(stmtOto2Play("1") == 0 && sound_buffer2 == nullptr) << "PLAY on a channel that never loaded is harmless";
  // A real ADPCM file passes the checks.
  writeFile("ima.wav", riff(imaFormat(256, 505) + chunk("data", block)));
  EXPECT_TRUE(stmtOto1Wav("ima") == 0 && sound_buffer != kept.first && sound_len > 0);
}

// Without a sound device only the first sound statement ends the reader's
// step: the device is not tried again at every sound.
TEST(SoundDevice, ADeviceThatCannotOpenIsTriedOnce) {
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  const int32_t first = stmtOto1Wav("x");
  EXPECT_TRUE(first == -1 && stmtOto1Wav("x") == 0);
  soundReset();
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

// The master volume scales the mixed samples, truncating toward zero (at
// 100, in every test above, the output is exactly as mixed). Muted, a channel
// plays on in silence, so unmuting resumes where it got to.
TEST_F(SoundTest, VolumeScalesTheOutputAndMuteSilencesItWhileTheChannelPlaysOn) {
  writeFile("ramp.wav", rampWav(1536, 1001));
  ASSERT_EQ(stmtOto1Wav("ramp"), 0);  // the device stays paused: the test mixes by itself
  sound_pos = 0;
  std::vector<uint8_t> stream(kBufferBytes);
  const auto mix = [&](int volume, bool muted) {
    soundSetVolume(volume, muted);
    std::fill(stream.begin(), stream.end(), 0);
    Callback(nullptr, stream.data(), int(stream.size()));
  };
  mix(30, false);
  for (size_t i = 0; i < 1024; ++i)
    ASSERT_EQ(sample(stream, i), (i % 2 ? -1 : 1) * int((1001 + i / 2) * 30 / 100)) << "sample " << i;
  mix(100, true);
  EXPECT_EQ(std::count(stream.begin(), stream.end(), 0), long(stream.size()));
  mix(100, false);
  EXPECT_EQ(sample(stream, 0), 1001 + 1024) << "frame 1024 follows the muted buffer";
}
