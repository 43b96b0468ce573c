// One named parameter of a device or a model: its description and its value as stored text.
#pragma once

#include <string>
#include <string_view>

#include "framework/config/table_records.h"
#include "framework/win/scoped_variant.h"

namespace config {

// The type text the host is shown for a parameter type: "Integer" gives "Число", "Boolean"
// "Boolean", "String" "Строка" (ignoring case); any other type gives the empty text.
std::wstring HostTypeText(std::wstring_view type);

class TPropItem {
 public:
  TPropItem() = default;

  const std::wstring& NameRu() const { return name_ru_; }
  void SetNameRu(std::wstring_view name) { name_ru_ = name; }
  const std::wstring& NameEn() const { return name_en_; }
  void SetNameEn(std::wstring_view name) { name_en_ = name; }
  const std::wstring& Caption() const { return caption_; }
  void SetCaption(std::wstring_view caption) { caption_ = caption; }
  const std::wstring& TypeName() const { return type_name_; }
  void SetTypeName(std::wstring_view type_name) { type_name_ = type_name; }
  bool ReadOnly() const { return read_only_; }
  void SetReadOnly(bool read_only) { read_only_ = read_only; }
  const std::wstring& DefaultValue() const { return default_value_; }
  void SetDefaultValue(std::wstring_view value) { default_value_ = value; }
  const std::wstring& Description() const { return description_; }
  // Cut to kDescriptionMax characters, the length the host's records hold.
  void SetDescription(std::wstring_view description);

  // The value in its stored one-line form (line breaks written as backslash-n).
  const std::wstring& GetValue() const { return value_; }
  void SetValue(std::wstring_view stored) { value_ = stored; }

  // Copies the description and sets Value to the source's default, not to its value: a new
  // device starts with every parameter of its model at the default.
  void Assign(const TPropItem& source);
  // Takes the description from a table record and sets Value to its default.
  void LoadEntry(const PropertyEntry& entry);

  // Value, or DefaultValue, converted by TypeName: a VT_I4 for "Integer", a VT_R8 for
  // "Double" and "Число", a VT_BOOL for "Boolean", otherwise the unescaped text as VT_BSTR.
  win::ScopedVariant TypedValue() const;
  win::ScopedVariant TypedDefault() const;

  // The type as the host is shown it: "Число", "Boolean", "Строка", or empty.
  std::wstring HostTypeName() const;

 private:
  win::ScopedVariant ConvertByType(const std::wstring& text) const;

  std::wstring name_ru_;
  std::wstring name_en_;
  std::wstring caption_;
  std::wstring type_name_;
  bool read_only_ = false;
  std::wstring default_value_;
  std::wstring description_;
  std::wstring value_;
};

}  // namespace config
