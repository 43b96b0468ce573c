// The terminal command set: argument checks and result codes of the three data commands,
// the two terminal properties, and the property handler backed by device parameters.
#include "framework/core/base_dll_tdc.h"

#include <array>
#include <utility>

#include "framework/automation/argument_values.h"
#include "framework/automation/value_table.h"
#include "framework/config/formats.h"
#include "framework/config/utilities.h"
#include "framework/core/handler_arguments.h"
#include "framework/services/exceptions.h"
#include "framework/win/dispatch.h"
#include "framework/win/hresult_error.h"
#include "framework/win/scoped_bstr.h"
#include "framework/win/scoped_variant.h"

namespace core {

namespace {

void WriteDataCommand(void* caller, SAFEARRAY* args, VARIANT& result);
void ReadDataCommand(void* caller, SAFEARRAY* args, VARIANT& result);
void ReadDataFileCommand(void* caller, SAFEARRAY* args, VARIANT& result);

constexpr config::MethodEntry kMethodsB[] = {
    {L"ЗаписатьДанные,", 1, &WriteDataCommand},
    {L"ПрочитатьДанные,", 1, &ReadDataCommand},
    {L"ПрочитатьДанныеФайл,", 1, &ReadDataFileCommand},
};

constexpr config::PropertyEntry kPropertiesB[] = {
    {L"РежимКонтроляЦен", L"", L"Режим контроля цен", L"Integer", false, L"0",
     L"Режим контроля цен (0/1)", &DeviceParameterProperty},
    {L"ДополнительноеПоле", L"", L"Использовать дополнительное поле", L"Integer", false, L"0",
     L"Использовать дополнительное поле (0/1)", &DeviceParameterProperty},
};
static_assert(config::AllWithinLimits(kMethodsB) && config::AllWithinLimits(kPropertiesB));

bool IsObject(const VARIANT& value) { return config::ValueKind(value) == VT_DISPATCH; }

// The table argument as an object to call by name; false (and the wrong-kind code) when the
// argument is no object.
bool TableObject(const win::ScopedVariant& table, win::DispatchObject& object, int32_t& code) {
  if (!IsObject(table.Get())) {
    code = kWrongKind;
    return false;
  }
  object = win::DispatchObject::FromVariant(table.Get());
  return true;
}

// The frame every terminal command shares: the serving device, the command's own steps
// (whose coded failure becomes the result), the outcome stored on the device.
template <typename Steps>
void RunTerminalCommand(void* caller, VARIANT& result, Steps steps) {
  TBaseDllObj* dll = nullptr;
  devices::TDeviceItem* device = nullptr;
  int32_t code = TBaseDllObj::GetDllAndDevice(caller, dll, device);
  if (code == 0) {
    try {
      auto* terminal = dynamic_cast<TBaseDllTDC*>(dll);
      if (!terminal) services::RaisePlain(L"Invalid class typecast");
      steps(*terminal, *device, code);
    } catch (const services::ECodedException& error) {
      code = error.Code();
    }
  }
  if (device) device->SetLastError(code);
  AssignInt(result, code);
}

void WriteDataCommand(void* caller, SAFEARRAY* args, VARIANT& result) {
  RunTerminalCommand(caller, result, [&](TBaseDllTDC& dll, devices::TDeviceItem& device, int32_t& code) {
    HandlerArguments arguments(args, 1);
    const win::ScopedVariant& table = arguments.At(0);
    win::DispatchObject object;
    if (!TableObject(table, object, code)) return;
    if (automation::BoundsOf(object).rows <= 0) {
      code = kEmptyTable;
      return;
    }
    dll.WriteData(device, table.Get(), code);
  });
}

void ReadDataCommand(void* caller, SAFEARRAY* args, VARIANT& result) {
  HandlerArguments arguments(args, 1);
  win::ScopedVariant& table = arguments.At(0);
  RunTerminalCommand(caller, result, [&](TBaseDllTDC& dll, devices::TDeviceItem& device, int32_t& code) {
    if (!IsObject(table.Get())) {
      code = kWrongKind;
      return;
    }
    dll.ReadData(device, *table.Ptr(), code);
  });
  // Only a table that the terminal filled goes back to the caller.
  if (result.vt == VT_I4 && result.lVal == 0) arguments.WriteBack(0);
}

void ReadDataFileCommand(void* caller, SAFEARRAY* args, VARIANT& result) {
  RunTerminalCommand(caller, result, [&](TBaseDllTDC& dll, devices::TDeviceItem& device, int32_t& code) {
    HandlerArguments arguments(args, 1);
    const win::ScopedVariant& table = arguments.At(0);
    win::DispatchObject object;
    if (!TableObject(table, object, code)) return;
    std::array<win::ScopedVariant, 1> file_name;
    if (automation::BoundsOf(object).columns >= 2)
      automation::ReadTableRow(table.Get(), 0, file_name);
    else
      automation::ReadTableColumn(table.Get(), file_name);
    if (config::ValueKind(file_name[0].Get()) != VT_BSTR) {
      code = kWrongKind;
      return;
    }
    win::ScopedVariant text = automation::ConvertedValue(file_name[0].Get(), VT_BSTR, L"Имя файла");
    dll.ReadDataFile(device, win::BstrText(text.Get().bstrVal), code);
  });
}

}  // namespace

std::span<const config::MethodEntry> TerminalMethodsB() { return kMethodsB; }
std::span<const config::PropertyEntry> TerminalPropertiesB() { return kPropertiesB; }

void DeviceParameterProperty(void* caller, bool is_set, VARIANT& value, std::wstring_view name) {
  TBaseDllObj* dll = nullptr;
  devices::TDeviceItem* device = nullptr;
  if (TBaseDllObj::GetDllAndDevice(caller, dll, device) != 0) return;
  if (is_set) {
    std::wstring text;
    if (!config::ValueToText(value, text)) win::ThrowHresult(DISP_E_TYPEMISMATCH, L"Значение свойства");
    device->SetPropertyText(name, text);
    return;
  }
  win::ScopedVariant read;
  if (const config::TPropItem* item = device->Properties.Find(name))
    read = item->TypedValue();
  else
    read = win::ScopedVariant::FromText(device->GetPropertyText(name));
  Assign(value, std::move(read));
}

TBaseDllTDC::TBaseDllTDC(std::span<const config::MethodEntry> methods_a,
                         std::span<const config::MethodEntry> methods_c,
                         std::span<const config::PropertyEntry> props_a,
                         DeviceListFactory make_list, TDllObjectBase* const* variable,
                         CallEntryProc call_entry)
    : TBaseDllObj(methods_a, methods_c, props_a, make_list, variable, call_entry) {
  SetTablesB(kMethodsB, kPropertiesB);
}

void TBaseDllTDC::WriteData(devices::TDeviceItem&, const VARIANT&, int32_t&) {}
void TBaseDllTDC::ReadData(devices::TDeviceItem&, VARIANT&, int32_t&) {}
void TBaseDllTDC::ReadDataFile(devices::TDeviceItem&, std::wstring_view, int32_t&) {}

}  // namespace core
