// The interfaces that the host obtains from a plug-in, as the host declares them.
#pragma once

#include <windows.h>
#include <oaidl.h>
#include <unknwn.h>

#include <cstddef>
#include <cstdint>

namespace pluhost {

// {5840E4CB-F596-489A-BCD0-66F4D4311253}
constexpr IID kIidPluginControl = {0x5840E4CB, 0xF596, 0x489A,
                                   {0xBC, 0xD0, 0x66, 0xF4, 0xD4, 0x31, 0x12, 0x53}};
// {07573EC1-327D-47C7-8B5F-13C6298FBC2F}
constexpr IID kIidPluInfo = {0x07573EC1, 0x327D, 0x47C7,
                             {0x8B, 0x5F, 0x13, 0xC6, 0x29, 0x8F, 0xBC, 0x2F}};

// {D8EB2570-D5AB-4357-86E6-6064DBDD7523}: the model interface as GetModel hands it out.
constexpr IID kIidPluModel = {0xD8EB2570, 0xD5AB, 0x4357,
                              {0x86, 0xE6, 0x60, 0x64, 0xDB, 0xDD, 0x75, 0x23}};

constexpr uint32_t kQueryMagic = 54726439;
constexpr uint32_t kQueryKey = 0x03430FF3;
constexpr DWORD kCallEntryException = 0xE0504C55;

using QueryProc = int32_t (*)();
using PluginControlProc = void(__attribute__((regparm(1))) *)(IUnknown** control);
using CallEntryProc = uint8_t(__stdcall*)(void* block, void* caller);

struct IPluginControl : IUnknown {
  virtual HRESULT __stdcall ReservedA(int32_t value) = 0;
  virtual HRESULT __stdcall ReservedB(int32_t value) = 0;
  virtual HRESULT __stdcall GetCallEntry(CallEntryProc* entry) = 0;
  virtual HRESULT __stdcall GetPluInfo(IUnknown** info) = 0;
  virtual HRESULT __stdcall ReservedC(int32_t value) = 0;
};

// The host's register convention: first argument in EAX, second in EDX, Boolean in AL.
#define PLUHOST_REGISTER __attribute__((regparm(2)))

struct IPluInfo;
struct IPluNames;

// IPluInfo mixes conventions (slot 11 is register-called), so it is a table of function
// pointers, each with its own convention and an explicit `this`.
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
  // The plug-in releases what the variable holds and stores its IPluNames with a reference
  // for the caller; the host starts it empty.
  void(PLUHOST_REGISTER* GetNames)(IPluInfo* self, IPluNames** result);
};
static_assert(offsetof(IPluInfoVtbl, GetNames) == 11 * sizeof(void*));

// A name as a BSTR in EDX; only AL of the answer counts.
using PluNameQueryProc = uint8_t(PLUHOST_REGISTER*)(IPluNames* self, BSTR name);

struct IPluNamesVtbl {
  HRESULT(__stdcall* QueryInterface)(IPluNames* self, REFIID iid, void** out);
  ULONG(__stdcall* AddRef)(IPluNames* self);
  ULONG(__stdcall* Release)(IPluNames* self);
  PluNameQueryProc IsProperty;
  PluNameQueryProc IsMethod;
  PluNameQueryProc IsCommonMethod;
  PluNameQueryProc IsSwitchOn;
  PluNameQueryProc IsSwitchOff;
};
static_assert(offsetof(IPluNamesVtbl, IsSwitchOff) == 7 * sizeof(void*));

// The interface pointers the host holds; the members let win::ComPtr hold them.
struct IPluInfo {
  const IPluInfoVtbl* lpVtbl;
  HRESULT QueryInterface(REFIID iid, void** out) { return lpVtbl->QueryInterface(this, iid, out); }
  ULONG AddRef() { return lpVtbl->AddRef(this); }
  ULONG Release() { return lpVtbl->Release(this); }
};
struct IPluNames {
  const IPluNamesVtbl* lpVtbl;
  HRESULT QueryInterface(REFIID iid, void** out) { return lpVtbl->QueryInterface(this, iid, out); }
  ULONG AddRef() { return lpVtbl->AddRef(this); }
  ULONG Release() { return lpVtbl->Release(this); }
};

// The model interface: all stdcall with HRESULT results, so a plain COM class. The host
// reads models through it; documents go by value, 16 bytes on the stack.
struct IPluModel : IUnknown {
  virtual HRESULT __stdcall GetModelId(GUID* id) = 0;
  virtual HRESULT __stdcall GetIdentifier(BSTR* text) = 0;
  virtual HRESULT __stdcall GetModelName(BSTR* text) = 0;
  virtual HRESULT __stdcall GetClassShortName(BSTR* text) = 0;
  virtual HRESULT __stdcall GetClassName(BSTR* text) = 0;
  virtual HRESULT __stdcall GetModelValue1(int32_t* value) = 0;
  virtual HRESULT __stdcall GetModelValue2(int32_t* value) = 0;
  virtual HRESULT __stdcall GetModelValue3(int32_t* value) = 0;
  virtual HRESULT __stdcall GetModelValue4(int32_t* value) = 0;
  virtual HRESULT __stdcall GetUsesHB(int32_t* value) = 0;
  virtual HRESULT __stdcall GetParametersText(BSTR* text) = 0;
  virtual HRESULT __stdcall GetReservedValue(int32_t* value) = 0;
  virtual HRESULT __stdcall GetReservedInterface(IUnknown** object) = 0;
  virtual HRESULT __stdcall ReservedCall1() = 0;
  virtual HRESULT __stdcall ReservedCall2() = 0;
  virtual HRESULT __stdcall GetPluginObject(IUnknown** plu_info) = 0;
  virtual HRESULT __stdcall GetParametersDocument(VARIANT* document) = 0;
  virtual HRESULT __stdcall OpenDevice(VARIANT document, IUnknown** device) = 0;
  // The device GUID as its four 32-bit words in memory order.
  virtual HRESULT __stdcall RemoveDevice(int32_t id1, int32_t id2, int32_t id3, int32_t id4,
                                         int32_t* result) = 0;
  virtual HRESULT __stdcall SetConfiguration(VARIANT document, int32_t* result) = 0;
  virtual HRESULT __stdcall LookUpDevice(VARIANT document, IUnknown** device) = 0;
  virtual HRESULT __stdcall InsertDevice(VARIANT document, IUnknown** device) = 0;
};

}  // namespace pluhost
