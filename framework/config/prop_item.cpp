// One named parameter of a device or a model.
#include "framework/config/prop_item.h"

#include <cstdint>

#include "framework/config/formats.h"
#include "framework/config/name_compare.h"
#include "framework/config/utilities.h"

namespace config {
namespace {

// The module's number formats use "," as decimal separator from start-up on and never change.
constexpr wchar_t kDecimalSeparator = L',';

// A decimal integer with an optional sign, within 32 bits; false for anything else.
bool DecimalToInt(std::wstring_view text, LONG& value) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) negative = text[i++] == L'-';
  if (i == text.size()) return false;
  std::int64_t result = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < L'0' || text[i] > L'9') return false;
    result = result * 10 + (text[i] - L'0');
    if (result > 2147483648LL) return false;
  }
  if (negative) result = -result;
  if (result > 2147483647LL) return false;
  value = static_cast<LONG>(result);
  return true;
}

}  // namespace

void TPropItem::SetDescription(std::wstring_view description) {
  description_ = description.substr(0, kDescriptionMax);
}

void TPropItem::Assign(const TPropItem& source) {
  if (this == &source) {
    value_ = default_value_;
    return;
  }
  name_ru_ = source.name_ru_;
  name_en_ = source.name_en_;
  caption_ = source.caption_;
  type_name_ = source.type_name_;
  read_only_ = source.read_only_;
  default_value_ = source.default_value_;
  description_ = source.description_;
  value_ = source.default_value_;
}

void TPropItem::LoadEntry(const PropertyEntry& entry) {
  name_ru_ = entry.NameRu;
  name_en_ = entry.NameEn;
  caption_ = entry.Caption;
  type_name_ = entry.TypeName;
  read_only_ = entry.ReadOnly;
  default_value_ = entry.DefaultValue;
  SetDescription(entry.Description);
  value_ = entry.DefaultValue;
}

win::ScopedVariant TPropItem::TypedValue() const { return ConvertByType(value_); }

win::ScopedVariant TPropItem::TypedDefault() const { return ConvertByType(default_value_); }

win::ScopedVariant TPropItem::ConvertByType(const std::wstring& text) const {
  if (SameName(type_name_, L"Integer")) {
    LONG fallback = 0;
    if (!DecimalToInt(default_value_, fallback)) fallback = 0;
    LONG result = 0;
    return win::ScopedVariant::FromInt(DecimalToInt(text, result) ? result : fallback);
  }
  if (SameName(type_name_, L"Double") || SameName(type_name_, L"Число")) {
    // The value may have been typed with either separator; the default is read as it is.
    std::wstring normalised = text;
    for (wchar_t& c : normalised) {
      if (c == L'.' || c == L',') c = kDecimalSeparator;
    }
    double fallback = 0;
    if (!TextToFloat(default_value_, fallback)) fallback = 0;
    double result = 0;
    return win::ScopedVariant::FromDouble(TextToFloat(normalised, result) ? result : fallback);
  }
  if (SameName(type_name_, L"Boolean")) {
    // Only "True" counts; "1" is false here, unlike the device's own boolean reading.
    return win::ScopedVariant::FromBool(SameName(text, L"True"));
  }
  return win::ScopedVariant::FromText(EscapeText(text, false));
}

std::wstring HostTypeText(std::wstring_view type) {
  if (SameName(type, L"Integer")) return L"Число";
  if (SameName(type, L"Boolean")) return L"Boolean";
  if (SameName(type, L"String")) return L"Строка";
  return std::wstring();
}

std::wstring TPropItem::HostTypeName() const { return HostTypeText(type_name_); }

}  // namespace config
