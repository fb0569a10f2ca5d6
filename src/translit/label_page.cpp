#include "translit/label_page.h"

#include <algorithm>
#include <deque>
#include <map>
#include <memory>
#include <mutex>

#include "text/cp1251.h"
#include "translit/tables.h"

namespace pomvelt {

namespace {

// Storage that never moves what it holds, for the views the rows keep.
std::deque<std::string>& RowTexts() {
  static std::deque<std::string> texts;
  return texts;
}

}  // namespace

const LabelPage& LabelPage::Cp1251() {
  static const LabelPage page = [] {
    LabelPage p;
    p.translitToRussian_ = kTranslitToRussianTable;
    p.russianToTranslit_ = kRussianToTranslitTable;
    p.caseFixUp_ = kCaseFixUpTable;
    return p;
  }();
  return page;
}

const LabelPage& LabelPage::AsciiOnly() {
  static const LabelPage page = [] {
    LabelPage p = Cp1251();
    p.page_ = CodePage(-1);
    p.asciiOnly_ = true;
    return p;
  }();
  return page;
}

const LabelPage* LabelPage::For(CodePage page) {
  if (page == CodePage()) return &Cp1251();
  static std::mutex mutex;
  static std::map<int, std::unique_ptr<LabelPage>> pages;
  const std::lock_guard<std::mutex> lock(mutex);
  const auto found = pages.find(page.number());
  if (found != pages.end()) return found->second.get();
  std::unique_ptr<LabelPage> made;
  const PageCodec* codec = PageCodec::For(page);
  if (codec != nullptr && PageCodec::For(CodePage()) != nullptr) {
    made.reset(new LabelPage());
    made->page_ = page;
    made->codec_ = codec;
    made->Take(kTranslitToRussianTable, made->rows_[0], made->translitToRussian_);
    made->Take(kRussianToTranslitTable, made->rows_[1], made->russianToTranslit_);
    made->Take(kCaseFixUpTable, made->rows_[2], made->caseFixUp_);
  }
  return (pages[page.number()] = std::move(made)).get();
}

// A row the page cannot hold a side of could never match a label of the page, or would write
// what the page lacks: it is left out.
void LabelPage::Take(std::span<const ReplacementPair> table, std::vector<ReplacementPair>& rows,
                     std::span<const ReplacementPair>& view) {
  const PageCodec& cp1251 = *PageCodec::For(CodePage());
  auto convert = [&](std::string_view text) -> std::optional<std::string> {
    const std::optional<std::string> utf8 = cp1251.ToUtf8(text);
    if (!utf8) return std::nullopt;
    return codec_->FromUtf8(*utf8);
  };
  for (const ReplacementPair& row : table) {
    std::optional<std::string> from = convert(row.from);
    std::optional<std::string> to = convert(row.to);
    if (!from || !to) continue;
    std::deque<std::string>& texts = RowTexts();
    texts.push_back(std::move(*from));
    const std::string_view fromView = texts.back();
    texts.push_back(std::move(*to));
    rows.push_back({fromView, texts.back()});
  }
  view = rows;
}

bool LabelPage::CanDecode(std::string_view text) const {
  static_assert(
      [] {
        for (std::size_t i = 0; i < cp1251_detail::kHighHalf.size(); ++i) {
          if ((cp1251_detail::kHighHalf[i] == 0) != (i == 0x18)) return false;
        }
        return true;
      }(),
      "0x98 is the one byte code page 1251 leaves unused");
  if (asciiOnly_) {
    return std::all_of(text.begin(), text.end(), [](char c) { return (c & 0x80) == 0; });
  }
  if (codec_ == nullptr) return text.find('\x98') == std::string_view::npos;
  return codec_->CanDecode(text);
}

void LabelPage::MakeUpper(std::string& text) const {
  if (codec_ == nullptr) {
    MakeUpper1251(text);
  } else {
    codec_->MakeUpper(text);
  }
}

void LabelPage::MakeLower(std::string& text) const {
  if (codec_ == nullptr) {
    MakeLower1251(text);
  } else {
    codec_->MakeLower(text);
  }
}

void LabelPage::RaiseAt(std::string& text, std::size_t i) const {
  if (codec_ == nullptr) {
    text[i] = ToUpper1251(text[i]);
  } else {
    codec_->RaiseAt(text, i);
  }
}

}  // namespace pomvelt
