// The description of the error information that the last failing interface slot published
// on the calling thread, for tests that check what the host would read.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>

#include "framework/win/com_ptr.h"
#include "framework/win/scoped_bstr.h"

namespace testsupport {

inline std::wstring ThreadErrorDescription() {
  win::ComPtr<IErrorInfo> info;
  if (GetErrorInfo(0, info.Put()) != S_OK || !info) return L"(no error info)";
  win::ScopedBstr text;
  info->GetDescription(text.Put());
  return text.Text();
}

}  // namespace testsupport
