// Picture statements only fill slots and mark the layers for recomposition;
// the picture appears at the next redraw that composes them.
#include <cstdlib>

#include "display/display.h"
#include "scenario/engine_state.h"
#include "scenario/statements.h"

namespace {

int32_t setSlot(int32_t& number, int32_t& type, int32_t newType, const char* arg) {
  number = std::atoi(arg);
  type = newType;
  cgChange = 1;
  return 0;
}

int32_t setCharacter(int32_t newType, const char* arg) {
  // CHARA.ICHI keeps the choice in 0..2; anything else (a damaged restore)
  // falls back to the centre rather than writing past the slots.
  const int slot = CharaIchi <= 2 ? CharaIchi : 0;
  return setSlot(CharaCG[slot], CharaCGtype[slot], newType, arg);
}

}  // namespace

int32_t stmtHaikei(const char* arg) { return setSlot(HaikeiCG, HaikeiCGtype, 0, arg); }
int32_t stmtHaikeiBmp(const char* arg) { return setSlot(HaikeiCG, HaikeiCGtype, 1, arg); }
int32_t stmtHaikeiJpg(const char* arg) { return setSlot(HaikeiCG, HaikeiCGtype, 2, arg); }
int32_t stmtHaikeiPng(const char* arg) { return setSlot(HaikeiCG, HaikeiCGtype, 3, arg); }

// An empty background shows the colour held in its type field.
int32_t stmtHaikeiClear(const char* arg) {
  HaikeiCG = 0;
  HaikeiCGtype = std::atoi(arg);
  cgChange = 1;
  return 0;
}

int32_t stmtKoukeiBmp(const char* arg) { return setSlot(KoukeiCG, KoukeiCGtype, 1, arg); }
int32_t stmtKoukeiPng(const char* arg) { return setSlot(KoukeiCG, KoukeiCGtype, 3, arg); }
int32_t stmtZenkeiBmp(const char* arg) { return setSlot(ZenkeiCG, ZenkeiCGtype, 1, arg); }
int32_t stmtZenkeiPng(const char* arg) { return setSlot(ZenkeiCG, ZenkeiCGtype, 3, arg); }

int32_t stmtChara(const char* arg) { return setCharacter(0, arg); }
int32_t stmtCharaBmp(const char* arg) { return setCharacter(1, arg); }
int32_t stmtCharaPng(const char* arg) { return setCharacter(3, arg); }

int32_t stmtCharaIchi(const char* arg) {
  const int32_t n = std::atoi(arg);
  if (n >= 0 && n <= 2) CharaIchi = uint8_t(n);
  return 0;
}

// 100 % switches the adjustment off without recomposing.
int32_t stmtCgBright(const char* arg) {
  CgBrighttype = std::atoi(arg);
  CgBright = CgBrighttype == 100 ? 0 : 1;
  if (CgBright) cgChange = 1;
  return 0;
}

int32_t stmtCgRedraw(const char*) {
  rGame(cgChange);
  return 0;
}
