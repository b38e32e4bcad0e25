// The two platform services the sound channels need: reading a WAV file into
// the device format, and mixing samples into the device buffer. The desktop
// build uses SDL's own loader, converter and mixer (sound_codec_sdl.cpp); the
// web build, whose SDL lacks them, uses the portable ones (sound_codec_web.cpp).
#pragma once

#include <cstdint>

// The device format every channel holds: 22,050 Hz, signed 16-bit
// little-endian, two channels interleaved.
constexpr int kSoundDeviceFreq = 22050;

enum class SoundLoad {
  kOk,
  kLoadFailed,      // not a WAV file the loader reads
  kNotConvertible,  // read, but in a format the converter cannot handle
  kNoMemory,
};

// Reads the WAV file at `path` and converts it to the device format. On kOk,
// `samples` is a malloc'd buffer of `length` bytes that the caller frees.
SoundLoad soundLoadDeviceFormat(const char* path, uint8_t*& samples, uint32_t& length);

// Adds `length` bytes of device-format samples, scaled by `volume` (0-128),
// into `stream`, saturating each sum.
void soundMixInto(uint8_t* stream, const uint8_t* samples, uint32_t length, int volume);
