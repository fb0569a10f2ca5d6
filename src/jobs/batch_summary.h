// The report of a batch in the program's own words: the summary line, the warning when nothing
// changed, the failed files, one line per file. Both front ends show these texts.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "jobs/batch_report.h"

namespace pomvelt {

// "1 файл", "3 файла", "12 файлов".
std::string FilesPhrase(int count);

// "12 файлов, изменено 10, без изменений 2, с ошибками 0; удалено элементов: 345" (with "не
// начато N" after a cancel, and the dry run's note: nothing was written).
std::string SummaryLine(const BatchReport& report);

// "Внимание: ни один файл не изменён" when files ran and none of them changed; "" otherwise.
std::string NothingChangedWarning(const BatchReport& report);

// The failed files, "path: message (reason)", the first `limit` of them, then how many more.
std::vector<std::string> FailureLines(const BatchReport& report, std::size_t limit);

// "1,5 МБ", "830 КБ", "12 байт": enough to judge the disk space.
std::string SizeText(unsigned long long bytes);

// Where the originals of one folder's maps are kept and what that folder's kept batches hold.
std::string UndoLine(const UndoFacts& undo);

// "удалено элементов: 3, ...": the counts that are not zero; all of them when every one is.
std::string CountsText(const Counts& counts);

// "изменён", "без изменений", "ошибка", "не начат".
std::string_view ResultWord(FileResult result);

// One file as it finished: "path: изменён; удалено элементов: 3; байт: 120 -> 98".
std::string FileLine(const FileOutcome& file);

// The desktop program's final message: the end message, the summary, the failed files (the
// first ten), the warning and where the originals are kept (one line per folder), each part after
// an empty line.
std::string FinalMessageText(const BatchReport& report);

}  // namespace pomvelt
