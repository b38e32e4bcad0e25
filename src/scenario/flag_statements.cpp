// Flag statements: four tables of different widths, each with a cursor that
// the set, add, copy and test statements work on.
#include <cstdint>
#include <cstdlib>

#include "scenario/engine_state.h"
#include "scenario/scenario.h"
#include "scenario/statements.h"

namespace {

template <typename T, int N>
struct FlagTable {
  T (&entries)[N];
  int32_t& cursor;
  int64_t low, high;  // range kept by the set and add statements

  T limited(int64_t v) const { return static_cast<T>(v < low ? low : v > high ? high : v); }
  // Only the cursor statements keep the cursor in range; state restored from
  // elsewhere is not trusted to.
  bool cursorValid() const { return cursor >= 0 && cursor < N; }

  int32_t move(const char* arg) {
    const int32_t v = std::atoi(arg);
    if (v >= 0 && v < N) cursor = v;
    return 0;
  }
  int32_t set(const char* arg) {
    gSaveFlag = 1;
    if (cursorValid()) entries[cursor] = limited(std::atoi(arg));
    return 0;
  }
  int32_t plus(const char* arg) {
    gSaveFlag = 1;
    if (cursorValid()) entries[cursor] = limited(int64_t{entries[cursor]} + std::atoi(arg));
    return 0;
  }
  int32_t copy(const char* arg) {
    gSaveFlag = 1;
    const int32_t v = std::atoi(arg);
    if (v >= 0 && v < N && cursorValid()) entries[v] = entries[cursor];
    return 0;
  }
  int32_t jumpIfSet(const char* arg) {
    if (!cursorValid() || entries[cursor] == 0) return 0;
    rCPGgetsina(std::atoi(arg));
    return 1;
  }
};

FlagTable<uint8_t, 2048> flag1{gFlag1, gFlag1Now, 0, 1};
FlagTable<int8_t, 256> flag8{gFlag8, gFlag8Now, -120, 120};
FlagTable<int16_t, 128> flag16{gFlag16, gFlag16Now, -32000, 32000};
FlagTable<int32_t, 64> flag32{gFlag32, gFlag32Now, -1000000000, 1000000000};

}  // namespace

int32_t stmtFlag1(const char* arg) { return flag1.move(arg); }
int32_t stmtFlag1Set(const char* arg) { return flag1.set(arg); }
int32_t stmtFlag1Copy(const char* arg) { return flag1.copy(arg); }
int32_t stmtIfFlag1(const char* arg) { return flag1.jumpIfSet(arg); }

int32_t stmtFlag8(const char* arg) { return flag8.move(arg); }
int32_t stmtFlag8Set(const char* arg) { return flag8.set(arg); }
int32_t stmtFlag8Plus(const char* arg) { return flag8.plus(arg); }
int32_t stmtFlag8Copy(const char* arg) { return flag8.copy(arg); }
int32_t stmtIfFlag8(const char* arg) { return flag8.jumpIfSet(arg); }

int32_t stmtFlag16(const char* arg) { return flag16.move(arg); }
int32_t stmtFlag16Set(const char* arg) { return flag16.set(arg); }
int32_t stmtFlag16Plus(const char* arg) { return flag16.plus(arg); }
int32_t stmtFlag16Copy(const char* arg) { return flag16.copy(arg); }
int32_t stmtIfFlag16(const char* arg) { return flag16.jumpIfSet(arg); }

int32_t stmtFlag32(const char* arg) { return flag32.move(arg); }
int32_t stmtFlag32Set(const char* arg) { return flag32.set(arg); }
int32_t stmtFlag32Plus(const char* arg) { return flag32.plus(arg); }
int32_t stmtFlag32Copy(const char* arg) { return flag32.copy(arg); }
int32_t stmtIfFlag32(const char* arg) { return flag32.jumpIfSet(arg); }
