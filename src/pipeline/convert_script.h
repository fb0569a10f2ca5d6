// The folder-wide decompile route: a script for the Windows script host that has the map
// editor open every ".img" and ".mp" file of the script's folder and save it as a Polish-format
// ".mp" of the same base name beside it.
#pragma once

#include <string>
#include <string_view>

#include "jobs/job_host.h"

namespace pomvelt {

inline constexpr const char* kConvertScriptName = "ConvertToMp.vbs";
inline constexpr const char* kScriptHostProgram = "WScript.exe";

// The script's bytes: its lines joined by CR LF, no line end after the last.
std::string_view ConvertScriptText();

// Creates (or empties) the file at scriptPath and writes the script. On failure shows
// "Не могу открыть файл для вывода" (or the write error, after removing the partial script) and
// returns false.
bool WriteConvertScript(const std::string& scriptPath, JobHost& host);

// Writes the script into the folder of `pathInFolder` (the job passes its names-list path), runs
// the script host on it with its window shown, waits for it without a time limit, and deletes
// the script. The script path reaches the host as one argument whatever blanks it holds.
void RunConvertScript(const std::string& pathInFolder, JobHost& host);

}  // namespace pomvelt
