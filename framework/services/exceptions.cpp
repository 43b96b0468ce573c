// Construction of the module's exceptions and the raise operations.
#include "framework/services/exceptions.h"

#include "framework/win/text.h"

namespace services {

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

[[noreturn]] void RaiseText(std::wstring_view text) {
  throw ECodedException(20000, std::wstring(text));
}

[[noreturn]] void RaisePlain(std::wstring_view text) { throw Exception(std::wstring(text)); }

}  // namespace services
