// Start-up, the main loop, scenario-time input and the tick counter.
#pragma once

#include <cstdint>

int SDL_main(int argc, char* argv[]);  // the program; returns 0, or -1 on a start-up failure
void rSPGkeyin(uint8_t code);          // 101 advance/confirm, 8 up, 2 down
void resetTickCount();
uint32_t getTickCount();
