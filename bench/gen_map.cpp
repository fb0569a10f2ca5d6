// Writes a deterministic Polish-format map of about the requested size, for the benchmark and
// for tests that need a large or varied map. The same seed always gives the same bytes.
//
//   pomvelt-genmap OUTPUT SIZE_BYTES [SEED]

#include <cstdio>
#include <cstdlib>
#include <string>

#include "map_generator.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: pomvelt-genmap OUTPUT SIZE_BYTES [SEED]\n");
    return 2;
  }
  const unsigned long long size = std::strtoull(argv[2], nullptr, 10);
  pomvelt::bench::Random r(argc > 3 ? std::strtoull(argv[3], nullptr, 10) : 1);
  std::FILE* f = std::fopen(argv[1], "wb");
  if (f == nullptr) {
    std::perror(argv[1]);
    return 1;
  }
  std::string chunk(pomvelt::bench::kMapHead);
  // Whole elements until the size is reached, written a megabyte at a time.
  unsigned long long written = 0;
  while (written + chunk.size() < size) {
    pomvelt::bench::Element(r, chunk);
    if (chunk.size() >= (1u << 20)) {
      if (std::fwrite(chunk.data(), 1, chunk.size(), f) != chunk.size()) {
        std::perror(argv[1]);
        return 1;
      }
      written += chunk.size();
      chunk.clear();
    }
  }
  if (std::fwrite(chunk.data(), 1, chunk.size(), f) != chunk.size()) {
    std::perror(argv[1]);
    return 1;
  }
  return std::fclose(f) == 0 ? 0 : 1;
}
