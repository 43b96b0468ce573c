// Parsing of the host program's typed call arguments.
#include "pluhost/lib/call_arguments.h"

#include <oleauto.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cwctype>

namespace pluhost {
namespace {

bool HasPrefix(std::wstring_view text, std::wstring_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// The C library accepts leading blanks and stops at the first foreign character; an argument
// such as "i:12x" or "i: " must not pass for a number.
bool StartsLikeNumber(const std::wstring& digits) {
  return !digits.empty() && !std::iswspace(digits.front());
}

}  // namespace

bool ParseCallArgument(std::wstring_view text, VARIANT& out, std::wstring& error) {
  VariantInit(&out);
  if (HasPrefix(text, L"i:")) {
    std::wstring digits(text.substr(2));
    wchar_t* end = nullptr;
    errno = 0;
    long long value = StartsLikeNumber(digits) ? std::wcstoll(digits.c_str(), &end, 10) : 0;
    if (!end || *end != L'\0' || errno == ERANGE || value < INT32_MIN || value > INT32_MAX) {
      error = L"not a 32-bit integer: " + std::wstring(text);
      return false;
    }
    out.vt = VT_I4;
    out.lVal = static_cast<LONG>(value);
    return true;
  }
  if (HasPrefix(text, L"d:")) {
    std::wstring number(text.substr(2));
    for (auto& c : number)
      if (c == L',') c = L'.';
    wchar_t* end = nullptr;
    errno = 0;
    double value = StartsLikeNumber(number) ? std::wcstod(number.c_str(), &end) : 0;
    if (!end || *end != L'\0' || errno == ERANGE || !std::isfinite(value)) {
      error = L"not a number: " + std::wstring(text);
      return false;
    }
    out.vt = VT_R8;
    out.dblVal = value;
    return true;
  }
  std::wstring_view body = HasPrefix(text, L"s:") ? text.substr(2) : text;
  BSTR bstr = SysAllocStringLen(body.data(), static_cast<UINT>(body.size()));
  if (!bstr) {
    error = L"out of memory";
    return false;
  }
  out.vt = VT_BSTR;
  out.bstrVal = bstr;
  return true;
}

}  // namespace pluhost
