// Placeholder: keeps the program linking until this part is built.
#include "main/startup.h"
int SDL_main(int, char*[]) { return -1; }
