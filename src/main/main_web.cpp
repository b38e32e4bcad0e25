// Start-up glue of the web build. Its SDL header declares SDL_main with C
// linkage, so the call must see that declaration.
#include <SDL/SDL.h>

#include "main/startup.h"

int main(int argc, char* argv[]) { return SDL_main(argc, argv); }
