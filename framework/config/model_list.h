// The equipment models of the host's configuration document and the parameter descriptions
// of each model, read through a filter.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <memory>
#include <string>
#include <string_view>

#include "framework/config/base_list.h"

namespace config {

class TModelItem;
class TModelList;

// One parameter description. Assign the fields through the setters, which keep the
// modified state.
class TParameterItem : public TBaseItem {
 public:
  explicit TParameterItem(TBaseList& owner) : TBaseItem(owner) {}

  int32_t FParamReadOnly = 0;
  std::wstring FParamType;
  std::wstring FParamHint;
  std::wstring FParamName;
  std::wstring FParamDefault;
  std::wstring FParamDescription;
  std::wstring FParamValue;

  // Texts compare case-sensitively.
  void SetParamReadOnly(int32_t value) { SetNumberField(FParamReadOnly, value); }
  void SetParamType(std::wstring_view value) { SetTextField(FParamType, value, false); }
  void SetParamHint(std::wstring_view value) { SetTextField(FParamHint, value, false); }
  void SetParamName(std::wstring_view value) { SetTextField(FParamName, value, false); }
  void SetParamDefault(std::wstring_view value) { SetTextField(FParamDefault, value, false); }
  void SetParamDescription(std::wstring_view value) {
    SetTextField(FParamDescription, value, false);
  }
  void SetParamValue(std::wstring_view value) { SetTextField(FParamValue, value, false); }
};

class TParameterList : public TBaseList {
 public:
  // A free-standing list over a document (text or DOM object).
  explicit TParameterList(const VARIANT& document);
  // A model's list: shares the model list's document.
  TParameterList(TModelItem* owner_model, TBaseList* parent, XmlNode document);

  TModelItem* OwnerModel = nullptr;

  // Reads "./Параметры/Параметр" under the document, values from "Зна4ение"; nothing for a
  // deleted owner model.
  void Load() override;
  // The first parameter whose name equals the name, ignoring case; null if none.
  TParameterItem* FindByName(std::wstring_view name) const;
  TParameterItem* Items(int index) const { return static_cast<TParameterItem*>(Item(index)); }
  TParameterItem* AddItem() { return static_cast<TParameterItem*>(Add()); }
};

class TModelItem : public TBaseItem {
 public:
  explicit TModelItem(TBaseList& owner);

  int32_t UsesHB = 0;
  std::wstring Identifier;
  std::wstring ClassIdentifier;
  std::wstring Library;
  std::wstring Name;
  std::wstring PluVersion;
  int32_t Release = 0;
  GUID ModelCode = {};

  // Texts compare ignoring case.
  void SetUsesHB(int32_t value) { SetNumberField(UsesHB, value); }
  void SetIdentifier(std::wstring_view value) { SetTextField(Identifier, value, true); }
  void SetClassIdentifier(std::wstring_view value) { SetTextField(ClassIdentifier, value, true); }
  void SetLibrary(std::wstring_view value) { SetTextField(Library, value, true); }
  void SetName(std::wstring_view value) { SetTextField(Name, value, true); }
  void SetPluVersion(std::wstring_view value) { SetTextField(PluVersion, value, true); }
  void SetRelease(int32_t value) { SetNumberField(Release, value); }
  void SetModelCode(const GUID& value);

  TParameterList& Parameters() const { return static_cast<TParameterList&>(*Children); }
  // Reads the parameter descriptions under Node; none for a deleted model.
  void LoadChildren() override;
};

class TModelList : public TBaseList {
 public:
  explicit TModelList(const VARIANT& document);

  // Reads the models that the filter selects under the class path; only without any filter
  // does it fall back to models anywhere in the document.
  void Load() override;
  // The last model with the code (deleted ones only while IncludeDeleted); null if none.
  TModelItem* FindByModelCode(const GUID& code);
  TModelItem* Items(int index) const { return static_cast<TModelItem*>(Item(index)); }
};

// The models of the document that match the six filter texts (empty or "*" match all):
// code, identifier, library (the plug-in's file name), class identifier, name and state
// ("0": not deleted).
std::unique_ptr<TModelList> CreateModelList(const VARIANT& document, std::wstring_view code,
                                            std::wstring_view identifier,
                                            std::wstring_view library,
                                            std::wstring_view class_identifier,
                                            std::wstring_view name, std::wstring_view state);

}  // namespace config
