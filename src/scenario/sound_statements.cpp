// OTO1.* and OTO2.*: load, start and stop the two sound channels.
#include <cstdlib>

#include "scenario/sound.h"
#include "scenario/statements.h"

int32_t stmtOto1Wav(const char* arg) { return soundLoadWav(1, arg); }
int32_t stmtOto2Wav(const char* arg) { return soundLoadWav(2, arg); }

int32_t stmtOto1Play(const char* arg) {
  soundPlay(1, std::atoi(arg) != 0);
  return 0;
}
int32_t stmtOto2Play(const char* arg) {
  soundPlay(2, std::atoi(arg) != 0);
  return 0;
}

int32_t stmtOto1Stop(const char*) {
  soundStop(1);
  return 0;
}
int32_t stmtOto2Stop(const char*) {
  soundStop(2);
  return 0;
}
