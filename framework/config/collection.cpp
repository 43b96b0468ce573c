// The owning collection: insertion, removal and the hand-over of items on Clear.
#include "framework/config/collection.h"

#include <algorithm>

#include "framework/services/exceptions.h"

namespace config {

CollectionItem::CollectionItem(Collection* collection) {
  if (collection) collection->InsertItem(this, collection->Count());
}

CollectionItem::~CollectionItem() {
  if (collection_) collection_->RemoveItem(this);
}

int CollectionItem::Index() const { return collection_ ? collection_->IndexOf(this) : -1; }

void CollectionItem::SetCollection(Collection* collection) {
  if (collection == collection_) return;
  if (collection_) collection_->RemoveItem(this);
  if (collection) collection->InsertItem(this, collection->Count());
}

void CollectionItem::Assign(const CollectionItem&) {
  services::RaiseText(L"Невозможно скопировать элемент коллекции");
}

void CollectionItem::ReleasedByCollection() { delete this; }

Collection::Collection(ItemFactory factory) : factory_(std::move(factory)) {}

Collection::~Collection() { Clear(); }

CollectionItem* Collection::Item(int index) const {
  if (index < 0 || index >= Count())
    services::RaiseText(L"Индекс элемента коллекции за пределами границы: " +
                        std::to_wstring(index));
  return items_[index];
}

int Collection::IndexOf(const CollectionItem* item) const {
  auto it = std::find(items_.begin(), items_.end(), item);
  return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

CollectionItem* Collection::Add() {
  CollectionItem* item = factory_(*this);
  // A factory may make its item without a collection; it joins this one either way.
  if (item->GetCollection() != this) item->SetCollection(this);
  return item;
}

CollectionItem* Collection::Insert(int index) {
  if (index < 0 || index > Count())
    services::RaiseText(L"Индекс элемента коллекции за пределами границы: " +
                        std::to_wstring(index));
  CollectionItem* item = Add();
  auto it = std::find(items_.begin(), items_.end(), item);
  std::rotate(items_.begin() + index, it, it + 1);
  return item;
}

void Collection::Delete(int index) {
  CollectionItem* item = Item(index);
  Notify(item, Notification::kDeleting);
  item->ReleasedByCollection();
  // An item that survives (someone holds it) must not stay listed.
  if (IndexOf(item) >= 0) RemoveItem(item);
}

void Collection::Clear() {
  while (!items_.empty()) {
    CollectionItem* item = items_.back();
    item->ReleasedByCollection();
    if (!items_.empty() && items_.back() == item) RemoveItem(item);
  }
}

void Collection::Assign(const Collection& source) {
  if (&source == this) return;
  Clear();
  for (CollectionItem* from : source.items_) Add()->Assign(*from);
}

void Collection::InsertItem(CollectionItem* item, int index) {
  items_.insert(items_.begin() + index, item);
  item->collection_ = this;
  Notify(item, Notification::kAdded);
}

void Collection::RemoveItem(CollectionItem* item) {
  Notify(item, Notification::kExtracting);
  auto it = std::find(items_.begin(), items_.end(), item);
  if (it != items_.end()) items_.erase(it);
  item->collection_ = nullptr;
}

}  // namespace config
