// The scenario engine: resets, the reader and the statement interpreter.
#pragma once

#include <cstdint>

void rSPGbegin();                  // display reset
void rOPGstartsina();              // new game from the first line of SinaFile
void rCPGgetsina(int32_t scene);   // run statements until one stops; scene 0 = go on
int32_t rSPGkaiseki();             // execute SinaMsg; non-zero stops the reader
