#include "readers/machinery/run_scan.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace qv::internet {

RunScan::RunScan(const std::array<bool, 256>& stops) : stops_(stops) {
  std::size_t count = 0;
  for (std::size_t b = 0; b < stops.size(); ++b) {
    if (!stops[b]) continue;
    if (count == kStopsCompared) return;  // too many: byte by byte
    compared_[count++] = static_cast<std::uint8_t>(b);
  }
  if (count == 0) return;
  // Unused places repeat a stop, so every place may be compared.
  for (std::size_t i = count; i < kStopsCompared; ++i) compared_[i] = compared_[0];
  wide_ = true;
}

std::size_t RunScan::plainLength(std::string_view v) const {
  std::size_t n = 0;
#if defined(__SSE2__)
  if (wide_) {
    const __m128i s0 = _mm_set1_epi8(static_cast<char>(compared_[0]));
    const __m128i s1 = _mm_set1_epi8(static_cast<char>(compared_[1]));
    const __m128i s2 = _mm_set1_epi8(static_cast<char>(compared_[2]));
    const __m128i s3 = _mm_set1_epi8(static_cast<char>(compared_[3]));
    for (; n + 16 <= v.size(); n += 16) {
      const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(v.data() + n));
      const __m128i hits = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, s0), _mm_cmpeq_epi8(bytes, s1)),
                                        _mm_or_si128(_mm_cmpeq_epi8(bytes, s2), _mm_cmpeq_epi8(bytes, s3)));
      if (const int mask = _mm_movemask_epi8(hits); mask != 0)
        return n + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
    }
  }
#endif
  while (n < v.size() && !stops_[static_cast<unsigned char>(v[n])]) ++n;
  return n;
}

}  // namespace qv::internet
