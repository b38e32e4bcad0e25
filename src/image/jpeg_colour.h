// YCbCr to RGB in the decoder's integer arithmetic: each chroma term is
// divided by 100 (truncating toward zero) on its own before the sum is
// clamped. Sums wrap as 32-bit values, so out-of-range samples are defined.
#pragma once

#include <cstddef>
#include <cstdint>

inline int32_t jpegRedFromCr(int32_t cr) {
  return static_cast<int32_t>(140u * static_cast<uint32_t>(cr) - 17920u) / 100;
}
inline int32_t jpegGreenFromCb(int32_t cb) {
  return static_cast<int32_t>(34u * static_cast<uint32_t>(cb) - 4352u) / 100;
}
inline int32_t jpegGreenFromCr(int32_t cr) {
  return static_cast<int32_t>(71u * static_cast<uint32_t>(cr) - 9088u) / 100;
}
inline int32_t jpegBlueFromCb(int32_t cb) {
  return static_cast<int32_t>(177u * static_cast<uint32_t>(cb) - 22656u) / 100;
}

inline uint8_t jpegClampByte(uint32_t wrapped) {
  int32_t v = static_cast<int32_t>(wrapped);
  return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

inline void jpegYccToRgb(int32_t y, int32_t cb, int32_t cr, uint8_t* rgb) {
  const uint32_t luma = static_cast<uint32_t>(y);
  rgb[0] = jpegClampByte(luma + static_cast<uint32_t>(jpegRedFromCr(cr)));
  rgb[1] = jpegClampByte(luma - static_cast<uint32_t>(jpegGreenFromCb(cb)) -
                         static_cast<uint32_t>(jpegGreenFromCr(cr)));
  rgb[2] = jpegClampByte(luma + static_cast<uint32_t>(jpegBlueFromCb(cb)));
}

// The same conversion split in two, so that the chroma terms are computed
// once per chroma sample rather than once per pixel: what each Cb sample
// takes from green and adds to blue, what each Cr sample adds to red and
// takes from green ...
void jpegCbTerms(const int32_t* cb, int count, int32_t* green, int32_t* blue);
void jpegCrTerms(const int32_t* cr, int count, int32_t* red, int32_t* green);
// ... and the packed RGB of the pixels of one MCU from luma and those terms,
// `rows` rows of `cols` pixels: row i takes luma row i (lumaStride apart),
// the chroma term rows i / repeatY (stride apart, 0 for the same row
// throughout) and goes to out + i * outStep. With chromaRepeat 2 the terms
// are at half the horizontal resolution (pixel j takes term j / 2), which
// upsamples by repetition on the fly. The `slack` bytes after each row may be
// scribbled on (they are written again later), which lets vector code store
// whole registers.
struct JpegTermRows {
  const int32_t* first;   // red from Cr, or green from Cb
  const int32_t* second;  // green from Cr, or blue from Cb
  int stride, repeatY;
};
struct JpegMcuRows {
  const int32_t* luma;
  int lumaStride;
  JpegTermRows cr, cb;
  int chromaRepeat;  // across: 1, or 2 for terms at half resolution
};
void jpegMcuToRgb(const JpegMcuRows& mcu, int rows, int cols, uint8_t* out, ptrdiff_t outStep,
                  int slack);

// Walks the rows of an MCU, for the portable and the vector conversion.
struct JpegMcuRowCursor {
  const int32_t *y, *red, *greenCr, *greenCb, *blue;
  int crRowsLeft, cbRowsLeft;  // before the chroma terms move on
  explicit JpegMcuRowCursor(const JpegMcuRows& m)
      : y(m.luma), red(m.cr.first), greenCr(m.cr.second), greenCb(m.cb.first), blue(m.cb.second),
        crRowsLeft(m.cr.repeatY), cbRowsLeft(m.cb.repeatY) {}
  void next(const JpegMcuRows& m) {
    y += m.lumaStride;
    if (--crRowsLeft == 0) crRowsLeft = m.cr.repeatY, red += m.cr.stride, greenCr += m.cr.stride;
    if (--cbRowsLeft == 0) cbRowsLeft = m.cb.repeatY, greenCb += m.cb.stride, blue += m.cb.stride;
  }
};
