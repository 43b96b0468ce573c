// The records of the compiled-in method, property and device parameter tables.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace config {

// Length limits of the record texts. The host's own records have these limits, and texts
// read from outside into parameter descriptions are cut to them (device parameter tables).
constexpr std::size_t kMethodNameMax = 200;
constexpr std::size_t kPropertyNameMax = 100;  // NameRu, NameEn and Caption
constexpr std::size_t kTypeNameMax = 10;
constexpr std::size_t kDefaultValueMax = 255;
constexpr std::size_t kDescriptionMax = 255;

// The caller is whatever the dispatcher was given: null, a host task object, or the plug-in
// object itself; handlers find the plug-in object and the serving device from it. `args` is
// a one-dimensional SAFEARRAY of VARIANT, lower bound 0, ParamCount elements, owned by the
// dispatcher; the handler may change elements and the dispatcher returns them to the host.
// Handlers may throw; the dispatcher's boundary converts.
using MethodHandler = void (*)(void* caller, SAFEARRAY* args, VARIANT& result);
// Reads (is_set false: assign `value`, or leave it empty when there is nothing to report)
// or writes (is_set true: `value` is the new value) the property. `name` is the entry's
// NameRu, so one handler can serve several entries.
using PropertyHandler = void (*)(void* caller, bool is_set, VARIANT& value,
                                 std::wstring_view name);

// One entry of a method table. Name holds two names joined by the first comma, either of
// which the host may use; the second may be empty ("ЗаписатьДанные,").
struct MethodEntry {
  std::wstring_view Name;
  std::int8_t ParamCount;
  MethodHandler Handler;

  // The text before the first comma, or the whole Name when it has none.
  constexpr std::wstring_view FirstName() const {
    return Name.substr(0, Name.find(L','));
  }
  // The text after the first comma; empty when there is no comma.
  constexpr std::wstring_view SecondName() const {
    const std::size_t comma = Name.find(L',');
    return comma == std::wstring_view::npos ? std::wstring_view() : Name.substr(comma + 1);
  }
  // Whether `name` equals either half ignoring case under `locale`. An empty name matches
  // nothing, although the second half of an entry may be empty.
  bool Matches(std::wstring_view name, LCID locale) const;
};

// One entry of a property table, or the description of one device parameter.
struct PropertyEntry {
  std::wstring_view NameRu;
  std::wstring_view NameEn;  // may be empty
  std::wstring_view Caption;
  std::wstring_view TypeName;
  // Not assignable through the dispatcher. A plain field like the rest: a table kept as
  // writable data can have it set at run time (one common property becomes read-only once
  // the host hands over its event support).
  bool ReadOnly;
  std::wstring_view DefaultValue;
  std::wstring_view Description;
  PropertyHandler Handler;  // null for device parameter descriptions that no call runs

  // Whether `name` equals NameRu or NameEn ignoring case under the user's locale; an empty
  // name matches nothing.
  bool Matches(std::wstring_view name) const;
};

constexpr bool WithinLimits(const MethodEntry& entry) {
  return entry.Name.size() <= kMethodNameMax;
}
constexpr bool WithinLimits(const PropertyEntry& entry) {
  return entry.NameRu.size() <= kPropertyNameMax && entry.NameEn.size() <= kPropertyNameMax &&
         entry.Caption.size() <= kPropertyNameMax && entry.TypeName.size() <= kTypeNameMax &&
         entry.DefaultValue.size() <= kDefaultValueMax &&
         entry.Description.size() <= kDescriptionMax;
}
// For a static_assert beside each table: the texts fit the host's limits.
template <typename Entry, std::size_t N>
constexpr bool AllWithinLimits(const Entry (&table)[N]) {
  for (const Entry& entry : table) {
    if (!WithinLimits(entry)) return false;
  }
  return true;
}

}  // namespace config
