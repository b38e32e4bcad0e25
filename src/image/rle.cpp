// Placeholder: keeps the program linking until this part is built.
#include "image/loaders.h"
void rOPGkn1(uint8_t*, uint16_t, uint32_t) {}
