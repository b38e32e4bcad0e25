// Placeholder: keeps the program linking until this part is built.
#include "scenario/statements.h"
int32_t stmtCgRedraw(const char*) { return 0; }
int32_t stmtCharaPng(const char*) { return 0; }
int32_t stmtCharaBmp(const char*) { return 0; }
int32_t stmtCharaIchi(const char*) { return 0; }
int32_t stmtChara(const char*) { return 0; }
int32_t stmtHaikeiPng(const char*) { return 0; }
int32_t stmtHaikeiJpg(const char*) { return 0; }
int32_t stmtHaikeiBmp(const char*) { return 0; }
int32_t stmtHaikeiClear(const char*) { return 0; }
int32_t stmtKoukeiPng(const char*) { return 0; }
int32_t stmtKoukeiBmp(const char*) { return 0; }
int32_t stmtZenkeiPng(const char*) { return 0; }
int32_t stmtZenkeiBmp(const char*) { return 0; }
int32_t stmtHaikei(const char*) { return 0; }
int32_t stmtCgBright(const char*) { return 0; }
