#include "fuzz_support.h"
#include "jobs/map_list_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace pomvelt;
  const fuzz::Input in = fuzz::Split(data, size);
  CMapListFile list;  // never opened: the operations only fill its text
  std::size_t before = 0;
  fuzz::RunWithBlock(in.body, 64, [&](LineReader& r, LineWriter&) {
    std::string_view line;
    while (r.ReadLine(line)) {
      list.AddText(";");
      list.AddMapName(line);
      list.AddLineEnd();
      list.AddImgName(line);
      list.AddFileName(line);
      // Every add lengthens the text; nothing is ever taken away from it.
      if (list.Text().size() < before + 5) std::abort();
      before = list.Text().size();
    }
  });
  return 0;
}
