// The main event loop: input enters the program only here.
#pragma once

// Runs passes until a quit request (window closed, joystick button 16) has
// been seen; the pass that sees it still runs to its end.
void runMainLoop();
