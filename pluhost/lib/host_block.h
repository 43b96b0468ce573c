// The host's own parameter blocks: the 72-byte layout that the host shares with every
// plug-in, with the host's class table, its storage and its 8-bit strings.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace pluhost {

// The host's view of a block. It is the host's code, not the plug-in's: the two sides only
// share the layout.
struct HostBlock {
  const void* ClassRef;
  DISPPARAMS* Storage;
  int32_t Code;
  char* Name;
  uint16_t Flags;
  uint8_t Error;
  uint8_t Gap1[5];
  VARIANT Source;
  VARIANT Description;
  VARIANT* Result;
  IUnknown* EventSupport;
  HostBlock* Next;
  uint8_t OwnsStorage;
  uint8_t Gap2[3];
};
static_assert(offsetof(HostBlock, Source) == 24);
static_assert(offsetof(HostBlock, Description) == 40);
static_assert(offsetof(HostBlock, Next) == 64);
static_assert(sizeof(HostBlock) == 72);

// Call kinds of value 2.
enum class CallKind : int32_t { kMethod = 1, kRead = 2, kAssign = 3 };

constexpr int kBlockCapacity = 50;

// A new block with the host's class table and own storage of 50 empty values (OwnsStorage 1,
// values in call order). `name` goes into the block's Name field as an 8-bit host string.
HostBlock* NewHostBlock(std::wstring_view name = {});
// Destroys a block through its class table, as the host and the plug-ins do.
void DestroyBlock(HostBlock* block) noexcept;

// A block prepared for a named call: value 0 the result (Empty), value 1 the name (a BSTR),
// value 2 the kind (VT_I4); arguments follow with AddValue.
HostBlock* NewCallBlock(std::wstring_view member, CallKind kind);
// Appends a copy of the value; false when the storage is full.
bool AddValue(HostBlock* block, const VARIANT& value);
int ValueCount(const HostBlock* block);
// Value i in call order, or null past the end.
const VARIANT* ValueAt(const HostBlock* block, int i);

// 8-bit strings in the host's layout (reference count at -8, length at -4, zero byte after).
char* NewHostString(std::string_view text);
void FreeHostString(char* text) noexcept;

// The class name that a block's class table carries (the word at -44).
std::string ClassNameOf(const void* object);

}  // namespace pluhost
