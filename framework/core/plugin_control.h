// The control object: the first interface the host obtains, through the PluginControl
// export. It hands out the plug-in object's information interface and the call entry.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <cstdint>

namespace core {

// {5840E4CB-F596-489A-BCD0-66F4D4311253}
extern const IID IID_IPluginControl;
// {07573EC1-327D-47C7-8B5F-13C6298FBC2F}
extern const IID IID_IPluInfo;

// Call entry as the host receives it: stdcall (parameter block, caller object) -> Boolean.
using CallEntryProc = uint8_t(__stdcall*)(void* block, void* caller);

// What the control object needs of the plug-in object: its information interface. The
// module's own unit owns the object through this type and frees it at unload.
class TDllObjectBase {
 public:
  virtual ~TDllObjectBase() = default;
  // IPluInfo with a reference added, or null when the object does not provide it.
  virtual IUnknown* QueryPluInfo() = 0;
};

struct IPluginControl : IUnknown {
  virtual HRESULT __stdcall ReservedA(int32_t value) = 0;
  virtual HRESULT __stdcall ReservedB(int32_t value) = 0;
  virtual HRESULT __stdcall GetCallEntry(CallEntryProc* entry) = 0;
  virtual HRESULT __stdcall GetPluInfo(IUnknown** info) = 0;
  virtual HRESULT __stdcall ReservedC(int32_t value) = 0;
};

// Lives exactly as long as the plug-in object that creates it: reference counting through the
// interface does nothing. Construction publishes the interface as GlobalPluginControl,
// destruction empties it.
class TPluginControl final : public IPluginControl {
 public:
  // dll_object_ref: the address of the module-wide variable that holds the plug-in object.
  TPluginControl(TDllObjectBase* const* dll_object_ref, CallEntryProc call_entry);
  ~TPluginControl();
  TPluginControl(const TPluginControl&) = delete;
  TPluginControl& operator=(const TPluginControl&) = delete;

  // Raises 20000 "Обработчик GetDllObject не назначен" when there is no object.
  TDllObjectBase* GetDllObject() const;

  HRESULT __stdcall QueryInterface(REFIID iid, void** out) noexcept override;
  ULONG __stdcall AddRef() noexcept override;
  ULONG __stdcall Release() noexcept override;
  HRESULT __stdcall ReservedA(int32_t value) noexcept override;
  HRESULT __stdcall ReservedB(int32_t value) noexcept override;
  HRESULT __stdcall GetCallEntry(CallEntryProc* entry) noexcept override;
  HRESULT __stdcall GetPluInfo(IUnknown** info) noexcept override;
  HRESULT __stdcall ReservedC(int32_t value) noexcept override;

 private:
  TDllObjectBase* const* DllObjectRef;
  CallEntryProc CallEntry;
  int32_t reserved_ = 0;
  int32_t application_ref_ = -1;
};

// The live control object's interface, or null before the plug-in object exists and after
// it is gone. No reference is added.
IUnknown* GlobalPluginControl() noexcept;
void ClearGlobalPluginControl() noexcept;

}  // namespace core
