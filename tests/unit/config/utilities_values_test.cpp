// Value kinds of variants, the classification callers use to pick a conversion.
#include <gtest/gtest.h>

#include <cmath>

#include "framework/config/utilities.h"

namespace {

// The platform's 8-bit text variant: not an OLE type, so the headers do not name it.
constexpr VARTYPE kAnsiText = 0x0100;

VARIANT Make(VARTYPE type) {
  VARIANT v;
  VariantInit(&v);
  v.vt = type;
  return v;
}
VARIANT Double(double d) {
  VARIANT v = Make(VT_R8);
  v.dblVal = d;
  return v;
}
VARIANT Currency(LONGLONG ten_thousandths) {
  VARIANT v = Make(VT_CY);
  v.cyVal.int64 = ten_thousandths;
  return v;
}

TEST(ValueKind, Classification) {
  double three = 3.0;
  double half = 2.5;
  CY cy_three;
  cy_three.int64 = 30000;
  LONG integer = 7;
  VARIANT by_ref_double = Make(VT_R8 | VT_BYREF);
  by_ref_double.pdblVal = &three;
  VARIANT by_ref_half = Make(VT_R8 | VT_BYREF);
  by_ref_half.pdblVal = &half;
  VARIANT by_ref_cy = Make(VT_CY | VT_BYREF);
  by_ref_cy.pcyVal = &cy_three;
  VARIANT by_ref_int = Make(VT_I4 | VT_BYREF);
  by_ref_int.plVal = &integer;
  VARIANT by_ref_null = Make(VT_R8 | VT_BYREF);  // never dereferenced
  VARIANT ansi = Make(kAnsiText);
  ansi.byref = nullptr;

  struct {
    const char* name;
    VARIANT value;
    VARTYPE kind;
    VARTYPE plain;
  } const cases[] = {
      {"double 3.0", Double(3.0), VT_I4, VT_R8},
      {"double 3.5", Double(3.5), VT_R8, VT_R8},
      {"double -2.0", Double(-2.0), VT_I4, VT_R8},
      {"double 3 + 1e-10", Double(3.0 + 1e-10), VT_I4, VT_R8},
      {"double 3 - 1e-6", Double(3.0 - 1e-6), VT_R8, VT_R8},
      {"double NaN", Double(std::nan("")), VT_R8, VT_R8},
      {"currency 3", Currency(30000), VT_I4, VT_R8},
      {"currency 2.5", Currency(25000), VT_R8, VT_R8},
      {"by-ref double 3.0", by_ref_double, VT_I4, VT_R8},
      {"by-ref double 2.5", by_ref_half, VT_R8, VT_R8},
      {"by-ref currency 3", by_ref_cy, VT_I4, VT_R8},
      {"by-ref integer", by_ref_int, VT_I4, VT_I4},
      {"by-ref double without target", by_ref_null, VT_R8, VT_R8},
      {"8-bit text", ansi, kAnsiText, kAnsiText},
      {"short", Make(VT_I2), VT_I2, VT_I2},
      {"dispatch", Make(VT_DISPATCH), VT_DISPATCH, VT_DISPATCH},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(config::ValueKind(c.value), c.kind);
    EXPECT_EQ(config::PlainVarType(c.value), c.plain);
  }
}

TEST(ValueKind, IsValueKindUsesTheKind) {
  EXPECT_TRUE(config::IsValueKind(Double(3.0), {VT_I4}));
  EXPECT_FALSE(config::IsValueKind(Double(3.0), {VT_R8}));
  EXPECT_TRUE(config::IsValueKind(Double(3.5), {VT_I4, VT_R8}));
  // Callers test texts with kind 8; the 8-bit text variant is not one.
  EXPECT_FALSE(config::IsValueKind(Make(kAnsiText), {VT_BSTR, VT_DISPATCH}));
}

}  // namespace
