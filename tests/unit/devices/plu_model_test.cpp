// IPluModel called through its table as the host calls it: identity and lifetime, the
// attribute slots, the parameter documents, the plug-in object and the device operations.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "framework/automation/identifiers.h"
#include "framework/config/global_id.h"
#include "framework/config/xml_document.h"
#include "framework/core/plugin_control.h"
#include "framework/devices/model_plu_list.h"
#include "framework/services/exceptions.h"
#include "framework/win/com_ptr.h"
#include "framework/win/scoped_bstr.h"
#include "framework/win/scoped_variant.h"
#include "support/thread_error_info.h"

namespace devices {
namespace {

using ::testing::_;
using ::testing::Return;
using ::testing::StrictMock;

constexpr GUID kBase = {0xB49766DD, 0x5C96, 0x4181, {0xA4, 0xAE, 0x23, 0x51, 0x3F, 0x1A, 0x77, 0xC3}};

// Any call the test does not expect fails it.
class FakeDeviceList : public ModelDeviceOperations {
 public:
  MOCK_METHOD(void, OpenDeviceByDocument, (const VARIANT&, int32_t, IUnknown**), (override));
  MOCK_METHOD(void, FindDeviceByDocument, (const VARIANT&, int32_t, IUnknown**), (override));
  MOCK_METHOD(void, InsertDeviceByDocument, (const VARIANT&, int32_t, IUnknown**), (override));
  MOCK_METHOD(int32_t, RemoveDeviceById, (const GUID&), (override));
  MOCK_METHOD(void, SetConfigurationText, (const std::wstring&), (override));
};

// A plain COM object standing for a device or the plug-in object's interface.
class CountedObject : public IUnknown {
 public:
  HRESULT __stdcall QueryInterface(REFIID iid, void** out) override {
    if (!IsEqualIID(iid, IID_IUnknown)) return *out = nullptr, E_NOINTERFACE;
    *out = this;
    AddRef();
    return S_OK;
  }
  ULONG __stdcall AddRef() override { return ++count; }
  ULONG __stdcall Release() override { return --count; }
  ULONG count = 1;  // the test's own
};

class PluModelTest : public ::testing::Test {
 protected:
  PluModelTest() {
    models.RegisterBaseModel(kBase, L"Терминал", 1, 2, 3, 4, 1, L"", L"DT930", L"ТСД",
                             L"Терминалы сбора данных");
  }
  // The interface as the host obtains it: by QueryInterface, with a reference of its own.
  win::ComPtr<IPluModel> HostModel(int index = 0) {
    win::ComPtr<IPluModel> model;
    EXPECT_EQ(models.Items(index)->QueryInterface(automation::kIidPluModel, model.PutVoid()), S_OK);
    return model;
  }
  config::TPropItem& AddParameter(const wchar_t* name, const wchar_t* type, bool read_only,
                                  const wchar_t* hint) {
    config::TPropItem& p = models.Items(0)->Params.Add();
    p.SetNameRu(name);
    p.SetCaption(std::wstring(name) + L" устройства");
    p.SetTypeName(type);
    p.SetReadOnly(read_only);
    p.SetDefaultValue(L"1");
    p.SetDescription(hint);
    return p;
  }

