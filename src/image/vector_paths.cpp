#include "image/vector_paths.h"

#include <cstdlib>
#include <cstring>

namespace {

bool cpuHasAvx2() {
#if TAVINO_HAS_AVX2
  __builtin_cpu_init();  // this may run before the runtime's own constructors
  return __builtin_cpu_supports("avx2");
#else
  return false;
#endif
}

bool portableForced() {
  const char* value = std::getenv("TAVINO_PORTABLE");
  return value && *value && std::strcmp(value, "0") != 0;
}

bool& enabled() {
  static bool on = cpuHasAvx2() && !portableForced();
  return on;
}

}  // namespace

bool avx2PathsEnabled() { return enabled(); }

bool chooseAvx2Paths(bool wanted) {
  enabled() = wanted && cpuHasAvx2();
  return enabled();
}
