// Placeholder: keeps the program linking until this part is built.
#include "scenario/statements.h"
int32_t stmtGoto(const char*) { return 0; }
int32_t stmtKeyWait(const char*) { return 0; }
int32_t stmtNoWait(const char*) { return 0; }
int32_t stmtWait(const char*) { return 0; }
int32_t stmtScene(const char*) { return 0; }
int32_t stmtGamen(const char*) { return 0; }
int32_t stmtSinarioRead(const char*) { return 0; }
