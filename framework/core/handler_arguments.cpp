// Argument copies, results and conversions of the common handlers.
#include "framework/core/handler_arguments.h"

#include <span>

#include "framework/automation/argument_values.h"
#include "framework/automation/array_cells.h"
#include "framework/automation/value_table.h"
#include "framework/core/base_dll_obj.h"
#include "framework/win/scoped_bstr.h"

namespace core {

devices::TDevicesList& DevicesOf(void* caller) { return TBaseDllObj::GetBaseDll(caller)->Devices(); }

HandlerArguments::HandlerArguments(SAFEARRAY* args, std::size_t count)
    : args_(args), values_(count) {
  automation::ReadArrayElements(args, std::span<win::ScopedVariant>(values_));
}

void HandlerArguments::WriteBack(std::size_t i) {
  LONG index = static_cast<LONG>(i);
  automation::WriteCell(args_, &index, values_.at(i).Get());
}

void Assign(VARIANT& target, win::ScopedVariant value) {
  win::ScopedVariant old = win::ScopedVariant::Adopt(target);
  target = value.Release();
}

void AssignInt(VARIANT& target, int32_t value) {
  Assign(target, win::ScopedVariant::FromInt(value));
}

int32_t ToInteger(const VARIANT& value, const wchar_t* what) {
  return automation::ConvertedValue(value, VT_I4, what).Get().lVal;
}

std::wstring ToText(const VARIANT& value, const wchar_t* what) {
  return win::BstrText(automation::ConvertedValue(value, VT_BSTR, what).Get().bstrVal);
}

}  // namespace core
