// The parameters of one device or model: an owning, ordered list of property items.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "framework/config/prop_item.h"
#include "framework/config/table_records.h"

namespace config {

class TPropList {
 public:
  TPropList() = default;
  TPropList(const TPropList&) = delete;
  TPropList& operator=(const TPropList&) = delete;

  // Appends a new empty item and returns it; the list owns it.
  TPropItem& Add();
  int Count() const { return static_cast<int>(items_.size()); }
  // Raises an error for an index outside 0 to Count() - 1.
  TPropItem& Items(int index);
  const TPropItem& Items(int index) const;
  void Clear() { items_.clear(); }
  // Replaces the items with one per source item, each copied by TPropItem::Assign, so the
  // copies hold the source's defaults as their values.
  void Assign(const TPropList& source);

  // The first item whose NameRu or NameEn equals the name ignoring case under the user's
  // locale, or null. An empty name finds nothing.
  TPropItem* Find(std::wstring_view name);
  const TPropItem* Find(std::wstring_view name) const;
  // The found item's stored value, or the empty text.
  std::wstring GetValueByName(std::wstring_view name) const;
  // Sets the found item's stored value, or appends an item with only NameRu and Value set.
  // An empty name changes nothing: such an item could never be found again.
  void SetValueByName(std::wstring_view name, std::wstring_view stored);
  // SetValueByName for every "name=value" line in order (the name ends at the first "=").
  // A line without "=" or with an empty name is skipped.
  void SetValuesFromList(const std::vector<std::wstring>& lines);
  // Updates the item that matches the record's NameRu by either of its names, or appends
  // one, and loads the record into it (value := the record's default).
  void AddOrUpdateEntry(const PropertyEntry& entry);

 private:
  std::vector<std::unique_ptr<TPropItem>> items_;
};

}  // namespace config
