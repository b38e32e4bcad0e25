// The sound channels, checked on the real mixed output: SDL's disk audio
// driver writes every device buffer into a FIFO that a reader thread drains.
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <SDL/SDL.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "scenario/engine_state.h"
#include "scenario/sound.h"
#include "scenario/statements.h"
#include "support/test_support.h"

namespace {

constexpr size_t kBufferBytes = 512 * 4;  // one device buffer: 512 stereo 16-bit frames

void put16(std::string& s, uint16_t v) {
  s += char(v & 0xFF);
  s += char(v >> 8);
}
void put32(std::string& s, uint32_t v) {
  put16(s, uint16_t(v));
  put16(s, uint16_t(v >> 16));
}

std::string wavFile(int channels, int bits, int rate, const std::string& data) {
  std::string s = "RIFF";
  put32(s, uint32_t(36 + data.size()));
  s += "WAVEfmt ";
  put32(s, 16);
  put16(s, 1);
  put16(s, uint16_t(channels));
  put32(s, uint32_t(rate));
  put32(s, uint32_t(rate * channels * bits / 8));
  put16(s, uint16_t(channels * bits / 8));
  put16(s, uint16_t(bits));
  s += "data";
  put32(s, uint32_t(data.size()));
  return s + data;
}

// Stereo 16-bit frames at the device format.
std::string frames(const std::vector<std::pair<int16_t, int16_t>>& lr) {
  std::string s;
  for (auto [l, r] : lr) {
    put16(s, uint16_t(l));
    put16(s, uint16_t(r));
  }
  return s;
}

std::vector<std::pair<int16_t, int16_t>> ramp(int count, int start) {
  std::vector<std::pair<int16_t, int16_t>> v;
  for (int i = 0; i < count; ++i) v.push_back({int16_t(start + i), int16_t(-start - i)});
  return v;
}

class SoundTest : public PlayerDirTest {
 protected:
  void SetUp() override {
    PlayerDirTest::SetUp();
    fifo_ = dir_ + "/mixed.raw";
    ASSERT_EQ(mkfifo(fifo_.c_str(), 0600), 0);
    // Read-write, so opening never blocks and the writer never sees a
    // reader-less pipe; the disk driver blocks when the pipe is full, which
    // paces it to the reader.
    fd_ = open(fifo_.c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(fd_, 0);
    reader_ = std::thread([this] { drain(); });
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", fifo_.c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", "0", 1);
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_AUDIO), 0) << SDL_GetError();
  }

  void TearDown() override {
    soundReset();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    stop_ = true;
    if (reader_.joinable()) reader_.join();
    if (fd_ >= 0) close(fd_);
    PlayerDirTest::TearDown();
  }

  // Keeps the output from the first buffer that holds sound on; the silent
  // buffers before it (the device runs paused until the first PLAY) are
  // dropped whole, so captured bytes stay aligned to device buffers.
  void drain() {
    std::vector<uint8_t> pending;
    uint8_t chunk[65536];
    while (!stop_) {
      pollfd p{fd_, POLLIN, 0};
      if (poll(&p, 1, 20) <= 0) continue;
      ssize_t n = read(fd_, chunk, sizeof chunk);
      if (n <= 0) continue;
      std::lock_guard<std::mutex> lock(mutex_);
      if (captured_.size() >= kCaptureLimit) continue;
      if (started_) {
        captured_.insert(captured_.end(), chunk, chunk + n);
        continue;
      }
      pending.insert(pending.end(), chunk, chunk + n);
      size_t whole = pending.size() / kBufferBytes * kBufferBytes;
      size_t first = whole;
      for (size_t i = 0; i < whole; ++i)
        if (pending[i]) {
          first = i / kBufferBytes * kBufferBytes;
          break;
        }
      if (first < whole) {
        started_ = true;
        captured_.assign(pending.begin() + long(first), pending.end());
        pending.clear();
      } else {
        pending.erase(pending.begin(), pending.begin() + long(whole));
      }
    }
  }

  // Waits until at least `bytes` of sound-bearing output were captured.
  std::vector<uint8_t> capture(size_t bytes) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
      {
        std::lock_guard<std::mutex> lock(mutex_);
        if (captured_.size() >= bytes) return {captured_.begin(), captured_.begin() + long(bytes)};
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ADD_FAILURE() << "no sound output captured";
    return std::vector<uint8_t>(bytes, 0);
  }

  void restartCapture() {
    std::lock_guard<std::mutex> lock(mutex_);
    started_ = false;
    captured_.clear();
  }

  size_t capturedSize() {
    std::lock_guard<std::mutex> lock(mutex_);
    return captured_.size();
  }

  static int16_t sample(const std::vector<uint8_t>& out, size_t index) {
    return int16_t(out[2 * index] | out[2 * index + 1] << 8);
  }

  static constexpr size_t kCaptureLimit = 256 * kBufferBytes;
  std::string fifo_;
  int fd_ = -1;
  std::thread reader_;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  bool started_ = false;
  std::vector<uint8_t> captured_;
};

