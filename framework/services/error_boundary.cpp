// Converts whatever was thrown into the message, code and error information that callers see.
#include "framework/services/error_boundary.h"

#include <oleauto.h>

#include <exception>

#include "framework/services/exceptions.h"
#include "framework/win/com_ptr.h"
#include "framework/win/text.h"

namespace services {
namespace {

constexpr int32_t kUncodedFailure = 20000;
constexpr wchar_t kUnknownFailure[] = L"Unknown exception";

// Foreign exceptions carry 8-bit texts of unknown origin: the runtime's own texts are ASCII,
// libraries may write UTF-8, older code the ANSI code page. Strict UTF-8 first, ANSI otherwise.
std::wstring NarrowWhatToWide(const char* what) {
  if (what == nullptr || *what == '\0') return {};
  std::string_view text(what);
  int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(),
                              static_cast<int>(text.size()), nullptr, 0);
  return n > 0 ? win::Utf8ToWide(text) : win::AnsiToWide(text);
}

}  // namespace

std::wstring CurrentExceptionMessage() noexcept {
  try {
    if (!std::current_exception()) return kUnknownFailure;
    try {
      throw;
    } catch (const Exception& e) {
      return e.Message();
    } catch (const std::exception& e) {
      std::wstring message = NarrowWhatToWide(e.what());
      return message.empty() ? kUnknownFailure : message;
    } catch (...) {
      return kUnknownFailure;
    }
  } catch (...) {
    // Building the text itself failed (out of memory): an empty message is all that is left.
    return {};
  }
}

int32_t CurrentExceptionCode() noexcept {
  try {
    if (!std::current_exception()) return kUncodedFailure;
    throw;
  } catch (const ECodedException& e) {
    return e.Code();
  } catch (...) {
    return kUncodedFailure;
  }
}

void SetThreadErrorInfo(const std::wstring& description, const wchar_t* source) noexcept {
  win::ComPtr<ICreateErrorInfo> create;
  if (FAILED(CreateErrorInfo(create.Put())) || !create) return;
  // The setters copy the texts; the casts only satisfy their non-const parameter types.
  create->SetDescription(const_cast<LPOLESTR>(description.c_str()));
  create->SetHelpContext(0);
  create->SetGUID(GUID_NULL);
  if (source) create->SetSource(const_cast<LPOLESTR>(source));
  win::ComPtr<IErrorInfo> info = create.As<IErrorInfo>(IID_IErrorInfo);
  if (info) SetErrorInfo(0, info.Get());
}

HRESULT FailureFromCurrentException(const wchar_t* source) noexcept {
  SetThreadErrorInfo(CurrentExceptionMessage(), source);
  return E_UNEXPECTED;
}

}  // namespace services
