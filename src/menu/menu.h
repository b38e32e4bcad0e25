// The system menu, which is also the title screen.
#pragma once

void rCPGsysmenu();  // one step of the menu's state machine, driven by the main loop
