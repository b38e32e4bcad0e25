// What the marker walk gathers for the scan: tables, frame and scan header,
// restart interval, and where the entropy-coded data start.
#pragma once

#include <cstddef>
#include <cstdint>

#include "image/jpeg_decoder.h"
#include "image/jpeg_huffman.h"

struct JpegSetup {
  int32_t quant[2][64] = {};  // natural order, numbered by appearance
  int quantCount = 0;
  JpegHuffTable huff[4];      // 2 * class + id: DC 0, DC 1, AC 0, AC 1
  bool haveFrame = false;
  int32_t width = 0, height = 0, components = 0;
  int32_t H[3] = {}, V[3] = {}, Tq[3] = {};
  int32_t hmax = 0, vmax = 0;
  int32_t Td[4] = {};         // DC (and AC) table id by scan position
  bool restart = false;
  int32_t restartInterval = 0;
  size_t dataStart = 0;
};

// Walks the markers up to the scan header and checks that the frame is one
// the scan decoder handles.
JpegError jpegReadMarkers(const uint8_t* data, size_t size, JpegSetup& setup);

// Decodes the entropy-coded data of a checked setup into `out`.
JpegError jpegDecodeScan(const uint8_t* data, size_t size, const JpegSetup& setup, uint8_t* out,
                         size_t capacity);
