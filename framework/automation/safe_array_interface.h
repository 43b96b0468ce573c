// ISafeArray, the value table's own dual interface, as the framework and its callers see it.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include "framework/automation/identifiers.h"

namespace automation {

// Slots 0-6 are IUnknown and IDispatch; the thirteen operations follow in slots 7-19. Every
// slot returns S_OK or E_UNEXPECTED with an error-information object (description: the
// message; source: "AddIn.SafeArray"). VARIANT arguments travel by value, as COM passes them.
// Booleans are VARIANT_BOOL (-1 true, 0 false).
struct ISafeArray : public IDispatch {
  virtual HRESULT __stdcall SetBounds(LONG rows, LONG columns) = 0;             // 7
  virtual HRESULT __stdcall SetValue(LONG row, LONG column, VARIANT value) = 0;  // 8
  // The array inside the table, not a copy: it lives only as long as the table's contents.
  virtual HRESULT __stdcall __PSA(SAFEARRAY** array) = 0;                        // 9
  // The contents' element type (VT_VARIANT unless a typed array was adopted).
  virtual HRESULT __stdcall ElementType(LONG* type) = 0;                         // 10
  virtual HRESULT __stdcall IsEmpty(LONG* empty) = 0;                            // 11
  // Both take ownership of a two-dimensional array; a null array changes nothing.
  virtual HRESULT __stdcall __SetPSA(SAFEARRAY* array) = 0;                      // 12
  virtual HRESULT __stdcall __SetPSAOfType(SAFEARRAY* array, LONG type) = 0;     // 13
  virtual HRESULT __stdcall GetBounds(LONG* rows, LONG* columns) = 0;            // 14
  virtual HRESULT __stdcall SaveToFile(BSTR file_name, VARIANT_BOOL* done) = 0;            // 15
  virtual HRESULT __stdcall LoadFromFile(BSTR file_name, VARIANT_BOOL* done) = 0;          // 16
  virtual HRESULT __stdcall LoadFromFileAsStream(BSTR file_name, VARIANT_BOOL* done) = 0;  // 17
  virtual HRESULT __stdcall SaveToFileAsStream(BSTR file_name, VARIANT_BOOL* done) = 0;    // 18
  virtual HRESULT __stdcall GetValue(LONG row, LONG column, VARIANT* value) = 0;           // 19
};

}  // namespace automation