TEST_F(SoundTest, LoadedSoundIsSilentUntilPlayedThenPlaysOnceExactly) {
  writeFile("tone.wav", wavFile(2, 16, 22050, frames(ramp(700, 1000))));
  ASSERT_EQ(stmtOto1Wav("tone"), 0);
  EXPECT_EQ(spec.freq, 22050);
  EXPECT_EQ(spec.format, AUDIO_S16LSB);
  EXPECT_EQ(sound_len, 700u * 4);
  EXPECT_EQ(sound_pos, sound_len);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(capturedSize(), 0u) << "a loaded sound played before PLAY";

  ASSERT_EQ(stmtOto1Play("0"), 0);
  std::vector<uint8_t> out = capture(6 * kBufferBytes);
  for (size_t i = 0; i < 700; ++i) {
    ASSERT_EQ(sample(out, 2 * i), int16_t(1000 + i)) << "frame " << i;
    ASSERT_EQ(sample(out, 2 * i + 1), int16_t(-1000 - i)) << "frame " << i;
  }
  for (size_t i = 1400; i < out.size() / 2; ++i) ASSERT_EQ(sample(out, i), 0) << "sample " << i;
}

TEST_F(SoundTest, LoopRestartsAtTheNextBufferAndStopSilencesIt) {
  // 700 frames: one full buffer, then 188 frames and a silent rest.
  writeFile("loop.wav", wavFile(2, 16, 22050, frames(ramp(700, 1))));
  ASSERT_EQ(stmtOto2Wav("loop"), 0);
  ASSERT_EQ(stmtOto2Play("1"), 0);
  std::vector<uint8_t> out = capture(6 * kBufferBytes);
  for (size_t round = 0; round < 3; ++round) {
    size_t base = round * 2 * 512;  // each round takes two buffers
    for (size_t i = 0; i < 1024; ++i) {
      int16_t expected = i < 700 ? int16_t(1 + i) : 0;
      ASSERT_EQ(sample(out, 2 * (base + i)), expected) << "round " << round << " frame " << i;
    }
  }

  ASSERT_EQ(stmtOto2Stop(""), 0);
  EXPECT_EQ(sound_loop2, 0);
  EXPECT_EQ(sound_pos2, sound_len2);
  // Buffers mixed before the stop may still be on their way; after them the
  // output must stay silent.
  restartCapture();
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  std::vector<uint8_t> later = capture(kCaptureLimit);
  size_t lastSound = 0;
  for (size_t i = 0; i < later.size(); ++i)
    if (later[i]) lastSound = i;
  EXPECT_LT(lastSound, kCaptureLimit / 2) << "still playing after the stop";
}

TEST_F(SoundTest, EightBitMonoAt11025IsConvertedToTheDeviceFormat) {
  std::string data;
  for (int i = 0; i < 300; ++i) data += char(128 + (i % 100));
  writeFile("low.wav", wavFile(1, 8, 11025, data));
  ASSERT_EQ(stmtOto1Wav("low"), 0);
  // Twice the frames at twice the rate: the pitch is kept.
  ASSERT_EQ(sound_len, 300u * 2 * 4);
  ASSERT_EQ(stmtOto1Play("0"), 0);
  std::vector<uint8_t> out = capture(2 * kBufferBytes);
  // Sample and hold: every input sample becomes two equal stereo frames.
  for (size_t f = 0; f < 2 * 512; ++f) {
    size_t inputFrame = f / 2;
    int16_t expected = inputFrame < 300 ? int16_t((inputFrame % 100) << 8) : 0;
    ASSERT_EQ(sample(out, 2 * f), expected) << "frame " << f;
    ASSERT_EQ(sample(out, 2 * f + 1), expected) << "frame " << f;
  }
}

TEST_F(SoundTest, BothChannelsAreSummedWithSaturation) {
  std::vector<std::pair<int16_t, int16_t>> loud(512, {30000, -30000}), soft(512, {10000, -10000});
  loud[0] = {30000, 500};
  soft[1] = {-10000, 100};
  writeFile("a.wav", wavFile(2, 16, 22050, frames(loud)));
  writeFile("b.wav", wavFile(2, 16, 22050, frames(soft)));
  ASSERT_EQ(stmtOto1Wav("a"), 0);
  ASSERT_EQ(stmtOto2Wav("b"), 0);
  // Start both in the same device buffer.
  SDL_LockAudio();
  stmtOto1Play("0");
  stmtOto2Play("0");
  SDL_UnlockAudio();
  std::vector<uint8_t> out = capture(2 * kBufferBytes);
  EXPECT_EQ(sample(out, 0), 32767);
  EXPECT_EQ(sample(out, 1), -9500);
  EXPECT_EQ(sample(out, 2), 20000);
  EXPECT_EQ(sample(out, 3), -29900);
  for (size_t f = 2; f < 512; ++f) {
    ASSERT_EQ(sample(out, 2 * f), 32767);
    ASSERT_EQ(sample(out, 2 * f + 1), -32768);
  }
  for (size_t i = 1024; i < 2048; ++i) ASSERT_EQ(sample(out, i), 0);
}

