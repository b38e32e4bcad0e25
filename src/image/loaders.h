// The four picture loaders. Each reads one numbered picture file and draws it
// into the composition buffer by its layer code: 0 background, 1 centre,
// 2 left, 3 right character, 6 overlay.
#pragma once

#include <cstdint>

void rOPGbmp(uint8_t* dst, int32_t number, uint32_t layer);   // "%s%d.jpg", BMP
void rOPGpng(uint8_t* dst, int32_t number, uint32_t layer);   // "%s%d.png"
void rOPGjpg(uint8_t* dst, int32_t number, uint32_t layer);   // "%s%d.jpg", baseline JPEG
void rOPGkn1(uint8_t* dst, uint16_t number, uint32_t layer);  // "%s%d.jpg", run-length
