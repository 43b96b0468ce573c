// One-line escaping, hexadecimal texts, name pairs and GUID texts.
#include "framework/config/utilities.h"

namespace config {

std::wstring EscapeText(std::wstring_view text, bool for_storage) {
  if (for_storage) return ReplaceAll(text, L"\r\n", L"\\n", false);
  // Paths are stored as they are, and "C:\new" or "\\server\nas" must not gain a line break.
  const bool drive_path = text.size() >= 3 && text[1] == L':' && text[2] == L'\\';
  const bool network_path = text.size() >= 2 && text[0] == L'\\' && text[1] == L'\\';
  if (drive_path || network_path) return std::wstring(text);
  return ReplaceAll(text, L"\\n", L"\r\n", false);
}

std::string HexEncode(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  hex.reserve(bytes.size() * 2);
  for (char c : bytes) {
    const unsigned char b = static_cast<unsigned char>(c);
    hex.push_back(kDigits[b >> 4]);
    hex.push_back(kDigits[b & 0x0F]);
  }
  return hex;
}

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

std::string HexDecode(std::string_view hex) {
  std::string bytes;
  bytes.reserve(hex.size() / 2);
  for (size_t i = 0; i + 1 < hex.size(); i += 2) {
    const int high = HexDigit(hex[i]);
    const int low = HexDigit(hex[i + 1]);
    if (high < 0 || low < 0) return std::string();
    bytes.push_back(static_cast<char>(high << 4 | low));
  }
  return bytes;
}

std::wstring SplitNamePair(std::wstring_view text, bool right) {
  const size_t comma = text.find(L',');
  if (comma == std::wstring_view::npos) return right ? std::wstring() : std::wstring(text);
  return std::wstring(right ? text.substr(comma + 1) : text.substr(0, comma));
}

std::wstring NormalizeGuidText(std::wstring_view text, bool strip_braces) {
  // Trimmed like the platform's trim: every control character and blank at either end.
  size_t first = 0;
  size_t last = text.size();
  while (first < last && text[first] <= L' ') ++first;
  while (last > first && text[last - 1] <= L' ') --last;
  std::wstring result(text.substr(first, last - first));
  // GUID texts hold hexadecimal digits, braces and hyphens only: Latin upper case suffices.
  for (wchar_t& c : result) {
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
  }
  if (strip_braces) {
    if (result.size() == 38) result = result.substr(1, 36);
  } else if (result.size() == 36) {
    result = L"{" + result + L"}";
  }
  return result;
}

}  // namespace config
