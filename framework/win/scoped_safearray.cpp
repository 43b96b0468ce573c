// Creation of owned SAFEARRAYs.
#include "framework/win/scoped_safearray.h"

namespace win {

ScopedSafearray ScopedSafearray::CreateVariants(UINT dims, const SAFEARRAYBOUND* bounds) {
  SAFEARRAYBOUND copy[8];
  if (dims == 0 || dims > 8) ThrowText(L"SAFEARRAY: неверное число измерений");
  for (UINT i = 0; i < dims; ++i) copy[i] = bounds[i];
  SAFEARRAY* psa = SafeArrayCreate(VT_VARIANT, dims, copy);
  if (!psa) ThrowHresult(E_OUTOFMEMORY, L"SafeArrayCreate");
  return Adopt(psa);
}

}  // namespace win
