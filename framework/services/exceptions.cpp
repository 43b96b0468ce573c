// Construction of the module's exceptions and the raise operations.
#include "framework/services/exceptions.h"

#include "framework/win/text.h"

namespace services {
namespace {

constexpr int32_t kFirstCatalogueCode = 20000;
constexpr int32_t kLastCatalogueCode = 21999;

// The standard formatting error: the template and the arguments do not fit together.
[[noreturn]] void RaiseFormatError(std::wstring_view pattern) {
  RaisePlain(L"Format '" + std::wstring(pattern) + L"' invalid or incompatible with argument");
}

}  // namespace

const char* Exception::what() const noexcept {
  try {
    if (what_.empty()) what_ = win::WideToUtf8(message_);
    return what_.c_str();
  } catch (...) {
    return "Exception";
  }
}

ECodedException::ECodedException(int32_t code, std::wstring message)
    : Exception(std::move(message)), code_(code) {
  codes_.push_back(code);
}

std::wstring FormatTemplate(std::wstring_view pattern, const std::vector<FormatArg>& args) {
  std::wstring out;
  out.reserve(pattern.size());
  size_t next_arg = 0;
  for (size_t i = 0; i < pattern.size(); ++i) {
    wchar_t c = pattern[i];
    if (c != L'%') {
      out += c;
      continue;
    }
    if (++i == pattern.size()) RaiseFormatError(pattern);
    wchar_t kind = pattern[i];
    if (kind == L'%') {
      out += L'%';
      continue;
    }
    if (next_arg == args.size()) RaiseFormatError(pattern);
    const FormatArg& arg = args[next_arg++];
    if (kind == L's' || kind == L'S') {
      const auto* text = std::get_if<std::wstring>(&arg);
      if (!text) RaiseFormatError(pattern);
      out += *text;
    } else if (kind == L'd' || kind == L'D') {
      const auto* number = std::get_if<int32_t>(&arg);
      if (!number) RaiseFormatError(pattern);
      out += std::to_wstring(*number);
    } else {
      RaiseFormatError(pattern);
    }
  }
  return out;
}

[[noreturn]] void RaiseError(int32_t code, const std::vector<FormatArg>& args) {
  // Outside the catalogue's range the first argument is the whole message.
  std::wstring pattern = code >= kFirstCatalogueCode && code <= kLastCatalogueCode
                             ? CatalogueText(code)
                             : std::wstring(L"%s");
  throw ECodedException(code, FormatTemplate(pattern, args));
}

[[noreturn]] void RaiseError(int32_t code, std::initializer_list<FormatArg> args) {
  RaiseError(code, std::vector<FormatArg>(args));
}

[[noreturn]] void RaiseErrorCode(int32_t code) { RaiseError(code, std::vector<FormatArg>()); }

[[noreturn]] void RaiseText(std::wstring_view text) {
  throw ECodedException(20000, std::wstring(text));
}

[[noreturn]] void RaisePlain(std::wstring_view text) { throw Exception(std::wstring(text)); }

}  // namespace services
