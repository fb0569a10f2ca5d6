#include "text/byte_scan.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <utility>

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include <emmintrin.h>
#define POMVELT_SCAN_SSE2 1
#endif
#if POMVELT_SCAN_SSE2 && (defined(__GNUC__) || defined(__clang__)) && \
    (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>
#define POMVELT_SCAN_AVX2 1
#endif

namespace pomvelt {

namespace {

const char* FindBareLfPlain(const char* p, const char* end) {
  for (; p < end; ++p) {
    if (*p == '\n' && p[-1] != '\r') return p;
  }
  return end;
}

const char* FindLeadWithPlain(const char* p, const char* end, char lead, ByteAt a, ByteAt b) {
  for (; p < end; ++p) {
    if (*p != lead) continue;
    const std::size_t left = static_cast<std::size_t>(end - p);
    if ((a.offset < left && p[a.offset] == a.byte) || (b.offset < left && p[b.offset] == b.byte)) {
      return p;
    }
  }
  return end;
}

// Marks the bytes from word `first` on, one at a time.
void MarkBytesPlain(const char* p, std::size_t n, std::string_view set, std::uint64_t* bits,
                    std::size_t first) {
  bool in[256] = {};
  for (const char c : set) in[static_cast<unsigned char>(c)] = true;
  for (std::size_t w = first; w * 64 < n; ++w) {
    std::uint64_t word = 0;
    const std::size_t stop = std::min<std::size_t>(64, n - w * 64);
    for (std::size_t i = 0; i < stop; ++i) {
      if (in[static_cast<unsigned char>(p[w * 64 + i])]) word |= std::uint64_t{1} << i;
    }
    bits[w] = word;
  }
}

#if POMVELT_SCAN_SSE2

const char* FindBareLfSse2(const char* p, const char* end) {
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i cr = _mm_set1_epi8('\r');
  auto bare = [&](const char* q) {
    const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q));
    const __m128i before = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q - 1));
    return _mm_andnot_si128(_mm_cmpeq_epi8(before, cr), _mm_cmpeq_epi8(here, lf));
  };
  // Almost every map has CR LF ends throughout: test 64 bytes at once, find the byte after.
  while (end - p >= 64) {
    const __m128i any =
        _mm_or_si128(_mm_or_si128(bare(p), bare(p + 16)), _mm_or_si128(bare(p + 32), bare(p + 48)));
    if (_mm_movemask_epi8(any) != 0) break;
    p += 64;
  }
  for (; end - p >= 16; p += 16) {
    const int mask = _mm_movemask_epi8(bare(p));
    if (mask != 0) return p + std::countr_zero(static_cast<unsigned>(mask));
  }
  return FindBareLfPlain(p, end);
}

const char* FindLeadWithSse2(const char* p, const char* end, char lead, ByteAt a, ByteAt b) {
  const __m128i l = _mm_set1_epi8(lead);
  const __m128i ab = _mm_set1_epi8(a.byte);
  const __m128i bb = _mm_set1_epi8(b.byte);
  const std::ptrdiff_t reach = static_cast<std::ptrdiff_t>(std::max(a.offset, b.offset)) + 16;
  for (; end - p >= reach; p += 16) {
    auto at = [&](std::size_t offset) {
      return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + offset));
    };
    const __m128i hit = _mm_and_si128(
        _mm_cmpeq_epi8(at(0), l),
        _mm_or_si128(_mm_cmpeq_epi8(at(a.offset), ab), _mm_cmpeq_epi8(at(b.offset), bb)));
    const int mask = _mm_movemask_epi8(hit);
    if (mask != 0) return p + std::countr_zero(static_cast<unsigned>(mask));
  }
  return FindLeadWithPlain(p, end, lead, a, b);
}

template <std::size_t... K>
inline __m128i AnyOfSse2(__m128i v, const __m128i* wanted, std::index_sequence<K...>) {
  __m128i hit = _mm_setzero_si128();
  ((hit = _mm_or_si128(hit, _mm_cmpeq_epi8(v, wanted[K]))), ...);
  return hit;
}

