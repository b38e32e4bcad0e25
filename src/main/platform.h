// The few SDL services that code outside start-up, the presenter and the
// sound channels needs, behind plain functions so that tests and the play
// tool can run that code without a window.
#pragma once

#include <cstdint>

uint32_t platformTicks();          // SDL_GetTicks
void platformDelay(uint32_t ms);   // SDL_Delay
// Polls one event into `event`; true when it is a quit request, which is also
// remembered in gQuitRequested so the main loop can end after its pass.
bool platformPollQuit();
// Current state of a joystick button of `joystick` (or of the play tool's
// simulated joystick).
bool platformJoyButton(int button);

extern bool gQuitRequested;        // a quit request seen outside the main loop's own poll

// Set by the play tool: simulated joystick buttons replace the real device.
extern bool gJoySimulated;
extern uint8_t gJoySimButtons[32];
// Set by tests: replaces the SDL clock behind platformTicks.
extern uint32_t (*gTicksSource)();
// Set by the play tool: called at the start of every main-loop pass.
extern void (*gPassHook)();

// Keyboard modifiers held now (SDL's KMOD_ bits), or the play tool's
// simulated ones. Held keys are read from SDL's keyboard state rather than
// from key-up events, which the main loop's release test may discard.
uint32_t platformModifiers();
extern bool gModSimulated;
extern uint32_t gModSimState;
