// Owns one SAFEARRAY; element access goes through a checked, locked scope.
#pragma once

#include <windows.h>
#include <oleauto.h>

namespace win {

class ScopedSafearray {
 public:
  ScopedSafearray() = default;
  ~ScopedSafearray() { Reset(); }
  ScopedSafearray(ScopedSafearray&& other) noexcept : psa_(other.Release()) {}
  ScopedSafearray& operator=(ScopedSafearray&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  ScopedSafearray(const ScopedSafearray&) = delete;
  ScopedSafearray& operator=(const ScopedSafearray&) = delete;

  static ScopedSafearray Adopt(SAFEARRAY* psa) {
    ScopedSafearray s;
    s.psa_ = psa;
    return s;
  }
  // A new array of VARIANTs with the given bounds; throws on failure.
  static ScopedSafearray CreateVariants(UINT dims, const SAFEARRAYBOUND* bounds);

  SAFEARRAY* Get() const { return psa_; }
  SAFEARRAY* Release() {
    SAFEARRAY* p = psa_;
    psa_ = nullptr;
    return p;
  }
  void Reset(SAFEARRAY* psa = nullptr) {
    if (psa_ && psa_ != psa) SafeArrayDestroy(psa_);
    psa_ = psa;
  }
  SAFEARRAY** Put() {
    Reset();
    return &psa_;
  }

 private:
  SAFEARRAY* psa_ = nullptr;
};

// Locks an array (owned or not) for direct element access after checking the dimension
// count and element type; At() honours the lower bound and checks the index.
template <typename T>
class SafearrayAccess {
 public:
  // Throws a coded error when the array is null, has another dimension count or another
  // element type, or cannot be locked.
  SafearrayAccess(SAFEARRAY* psa, UINT dims, VARTYPE element_type);
  ~SafearrayAccess() {
    if (psa_) SafeArrayUnaccessData(psa_);
  }
  SafearrayAccess(const SafearrayAccess&) = delete;
  SafearrayAccess& operator=(const SafearrayAccess&) = delete;

  LONG Lower(UINT dim) const;  // dim counts from 1, as the platform does
  LONG Upper(UINT dim) const;
  LONG Count(UINT dim) const { return Upper(dim) - Lower(dim) + 1; }
  // One-dimensional access by the array's own index.
  T& At(LONG index);
  // Two-dimensional access by the array's own indices.
  T& At(LONG index1, LONG index2);
  T* Data() { return data_; }

 private:
  SAFEARRAY* psa_ = nullptr;
  T* data_ = nullptr;
};

}  // namespace win

#include "framework/win/scoped_safearray_impl.h"
