// The plug-in object's two host interfaces, IPluInfo and IPluNames. Their slots mix the
// stdcall and the register conventions, so both are explicit tables of function pointers.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <cstdint>

namespace core {

class TBaseDllObj;
struct IPluInfo;
struct IPluNames;

// Register convention of the host: first argument in EAX, second in EDX, Boolean in AL.
#define PLU_REGISTER __attribute__((regparm(2)))

struct IPluInfoVtbl {
  HRESULT(__stdcall* QueryInterface)(IPluInfo* self, REFIID iid, void** out);
  ULONG(__stdcall* AddRef)(IPluInfo* self);
  ULONG(__stdcall* Release)(IPluInfo* self);
  HRESULT(__stdcall* GetFileName)(IPluInfo* self, BSTR* name);
  HRESULT(__stdcall* GetFileVersion)(IPluInfo* self, BSTR* version);
  HRESULT(__stdcall* GetBuild)(IPluInfo* self, uint16_t* build);
  HRESULT(__stdcall* GetConstantA)(IPluInfo* self, int32_t* value);
  HRESULT(__stdcall* GetConstantB)(IPluInfo* self, int32_t* value);
  HRESULT(__stdcall* GetModel)(IPluInfo* self, int32_t index, IUnknown** model);
  HRESULT(__stdcall* SetOption)(IPluInfo* self, int32_t value);
  HRESULT(__stdcall* SetEventSupport)(IPluInfo* self, IUnknown* events);
  // The result variable holds an interface reference of the caller's: its old value is
  // released and the object's IPluNames stored.
  void(PLU_REGISTER* GetNames)(IPluInfo* self, IPluNames** result);
};

// A name in EDX as a wide string (BSTR), the answer in AL.
using PluNameQuery = uint8_t(PLU_REGISTER*)(IPluNames* self, BSTR name);

struct IPluNamesVtbl {
  HRESULT(__stdcall* QueryInterface)(IPluNames* self, REFIID iid, void** out);
  ULONG(__stdcall* AddRef)(IPluNames* self);
  ULONG(__stdcall* Release)(IPluNames* self);
  PluNameQuery IsProperty;
  PluNameQuery IsMethod;
  PluNameQuery IsCommonMethod;
  PluNameQuery IsSwitchOn;
  PluNameQuery IsSwitchOff;
};

struct IPluInfo {
  const IPluInfoVtbl* lpVtbl;
};
struct IPluNames {
  const IPluNamesVtbl* lpVtbl;
};

// The interfaces as the plug-in object embeds them: the table, then the owner.
struct TPluInfoInterface : IPluInfo {
  explicit TPluInfoInterface(TBaseDllObj* owner);
  TBaseDllObj* owner;
};
struct TPluNamesInterface : IPluNames {
  explicit TPluNamesInterface(TBaseDllObj* owner);
  TBaseDllObj* owner;
};

}  // namespace core
