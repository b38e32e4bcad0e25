// The decorations drawn over the fitted scene in gUra: the message window
// with its four lines, or the question box with the six choice bars.
#pragma once

void drawMessageScreen();
void drawChoiceScreen();
