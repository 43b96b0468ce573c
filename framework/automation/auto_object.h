// The base of the framework's automation objects: members registered by name and answered
// through IDispatch, either directly or through a parameter block.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "framework/win/com_ptr.h"
#include "framework/win/scoped_variant.h"

namespace automation {

struct TParams;

// What a handler receives: in the direct mode the call's dispatch record (arguments last to
// first, read them with GetArg), in the parameter-block mode a block holding them in call
// order. The other pointer is null.
struct TCallArgs {
  DISPPARAMS* Params = nullptr;
  TParams* Block = nullptr;
};

// A member's handler; it leaves its result (if any) in `result`.
using THandler = std::function<void(const TCallArgs& args, VARIANT& result)>;

struct TMethod {
  std::wstring Name;       // upper-cased under the user's locale
  int16_t ParamCount = 0;  // methods: the exact argument count when above 0; properties: 0
  bool IsMethod = false;
  THandler Getter;         // method call or property read
  THandler Setter;         // property write; empty for methods and read-only properties
};

class TBaseAutoObject {
 public:
  static constexpr size_t kMaxMembers = 100;

  virtual ~TBaseAutoObject() = default;
  TBaseAutoObject(const TBaseAutoObject&) = delete;
  TBaseAutoObject& operator=(const TBaseAutoObject&) = delete;

  // Registers the members and picks the mode; the creator calls it once, right after
  // construction, since it calls the virtual operations below.
  void Initialize();

  // The IDispatch work behind the object's COM slots. Neither lets an exception out.
  HRESULT GetTypeInfoCount(UINT* count) noexcept;
  HRESULT GetTypeInfo(UINT index, ITypeInfo** info) noexcept;
  HRESULT GetIDsOfNames(LPOLESTR* names, UINT count, DISPID* ids) noexcept;
  HRESULT Invoke(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result,
                 EXCEPINFO* exception) noexcept;

  // Direct-mode argument access; index 0 is the first argument the caller wrote.
  static int ArgCount(const DISPPARAMS* args);
  // A by-reference variant argument is read through its reference.
  static win::ScopedVariant GetArg(const DISPPARAMS* args, int index);
  // Writes back into an argument passed by reference (variant, 32-bit integer, double or
  // text); an argument passed by value is left alone.
  static void SetArg(DISPPARAMS* args, int index, const VARIANT& value);

  const std::vector<TMethod>& Members() const { return members_; }
  const std::vector<std::wstring>& NameList() const { return name_list_; }
  bool IsDirect() const { return direct_; }
  const std::wstring& ClassName() const { return class_name_; }

 protected:
  // type_info: what GetTypeInfo hands out (may be empty); class_name: the error source of
  // the parameter-block mode.
  TBaseAutoObject(win::ComPtr<ITypeInfo> type_info, std::wstring class_name);

  void AddMethod(std::wstring_view name, int16_t param_count, THandler handler);
  // An empty getter makes the property write-only, an empty setter read-only.
  void AddProperty(std::wstring_view name, THandler getter, THandler setter);

  // Dispatches a call held in a parameter block by its (upper-cased) name.
  virtual void DispatchParams(TParams& block);
  // Last chance for a name the table lacks; true means handled.
  virtual bool UnknownMember(TParams& block) { return false; }
  virtual void RegisterMembers() {}
  // True selects the direct mode.
  virtual bool DirectDispatch() { return false; }

 private:
  void InvokeDirect(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result);
  HRESULT InvokeParams(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result,
                       EXCEPINFO* exception);
  void AddMember(TMethod member);
  void SetBlockError(TParams& block, const std::wstring& description) const;

  win::ComPtr<ITypeInfo> type_info_;
  std::wstring class_name_;
  std::vector<TMethod> members_;
  std::vector<std::wstring> name_list_;  // parameter-block mode; only grows
  bool direct_ = false;
};

// The COM object around the base: reference counting, QueryInterface for IUnknown,
// IDispatch and the object's own dispatch-derived interface, and the IDispatch slots.
template <typename Interface>
class TAutoComObject : public Interface, public TBaseAutoObject {
 public:
  HRESULT __stdcall QueryInterface(REFIID iid, void** out) noexcept override {
    if (!out) return E_POINTER;
    if (IsEqualGUID(iid, IID_IUnknown) || IsEqualGUID(iid, IID_IDispatch) ||
        IsEqualGUID(iid, iid_)) {
      *out = static_cast<Interface*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG __stdcall AddRef() noexcept override { return InterlockedIncrement(&refs_); }
  ULONG __stdcall Release() noexcept override {
    LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return left;
  }
  HRESULT __stdcall GetTypeInfoCount(UINT* count) noexcept override {
    return TBaseAutoObject::GetTypeInfoCount(count);
  }
  HRESULT __stdcall GetTypeInfo(UINT index, LCID, ITypeInfo** info) noexcept override {
    return TBaseAutoObject::GetTypeInfo(index, info);
  }
  HRESULT __stdcall GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                  DISPID* ids) noexcept override {
    return TBaseAutoObject::GetIDsOfNames(names, count, ids);
  }
  HRESULT __stdcall Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                           VARIANT* result, EXCEPINFO* exception, UINT*) noexcept override {
    return TBaseAutoObject::Invoke(id, flags, params, result, exception);
  }

 protected:
  // Starts with one reference, which the creator takes over.
  TAutoComObject(const IID& iid, win::ComPtr<ITypeInfo> type_info, std::wstring class_name)
      : TBaseAutoObject(std::move(type_info), std::move(class_name)), iid_(iid) {}

 private:
  IID iid_;
  LONG refs_ = 1;
};

}  // namespace automation
