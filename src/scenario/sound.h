// The two sound channels: WAV files converted to the device format and mixed
// by the audio callback on SDL's audio thread. The main thread changes a
// channel's fields only while holding the audio lock.
#pragma once

#include <SDL/SDL.h>

#include <cstdint>

// The format the device was opened with; freq 0 until the first open attempt.
extern SDL_AudioSpec spec;

// Mixes both channels into the device buffer (SDL's audio callback).
void Callback(void* userdata, Uint8* stream, int len);

// The statements of channel 1 or 2.
int32_t soundLoadWav(int channel, const char* name);  // 0, or -1 on a device or load error
void soundPlay(int channel, bool loop);
void soundStop(int channel);

// Whether a loaded WAV's format is one the channels can convert (the lint
// asks before the player meets it).
bool soundFormatConvertible(const SDL_AudioSpec& format);
// Whether a WAV file's chunk headers are safe to hand to SDL's loader, which
// allocates whatever length a chunk claims and trusts ADPCM block fields.
bool soundFileHeaderSafe(const char* path);

// Closes the device and empties both channels, so that the next load opens
// the device afresh. For tests and tools; the player never needs it.
void soundReset();

// Master volume, applied to the mixed output: 0..100 (100 leaves the samples
// exactly as mixed) and a mute that silences the output while the channels
// go on playing. Set from the main thread, read by the callback.
constexpr int32_t kFullVolume = 100;
extern int32_t gMasterVolume;
extern bool gSoundMuted;
void soundSetVolume(int32_t volume, bool muted);  // volume limited to 0..100
