// The platform wrappers keep ownership straight.
#include <gtest/gtest.h>

#include "framework/services/exceptions.h"
#include "framework/win/com_ptr.h"
#include "framework/win/scoped_bstr.h"
#include "framework/win/scoped_variant.h"
#include "framework/win/text.h"

TEST(ScopedBstr, ReleaseGivesUpOwnership) {
  win::ScopedBstr b(L"Значение");
  EXPECT_EQ(b.Length(), 8u);
  BSTR raw = b.Release();
  EXPECT_EQ(b.Get(), nullptr);
  win::ScopedBstr again = win::ScopedBstr::Adopt(raw);
  EXPECT_EQ(again.Text(), L"Значение");
}

TEST(ScopedVariant, CopyOfIsDeep) {
  win::ScopedVariant a = win::ScopedVariant::FromText(L"abc");
  win::ScopedVariant b = win::ScopedVariant::CopyOf(a.Get());
  EXPECT_NE(a.Get().bstrVal, b.Get().bstrVal);
  EXPECT_STREQ(b.Get().bstrVal, L"abc");
}

TEST(Text, AnsiRoundTripUnderRussianCodePage) {
  EXPECT_EQ(GetACP(), 1251u) << "the suite runs under the Russian locale";
  std::string ansi = win::WideToAnsi(L"ч");
  ASSERT_EQ(ansi.size(), 1u);
  EXPECT_EQ(static_cast<unsigned char>(ansi[0]), 0xF7);
  EXPECT_EQ(win::AnsiToWide(ansi), L"ч");
}
