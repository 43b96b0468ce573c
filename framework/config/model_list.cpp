// Reading the model and parameter descriptions from the configuration document.
#include "framework/config/model_list.h"

#include "framework/config/global_id.h"
#include "framework/config/xml_names.h"
#include "framework/win/text.h"

namespace config {

namespace {

// Fills a parameter description from a "Параметр" element; the value comes from the given
// attribute (the default for a model's parameters, "Зна4ение" for a stored list).
void ReadParameter(TParameterItem& item, XmlNode& element, int value_attribute) {
  item.SetParamName(GetAttributeByTag(element, kAttrIdentifier, L""));
  item.SetParamDescription(GetAttributeByTag(element, kAttrName, L""));
  item.SetParamType(GetAttributeByTag(element, kAttrType, L""));
  item.SetParamDefault(GetAttributeByTag(element, kAttrDefault, L""));
  item.SetParamValue(GetAttributeByTag(element, value_attribute, L""));
  item.SetParamHint(GetAttributeByTag(element, kAttrHint, L""));
  item.SetParamReadOnly(GetAttributeInteger(element, kAttrReadOnly, 0));
}

CollectionItem* NewParameter(Collection& owner) {
  return new TParameterItem(static_cast<TBaseList&>(owner));
}

CollectionItem* NewModel(Collection& owner) {
  return new TModelItem(static_cast<TBaseList&>(owner));
}

}  // namespace

TParameterList::TParameterList(const VARIANT& document) : TBaseList(&NewParameter, document) {}

TParameterList::TParameterList(TModelItem* owner_model, TBaseList* parent, XmlNode document)
    : TBaseList(parent, std::move(document), &NewParameter), OwnerModel(owner_model) {}

void TParameterList::Load() {
  if (OwnerModel && OwnerModel->State == 1) return;
  XmlNode list = SelectNodesByTag(Document, kPathModelParams, L"", L"");
  for (XmlNode& element : NodeListItems(list)) {
    TParameterItem* item = AddItem();
    item->Node = element;
    ReadParameter(*item, element, kAttrValue);
    item->SetModified(false);
  }
}

TParameterItem* TParameterList::FindByName(std::wstring_view name) const {
  std::string wanted = win::WideToAnsi(name);
  for (int i = 0; i < Count(); ++i) {
    std::string have = win::WideToAnsi(Items(i)->FParamName);
    if (CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, have.data(),
                       static_cast<int>(have.size()), wanted.data(),
                       static_cast<int>(wanted.size())) == CSTR_EQUAL)
      return Items(i);
  }
  return nullptr;
}

TModelItem::TModelItem(TBaseList& owner) : TBaseItem(owner) {
  auto parameters = std::make_unique<TParameterList>(this, &owner, owner.Document);
  parameters->OnChange = [this](TBaseList&) {
    if (OnChange) OnChange();
  };
  Children = std::move(parameters);
}

void TModelItem::SetModelCode(const GUID& value) {
  bool changed = !SameGlobalId(ModelCode, value);
  ModelCode = value;
  AfterSet(changed);
}

void TModelItem::LoadChildren() {
  TParameterList& parameters = Parameters();
  parameters.Clear();
  if (State == 1) return;
  XmlNode list = SelectNodesByTag(Node, kPathModelParams, L"", L"");
  for (XmlNode& element : NodeListItems(list)) {
    TParameterItem* item = parameters.AddItem();
    item->Node = element;
    ReadParameter(*item, element, kAttrDefault);
  }
}

TModelList::TModelList(const VARIANT& document) : TBaseList(&NewModel, document) {}

void TModelList::Load() {
  auto [model_predicate, class_predicate] = BuildPredicates();
  XmlNode selected = SelectNodesByTag(Document, kPathFilteredModels, model_predicate,
                                      class_predicate);
  std::vector<XmlNode> elements = NodeListItems(selected);
  if (elements.empty() && model_predicate.empty() && class_predicate.empty()) {
    XmlNode anywhere = SelectNodesByTag(Document, kPathAnyModel, L"", L"");
    elements = NodeListItems(anywhere);
  }
  for (XmlNode& element : elements) {
    // The code is read before the item exists: an invalid one ends the load without
    // leaving a half-read model behind.
    GUID code = GlobalIdFromText(GetAttributeByTag(element, kAttrCode, L""));
    TModelItem* item = static_cast<TModelItem*>(Add());
    item->Node = element;
    item->SetModelCode(code);
    item->SetIdentifier(GetAttributeByTag(element, kAttrIdentifier, L""));
    item->SetLibrary(GetAttributeByTag(element, kAttrLibrary, L""));
    item->SetName(GetAttributeByTag(element, kAttrName, L""));
    XmlNode parent = element.GetObject(L"parentNode");
    item->SetClassIdentifier(GetAttributeByTag(parent, kAttrIdentifier, L""));
    item->SetUsesHB(GetAttributeInteger(element, kAttrUsesHB, 0));
    item->Version = GetAttributeInteger(element, kAttrVersion, 0);
    if (!item->SetItemState(GetAttributeInteger(element, kAttrState, 0))) continue;
    item->SetPluVersion(GetAttributeByTag(element, kAttrPluVersion, L""));
    item->SetRelease(GetAttributeInteger(element, kAttrRelease, 0));
    item->SetModified(false);
    item->LoadChildren();
  }
  ClearFilter();
}

TModelItem* TModelList::FindByModelCode(const GUID& code) {
  for (int i = Count() - 1; i >= 0; --i) {
    TModelItem* item = Items(i);
    if (SameGlobalId(item->ModelCode, code) && (item->State != 1 || IncludeDeleted)) {
      item->OwnerList = this;
      return item;
    }
  }
  return nullptr;
}

std::unique_ptr<TModelList> CreateModelList(const VARIANT& document, std::wstring_view code,
                                            std::wstring_view identifier,
                                            std::wstring_view library,
                                            std::wstring_view class_identifier,
                                            std::wstring_view name, std::wstring_view state) {
  auto list = std::make_unique<TModelList>(document);
  const int indices[] = {kAttrCode, kAttrIdentifier, kAttrLibrary, kAttrClassIdKey, kAttrName,
                         kAttrState};
  const std::wstring values[] = {std::wstring(code),  std::wstring(identifier),
                                 std::wstring(library), std::wstring(class_identifier),
                                 std::wstring(name),  std::wstring(state)};
  list->SetFilter(indices, values);
  list->Load();
  list->ClearModified();
  list->ClearFilter();
  return list;
}

}  // namespace config