template <std::size_t N>
void MarkBytesSse2(const char* p, std::size_t n, std::string_view set, std::uint64_t* bits) {
  __m128i wanted[N];
  for (std::size_t k = 0; k < N; ++k) wanted[k] = _mm_set1_epi8(set[k]);
  std::size_t w = 0;
  for (; (w + 1) * 64 <= n; ++w) {
    std::uint64_t word = 0;
    for (int part = 0; part < 4; ++part) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + w * 64 + part * 16));
      const __m128i hit = AnyOfSse2(v, wanted, std::make_index_sequence<N>());
      word |= static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(hit)))
              << (part * 16);
    }
    bits[w] = word;
  }
  MarkBytesPlain(p, n, set, bits, w);
}

#endif

#if POMVELT_SCAN_AVX2

__attribute__((target("avx2"))) inline __m256i BareAvx2(const char* q) {
  const __m256i here = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(q));
  const __m256i before = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(q - 1));
  return _mm256_andnot_si256(_mm256_cmpeq_epi8(before, _mm256_set1_epi8('\r')),
                             _mm256_cmpeq_epi8(here, _mm256_set1_epi8('\n')));
}

__attribute__((target("avx2"))) const char* FindBareLfAvx2(const char* p, const char* end) {
  while (end - p >= 64) {
    const __m256i any = _mm256_or_si256(BareAvx2(p), BareAvx2(p + 32));
    if (!_mm256_testz_si256(any, any)) break;
    p += 64;
  }
  for (; end - p >= 32; p += 32) {
    const unsigned mask = static_cast<unsigned>(_mm256_movemask_epi8(BareAvx2(p)));
    if (mask != 0) return p + std::countr_zero(mask);
  }
  return FindBareLfSse2(p, end);
}

__attribute__((target("avx2"))) inline __m256i LeadWithAvx2(const char* p, __m256i l, ByteAt a,
                                                            __m256i ab, ByteAt b, __m256i bb) {
  const __m256i here = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
  const __m256i atA = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + a.offset));
  const __m256i atB = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + b.offset));
  return _mm256_and_si256(_mm256_cmpeq_epi8(here, l),
                          _mm256_or_si256(_mm256_cmpeq_epi8(atA, ab), _mm256_cmpeq_epi8(atB, bb)));
}

__attribute__((target("avx2"))) const char* FindLeadWithAvx2(const char* p, const char* end,
                                                             char lead, ByteAt a, ByteAt b) {
  const __m256i l = _mm256_set1_epi8(lead);
  const __m256i ab = _mm256_set1_epi8(a.byte);
  const __m256i bb = _mm256_set1_epi8(b.byte);
  const std::ptrdiff_t reach = static_cast<std::ptrdiff_t>(std::max(a.offset, b.offset));
  // Candidates are rare: test 64 bytes at once, find the byte after.
  if (end - p >= reach + 64) {
    for (const char* const last = end - reach - 64; p <= last; p += 64) {
      const __m256i any =
          _mm256_or_si256(LeadWithAvx2(p, l, a, ab, b, bb), LeadWithAvx2(p + 32, l, a, ab, b, bb));
      if (!_mm256_testz_si256(any, any)) break;
    }
  }
  for (; end - p >= reach + 32; p += 32) {
    const unsigned mask =
        static_cast<unsigned>(_mm256_movemask_epi8(LeadWithAvx2(p, l, a, ab, b, bb)));
    if (mask != 0) return p + std::countr_zero(mask);
  }
  return FindLeadWithSse2(p, end, lead, a, b);
}

template <std::size_t... K>
__attribute__((target("avx2"))) inline __m256i AnyOfAvx2(__m256i v, const __m256i* wanted,
                                                         std::index_sequence<K...>) {
  __m256i hit = _mm256_setzero_si256();
  ((hit = _mm256_or_si256(hit, _mm256_cmpeq_epi8(v, wanted[K]))), ...);
  return hit;
}

