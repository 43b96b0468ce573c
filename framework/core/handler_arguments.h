// What the common handlers share: their arguments as local copies that are written back on
// request, results, and value conversions under the module's formats.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "framework/win/scoped_variant.h"

namespace devices {
class TDevicesList;
}

namespace core {

// Result codes that the command handlers produce themselves.
inline constexpr int32_t kNoDevice = 3;    // no device serves the call, or none has that number
inline constexpr int32_t kWrongKind = 4;   // an argument of the wrong kind
inline constexpr int32_t kBadValue = 5;    // an argument of the right kind but unusable
inline constexpr int32_t kEmptyTable = 6;  // a value table without rows

// The device list of the plug-in object behind the caller.
devices::TDevicesList& DevicesOf(void* caller);

// The handler's own copies of the dispatcher's argument array. Changes reach the host only
// through WriteBack: a handler that fails half-way leaves the host's arguments as they were.
class HandlerArguments {
 public:
  // Copies `count` elements; elements the array lacks read as Empty.
  HandlerArguments(SAFEARRAY* args, std::size_t count);

  const VARIANT& operator[](std::size_t i) const { return values_.at(i).Get(); }
  win::ScopedVariant& At(std::size_t i) { return values_.at(i); }
  // Stores the local copy of element i into the dispatcher's array.
  void WriteBack(std::size_t i);

 private:
  SAFEARRAY* args_;
  std::vector<win::ScopedVariant> values_;
};

// Replaces whatever `target` held.
void Assign(VARIANT& target, win::ScopedVariant value);
void AssignInt(VARIANT& target, int32_t value);

// Conversions through the platform's variant conversion; a value that does not convert
// raises the conversion failure, naming `what`.
int32_t ToInteger(const VARIANT& value, const wchar_t* what);
std::wstring ToText(const VARIANT& value, const wchar_t* what);

}  // namespace core
