// The device list: names, selection, devices from and to documents, foreign threads, and
// IPluDevice as the host holds it.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "framework/automation/identifiers.h"
#include "framework/config/global_id.h"
#include "framework/config/xml_document.h"
#include "framework/devices/devices_list.h"
#include "framework/services/exceptions.h"
#include "framework/win/com_ptr.h"
#include "framework/win/scoped_bstr.h"
#include "framework/win/scoped_variant.h"

namespace devices {
namespace {

constexpr GUID kBase = {0xB49766DD, 0x5C96, 0x4181, {0xA4, 0xAE, 0x23, 0x51, 0x3F, 0x1A, 0x77, 0xC3}};
constexpr wchar_t kCode[] = L"{11111111-2222-3333-4444-555555555555}";
constexpr wchar_t kDocument[] =
    L"<Устройство Код=\"{11111111-2222-3333-4444-555555555555}\" Наименование=\"Склад\">"
    L"<Параметры><Параметр Идентификатор=\"Использовать\" Значение=\"0\"/>"
    L"<Параметр Идентификатор=\"Порт\" Зна4ение=\"COM7\"/></Параметры></Устройство>";

class DevicesListTest : public ::testing::Test {
 protected:
  DevicesListTest() {
    list.Models.RegisterBaseModel(kBase, L"Терминал", 1, 0, 0, 0, 0, L"", L"DT930", L"ТСД",
                                  L"Терминалы сбора данных");
  }
  TDevicesList list;
};

TEST_F(DevicesListTest, NewDeviceNameSkipsTakenNamesInAnyCase) {
  EXPECT_EQ(list.NewDeviceName(L""), L"Терминал №1");
  list.AddNew();
  list.AddNew()->DeviceName = L"ТЕРМИНАЛ №2";
  EXPECT_EQ(list.NewDeviceName(L""), L"Терминал №3");
  EXPECT_EQ(list.NewDeviceName(L"терминал №2"), L"Терминал №2");
  std::wstring text;
  list.ErrorText(5, text);
  EXPECT_EQ(text, L"Ошибка. Код №5");
}

TEST_F(DevicesListTest, SelectDeviceTakesWholeNumbersAndNames) {
  list.AddNew();
  list.AddNew()->DeviceName = L"Склад";
  list.SetCurrentNumber(1);
  struct Case {
    win::ScopedVariant value;
    int32_t result;
    int32_t current;
  };
  VARIANT small;
  VariantInit(&small);
  small.vt = VT_I2;
  small.iVal = 2;
  Case cases[] = {
      {win::ScopedVariant::FromInt(0), 3, 1},       {win::ScopedVariant::FromInt(3), 3, 1},
      {win::ScopedVariant::FromDouble(1.5), 3, 1},  {win::ScopedVariant::Adopt(small), 3, 1},
      {win::ScopedVariant::FromDouble(2.0), 0, 2},  {win::ScopedVariant::FromInt(1), 0, 1},
      {win::ScopedVariant::FromText(L"СКЛАД"), 0, 2}, {win::ScopedVariant::FromText(L"нет"), 3, 2},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "type " << c.value.Type());
    EXPECT_EQ(list.SelectDevice(c.value.Get()), c.result);
    EXPECT_EQ(list.CurrentNumber, c.current);
  }
}

std::wstring Attribute(config::XmlNode& document, const wchar_t* query, const wchar_t* name) {
  config::XmlNode node = config::SelectSingleNode(document, query);
  return config::GetAttributeByName(node, name, L"(absent)");
}

TEST_F(DevicesListTest, AddDeviceFromTextGivesText) {
  win::ScopedVariant document = win::ScopedVariant::FromText(kDocument);
  ASSERT_EQ(list.AddDevice(*document.Ptr(), false), 0);
  ASSERT_EQ(list.Count(), 1);
  TDeviceItem* device = list.GetDevice(0);
  EXPECT_EQ(config::GlobalIdToText(device->DeviceId), kCode);
  EXPECT_EQ(device->DeviceName, L"Склад");
  EXPECT_EQ(device->GetPropertyText(L"Использовать"), L"0");
  EXPECT_EQ(device->GetPropertyText(L"Неразделяемое"), L"0") << "the model default stays";
  EXPECT_EQ(device->GetPropertyText(L"Порт"), L"COM7");

  ASSERT_EQ(document.Type(), VT_BSTR);
  config::XmlNode written = config::ParseXmlText(win::BstrText(document.Get().bstrVal));
  EXPECT_EQ(Attribute(written, L"/Устройство", L"Код"), kCode);
  EXPECT_EQ(Attribute(written, L"/Устройство", L"КодМодели"), config::GlobalIdToText(kBase));
  EXPECT_EQ(Attribute(written, L"/Устройство", L"КодТо4киДоступа"), L"");
  EXPECT_EQ(Attribute(written, L"//Параметр[@Идентификатор=\"Порт\"]", L"Зна4ение"), L"COM7");
}

TEST_F(DevicesListTest, AddDeviceFromDomGivesDomAndTheListDocumentCopiesEach) {
  config::XmlNode source = config::ParseXmlText(kDocument);
  win::ScopedVariant document = win::ScopedVariant::FromDispatch(source.Get());
  ASSERT_EQ(list.AddDevice(*document.Ptr(), false), 0);
  ASSERT_EQ(document.Type(), VT_DISPATCH);
  EXPECT_NE(document.Get().pdispVal, source.Get()) << "the new device's own document";
  config::XmlNode written = config::XmlNode::FromVariant(document.Get());
  EXPECT_EQ(Attribute(written, L"/Устройство", L"Наименование"), L"Склад");
  list.AddNew();

  win::ScopedVariant all;
  win::ScopedVariant selector = win::ScopedVariant::FromInt(0);
  ASSERT_EQ(list.GetDevicesXml(selector.Get(), all.Put()), 0);
  config::XmlNode equ = config::XmlNode::FromVariant(all.Get());
  config::XmlNode root = config::DocumentElement(equ);
  EXPECT_EQ(config::XmlNodeName(root), L"EquList");
  config::XmlNode items = config::SelectNodes(equ, L"/EquList/Устройство");
  EXPECT_EQ(config::NodeListItems(items).size(), 2u);

  win::ScopedVariant unknown = win::ScopedVariant::FromText(L"{00000000-0000-0000-0000-000000000001}");
  win::ScopedVariant none;
  EXPECT_EQ(list.GetDevicesXml(unknown.Get(), none.Put()), 3);
  EXPECT_TRUE(none.IsEmpty());
  win::ScopedVariant by_code = win::ScopedVariant::FromText(kCode);
  win::ScopedVariant one;
  ASSERT_EQ(list.GetDevicesXml(by_code.Get(), one.Put()), 0);
  config::XmlNode single = config::XmlNode::FromVariant(one.Get());
  EXPECT_EQ(Attribute(single, L"/Устройство", L"Наименование"), L"Склад");
}

// A device whose settings dialog is cancelled.
class CancellingDevice : public TDeviceItem {
 public:
  using TDeviceItem::TDeviceItem;
  int32_t ShowSettings() override { return -1; }
};

TEST_F(DevicesListTest, CancelledOrFailingAddLeavesTheListAsItWas) {
  TDevicesList cancelling([](TDevicesList& l) { return new CancellingDevice(l); });
  win::ScopedVariant document = win::ScopedVariant::FromText(kDocument);
  EXPECT_EQ(cancelling.AddDevice(*document.Ptr(), true), -1);
  EXPECT_EQ(cancelling.Count(), 0);
  EXPECT_EQ(win::BstrText(document.Get().bstrVal), kDocument) << "the document is unchanged";

  win::ScopedVariant bad = win::ScopedVariant::FromText(
      L"<Устройство Код=\"{11111111-2222-3333-4444-555555555555}\" КодМодели=\"нет\"/>");
  EXPECT_THROW(list.AddDevice(*bad.Ptr(), false), services::Exception);
  EXPECT_EQ(list.Count(), 0) << "no half-read device stays";
}

TEST_F(DevicesListTest, DevicesOfAnotherThreadGoWhenItsCallEnds) {
  list.AddNew();
  list.DropForeignDevices();
  EXPECT_EQ(list.Count(), 1) << "the list's own thread removes nothing";
  TDeviceItem* own = list.GetDevice(0);
  std::thread([&] {
    list.AddNew();
    EXPECT_EQ(list.Count(), 2);
    list.DropForeignDevices();
  }).join();
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(list.GetDevice(0), own);
}

TEST_F(DevicesListTest, DeviceListDocumentUpdatesKnownDevicesAndAddsNewOnes) {
  win::ScopedVariant first = win::ScopedVariant::FromText(kDocument);
  list.AddDevice(*first.Ptr(), false);
  win::ScopedVariant document = win::ScopedVariant::FromText(
      L"<Система><Оборудование>"
      L"<Устройство Код=\"{11111111-2222-3333-4444-555555555555}\" Наименование=\"Новое\"/>"
      L"<Устройство Код=\"{22222222-2222-3333-4444-555555555555}\" Наименование=\"Второе\"/>"
      L"<Устройство Код=\"{33333333-2222-3333-4444-555555555555}\" КодМодели=\"нет\"/>"
      L"</Оборудование></Система>");
  EXPECT_THROW(list.LoadDevicesFromXml(document.Get()), services::Exception);
  ASSERT_EQ(list.Count(), 2) << "the failing element's new device goes, the ones before stay";
  EXPECT_EQ(list.GetDevice(0)->DeviceName, L"Новое");
  EXPECT_EQ(list.GetDevice(1)->DeviceName, L"Второе");
  win::ScopedVariant number = win::ScopedVariant::FromInt(1);
  EXPECT_EQ(list.LoadDevicesFromXml(number.Get()), 0);
}

win::ComPtr<IPluDevice> AsDevice(IUnknown* unknown) {
  win::ComPtr<IPluDevice> device;
  if (unknown) unknown->QueryInterface(automation::kIidPluDevice, device.PutVoid());
  return device;
}

TEST_F(DevicesListTest, ModelOperationsHandOutDevicesAndDropHalfReadOnes) {
  config::XmlNode source = config::ParseXmlText(kDocument);
  win::ScopedVariant document = win::ScopedVariant::FromDispatch(source.Get());
  win::ComPtr<IUnknown> opened;
  list.OpenDeviceByDocument(document.Get(), 0, opened.Put());
  ASSERT_TRUE(opened);
  ASSERT_EQ(list.Count(), 1);
  win::ComPtr<IUnknown> again, found;
  list.OpenDeviceByDocument(document.Get(), 0, again.Put());
  EXPECT_EQ(list.Count(), 1) << "the device with that code is reused";
  list.FindDeviceByDocument(document.Get(), 0, found.Put());
  EXPECT_EQ(AsDevice(found.Get()).Get(), AsDevice(opened.Get()).Get());

  config::XmlNode bad = config::ParseXmlText(
      L"<Устройство Код=\"{99999999-2222-3333-4444-555555555555}\" КодМодели=\"нет\"/>");
  win::ScopedVariant failing = win::ScopedVariant::FromDispatch(bad.Get());
  win::ComPtr<IUnknown> none;
  EXPECT_THROW(list.OpenDeviceByDocument(failing.Get(), 0, none.Put()), services::Exception);
  EXPECT_THROW(list.InsertDeviceByDocument(failing.Get(), 0, none.Put()), services::Exception);
  EXPECT_EQ(list.Count(), 1);
  EXPECT_FALSE(none);
}

TEST_F(DevicesListTest, HostHeldDeviceOutlivesItsRemoval) {
  TDeviceItem* item = list.AddNew();
  item->DeviceName = L"Склад";
  win::ComPtr<IPluDevice> device;
  ASSERT_EQ(item->QueryInterface(automation::kIidPluDevice, device.PutVoid()), S_OK);
  const IPluDeviceVtbl* slots = device->lpVtbl;

  VARIANT_BOOL on = 0;
  ASSERT_EQ(slots->GetSwitchedOn(device.Get(), &on), S_OK);
  EXPECT_EQ(on, VARIANT_TRUE);
  int32_t result = 7;
  ASSERT_EQ(slots->ShowSettings(device.Get(), &result), S_OK);
  EXPECT_EQ(result, 0);

  result = 7;
  ASSERT_EQ(slots->Remove(device.Get(), &result), S_OK);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(list.Count(), 0);
  ASSERT_EQ(slots->Remove(device.Get(), &result), S_OK) << "a second removal does nothing";
  EXPECT_EQ(item->RefCount(), 1) << "only the host's reference is left";

  win::ScopedVariant settings;
  ASSERT_EQ(slots->GetSettings(device.Get(), settings.Put()), S_OK);
  config::XmlNode written = config::XmlNode::FromVariant(settings.Get());
  EXPECT_EQ(Attribute(written, L"/Устройство", L"Наименование"), L"Склад");
  EXPECT_EQ(Attribute(written, L"/Устройство", L"КодМодели"), config::GlobalIdToText(kBase));
  std::wstring text;
  item->ErrorText(4, text);
  EXPECT_EQ(text, L"Ошибка. Код №4");

  EXPECT_EQ(slots->GetSettings(device.Get(), nullptr), E_UNEXPECTED);
}

}  // namespace
}  // namespace devices