  StrictMock<FakeDeviceList> device_list;
  TModelPluList models{&device_list};
};

TEST_F(PluModelTest, AnswersBothIdentifiersWithOneTable) {
  TModelPluItem* item = models.Items(0);
  void* by_model = nullptr;
  void* by_item = nullptr;
  void* by_unknown = nullptr;
  ASSERT_EQ(item->QueryInterface(automation::kIidPluModel, &by_model), S_OK);
  ASSERT_EQ(item->QueryInterface(automation::kIidModelItem, &by_item), S_OK);
  EXPECT_EQ(by_model, by_item);
  EXPECT_EQ(static_cast<IPluModel*>(by_model)->lpVtbl, &kPluModelVtbl);
  // QueryInterface through the table itself, as the host would.
  auto* model = static_cast<IPluModel*>(by_model);
  ASSERT_EQ(model->lpVtbl->QueryInterface(model, IID_IUnknown, &by_unknown), S_OK);
  EXPECT_EQ(by_unknown, item->Unknown());
  void* none = reinterpret_cast<void*>(1);
  EXPECT_EQ(model->lpVtbl->QueryInterface(model, automation::kIidPluDevice, &none), E_NOINTERFACE);
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(item->RefCount(), 4);
  for (int i = 0; i < 3; ++i) model->lpVtbl->Release(model);
  EXPECT_EQ(item->RefCount(), 1);
}

TEST_F(PluModelTest, AttributeSlotsReturnTheModelsValues) {
  win::ComPtr<IPluModel> model = HostModel();
  const IPluModelVtbl& v = *model->lpVtbl;
  GUID id = {};
  ASSERT_EQ(v.GetModelId(model.Get(), &id), S_OK);
  EXPECT_TRUE(config::SameGlobalId(id, kBase));

  const struct {
    HRESULT(__stdcall* slot)(IPluModel*, BSTR*);
    const wchar_t* expected;
  } texts[] = {{v.GetIdentifier, L"DT930"},
               {v.GetModelName, L"Терминал"},
               {v.GetClassShortName, L"ТСД"},
               {v.GetClassName, L"Терминалы сбора данных"}};
  for (const auto& t : texts) {
    SCOPED_TRACE(t.expected);
    win::ScopedBstr text;
    ASSERT_EQ(t.slot(model.Get(), text.Put()), S_OK);
    EXPECT_EQ(text.Text(), t.expected);
  }

  const struct {
    HRESULT(__stdcall* slot)(IPluModel*, int32_t*);
    int32_t expected;
  } numbers[] = {{v.GetModelValue1, 1}, {v.GetModelValue2, 2}, {v.GetModelValue3, 3},
                 {v.GetModelValue4, 4}, {v.GetUsesHB, 1},      {v.GetReservedValue, -1}};
  for (const auto& n : numbers) {
    SCOPED_TRACE(n.expected);
    int32_t value = 12345;
    ASSERT_EQ(n.slot(model.Get(), &value), S_OK);
    EXPECT_EQ(value, n.expected);
  }

  CountedObject stale;
  IUnknown* object = &stale;
  EXPECT_EQ(v.GetReservedInterface(model.Get(), &object), S_OK);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(stale.count, 1u) << "an out parameter is not the caller's to release";
  EXPECT_EQ(v.ReservedCall1(model.Get()), S_OK);
  EXPECT_EQ(v.ReservedCall2(model.Get()), S_OK);
}

TEST_F(PluModelTest, FurtherModelAnswersWithItsOwnValues) {
  ASSERT_TRUE(models.RegisterModel(config::GlobalIdFromText(L"{11111111-2222-3333-4444-555555555555}"),
                                   L"Сканер", L"SC", L"SC №", 0));
  win::ComPtr<IPluModel> model = HostModel(1);
  win::ScopedBstr name, class_name;
  ASSERT_EQ(model->lpVtbl->GetModelName(model.Get(), name.Put()), S_OK);
  ASSERT_EQ(model->lpVtbl->GetClassName(model.Get(), class_name.Put()), S_OK);
  EXPECT_EQ(name.Text(), L"Сканер");
  EXPECT_EQ(class_name.Text(), L"Терминалы сбора данных");
}

TEST_F(PluModelTest, ParametersTextWithoutParametersIsTheEmptyElement) {
  win::ComPtr<IPluModel> model = HostModel();
  win::ScopedBstr text;
  ASSERT_EQ(model->lpVtbl->GetParametersText(model.Get(), text.Put()), S_OK);
  EXPECT_EQ(text.Text().find(L"<?xml"), std::wstring::npos);
  std::wstring compact;
  for (wchar_t c : text.Text())
    if (c != L'\r' && c != L'\n' && c != L'\t') compact += c;
  EXPECT_EQ(compact, L"<Параметры/>");
}

TEST_F(PluModelTest, ParametersTextAndDocumentDescribeEveryParameter) {
  AddParameter(L"Порт", L"String", true, L"Первая\r\nвторая");
  AddParameter(L"Точность", L"Double", false, L"");
  win::ComPtr<IPluModel> model = HostModel();

  win::ScopedBstr text;
  ASSERT_EQ(model->lpVtbl->GetParametersText(model.Get(), text.Put()), S_OK);
  EXPECT_NE(text.Text().find(L"<Параметр Идентификатор=\"Порт\" Наименование=\"Порт устройства\" "
                             L"Тип=\"Строка\" ФлагТолько4тение=\"1\" Зна4ениеПоУмол4анию=\"1\" "
                             L"Описание=\"Первая\\nвторая\"/>"),
            std::wstring::npos)
      << text.Text();
  EXPECT_NE(text.Text().find(L"Тип=\"\" ФлагТолько4тение=\"0\""), std::wstring::npos) << text.Text();

  win::ScopedVariant document;
  ASSERT_EQ(model->lpVtbl->GetParametersDocument(model.Get(), document.Put()), S_OK);
  ASSERT_EQ(document.Get().vt, VT_DISPATCH);
  config::XmlNode dom = config::XmlNode::FromVariant(document.Get());
  EXPECT_EQ(config::XmlText(dom).find(L"<?xml version=\"1.0\""), 0u) << config::XmlText(dom);
  config::XmlNode list = config::SelectNodes(dom, L"/Модель/Параметры/Параметр");
  std::vector<config::XmlNode> parameters = config::NodeListItems(list);
  ASSERT_EQ(parameters.size(), 2u);
  EXPECT_EQ(config::GetAttributeByName(parameters[0], L"Описание", L"?"), L"Первая\\nвторая");
  EXPECT_EQ(config::GetAttributeByName(parameters[1], L"Наименование", L"?"), L"Точность устройства");
}

TEST_F(PluModelTest, PluginObjectComesFromTheControlObject) {
  win::ComPtr<IPluModel> model = HostModel();
  CountedObject stale;
  IUnknown* info = &stale;
  ASSERT_EQ(core::GlobalPluginControl(), nullptr);
  EXPECT_EQ(model->lpVtbl->GetPluginObject(model.Get(), &info), E_UNEXPECTED);
  EXPECT_EQ(info, nullptr);
  EXPECT_EQ(testsupport::ThreadErrorDescription(), L"Объект управления плагином не создан");

  struct DllObject : core::TDllObjectBase {
    IUnknown* QueryPluInfo() override {
      if (plu_info) plu_info->AddRef();
      return plu_info;
    }
    IUnknown* plu_info = nullptr;
  } dll_object;
  CountedObject plu_info;
  core::TDllObjectBase* module_object = &dll_object;
  core::TPluginControl control(&module_object, nullptr);

  // Without the information interface the control object's own failure text comes through.
  EXPECT_EQ(model->lpVtbl->GetPluginObject(model.Get(), &info), E_UNEXPECTED);
  EXPECT_EQ(info, nullptr);
  EXPECT_EQ(testsupport::ThreadErrorDescription(), services::CatalogueText(20058));

  dll_object.plu_info = &plu_info;
  ASSERT_EQ(model->lpVtbl->GetPluginObject(model.Get(), &info), S_OK);
  EXPECT_EQ(info, &plu_info);
  EXPECT_EQ(plu_info.count, 2u);
  info->Release();
}

TEST_F(PluModelTest, DocumentOperationsHandTheDocumentToTheDeviceList) {
  ASSERT_TRUE(models.RegisterModel(config::GlobalIdFromText(L"{11111111-2222-3333-4444-555555555555}"),
                                   L"Сканер", L"SC", L"SC №", 0));
  win::ComPtr<IPluModel> model = HostModel(1);
  win::ScopedVariant document = win::ScopedVariant::FromText(L"<Устройство/>");
  CountedObject device;
  auto hand_out = [&](const VARIANT& d, int32_t index, IUnknown** out) {
    EXPECT_EQ(d.vt, VT_BSTR);
    EXPECT_EQ(win::BstrText(d.bstrVal), L"<Устройство/>");
    EXPECT_EQ(index, 1);
    EXPECT_EQ(*out, nullptr);
    device.AddRef();
    *out = &device;
  };
  EXPECT_CALL(device_list, OpenDeviceByDocument(_, _, _)).WillOnce(hand_out);
  EXPECT_CALL(device_list, FindDeviceByDocument(_, _, _)).WillOnce(hand_out);
  EXPECT_CALL(device_list, InsertDeviceByDocument(_, _, _)).WillOnce(hand_out);

  for (auto slot : {model->lpVtbl->OpenDevice, model->lpVtbl->LookUpDevice,
                    model->lpVtbl->InsertDevice}) {
    CountedObject stale;
    IUnknown* out = &stale;
    ASSERT_EQ(slot(model.Get(), document.Get(), &out), S_OK);
    EXPECT_EQ(out, &device);
    EXPECT_EQ(stale.count, 1u);
    EXPECT_EQ(device.count, 2u);
    out->Release();
  }
  EXPECT_EQ(document.Get().vt, VT_BSTR) << "the document stays the caller's";
}

TEST_F(PluModelTest, FailingDocumentOperationLeavesNoInterface) {
  win::ComPtr<IPluModel> model = HostModel();
  CountedObject device;
  // A device list that failed after it had set the result: the host must not get it.
  auto fail_late = [&](const VARIANT&, int32_t, IUnknown** out) {
    device.AddRef();
    *out = &device;
    services::RaiseText(L"Значение не является идентификатором объекта.");
  };
  EXPECT_CALL(device_list, OpenDeviceByDocument(_, 0, _)).WillOnce(fail_late);
  EXPECT_CALL(device_list, InsertDeviceByDocument(_, 0, _)).WillOnce(fail_late);
  win::ScopedVariant document = win::ScopedVariant::FromText(L"<Устройство Код=\"x\"/>");
  for (auto slot : {model->lpVtbl->OpenDevice, model->lpVtbl->InsertDevice}) {
    IUnknown* out = reinterpret_cast<IUnknown*>(1);
    EXPECT_EQ(slot(model.Get(), document.Get(), &out), E_UNEXPECTED);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(testsupport::ThreadErrorDescription(), L"Значение не является идентификатором объекта.");
    EXPECT_EQ(device.count, 1u) << "the reference the list handed over is dropped";
  }
}

TEST_F(PluModelTest, RemoveDeviceRebuildsTheGuidFromFourWords) {
  win::ComPtr<IPluModel> model = HostModel();
  const GUID known = config::GlobalIdFromText(L"{01020304-0506-0708-090A-0B0C0D0E0F10}");
  const GUID unknown = config::GlobalIdFromText(L"{AAAAAAAA-0000-0000-0000-000000000001}");
  EXPECT_CALL(device_list, RemoveDeviceById(_)).WillRepeatedly([&](const GUID& id) {
    return config::SameGlobalId(id, known) ? 0 : -1;
  });
  for (const auto& [id, expected] : {std::pair{known, 0}, std::pair{unknown, -1}}) {
    SCOPED_TRACE(config::GlobalIdToText(id));
    int32_t words[4];
    std::memcpy(words, &id, sizeof(words));
    int32_t result = 12345;
    ASSERT_EQ(model->lpVtbl->RemoveDevice(model.Get(), words[0], words[1], words[2], words[3],
                                          &result),
              S_OK);
    EXPECT_EQ(result, expected);
  }
  // Little-endian words in memory order: the first word is Data1.
  EXPECT_EQ(static_cast<uint32_t>(0x01020304), known.Data1);
}

TEST_F(PluModelTest, SetConfigurationKeepsTextsAndDocumentsOnly) {
  win::ComPtr<IPluModel> model = HostModel();
  config::XmlNode dom = config::ParseXmlText(L"<Система/>");
  const std::wstring dom_text = config::XmlText(dom);
  EXPECT_CALL(device_list, SetConfigurationText(std::wstring(L"<Система Текст=\"1\"/>")));
  EXPECT_CALL(device_list, SetConfigurationText(dom_text));

  win::ScopedVariant text = win::ScopedVariant::FromText(L"<Система Текст=\"1\"/>");
  win::ScopedVariant document = win::ScopedVariant::FromDispatch(dom.Get());
  win::ScopedVariant number = win::ScopedVariant::FromInt(7);
  for (const VARIANT* value : {&text.Get(), &document.Get(), &number.Get()}) {
    int32_t result = 12345;
    ASSERT_EQ(model->lpVtbl->SetConfiguration(model.Get(), *value, &result), S_OK);
    EXPECT_EQ(result, 0);
  }
}

TEST_F(PluModelTest, HeldModelOutlivesItsListAndThenRefusesDeviceOperations) {
  win::ComPtr<IPluModel> model;
  {
    TModelPluList own{&device_list};
    own.RegisterBaseModel(kBase, L"Держим", 1, 0, 0, 0, 0, L"", L"", L"", L"");
    ASSERT_EQ(own.Items(0)->QueryInterface(automation::kIidPluModel, model.PutVoid()), S_OK);
  }
  win::ScopedBstr name;
  ASSERT_EQ(model->lpVtbl->GetModelName(model.Get(), name.Put()), S_OK);
  EXPECT_EQ(name.Text(), L"Держим");
  int32_t result = 12345;
  EXPECT_EQ(model->lpVtbl->RemoveDevice(model.Get(), 1, 2, 3, 4, &result), E_UNEXPECTED);
  EXPECT_EQ(testsupport::ThreadErrorDescription(), L"Модель не принадлежит списку устройств");
  EXPECT_EQ(result, 0);
  EXPECT_EQ(model->lpVtbl->Release(model.Release()), 0u);
}

}  // namespace
}  // namespace devices
