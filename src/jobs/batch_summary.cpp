#include "jobs/batch_summary.h"

#include <algorithm>

namespace pomvelt {

std::string SizeText(unsigned long long bytes) {
  if (bytes < 1024) return std::to_string(bytes) + " байт";
  const char* units[] = {"КБ", "МБ", "ГБ", "ТБ"};
  double value = static_cast<double>(bytes) / 1024;
  std::size_t unit = 0;
  while (value >= 1024 && unit + 1 < std::size(units)) {
    value /= 1024;
    ++unit;
  }
  const long long tenths = static_cast<long long>(value * 10 + 0.5);
  std::string text = std::to_string(tenths / 10);
  if (tenths < 100 && tenths % 10 != 0) text += "," + std::to_string(tenths % 10);
  return text + " " + units[unit];
}

std::string FilesPhrase(int count) {
  const int tens = count % 100;
  const int ones = count % 10;
  const char* word = "файлов";
  if (ones == 1 && tens != 11) {
    word = "файл";
  } else if (ones >= 2 && ones <= 4 && (tens < 12 || tens > 14)) {
    word = "файла";
  }
  return std::to_string(count) + " " + word;
}

std::string SummaryLine(const BatchReport& report) {
  const BatchTotals t = report.Totals();
  std::string line = FilesPhrase(t.files) + (report.dryRun ? ", изменится " : ", изменено ") +
                     std::to_string(t.changed) + ", без изменений " + std::to_string(t.unchanged) +
                     ", с ошибками " + std::to_string(t.failed);
  if (t.notStarted > 0) line += ", не начато " + std::to_string(t.notStarted);
  if (!t.counts.empty()) line += "; " + CountsText(t.counts);
  if (report.dryRun) line += " (пробный прогон: ничего не записано)";
  return line;
}

std::string NothingChangedWarning(const BatchReport& report) {
  const BatchTotals t = report.Totals();
  if (t.changed > 0 || t.unchanged + t.failed == 0) return {};
  return report.dryRun ? "Внимание: ни один файл не изменится"
                       : "Внимание: ни один файл не изменён";
}

std::vector<std::string> FailureLines(const BatchReport& report, std::size_t limit) {
  std::vector<std::string> lines;
  std::size_t failed = 0;
  for (const FileOutcome& f : report.files) {
    if (!f.Failed()) continue;
    if (++failed > limit) continue;
    std::string line = f.path + ": ";
    // One line per file: a compiler's output shown with its failure stays in the message.
    const std::string& message = f.messages.empty() ? std::string("ошибка") : f.messages.front();
    const std::size_t end = message.find('\n');
    std::string_view first = std::string_view(message).substr(0, end);
    if (end != std::string::npos && first.ends_with(':')) first.remove_suffix(1);
    line += first;
    if (!f.reason.empty() && message.find(f.reason) == std::string::npos) {
      line += " (" + f.reason + ")";
    }
    lines.push_back(std::move(line));
  }
  if (failed > limit) lines.push_back("и ещё " + FilesPhrase(static_cast<int>(failed - limit)));
  return lines;
}

std::string UndoLine(const UndoFacts& undo) {
  std::string line = "Оригиналы сохранены в " + undo.folder;
  if (undo.copied) line += " (копиями)";
  return line + "; сохранённые пакеты занимают " + SizeText(undo.bytesKept);
}

// The counts that are not zero; all of them when every one is.
std::string CountsText(const Counts& counts) {
  const bool anyNonZero =
      std::any_of(counts.begin(), counts.end(), [](const Count& c) { return c.value != 0; });
  std::string text;
  for (const Count& c : counts) {
    if (anyNonZero && c.value == 0) continue;
    if (!text.empty()) text += ", ";
    text += std::string(c.label) + ": " + std::to_string(c.value);
  }
  return text;
}

std::string_view ResultWord(FileResult result) {
  switch (result) {
    case FileResult::kChanged:
      return "изменён";
    case FileResult::kUnchanged:
      return "без изменений";
    case FileResult::kFailed:
      return "ошибка";
    case FileResult::kNotStarted:
      break;
  }
  return "не начат";
}

std::string FileLine(const FileOutcome& file) {
  std::string line = file.path + ": " + std::string(ResultWord(file.result));
  if (!file.counts.empty()) line += "; " + CountsText(file.counts);
  if (file.result != FileResult::kNotStarted) {
    line += "; байт: " + std::to_string(file.bytesIn) + " -> " + std::to_string(file.bytesOut);
  }
  return line;
}

std::string FinalMessageText(const BatchReport& report) {
  std::string text = report.endMessage + "\n\n" + SummaryLine(report);
  const std::vector<std::string> failures = FailureLines(report, 10);
  if (!failures.empty()) {
    text += "\n\nФайлы с ошибками:";
    for (const std::string& line : failures) text += "\n" + line;
  }
  if (const std::string warning = NothingChangedWarning(report); !warning.empty()) {
    text += "\n\n" + warning;
  }
  for (std::size_t i = 0; i < report.undo.size(); ++i) {
    text += (i == 0 ? "\n\n" : "\n") + UndoLine(report.undo[i]);
  }
  return text;
}

}  // namespace pomvelt
