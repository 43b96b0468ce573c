// The module's number and date formats: the same results under the Russian and the English
// user locale, and the user's settings left as they were.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "framework/config/formats.h"
#include "framework/win/scoped_variant.h"
#include "framework/win/text.h"

namespace {

double Date(WORD year, WORD month, WORD day, WORD hour = 0, WORD minute = 0, WORD second = 0) {
  SYSTEMTIME st{year, month, 0, day, hour, minute, second, 0};
  double date = 0;
  SystemTimeToVariantTime(&st, &date);
  return date;
}

std::string Utf8(const std::wstring& text) { return win::WideToUtf8(text); }

void ExpectNumberTexts() {
  struct {
    double value;
    const wchar_t* text;
  } const cases[] = {
      {2.5, L"2,5"},
      {-1234567.125, L"-1234567,125"},  // no thousands separators
      {3.0, L"3"},
      {0.1 + 0.2, L"0,3"},  // 15 significant digits
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf8(c.text));
    EXPECT_EQ(Utf8(config::FloatToText(c.value)), Utf8(c.text));
  }

  struct {
    const wchar_t* text;
    bool ok;
    double value;
  } const parses[] = {
      {L"2,5", true, 2.5},
      {L"-0,125", true, -0.125},
      {L"2.5", false, 0},  // the point is not the module's separator
      {L"", false, 0},
      {L"abc", false, 0},
  };
  for (const auto& c : parses) {
    SCOPED_TRACE(Utf8(c.text));
    double value = -99;
    EXPECT_EQ(config::TextToFloat(c.text, value), c.ok);
    if (c.ok) {
      EXPECT_EQ(value, c.value);
    }
  }
}

void ExpectDateTexts() {
  struct {
    double date;
    const wchar_t* text;
  } const cases[] = {
      {Date(2026, 3, 5, 9, 5, 3), L"05.03.2026 09:05:03"},  // two-digit hour
      {Date(2026, 3, 5), L"05.03.2026"},                    // midnight: no time part
      {Date(2026, 12, 31, 23, 59, 59), L"31.12.2026 23:59:59"},
      {Date(2026, 3, 5, 9, 5, 2) + 0.6 / 86400, L"05.03.2026 09:05:03"},  // nearest second
      {Date(1899, 12, 30, 9, 5, 3), L"30.12.1899 09:05:03"},  // day 0 still shows its date
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf8(c.text));
    EXPECT_EQ(Utf8(config::DateTimeToText(c.date)), Utf8(c.text));
  }
}

void ExpectVariantConversions() {
  double date = Date(2026, 3, 5, 9, 5, 3);
  LONG integer = 42;
  VARIANT by_ref_date;
  VariantInit(&by_ref_date);
  by_ref_date.vt = VT_DATE | VT_BYREF;
  by_ref_date.pdate = &date;
  VARIANT by_ref_int;
  VariantInit(&by_ref_int);
  by_ref_int.vt = VT_I4 | VT_BYREF;
  by_ref_int.plVal = &integer;
  VARIANT currency;
  VariantInit(&currency);
  currency.vt = VT_CY;
  currency.cyVal.int64 = 25000;
  VARIANT as_date;
  VariantInit(&as_date);
  as_date.vt = VT_DATE;
  as_date.date = date;

  const win::ScopedVariant as_double = win::ScopedVariant::FromDouble(2.5);
  const win::ScopedVariant as_bool = win::ScopedVariant::FromBool(true);
  const win::ScopedVariant empty;
  struct {
    const char* name;
    const VARIANT& value;
    const wchar_t* text;
  } const cases[] = {
      {"double", as_double.Get(), L"2,5"},
      {"currency", currency, L"2,5"},
      {"integer by reference", by_ref_int, L"42"},
      {"date", as_date, L"05.03.2026 09:05:03"},
      {"date by reference", by_ref_date, L"05.03.2026 09:05:03"},
      {"boolean", as_bool.Get(), L"True"},
      {"empty", empty.Get(), L""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::wstring text = L"unchanged";
    EXPECT_TRUE(config::ValueToText(c.value, text));
    EXPECT_EQ(Utf8(text), Utf8(c.text));
  }

  VARIANT null_value;
  VariantInit(&null_value);
  null_value.vt = VT_NULL;
  std::wstring text;
  EXPECT_FALSE(config::ValueToText(null_value, text));

  // Texts in the module's date format read back day first.
  win::ScopedVariant out;
  const win::ScopedVariant date_text = win::ScopedVariant::FromText(L"05.03.2026 09:05:03");
  ASSERT_TRUE(config::ChangeType(*out.Ptr(), date_text.Get(), VT_DATE));
  EXPECT_EQ(out.Type(), VT_DATE);
  EXPECT_NEAR(out.Get().date, date, 0.5 / 86400);
  ASSERT_TRUE(config::ChangeType(*out.Ptr(), as_date, VT_BSTR));
  EXPECT_STREQ(out.Get().bstrVal, L"05.03.2026 09:05:03");

  // A failed conversion leaves the destination alone; converting in place frees the old text.
  win::ScopedVariant value = win::ScopedVariant::FromText(L"2.5");
  EXPECT_FALSE(config::ChangeType(*value.Ptr(), value.Get(), VT_R8));
  EXPECT_EQ(value.Type(), VT_BSTR);
  value = win::ScopedVariant::FromText(L"2,5");
  ASSERT_TRUE(config::ChangeType(*value.Ptr(), value.Get(), VT_R8));
  EXPECT_EQ(value.Type(), VT_R8);
  EXPECT_EQ(value.Get().dblVal, 2.5);
}

TEST(Formats, NumbersUnderTheRussianLocale) { ExpectNumberTexts(); }
TEST(Formats, DatesUnderTheRussianLocale) { ExpectDateTexts(); }
TEST(Formats, VariantsUnderTheRussianLocale) { ExpectVariantConversions(); }

// The same expectations where the user's own conventions are "." and M/d/yyyy.
class FormatsEnglish : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(GetUserDefaultLCID(), 0x0409u) << "this suite runs under the English locale";
  }
  void TearDown() override {
    // The module reads its formats; it never writes the user's.
    wchar_t separator[8] = {};
    GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8);
    EXPECT_STREQ(separator, L".");
    EXPECT_EQ(GetThreadLocale(), 0x0409u);
  }
};

TEST_F(FormatsEnglish, Numbers) { ExpectNumberTexts(); }
TEST_F(FormatsEnglish, Dates) { ExpectDateTexts(); }
TEST_F(FormatsEnglish, Variants) { ExpectVariantConversions(); }

}  // namespace
