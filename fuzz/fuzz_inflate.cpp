// Inflate against zlib, two ways. The input as a zlib stream: the player reads
// more leniently (it does not check NLEN or the checksum, and reports a code
// set with holes only where a code falls into one), so after zlib's error it
// may go on; with a window below 32 KiB it is the stricter. And the input as
// data, compressed by zlib with settings it picks: it must come back whole.
// Named seeds (*.z) include hand-made streams for each refusal, which
// test_inflate also checks, and copies from exactly 32 KiB back.
#include <zlib.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "image/inflate.h"

namespace {
using Bytes = std::vector<uint8_t>;

void append(void* context, const uint8_t* bytes, size_t count) {
  auto* out = static_cast<Bytes*>(context);
  out->insert(out->end(), bytes, bytes + count);
}

void compareOnTheStream(const uint8_t* data, size_t size) {
  Bytes ours;
  const InflateStatus status = inflateZlibStream(data, size, append, &ours);
  if (size < 6 || (data[0] >> 4) > 7) return;

  z_stream z{};
  if (inflateInit2(&z, -15) != Z_OK) std::abort();
  Bytes theirs(ours.size() + 65536);
  z.next_in = const_cast<Bytef*>(data + 2), z.avail_in = uInt(size - 6);
  z.next_out = theirs.data(), z.avail_out = uInt(theirs.size());
  const int zr = inflate(&z, Z_FINISH);
  theirs.resize(z.total_out);
  inflateEnd(&z);

  // Bytes both produced agree; a stream zlib completes, the player completes
  // with the same bytes; a stream the player completes holds all zlib found.
  const size_t common = std::min(ours.size(), theirs.size());
  const bool full = (data[0] >> 4) == 7;  // zlib holds copies to the window only at its 32 KiB
  if (!std::equal(theirs.begin(), theirs.begin() + long(common), ours.begin())) std::abort();
  if (zr == Z_STREAM_END && full && (status != InflateStatus::Ok || ours.size() != theirs.size())) std::abort();
  if (status == InflateStatus::Ok && ours.size() < theirs.size()) std::abort();
}

// Level, strategy and window come from the first two bytes. Halfway the level
// changes after a sync flush, so stored and compressed blocks follow each other
// at every bit alignment and later blocks copy from earlier ones.
void compareOnTheData(const uint8_t* data, size_t size) {
  if (size < 2) return;
  const int level = data[0] % 10, strategy = data[0] / 10 % 5, windowBits = 9 + data[1] % 7;
  z_stream z{};
  if (deflateInit2(&z, level, Z_DEFLATED, windowBits, 8, strategy) != Z_OK) std::abort();
  Bytes stream(2 * size + 1024);
  z.next_in = const_cast<Bytef*>(data), z.avail_in = uInt(size / 2);
  z.next_out = stream.data(), z.avail_out = uInt(stream.size());
  if (deflate(&z, Z_SYNC_FLUSH) != Z_OK || deflateParams(&z, 9 - level, strategy) != Z_OK) std::abort();
  z.avail_in = uInt(size - size / 2);
  if (deflate(&z, Z_FINISH) != Z_STREAM_END) std::abort();
  stream.resize(z.total_out);
  deflateEnd(&z);
  Bytes out;
  if (inflateZlibStream(stream.data(), stream.size(), append, &out) != InflateStatus::Ok) std::abort();
  if (!std::equal(out.begin(), out.end(), data, data + size)) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  compareOnTheStream(data, size);
  compareOnTheData(data, size);
  return 0;
}
