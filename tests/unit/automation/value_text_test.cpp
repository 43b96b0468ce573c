// Display texts of values and the unsupported-type error.
#include <gtest/gtest.h>

#include "framework/automation/value_text.h"
#include "framework/services/exceptions.h"
#include "framework/win/scoped_variant.h"
#include "framework/win/text.h"
#include "params_host_layout.h"

using automation::ValueDisplayText;
using win::ScopedVariant;

TEST(ValueDisplayText, TextOfEachKind) {
  LONG seven = 7;
  VARIANT by_ref_int;
  by_ref_int.vt = VT_BYREF | VT_I4;
  by_ref_int.plVal = &seven;
  IDispatch* none = nullptr;
  VARIANT by_ref_object;
  by_ref_object.vt = VT_BYREF | VT_DISPATCH;
  by_ref_object.ppdispVal = &none;
  VARIANT null_value;
  null_value.vt = VT_NULL;
  params_test::HostString host_text("abc", -1);
  ScopedVariant text = ScopedVariant::FromText(L"абв");
  struct Case {
    const char* what;
    VARIANT value;
    const wchar_t* expected;
  } cases[] = {
      {"integer", params_test::Int(42), L"42"},
      {"float", ScopedVariant::FromDouble(2.5).Get(), L"2,5"},
      {"text", text.Get(), L"абв"},
      {"integer by reference", by_ref_int, L"7"},
      {"object", ScopedVariant::FromDispatch(nullptr).Get(), L"Объект"},
      {"object by reference", by_ref_object, L"Объект"},
      {"null", null_value, L"Неопределено"},
      {"host 8-bit text", host_text.AsVariant(), L"abc"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(ValueDisplayText(c.value), c.expected);
  }
}

TEST(ValueDisplayTextEnglish, NumbersKeepTheModuleFormat) {
  EXPECT_EQ(ValueDisplayText(ScopedVariant::FromDouble(2.5).Get()), L"2,5");
}

TEST(RaiseUnsupportedType, NamesTheTypeCodeAndTheDisplayText) {
  VARIANT null_value;
  null_value.vt = VT_NULL;
  struct Case {
    VARIANT value;
    const wchar_t* message;
  } cases[] = {
      {null_value, L"Неподдерживаемый тип данных.\r\nТип данных=1\r\nПредставление: (Неопределено)"},
      {ScopedVariant::FromDispatch(nullptr).Get(),
       L"Неподдерживаемый тип данных.\r\nТип данных=9\r\nПредставление: (Объект)"},
  };
  for (const Case& c : cases) {
    try {
      automation::RaiseUnsupportedType(c.value);
    } catch (const services::ECodedException& e) {
      ADD_FAILURE() << "the error must be plain, got code " << e.Code();
    } catch (const services::Exception& e) {
      EXPECT_EQ(e.Message(), c.message) << win::WideToUtf8(e.Message());
    }
  }
}
