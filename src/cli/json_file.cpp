#include "cli/json_file.h"

#include <fstream>

#include "os/path.h"

namespace pomvelt {

bool WriteJsonFile(const std::string& path, const nlohmann::json& value) {
  std::ofstream out(PathOf(path), std::ios::binary | std::ios::trunc);
  out << value.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
  out.close();
  return !out.fail();
}

std::string CannotWriteMessage(const std::string& path) {
  return "Не могу записать файл " + path;
}

}  // namespace pomvelt
