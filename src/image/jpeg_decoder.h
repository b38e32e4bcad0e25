// The player's baseline JPEG decoder, apart from file reading, caching and
// drawing: file bytes in, R G B rows out, bottom row first.
#pragma once

#include <cstddef>
#include <cstdint>

enum class JpegError {
  None,
  NotJpeg,             // no start-of-image marker
  Progressive,         // SOF2 frame
  BadQuantTables,      // DQT with a table count or a table too many
  McuTooLarge,         // Hmax * Vmax above 4
  BadAcSymbol,         // run/size symbol with size 0 that is neither EOB nor ZRL
  TooManyCoefficients, // a run beyond coefficient 63
  BadRestart,          // neither RST nor EOI where a restart interval ends
  // Files outside what the decoder handles, refused before any buffer overrun:
  NoFrame,             // scan header without a baseline frame header before it
  BadComponents,       // component count not 1 to 3, or more than 4 scan components
  BadSampling,         // sampling factor 0, above 4, or not dividing the largest
  BadTableId,          // quantisation or Huffman table selector above 1
  HuffmanTooLarge,     // more than 256 symbols in one table
  BadHuffmanCode,      // bits that match no code of the table
  BadDcSize,           // DC difference of more than 16 bits
  Truncated,           // segment or entropy data running past the end of the file
  NoScan,              // markers end without a scan header
  TooLarge,            // more than 1920 x 1080 pixels
  ZeroRestartInterval, // DRI with an interval of 0 MCUs
};

struct JpegPicture {
  int32_t width = 0;
  int32_t height = 0;
};

// Decodes `size` file bytes into `out` (capacity bytes): width * height
// pixels R, G, B, rows packed, the bottom row first. On an error `out` may
// hold partial rows; nothing outside data[0, size) or out[0, capacity) is
// touched whatever the bytes say.
JpegError jpegDecode(const uint8_t* data, size_t size, uint8_t* out, size_t capacity,
                     JpegPicture& picture);

// Writes the player's message for `error` to standard output, as Shift-JIS
// bytes; some errors have no message.
void jpegPrintMessage(JpegError error, int32_t number);

// A short English description for tools.
const char* jpegErrorText(JpegError error);
