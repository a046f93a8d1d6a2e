// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/system_info.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace quibran {

std::optional<std::string> FindSystemInfoTool() {
  const char* path_list = std::getenv("PATH");
  if (path_list == nullptr) return std::nullopt;
  return FindOnPath(path_list);
}

std::optional<std::string> FindOnPath(std::string_view path_list) {
  for (std::string_view name : kSystemInfoPrograms) {
    std::string_view rest = path_list;
    while (true) {
      const size_t colon = rest.find(':');
      const std::string_view folder = rest.substr(0, colon);
      if (!folder.empty()) {
        std::string candidate(folder);
        if (candidate.back() != '/') candidate += '/';
        candidate += name;
        struct stat info {};
        if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(candidate.c_str(), X_OK) == 0)
          return candidate;
      }
      if (colon == std::string_view::npos) break;
      rest.remove_prefix(colon + 1);
    }
  }
  return std::nullopt;
}

}  // namespace quibran
