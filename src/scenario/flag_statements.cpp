// Placeholder: keeps the program linking until this part is built.
#include "scenario/statements.h"
int32_t stmtFlag1(const char*) { return 0; }
int32_t stmtFlag1Set(const char*) { return 0; }
int32_t stmtFlag1Copy(const char*) { return 0; }
int32_t stmtIfFlag1(const char*) { return 0; }
int32_t stmtFlag8(const char*) { return 0; }
int32_t stmtFlag8Set(const char*) { return 0; }
int32_t stmtFlag8Plus(const char*) { return 0; }
int32_t stmtFlag8Copy(const char*) { return 0; }
int32_t stmtIfFlag8(const char*) { return 0; }
int32_t stmtFlag16(const char*) { return 0; }
int32_t stmtFlag16Set(const char*) { return 0; }
int32_t stmtFlag16Plus(const char*) { return 0; }
int32_t stmtFlag16Copy(const char*) { return 0; }
int32_t stmtIfFlag16(const char*) { return 0; }
int32_t stmtFlag32(const char*) { return 0; }
int32_t stmtFlag32Set(const char*) { return 0; }
int32_t stmtFlag32Plus(const char*) { return 0; }
int32_t stmtFlag32Copy(const char*) { return 0; }
int32_t stmtIfFlag32(const char*) { return 0; }
