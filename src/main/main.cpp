// Start-up glue: the program proper is SDL_main.
#include "main/startup.h"

int main(int argc, char* argv[]) { return SDL_main(argc, argv); }
