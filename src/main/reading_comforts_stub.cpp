// Stand-in until the reading comforts (skip, automatic reading) replace this
// file: with neither of them there is nothing to stop.
#include "main/reading_comforts.h"

void stopSkipAndAutoRead() {}
