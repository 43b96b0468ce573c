// The parameters of one device or model.
#include "framework/config/prop_list.h"

#include "framework/config/name_compare.h"
#include "framework/services/exceptions.h"

namespace config {

TPropItem& TPropList::Add() {
  items_.push_back(std::make_unique<TPropItem>());
  return *items_.back();
}

TPropItem& TPropList::Items(int index) {
  return const_cast<TPropItem&>(static_cast<const TPropList&>(*this).Items(index));
}

const TPropItem& TPropList::Items(int index) const {
  if (index < 0 || index >= Count()) {
    services::RaisePlain(L"Индекс списка вне границ (" + std::to_wstring(index) + L")");
  }
  return *items_[static_cast<std::size_t>(index)];
}

void TPropList::Assign(const TPropList& source) {
  if (this == &source) {
    for (auto& item : items_) item->Assign(*item);
    return;
  }
  // Built aside first, so that a failure leaves this list as it was.
  std::vector<std::unique_ptr<TPropItem>> copies;
  copies.reserve(source.items_.size());
  for (const auto& item : source.items_) {
    copies.push_back(std::make_unique<TPropItem>());
    copies.back()->Assign(*item);
  }
  items_.swap(copies);
}

TPropItem* TPropList::Find(std::wstring_view name) {
  return const_cast<TPropItem*>(static_cast<const TPropList&>(*this).Find(name));
}

const TPropItem* TPropList::Find(std::wstring_view name) const {
  for (const auto& item : items_) {
    if (SameName(name, item->NameRu()) || SameName(name, item->NameEn())) return item.get();
  }
  return nullptr;
}

std::wstring TPropList::GetValueByName(std::wstring_view name) const {
  const TPropItem* item = Find(name);
  return item ? item->GetValue() : std::wstring();
}

void TPropList::SetValueByName(std::wstring_view name, std::wstring_view stored) {
  if (name.empty()) return;
  TPropItem* item = Find(name);
  if (!item) {
    item = &Add();
    item->SetNameRu(name);
  }
  item->SetValue(stored);
}

void TPropList::SetValuesFromList(const std::vector<std::wstring>& lines) {
  for (const std::wstring& line : lines) {
    const std::size_t equals = line.find(L'=');
    if (equals == std::wstring::npos || equals == 0) continue;
    SetValueByName(std::wstring_view(line).substr(0, equals),
                   std::wstring_view(line).substr(equals + 1));
  }
}

void TPropList::AddOrUpdateEntry(const PropertyEntry& entry) {
  TPropItem* item = Find(entry.NameRu);
  if (!item) item = &Add();
  item->LoadEntry(entry);
}

}  // namespace config
