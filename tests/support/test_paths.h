// Paths of files that the build puts in one folder with the test programs: the plug-ins,
// the probe and resource modules.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace testsupport {

inline std::wstring BesideTestProgram(std::wstring_view file) {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  return path.substr(0, path.find_last_of(L'\\') + 1) + std::wstring(file);
}

}  // namespace testsupport
