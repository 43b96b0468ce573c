// The module's one class factory of the value table, made from the type library resource.
#include <windows.h>
#include <oleauto.h>

#include <string>

#include "framework/automation/identifiers.h"
#include "framework/automation/safe_array.h"
#include "framework/automation/value_table.h"
#include "framework/win/com_ptr.h"
#include "framework/win/hresult_error.h"
#include "framework/win/module.h"
#include "framework/win/scoped_bstr.h"

namespace automation {

namespace {

// The automation server name; with the class name from the library it gives the
// programmatic identifier "AddIn.SafeArray".
constexpr wchar_t kServerName[] = L"AddIn";

// In-process only: nothing registers it with the system, so other programs cannot create a
// value table by its class identifier. It is never destroyed: it lives until the module is
// unloaded, and releasing its type information from the unload notification would call into
// a system library that may already be gone.
class TSafeArrayFactory final : public IClassFactory {
 public:
  TSafeArrayFactory(win::ComPtr<ITypeInfo> type_info, std::wstring prog_id)
      : type_info_(std::move(type_info)), prog_id_(std::move(prog_id)) {}

  HRESULT __stdcall QueryInterface(REFIID iid, void** out) noexcept override {
    if (!out) return E_POINTER;
    if (IsEqualGUID(iid, IID_IUnknown) || IsEqualGUID(iid, IID_IClassFactory)) {
      *out = static_cast<IClassFactory*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG __stdcall AddRef() noexcept override { return 2; }
  ULONG __stdcall Release() noexcept override { return 1; }

  // Several instances, each a new table.
  HRESULT __stdcall CreateInstance(IUnknown* outer, REFIID iid, void** out) noexcept override try {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    win::ComPtr<ISafeArray> table = win::ComPtr<ISafeArray>::Adopt(new TSafeArray(type_info_, prog_id_));
    static_cast<TSafeArray*>(table.Get())->Initialize();
    return table->QueryInterface(iid, out);
  } catch (...) {
    return E_OUTOFMEMORY;
  }
  HRESULT __stdcall LockServer(BOOL) noexcept override { return S_OK; }

 private:
  win::ComPtr<ITypeInfo> type_info_;
  std::wstring prog_id_;
};

TSafeArrayFactory* MakeFactory() {
  wchar_t path[MAX_PATH] = {};
  if (!GetModuleFileNameW(win::ThisModule(), path, MAX_PATH))
    win::ThrowLastError(L"GetModuleFileName");
  win::ComPtr<ITypeLib> library;
  HRESULT hr = LoadTypeLibEx(path, REGKIND_NONE, library.Put());
  if (FAILED(hr)) win::ThrowHresult(hr, L"Библиотека типов модуля");

  win::ComPtr<ITypeInfo> coclass;
  hr = library->GetTypeInfoOfGuid(kClsidSafeArray, coclass.Put());
  if (FAILED(hr)) win::ThrowHresult(hr, L"Класс SafeArray библиотеки типов");
  win::ScopedBstr class_name;
  hr = coclass->GetDocumentation(MEMBERID_NIL, class_name.Put(), nullptr, nullptr, nullptr);
  if (FAILED(hr)) win::ThrowHresult(hr, L"Класс SafeArray библиотеки типов");

  // The dispatch description of the class's interface: what GetTypeInfo hands out.
  win::ComPtr<ITypeInfo> dispatch;
  hr = library->GetTypeInfoOfGuid(kIidSafeArray, dispatch.Put());
  if (FAILED(hr)) win::ThrowHresult(hr, L"Интерфейс ISafeArray библиотеки типов");
  TYPEATTR* attr = nullptr;
  hr = dispatch->GetTypeAttr(&attr);
  if (FAILED(hr)) win::ThrowHresult(hr, L"Интерфейс ISafeArray библиотеки типов");
  bool dispatchable = attr->typekind == TKIND_DISPATCH;
  dispatch->ReleaseTypeAttr(attr);
  if (!dispatchable) win::ThrowText(L"Интерфейс ISafeArray библиотеки типов не диспетчерский");

  return new TSafeArrayFactory(std::move(dispatch),
                               std::wstring(kServerName) + L"." + class_name.Text());
}

}  // namespace

IClassFactory* ValueTableFactory() {
  // Made once, on first use, by whichever thread comes first; a failure is raised again at
  // the next attempt.
  static TSafeArrayFactory* factory = MakeFactory();
  return factory;
}

win::ComPtr<ISafeArray> CreateValueTable() {
  win::ComPtr<ISafeArray> table;
  HRESULT hr = ValueTableFactory()->CreateInstance(nullptr, kIidSafeArray, table.PutVoid());
  if (FAILED(hr)) win::ThrowHresult(hr, L"CreateValueTable");
  return table;
}

win::ComPtr<ISafeArray> CreateValueTableOf(win::ScopedSafearray& array, VARTYPE element_type) {
  win::ComPtr<ISafeArray> table = CreateValueTable();
  HRESULT hr = table->__SetPSAOfType(array.Get(), element_type);
  if (FAILED(hr)) {
    win::ComPtr<IErrorInfo> info;
    win::ScopedBstr description;
    if (GetErrorInfo(0, info.Put()) == S_OK && info) info->GetDescription(description.Put());
    win::ThrowText(description.Text());
  }
  array.Release();  // the table owns it now
  return table;
}

}  // namespace automation
