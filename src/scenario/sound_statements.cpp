// Placeholder: keeps the program linking until this part is built.
#include "scenario/statements.h"
int32_t stmtOto1Wav(const char*) { return 0; }
int32_t stmtOto1Play(const char*) { return 0; }
int32_t stmtOto1Stop(const char*) { return 0; }
int32_t stmtOto2Wav(const char*) { return 0; }
int32_t stmtOto2Play(const char*) { return 0; }
int32_t stmtOto2Stop(const char*) { return 0; }
