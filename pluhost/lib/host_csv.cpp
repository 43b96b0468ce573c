// The host program's CSV reader.
#include "pluhost/lib/host_csv.h"

#include <windows.h>

namespace pluhost {

std::wstring FromUtf8(std::string_view bytes) {
  if (bytes.empty()) return {};
  int n = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring out(n, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(), n);
  return out;
}

bool ParseCsv(std::string_view utf8, CsvRows& rows, std::wstring& error) {
  rows.clear();
  if (utf8.substr(0, 3) == "\xEF\xBB\xBF") utf8.remove_prefix(3);
  std::wstring text = FromUtf8(utf8);
  std::vector<std::wstring> row;
  std::wstring field;
  bool quoted = false, any = false;
  int line = 1, quote_line = 1;
  for (size_t i = 0; i < text.size(); ++i) {
    wchar_t c = text[i];
    if (quoted) {
      if (c == L'"' && i + 1 < text.size() && text[i + 1] == L'"') {
        field += L'"';
        ++i;
      } else if (c == L'"') {
        quoted = false;
      } else {
        if (c == L'\n') ++line;
        field += c;
      }
      continue;
    }
    any = true;
    if (c == L'"') {
      quoted = true;
      quote_line = line;
    } else if (c == L',') {
      row.push_back(std::move(field));
      field.clear();
    } else if (c == L'\r') {
      // Part of a CRLF line end.
    } else if (c == L'\n') {
      row.push_back(std::move(field));
      field.clear();
      rows.push_back(std::move(row));
      row.clear();
      any = false;
      ++line;
    } else {
      field += c;
    }
  }
  if (quoted) {
    error = L"quote opened in line " + std::to_wstring(quote_line) + L" is not closed";
    return false;
  }
  // A last line without a line end still counts; a trailing line end adds no empty row.
  if (any) {
    row.push_back(std::move(field));
    rows.push_back(std::move(row));
  }
  return true;
}

bool ReadFileBytes(const std::wstring& path, std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bytes.clear();
  char buffer[4096];
  DWORD got = 0;
  bool ok = true;
  while ((ok = ReadFile(file, buffer, sizeof buffer, &got, nullptr)) && got > 0) bytes.append(buffer, got);
  CloseHandle(file);
  return ok;
}

}  // namespace pluhost
