// Long path names and the module's own file name.
#include "framework/config/utilities.h"

#include <string>

#include "framework/win/module.h"
#include "framework/win/scoped_handle.h"

namespace config {
namespace {

using GetLongPathNameFn = DWORD(WINAPI*)(LPCWSTR, LPWSTR, DWORD);

// Looked up by name, once, so that the module still loads on a system without it.
GetLongPathNameFn SystemGetLongPathName() {
  static const GetLongPathNameFn fn = [] {
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    FARPROC proc = kernel ? GetProcAddress(kernel, "GetLongPathNameW") : nullptr;
    return reinterpret_cast<GetLongPathNameFn>(reinterpret_cast<void (*)()>(proc));
  }();
  return fn;
}

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

}  // namespace

std::wstring LongPathNameBySearch(std::wstring_view path) {
  std::wstring rest(path);
  std::wstring tail;
  // Walks up until only a drive ("C:") or a share prefix is left; the drive goes in front.
  while (rest.size() > 2) {
    size_t slash = rest.size();
    while (slash > 0 && !IsSeparator(rest[slash - 1])) --slash;
    std::wstring component = rest.substr(slash);
    // A component that is not found, is "." or "..", or holds wildcards (which would let the
    // search answer with some other file's name) keeps the form it was written in.
    if (!component.empty() && component != L"." && component != L".." &&
        component.find_first_of(L"*?") == std::wstring::npos) {
      WIN32_FIND_DATAW found;
      win::ScopedFindHandle find(FindFirstFileW(rest.c_str(), &found));
      if (find.IsValid()) component = found.cFileName;
    }
    if (slash == 0) {
      tail = component + tail;
      rest.clear();
    } else {
      tail = rest[slash - 1] + component + tail;
      rest.resize(slash - 1);
    }
  }
  return rest + tail;
}

std::wstring LongPathName(std::wstring_view path) {
  GetLongPathNameFn get_long_path_name = SystemGetLongPathName();
  if (get_long_path_name == nullptr) return LongPathNameBySearch(path);

  const std::wstring short_path(path);
  std::wstring buffer(MAX_PATH, L'\0');
  DWORD length = get_long_path_name(short_path.c_str(), &buffer[0], MAX_PATH);
  if (length >= MAX_PATH) {
    // A long form beyond 260 characters comes back as the size it needs, not as an error:
    // fetch it whole rather than hand out a truncated path.
    buffer.assign(length, L'\0');
    length = get_long_path_name(short_path.c_str(), &buffer[0], length);
    if (length >= buffer.size()) return short_path;
  }
  if (length == 0) return short_path;
  buffer.resize(length);
  return buffer;
}

std::wstring ModuleLongFileName(bool name_only) {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(win::ThisModule(), &path[0],
                                            static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);  // truncated: the buffer was too small
  }
  path = LongPathName(path);
  if (!name_only) return path;

  size_t start = path.size();
  while (start > 0 && !IsSeparator(path[start - 1]) && path[start - 1] != L':') --start;
  std::wstring name = path.substr(start);
  const size_t dot = name.rfind(L'.');
  if (dot != std::wstring::npos) name.resize(dot);
  return name;
}

}  // namespace config
