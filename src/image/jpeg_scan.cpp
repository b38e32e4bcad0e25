#include <algorithm>

#include "image/jpeg_bits.h"
#include "image/jpeg_colour.h"
#include "image/jpeg_idct.h"
#include "image/jpeg_setup.h"
#include "image/jpeg_tables.h"

namespace {

constexpr int kMcuSamples = 256;  // each MCU buffer: at most 4 blocks

struct Component {
  const JpegHuffTable* dc;
  const JpegHuffTable* ac;
  int32_t quant[64];  // in zig-zag order, as the coefficients come
  uint8_t natural[64];  // gJpegZigZag as bytes, stored as they are
  int mcuBlocksAcross, mcuBlocksDown;
  int repeatX, repeatY;  // how often each sample repeats across and down
};

// The signed value of `size` magnitude bits; without a branch, as the sign
// of real data is a coin toss.
inline int32_t extend(uint32_t bits, int size) {
  const uint32_t negative = ((bits >> (size - 1)) & 1u) - 1u;  // all ones when the top bit is 0
  return static_cast<int32_t>(bits + (negative & (1u - (1u << size))));
}

// Decodes one Huffman symbol; a miss is an error of the data, or the end of the file.
inline JpegError decodeSymbol(JpegBitReader& in, const JpegHuffTable& table, int* symbol) {
  if (in.count < 32) in.fill();
  int length;
  *symbol = jpegHuffLookup(table, in.peek16(), &length);
  if (*symbol < 0)
    return in.count - in.padding < 16 ? JpegError::Truncated : JpegError::BadHuffmanCode;
  in.skip(length);
  return JpegError::None;
}

// Decodes and dequantises one block: the non-zero coefficients as natural
// positions and their values, in the order they come.
// (Restrict: stores of positions, as bytes, could alias anything else.)
JpegError decodeBlock(JpegBitReader& in, const Component& comp, int32_t& predictor,
                      int32_t* __restrict values, uint8_t* __restrict positions, int* count) {
  int n = 0;
  int symbol;
  JpegError e = JpegError::None;
  int32_t diff;
  // A short DC code with its magnitude bits comes out of the AC shortcut
  // table as a run of 0; anything else takes the general path.
  if (in.count < 32) in.fill();
  const int32_t quickDc = comp.dc->fastAc[in.bits >> (64 - kHuffFastBits)];
  if ((quickDc & 0xFF80) == 0x100) {  // a run of 0: one step ahead
    in.skip(quickDc & 31);
    diff = quickDc >> 16;
  } else {
    e = decodeSymbol(in, *comp.dc, &symbol);
    if (e != JpegError::None) return e;
    if (symbol > 16) return JpegError::BadDcSize;
    diff = symbol == 0 ? 0 : extend(in.take(symbol), symbol);
  }
  predictor = static_cast<int32_t>(static_cast<uint32_t>(predictor) + static_cast<uint32_t>(diff));
  values[n] = static_cast<int32_t>(static_cast<uint32_t>(predictor) *
                                 static_cast<uint32_t>(comp.quant[0]));  // zig-zag 0 is natural 0
  positions[n++] = 0;

  const int32_t* const fastAc = comp.ac->fastAc;
  const int32_t* const quant = comp.quant;
  const uint8_t* const natural = comp.natural;
  // k is one past the zig-zag index of the last coefficient stored.
  auto store = [&](int k, int32_t value) {
    values[n] = static_cast<int32_t>(static_cast<uint32_t>(value) *
                                     static_cast<uint32_t>(quant[k - 1]));
    positions[n++] = natural[k - 1];
  };
  // A short code with its magnitude bits, or end-of-block, in one lookup.
  enum Step { kNext, kDone, kGeneral };
  auto shortSymbol = [&](int& k) {
    const int32_t quick = fastAc[in.bits >> (64 - kHuffFastBits)];
    if (quick == 0) return kGeneral;
    in.skip(quick & 31);
    k += (quick >> 8) & 127;
    if (k < 64) {
      store(k, quick >> 16);
      return kNext;
    }
    if (k == 64) store(k, quick >> 16);  // the block is full
    else if (!(quick & kHuffEndOfBlock)) e = JpegError::TooManyCoefficients;
    return kDone;
  };
  for (int k = 1;;) {
    // Two short symbols fit in the bits one refill guarantees.
    if (in.count < 2 * kHuffFastBits) in.fill();
    Step step = shortSymbol(k);
    if (step == kNext) step = shortSymbol(k);
    if (step == kDone) break;
    if (step == kNext) continue;
    // Anything else, bit by bit.
    e = decodeSymbol(in, *comp.ac, &symbol);
    if (e != JpegError::None) break;
    const int run = symbol >> 4, size = symbol & 15;
    if (size == 0) {
      if (run == 0) break;  // end of block
      if (run != 15) {
        e = JpegError::BadAcSymbol;
        break;
      }
      if (k + 15 > 63) {
        e = JpegError::TooManyCoefficients;
        break;
      }
      k += 16;  // fifteen zeros and a zero coefficient
      if (k > 63) break;
      continue;
    }
    const int32_t value = extend(in.take(size), size);
    if (k + run > 63) {
      e = JpegError::TooManyCoefficients;
      break;
    }
    k += run + 1;
    store(k, value);
    if (k > 63) break;
  }
  *count = n;
  // Bits past the end of the file come first, whatever they seemed to decode to.
  if (in.overrun()) return JpegError::Truncated;
  return e;
}

// Copies an 8x8 sample block into an MCU buffer, each sample repeated
// repeatX times across and repeatY times down.
void replicate(const int32_t* samples, const Component& comp, int stride, int32_t* dst) {
  const int rx = comp.repeatX, ry = comp.repeatY;
  if (rx == 1 && ry == 1) {
    for (int i = 0; i < 8; i++)
      for (int j = 0; j < 8; j++) dst[i * stride + j] = samples[i * 8 + j];
    return;
  }
  if (rx == 2 && ry == 2) {
    for (int i = 0; i < 8; i++) {
      int32_t* top = dst + 2 * i * stride;
      int32_t* bottom = top + stride;
      for (int j = 0; j < 8; j++) {
        const int32_t v = samples[i * 8 + j];
        top[2 * j] = top[2 * j + 1] = bottom[2 * j] = bottom[2 * j + 1] = v;
      }
    }
    return;
  }
  for (int i = 0; i < 8 * ry; i++) {
    const int32_t* src = samples + (i / ry) * 8;
    int32_t* row = dst + i * stride;
    for (int j = 0; j < 8 * rx; j++) row[j] = src[j / rx];
  }
}

}  // namespace

