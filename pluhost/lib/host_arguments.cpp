// Parsing the host program's typed arguments.
#include "pluhost/lib/host_arguments.h"

#include <cwchar>

#include "pluhost/lib/host_value_table.h"

namespace pluhost {
namespace {

// A table that names itself would otherwise be read forever.
constexpr int kMaxNesting = 8;

bool ReadCsvTable(const std::wstring& path, const std::wstring& base_dir, HostVariant& value,
                  std::wstring& error, int depth) {
  if (depth >= kMaxNesting) {
    error = L"tables nested deeper than " + std::to_wstring(kMaxNesting) + L": " + path;
    return false;
  }
  std::wstring full = WindowsPath(path, base_dir);
  std::string bytes;
  if (!ReadFileBytes(full, bytes)) {
    error = L"cannot read " + full;
    return false;
  }
  CsvRows rows;
  if (!ParseCsv(bytes, rows, error)) {
    error = full + L": " + error;
    return false;
  }
  return TableFromCsv(rows, FolderOf(full), value, error, depth + 1);
}

}  // namespace

std::wstring WindowsPath(std::wstring path, const std::wstring& base_dir) {
  if (!path.empty() && path[0] == L'/') {
    for (auto& c : path)
      if (c == L'/') c = L'\\';
    return L"Z:" + path;
  }
  bool absolute = path.size() >= 2 && (path[1] == L':' || (path[0] == L'\\' && path[1] == L'\\'));
  if (!absolute && !base_dir.empty()) path = base_dir + path;
  return path;
}

std::wstring FolderOf(const std::wstring& path) {
  size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

bool TableFromCsv(const CsvRows& rows, const std::wstring& base_dir, HostVariant& value, std::wstring& error,
                  int depth) {
  TableCells cells;
  for (const auto& row : rows) {
    cells.emplace_back();
    for (const auto& field : row) {
      HostVariant cell;
      if (field.rfind(L"csv:", 0) == 0) {
        if (!ReadCsvTable(field.substr(4), base_dir, cell, error, depth)) return false;
      } else {
        cell = HostVariant::Text(field);
      }
      cells.back().push_back(std::move(cell));
    }
  }
  value = HostVariant::Object(MakeHostTable(cells));
  return true;
}

bool ParseArgument(const std::wstring& token, const std::wstring& base_dir, HostVariant& value,
                   std::wstring& error) {
  auto rest = [&](size_t prefix) { return token.substr(prefix); };
  if (token.rfind(L"i:", 0) == 0) {
    std::wstring digits = rest(2);
    wchar_t* end = nullptr;
    errno = 0;
    long long number = std::wcstoll(digits.c_str(), &end, 10);
    if (digits.empty() || *end || errno || number < INT32_MIN || number > INT32_MAX) {
      error = L"not a 32-bit integer: " + token;
      return false;
    }
    value = HostVariant::Int(static_cast<int32_t>(number));
    return true;
  }
  if (token.rfind(L"d:", 0) == 0) {
    std::wstring number = rest(2);
    // The Russian decimal comma reads as well as the point.
    for (auto& c : number)
      if (c == L',') c = L'.';
    wchar_t* end = nullptr;
    double d = std::wcstod(number.c_str(), &end);
    if (number.empty() || *end) {
      error = L"not a number: " + token;
      return false;
    }
    value = HostVariant::Double(d);
    return true;
  }
  if (token.rfind(L"s:", 0) == 0) {
    value = HostVariant::Text(rest(2));
    return true;
  }
  if (token.rfind(L"file:", 0) == 0) {
    std::wstring full = WindowsPath(rest(5), base_dir);
    std::string bytes;
    if (!ReadFileBytes(full, bytes)) {
      error = L"cannot read " + full;
      return false;
    }
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.erase(0, 3);
    value = HostVariant::Text(FromUtf8(bytes));
    return true;
  }
  if (token.rfind(L"csv:", 0) == 0) return ReadCsvTable(rest(4), base_dir, value, error, 0);
  value = HostVariant::Text(token);
  return true;
}

}  // namespace pluhost
