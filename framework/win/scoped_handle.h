// Owns kernel handles, registry keys and loaded modules.
#pragma once

#include <windows.h>

namespace win {

// The policy says which value is "no handle" (CreateFile fails with INVALID_HANDLE_VALUE,
// most other calls with NULL) and how a handle is closed.
template <typename Traits>
class ScopedGeneric {
 public:
  using Handle = typename Traits::Handle;

  ScopedGeneric() = default;
  explicit ScopedGeneric(Handle h) : h_(h) {}
  ~ScopedGeneric() { Reset(); }
  ScopedGeneric(ScopedGeneric&& other) noexcept : h_(other.Release()) {}
  ScopedGeneric& operator=(ScopedGeneric&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  ScopedGeneric(const ScopedGeneric&) = delete;
  ScopedGeneric& operator=(const ScopedGeneric&) = delete;

  Handle Get() const { return h_; }
  bool IsValid() const { return Traits::IsValid(h_); }
  explicit operator bool() const { return IsValid(); }
  Handle Release() {
    Handle h = h_;
    h_ = Traits::Null();
    return h;
  }
  void Reset(Handle h = Traits::Null()) {
    if (Traits::IsValid(h_) && h_ != h) Traits::Close(h_);
    h_ = h;
  }
  Handle* Put() {
    Reset();
    return &h_;
  }

 private:
  Handle h_ = Traits::Null();
};

struct HandleTraits {
  using Handle = HANDLE;
  static Handle Null() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(Handle h) { CloseHandle(h); }
};
// CreateFile and FindFirstFile report failure with INVALID_HANDLE_VALUE; start there so a
// failed open is never mistaken for a handle.
struct FileHandleTraits : HandleTraits {
  static Handle Null() { return INVALID_HANDLE_VALUE; }
};
struct FindHandleTraits {
  using Handle = HANDLE;
  static Handle Null() { return INVALID_HANDLE_VALUE; }
  static bool IsValid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(Handle h) { FindClose(h); }
};
struct HkeyTraits {
  using Handle = HKEY;
  static Handle Null() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { RegCloseKey(h); }
};
struct HmoduleTraits {
  using Handle = HMODULE;
  static Handle Null() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { FreeLibrary(h); }
};
struct HglobalTraits {
  using Handle = HGLOBAL;
  static Handle Null() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { GlobalFree(h); }
};

using ScopedHandle = ScopedGeneric<HandleTraits>;
using ScopedFileHandle = ScopedGeneric<FileHandleTraits>;
using ScopedFindHandle = ScopedGeneric<FindHandleTraits>;
using ScopedHkey = ScopedGeneric<HkeyTraits>;
using ScopedHmodule = ScopedGeneric<HmoduleTraits>;
using ScopedHglobal = ScopedGeneric<HglobalTraits>;

}  // namespace win
