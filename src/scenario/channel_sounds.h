// Which sound each channel holds and whether it plays, by name, so that a
// rollback can bring back the sounds of an earlier point.
#pragma once

constexpr int kSoundNameBytes = 104;  // a statement argument and its NUL

struct ChannelSound {
  char name[kSoundNameBytes];  // as given to .WAV; empty while the channel holds nothing
  bool playing;
  bool loop;
};

// Called by the .WAV statements once the sound is installed in the channel.
void rememberChannelSound(int channel, const char* name);
ChannelSound channelSound(int channel);
// Reloads the sound when its name differs, then restarts it from the
// beginning or stops it where the play state differs. A channel that should
// hold nothing is only stopped.
void bringBackChannelSound(int channel, const ChannelSound& wanted);
