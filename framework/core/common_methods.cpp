// The common methods: choosing, adding, changing and deleting devices, their settings and
// documents, switching on and off, device properties, error texts and plug-in information.
#include <windows.h>

#include "framework/automation/value_table.h"
#include "framework/config/global_id.h"
#include "framework/config/utilities.h"
#include "framework/config/xml_document.h"
#include "framework/core/base_dll_obj.h"
#include "framework/core/common_set.h"
#include "framework/core/handler_arguments.h"
#include "framework/core/plugin_control.h"
#include "framework/devices/plu_model.h"
#include "framework/services/exceptions.h"
#include "framework/win/com_ptr.h"
#include "framework/win/dispatch.h"
#include "framework/win/hresult_error.h"
#include "framework/win/scoped_bstr.h"

namespace core::common {
namespace {


// Value kinds of the arguments (ValueKind): 16- and 32-bit integers, the other numbers,
// automation text and objects.
constexpr VARTYPE kSmallInteger = VT_I2;
constexpr VARTYPE kInteger = VT_I4;
constexpr VARTYPE kSingle = VT_R4;
constexpr VARTYPE kDouble = VT_R8;
constexpr VARTYPE kText = VT_BSTR;
constexpr VARTYPE kObject = VT_DISPATCH;

// Adds a device from the document in argument 0, which becomes the new device's document.
void AddDeviceFrom(void* caller, SAFEARRAY* args, VARIANT& result, bool with_settings) {
  devices::TDevicesList& list = DevicesOf(caller);
  HandlerArguments arguments(args, 1);
  const int32_t code = list.AddDevice(*arguments.At(0).Ptr(), with_settings);
  list.DropForeignDevices();
  if (code == 0) arguments.WriteBack(0);
  AssignInt(result, code);
}

// Switches the serving device through the property handler, so that both paths share one
// rule for the requested state.
void SwitchTo(void* caller, int32_t state, VARIANT& result) {
  win::ScopedVariant requested = win::ScopedVariant::FromInt(state);
  DeviceIsOn(caller, true, *requested.Ptr(), L"УстройствоВключено");
  TBaseDllObj& dll = *TBaseDllObj::GetBaseDll(caller);
  devices::TDeviceItem* device = dll.FindDevice(caller);
  if (!device) {
    // Nothing was switched: the call reports that no device serves it.
    AssignInt(result, kNoDevice);
    return;
  }
  const int32_t code = device->LastError;
  if (code != 0) throw services::EHardwareEquipmentException(code, dll.ErrorTextFor(device, code));
  AssignInt(result, 0);
}

// The information interface as the host sees it, through the module's control interface.
win::ComPtr<IUnknown> PluInfoOfModule() {
  IUnknown* control = GlobalPluginControl();
  if (!control) win::ThrowHresult(E_POINTER, L"GetPluInfo");
  win::ComPtr<IUnknown> info;
  const HRESULT hr = static_cast<IPluginControl*>(control)->GetPluInfo(info.Put());
  if (FAILED(hr)) win::ThrowHresult(hr, L"GetPluInfo");
  if (!info) win::ThrowHresult(E_NOINTERFACE, L"GetPluInfo");
  return info;
}

// Model 0 of the plug-in, as the host would obtain it.
win::ComPtr<devices::IPluModel> FirstModel() {
  win::ComPtr<IUnknown> info = PluInfoOfModule();
  auto* plu_info = reinterpret_cast<IPluInfo*>(info.Get());
  win::ComPtr<IUnknown> model;
  const HRESULT hr = plu_info->lpVtbl->GetModel(plu_info, 0, model.Put());
  if (FAILED(hr)) win::ThrowHresult(hr, L"GetModel");
  // A plug-in without models answers an empty interface: there is nothing to describe.
  if (!model) win::ThrowHresult(E_NOINTERFACE, L"GetModel");
  return win::ComPtr<devices::IPluModel>::Adopt(
      reinterpret_cast<devices::IPluModel*>(model.Release()));
}

void Check(HRESULT hr, const wchar_t* what) {
  if (FAILED(hr)) win::ThrowHresult(hr, what);
}

using TextSlot = HRESULT(__stdcall*)(devices::IPluModel*, BSTR*);
using NumberSlot = HRESULT(__stdcall*)(devices::IPluModel*, int32_t*);

win::ScopedVariant ModelText(devices::IPluModel* model, TextSlot slot, const wchar_t* what) {
  win::ScopedBstr text;
  Check(slot(model, text.Put()), what);
  return win::ScopedVariant::FromText(text.Text());
}

win::ScopedVariant ModelNumber(devices::IPluModel* model, NumberSlot slot, const wchar_t* what) {
  int32_t value = 0;
  Check(slot(model, &value), what);
  return win::ScopedVariant::FromInt(value);
}

}  // namespace

void ChoiceDevice(void* caller, SAFEARRAY* args, VARIANT& result) {
  HandlerArguments arguments(args, 1);
  AssignInt(result, DevicesOf(caller).SelectDevice(arguments[0]));
}

void ResultDescription(void* caller, SAFEARRAY* args, VARIANT& result) {
  HandlerArguments arguments(args, 1);
  if (!config::IsValueKind(arguments[0], {kSmallInteger, kInteger, kSingle, kDouble})) {
    AssignInt(result, kWrongKind);
    return;
  }
  const int32_t code = ToInteger(arguments[0], L"ResultDescription");
  TBaseDllObj* dll = TBaseDllObj::GetBaseDll(caller);
  Assign(result, win::ScopedVariant::FromText(dll->ErrorTextFor(dll->FindDevice(caller), code)));
}

void SettingDevices(void* caller, SAFEARRAY* args, VARIANT& result) {
  HandlerArguments arguments(args, 1);
  if (!config::IsValueKind(arguments[0], {kText, kObject})) {
    AssignInt(result, kWrongKind);
    return;
  }
  devices::TDevicesList& list = DevicesOf(caller);
  const int32_t code = list.LoadDevicesFromXml(arguments[0]);
  list.DropForeignDevices();
  AssignInt(result, code);
}

void DeleteDevice(void* caller, SAFEARRAY* args, VARIANT& result) {
  HandlerArguments arguments(args, 1);
  devices::TDevicesList& list = DevicesOf(caller);
  int32_t code = kNoDevice;
  if (config::ValueKind(arguments[0]) == kInteger) {
    const int32_t number = ToInteger(arguments[0], L"DeleteDevice");
    if (number >= 1 && number <= list.Count()) {
      // The list drops its reference; a device the host still holds lives on outside it.
      list.Delete(number - 1);
      code = 0;
    }
  }
  AssignInt(result, code);
}

void AddDeviceEx(void* caller, SAFEARRAY* args, VARIANT& result) {
  AddDeviceFrom(caller, args, result, true);
}

void AddDevice(void* caller, SAFEARRAY* args, VARIANT& result) {
  AddDeviceFrom(caller, args, result, false);
}

void SettingsDeviceEx(void* caller, SAFEARRAY* args, VARIANT& result) {
  HandlerArguments arguments(args, 2);
  devices::TDevicesList& list = DevicesOf(caller);
  const VARIANT& settings = arguments[1];
  list.ReadColourSettings(settings);
  list.RegisterModels(settings);
  list.LoadDevicesFromXml(settings);  // its result is not the call's

  const std::wstring id_text = ToText(arguments[0], L"SettingsDeviceEx");
  const GUID id = config::GlobalIdFromText(id_text);
  const int32_t code = list.ShowDeviceSettings(id);

  if (config::ValueKind(settings) == kObject) {
    if (devices::TDeviceItem* device = list.FindById(id)) device->GetSettingsXml(arguments.At(1).Put());
  } else {
    win::ScopedVariant selector = win::ScopedVariant::FromText(id_text);
    win::ScopedVariant document;
    list.GetDevicesXml(selector.Get(), document.Put());
    // No device has the identifier: the dialog already answered -1, and the settings stay.
    if (!document.IsEmpty()) {
      config::XmlNode node = config::XmlNode::FromVariant(document.Get());
      arguments.At(1) = win::ScopedVariant::FromText(config::XmlText(node));
    }
  }

  list.DropForeignDevices();
  if (code == 0) {
    arguments.WriteBack(0);
    arguments.WriteBack(1);
  }
  AssignInt(result, code);
}

void SaveSettings(void*, SAFEARRAY*, VARIANT& result) { AssignInt(result, 0); }

void LoadSettings(void*, SAFEARRAY*, VARIANT& result) { AssignInt(result, 0); }

void ShowPropertyPage(void*, SAFEARRAY*, VARIANT& result) { AssignInt(result, 0); }

void GetPlgInfo(void* caller, SAFEARRAY* args, VARIANT& result) {
  constexpr std::size_t kFilled = 12;  // elements 0 to 11; element 12 stays the host's
  HandlerArguments arguments(args, kFilled);
  TBaseDllObj* dll = TBaseDllObj::GetBaseDll(caller);
  if (config::IsValueKind(arguments[7], {kText, kObject}))
    dll->Devices().LoadModelDescriptions(arguments[7]);

  win::ComPtr<devices::IPluModel> holder = FirstModel();
  devices::IPluModel* model = holder.Get();
  const devices::IPluModelVtbl& slots = *model->lpVtbl;
  GUID model_id = {};
  Check(slots.GetModelId(model, &model_id), L"GetModelId");
  arguments.At(0) = win::ScopedVariant::FromText(config::GlobalIdToText(model_id));
  arguments.At(1) = ModelText(model, slots.GetModelName, L"GetModelName");
  arguments.At(2) = ModelNumber(model, slots.GetModelValue1, L"GetModelValue1");
  arguments.At(3) = ModelNumber(model, slots.GetModelValue2, L"GetModelValue2");
  arguments.At(4) = ModelNumber(model, slots.GetModelValue3, L"GetModelValue3");
  arguments.At(5) = ModelNumber(model, slots.GetModelValue4, L"GetModelValue4");
  arguments.At(6) = ModelNumber(model, slots.GetUsesHB, L"GetUsesHB");
  arguments.At(7) = ModelText(model, slots.GetParametersText, L"GetParametersText");
  arguments.At(8) = ModelText(model, slots.GetIdentifier, L"GetIdentifier");
  arguments.At(9) = ModelText(model, slots.GetClassShortName, L"GetClassShortName");
  arguments.At(10) = ModelText(model, slots.GetClassName, L"GetClassName");
  // The host keeps the list's address as a number; pointers are 32 bits wide here.
  arguments.At(11) = win::ScopedVariant::FromInt(
      static_cast<LONG>(reinterpret_cast<intptr_t>(&dll->Devices())));
  for (std::size_t i = 0; i < kFilled; ++i) arguments.WriteBack(i);
  AssignInt(result, 0);
}

void GetSettingsXml(void* caller, SAFEARRAY* args, VARIANT& result) {
  HandlerArguments arguments(args, 2);
  if (!config::IsValueKind(arguments[0], {kInteger, kText})) {
    AssignInt(result, kWrongKind);
    return;
  }
  const int32_t code = DevicesOf(caller).GetDevicesXml(arguments[0], arguments.At(1).Put());
  if (code == 0) {
    arguments.WriteBack(0);
    arguments.WriteBack(1);
  }
  AssignInt(result, code);
}

void SwitchOn(void* caller, SAFEARRAY*, VARIANT& result) { SwitchTo(caller, 1, result); }

void SwitchOff(void* caller, SAFEARRAY*, VARIANT& result) { SwitchTo(caller, 0, result); }

void GetProps(void* caller, SAFEARRAY* args, VARIANT& result) {
  TBaseDllObj* dll = nullptr;
  devices::TDeviceItem* device = nullptr;
  int32_t code = TBaseDllObj::GetDllAndDevice(caller, dll, device);
  if (code == 0) {
    HandlerArguments arguments(args, 1);
    win::ScopedVariant table;
    code = device->ParameterTable(table.Put());
    if (code == 0) {
      arguments.At(0) = std::move(table);
      arguments.WriteBack(0);
    }
  }
  AssignInt(result, code);
}

void SetProps(void* caller, SAFEARRAY* args, VARIANT& result) {
  TBaseDllObj* dll = nullptr;
  devices::TDeviceItem* device = nullptr;
  int32_t code = TBaseDllObj::GetDllAndDevice(caller, dll, device);
  if (code == 0) {
    HandlerArguments arguments(args, 1);
    code = device->ApplyParameterTable(arguments[0]);
  }
  AssignInt(result, code);
}

void CreateComSafeArray(void*, SAFEARRAY* args, VARIANT& result) {
  HandlerArguments arguments(args, 2);
  for (std::size_t i = 0; i < 2; ++i) {
    // Only numbers size a table; anything else counts as 0.
    switch (config::PlainVarType(arguments[i])) {
      case VT_I1: case VT_UI1: case VT_I2: case VT_UI2: case VT_I4: case VT_UI4: case VT_INT:
      case VT_UINT: case VT_I8: case VT_UI8: case VT_R4: case VT_R8: case VT_BOOL:
        break;
      default:
        arguments.At(i) = win::ScopedVariant::FromInt(0);
    }
  }
  win::ComPtr<automation::ISafeArray> table = automation::CreateValueTable();
  win::DispatchObject dispatch(win::ComPtr<IDispatch>::AddRefOf(table.Get()));
  dispatch.Call(L"SetBounds", {arguments[0], arguments[1]});
  Assign(result, win::ScopedVariant::FromDispatch(table.Get()));
}

void Beep(void*, SAFEARRAY* args, VARIANT& result) {
  HandlerArguments arguments(args, 2);
  for (std::size_t i = 0; i < 2; ++i) {
    if (!config::IsValueKind(arguments[i], {kSmallInteger, kInteger})) {
      AssignInt(result, kWrongKind);
      return;
    }
  }
  const int32_t frequency = ToInteger(arguments[0], L"Beep");
  const int32_t duration = ToInteger(arguments[1], L"Beep");
  // The system beep blocks the calling thread for the duration: a negative one would hold
  // the host's thread for weeks.
  if (frequency < 0 || duration < 0) {
    AssignInt(result, kBadValue);
    return;
  }
  ::Beep(static_cast<DWORD>(frequency), static_cast<DWORD>(duration));
  AssignInt(result, 0);
}

}  // namespace core::common
