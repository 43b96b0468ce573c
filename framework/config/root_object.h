// The root of the plug-in object: a hidden top-level window that holds the host's event
// support, the security blocks for named kernel objects and the error shortcuts.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string_view>

#include "framework/config/root_collection.h"
#include "framework/services/exceptions.h"

namespace config {

// {7C2F5833-8F25-4298-B7DE-C8CBAFB80F53}
extern const IID IID_IRootObjectLink;
// {0A1B06F1-BFF2-4B10-9B5B-159937A1F35B}: the instance interface that GetInstance and the
// accessibility query look for. No class of the plug-ins implements it.
extern const IID IID_IRootObjectInstance;

// IUnknown, then GetInstance (safecall: the instance through the out pointer).
struct IRootObjectLink : IUnknown {
  virtual HRESULT __stdcall GetInstance(IUnknown** instance) noexcept = 0;
};

class TRootObject {
 public:
  // Prepares the security blocks (on NT) and creates the hidden window. A failure of the
  // preparation fails the construction.
  TRootObject();
  virtual ~TRootObject();
  TRootObject(const TRootObject&) = delete;
  TRootObject& operator=(const TRootObject&) = delete;

  // Kept for descendants that open named kernel objects: a null access list, full access
  // for every user. Prepared only on NT.
  SECURITY_ATTRIBUTES* SecurityAttributes() { return SecurityAttributes_.get(); }
  SECURITY_DESCRIPTOR* SecurityDescriptor() { return SecurityDescriptor_.get(); }

  EventSupportRef EventSupport;
  // Drops the host's event support; never fails.
  void ReleaseEventSupport() noexcept;

  [[noreturn]] void RaiseError(int32_t code, std::initializer_list<services::FormatArg> args) const;
  [[noreturn]] void RaiseErrorText(std::wstring_view text) const;

  HWND Handle() const { return window_; }
  IRootObjectLink* RootObjectLink() { return &link_; }

  // The object's interface table: the pointer to hand out for the identifier, or null.
  // The base answers IUnknown and IRootObjectLink.
  virtual void* InterfaceFor(REFIID iid);
  HRESULT QueryInterface(REFIID iid, void** out) noexcept;

 protected:
  // The instance interface; raises the interface-cast error when the object has none.
  virtual win::ComPtr<IUnknown> GetInstance();
  // Messages of the hidden window; the base answers WM_GETOBJECT.
  virtual LRESULT WindowMessage(UINT message, WPARAM wparam, LPARAM lparam);

 private:
  // The object lives as long as its owner says, not as long as references exist: the
  // reference counting of its interfaces does nothing.
  struct Link final : IRootObjectLink {
    explicit Link(TRootObject* owner) : owner(owner) {}
    HRESULT __stdcall QueryInterface(REFIID iid, void** out) noexcept override;
    ULONG __stdcall AddRef() noexcept override { return static_cast<ULONG>(-1); }
    ULONG __stdcall Release() noexcept override { return static_cast<ULONG>(-1); }
    HRESULT __stdcall GetInstance(IUnknown** instance) noexcept override;
    TRootObject* owner;
  };

  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam,
                                     LPARAM lparam) noexcept;
  void RegisterInstance();

  std::unique_ptr<SECURITY_ATTRIBUTES> SecurityAttributes_;
  std::unique_ptr<SECURITY_DESCRIPTOR> SecurityDescriptor_;
  Link link_{this};
  HWND window_ = nullptr;
};

}  // namespace config
