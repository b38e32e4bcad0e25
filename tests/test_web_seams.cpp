// The web build's WAV reader takes the files SDL's loader takes, in all their
// layouts. That it refuses what SDL refuses, and converts and mixes to SDL's
// very bytes, the WAV fuzz target checks on every file the web build plays;
// the browser test compares the web build's frames with the native player's.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "scenario/wav_codec.h"
#include "support/wav_support.h"

TEST(WebWavReader, ReadsTheFilesSdlReads) {
  const std::string data = chunk("data", std::string(64, '\x40')), fmt = fmtChunk(2, 16, 22050);
  const struct {
    const char* what;
    std::string file;
    uint32_t length;
  } cases[] = {
      {"plain", riff(fmt + data), 64},
      {"fact and LIST before fmt, other chunks before data",
       riff(chunk("fact", "abcd") + chunk("LIST", "xy") + fmt + chunk("cue ", "1234") + data), 64},
      {"WAVE where the length belongs", "RIFFWAVE" + fmt + data, 64},
      {"a partial last frame is dropped", riff(fmt + chunk("data", std::string(66, '\x01'))), 64},
  };
  for (const auto& c : cases) {
    WavSound sound;
    const auto* bytes = reinterpret_cast<const uint8_t*>(c.file.data());
    EXPECT_TRUE(wavParse(bytes, c.file.size(), sound) && wavConvertible(sound)) << c.what;
    EXPECT_EQ(sound.length, c.length) << c.what;
  }
}
