// The host program's typed arguments: each form gives its value type, and a malformed
// number is refused instead of reaching the plug-in as 0.
#include <gtest/gtest.h>

#include <windows.h>
#include <oleauto.h>

#include <string>

#include "pluhost/lib/call_arguments.h"

namespace {

struct Case {
  const wchar_t* text;
  VARTYPE type;  // VT_EMPTY: refused
  const wchar_t* value;  // the expected value's text (integers, texts) or number
};

std::wstring ValueOf(const VARIANT& v) {
  if (v.vt == VT_I4) return std::to_wstring(v.lVal);
  if (v.vt == VT_BSTR) return std::wstring(v.bstrVal, SysStringLen(v.bstrVal));
  if (v.vt == VT_R8) return std::to_wstring(v.dblVal);
  return L"?";
}

TEST(CallArguments, FormsGiveTheirTypesAndMalformedNumbersAreRefused) {
  const Case cases[] = {
      {L"i:42", VT_I4, L"42"},
      {L"i:-2147483648", VT_I4, L"-2147483648"},
      {L"i:2147483648", VT_EMPTY, nullptr},
      {L"i:12x", VT_EMPTY, nullptr},
      {L"i:", VT_EMPTY, nullptr},
      {L"i: 5", VT_EMPTY, nullptr},
      {L"d:2,5", VT_R8, L"2.500000"},
      {L"d:2.5", VT_R8, L"2.500000"},
      {L"d:abc", VT_EMPTY, nullptr},
      {L"d:1e999", VT_EMPTY, nullptr},
      {L"s:i:3", VT_BSTR, L"i:3"},
      {L"s:", VT_BSTR, L""},
      {L"Склад 1", VT_BSTR, L"Склад 1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.text)));
    VARIANT v;
    std::wstring error;
    bool ok = pluhost::ParseCallArgument(c.text, v, error);
    if (c.type == VT_EMPTY) {
      EXPECT_FALSE(ok) << testing::PrintToString(ValueOf(v));
      EXPECT_FALSE(error.empty());
      continue;
    }
    ASSERT_TRUE(ok) << testing::PrintToString(error);
    EXPECT_EQ(v.vt, c.type);
    EXPECT_EQ(ValueOf(v), c.value);
    VariantClear(&v);
  }
}

}  // namespace
