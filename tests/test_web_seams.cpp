// The web build's stand-ins for SDL's WAV loader and surface blit, checked
// against SDL itself on the same inputs. The fuzz target compares the
// converter and the mixer with SDL's on every file the web build plays.

#include <SDL/SDL.h>

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "display/frame_pixels.h"
#include "scenario/engine_state.h"
#include "scenario/sound_codec.h"
#include "scenario/wav_codec.h"
#include "support/test_support.h"
#include "support/wav_support.h"

namespace {

struct Converted {
  bool ok = false;
  std::vector<uint8_t> bytes;
};

Converted bySdl(const std::string& path) {
  Converted c;
  uint8_t* samples = nullptr;
  uint32_t length = 0;
  c.ok = soundLoadDeviceFormat(path.c_str(), samples, length) == SoundLoad::kOk;
  if (c.ok) c.bytes.assign(samples, samples + length);
  std::free(samples);
  return c;
}

Converted portable(const std::string& file) {
  Converted c;
  WavSound sound;
  const auto* bytes = reinterpret_cast<const uint8_t*>(file.data());
  c.ok = wavParse(bytes, file.size(), sound) && wavConvertible(sound);
  if (c.ok) c.bytes = wavToDeviceFormat(sound, kSoundDeviceFreq);
  return c;
}

}  // namespace

class WavCodecTest : public PlayerDirTest {};

TEST_F(WavCodecTest, AcceptsAndRefusesTheFilesSdlDoes) {
  const std::string data = chunk("data", std::string(64, '\x40'));
  const std::string fmt = fmtChunk(2, 16, 22050);
  const struct {
    const char* what;
    std::string file;
    bool readable;
  } cases[] = {
      {"plain", riff(fmt + data), true},
      {"fact and LIST before fmt, other chunks before data",
       riff(chunk("fact", "abcd") + chunk("LIST", "xy") + fmt + chunk("cue ", "1234") + data),
       true},
      {"WAVE where the length belongs", "RIFFWAVE" + fmt + data, true},
      {"a partial last frame is dropped", riff(fmt + chunk("data", std::string(66, '\x01'))), true},
      {"empty data", riff(fmt + chunk("data", "")), false},
      {"another chunk before fmt", riff(chunk("JUNK", "abcd") + fmt + data), false},
      {"no data chunk", riff(fmt), false},
      {"data longer than the file", riff(fmt + "data" + le(1000) + std::string(10, 0)), false},
      {"24-bit", riff(fmtChunk(2, 24, 22050) + data), false},
      {"floating point", riff(fmtChunk(2, 32, 22050, 3) + data), false},
      {"not RIFF", "RIFX" + riff(fmt + data).substr(4), false},
      {"truncated header", "RIFF\x10", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    writeFile("c.wav", c.file);
    const Converted sdl = bySdl("c.wav"), own = portable(c.file);
    EXPECT_EQ(sdl.ok, c.readable);
    EXPECT_EQ(own.ok, c.readable);
    EXPECT_EQ(own.bytes, sdl.bytes);
  }
}

TEST(WebPresenter, WritesWhatSdlBlitsFromTheWrappedFrame) {
  std::mt19937 rng(3);
  std::vector<uint8_t> frame(kFrameBytes);
  for (size_t i = 0; i < size_t(kFrameStride) * 40; i++) frame[i] = uint8_t(rng());
  std::vector<uint32_t> wrapped(size_t(kFrameW) * 40);
  for (size_t y = 0; y < 40; y++)
    for (size_t x = 0; x < size_t(kFrameW); x++) {
      const uint8_t* p = &frame[y * kFrameStride + x * 3];
      wrapped[y * kFrameW + x] = uint32_t{p[0]} << 16 | p[1] << 8 | p[2];
    }
  SDL_Surface* source = SDL_CreateRGBSurfaceFrom(wrapped.data(), kFrameW, 40, 32, kFrameW * 4,
                                                 0xFF0000, 0xFF00, 0xFF, 0);
  ASSERT_TRUE(source);
  const PixelMasks layouts[] = {{0xFF, 0xFF00, 0xFF0000, 0xFF000000},  // the browser canvas
                                {0xFF0000, 0xFF00, 0xFF, 0},
                                {0xFF000000, 0xFF0000, 0xFF00, 0}};
  for (const PixelMasks& m : layouts) {
    SDL_Surface* screen =
        SDL_CreateRGBSurface(SDL_SWSURFACE, 37, 23, 32, m.red, m.green, m.blue, m.alpha);
    ASSERT_TRUE(screen);
    SDL_UpperBlit(source, nullptr, screen, nullptr);
    std::vector<uint8_t> own(size_t(screen->pitch) * 23);
    writeFramePixels(frame.data(), 37, 23, own.data(), screen->pitch, m);
    const auto* blitted = static_cast<const uint8_t*>(screen->pixels);
    for (int y = 0; y < 23; y++)
      ASSERT_EQ(
          std::vector<uint8_t>(own.begin() + y * screen->pitch,
                               own.begin() + y * screen->pitch + 37 * 4),
          std::vector<uint8_t>(blitted + y * screen->pitch, blitted + y * screen->pitch + 37 * 4))
          << "row " << y << ", red mask " << std::hex << m.red;
    SDL_FreeSurface(screen);
  }
  SDL_FreeSurface(source);
}
