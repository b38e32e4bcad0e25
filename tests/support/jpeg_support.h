// Pictures for the JPEG tests, encoded by libjpeg (the oracle).
#pragma once

#include "support/image_support.h"

struct Picture {
  int width = 0, height = 0;
  Bytes pixels;  // RGB, top row first
};

// A photograph-like picture of any size: smooth shapes with fine texture.
Picture photograph(int width, int height);

struct EncodeOptions {  // luma sampling factors (chroma 1x1), restart interval in rows or MCUs
  int hs = 2, vs = 2;
  bool grey = false;
  int restartRows = 0, restartMcus = 0;
  bool optimise = false;
  int quality = 85;
};

Bytes libjpegEncode(const Picture& img, const EncodeOptions& o = {});
