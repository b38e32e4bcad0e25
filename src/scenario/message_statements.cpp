// Placeholder: keeps the program linking until this part is built.
#include "scenario/statements.h"
int32_t stmtMsgColor(const char*) { return 0; }
int32_t stmtMsgFont(const char*) { return 0; }
int32_t stmtMsg(const char*) { return 0; }
int32_t stmtSelectMode(const char*) { return 0; }
int32_t stmtSelectMsg(const char*) { return 0; }
int32_t stmtSelectGoto(const char*) { return 0; }
