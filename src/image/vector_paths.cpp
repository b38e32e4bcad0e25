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

}  // namespace

bool gAvx2Paths = cpuHasAvx2() && !portableForced();

bool chooseAvx2Paths(bool wanted) {
  gAvx2Paths = wanted && cpuHasAvx2();
  return gAvx2Paths;
}
