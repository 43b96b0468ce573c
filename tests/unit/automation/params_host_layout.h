// Parameter blocks built byte by byte as the host lays them out, with a foreign class table
// whose destructor records its calls, host-owned storage and host 8-bit strings.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "framework/automation/params.h"

namespace params_test {

// Every call of the host's block destructor: the object (EAX) and the flag (DL).
struct DestructorCall {
  void* object;
  int32_t flag;
};
inline std::vector<DestructorCall>& HostDestructorCalls() {
  static std::vector<DestructorCall> calls;
  return calls;
}
inline void __attribute__((regparm(2))) HostDestructor(void* object, int32_t flag) {
  HostDestructorCalls().push_back({object, flag});
}

// The host's class table: name at T-44, destructor at T-4.
struct HostClassTable {
  const unsigned char* name;
  const void* reserved[9];
  automation::BlockDestructor destructor;
  const void* first_slot;
};
inline const unsigned char kHostClassName[] = "\x0BTHostParams";
inline const HostClassTable kHostClassTable = {kHostClassName, {}, &HostDestructor, nullptr};

// 72 raw bytes with the host's class reference; nothing in it was made by the module.
struct HostBlock {
  alignas(8) unsigned char bytes[72] = {};
  HostBlock() {
    const void* ref = &kHostClassTable.first_slot;
    std::memcpy(bytes, &ref, sizeof ref);
  }
  automation::TParams* get() { return reinterpret_cast<automation::TParams*>(bytes); }
};

// A host 8-bit string: count at -8, length at -4, characters, zero byte.
struct HostString {
  std::vector<char> bytes;
  HostString(const std::string& text, int32_t ref_count) : bytes(8 + text.size() + 1, '\0') {
    int32_t length = static_cast<int32_t>(text.size());
    std::memcpy(bytes.data(), &ref_count, 4);
    std::memcpy(bytes.data() + 4, &length, 4);
    std::memcpy(bytes.data() + 8, text.data(), text.size());
  }
  char* chars() { return bytes.data() + 8; }
  int32_t ref_count() const {
    int32_t count;
    std::memcpy(&count, bytes.data(), 4);
    return count;
  }
  VARIANT AsVariant() {
    VARIANT v;
    VariantInit(&v);
    v.vt = 0x0100;
    v.pcVal = chars();
    return v;
  }
};

// Own storage that the host allocated: a record and 50 values in call order.
struct HostOwnStorage {
  DISPPARAMS record = {};
  VARIANT values[50] = {};
  explicit HostOwnStorage(automation::TParams* block) {
    record.rgvarg = values;
    block->Storage = &record;
    block->OwnsStorage = 1;
  }
  void Push(const VARIANT& v) { values[record.cArgs++] = v; }
};

inline VARIANT Int(LONG value) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = value;
  return v;
}
// A BSTR value; the test owns it (free it or hand it to the block).
inline VARIANT Text(const wchar_t* text) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BSTR;
  v.bstrVal = SysAllocString(text);
  return v;
}
inline std::wstring TextOf(const VARIANT& v) {
  return v.vt == VT_BSTR && v.bstrVal ? std::wstring(v.bstrVal, SysStringLen(v.bstrVal))
                                      : std::wstring(L"<vt ") + std::to_wstring(v.vt) + L">";
}

}  // namespace params_test
