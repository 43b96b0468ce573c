// The device item: properties by name, switching on, the host's parameter table in both
// directions, and the property array.
#include <gtest/gtest.h>

#include <string>

#include "framework/automation/value_table.h"
#include "framework/config/global_id.h"
#include "framework/devices/devices_list.h"
#include "framework/services/exceptions.h"
#include "framework/win/dispatch.h"
#include "framework/win/scoped_bstr.h"
#include "framework/win/scoped_safearray.h"
#include "framework/win/scoped_variant.h"

namespace devices {
namespace {

constexpr GUID kBase = {0xB49766DD, 0x5C96, 0x4181, {0xA4, 0xAE, 0x23, 0x51, 0x3F, 0x1A, 0x77, 0xC3}};

class DeviceItemTest : public ::testing::Test {
 protected:
  DeviceItemTest() {
    list.Models.RegisterBaseModel(kBase, L"Терминал", 1, 0, 0, 0, 0, L"", L"DT930", L"ТСД",
                                  L"Терминалы сбора данных");
  }
  TDevicesList list;
};

TEST_F(DeviceItemTest, NewDeviceTakesItsListsDefaults) {
  TDeviceItem* device = list.AddNew();
  EXPECT_EQ(device->DeviceName, L"Терминал №1");
  EXPECT_EQ(device->Properties.Count(), 2);
  EXPECT_EQ(device->GetPropertyText(L"Usable"), L"1");
  EXPECT_EQ(device->GetPropertyText(L"Неразделяемое"), L"0");
  EXPECT_EQ(device->DeviceInfo.EquipmentType, L"ТСД");
  EXPECT_EQ(device->DeviceInfo.ModelName, L"Терминал");
  EXPECT_EQ(device->CreatorThread, GetCurrentThreadId());
  EXPECT_FALSE(config::SameGlobalId(device->DeviceId, GUID{}));
  EXPECT_EQ(device->UnsupportedCommandCode(), 1003);
}

TEST_F(DeviceItemTest, BooleanReadingOfTexts) {
  TDeviceItem* device = list.AddNew();
  const struct {
    const wchar_t* text;
    bool expected;
  } cases[] = {{L"true", true}, {L"TRUE", true}, {L"1", true},   {L"yes", false},
               {L"0", false},   {L"-1", false},  {L"", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "text " << testing::PrintToString(std::wstring(c.text)));
    device->SetPropertyText(L"Флаг", c.text);
    EXPECT_EQ(device->GetBool(L"флаг"), c.expected);
    EXPECT_EQ(device->GetPropertyBool(L"Флаг"), c.expected);
  }
}

TEST_F(DeviceItemTest, NumbersByName) {
  TDeviceItem* device = list.AddNew();
  EXPECT_EQ(device->GetInteger(L"нет такого"), 0);
  EXPECT_EQ(device->GetFloat(L"нет такого"), 0.0);
  device->SetPropertyText(L"Число", L"12a");
  EXPECT_THROW(device->GetInteger(L"Число"), services::Exception);
  EXPECT_THROW(device->GetPropertyInteger(L"Число"), services::Exception);
  EXPECT_THROW(device->GetFloat(L"Число"), services::Exception);
  for (const wchar_t* text : {L"1.5", L"1,5"}) {
    device->SetPropertyText(L"Число", text);
    EXPECT_EQ(device->GetFloat(L"Число"), 1.5) << testing::PrintToString(std::wstring(text));
  }
  device->SetPropertyText(L"Цена", L"2.5");
  EXPECT_EQ(device->GetPropertyCurrency(L"Цена"), 25000);
  device->SetPropertyInteger(L"Порт", -7);
  EXPECT_EQ(device->GetPropertyText(L"Порт"), L"-7");
  EXPECT_EQ(device->GetPropertyInteger(L"Порт"), -7);
}

TEST_F(DeviceItemTest, ValuesAreStoredOnOneLine) {
  TDeviceItem* device = list.AddNew();
  device->SetPropertyText(L"Текст", L"a\r\nb");
  EXPECT_EQ(device->Properties.GetValueByName(L"Текст"), L"a\\nb");
  EXPECT_EQ(device->GetPropertyText(L"Текст"), L"a\r\nb");
  device->SetPropertyText(L"Путь", L"C:\\new\\file");
  EXPECT_EQ(device->GetPropertyText(L"Путь"), L"C:\\new\\file");

  win::ScopedVariant yes = win::ScopedVariant::FromBool(true);
  device->SetPropertyValue(L"Флаг", yes.Get());
  EXPECT_EQ(device->GetPropertyText(L"Флаг"), L"1");
  win::ScopedVariant real = win::ScopedVariant::FromDouble(2.5);
  device->SetPropertyValue(L"Цена", real.Get());
  EXPECT_EQ(device->GetPropertyText(L"Цена"), L"2,5");
}

TEST_F(DeviceItemTest, NegativeCodesAreStored) {
  TDeviceItem* device = list.AddNew();
  device->SetLastError(-1);
  EXPECT_EQ(device->LastError, -1);
  int32_t code = 0;
  EXPECT_FALSE(device->IsReady(code));
  EXPECT_EQ(code, 3);
  EXPECT_EQ(device->LastError, 3);
}

// A driver whose switch-on fails without a code of its own.
class FailingDevice : public TDeviceItem {
 public:
  using TDeviceItem::TDeviceItem;
  int32_t IsSwitchedOn() override { return SwitchedOn ? 1 : 0; }
  bool Open() override { return false; }
  bool Close() override {
    ++closes;
    return true;
  }
  int closes = 0;
};

TEST_F(DeviceItemTest, OpenFailingWithoutCodeReportsNoDevice) {
  TDevicesList failing([](TDevicesList& l) { return new FailingDevice(l); });
  auto* device = static_cast<FailingDevice*>(failing.AddNew());
  device->SetState(1);
  EXPECT_EQ(device->LastError, 3);
  EXPECT_FALSE(device->SwitchedOn);
  EXPECT_EQ(device->closes, 1) << "a failed switch-on is cleaned up";
}

TEST_F(DeviceItemTest, BaseDeviceAlreadyOnChangesNothing) {
  TDeviceItem* device = list.AddNew();
  device->SetLastError(5);
  device->SetState(1);
  EXPECT_EQ(device->LastError, 0);
  EXPECT_FALSE(device->SwitchedOn) << "the base reports on already, so nothing is switched";
  device->SetState(0);
  EXPECT_FALSE(device->SwitchedOn);
  EXPECT_EQ(device->LastError, 0);
}

win::ScopedVariant Cell(win::DispatchObject& table, LONG row, LONG column) {
  return table.Call(L"GetValue", {win::ArgInt(row), win::ArgInt(column)});
}

std::wstring CellText(win::DispatchObject& table, LONG row, LONG column) {
  win::ScopedVariant v = Cell(table, row, column);
  return v.Type() == VT_BSTR ? win::BstrText(v.Get().bstrVal) : L"(not text)";
}

TEST_F(DeviceItemTest, ParameterTableDescribesNameAndEveryProperty) {
  config::TPropItem& p = list.DefaultProperties().Add();
  p.SetNameRu(L"Скорость");
  p.SetCaption(L"Скорость порта");
  p.SetTypeName(L"Double");
  p.SetDescription(L"строка1\\nстрока2");
  p.SetDefaultValue(L"1,5");
  p.SetReadOnly(true);
  TDeviceItem* device = list.AddNew();
  device->SetPropertyText(L"Скорость", L"2,5");

  win::ScopedVariant value;
  ASSERT_EQ(device->ParameterTable(value.Put()), 0);
  win::DispatchObject table = win::DispatchObject::FromVariant(value.Get());
  win::ScopedVariant rows = win::ScopedVariant::FromInt(0), columns = win::ScopedVariant::FromInt(0);
  VARIANT r{}, c{};
  r.vt = c.vt = VT_VARIANT | VT_BYREF;
  r.pvarVal = rows.Ptr();
  c.pvarVal = columns.Ptr();
  table.Call(L"GetBounds", {r, c});
  EXPECT_EQ(rows.Get().lVal, 4);
  EXPECT_EQ(columns.Get().lVal, 7);

  EXPECT_EQ(CellText(table, 0, 0), L"ИмяУстройства");
  EXPECT_EQ(CellText(table, 0, 1), L"Имя устройства");
  EXPECT_EQ(CellText(table, 0, 3), L"Строка");
  EXPECT_EQ(CellText(table, 0, 4), L"Терминал №1");
  EXPECT_EQ(Cell(table, 0, 5).Get().lVal, 1);
  EXPECT_EQ(CellText(table, 1, 3), L"Число") << "Integer is shown as a number";
  EXPECT_EQ(Cell(table, 1, 4).Get().lVal, 1);
  EXPECT_EQ(CellText(table, 3, 0), L"Скорость");
  EXPECT_EQ(CellText(table, 3, 2), L"строка1\r\nстрока2");
  EXPECT_EQ(CellText(table, 3, 3), L"") << "Double has no host type";
  EXPECT_EQ(Cell(table, 3, 4).Get().dblVal, 2.5);
  EXPECT_EQ(Cell(table, 3, 5).Get().lVal, 1);
  EXPECT_EQ(Cell(table, 3, 6).Get().dblVal, 1.5);
}

TEST_F(DeviceItemTest, ParameterTableOfDeviceWithoutPropertiesHasTheNameRow) {
  TDeviceItem* device = list.AddNew();
  device->Properties.Clear();
  win::ScopedVariant value;
  device->ParameterTable(value.Put());
  win::DispatchObject table = win::DispatchObject::FromVariant(value.Get());
  EXPECT_EQ(CellText(table, 0, 0), L"ИмяУстройства");
  EXPECT_THROW(Cell(table, 1, 0), services::Exception);
}

// A value table of seven columns, one row per entry.

win::ScopedVariant HostTable(std::initializer_list<std::initializer_list<VARIANT>> rows) {
  win::ComPtr<automation::ISafeArray> table = automation::CreateValueTable();
  table->SetBounds(static_cast<LONG>(rows.size()), 7);
  LONG r = 0;
  for (const auto& row : rows) {
    LONG c = 0;
    for (const VARIANT& cell : row) table->SetValue(r, c++, cell);
    ++r;
  }
  return win::ScopedVariant::FromDispatch(table.Get());
}

TEST_F(DeviceItemTest, ApplyingATableStoresValuesAndRefusesNonNumbers) {
  TDeviceItem* device = list.AddNew();
  const std::wstring long_name(120, L'я');
  win::ScopedVariant t_name = win::ScopedVariant::FromText(L"имяустройства"),
                     t_new = win::ScopedVariant::FromText(L"Новое"),
                     t_long = win::ScopedVariant::FromText(long_name),
                     t_caption = win::ScopedVariant::FromText(L"Подпись"),
                     t_number = win::ScopedVariant::FromText(L"Число"),
                     t_text = win::ScopedVariant::FromText(L"Строка"),
                     t_multi = win::ScopedVariant::FromText(L"a\r\nb"),
                     t_comma = win::ScopedVariant::FromText(L"2,5"),
                     t_dot = win::ScopedVariant::FromText(L"2.5"),
                     t_abc = win::ScopedVariant::FromText(L"abc"),
                     empty = win::ScopedVariant::FromText(L""),
                     real = win::ScopedVariant::FromDouble(2.5), no = win::ScopedVariant::FromInt(0),
                     yes = win::ScopedVariant::FromInt(1);

  win::ScopedVariant good = HostTable({
      {t_name.Get(), t_caption.Get(), empty.Get(), t_text.Get(), t_new.Get(), no.Get(), empty.Get()},
      {t_new.Get(), t_caption.Get(), empty.Get(), t_text.Get(), t_multi.Get(), no.Get(), empty.Get()},
      {t_long.Get(), t_caption.Get(), empty.Get(), t_number.Get(), t_comma.Get(), no.Get(), empty.Get()},
      {t_caption.Get(), t_caption.Get(), empty.Get(), t_number.Get(), real.Get(), no.Get(), empty.Get()},
      {t_number.Get(), t_caption.Get(), empty.Get(), t_number.Get(), t_abc.Get(), yes.Get(), empty.Get()},
  });
  EXPECT_EQ(device->ApplyParameterTable(good.Get()), 0);
  EXPECT_EQ(device->DeviceName, L"Терминал №1") << "the name row is skipped";
  EXPECT_EQ(device->Properties.GetValueByName(L"Новое"), L"a\\nb");
  EXPECT_EQ(device->Properties.GetValueByName(long_name.substr(0, 100)), L"2,5");
  EXPECT_EQ(device->Properties.Find(long_name), nullptr);
  EXPECT_EQ(device->Properties.GetValueByName(L"Подпись"), L"2,5") << "a real number as text";
  EXPECT_EQ(device->Properties.GetValueByName(L"Число"), L"abc") << "read-only rows are not checked";

  // The same device as a table and back: the values survive the round trip.
  win::ScopedVariant own;
  device->ParameterTable(own.Put());
  device->SetPropertyText(L"Новое", L"другое");
  device->ApplyParameterTable(own.Get());
  EXPECT_EQ(device->GetPropertyText(L"Новое"), L"a\r\nb");

  for (const win::ScopedVariant* bad : {&t_abc, &t_dot}) {
    win::ScopedVariant failing = HostTable({
        {t_new.Get(), t_caption.Get(), empty.Get(), t_text.Get(), t_comma.Get(), no.Get(), empty.Get()},
        {t_number.Get(), t_caption.Get(), empty.Get(), t_number.Get(), bad->Get(), no.Get(), empty.Get()},
        {t_new.Get(), t_caption.Get(), empty.Get(), t_text.Get(), t_abc.Get(), no.Get(), empty.Get()},
    });
    device->SetPropertyText(L"Число", L"было");
    try {
      device->ApplyParameterTable(failing.Get());
      ADD_FAILURE() << "no error";
    } catch (const services::ECodedException& e) {
      EXPECT_EQ(e.Code(), 20029);
      EXPECT_EQ(e.Message(), L"Неверный тип свойства [Подпись]");
    }
    EXPECT_EQ(device->GetPropertyText(L"Новое"), L"2,5") << "rows before the failure stay";
    EXPECT_EQ(device->GetPropertyText(L"Число"), L"было");
  }
}

TEST_F(DeviceItemTest, PropertyArrayIsColumnsByRows) {
  TDeviceItem* device = list.AddNew();
  win::ScopedVariant array;
  ASSERT_TRUE(device->GetPropertyArray(array.Put()));
  ASSERT_EQ(array.Type(), VT_ARRAY | VT_VARIANT);
  win::SafearrayAccess<VARIANT> cells(array.Get().parray, 2, VT_VARIANT);
  EXPECT_EQ(cells.Count(1), 8);
  EXPECT_EQ(cells.Count(2), 2);
  EXPECT_EQ(win::BstrText(cells.At(0, 0).bstrVal), L"Использовать");
  EXPECT_EQ(cells.At(1, 0).lVal, 1);
  EXPECT_EQ(win::BstrText(cells.At(2, 0).bstrVal), L"Number");
  EXPECT_EQ(cells.At(4, 1).vt, VT_BOOL);
  EXPECT_EQ(cells.At(7, 1).vt, VT_EMPTY);

  device->Properties.Clear();
  win::ScopedVariant none;
  device->GetPropertyArray(none.Put());
  win::SafearrayAccess<VARIANT> empty(none.Get().parray, 2, VT_VARIANT);
  EXPECT_EQ(empty.Count(2), 1);
  EXPECT_EQ(empty.At(0, 0).vt, VT_EMPTY);
}

}  // namespace
}  // namespace devices
