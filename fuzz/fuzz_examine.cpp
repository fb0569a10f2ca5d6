#include "examine/map_check.h"
#include "examine/map_stats.h"
#include "fuzz_support.h"

// Statistics and diagnostics of any bytes, read in blocks of 1 to 8 bytes and in whole blocks,
// must agree.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace pomvelt;
  const fuzz::Input in = fuzz::Split(data, size);
  const std::size_t small = 1 + (in.selector >> 5);
  auto stats = [&](std::size_t block) {
    MemorySource source(in.body);
    LineReader reader(source, block);
    return CollectStats(reader);
  };
  auto check = [&](std::size_t block) {
    MemorySource source(in.body);
    LineReader reader(source, block);
    return CheckMap(reader);
  };
  if (!(stats(small) == stats(LineReader::kDefaultBlock))) std::abort();
  if (check(small) != check(LineReader::kDefaultBlock)) std::abort();
  return 0;
}
