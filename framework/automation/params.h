// The parameter block: one call's values and error state, in the memory layout shared with
// the host. Operations work on the layout in place, so they apply to the host's blocks too.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "framework/services/exceptions.h"

namespace automation {

// Class table of a block: the word at -44 points at the class name (length byte, then
// 8-bit characters), the word at -4 is the destructor (object in EAX, 1 in DL).
using BlockDestructor = void(__attribute__((regparm(2))) *)(void* object, int32_t flag);

struct TParams {
  const void* ClassRef;        // 0: class table of the side that created the block
  DISPPARAMS* Storage;         // 4: argument record, or null
  int32_t Code;                // 8
  char* Name;                  // 12: 8-bit host string (points at the first character), or null;
                               //     on the module's own blocks set only through SetOwnName
  uint16_t Flags;              // 16: 1 call, 2 read, 4 write, 8 write by reference
  uint8_t Error;               // 18
  uint8_t Gap1[5];             // 19
  VARIANT Source;              // 24
  VARIANT Description;         // 40
  VARIANT* Result;             // 56: the caller's result value, or null
  IUnknown* EventSupport;      // 60: the host's IEventSupport2, or null
  TParams* Next;               // 64: next block of a chain, owned by this block
  uint8_t OwnsStorage;         // 68
  uint8_t Gap2[3];             // 69

  static constexpr int kOwnCapacity = 50;

  // Storage.
  void CreateStorage();
  void Attach(DISPPARAMS* record);
  int Count() const;
  // Value i in call order (own storage: position i; attached: position Count-1-i).
  VARIANT Get(int i) const;        // a copy, owned by the caller
  void Set(int i, const VARIANT& value);
  void Add(const VARIANT& value);
  // Own storage only: empties the values from position `count` on and keeps the first
  // `count` (the dispatcher drops a table argument this way and puts it back later).
  void Truncate(int count);

  // Error state.
  bool SetCode(int32_t code);
  void Clear();
  // Inside a catch block: records the current exception (code, source, description).
  void SetExceptionFromCurrent() noexcept;
  void SetException(int32_t code, const std::wstring& message) noexcept;

  // The block's Name as UTF-16 (read in place, never freed here).
  std::wstring NameText() const;
  // Only for the module's own blocks (a coded error otherwise): Name becomes a string that
  // the module allocated, and the block's destructor frees it.
  void SetOwnName(std::wstring_view name);

  // Inline, so that only code that raises catalogue errors needs the catalogue linked in.
  [[noreturn]] void RaiseError(int32_t code, std::initializer_list<services::FormatArg> args) {
    services::RaiseError(code, args);
  }
  [[noreturn]] void RaiseText(std::wstring_view text);
};

static_assert(offsetof(TParams, Storage) == 4);
static_assert(offsetof(TParams, Code) == 8);
static_assert(offsetof(TParams, Name) == 12);
static_assert(offsetof(TParams, Flags) == 16);
static_assert(offsetof(TParams, Error) == 18);
static_assert(offsetof(TParams, Source) == 24);
static_assert(offsetof(TParams, Description) == 40);
static_assert(offsetof(TParams, Result) == 56);
static_assert(offsetof(TParams, EventSupport) == 60);
static_assert(offsetof(TParams, Next) == 64);
static_assert(offsetof(TParams, OwnsStorage) == 68);
static_assert(sizeof(TParams) == 72);

// Blocks that the module creates itself, with the module's class table.
TParams* NewParams();
// Destroys a block (and its chain) through the block's own class table, whoever made it.
void DestroyParams(TParams* block) noexcept;
// True for a block that carries the module's class table.
bool IsOwnBlock(const TParams* block) noexcept;

}  // namespace automation