template <std::size_t N>
__attribute__((target("avx2"))) void MarkBytesAvx2(const char* p, std::size_t n,
                                                   std::string_view set, std::uint64_t* bits) {
  __m256i wanted[N];
  for (std::size_t k = 0; k < N; ++k) wanted[k] = _mm256_set1_epi8(set[k]);
  std::size_t w = 0;
  for (; (w + 1) * 64 <= n; ++w) {
    const __m256i lo = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + w * 64));
    const __m256i hi = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + w * 64 + 32));
    const __m256i hitLo = AnyOfAvx2(lo, wanted, std::make_index_sequence<N>());
    const __m256i hitHi = AnyOfAvx2(hi, wanted, std::make_index_sequence<N>());
    bits[w] = static_cast<std::uint64_t>(static_cast<unsigned>(_mm256_movemask_epi8(hitLo))) |
              static_cast<std::uint64_t>(static_cast<unsigned>(_mm256_movemask_epi8(hitHi))) << 32;
  }
  MarkBytesPlain(p, n, set, bits, w);
}

#endif

ScanLevel DetectLevel() {
#if POMVELT_SCAN_AVX2
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx2")) return ScanLevel::kAvx2;
#endif
#if POMVELT_SCAN_SSE2
  return ScanLevel::kSse2;
#else
  return ScanLevel::kPlain;
#endif
}

const ScanLevel kBestLevel = DetectLevel();
ScanLevel g_level = kBestLevel;

}  // namespace

ScanLevel BestScanLevel() {
  return kBestLevel;
}

void UseScanLevel(ScanLevel level) {
  g_level = std::min(level, kBestLevel);
}

const char* FindBareLf(const char* from, const char* end) {
#if POMVELT_SCAN_AVX2
  if (g_level == ScanLevel::kAvx2) return FindBareLfAvx2(from, end);
#endif
#if POMVELT_SCAN_SSE2
  if (g_level == ScanLevel::kSse2) return FindBareLfSse2(from, end);
#endif
  return FindBareLfPlain(from, end);
}

const char* FindLeadWith(const char* from, const char* end, char lead, ByteAt a, ByteAt b) {
#if POMVELT_SCAN_AVX2
  if (g_level == ScanLevel::kAvx2) return FindLeadWithAvx2(from, end, lead, a, b);
#endif
#if POMVELT_SCAN_SSE2
  if (g_level == ScanLevel::kSse2) return FindLeadWithSse2(from, end, lead, a, b);
#endif
  return FindLeadWithPlain(from, end, lead, a, b);
}

namespace {

using MarkFunction = void (*)(const char*, std::size_t, std::string_view, std::uint64_t*);

template <std::size_t... N>
MarkFunction PickMarkBytes(std::size_t count, std::index_sequence<N...>) {
  MarkFunction chosen = nullptr;
  (void)count;
#if POMVELT_SCAN_AVX2
  if (g_level == ScanLevel::kAvx2) {
    ((count == N + 1 ? (chosen = &MarkBytesAvx2<N + 1>, 0) : 0), ...);
  }
#endif
#if POMVELT_SCAN_SSE2
  if (g_level == ScanLevel::kSse2) {
    ((count == N + 1 ? (chosen = &MarkBytesSse2<N + 1>, 0) : 0), ...);
  }
#endif
  return chosen;
}

}  // namespace

void MarkBytes(const char* p, std::size_t n, std::string_view set, std::uint64_t* bits) {
  MarkFunction f = set.empty() || set.size() > kMaxMarkedBytes
                       ? nullptr
                       : PickMarkBytes(set.size(), std::make_index_sequence<kMaxMarkedBytes>());
  if (f != nullptr) {
    f(p, n, set, bits);
  } else {
    MarkBytesPlain(p, n, set, bits, 0);
  }
}

}  // namespace pomvelt
