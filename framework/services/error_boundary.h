// The one place where exceptions become results at the module's boundaries.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace services {

// Inside a catch block: the current exception's message (UTF-16) and code (its Code for
// coded exceptions, 20000 for everything else).
std::wstring CurrentExceptionMessage() noexcept;
int32_t CurrentExceptionCode() noexcept;

// Publishes an error-information object for the calling thread: the description, help
// context 0, the null interface identifier, and the source when one is given.
void SetThreadErrorInfo(const std::wstring& description, const wchar_t* source = nullptr) noexcept;

// Inside a catch block of an interface slot: publishes the current exception's message and
// returns E_UNEXPECTED, as every interface of the plug-in reports a failure.
HRESULT FailureFromCurrentException(const wchar_t* source = nullptr) noexcept;

}  // namespace services
