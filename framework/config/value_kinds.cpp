// Classification of variant values into the kinds that the framework's callers test for.
#include "framework/config/utilities.h"

#include <algorithm>
#include <cmath>

namespace config {

VARTYPE PlainVarType(const VARIANT& value) {
  const VARTYPE type = value.vt & ~VT_BYREF;
  return type == VT_CY ? static_cast<VARTYPE>(VT_R8) : type;
}

namespace {

// The value of a double or currency variant, by value or by reference; false for a
// by-reference value without a target, which is then never read.
bool NumberOf(const VARIANT& value, double& number) {
  const bool by_ref = (value.vt & VT_BYREF) != 0;
  switch (value.vt & ~VT_BYREF) {
    case VT_R8:
      if (by_ref && value.pdblVal == nullptr) return false;
      number = by_ref ? *value.pdblVal : value.dblVal;
      return true;
    case VT_CY:
      if (by_ref && value.pcyVal == nullptr) return false;
      number = static_cast<double>(by_ref ? value.pcyVal->int64 : value.cyVal.int64) / 10000.0;
      return true;
    default:
      return false;
  }
}

}  // namespace

VARTYPE ValueKind(const VARIANT& value) {
  const VARTYPE type = PlainVarType(value);
  double number = 0;
  if (type == VT_R8 && NumberOf(value, number) &&
      std::fabs(number - std::nearbyint(number)) < 1e-9) {
    return VT_I4;
  }
  return type;
}

bool IsValueKind(const VARIANT& value, std::initializer_list<VARTYPE> kinds) {
  return std::find(kinds.begin(), kinds.end(), ValueKind(value)) != kinds.end();
}

}  // namespace config
