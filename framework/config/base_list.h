// The bases of the model and parameter descriptions: a list bound to an XML document with
// an attribute filter that becomes XPath predicates, and items that remember the element
// they came from and track a modified state.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "framework/config/collection.h"
#include "framework/config/xml_document.h"

namespace config {

class TBaseList;

class TBaseItem : public CollectionItem {
 public:
  int32_t State = 0;  // 0 normal, 1 deleted
  bool Modified = false;
  // The owning list's change notification.
  std::function<void()> OnChange;
  std::unique_ptr<TBaseList> Children;
  TBaseList* OwnerList;
  XmlNode Node;
  int32_t Version = 0;

  virtual void SetModified(bool value);
  // Reads the item's children from its Node; only descendants that have children know how.
  virtual void LoadChildren();
  bool IsModified() const;
  // Stores the state. A deleted item that was never stored (Version -1) destroys itself at
  // once: the result is false then, and the caller must not touch the item again.
  [[nodiscard]] bool SetItemState(int32_t state);

 protected:
  explicit TBaseItem(TBaseList& owner);

  // The setters' common ending: modified when the value changed, otherwise as it was.
  void AfterSet(bool changed);
  // Texts compare as 8-bit texts under the user's locale.
  void SetTextField(std::wstring& field, std::wstring_view value, bool ignore_case);
  void SetNumberField(int32_t& field, int32_t value);
};

class TBaseList : public Collection {
 public:
  // name = attribute table index in decimal, or "_" and an index for the class element.
  using FilterList = std::vector<std::pair<std::wstring, std::wstring>>;

  TBaseList(ItemFactory factory, const VARIANT& document);
  TBaseList(TBaseList* parent, XmlNode document, ItemFactory factory);
  ~TBaseList() override;

  std::function<void(TBaseList& sender)> OnChange;
  bool Modified = false;
  TBaseList* ParentList = nullptr;
  FilterList Filter;
  XmlNode Document;
  bool IncludeDeleted = true;

  // Text is parsed into a new document (error 20023 when it does not parse, and the list
  // keeps its document); a DOM object is kept as it is; anything else leaves none.
  void SetDocument(const VARIANT& document);
  // The two arrays must be of equal length, else error 20000 and the filter is unchanged.
  // Empty values and "*" add no condition.
  void SetFilter(std::span<const int> indices, std::span<const std::wstring> values);
  // The model predicate and the class predicate, each "[...]" or empty.
  std::pair<std::wstring, std::wstring> BuildPredicates() const;
  void ClearFilter() { Filter.clear(); }
  bool IsModified() const;
  void ClearModified();
  virtual void Load() {}

  // The list's change notification: fires OnChange with the list as sender.
  void Changed();
  TBaseItem* BaseItem(int index) const { return static_cast<TBaseItem*>(Item(index)); }

 protected:
  void Notify(CollectionItem* item, Notification action) override;
};

}  // namespace config
