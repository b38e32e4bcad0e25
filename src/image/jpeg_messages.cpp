#include <cstdio>

#include "image/jpeg_decoder.h"

void jpegPrintMessage(JpegError error, int32_t number) {
  switch (error) {
    case JpegError::Progressive:
      std::printf("%d.jpg:format err (SOF2)\n", number);
      break;
    case JpegError::McuTooLarge:  // "Ycbcr work area too small."
      std::fputs("\x59\x63\x62\x63\x72\x8d\xec\x8b\xc6\x97\xcc\x88\xe6\x82\xaa\x95\x73\x91\xab"
                  "\x82\xb5\x82\xc4\x82\xa2\x82\xdc\x82\xb7\x81\x42\n", stdout);
      break;
    case JpegError::BadAcSymbol:  // "Found a fault that is neither EOB nor ZRL."
      std::fputs("\x45\x4f\x42\x2c\x5a\x52\x4c\x82\xc7\x82\xbf\x82\xe7\x82\xc5\x82\xe0\x96\xb3"
                  "\x82\xa2\x88\xd9\x8f\xed\x82\xf0\x8c\x9f\x8f\x6f\x82\xb5\x82\xdc\x82\xb5\x82"
                  "\xbd\x81\x42", stdout);
      break;
    case JpegError::TooManyCoefficients:  // "More than 64 coefficients."
      std::fputs("\x8c\x6e\x90\x94\x82\xaa\x82\x55\x82\x53\x8c\xc2\x82\xf0\x89\x7a\x82\xa6\x82"
                  "\xdc\x82\xb5\x82\xbd\x81\x42", stdout);
      break;
    case JpegError::BadRestart:  // "The restart interval is wrong"
      std::fputs("\x83\x8a\x83\x58\x83\x5e\x81\x5b\x83\x67\x83\x43\x83\x93\x83\x5e\x81\x5b\x83"
                  "\x6f\x83\x8b\x82\xaa\x95\x73\x90\xb3\x82\xc5\x82\xb7", stdout);
      break;
    case JpegError::None:
    case JpegError::NotJpeg:
    case JpegError::BadQuantTables:
      break;
    default:
      std::printf("%d.jpg:format err (%s)\n", number, jpegErrorText(error));
      break;
  }
  std::fflush(stdout);
}

const char* jpegErrorText(JpegError error) {
  switch (error) {
    case JpegError::None: return "no error";
    case JpegError::NotJpeg: return "not a JPEG file";
    case JpegError::Progressive: return "progressive frame (SOF2)";
    case JpegError::BadQuantTables: return "bad quantisation tables";
    case JpegError::McuTooLarge: return "MCU larger than 4 blocks";
    case JpegError::BadAcSymbol: return "AC symbol neither EOB nor ZRL";
    case JpegError::TooManyCoefficients: return "more than 64 coefficients";
    case JpegError::BadRestart: return "no RST marker where the restart interval ends";
    case JpegError::NoFrame: return "no baseline frame";
    case JpegError::BadComponents: return "component count";
    case JpegError::BadSampling: return "sampling factors";
    case JpegError::BadTableId: return "table id";
    case JpegError::HuffmanTooLarge: return "Huffman table too large";
    case JpegError::BadHuffmanCode: return "bad Huffman code";
    case JpegError::BadDcSize: return "DC difference too large";
    case JpegError::Truncated: return "truncated";
    case JpegError::NoScan: return "no scan";
    case JpegError::TooLarge: return "picture larger than 1920x1080";
    case JpegError::ZeroRestartInterval: return "restart interval 0";
  }
  return "unknown error";
}
