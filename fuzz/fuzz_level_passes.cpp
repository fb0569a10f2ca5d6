#include "eurasia/level_passes.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace pomvelt;
  const fuzz::Input in = fuzz::Split(data, size);
  if ((in.selector & 1) != 0) {
    fuzz::Check(in.body, in.selector, [&](LineReader& r, LineWriter& w) {
      const ShiftCounts counts = ShiftLevelLines(r, w);
      // What a refused map wrote is never used, so only a whole run must know its changes.
      if (!counts.headerEndFound) return;
    });
    return 0;
  }
  LevelScan scan;
  fuzz::RunWithBlock(in.body, 1 + (in.selector >> 5),
                     [&](LineReader& r, LineWriter&) { scan = ScanLevels(r); });
  const int k = scan.SourceLevel();
  if (k < -1 || k > 7) std::abort();  // levels 8 and 9 are never examined
  if (k > 0) {
    fuzz::CheckCounted(in.body, in.selector, [&](LineReader& r, LineWriter& w) {
      const FillCounts filled = CopyLevelLines(r, w, k, scan.empty[1]);
      return TransformResult{
          {{"elementsFilled", "", filled.elementsFilled}}, filled.elementsFilled > 0, std::nullopt};
    });
  }
  return 0;
}
