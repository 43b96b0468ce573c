// The member table, the two dispatch modes and the argument helpers of TBaseAutoObject.
#include "framework/automation/auto_object.h"

#include <memory>

#include "framework/automation/argument_values.h"
#include "framework/automation/params.h"
#include "framework/config/formats.h"
#include "framework/config/name_compare.h"
#include "framework/services/error_boundary.h"
#include "framework/services/exceptions.h"
#include "framework/win/hresult_error.h"
#include "framework/win/scoped_bstr.h"

namespace automation {

namespace {

std::wstring UpperCased(std::wstring_view name) {
  if (name.empty()) return std::wstring();
  std::wstring out(name);
  LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_UPPERCASE, name.data(), static_cast<int>(name.size()),
               out.data(), static_cast<int>(out.size()));
  return out;
}

std::wstring NotFoundText(const std::wstring& name, WORD flags) {
  return L"Метод/Свойство [" + name + L"] не обнаружено. Флаг:" + std::to_wstring(flags);
}

// The class name of the current exception, as the exception-information source.
std::wstring CurrentExceptionClass() noexcept {
  try {
    throw;
  } catch (const services::EHardwareEquipmentException&) {
    return L"EHardwareEquipmentException";
  } catch (const services::ECodedException&) {
    return L"ECodedException";
  } catch (...) {
    return L"Exception";
  }
}

// Every exception that leaves a dispatch call arrives as DISP_E_EXCEPTION with scode 1000,
// the message as description and the exception's class as source.
HRESULT DispatchFailure(EXCEPINFO* exception, SCODE scode, const std::wstring& description,
                        const std::wstring& source) noexcept {
  if (exception) {
    *exception = {};
    exception->scode = scode;
    exception->bstrDescription =
        SysAllocStringLen(description.data(), static_cast<UINT>(description.size()));
    exception->bstrSource = SysAllocStringLen(source.data(), static_cast<UINT>(source.size()));
  }
  return DISP_E_EXCEPTION;
}

constexpr SCODE kExceptionScode = 1000;

HRESULT FailureFromCurrentException(EXCEPINFO* exception) noexcept {
  return DispatchFailure(exception, kExceptionScode, services::CurrentExceptionMessage(),
                         CurrentExceptionClass());
}

void CopyInto(VARIANT* place, VARIANT& value) {
  if (!place) return;
  // The caller's result place starts Empty; anything left in it would leak otherwise.
  VariantClear(place);
  *place = value;
  VariantInit(&value);
}

std::wstring VariantText(const VARIANT& value) {
  if (value.vt == VT_BSTR) return win::BstrText(value.bstrVal);
  return std::wstring();
}

// Destroys a block through its class table when the scope ends.
struct BlockDeleter {
  void operator()(TParams* block) const noexcept { DestroyParams(block); }
};
using BlockPtr = std::unique_ptr<TParams, BlockDeleter>;

}  // namespace

TBaseAutoObject::TBaseAutoObject(win::ComPtr<ITypeInfo> type_info, std::wstring class_name)
    : type_info_(std::move(type_info)), class_name_(std::move(class_name)) {}

void TBaseAutoObject::Initialize() {
  name_list_.clear();
  members_.clear();
  members_.reserve(kMaxMembers);
  direct_ = DirectDispatch();
  RegisterMembers();
}

void TBaseAutoObject::AddMember(TMethod member) {
  if (members_.size() >= kMaxMembers) services::RaisePlain(L"Массив имен заполнен.");
  member.Name = UpperCased(member.Name);
  members_.push_back(std::move(member));
}

void TBaseAutoObject::AddMethod(std::wstring_view name, int16_t param_count, THandler handler) {
  AddMember(TMethod{std::wstring(name), param_count, true, std::move(handler), THandler()});
}

void TBaseAutoObject::AddProperty(std::wstring_view name, THandler getter, THandler setter) {
  AddMember(TMethod{std::wstring(name), 0, false, std::move(getter), std::move(setter)});
}

int TBaseAutoObject::ArgCount(const DISPPARAMS* args) {
  return args ? static_cast<int>(args->cArgs) : 0;
}

win::ScopedVariant TBaseAutoObject::GetArg(const DISPPARAMS* args, int index) {
  int count = ArgCount(args);
  if (index < 0 || index >= count) RaiseIndexError(L"Get", index, count);
  const VARIANT& arg = args->rgvarg[count - 1 - index];
  if (arg.vt == (VT_VARIANT | VT_BYREF)) {
    if (!arg.pvarVal) return win::ScopedVariant();
    return win::ScopedVariant::CopyOf(*arg.pvarVal);
  }
  return win::ScopedVariant::CopyOf(arg);
}

