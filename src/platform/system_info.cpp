#include "platform/system_info.h"

#ifdef _WIN32
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#else
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#endif

namespace quibran {

#ifdef _WIN32

namespace {

// A string value under a key of `root`, up to its first NUL; other kinds of
// value hold no path. The key is opened for reading only: asking for full
// access would fail for every user who is not an administrator, although
// nothing is written.
bool GetKeyValue(HKEY root, const std::string& key_name, const std::string& value_name, std::string& value) {
  value.clear();
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, key_name.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
  char buffer[1024] = {};
  DWORD type = 0;
  DWORD size = sizeof buffer;
  const LONG status = RegQueryValueExA(key, value_name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS || type != REG_SZ) return false;
  value.assign(buffer, strnlen(buffer, std::min<size_t>(size, sizeof buffer)));
  return true;
}

}  // namespace

std::optional<std::string> FindSystemInfoTool() {
  std::string path;
  if (GetKeyValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH", path)) return path;
  std::string folder;
  if (GetKeyValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Shared Tools Location", "MSINFO", folder)) {
    path = folder + "\\MSINFO32.EXE";
    std::error_code error;
    if (std::filesystem::exists(path, error)) return path;
  }
  return std::nullopt;
}

#else

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

#endif

}  // namespace quibran