TEST_F(SoundTest, ANewSoundReplacesTheOldOneOnlyWhenItCanBeUsed) {
  writeFile("one.wav", wavFile(2, 16, 22050, frames(ramp(100, 7))));
  ASSERT_EQ(stmtOto1Wav("one"), 0);
  uint8_t* kept = sound_buffer;
  const uint32_t keptLen = sound_len;

  testing::internal::CaptureStdout();
  EXPECT_EQ(stmtOto1Wav("missing"), 0);  // the story goes on
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "missing.wav: cannot open\n");

  writeFile("broken.wav", "RIFF....WAVEjunk");
  testing::internal::CaptureStdout();
  EXPECT_EQ(stmtOto1Wav("broken"), -1);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "SDL_LoadWAV err\n");

  // Loadable but not convertible: a zero rate, and more channels than the
  // converter can fold.
  writeFile("norate.wav", wavFile(1, 16, 0, std::string(64, '\x10')));
  writeFile("eight.wav", wavFile(8, 8, 22050, std::string(64, '\x10')));
  testing::internal::CaptureStdout();
  EXPECT_EQ(stmtOto1Wav("norate"), 0);
  EXPECT_EQ(stmtOto1Wav("eight"), 0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "norate.wav: sound format cannot be converted\n"
            "eight.wav: sound format cannot be converted\n");

  EXPECT_EQ(sound_buffer, kept);
  EXPECT_EQ(sound_len, keptLen);
  EXPECT_EQ(sound_buffer2, nullptr);

  // PLAY on a channel that never loaded anything is harmless.
  EXPECT_EQ(stmtOto2Play("1"), 0);
  EXPECT_EQ(sound_buffer2, nullptr);
}

// The statements as a scenario runs them in the player, the output written
// to a plain file at about real-time pace.
TEST_F(PlayerDirTest, ScenarioSoundReachesTheDevice) {
  writeFile("tone.wav", wavFile(2, 16, 22050, frames(ramp(700, 300))));
  writeFile("sinario.txt", "OTO2.WAV:nothing\nOTO1.WAV:tone\nOTO1.PLAY:0\nMSG:\x82\xa0\nKEYWAIT:\n");
  CommandResult r = runCommand("SDL_AUDIODRIVER=disk SDL_DISKAUDIODELAY=5 SDL_DISKAUDIOFILE='" +
                               dir_ + "/out.raw' " + TAVINO_TOOL + " play --dir '" + dir_ +
                               "' --keys enter,sleep:300 --state '" + dir_ + "/state.txt' 2>&1");
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_NE(r.output.find("nothing.wav: cannot open\n"), std::string::npos) << r.output;
  EXPECT_NE(readFile(dir_ + "/state.txt").find("KeyWait=1\n"), std::string::npos);
  std::string raw = readFile(dir_ + "/out.raw");
  size_t first = raw.find_first_not_of('\0');
  ASSERT_NE(first, std::string::npos) << "nothing was played";
  ASSERT_EQ(first % kBufferBytes, 0u);
  ASSERT_GE(raw.size(), first + 2 * kBufferBytes);
  std::vector<uint8_t> out(raw.begin() + long(first), raw.begin() + long(first + 2 * kBufferBytes));
  for (size_t i = 0; i < 1024; ++i) {
    int16_t left = int16_t(out[4 * i] | out[4 * i + 1] << 8);
    ASSERT_EQ(left, i < 700 ? int16_t(300 + i) : 0) << "frame " << i;
  }
}

// Without a usable audio driver the device cannot open: one message, the
// reader stops, and later loads do not try again.
TEST(SoundDeviceTest, ADeviceThatCannotOpenIsReportedOnce) {
  soundReset();
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  testing::internal::CaptureStdout();
  EXPECT_EQ(stmtOto1Wav("x"), -1);
  std::string first = testing::internal::GetCapturedStdout();
  EXPECT_EQ(first.rfind("Kann audio nicht offnen: ", 0), 0u) << first;
  EXPECT_EQ(spec.freq, 22050);
  testing::internal::CaptureStdout();
  EXPECT_EQ(stmtOto1Wav("x"), 0);  // no device attempt; the missing file is reported
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "x.wav: cannot open\n");
  soundReset();
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

}  // namespace
