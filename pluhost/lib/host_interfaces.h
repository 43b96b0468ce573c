// The interfaces that the host obtains from a plug-in, as the host declares them.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <cstdint>

namespace pluhost {

// {5840E4CB-F596-489A-BCD0-66F4D4311253}
constexpr IID kIidPluginControl = {0x5840E4CB, 0xF596, 0x489A,
                                   {0xBC, 0xD0, 0x66, 0xF4, 0xD4, 0x31, 0x12, 0x53}};
// {07573EC1-327D-47C7-8B5F-13C6298FBC2F}
constexpr IID kIidPluInfo = {0x07573EC1, 0x327D, 0x47C7,
                             {0x8B, 0x5F, 0x13, 0xC6, 0x29, 0x8F, 0xBC, 0x2F}};

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

}  // namespace pluhost
