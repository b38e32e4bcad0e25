// Inflate on arbitrary bytes, checked against zlib on the same deflate data.
// The player reads more leniently (it does not check NLEN or the checksum, and
// reports a code set with holes only where a code falls into one), so after
// zlib's error it may go on; with a window below 32 KiB it is the stricter.
#include <zlib.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "image/inflate.h"

namespace {
void append(void* context, const uint8_t* bytes, size_t count) {
  auto* out = static_cast<std::vector<uint8_t>*>(context);
  out->insert(out->end(), bytes, bytes + count);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> ours;
  const InflateStatus status = inflateZlibStream(data, size, append, &ours);
  if (size < 6 || (data[0] >> 4) > 7) return 0;

  z_stream z{};
  if (inflateInit2(&z, -15) != Z_OK) std::abort();
  std::vector<uint8_t> theirs(ours.size() + 65536);
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
  return 0;
}
