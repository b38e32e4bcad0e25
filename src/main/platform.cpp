#include "main/platform.h"

#include "main/sdl_state.h"

SDL_Event event;
SDL_Surface* screen;
SDL_Joystick* joystick;

bool gQuitRequested;
bool gJoySimulated;
uint8_t gJoySimButtons[32];
void (*gPassHook)();

uint32_t (*gTicksSource)();

uint32_t platformTicks() { return gTicksSource ? gTicksSource() : SDL_GetTicks(); }

void platformDelay(uint32_t ms) { SDL_Delay(ms); }

bool platformPollQuit() {
  if (SDL_PollEvent(&event) && event.type == SDL_QUIT) {
    gQuitRequested = true;
    return true;
  }
  return false;
}

bool platformJoyButton(int button) {
  if (gJoySimulated) return button >= 0 && button < 32 && gJoySimButtons[button];
  return joystick && SDL_JoystickGetButton(joystick, button);
}

bool gModSimulated;
uint32_t gModSimState;

uint32_t platformModifiers() { return gModSimulated ? gModSimState : uint32_t(SDL_GetModState()); }
