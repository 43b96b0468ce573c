// The model list: registration of the base model and of the host's registered models, and
// the parameter documents of a model.
#include "framework/devices/model_plu_list.h"

#include <vector>

#include "framework/automation/identifiers.h"
#include "framework/config/documents.h"
#include "framework/config/global_id.h"
#include "framework/config/utilities.h"
#include "framework/services/exceptions.h"

namespace devices {
namespace {

constexpr wchar_t kPrefixSuffix[] = L" №";

bool IsNullGuid(const GUID& id) { return config::SameGlobalId(id, GUID{}); }

std::wstring OwnFileName() {
  std::wstring path = config::ModuleLongFileName(false);
  size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::vector<config::ParameterDescription> Descriptions(const config::TPropList& params) {
  std::vector<config::ParameterDescription> descriptions;
  for (int i = 0; i < params.Count(); ++i) {
    const config::TPropItem& p = params.Items(i);
    descriptions.push_back({p.NameRu(), p.Caption(), p.TypeName(), p.ReadOnly(),
                            p.DefaultValue(), p.Description()});
  }
  return descriptions;
}

}  // namespace

TModelPluItem::TModelPluItem(config::Collection* collection)
    : TCollectionItemInterface(collection) {
  interface_.lpVtbl = &kPluModelVtbl;
  interface_.owner = this;
}

TModelPluList* TModelPluItem::OwnerList() const {
  return static_cast<TModelPluList*>(GetCollection());
}

TModelPluItem* TModelPluItem::FromInterface(IPluModel* model) {
  return static_cast<Embedded*>(model)->owner;
}

void* TModelPluItem::InterfaceFor(REFIID iid) {
  // Both identifiers get the same table: hosts ask for either.
  if (IsEqualIID(iid, automation::kIidPluModel) || IsEqualIID(iid, automation::kIidModelItem))
    return &interface_;
  return TCollectionItemInterface::InterfaceFor(iid);
}

std::wstring TModelPluItem::ParametersText() const {
  return config::ParameterListText(Descriptions(Params));
}

win::ScopedVariant TModelPluItem::ParametersDocument() const {
  config::XmlNode document = config::WriteModelParametersDocument(Descriptions(Params));
  return win::ScopedVariant::FromDispatch(document.Get());
}

TModelPluList::TModelPluList(ModelDeviceOperations* device_list)
    : config::Collection([](config::Collection& owner) { return new TModelPluItem(&owner); }),
      DeviceList(device_list),
      library_name_(OwnFileName()) {
  MakeCurrent(static_cast<TModelPluItem*>(Add()));
}

void TModelPluList::MakeCurrent(TModelPluItem* item) {
  Current = item;
  CurrentIndex = IndexOf(item);
}

void TModelPluList::Select(int32_t index) {
  if (index < 0 || index >= Count()) services::RaiseText(L"Недопустимый индекс модели");
  MakeCurrent(Items(index));
}

TModelPluItem* TModelPluList::FindById(const GUID& id) const {
  for (int i = 0; i < Count(); ++i) {
    TModelPluItem* item = Items(i);
    if (config::SameGlobalId(item->ModelId, id) || IsNullGuid(item->ModelId)) return item;
  }
  return nullptr;
}

void TModelPluList::RegisterBaseModel(const GUID& model_id, std::wstring_view name,
                                      int32_t value1, int32_t value2, int32_t value3,
                                      int32_t value4, int32_t uses_hb,
                                      std::wstring_view device_name_prefix,
                                      std::wstring_view identifier,
                                      std::wstring_view class_short_name,
                                      std::wstring_view class_name) {
  TModelPluItem* item = FindById(model_id);
  if (!item) item = static_cast<TModelPluItem*>(Add());
  item->ModelId = model_id;
  item->ModelName = name;
  item->ModelValue1 = value1;
  item->ModelValue2 = value2;
  item->ModelValue3 = value3;
  item->ModelValue4 = value4;
  item->UsesHB = uses_hb;
  item->DeviceNamePrefix =
      device_name_prefix.empty() ? std::wstring(name) + kPrefixSuffix : std::wstring(device_name_prefix);
  item->Identifier = identifier;
  item->ClassShortName = class_short_name;
  item->ClassName = class_name;
  MakeCurrent(item);
}

bool TModelPluList::RegisterModel(const GUID& model_id, std::wstring_view name,
                                  std::wstring_view identifier,
                                  std::wstring_view device_name_prefix, int32_t uses_hb) {
  if (Count() == 0) services::RaiseText(L"Не зарегистрирована базовая модель");
  TModelPluItem* item = FindById(model_id);
  if (!item) item = static_cast<TModelPluItem*>(Add());
  bool changed = item->Index() != 0;
  if (changed) {
    const TModelPluItem* base = Items(0);
    item->ModelId = model_id;
    item->ModelName = name;
    item->UsesHB = uses_hb;
    item->DeviceNamePrefix = device_name_prefix;
    item->Identifier = identifier;
    item->ModelValue1 = base->ModelValue1;
    item->ModelValue2 = base->ModelValue2;
    item->ModelValue3 = base->ModelValue3;
    item->ModelValue4 = base->ModelValue4;
    item->ClassShortName = base->ClassShortName;
    item->ClassName = base->ClassName;
  }
  MakeCurrent(item);
  return changed;
}

void TModelPluList::LoadRegisteredModels(const VARIANT& document) {
  for (config::XmlNode& element : config::SelectRegisteredModels(document, library_name_)) {
    config::RegisteredModelRecord model = config::ReadRegisteredModel(element);
    if (!RegisterModel(model.code, model.name, model.identifier,
                       model.identifier + kPrefixSuffix, model.uses_hb))
      continue;
    config::TPropList& params = Current->Params;
    for (const config::ParameterDescription& p : config::ReadRegisteredParameters(element)) {
      config::TPropItem* item = params.Find(p.name);
      if (!item) item = &params.Add();
      item->SetNameRu(p.name);
      item->SetCaption(p.caption);
      item->SetTypeName(p.type);
      item->SetReadOnly(p.read_only);
      item->SetDefaultValue(p.default_value);
      item->SetDescription(p.hint);
      item->SetValue(p.default_value);
    }
  }
}

}  // namespace devices
