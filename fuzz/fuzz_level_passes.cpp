#include "eurasia/level_passes.h"
#include "fuzz_support.h"
#include "support/level_passes_reference.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace pomvelt;
  const fuzz::Input in = fuzz::Split(data, size);
  if ((in.selector & 1) != 0) {
    ShiftCounts counts, reference;
    const std::string out = fuzz::Check(in.body, in.selector, [&](LineReader& r, LineWriter& w) {
      counts = ShiftLevelLines(r, w);
    });
    const std::string expected = fuzz::RunWithBlock(
        in.body, 1 << 16,
        [&](LineReader& r, LineWriter& w) { reference = test::ReferenceShift(r, w); });
    if (counts.headerEndFound != reference.headerEndFound) std::abort();
    // What a refused map wrote is never used.
    if (reference.headerEndFound &&
        (out != expected || counts.linesRenumbered != reference.linesRenumbered ||
         counts.linesChanged != reference.linesChanged)) {
      std::abort();
    }
    return 0;
  }
  LevelScan scan, reference;
  fuzz::RunWithBlock(in.body, 1 + (in.selector >> 5),
                     [&](LineReader& r, LineWriter&) { scan = ScanLevels(r); });
  fuzz::RunWithBlock(in.body, 1 << 16,
                     [&](LineReader& r, LineWriter&) { reference = test::ReferenceScan(r); });
  if (scan.empty != reference.empty) std::abort();
  const int k = scan.SourceLevel();
  if (k < -1 || k > 7) std::abort();  // levels 8 and 9 are never examined
  if (k > 0) {
    FillCounts expectedCounts, filled;
    const std::string expected =
        fuzz::RunWithBlock(in.body, 1 << 16, [&](LineReader& r, LineWriter& w) {
          expectedCounts = test::ReferenceFill(r, w, k, scan.empty[1]);
        });
    const std::string out =
        fuzz::CheckCounted(in.body, in.selector, [&](LineReader& r, LineWriter& w) {
          filled = CopyLevelLines(r, w, k, scan.empty[1]);
          return TransformResult{{{"elementsFilled", "", filled.elementsFilled}},
                                 filled.elementsFilled > 0,
                                 std::nullopt};
        });
    if (out != expected || filled.elementsFilled != expectedCounts.elementsFilled) std::abort();
  }
  return 0;
}
