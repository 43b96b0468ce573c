// The hidden window, the security blocks and the instance interface of the root object.
#include "framework/config/root_object.h"

#include <oleauto.h>

#include "framework/config/global_id.h"
#include "framework/services/error_boundary.h"
#include "framework/win/hresult_error.h"
#include "framework/win/module.h"

namespace config {

const IID IID_IRootObjectLink = {
    0x7C2F5833, 0x8F25, 0x4298, {0xB7, 0xDE, 0xC8, 0xCB, 0xAF, 0xB8, 0x0F, 0x53}};
const IID IID_IRootObjectInstance = {
    0x0A1B06F1, 0xBFF2, 0x4B10, {0x9B, 0x5B, 0x15, 0x99, 0x37, 0xA1, 0xF3, 0x5B}};

namespace {

constexpr wchar_t kWindowClass[] = L"TRootObjectWindow";

// Root objects alive in this module. A class that a library registers outlives the library
// unless it is unregistered, and a later load at another address would find the old window
// procedure; the last root object therefore takes the class away.
LONG g_live_windows = 0;

// System failures of the preparation are plain errors whose text names the call.
[[noreturn]] void RaiseSystemFailure(const wchar_t* call) {
  DWORD error = GetLastError();
  services::RaisePlain(std::wstring(call) + L"\r\n" + win::SystemMessage(error));
}

void RegisterWindowClass(WNDPROC procedure) {
  WNDCLASSEXW info = {};
  info.cbSize = sizeof(info);
  if (GetClassInfoExW(win::ThisModule(), kWindowClass, &info)) return;
  info = {};
  info.cbSize = sizeof(info);
  info.lpfnWndProc = procedure;
  info.hInstance = win::ThisModule();
  info.lpszClassName = kWindowClass;
  if (!RegisterClassExW(&info) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    win::ThrowLastError(L"RegisterClassEx");
}

}  // namespace

TRootObject::TRootObject()
    : SecurityAttributes_(std::make_unique<SECURITY_ATTRIBUTES>()),
      SecurityDescriptor_(std::make_unique<SECURITY_DESCRIPTOR>()) {
  *SecurityAttributes_ = {};
  *SecurityDescriptor_ = {};
  if (IsWinNT()) {
    SecurityAttributes_->nLength = sizeof(SECURITY_ATTRIBUTES);
    SecurityAttributes_->lpSecurityDescriptor = SecurityDescriptor_.get();
    SecurityAttributes_->bInheritHandle = FALSE;
    if (!InitializeSecurityDescriptor(SecurityDescriptor_.get(), SECURITY_DESCRIPTOR_REVISION))
      RaiseSystemFailure(L"InitializeSecurityDescriptor");
    if (!SetSecurityDescriptorDacl(SecurityDescriptor_.get(), TRUE, nullptr, FALSE))
      RaiseSystemFailure(L"SetSecurityDescriptorDacl");
  }
  RegisterWindowClass(&TRootObject::WindowProc);
  // A top-level window (never a child): it has no parent to live in.
  window_ = CreateWindowExW(0, kWindowClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                            win::ThisModule(), this);
  if (!window_) win::ThrowLastError(L"CreateWindowEx");
  InterlockedIncrement(&g_live_windows);
}

TRootObject::~TRootObject() {
  ReleaseEventSupport();
  if (window_) {
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
    if (InterlockedDecrement(&g_live_windows) == 0)
      UnregisterClassW(kWindowClass, win::ThisModule());
  }
}

void TRootObject::ReleaseEventSupport() noexcept { EventSupport.Reset(); }

void TRootObject::RaiseError(int32_t code,
                             std::initializer_list<services::FormatArg> args) const {
  services::RaiseError(code, args);
}

void TRootObject::RaiseErrorText(std::wstring_view text) const {
  services::RaiseError(20000, {std::wstring(text)});
}

void* TRootObject::InterfaceFor(REFIID iid) {
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IRootObjectLink))
    return static_cast<IRootObjectLink*>(&link_);
  return nullptr;
}

HRESULT TRootObject::QueryInterface(REFIID iid, void** out) noexcept try {
  if (!out) return E_POINTER;
  *out = InterfaceFor(iid);
  if (!*out) return E_NOINTERFACE;
  static_cast<IUnknown*>(*out)->AddRef();
  return S_OK;
} catch (...) {
  if (out) *out = nullptr;
  return services::FailureFromCurrentException();
}

win::ComPtr<IUnknown> TRootObject::GetInstance() {
  win::ComPtr<IUnknown> instance;
  if (FAILED(QueryInterface(IID_IRootObjectInstance, instance.PutVoid())))
    services::RaisePlain(L"Interface not supported");
  return instance;
}

void TRootObject::RegisterInstance() {
  win::ComPtr<IUnknown> instance;
  if (FAILED(QueryInterface(IID_IRootObjectInstance, instance.PutVoid()))) return;
  // Neither the result nor the cookie is kept: the registration is the whole answer.
  DWORD cookie = 0;
  RegisterActiveObject(instance.Get(), IID_IRootObjectInstance, ACTIVEOBJECT_STRONG, &cookie);
}

LRESULT TRootObject::WindowMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_GETOBJECT) {
    RegisterInstance();
    return 0;
  }
  return DefWindowProcW(window_, message, wparam, lparam);
}

LRESULT CALLBACK TRootObject::WindowProc(HWND window, UINT message, WPARAM wparam,
                                         LPARAM lparam) noexcept try {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<TRootObject*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self || !self->window_) return DefWindowProcW(window, message, wparam, lparam);
  return self->WindowMessage(message, wparam, lparam);
} catch (...) {
  services::FailureFromCurrentException();
  return 0;
}

HRESULT __stdcall TRootObject::Link::QueryInterface(REFIID iid, void** out) noexcept {
  return owner->QueryInterface(iid, out);
}

HRESULT __stdcall TRootObject::Link::GetInstance(IUnknown** instance) noexcept try {
  if (!instance) return E_POINTER;
  *instance = nullptr;
  *instance = owner->GetInstance().Release();
  return S_OK;
} catch (...) {
  return services::FailureFromCurrentException();
}

}  // namespace config
