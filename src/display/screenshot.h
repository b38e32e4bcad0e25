// Screenshots: what the window shows, as a 24-bit BMP that the player's own
// loader reads back.
#pragma once

#include <cstdint>
#include <string>

// The top-left width x height pixels of a frame-layout buffer as a BMP file:
// 54-byte header, rows bottom-up in B, G, R order, each padded to 4 bytes.
std::string screenshotBmp(const uint8_t* frame, int width, int height);

// Writes the window frame (gUra, w x h) to "screenshotNNNN.bmp" with the
// next free number from 0001 in the current directory and prints
// "screenshotNNNN.bmp saved", or one line saying why it could not.
void takeScreenshot();