void TBaseAutoObject::SetArg(DISPPARAMS* args, int index, const VARIANT& value) {
  int count = ArgCount(args);
  if (index < 0 || index >= count) RaiseIndexError(L"Set", index, count);
  VARIANT& arg = args->rgvarg[count - 1 - index];
  if (!WriteThroughReference(arg, value, L"SetArg"))
    services::RaisePlain(L"Неподдерживаемый тип параметра.");
}

HRESULT TBaseAutoObject::GetTypeInfoCount(UINT* count) noexcept {
  if (!count) return E_POINTER;
  *count = type_info_ ? 1 : 0;
  return S_OK;
}

HRESULT TBaseAutoObject::GetTypeInfo(UINT index, ITypeInfo** info) noexcept {
  if (!info) return E_POINTER;
  *info = nullptr;
  if (index != 0 || !type_info_) return DISP_E_BADINDEX;
  *info = win::ComPtr<ITypeInfo>(type_info_).Release();
  return S_OK;
}

HRESULT TBaseAutoObject::GetIDsOfNames(LPOLESTR* names, UINT count, DISPID* ids) noexcept try {
  if (!names || !ids) return E_POINTER;
  if (count == 0) return S_OK;
  // Named arguments are never looked at: only the member's name is resolved.
  for (UINT i = 1; i < count; ++i) ids[i] = DISPID_UNKNOWN;
  std::wstring_view name = names[0] ? names[0] : L"";
  if (direct_) {
    for (size_t i = 0; i < members_.size(); ++i) {
      if (config::SameName(name, members_[i].Name)) {
        ids[0] = static_cast<DISPID>(i);
        return S_OK;
      }
    }
    ids[0] = DISPID_UNKNOWN;
    return E_NOTIMPL;
  }
  for (size_t i = 0; i < name_list_.size(); ++i) {
    if (config::SameName(name, name_list_[i])) {
      ids[0] = static_cast<DISPID>(i);
      return S_OK;
    }
  }
  name_list_.emplace_back(name);
  ids[0] = static_cast<DISPID>(name_list_.size() - 1);
  return S_OK;
} catch (...) {
  return E_OUTOFMEMORY;
}

HRESULT TBaseAutoObject::Invoke(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result,
                                EXCEPINFO* exception) noexcept {
  size_t known = direct_ ? members_.size() : name_list_.size();
  if (id < 0 || static_cast<size_t>(id) >= known) return DISP_E_MEMBERNOTFOUND;
  if (!direct_) return InvokeParams(id, flags, params, result, exception);
  try {
    InvokeDirect(id, flags, params, result);
    return S_OK;
  } catch (...) {
    return FailureFromCurrentException(exception);
  }
}

void TBaseAutoObject::InvokeDirect(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result) {
  const TMethod& member = members_[id];
  TCallArgs args{params, nullptr};
  win::ScopedVariant value;
  switch (flags) {
    case DISPATCH_METHOD:
    case DISPATCH_METHOD | DISPATCH_PROPERTYGET:
      if (member.IsMethod && member.ParamCount > 0 && ArgCount(params) != member.ParamCount)
        services::RaisePlain(L"Неверное число параметров для [" + member.Name + L"]");
      // A write-only property read through a method call has nothing to call.
      if (!member.Getter)
        services::RaisePlain(L"Свойство недоступно для чтения [" + member.Name + L"]");
      member.Getter(args, *value.Ptr());
      CopyInto(result, *value.Ptr());
      return;
    case DISPATCH_PROPERTYGET:
      if (member.IsMethod) break;
      if (!member.Getter)
        services::RaisePlain(L"Свойство недоступно для чтения [" + member.Name + L"]");
      member.Getter(args, *value.Ptr());
      CopyInto(result, *value.Ptr());
      return;
    case DISPATCH_PROPERTYPUT:
    case DISPATCH_PROPERTYPUTREF:
    case DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF:
      if (member.IsMethod) break;
      if (!member.Setter)
        services::RaisePlain(L"Свойство недоступно для записи [" + member.Name + L"]");
      member.Setter(args, *value.Ptr());
      return;
    default:
      break;
  }
  services::RaisePlain(NotFoundText(member.Name, flags));
}

