// The dispatcher: runs the host's chain of parameter blocks against the method and property
// tables, with the special commands, the argument checks and the value-table unpacking.
#include <string>

#include "framework/automation/argument_values.h"
#include "framework/automation/host_objects.h"
#include "framework/automation/identifiers.h"
#include "framework/automation/params.h"
#include "framework/automation/value_table.h"
#include "framework/config/formats.h"
#include "framework/core/base_dll_obj.h"
#include "framework/services/exceptions.h"
#include "framework/win/dispatch.h"
#include "framework/win/scoped_bstr.h"
#include "framework/win/scoped_safearray.h"
#include "framework/win/scoped_variant.h"

namespace core {

namespace {

// Block values: 0 the result, 1 the name, 2 the kind, 3 on the arguments.
constexpr int kResultValue = 0;
constexpr int kNameValue = 1;
constexpr int kKindValue = 2;
constexpr int kFirstArgument = 3;

enum CallKind : int32_t { kCall = 1, kRead = 2, kAssign = 3 };

win::ScopedVariant Value(const automation::TParams& block, int i) {
  return win::ScopedVariant::Adopt(block.Get(i));
}

std::wstring NameOf(const automation::TParams& block) {
  win::ScopedVariant name = Value(block, kNameValue);
  if (name.Type() == VT_EMPTY || name.Type() == VT_NULL) return std::wstring();
  return win::BstrText(automation::ConvertedValue(name.Get(), VT_BSTR, L"Имя метода").Get().bstrVal);
}

int32_t KindOf(const automation::TParams& block) {
  return automation::ConvertedValue(Value(block, kKindValue).Get(), VT_I4, L"Вид вызова").Get().lVal;
}

bool IsOrdinal(const VARIANT& value) {
  switch (value.vt) {
    case VT_I1: case VT_UI1: case VT_I2: case VT_UI2: case VT_I4: case VT_UI4:
    case VT_I8: case VT_UI8: case VT_INT: case VT_UINT: case VT_BOOL:
      return true;
    default:
      return false;
  }
}

// The ordinal as a result code (a Boolean True is -1).
int32_t OrdinalCode(const VARIANT& value) {
  win::ScopedVariant code;
  if (!config::ChangeType(*code.Put(), value, VT_I4)) return -1;
  return code.Get().lVal;
}

// The device found for a call stays bound to the caller (and alive, should a handler remove
// it from the list) until the block is left.
class DeviceBinding {
 public:
  explicit DeviceBinding(devices::TDeviceItem* device) : device_(device) {
    if (device_) device_->AddRef();
  }
  ~DeviceBinding() {
    if (!device_) return;
    device_->SetCallerTask(nullptr);
    device_->Release();
  }
  DeviceBinding(const DeviceBinding&) = delete;
  DeviceBinding& operator=(const DeviceBinding&) = delete;

 private:
  devices::TDeviceItem* device_;
};

// A value table given in place of a method's arguments: its rows become the arguments for
// the call, and afterwards the (possibly changed) arguments go back into it and the table is
// again the block's only argument, whatever the call ended with.
class UnpackedTable {
 public:
  UnpackedTable(automation::TParams& block, int required) : block_(block), required_(required) {}
  ~UnpackedTable() {
    if (!table_) return;
    try {
      Restore();
    } catch (...) {
      // The call's own outcome is what the host must see.
    }
  }
  UnpackedTable(const UnpackedTable&) = delete;
  UnpackedTable& operator=(const UnpackedTable&) = delete;

  // The number of arguments the block now gives.
  int Unpack() {
    win::ScopedVariant argument = Value(block_, kFirstArgument);
    if (!block_.OwnsStorage || !automation::IsValueTable(argument.Get())) return 1;
    win::DispatchObject table = win::DispatchObject::FromVariant(argument.Get());
    const automation::TableSize size = automation::BoundsOf(table);
    if (size.columns != 1 || size.rows != required_) return 0;
    table_ = std::move(table);
    block_.Truncate(kFirstArgument);
    for (int i = 0; i < required_; ++i)
      block_.Add(table_.Call(L"GetValue", {win::ArgInt(i), win::ArgInt(0)}).Get());
    return required_;
  }

 private:
  void Restore() {
    win::DispatchObject table = std::move(table_);
    if (block_.Count() == required_ + kFirstArgument) {
      for (int i = 0; i < required_; ++i) {
        win::ScopedVariant value = Value(block_, kFirstArgument + i);
        table.Call(L"SetValue", {win::ArgInt(i), win::ArgInt(0), value.Get()});
      }
    }
    block_.Truncate(kFirstArgument);
    win::ScopedVariant restored = win::ScopedVariant::FromDispatch(table.Get());
    block_.Add(restored.Get());
  }

