// Converting a label must not cost an allocation for every table row that matches: the
// conversion runs once per label of maps with hundreds of thousands of them. The test program
// counts the allocations made through the global operator new while a conversion runs.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <new>
#include <string>

#include "text/cp1251.h"
#include "text/strings.h"
#include "translit/case_normalise.h"
#include "translit/russian_to_translit.h"
#include "translit/tables.h"
#include "translit/translit_to_russian.h"

namespace {
std::atomic<bool> g_counting{false};
std::atomic<int> g_allocations{0};
}  // namespace

// Kept out of line: inlined into a caller, free() next to a new-expression looks mismatched.
[[gnu::noinline]] void* operator new(std::size_t size) {
  if (g_counting.load(std::memory_order_relaxed)) ++g_allocations;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
[[gnu::noinline]] void operator delete(void* p) noexcept {
  std::free(p);
}
[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}

namespace pomvelt {
namespace {

int AllocationsOf(const std::function<void()>& work) {
  g_allocations = 0;
  g_counting = true;
  work();
  g_counting = false;
  return g_allocations;
}

int RowsMatched(std::string text, std::span<const ReplacementPair> table) {
  MakeUpper1251(text);
  int matched = 0;
  for (const ReplacementPair& row : table) matched += ReplaceAll(text, row.from, row.to) > 0;
  return matched;
}

TEST(LabelAllocations, BoundedWhateverTheRowsMatched) {
  const std::string latin =
      "BOL'SHAYA KHANTAYSKAYA VODOHRAHILISH'E N1 SHCHUKINO GLAVNY NOVYY URENGOY TSENTR-II";
  const std::string cyrillic(
      "Щучье Жуковский Чехов Шатура Юрьев Ясная Объезд Ёлки ул. Ленина 1-я Парковая"_cp);
  const std::string upper(
      "ЩУЧЬЕ ЖУКОВСКИЙ ЧЕХОВ УЛ. ЛЕНИНА 1-Я ПАРКОВАЯ Б-Р ГОГОЛЯ 25 КМ ХОВО-ИВАНОВКА"_cp);
  ASSERT_GT(RowsMatched(latin, kTranslitToRussianTable), 20);
  ASSERT_GT(RowsMatched(cyrillic, kRussianToTranslitTable), 20);

  std::string out;
  // The text's own copy, one scratch buffer and the room reserved for growth; the "-II" ending
  // adds one replacement of its own.
  EXPECT_LE(AllocationsOf([&] { out = TranslitToRussian(latin); }), 4);
  EXPECT_LE(AllocationsOf([&] { out = RussianToTranslit(cyrillic); }), 3);
  EXPECT_LE(AllocationsOf([&] { out = NormaliseCase(upper); }), 3);
  EXPECT_LE(AllocationsOf([&] { out = ShieldLineToRussian("Label=~[0x2e]r-22 ~[0x2f]m-4"); }), 3);
}

}  // namespace
}  // namespace pomvelt
