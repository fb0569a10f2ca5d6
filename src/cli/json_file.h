// The JSON files the commands write for scripts (--report).
#pragma once

#include <nlohmann/json.hpp>
#include <string>

namespace pomvelt {

// Writes the value, indented, to the file (created or emptied); map text that is not UTF-8
// is written with U+FFFD in its place. False when the file could not be written.
bool WriteJsonFile(const std::string& path, const nlohmann::json& value);

// "Не могу записать файл " + path
std::string CannotWriteMessage(const std::string& path);

}  // namespace pomvelt
