// Placeholder: keeps the program linking until this part is built.
#include "scenario/statements.h"
int32_t stmtSiori(const char*) { return 0; }
int32_t stmtMode(const char*) { return 0; }
int32_t stmtKisyu(const char*) { return 0; }
int32_t stmtSystemSize(const char*) { return 0; }
int32_t stmtVersionCheck(const char*) { return 0; }
int32_t stmtNoEffect(const char*) { return 0; }
