// Reading comforts: skipping (Tab for text already seen, Ctrl held for
// everything), automatic reading and hiding the text windows. Each main-loop
// pass may advance the scenario once on the player's behalf.
#pragma once

#include <cstdint>

extern bool gTabSkip;    // skip text already seen, until unseen text, a choice, the menu or the end
extern bool gAutoRead;   // advance by itself after a reading time

// 0 off, 1 seen text only (Tab), 2 everything (Ctrl held).
int32_t skipState();
// Turns skip and automatic reading off; a held Ctrl skips again only after
// it has been released and pressed anew.
void stopSkipAndAutoRead();

void toggleTabSkip();
void toggleAutoRead();
void hideWindows();      // shows the scene without the message window and choice list
// While the windows are hidden, any key press, click or button press only
// shows them again: true when the event was used so.
bool unhideOnPress();

// Once per main-loop pass, after the input dispatch. `inputActed` is true
// when the pass already acted on a press; it then does not advance too.
void readingComfortsPass(bool inputActed);
// True while Tab skip is running through text (the play tool waits for it).
bool readingComfortsBusy();
// Back to the start-up state, for tests.
void readingComfortsReset();
