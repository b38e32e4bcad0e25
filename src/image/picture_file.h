#pragma once

#include <cstdint>

// Formats the name of picture `number` from MyAppDir and `pattern`
// ("%s%d.jpg" or "%s%d.png"), reads at most 8,294,500 bytes of it into
// gfilework and returns how many were read, or -1 when it cannot be opened.
int32_t readPictureFile(const char* pattern, int32_t number);
