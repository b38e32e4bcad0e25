// Placeholder: keeps the program linking until this part is built.
#include "scenario/scenario.h"
void rSPGbegin() {}
void rOPGstartsina() {}
