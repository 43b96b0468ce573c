// The module's exceptions: a plain one with a message, and the coded ones of the catalogue.
#pragma once

#include <cstdint>
#include <exception>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace services {

// A failure with a UTF-16 message (and a help context that stays 0). Everything the module
// raises on purpose derives from it; foreign exceptions (std::bad_alloc and the like) are
// converted at the module's boundaries as well.
class Exception : public std::exception {
 public:
  explicit Exception(std::wstring message) : message_(std::move(message)) {}
  const std::wstring& Message() const { return message_; }
  int HelpContext() const { return 0; }
  const char* what() const noexcept override;

 private:
  std::wstring message_;
  mutable std::string what_;
};

using TCodeArray = std::vector<int32_t>;

class ECodedException : public Exception {
 public:
  ECodedException(int32_t code, std::wstring message);
  int32_t Code() const { return code_; }
  const TCodeArray& Codes() const { return codes_; }

 private:
  int32_t code_;
  TCodeArray codes_;
};

// Raised for failures that a device reports, with the device's own code and text.
class EHardwareEquipmentException : public ECodedException {
 public:
  using ECodedException::ECodedException;
};

// One typed argument of a message template: a text for %s, an integer for %d.
using FormatArg = std::variant<std::wstring, int32_t>;

// The template of a code in the user's interface language (see the catalogue).
std::wstring CatalogueText(int32_t code);

// Fills a printf-like template (%s, %d, %%) with typed arguments. A placeholder without an
// argument or of the wrong kind raises a plain Exception, the standard formatting error.
std::wstring FormatTemplate(std::wstring_view pattern, const std::vector<FormatArg>& args);

// Raises ECodedException with the code and the formatted message; never returns.
[[noreturn]] void RaiseError(int32_t code, std::initializer_list<FormatArg> args);
[[noreturn]] void RaiseError(int32_t code, const std::vector<FormatArg>& args);
[[noreturn]] void RaiseErrorCode(int32_t code);
// Code 20000 with the text as the complete message.
[[noreturn]] void RaiseText(std::wstring_view text);
// A plain (uncoded) exception with the text as its message.
[[noreturn]] void RaisePlain(std::wstring_view text);

}  // namespace services
