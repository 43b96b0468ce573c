// Template bodies of the SAFEARRAY access scope.
#pragma once

#include "framework/win/hresult_error.h"

namespace win {

template <typename T>
SafearrayAccess<T>::SafearrayAccess(SAFEARRAY* psa, UINT dims, VARTYPE element_type) {
  if (!psa) ThrowText(L"SAFEARRAY: пустой массив");
  if (SafeArrayGetDim(psa) != dims) ThrowText(L"SAFEARRAY: неверное число измерений");
  VARTYPE vt = VT_EMPTY;
  HRESULT hr = SafeArrayGetVartype(psa, &vt);
  if (FAILED(hr)) ThrowHresult(hr, L"SafeArrayGetVartype");
  if (vt != element_type || SafeArrayGetElemsize(psa) != sizeof(T))
    ThrowText(L"SAFEARRAY: неверный тип элементов");
  void* data = nullptr;
  hr = SafeArrayAccessData(psa, &data);
  if (FAILED(hr)) ThrowHresult(hr, L"SafeArrayAccessData");
  psa_ = psa;
  data_ = static_cast<T*>(data);
}

template <typename T>
LONG SafearrayAccess<T>::Lower(UINT dim) const {
  LONG v = 0;
  SafeArrayGetLBound(psa_, dim, &v);
  return v;
}

template <typename T>
LONG SafearrayAccess<T>::Upper(UINT dim) const {
  LONG v = -1;
  SafeArrayGetUBound(psa_, dim, &v);
  return v;
}

template <typename T>
T& SafearrayAccess<T>::At(LONG index) {
  LONG i = index - Lower(1);
  if (i < 0 || i >= Count(1)) ThrowText(L"SAFEARRAY: индекс вне границ");
  return data_[i];
}

template <typename T>
T& SafearrayAccess<T>::At(LONG index1, LONG index2) {
  // The first dimension varies fastest in memory.
  LONG i = index1 - Lower(1);
  LONG j = index2 - Lower(2);
  if (i < 0 || i >= Count(1) || j < 0 || j >= Count(2)) ThrowText(L"SAFEARRAY: индекс вне границ");
  return data_[j * Count(1) + i];
}

}  // namespace win
