// The plug-in's own models: the base model built into the plug-in and the further models
// that the host registered for this library, each handed to the host as IPluModel.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "framework/config/collection.h"
#include "framework/config/prop_list.h"
#include "framework/config/root_collection.h"
#include "framework/devices/model_device_operations.h"
#include "framework/devices/plu_model.h"
#include "framework/win/scoped_variant.h"

namespace devices {

class TModelPluList;

// One model. The list owns it; the host may hold it through IPluModel as well (the item
// outlives the list's reference while the host holds one).
class TModelPluItem : public config::TCollectionItemInterface {
 public:
  explicit TModelPluItem(config::Collection* collection);

  GUID ModelId = {};
  std::wstring ModelName;
  int32_t ModelValue1 = 0;
  int32_t ModelValue2 = 0;
  int32_t ModelValue3 = 0;
  int32_t ModelValue4 = 0;
  int32_t UsesHB = 0;
  std::wstring DeviceNamePrefix;
  std::wstring Identifier;
  std::wstring ClassShortName;
  std::wstring ClassName;
  config::TPropList Params;

  // The model list that holds the item, or null once it has let go of it.
  TModelPluList* OwnerList() const;
  // The interface handed to the host, without a reference added.
  IPluModel* Interface() { return &interface_; }
  // The item behind an interface this module handed out.
  static TModelPluItem* FromInterface(IPluModel* model);

  // The parameter descriptions as the model documents carry them.
  std::wstring ParametersText() const;
  // The "Модель" document as a DOM object.
  win::ScopedVariant ParametersDocument() const;

 protected:
  void* InterfaceFor(REFIID iid) override;

 private:
  struct Embedded : IPluModel {
    TModelPluItem* owner;
  };
  Embedded interface_;
};

class TModelPluList : public config::Collection {
 public:
  // Starts with one placeholder model (null GUID, empty texts) as current. `device_list`
  // is the owner that serves the device operations (null: they fail).
  explicit TModelPluList(ModelDeviceOperations* device_list);

  ModelDeviceOperations* DeviceList;
  int32_t CurrentIndex = 0;
  TModelPluItem* Current = nullptr;

  TModelPluItem* Items(int index) const { return ItemAs<TModelPluItem>(index); }

  // Raises 20000 "Недопустимый индекс модели" outside 0..Count-1; Current stays.
  void Select(int32_t index);
  // The first model whose ModelId is the GUID or the null GUID; null when none is.
  TModelPluItem* FindById(const GUID& id) const;
  config::TPropList& CurrentParams() const { return Current->Params; }

  // Fills the found model (the placeholder at first) or a new one, and makes it current. An
  // empty prefix becomes the model name followed by " №".
  void RegisterBaseModel(const GUID& model_id, std::wstring_view name, int32_t value1,
                         int32_t value2, int32_t value3, int32_t value4, int32_t uses_hb,
                         std::wstring_view device_name_prefix, std::wstring_view identifier,
                         std::wstring_view class_short_name, std::wstring_view class_name);
  // A further model: copies the base model's values and class. False when the GUID leads
  // to item 0 (nothing changes there). The target becomes current either way.
  bool RegisterModel(const GUID& model_id, std::wstring_view name, std::wstring_view identifier,
                     std::wstring_view device_name_prefix, int32_t uses_hb);
  // The models that the document registers for this plug-in's file name (exact match),
  // with their parameters. An empty value does nothing; an invalid "Код" raises and keeps
  // the models read before it.
  void LoadRegisteredModels(const VARIANT& document);

  // The plug-in's file name with extension, which the registered models must name.
  const std::wstring& LibraryName() const { return library_name_; }

 private:
  void MakeCurrent(TModelPluItem* item);

  std::wstring library_name_;
};

}  // namespace devices
