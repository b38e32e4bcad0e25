// Save files as they come: captions, the rewrite after a save and the
// restore of every slot must stay inside the file image and the state fields.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "menu/save_file.h"
#include "scenario/engine_state.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > size_t(kMaxFileRead)) return 0;
  // An exact-size copy, so any read past the image is caught.
  std::vector<uint8_t> image(data, data + size);
  const int32_t len = int32_t(size);
  saveBuildCaptions(image.data(), len);
  for (int n = 1; n <= 6; ++n) {
    size_t captionLen = strnlen(menuCaption(n), 32);
    if (captionLen > 31) __builtin_trap();
  }
  std::string rewritten = saveComposeFile(int(size % 6) + 1, 0, image.data(), len);
  if (rewritten.size() < 2 || rewritten.compare(rewritten.size() - 2, 2, "\r\n") != 0)
    __builtin_trap();
  for (int slot = 1; slot <= 6; ++slot) {
    saveRestoreSlot(image.data(), len, slot);
    if (strnlen(SinaFile, sizeof SinaFile) >= sizeof SinaFile) __builtin_trap();
  }
  return 0;
}
