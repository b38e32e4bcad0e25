// The SDL objects of start-up and the main loop. Only start-up, the main
// loop, the presenter and the sound channels include this header.
#pragma once

#include <SDL/SDL.h>

extern SDL_Event event;        // the event most recently polled; kept until a newer one
extern SDL_Surface* screen;    // the video surface
extern SDL_Joystick* joystick; // joystick 0, or none
