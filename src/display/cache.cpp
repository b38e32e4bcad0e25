#include <cstdio>
#include <cstdlib>
#include <cstring>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "display/composition_memo.h"
#include "display/display.h"
#include "image/blit.h"
#include "scenario/engine_state.h"

int32_t cash_put2(int32_t number) {
  for (int i = 0; i < kCacheEntries; i++) {
    if (cash_cg2[i] == static_cast<uint32_t>(number)) return -1;
  }
  forgetComposition();  // the entry may hold a picture the last scene showed
  int32_t entry = cashins2;
  std::free(cashimg_CG2[entry]);
  cashimg_CG2[entry] = nullptr;
  cash_cg2[entry] = static_cast<uint32_t>(number);
  cashins2 = (cashins2 + 1) % kCacheEntries;
  return entry;
}

int32_t cash_get2(int32_t number) {
  for (int i = 0; i < kCacheEntries; i++) {
    if (cash_cg2[i] == static_cast<uint32_t>(number)) return i;
  }
  return -1;
}

void cacheRelease(int32_t entry) {
  if (entry < 0 || entry >= kCacheEntries) return;
  forgetComposition();
  std::free(cashimg_CG2[entry]);
  cashimg_CG2[entry] = nullptr;
  cash_cg2[entry] = 0;
  cash_width2[entry] = cash_height2[entry] = cash_dotsize2[entry] = 0;
}

void cacheFreeAll() {
  for (int i = 0; i < kCacheEntries; i++) cacheRelease(i);
  cashins2 = 0;
}

namespace {

// A picture block is megabytes; glibc would map each one afresh and return
// it on free, so every new picture paid a page fault per 4 KiB (tens of
// milliseconds for a scene of full-size pictures). Kept in the heap, freed
// blocks are reused as they are.
bool keepPictureBlocksInTheHeap() {
#if defined(__GLIBC__)
  mallopt(M_MMAP_THRESHOLD, 64 << 20);
  mallopt(M_TRIM_THRESHOLD, 256 << 20);
#endif
  return true;
}

}  // namespace

void cacheStorePicture(int32_t number, const uint8_t* pixels, int32_t width, int32_t height,
                       int32_t bytesPerPixel, bool bottomUp) {
  static const bool heapTuned = keepPictureBlocksInTheHeap();
  (void)heapTuned;
  int32_t entry = cash_put2(number);
  if (entry < 0) return;
  size_t bytes = static_cast<size_t>(width) * static_cast<size_t>(height) *
                 static_cast<size_t>(bytesPerPixel);
  auto* block = static_cast<uint8_t*>(std::malloc(bytes ? bytes : 1));
  if (!block) {
    std::puts("memory error");
    cacheRelease(entry);
    return;
  }
  if (!bottomUp) {
    std::memcpy(block, pixels, bytes);
  } else {
    const size_t rowBytes = size_t(width) * size_t(bytesPerPixel);
    for (int32_t r = 0; r < height; r++)
      std::memcpy(block + rowBytes * size_t(r), pixels + rowBytes * size_t(height - 1 - r), rowBytes);
  }
  cashimg_CG2[entry] = block;
  cash_width2[entry] = width;
  cash_height2[entry] = height;
  cash_dotsize2[entry] = bytesPerPixel;
}

void rOPGpng2(uint8_t* dst, int32_t entry, int32_t layer) {
  if (entry < 0 || entry >= kCacheEntries || !cashimg_CG2[entry]) return;
  int32_t width = cash_width2[entry];
  int32_t height = cash_height2[entry];
  int32_t depth = cash_dotsize2[entry];
  if (depth != 3 && depth != 4) return;

  // Overlays (layer 6) and unknown codes sit at x = 0 for cached pictures.
  int32_t x0 = 0;
  if (layer >= 1 && layer <= 3) x0 = layerLeftEdge(layer, SystemSizeW, width);

  BlitSource src{cashimg_CG2[entry], width, height, depth, PixelOrder::RGB, RowOrder::TopDown};
  BlitMode mode = depth == 4 ? BlitMode::Alpha : (layer <= 0 ? BlitMode::Opaque : BlitMode::Keyed);
  blitPicture(dst, src, x0, height, mode);
}
