// WAV headers that SDL's loader would trust too far: refused before it reads
// them, as the load error it would have reported anyway, while real files,
// ADPCM among them, still load.
#include <SDL/SDL.h>

#include <string>

#include "scenario/engine_state.h"
#include "scenario/sound.h"
#include "support/test_support.h"

namespace {

std::string le(uint32_t v, int bytes = 4) {
  std::string s;
  for (int i = 0; i < bytes; i++) s += char(v >> (8 * i));
  return s;
}

// A RIFF file of the given chunks (each id, then its bytes), lengths as given.
std::string riff(const std::string& chunks) { return "RIFF" + le(4 + uint32_t(chunks.size())) + "WAVE" + chunks; }
std::string chunk(const std::string& id, const std::string& bytes, uint32_t claimed) {
  return id + le(claimed) + bytes;
}
std::string chunk(const std::string& id, const std::string& bytes) {
  return chunk(id, bytes, uint32_t(bytes.size()));
}

std::string pcmFormat() { return le(1, 2) + le(1, 2) + le(22050) + le(44100) + le(2, 2) + le(16, 2); }
// IMA ADPCM, mono, 256-byte blocks of 505 samples, unless told otherwise.
std::string imaFormat(uint32_t blockAlign, uint32_t samplesPerBlock) {
  return le(0x11, 2) + le(1, 2) + le(22050) + le(11100) + le(blockAlign, 2) + le(4, 2) + le(2, 2) +
         le(samplesPerBlock, 2);
}

class WavHeaders : public PlayerDirTest {
 protected:
  void SetUp() override {
    PlayerDirTest::SetUp();
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_AUDIO), 0) << SDL_GetError();
    soundReset();
    MyAppDir[0] = 0;
  }
  void TearDown() override {
    soundReset();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    PlayerDirTest::TearDown();
  }
};

TEST_F(WavHeaders, UntrustworthyHeadersAreLoadErrorsAndRealFilesLoad) {
  const std::string block = std::string("\x10\x00\x05\x00", 4) + std::string(252, '\x37');
  const struct {
    const char* what;
    std::string file;
    bool loads;
  } cases[] = {
      {"pcm", riff(chunk("fmt ", pcmFormat()) + chunk("data", std::string(400, 'a'))), true},
      {"ima adpcm", riff(chunk("fmt ", imaFormat(256, 505)) + chunk("data", block)), true},
      {"data claims 3 GB", riff(chunk("fmt ", pcmFormat()) + chunk("data", "abcd", 3000000000u)), false},
      {"LIST claims more than the file", riff(chunk("LIST", "xy", 4000) + chunk("fmt ", pcmFormat())), false},
      {"header cut after the format", riff(chunk("fmt ", pcmFormat()) + "dat"), false},
      {"format chunk of 8 bytes", riff(chunk("fmt ", pcmFormat().substr(0, 8)) + chunk("data", "ab")), false},
      {"adpcm blocks of 0 bytes", riff(chunk("fmt ", imaFormat(0, 505)) + chunk("data", block)), false},
      {"adpcm 65535 samples a block", riff(chunk("fmt ", imaFormat(4, 65535)) + chunk("data", block)), false},
  };
  for (const auto& c : cases) {
    writeFile("s.wav", c.file);
    testing::internal::CaptureStdout();
    const int32_t result = soundLoadWav(1, "s");
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(result, c.loads ? 0 : -1) << c.what;
    EXPECT_EQ(out, c.loads ? "" : "SDL_LoadWAV err\n") << c.what;
    if (c.loads) {
      EXPECT_GT(sound_len, 0u) << c.what;
    }
  }
}

}  // namespace
