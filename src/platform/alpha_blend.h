// Blending a row of 32-bit pixels with an alpha channel in the top byte onto
// a row of the screen's 32-bit pixels with the same colour layout, to the bit
// what SDL 2's blitter for that pair of formats writes: a transparent pixel
// leaves the screen alone, an opaque one is copied whole (its alpha byte
// too), and any other gives every byte (s * f >> 8) + (d * (255 - a) >> 8),
// where f is a for the colours and 255 for the top byte. SDL does that one
// pixel at a time; this does four at once where SSE2 is there (every x86-64).
// Plain C++, no SDL.
#pragma once

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vq {

inline uint32_t BlendPixel(uint32_t source, uint32_t screen) {
  const uint32_t alpha = source >> 24;
  if (alpha == 0) return screen;
  if (alpha == 255) return source;
  uint32_t blended = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const uint32_t factor = shift == 24 ? 255 : alpha;
    const uint32_t s = (source >> shift) & 0xFF;
    const uint32_t d = (screen >> shift) & 0xFF;
    blended |= (((s * factor) >> 8) + ((d * (255 - alpha)) >> 8)) << shift;
  }
  return blended;
}

// Blends count pixels of source onto screen (neither needs any alignment).
inline void BlendRow(const uint8_t* source, uint8_t* screen, int count) {
  int i = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  const __m128i opaque = _mm_set1_epi32(255);
  const __m128i top_lane = _mm_set_epi16(255, 0, 0, 0, 255, 0, 0, 0);
  const __m128i all_lanes = _mm_set1_epi16(255);
  for (; i + 4 <= count; i += 4) {
    const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + 4 * i));
    const __m128i alpha = _mm_srli_epi32(s, 24);
    const __m128i clear = _mm_cmpeq_epi32(alpha, zero);
    const __m128i solid = _mm_cmpeq_epi32(alpha, opaque);
    if (_mm_movemask_epi8(clear) == 0xFFFF) continue;
    if (_mm_movemask_epi8(solid) == 0xFFFF) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(screen + 4 * i), s);
      continue;
    }
    const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(screen + 4 * i));
    // The alpha of each pixel in its four 16-bit lanes.
    const __m128i pairs = _mm_or_si128(alpha, _mm_slli_epi32(alpha, 16));
    const __m128i alpha_low = _mm_unpacklo_epi32(pairs, pairs);
    const __m128i alpha_high = _mm_unpackhi_epi32(pairs, pairs);
    auto blend = [&](__m128i s16, __m128i d16, __m128i a16) {
      const __m128i from_source = _mm_srli_epi16(_mm_mullo_epi16(s16, _mm_or_si128(a16, top_lane)), 8);
      const __m128i from_screen = _mm_srli_epi16(_mm_mullo_epi16(d16, _mm_xor_si128(a16, all_lanes)), 8);
      return _mm_add_epi16(from_source, from_screen);
    };
    const __m128i low = blend(_mm_unpacklo_epi8(s, zero), _mm_unpacklo_epi8(d, zero), alpha_low);
    const __m128i high = blend(_mm_unpackhi_epi8(s, zero), _mm_unpackhi_epi8(d, zero), alpha_high);
    __m128i out = _mm_packus_epi16(low, high);
    out = _mm_or_si128(_mm_andnot_si128(_mm_or_si128(clear, solid), out),
                       _mm_or_si128(_mm_and_si128(clear, d), _mm_and_si128(solid, s)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(screen + 4 * i), out);
  }
#endif
  for (; i < count; ++i) {
    uint32_t s, d;
    std::memcpy(&s, source + 4 * i, 4);
    std::memcpy(&d, screen + 4 * i, 4);
    d = BlendPixel(s, d);
    std::memcpy(screen + 4 * i, &d, 4);
  }
}

}  // namespace vq
