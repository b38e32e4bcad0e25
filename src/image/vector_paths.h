// Which implementation of the hot loops runs: the AVX2 kernels, on an x86-64
// build whose CPU has AVX2, or the portable code that every build has and
// that gives the same bytes. TAVINO_PORTABLE=1 in the environment forces the
// portable code, so a machine with AVX2 can still exercise it.
#pragma once

#if defined(__x86_64__) && !defined(TAVINO_PORTABLE_ONLY)
#define TAVINO_HAS_AVX2 1
#else
#define TAVINO_HAS_AVX2 0
#endif

// True when the AVX2 kernels run; decided at start-up. Read on every call of
// a kernel, so it is a plain flag (false until start-up has set it).
extern bool gAvx2Paths;
inline bool avx2PathsEnabled() { return gAvx2Paths; }

// Switches between the kernels at run time (tests compare the two);
// asking for AVX2 where it cannot run keeps the portable code. Returns what
// is now in use.
bool chooseAvx2Paths(bool wanted);