// The code goes with the flag: Invoke makes the caller's error flag follow the code, and a
// failure without one would reach the caller as a success.
void TBaseAutoObject::SetBlockError(TParams& block, const std::wstring& description) const {
  block.SetCode(20000);
  win::ScopedVariant source = win::ScopedVariant::FromText(class_name_);
  win::ScopedVariant text = win::ScopedVariant::FromText(description);
  VariantClear(&block.Source);
  block.Source = source.Release();
  VariantClear(&block.Description);
  block.Description = text.Release();
}

HRESULT TBaseAutoObject::InvokeParams(DISPID id, WORD flags, DISPPARAMS* params,
                                      VARIANT* result, EXCEPINFO* exception) {
  try {
    std::wstring name = UpperCased(name_list_[id]);
    DISPPARAMS none = {};
    DISPPARAMS* record = params ? params : &none;

    // A: the caller's record, attached.
    BlockPtr a(NewParams());
    a->Attach(record);
    a->SetOwnName(name);
    a->Flags = flags;
    a->Result = result;

    // B: the arguments in call order, by-reference variants replaced by what they refer to.
    BlockPtr b(NewParams());
    b->CreateStorage();
    b->Clear();
    for (int i = 0; i < a->Count(); ++i) {
      const VARIANT& arg = record->rgvarg[a->Count() - 1 - i];
      if (arg.vt == (VT_VARIANT | VT_BYREF) && arg.pvarVal) {
        b->Add(*arg.pvarVal);
      } else {
        win::ScopedVariant value = win::ScopedVariant::Adopt(a->Get(i));
        b->Add(value.Get());
      }
    }
    b->SetOwnName(name);
    b->Flags = flags;
    b->Result = result;
    DispatchParams(*b);

    a->Error = b->Error;
    VariantCopy(&a->Description, &b->Description);
    VariantCopy(&a->Source, &b->Source);
    a->SetCode(b->Code);

    for (int i = 0; i < b->Count() && i < a->Count(); ++i) {
      win::ScopedVariant value = win::ScopedVariant::Adopt(b->Get(i));
      VARIANT& arg = record->rgvarg[a->Count() - 1 - i];
      if (arg.vt == (VT_VARIANT | VT_BYREF) && arg.pvarVal) {
        win::ScopedVariant copy = win::ScopedVariant::CopyOf(value.Get());
        VariantClear(arg.pvarVal);
        *arg.pvarVal = copy.Release();
      } else {
        a->Set(i, value.Get());
      }
    }

    if (a->Error)
      return DispatchFailure(exception, a->Code, VariantText(a->Description),
                             VariantText(a->Source));
    return S_OK;
  } catch (...) {
    return FailureFromCurrentException(exception);
  }
}

void TBaseAutoObject::DispatchParams(TParams& block) {
  std::wstring name = block.NameText();
  TCallArgs args{nullptr, &block};
  bool matched = false;
  for (const TMethod& member : members_) {
    if (member.Name != name) continue;
    win::ScopedVariant value;
    switch (block.Flags) {
      case DISPATCH_METHOD:
      case DISPATCH_METHOD | DISPATCH_PROPERTYGET:
        if (member.IsMethod && member.ParamCount > 0 && block.Count() != member.ParamCount) {
          SetBlockError(block, L"Неверное число параметров для [" + member.Name + L"]");
          return;
        }
        if (!member.Getter) {
          SetBlockError(block, L"Свойство недоступно для чтения [" + member.Name + L"]");
          return;
        }
        member.Getter(args, *value.Ptr());
        CopyInto(block.Result, *value.Ptr());
        return;
      case DISPATCH_PROPERTYGET:
        if (member.IsMethod) continue;
        matched = true;
        if (!member.Getter) {
          SetBlockError(block, L"Свойство недоступно для чтения [" + member.Name + L"]");
          return;
        }
        member.Getter(args, *value.Ptr());
        CopyInto(block.Result, *value.Ptr());
        break;
      case DISPATCH_PROPERTYPUT:
      case DISPATCH_PROPERTYPUTREF:
      case DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF:
        if (member.IsMethod) continue;
        matched = true;
        if (!member.Setter) {
          SetBlockError(block, L"Свойство недоступно для записи [" + member.Name + L"]");
          return;
        }
        member.Setter(args, *value.Ptr());
        break;
      default:
        break;
    }
  }
  if (matched || UnknownMember(block)) return;
  SetBlockError(block, NotFoundText(name, block.Flags));
}

}  // namespace automation
