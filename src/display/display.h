// Scene display: compositor, decoded-image cache, scaler and presenter.
#pragma once

#include <cstdint>

// Compose (redraw != 0) or only redecorate (redraw == 0) the scene, then present it.
void rGame(int32_t redraw);

// Decoded-image cache: sixteen entries keyed by picture number alone,
// replaced first-in first-out.
int32_t cash_put2(int32_t number);   // reserve an entry; -1 if already cached
int32_t cash_get2(int32_t number);   // entry holding number, or -1
void cacheRelease(int32_t entry);    // forget an entry whose pixels could not be stored
void cacheFreeAll();                 // empty every entry and rewind the insertion index
// Stores a decoded picture (rows packed, no padding) under number, if it is
// not cached yet; the cache keeps rows top-down whatever order they come in.
// Prints "memory error" and releases the entry when the block cannot be
// allocated.
void cacheStorePicture(int32_t number, const uint8_t* pixels, int32_t width, int32_t height,
                       int32_t bytesPerPixel, bool bottomUp = false);
void rOPGpng2(uint8_t* dst, int32_t entry, int32_t layer);

// Bilinear scaler between frame-layout buffers (row stride 5760 bytes).
void rOPGresize(uint8_t* dst, int dw, int dh, const uint8_t* src, int sw, int sh);

// Show gUra in the window (and hand it to the frame recorder, if one is set).
void SDLview();
// Frame recorder: when set, SDLview calls it after every presentation.
extern void (*gFrameHook)();
