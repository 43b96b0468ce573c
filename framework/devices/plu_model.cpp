// The slots of IPluModel: a model item's attributes, its parameter documents, the plug-in
// object, and the device operations that the owning device list serves.
#include "framework/devices/plu_model.h"

#include <cstring>
#include <string>

#include "framework/config/utilities.h"
#include "framework/config/xml_document.h"
#include "framework/core/plugin_control.h"
#include "framework/devices/model_plu_list.h"
#include "framework/services/error_boundary.h"
#include "framework/services/exceptions.h"
#include "framework/win/com_ptr.h"
#include "framework/win/hresult_error.h"
#include "framework/win/scoped_bstr.h"
#include "framework/win/scoped_variant.h"

namespace devices {
namespace {

TModelPluItem& Model(IPluModel* self) { return *TModelPluItem::FromInterface(self); }

template <typename T>
void RequireOut(T* out) {
  if (!out) services::RaiseText(L"IPluModel: не задан адрес результата");
}

// Clears a text result without freeing: an out parameter holds nothing of the caller's.
void ClearOut(BSTR* out) {
  RequireOut(out);
  *out = nullptr;
}
void ClearOut(IUnknown** out) {
  RequireOut(out);
  *out = nullptr;
}
void ClearOut(VARIANT* out) {
  RequireOut(out);
  VariantInit(out);
}

HRESULT TextResult(BSTR* out, const std::wstring& text) {
  *out = win::ScopedBstr(text).Release();
  return S_OK;
}

HRESULT IntegerResult(int32_t* out, int32_t value) noexcept {
  if (!out) return E_POINTER;
  *out = value;
  return S_OK;
}

// The list that serves the device operations of a model. A model the list has let go of
// (the list is being destroyed) has none.
TModelPluList& OwnerOf(TModelPluItem& model) {
  TModelPluList* list = model.OwnerList();
  if (!list || !list->DeviceList) services::RaiseText(L"Модель не принадлежит списку устройств");
  return *list;
}

// A failure of the control object arrives with its own error information; its text goes on.
[[noreturn]] void RaiseFromErrorInfo(HRESULT hr, const wchar_t* what) {
  win::ComPtr<IErrorInfo> info;
  win::ScopedBstr description;
  if (GetErrorInfo(0, info.Put()) == S_OK && info) info->GetDescription(description.Put());
  if (description.Length() > 0) services::RaiseText(description.Text());
  win::ThrowHresult(hr, what);
}

HRESULT __stdcall QueryInterfaceSlot(IPluModel* self, REFIID iid, void** out) noexcept {
  return Model(self).QueryInterface(iid, out);
}

ULONG __stdcall AddRefSlot(IPluModel* self) noexcept { return Model(self).AddRef(); }

ULONG __stdcall ReleaseSlot(IPluModel* self) noexcept { return Model(self).Release(); }

HRESULT __stdcall GetModelId(IPluModel* self, GUID* id) noexcept {
  if (!id) return E_POINTER;
  *id = Model(self).ModelId;
  return S_OK;
}

HRESULT __stdcall GetIdentifier(IPluModel* self, BSTR* text) noexcept try {
  ClearOut(text);
  return TextResult(text, Model(self).Identifier);
} catch (...) {
  return services::FailureFromCurrentException();
}

HRESULT __stdcall GetModelName(IPluModel* self, BSTR* text) noexcept try {
  ClearOut(text);
  return TextResult(text, Model(self).ModelName);
} catch (...) {
  return services::FailureFromCurrentException();
}

HRESULT __stdcall GetClassShortName(IPluModel* self, BSTR* text) noexcept try {
  ClearOut(text);
  return TextResult(text, Model(self).ClassShortName);
} catch (...) {
  return services::FailureFromCurrentException();
}

HRESULT __stdcall GetClassName(IPluModel* self, BSTR* text) noexcept try {
  ClearOut(text);
  return TextResult(text, Model(self).ClassName);
} catch (...) {
  return services::FailureFromCurrentException();
}

HRESULT __stdcall GetModelValue1(IPluModel* self, int32_t* value) noexcept {
  return IntegerResult(value, Model(self).ModelValue1);
}
HRESULT __stdcall GetModelValue2(IPluModel* self, int32_t* value) noexcept {
  return IntegerResult(value, Model(self).ModelValue2);
}
HRESULT __stdcall GetModelValue3(IPluModel* self, int32_t* value) noexcept {
  return IntegerResult(value, Model(self).ModelValue3);
}
HRESULT __stdcall GetModelValue4(IPluModel* self, int32_t* value) noexcept {
  return IntegerResult(value, Model(self).ModelValue4);
}
HRESULT __stdcall GetUsesHB(IPluModel* self, int32_t* value) noexcept {
  return IntegerResult(value, Model(self).UsesHB);
}

HRESULT __stdcall GetParametersText(IPluModel* self, BSTR* text) noexcept try {
  ClearOut(text);
  return TextResult(text, Model(self).ParametersText());
} catch (...) {
  return services::FailureFromCurrentException();
}

HRESULT __stdcall GetReservedValue(IPluModel*, int32_t* value) noexcept {
  return IntegerResult(value, -1);
}

HRESULT __stdcall GetReservedInterface(IPluModel*, IUnknown** object) noexcept try {
  ClearOut(object);
  return S_OK;
} catch (...) {
  return services::FailureFromCurrentException();
}

HRESULT __stdcall ReservedCall1(IPluModel*) noexcept { return S_OK; }
HRESULT __stdcall ReservedCall2(IPluModel*) noexcept { return S_OK; }

HRESULT __stdcall GetPluginObject(IPluModel*, IUnknown** plu_info) noexcept try {
  ClearOut(plu_info);
  auto* control = static_cast<core::IPluginControl*>(core::GlobalPluginControl());
  if (!control) services::RaiseText(L"Объект управления плагином не создан");
  win::ComPtr<IUnknown> info;
  HRESULT hr = control->GetPluInfo(info.Put());
  if (FAILED(hr)) RaiseFromErrorInfo(hr, L"GetPluInfo");
  *plu_info = info.Release();
  return S_OK;
} catch (...) {
  return services::FailureFromCurrentException();
}

HRESULT __stdcall GetParametersDocument(IPluModel* self, VARIANT* document) noexcept try {
  ClearOut(document);
  *document = Model(self).ParametersDocument().Release();
  return S_OK;
} catch (...) {
  return services::FailureFromCurrentException();
}

// The three document operations differ only in the device list's operation they call.
using DocumentOperation = void (ModelDeviceOperations::*)(const VARIANT&, int32_t, IUnknown**);

HRESULT DeviceByDocument(IPluModel* self, const VARIANT& document, IUnknown** device,
                         DocumentOperation operation) noexcept try {
  ClearOut(device);
  TModelPluItem& model = Model(self);
  TModelPluList& list = OwnerOf(model);
  // The result reaches the host only when the whole operation succeeded.
  win::ComPtr<IUnknown> result;
  (list.DeviceList->*operation)(document, model.Index(), result.Put());
  *device = result.Release();
  return S_OK;
} catch (...) {
  return services::FailureFromCurrentException();
}

HRESULT __stdcall OpenDevice(IPluModel* self, VARIANT document, IUnknown** device) noexcept {
  return DeviceByDocument(self, document, device, &ModelDeviceOperations::OpenDeviceByDocument);
}

HRESULT __stdcall LookUpDevice(IPluModel* self, VARIANT document, IUnknown** device) noexcept {
  return DeviceByDocument(self, document, device, &ModelDeviceOperations::FindDeviceByDocument);
}

HRESULT __stdcall InsertDevice(IPluModel* self, VARIANT document, IUnknown** device) noexcept {
  return DeviceByDocument(self, document, device, &ModelDeviceOperations::InsertDeviceByDocument);
}

HRESULT __stdcall RemoveDevice(IPluModel* self, int32_t id1, int32_t id2, int32_t id3,
                               int32_t id4, int32_t* result) noexcept try {
  RequireOut(result);
  *result = 0;
  const int32_t words[4] = {id1, id2, id3, id4};
  GUID id;
  static_assert(sizeof(words) == sizeof(id));
  std::memcpy(&id, words, sizeof(id));
  *result = OwnerOf(Model(self)).DeviceList->RemoveDeviceById(id);
  return S_OK;
} catch (...) {
  return services::FailureFromCurrentException();
}

HRESULT __stdcall SetConfiguration(IPluModel* self, VARIANT document, int32_t* result) noexcept try {
  RequireOut(result);
  *result = 0;
  win::ScopedVariant value;
  HRESULT hr = VariantCopyInd(value.Put(), &document);
  if (FAILED(hr)) win::ThrowHresult(hr, L"VariantCopyInd");
  const VARTYPE kind = config::ValueKind(value.Get());
  if (kind == VT_DISPATCH && value.Get().pdispVal) {
    config::XmlNode node = config::XmlNode::FromVariant(value.Get());
    OwnerOf(Model(self)).DeviceList->SetConfigurationText(config::XmlText(node));
  } else if (kind == VT_BSTR) {
    OwnerOf(Model(self)).DeviceList->SetConfigurationText(win::BstrText(value.Get().bstrVal));
  }
  return S_OK;
} catch (...) {
  return services::FailureFromCurrentException();
}

}  // namespace

const IPluModelVtbl kPluModelVtbl = {
    QueryInterfaceSlot, AddRefSlot,        ReleaseSlot,      GetModelId,
    GetIdentifier,      GetModelName,      GetClassShortName, GetClassName,
    GetModelValue1,     GetModelValue2,    GetModelValue3,   GetModelValue4,
    GetUsesHB,          GetParametersText, GetReservedValue, GetReservedInterface,
    ReservedCall1,      ReservedCall2,     GetPluginObject,  GetParametersDocument,
    OpenDevice,         RemoveDevice,      SetConfiguration, LookUpDevice,
    InsertDevice,
};

// The host calls by position.
static_assert(offsetof(IPluModelVtbl, GetModelId) == 3 * sizeof(void*));
static_assert(offsetof(IPluModelVtbl, GetClassName) == 7 * sizeof(void*));
static_assert(offsetof(IPluModelVtbl, GetUsesHB) == 12 * sizeof(void*));
static_assert(offsetof(IPluModelVtbl, GetParametersText) == 13 * sizeof(void*));
static_assert(offsetof(IPluModelVtbl, GetPluginObject) == 18 * sizeof(void*));
static_assert(offsetof(IPluModelVtbl, GetParametersDocument) == 19 * sizeof(void*));
static_assert(offsetof(IPluModelVtbl, OpenDevice) == 20 * sizeof(void*));
static_assert(offsetof(IPluModelVtbl, RemoveDevice) == 21 * sizeof(void*));
static_assert(offsetof(IPluModelVtbl, SetConfiguration) == 22 * sizeof(void*));
static_assert(offsetof(IPluModelVtbl, LookUpDevice) == 23 * sizeof(void*));
static_assert(offsetof(IPluModelVtbl, InsertDevice) == 24 * sizeof(void*));
static_assert(sizeof(IPluModelVtbl) == 25 * sizeof(void*));

}  // namespace devices
