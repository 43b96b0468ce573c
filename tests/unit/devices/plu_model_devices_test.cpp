// The model interface's device operations against the real device list, called through the
// slot table as the host calls them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "framework/automation/identifiers.h"
#include "framework/config/global_id.h"
#include "framework/config/xml_document.h"
#include "framework/devices/devices_list.h"
#include "framework/win/com_ptr.h"
#include "framework/win/scoped_bstr.h"
#include "framework/win/scoped_variant.h"
#include "support/thread_error_info.h"

namespace devices {
namespace {

constexpr wchar_t kFirst[] = L"{0A000000-0000-0000-0000-000000000001}";
constexpr wchar_t kSecond[] = L"{0A000000-0000-0000-0000-000000000002}";

class PluModelDevicesTest : public ::testing::Test {
 protected:
  PluModelDevicesTest() {
    EXPECT_EQ(list.Models.Items(0)->QueryInterface(automation::kIidPluModel, model.PutVoid()), S_OK);
  }
  using DocumentSlot = HRESULT(__stdcall*)(IPluModel*, VARIANT, IUnknown**);
  // Calls the slot with the document as a DOM object (only those are looked up by their
  // code); the device interface it hands out, or null.
  win::ComPtr<IUnknown> Call(DocumentSlot slot, const std::wstring& text, HRESULT expected = S_OK) {
    config::XmlNode dom = config::ParseXmlText(text);
    win::ScopedVariant document = win::ScopedVariant::FromDispatch(dom.Get());
    IUnknown* out = reinterpret_cast<IUnknown*>(1);
    EXPECT_EQ(slot(model.Get(), document.Get(), &out), expected) << testsupport::ThreadErrorDescription();
    return win::ComPtr<IUnknown>::Adopt(out);
  }
  static std::wstring Device(const wchar_t* code, const wchar_t* name) {
    return L"<Устройство Код=\"" + std::wstring(code) + L"\" Наименование=\"" + name + L"\"/>";
  }
  int32_t Remove(const wchar_t* code) {
    const GUID id = config::GlobalIdFromText(code);
    int32_t words[4];
    std::memcpy(words, &id, sizeof(words));
    int32_t result = 12345;
    EXPECT_EQ(model->lpVtbl->RemoveDevice(model.Get(), words[0], words[1], words[2], words[3],
                                          &result),
              S_OK);
    return result;
  }

  TDevicesList list;
  win::ComPtr<IPluModel> model;
};

TEST_F(PluModelDevicesTest, OpenLookUpInsertAndRemoveThroughTheTable) {
  const IPluModelVtbl& v = *model->lpVtbl;
  win::ComPtr<IUnknown> first = Call(v.OpenDevice, Device(kFirst, L"Первый"));
  ASSERT_TRUE(first);
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(list.GetDevice(0)->DeviceName, L"Первый");
  win::ComPtr<IUnknown> as_device;
  EXPECT_EQ(first->QueryInterface(automation::kIidPluDevice, as_device.PutVoid()), S_OK);

  // The same code opens the same device again.
  win::ComPtr<IUnknown> again = Call(v.OpenDevice, Device(kFirst, L"Снова"));
  EXPECT_EQ(list.Count(), 1);
  EXPECT_EQ(list.GetDevice(0)->DeviceName, L"Снова");

  EXPECT_TRUE(Call(v.LookUpDevice, Device(kFirst, L"")));
  EXPECT_FALSE(Call(v.LookUpDevice, Device(kSecond, L"")));
  EXPECT_EQ(list.Count(), 1) << "looking up adds nothing";

  EXPECT_TRUE(Call(v.InsertDevice, Device(kSecond, L"Второй")));
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list.GetDevice(0)->DeviceName, L"Второй");

  EXPECT_EQ(Remove(L"{0B000000-0000-0000-0000-0000000000FF}"), -1);
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(Remove(kFirst), 0);
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(list.GetDevice(0)->DeviceName, L"Второй");
}

TEST_F(PluModelDevicesTest, FailingDocumentLeavesNoHalfReadDevice) {
  const IPluModelVtbl& v = *model->lpVtbl;
  ASSERT_TRUE(Call(v.OpenDevice, Device(kFirst, L"Первый")));
  // The device code reads, the model code does not: the device was already added.
  const std::wstring broken = L"<Устройство Код=\"" + std::wstring(kSecond) +
                              L"\" КодМодели=\"не код\" Наименование=\"Сломанный\"/>";
  for (DocumentSlot slot : {v.OpenDevice, v.InsertDevice}) {
    EXPECT_FALSE(Call(slot, broken, E_UNEXPECTED));
    EXPECT_EQ(testsupport::ThreadErrorDescription(), L"Значение не является идентификатором объекта.");
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.GetDevice(0)->DeviceName, L"Первый");
  }
}

}  // namespace
}  // namespace devices
