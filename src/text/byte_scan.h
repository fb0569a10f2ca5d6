// Vector scans over runs of buffered lines, for the fast paths of the streaming transforms:
// they look at 32 or 16 bytes per step where the processor allows it (chosen once, at run
// time) and fall back to plain loops elsewhere. Every function gives the same answer on every
// path.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace pomvelt {

// The first "\n" in [from, end) that has no "\r" right before it, or end. from[-1] must be
// readable: callers start past the first byte of a run.
const char* FindBareLf(const char* from, const char* end);

// A byte at a distance from a candidate position.
struct ByteAt {
  std::size_t offset;
  char byte;
};

// The first p in [from, end) with p[0] == lead and with a or b at its distance from p (only
// bytes before end count), or end. A cheap filter for where one of two markers may begin.
const char* FindLeadWith(const char* from, const char* end, char lead, ByteAt a, ByteAt b);

// Marks where the bytes of `set` (at most kMaxMarkedBytes of them) occur in [p, p + n): bit
// i % 64 of bits[i / 64] stands for p[i]. `bits` must hold (n + 63) / 64 words. Lets a caller
// visit only the few bytes of a run that matter, however many there are in a row.
inline constexpr std::size_t kMaxMarkedBytes = 8;
void MarkBytes(const char* p, std::size_t n, std::string_view set, std::uint64_t* bits);

// Which of the scans' implementations run: the widest the processor has, unless a test asks
// for a narrower one (every level gives the same answers).
enum class ScanLevel { kPlain = 0, kSse2 = 1, kAvx2 = 2 };
ScanLevel BestScanLevel();
void UseScanLevel(ScanLevel level);  // at most BestScanLevel(); for tests

}  // namespace pomvelt
