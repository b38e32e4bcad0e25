// Small helpers shared by the benchmarks.
#pragma once

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

// The whole file, or nothing when it cannot be read.
inline std::vector<uint8_t> readAll(const std::string& path) {
  std::vector<uint8_t> bytes;
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    uint8_t chunk[65536];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes.insert(bytes.end(), chunk, chunk + n);
    std::fclose(f);
  }
  return bytes;
}

// The benchmark pictures, made once per run: a 1920 x 1080 4:2:0 JPEG
// photograph, and 1920 x 1080 PNG photographs with 3 or 4 channels (the
// RGBA one opaque in a disc, fading out around it).
const std::vector<uint8_t>& benchJpegPhotograph();
const std::vector<uint8_t>& benchPngPhotograph(int channels);

// CPU seconds this thread has used: the ratio benchmarks time the player and
// the reference library alternately with it, so that other load on the
// machine weighs on both alike.
inline double threadSeconds() {
  timespec t;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// Runs `player` and `reference` once each per iteration and reports their
// times and player / reference as counters (a ratio below 1 is faster).
template <typename State, typename Player, typename Reference>
void timeAgainstReference(State& state, Player player, Reference reference) {
  double playerSeconds = 0, referenceSeconds = 0;
  for (auto _ : state) {
    const double t0 = threadSeconds();
    player();
    const double t1 = threadSeconds();
    reference();
    referenceSeconds += threadSeconds() - t1;
    playerSeconds += t1 - t0;
  }
  const double n = double(state.iterations());
  state.counters["player_ms"] = playerSeconds / n * 1e3;
  state.counters["reference_ms"] = referenceSeconds / n * 1e3;
  state.counters["ratio"] = referenceSeconds > 0 ? playerSeconds / referenceSeconds : 0;
}
