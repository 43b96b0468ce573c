// The owning collection that every list of the object model builds on: items in order, each
// item knowing its collection, a factory in place of an item class.
#pragma once

#include <functional>
#include <vector>

namespace config {

class Collection;

// One item of a Collection. Destroying an item removes it from its collection, so a list
// never holds a dead item whichever way the item goes.
class CollectionItem {
 public:
  virtual ~CollectionItem();
  CollectionItem(const CollectionItem&) = delete;
  CollectionItem& operator=(const CollectionItem&) = delete;

  Collection* GetCollection() const { return collection_; }
  // Position in the collection, -1 when the item belongs to none.
  int Index() const;
  // Moves the item to the end of another collection (null: to none). The item stays alive.
  void SetCollection(Collection* collection);

  // Copies the description of another item of the same kind (Collection::Assign uses it).
  // The base has nothing to copy and refuses.
  virtual void Assign(const CollectionItem& source);

 protected:
  // Joins the collection at its end (none when null).
  explicit CollectionItem(Collection* collection);

 private:
  friend class Collection;
  // The collection lets go of the item (Clear, Delete, destruction of the collection): the
  // plain item is destroyed; an item that others may still hold overrides this.
  virtual void ReleasedByCollection();

  Collection* collection_ = nullptr;
};

class Collection {
 public:
  // Makes one new item inside the given collection (the "item class").
  using ItemFactory = std::function<CollectionItem*(Collection& owner)>;
  enum class Notification { kAdded, kExtracting, kDeleting };

  explicit Collection(ItemFactory factory);
  virtual ~Collection();
  Collection(const Collection&) = delete;
  Collection& operator=(const Collection&) = delete;

  int Count() const { return static_cast<int>(items_.size()); }
  // Throws a coded error for an index outside 0..Count-1.
  CollectionItem* Item(int index) const;
  // The item as the type the factory makes.
  template <typename T>
  T* ItemAs(int index) const {
    return static_cast<T*>(Item(index));
  }
  int IndexOf(const CollectionItem* item) const;

  // A new item at the end, made by the factory.
  CollectionItem* Add();
  // A new item at the given position (0..Count).
  CollectionItem* Insert(int index);
  // Lets go of the item at the index (see CollectionItem::ReleasedByCollection).
  void Delete(int index);
  // Lets go of every item, last first.
  void Clear();
  // Clear, then one new item per source item, each assigned from its counterpart.
  void Assign(const Collection& source);

 protected:
  // Hook for descendants: an item was added, is being taken out, or is being deleted
  // through Delete (Clear and destruction do not report kDeleting).
  virtual void Notify(CollectionItem* item, Notification action) {}

 private:
  friend class CollectionItem;
  void InsertItem(CollectionItem* item, int index);
  void RemoveItem(CollectionItem* item);

  ItemFactory factory_;
  std::vector<CollectionItem*> items_;
};

}  // namespace config
