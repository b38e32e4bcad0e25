#include "display/composition_memo.h"

#include <cstring>

#include "display/scale.h"
#include "scenario/engine_state.h"

namespace {

// Everything the layers, the brightness step and the scale choice read,
// besides the buffers and the cache, which invalidate the memo themselves.
struct Inputs {
  int32_t haikei, haikeiType, koukei, koukeiType, zenkei, zenkeiType;
  int32_t chara[3], charaType[3];
  int32_t bright, brightPercent;
  int32_t designW, designH, windowW, windowH;
};

Inputs currentInputs() {
  Inputs in;
  std::memset(&in, 0, sizeof in);  // the struct is compared bytewise
  in.haikei = HaikeiCG, in.haikeiType = HaikeiCGtype;
  in.koukei = KoukeiCG, in.koukeiType = KoukeiCGtype;
  in.zenkei = ZenkeiCG, in.zenkeiType = ZenkeiCGtype;
  for (int i = 0; i < 3; i++) in.chara[i] = CharaCG[i], in.charaType[i] = CharaCGtype[i];
  in.bright = CgBright, in.brightPercent = CgBright != 0 ? CgBrighttype : 0;
  in.designW = SystemSizeW, in.designH = SystemSizeH, in.windowW = w, in.windowH = h;
  return in;
}

struct Memo {
  bool valid;
  Inputs inputs;
  bool scaled;                // gUraCash holds the scaled scene
  double resizeX, resizeY;    // as the scale choice left them
} memo;

uint64_t painted;

}  // namespace

void forgetComposition() { memo.valid = false; }

bool compositionStillShown() {
  if (!memo.valid) return false;
  const Inputs now = currentInputs();
  if (std::memcmp(&now, &memo.inputs, sizeof now) != 0) return false;
  if (windowIsDesignSize()) return true;  // no scaled copy is made at this size
  // A rollback may have put back the picture area of another window size;
  // composing anew would replace it, so only the remembered one will do.
  return memo.scaled && std::memcmp(&resizeX, &memo.resizeX, sizeof resizeX) == 0 &&
         std::memcmp(&resizeY, &memo.resizeY, sizeof resizeY) == 0;
}

void noteComposition(bool repeatable) {
  painted++;
  memo.valid = repeatable;
  if (!repeatable) return;
  memo.inputs = currentInputs();
  memo.scaled = cashok == 1;
  memo.resizeX = resizeX, memo.resizeY = resizeY;
}

uint64_t compositionsPainted() { return painted; }