  automation::TParams& block_;
  int required_;
  win::DispatchObject table_;
};

std::wstring ArgumentCountText(std::wstring_view name, int given, int required) {
  return L"Неверное количество переданных параметров\r\nФункция [" + std::wstring(name) +
         L"]\r\nПередано: " + std::to_wstring(given) + L"\r\nНеобходимо: " +
         std::to_wstring(required);
}

}  // namespace

void TBaseDllObj::RunMethod(automation::TParams& block, const config::MethodEntry& method,
                            std::wstring_view name, void* caller) {
  const int required = method.ParamCount;
  int given = block.Count() - kFirstArgument;
  auto in = [&method](std::span<const config::MethodEntry> table) {
    return &method >= table.data() && &method < table.data() + table.size();
  };
  const bool table_or_common = in(MethodsA) || in(MethodsC);
  UnpackedTable unpacked(block, required);
  if (required != given && given == 1 && table_or_common) given = unpacked.Unpack();
  if (required != given) services::RaiseText(ArgumentCountText(name, given, required));

  SAFEARRAYBOUND bound = {static_cast<ULONG>(required), 0};
  win::ScopedSafearray arguments = win::ScopedSafearray::CreateVariants(1, &bound);
  {
    win::SafearrayAccess<VARIANT> elements(arguments.Get(), 1, VT_VARIANT);
    for (int i = 0; i < required; ++i) elements.At(i) = block.Get(kFirstArgument + i);
  }
  win::ScopedVariant result;
  method.Handler(caller, arguments.Get(), *result.Ptr());
  {
    win::SafearrayAccess<VARIANT> elements(arguments.Get(), 1, VT_VARIANT);
    for (int i = 0; i < required; ++i) block.Set(kFirstArgument + i, elements.At(i));
  }
  block.Set(kResultValue, result.Get());

  if (!IsOrdinal(result.Get())) return;
  const int32_t code = OrdinalCode(result.Get());
  if (code == 0) return;
  devices::TDeviceItem* device = FindDevice(caller);
  DeviceBinding rebound(device);
  throw services::ECodedException(code, ErrorTextFor(device, code));
}

bool TBaseDllObj::CallDispatch(automation::TParams* params, void* caller) {
  bool result = false;
  if (!params) return true;
  for (automation::TParams* block = params; block; block = block->Next) {
    result = false;

    const std::wstring command = block->NameText();
    if (command == L"__FRee") {
      DropHostEventSupport();
      Devices_->ClearDevices();
      return false;
    }
    if (command == L"__Load") return false;
    if (command == L"__@@EventSupport") {
      SetHostEventSupport(block->EventSupport);
      block->Clear();
      win::ScopedVariant names =
          win::ScopedVariant::FromUnknown(reinterpret_cast<IUnknown*>(PluNames()));
      block->Add(names.Get());
      MarkReadOnly(L"УстройствоВключено");
      return false;
    }
    if (command == L"__@@SwitchOff") {
      Devices_->SwitchAllOff();
      return false;
    }

    if (block->Count() < kFirstArgument) services::RaiseText(L"Недостаточно параметров при вызове метода");
    const std::wstring name = NameOf(*block);
    if (name.empty()) services::RaiseText(L"Не указано имя метода");
    int32_t kind = KindOf(*block);

    // The dispatcher stands in as the caller when the host names none; only a host object
    // learns which plug-in object served it.
    if (caller && caller != static_cast<void*>(this)) automation::SetTaskPlugin(caller, this);
    if (!caller) caller = this;

    // Looked up as the host sent it: a round trip through the system's 8-bit code page would
    // lose the Russian names on any system whose code page has no Cyrillic letters.
    const config::MethodEntry* method = MethodById(FindMethodId(name));
    const config::PropertyEntry* property = PropertyById(FindPropertyId(name));

    DeviceBinding binding(FindDevice(caller));

    if (!method && !property) services::RaiseError(20036, {name});
    if (method && kind == kRead) kind = kCall;

    if ((kind == kCall || kind == kAssign) && !method) {
      if (kind == kCall) services::RaiseError(20036, {name});
      if (property->ReadOnly)
        services::RaiseText(services::FormatTemplate(L"Свойство [%s] доступно только для чтения", {name}));
      win::ScopedVariant value = Value(*block, kFirstArgument);
      if (property->Handler) property->Handler(caller, true, *value.Ptr(), property->NameRu);
      return true;
    }
    if (kind == kCall || kind == kAssign) {
      RunMethod(*block, *method, name, caller);
      result = true;
    } else if (kind == kRead) {
      win::ScopedVariant value;
      if (property->Handler) property->Handler(caller, false, *value.Ptr(), property->NameRu);
      block->Set(kResultValue, value.Get());
      result = true;
    }
  }
  return result;
}

}  // namespace core