JpegError jpegDecodeScan(const uint8_t* data, size_t size, const JpegSetup& s, uint8_t* out,
                         size_t capacity) {
  const int32_t width = s.width, height = s.height;
  const size_t rowBytes = size_t(width) * 3;
  if (rowBytes * size_t(height) > capacity) return JpegError::TooLarge;
  const int mcuW = s.hmax * 8, mcuH = s.vmax * 8;
  const int blocksAcross = (width + 7) / 8, blocksDown = (height + 7) / 8;
  const int mcusAcross = (blocksAcross + s.hmax - 1) / s.hmax;
  const int mcusDown = (blocksDown + s.vmax - 1) / s.vmax;

  Component comps[3];
  for (int c = 0; c < s.components; c++) {
    comps[c] = Component{&s.huff[s.Td[c]], &s.huff[s.Td[c] + 2], {}, {}, s.H[c], s.V[c],
                         s.hmax / s.H[c], s.vmax / s.V[c]};
    for (int k = 0; k < 64; k++) {
      comps[c].quant[k] = s.quant[s.Tq[c]][gJpegZigZag[k]];
      comps[c].natural[k] = static_cast<uint8_t>(gJpegZigZag[k]);
    }
  }

  // MCU buffers: luma, and the colour terms of the chroma (the conversion is
  // per position, so repeating the terms equals repeating the samples).
  // Terms are kept at the chroma's own resolution when the colour step can
  // repeat them across by itself (every chroma sample used once or twice
  // across); otherwise they are repeated to every pixel here. Missing chroma
  // stays at 128.
  enum { kRed, kGreenCr, kGreenCb, kBlue };
  static int32_t luma[kMcuSamples];
  static int32_t terms[4][kMcuSamples];
  const int32_t grey = 128;
  int32_t greyTerms[4];
  jpegCrTerms(&grey, 1, &greyTerms[kRed], &greyTerms[kGreenCr]);
  jpegCbTerms(&grey, 1, &greyTerms[kGreenCb], &greyTerms[kBlue]);
  for (int t = 0; t < 4; t++) std::fill(terms[t], terms[t] + kMcuSamples, greyTerms[t]);

  int chromaRepeat = s.components > 1 ? comps[1].repeatX : 1;
  for (int c = 2; c < s.components; c++)
    if (comps[c].repeatX != chromaRepeat) chromaRepeat = 0;
  if (chromaRepeat > 2) chromaRepeat = 0;
  const bool ownResolution = chromaRepeat != 0;
  if (!ownResolution) chromaRepeat = 1;
  struct ChromaRows {
    int stride, repeatY;  // stride 0: the same (grey) row for every pixel row
  } chroma[3] = {{0, 1}, {0, 1}, {0, 1}};
  for (int c = 1; c < s.components; c++)
    chroma[c] = ownResolution ? ChromaRows{comps[c].mcuBlocksAcross * 8, comps[c].repeatY}
                              : ChromaRows{mcuW, 1};
  alignas(32) int32_t termA[64], termB[64];

  int32_t values[64];
  alignas(32) int32_t samples[64];
  uint8_t positions[64];
  int32_t predictor[3] = {};
  int32_t mcuCount = 0;
  JpegBitReader in(data, size, s.dataStart);

  for (int my = 0; my < mcusDown; my++) {
    for (int mx = 0; mx < mcusAcross; mx++) {
      for (int c = 0; c < s.components; c++) {
        const Component& comp = comps[c];
        for (int v = 0; v < comp.mcuBlocksDown; v++) {
          for (int h = 0; h < comp.mcuBlocksAcross; h++) {
            int count = 0;
            JpegError e = decodeBlock(in, comp, predictor[c], values, positions, &count);
            if (e != JpegError::None) return e;
            if (c == 0) {
              int32_t* at = &luma[v * 8 * comp.repeatY * mcuW + h * 8 * comp.repeatX];
              if (comp.repeatX == 1 && comp.repeatY == 1) {
                jpegIdct(positions, values, count, at, mcuW);  // straight into place
              } else {
                jpegIdct(positions, values, count, samples);
                replicate(samples, comp, mcuW, at);
              }
              continue;
            }
            jpegIdct(positions, values, count, samples);
            const bool cb = c == 1;
            int32_t* first = terms[cb ? kGreenCb : kRed];
            int32_t* second = terms[cb ? kBlue : kGreenCr];
            if (ownResolution) {
              const int stride = chroma[c].stride, at = v * 8 * stride + h * 8;
              if (stride == 8) {  // a single block: its rows are already in place
                if (cb) jpegCbTerms(samples, 64, first, second);
                else jpegCrTerms(samples, 64, first, second);
                continue;
              }
              if (cb) jpegCbTerms(samples, 64, termA, termB);
              else jpegCrTerms(samples, 64, termA, termB);
              for (int i = 0; i < 8; i++) {
                std::copy(termA + 8 * i, termA + 8 * i + 8, first + at + i * stride);
                std::copy(termB + 8 * i, termB + 8 * i + 8, second + at + i * stride);
              }
            } else {
              if (cb) jpegCbTerms(samples, 64, termA, termB);
              else jpegCrTerms(samples, 64, termA, termB);
              const int at = v * 8 * comp.repeatY * mcuW + h * 8 * comp.repeatX;
              replicate(termA, comp, mcuW, &first[at]);
              replicate(termB, comp, mcuW, &second[at]);
            }
          }
        }
      }

      // Store the part of the MCU inside the picture, bottom row first in `out`.
      const int x0 = mx * mcuW, y0 = my * mcuH;
      const int cols = std::min(mcuW, width - x0);
      const int rows = std::min(mcuH, height - y0);
      const int slack = 3 * (width - x0 - cols);  // the MCUs to the right come later
      const JpegMcuRows mcu{luma,
                            mcuW,
                            {terms[kRed], terms[kGreenCr], chroma[2].stride, chroma[2].repeatY},
                            {terms[kGreenCb], terms[kBlue], chroma[1].stride, chroma[1].repeatY},
                            chromaRepeat};
      jpegMcuToRgb(mcu, rows, cols, out + rowBytes * size_t(height - 1 - y0) + size_t(x0) * 3,
                   -ptrdiff_t(rowBytes), slack);

      if (s.restart && ++mcuCount == s.restartInterval) {
        mcuCount = 0;
        const size_t p = in.alignedPosition();
        if (p + 1 >= size) return JpegError::BadRestart;
        if (data[p] == 0xFF && data[p + 1] >= 0xD0 && data[p + 1] <= 0xD7) {
          // Any RST marker will do; its number need not be the one due.
          predictor[0] = predictor[1] = predictor[2] = 0;
          in.restartAt(p + 2);
        } else if (data[p + 1] == 0xD9) {
          in.restartAt(p);  // end of image: nothing is reset
        } else {
          return JpegError::BadRestart;
        }
      }
    }
  }
  return JpegError::None;
}
