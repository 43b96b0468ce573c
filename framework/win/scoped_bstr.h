// Owns one BSTR: the one string allocator the host and every plug-in share.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <string_view>

namespace win {

class ScopedBstr {
 public:
  ScopedBstr() = default;
  // Allocates a copy of the text; an empty text still gets a (zero-length) BSTR.
  explicit ScopedBstr(std::wstring_view text)
      : bstr_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
  ~ScopedBstr() { SysFreeString(bstr_); }

  ScopedBstr(ScopedBstr&& other) noexcept : bstr_(other.Release()) {}
  ScopedBstr& operator=(ScopedBstr&& other) noexcept {
    Reset(other.Release());
    return *this;
  }
  ScopedBstr(const ScopedBstr&) = delete;
  ScopedBstr& operator=(const ScopedBstr&) = delete;

  // Takes ownership of a BSTR that the caller allocated; never adopts silently.
  static ScopedBstr Adopt(BSTR bstr) {
    ScopedBstr s;
    s.bstr_ = bstr;
    return s;
  }

  BSTR Get() const { return bstr_; }
  BSTR Release() {
    BSTR b = bstr_;
    bstr_ = nullptr;
    return b;
  }
  void Reset(BSTR bstr = nullptr) {
    if (bstr != bstr_) SysFreeString(bstr_);
    bstr_ = bstr;
  }
  // Frees the current value and hands out its address for an out-parameter.
  BSTR* Put() {
    Reset();
    return &bstr_;
  }

  UINT Length() const { return SysStringLen(bstr_); }
  std::wstring Text() const { return bstr_ ? std::wstring(bstr_, SysStringLen(bstr_)) : std::wstring(); }

 private:
  BSTR bstr_ = nullptr;
};

// The text of a BSTR that someone else owns (null reads as empty).
inline std::wstring BstrText(BSTR bstr) {
  return bstr ? std::wstring(bstr, SysStringLen(bstr)) : std::wstring();
}

}  // namespace win
