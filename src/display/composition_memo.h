// Every message after a picture statement asks rGame to compose the scene
// again, and mostly nothing it is made of has changed. The memo remembers the
// last composition whose bytes depend only on what it was made of, so that a
// repeat can keep gHaikeiBits and the scaled copy as they stand.
#pragma once

#include <cstdint>

// Whatever writes gHaikeiBits, gUraCash or the picture cache outside a
// composition calls this: the memo then vouches for nothing until the next
// composition.
void forgetComposition();

// True when gHaikeiBits, and gUraCash and resizeX/resizeY where the window
// needs a scaled copy, hold exactly what composing the current slots anew
// would leave there.
bool compositionStillShown();

// Called after every composition and its fit to the window. `repeatable`:
// the scene covered the whole buffer without reading what was there and no
// loader ran, so composing the same inputs again gives the same bytes.
void noteComposition(bool repeatable);

// Compositions actually painted since start-up (the memo's hits not counted).
uint64_t compositionsPainted();
