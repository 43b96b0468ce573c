// The common methods and properties of the termblank module as the host calls them: devices
// added, chosen, changed and deleted, their documents and parameters, switching, error texts,
// plug-in information, value tables and the beep.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "framework/automation/identifiers.h"
#include "framework/services/module_version.h"
#include "pluhost/lib/host_value_table.h"
#include "support/termblank_session.h"

namespace {

using testsupport::HostTable;
using testsupport::HostVariant;
using testsupport::IntOf;
using testsupport::TextOf;

constexpr wchar_t kUnknownDevice[] = L"{99999999-2222-3333-4444-555555555555}";
constexpr wchar_t kNoDevices[] = L"<EquList/>";

std::wstring GuidText(const GUID& id) {
  wchar_t text[40] = {};
  StringFromGUID2(id, text, 40);
  return text;
}

// The XML text of a document object the module handed out.
std::wstring XmlOf(const HostVariant& value) {
  if (value.Get().vt != VT_DISPATCH || !value.Get().pdispVal) return L"<no object>";
  VARIANT text;
  VariantInit(&text);
  if (FAILED(pluhost::CallByName(value.Get().pdispVal, L"xml", {}, &text)) || text.vt != VT_BSTR)
    return L"<no xml>";
  std::wstring out(text.bstrVal, SysStringLen(text.bstrVal));
  VariantClear(&text);
  return out;
}

bool Contains(const std::wstring& text, const std::wstring& part) {
  return text.find(part) != std::wstring::npos;
}

class CommonMethods : public testsupport::TermblankSession {
 protected:
  // A nonzero result reaches the host as its code with termblank's text for it.
  void ExpectFailure(const pluhost::CallOutcome& outcome, int32_t code, const std::wstring& text) {
    EXPECT_TRUE(outcome.failed);
    EXPECT_EQ(outcome.code, code);
    EXPECT_EQ(outcome.description, text);
  }
  void ExpectSuccess(const pluhost::CallOutcome& outcome) {
    EXPECT_FALSE(outcome.failed) << testing::PrintToString(outcome.description);
  }
  int32_t DeviceCount() { return IntOf(Get(L"КоличествоУстройств").result); }
};

TEST_F(CommonMethods, AddedDevicesComeBackAsTheirDocumentsAndAreCounted) {
  pluhost::CallOutcome added =
      Call(L"AddDevice", {HostVariant::Text(testsupport::DeviceDocument(testsupport::kFirstDevice, L"Склад"))});
  ExpectSuccess(added);
  ASSERT_EQ(added.args.size(), 1u);
  // Text in, text out: the new device's own document, with the model the list gave it.
  ASSERT_EQ(added.args[0].Get().vt, VT_BSTR);
  const std::wstring written = TextOf(added.args[0]);
  EXPECT_TRUE(Contains(written, testsupport::kFirstDevice)) << testing::PrintToString(written);
  EXPECT_TRUE(Contains(written, GuidText(automation::kModelTermblank))) << testing::PrintToString(written);

  // With the settings dialog: termblank's devices confirm it without showing one.
  ExpectSuccess(Call(L"ДобавитьУстройствоРасш",
                     {HostVariant::Text(testsupport::DeviceDocument(testsupport::kSecondDevice, L"Касса"))}));
  pluhost::CallOutcome count = Get(L"DevicesQuantity");
  ASSERT_EQ(count.result.Get().vt, VT_I4);
  EXPECT_EQ(count.result.Get().lVal, 2);
}

TEST_F(CommonMethods, SettingDevicesReadsAListDocument) {
  const std::wstring list = L"<EquList>" + testsupport::DeviceDocument(testsupport::kFirstDevice, L"Склад") +
                            testsupport::DeviceDocument(testsupport::kSecondDevice, L"Касса") + L"</EquList>";
  ExpectSuccess(Call(L"НастроитьУстройства", {HostVariant::Text(list)}));
  EXPECT_EQ(DeviceCount(), 2);
  ExpectFailure(Call(L"SettingDevices", {HostVariant::Int(1)}), 4, L"Неверный тип параметра");
  EXPECT_EQ(DeviceCount(), 2);
}

TEST_F(CommonMethods, DeleteDeviceTakesOnlyANumberOfAnExistingDevice) {
  AddDevice(testsupport::kFirstDevice, L"Склад");
  AddDevice(testsupport::kSecondDevice, L"Касса");
  struct Case {
    HostVariant number;
    int32_t code;
    int32_t count_after;
  } cases[] = {
      {HostVariant::Int(0), 3, 2},
      {HostVariant::Int(3), 3, 2},
      {HostVariant::Text(L"1"), 3, 2},
      {HostVariant::Int(1), 0, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(TextOf(c.number)));
    pluhost::CallOutcome outcome = Call(L"УдалитьУстройство", {c.number});
    EXPECT_EQ(outcome.code, c.code);
    if (c.code != 0) {
      EXPECT_EQ(outcome.description, L"Устройство не обнаружено");
    }
    EXPECT_EQ(DeviceCount(), c.count_after);
  }
  // The first one went: the second is now alone, at number 1.
  ExpectSuccess(Set(L"НомерУстройства", HostVariant::Int(1)));
  EXPECT_EQ(TextOf(Get(L"ИмяУстройства").result), L"Касса");
}

TEST_F(CommonMethods, ChoiceDeviceTakesANameInAnyCaseOrAWholeNumber) {
  AddDevice(testsupport::kFirstDevice, L"Склад");
  AddDevice(testsupport::kSecondDevice, L"Касса");
  struct Case {
    HostVariant choice;
    int32_t code;
    int32_t current;
  } cases[] = {
      {HostVariant::Text(L"СКЛАД"), 0, 1},
      {HostVariant::Double(2.0), 0, 2},
      {HostVariant::Double(1.5), 3, 2},
      {HostVariant::Text(L"Нет такого"), 3, 2},
      {HostVariant::Int(3), 3, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(TextOf(c.choice)));
    EXPECT_EQ(Call(L"ChoiceDevice", {c.choice}).code, c.code);
    EXPECT_EQ(IntOf(Get(L"НомерУстройства").result), c.current);
  }
  EXPECT_EQ(TextOf(Get(L"DeviceName").result), L"Касса");
}

TEST_F(CommonMethods, BeepWantsTwoIntegers) {
  ExpectFailure(Call(L"Гудок", {HostVariant::Text(L"800"), HostVariant::Int(200)}), 4, L"Неверный тип параметра");
  ExpectFailure(Call(L"Beep", {HostVariant::Int(800), HostVariant::Double(0.5)}), 4, L"Неверный тип параметра");
  ExpectFailure(Call(L"Гудок", {HostVariant::Int(800), HostVariant::Int(-1)}), 5, L"Недопустимое значение параметра");
  pluhost::CallOutcome beeped = Call(L"Гудок", {HostVariant::Int(800), HostVariant::Int(200)});
  ExpectSuccess(beeped);
  EXPECT_EQ(IntOf(beeped.result), 0);
}

TEST_F(CommonMethods, CreatedTablesTakeNumbersAndCountAnythingElseAsZero) {
  struct Case {
    HostVariant rows;
    HostVariant columns;
    int32_t expected_rows;
    int32_t expected_columns;
  } cases[] = {
      {HostVariant::Text(L"3"), HostVariant::Int(2), 0, 2},
      {HostVariant::Int(3), HostVariant::Double(2.0), 3, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(TextOf(c.rows)));
    pluhost::CallOutcome made = Call(L"СоздатьПараметры", {c.rows, c.columns});
    ExpectSuccess(made);
    ASSERT_EQ(made.result.Get().vt, VT_DISPATCH);
    int32_t rows = -1, columns = -1;
    ASSERT_TRUE(pluhost::TableBounds(made.result.Get().pdispVal, rows, columns));
    EXPECT_EQ(rows, c.expected_rows);
    EXPECT_EQ(columns, c.expected_columns);
  }
}

TEST_F(CommonMethods, ResultAndItsDescriptionWithAndWithoutADevice) {
  pluhost::CallOutcome result = Get(L"Результат");
  ExpectSuccess(result);
  ASSERT_EQ(result.result.Get().vt, VT_I4);
  EXPECT_EQ(result.result.Get().lVal, 3) << "no device serves the call";

  struct Case {
    HostVariant code;
    const wchar_t* text;
  } cases[] = {
      {HostVariant::Double(2.0), L"Нет связи"},
      {HostVariant::Int(3), L"Устройство не обнаружено"},
      {HostVariant::Int(77), L"Неопределенная ошибка"},
  };
  for (const Case& c : cases) {
    pluhost::CallOutcome described = Call(L"ResultDescription", {c.code});
    ExpectSuccess(described);
    EXPECT_EQ(TextOf(described.result), c.text);
  }
  ExpectFailure(Call(L"ОписаниеОшибки", {HostVariant::Text(L"2")}), 4, L"Неверный тип параметра");

  AddDevice(testsupport::kFirstDevice, L"Склад");
  EXPECT_EQ(IntOf(Get(L"Result").result), 0);
  // A failed terminal command leaves its code on the device, and the description follows it.
  EXPECT_EQ(Call(L"ПрочитатьДанные", {testsupport::EmptyHostTable(0, 0)}).code, -1);
  EXPECT_EQ(IntOf(Get(L"Результат").result), -1);
}

TEST_F(CommonMethods, PluginInformationFillsTwelveElementsAndLeavesTheLast) {
  std::vector<HostVariant> args(13);
  args[12] = HostVariant::Text(L"не трогать");
  pluhost::CallOutcome info = Call(L"ИнформацияОПлагине", args);
  ExpectSuccess(info);
  ASSERT_EQ(info.args.size(), 13u);
  EXPECT_EQ(TextOf(info.args[0]), GuidText(automation::kModelTermblank));
  for (int i : {1, 7, 8, 9, 10}) EXPECT_EQ(info.args[i].Get().vt, VT_BSTR) << "element " << i;
  for (int i : {2, 3, 4, 5, 6, 11}) EXPECT_EQ(info.args[i].Get().vt, VT_I4) << "element " << i;
  EXPECT_EQ(TextOf(info.args[9]), L"ТСД");
  EXPECT_EQ(TextOf(info.args[10]), L"Терминалы сбора данных");
  EXPECT_NE(IntOf(info.args[11]), 0) << "the device list's address";
  EXPECT_EQ(TextOf(info.args[12]), L"не трогать");
}

TEST_F(CommonMethods, SettingsDocumentsBySelector) {
  AddDevice(testsupport::kFirstDevice, L"Склад");
  AddDevice(testsupport::kSecondDevice, L"Касса");

  pluhost::CallOutcome all = Call(L"ПолучитьНастройкиXML", {HostVariant::Int(0), HostVariant()});
  ExpectSuccess(all);
  ASSERT_EQ(all.args.size(), 2u);
  const std::wstring list = XmlOf(all.args[1]);
  EXPECT_TRUE(Contains(list, L"<EquList>")) << testing::PrintToString(list);
  EXPECT_TRUE(Contains(list, testsupport::kFirstDevice) && Contains(list, testsupport::kSecondDevice))
      << testing::PrintToString(list);

  pluhost::CallOutcome one = Call(L"GetSettingsXML", {HostVariant::Text(testsupport::kSecondDevice), HostVariant()});
  ExpectSuccess(one);
  const std::wstring single = XmlOf(one.args[1]);
  EXPECT_TRUE(Contains(single, L"Касса") && !Contains(single, L"Склад")) << testing::PrintToString(single);

  pluhost::CallOutcome unknown = Call(L"ПолучитьНастройкиXML", {HostVariant::Text(kUnknownDevice), HostVariant::Int(5)});
  ExpectFailure(unknown, 3, L"Устройство не обнаружено");
  EXPECT_EQ(IntOf(unknown.args[1]), 5) << "a failed call writes nothing back";
  ExpectFailure(Call(L"ПолучитьНастройкиXML", {HostVariant::Double(0.5), HostVariant()}), 4,
                L"Неверный тип параметра");
}

TEST_F(CommonMethods, SettingsDeviceExShowsTheDeviceAndGivesItsDocument) {
  AddDevice(testsupport::kFirstDevice, L"Склад");
  // The settings argument is a configuration document, read before the dialog.
  pluhost::CallOutcome changed =
      Call(L"ИзменитьУстройствоРасш", {HostVariant::Text(testsupport::kFirstDevice), HostVariant::Text(kNoDevices)});
  ExpectSuccess(changed);
  EXPECT_EQ(IntOf(changed.result), 0);
  ASSERT_EQ(changed.args.size(), 2u);
  const std::wstring document = TextOf(changed.args[1]);
  EXPECT_TRUE(Contains(document, testsupport::kFirstDevice) && Contains(document, L"Склад"))
      << testing::PrintToString(document);

  // One that renames the device.
  pluhost::CallOutcome renamed = Call(
      L"SettingsDeviceEx", {HostVariant::Text(testsupport::kFirstDevice),
                            HostVariant::Text(testsupport::DeviceDocument(testsupport::kFirstDevice, L"Склад 2"))});
  ExpectSuccess(renamed);
  EXPECT_TRUE(Contains(TextOf(renamed.args[1]), L"Склад 2"));
  EXPECT_EQ(DeviceCount(), 1);

  // No device has the identifier: the dialog's "not found" is reported, not a failure to
  // read a document that does not exist.
  pluhost::CallOutcome unknown =
      Call(L"ИзменитьУстройствоРасш", {HostVariant::Text(kUnknownDevice), HostVariant::Text(kNoDevices)});
  ExpectFailure(unknown, -1, L"Неопределенная ошибка");
  EXPECT_EQ(TextOf(unknown.args[1]), kNoDevices);

  pluhost::CallOutcome no_guid =
      Call(L"ИзменитьУстройствоРасш", {HostVariant::Text(L"Склад"), HostVariant::Text(kNoDevices)});
  EXPECT_TRUE(no_guid.failed);
  EXPECT_EQ(no_guid.description, L"Значение не является идентификатором объекта.");
}

TEST_F(CommonMethods, DeviceParametersAsTablesBothWays) {
  EXPECT_EQ(Call(L"ПолучитьСвойства", {HostVariant()}).code, 3);
  EXPECT_EQ(Call(L"УстановитьСвойства", {HostTable({{L"Порт"}})}).code, 3);

  AddDevice(testsupport::kFirstDevice, L"Склад");
  ExpectSuccess(Call(L"SetProps", {HostTable({{L"Порт", L"Порт", L"", L"Строка", L"COM3", L"0", L""}})}));
  pluhost::CallOutcome props = Call(L"GetProps", {HostVariant()});
  ExpectSuccess(props);
  ASSERT_EQ(props.args.size(), 1u);
  ASSERT_EQ(props.args[0].Get().vt, VT_DISPATCH);
  pluhost::TableCells cells;
  ASSERT_TRUE(pluhost::ReadTable(props.args[0].Get().pdispVal, cells));
  ASSERT_FALSE(cells.empty());
  ASSERT_EQ(cells[0].size(), 7u);
  EXPECT_EQ(TextOf(cells[0][0]), L"ИмяУстройства");
  EXPECT_EQ(TextOf(cells[0][4]), L"Склад");
  bool found = false;
  for (const auto& row : cells) found = found || (TextOf(row[0]) == L"Порт" && TextOf(row[4]) == L"COM3");
  EXPECT_TRUE(found) << "the stored parameter is listed";

  // A number column that holds no number is refused with the caption.
  pluhost::CallOutcome refused =
      Call(L"УстановитьСвойства", {HostTable({{L"Скорость", L"Скорость обмена", L"", L"Число", L"быстро", L"0", L""}})});
  EXPECT_EQ(refused.code, 20029);
  EXPECT_EQ(refused.description, L"Неверный тип свойства [Скорость обмена]");
}

TEST_F(CommonMethods, SwitchingReportsThreeWithoutADeviceAndWorksAfterEventSupport) {
  ExpectFailure(Call(L"Включить", {HostVariant::Int(1)}), 3, L"Устройство не обнаружено");
  ExpectFailure(Call(L"SwitchOff", {HostVariant::Int(1)}), 3, L"Устройство не обнаружено");
  EXPECT_EQ(Get(L"УстройствоВключено").result.Get().vt, VT_EMPTY);

  AddDevice(testsupport::kFirstDevice, L"Склад");
  ExpectSuccess(session_->SendEventSupport());
  // The property is read-only for the host now, the methods still switch through it.
  pluhost::CallOutcome on = Call(L"Включить", {HostVariant::Int(0)});
  ExpectSuccess(on);
  EXPECT_EQ(IntOf(on.result), 0);
  ExpectSuccess(Call(L"Выключить", {HostVariant::Int(0)}));
}

TEST_F(CommonMethods, ListPropertiesReadWhatWasWritten) {
  AddDevice(testsupport::kFirstDevice, L"Склад");
  ExpectSuccess(Set(L"ДоступностьСтраницыСвойств", HostVariant::Text(L"1")));
  EXPECT_EQ(IntOf(Get(L"PropertyPageEnabled").result), 1);

  ExpectSuccess(Set(L"ИмяУстройства", HostVariant::Text(L"Касса")));
  pluhost::CallOutcome document = Call(L"ПолучитьНастройкиXML", {HostVariant::Text(testsupport::kFirstDevice), HostVariant()});
  EXPECT_TRUE(Contains(XmlOf(document.args[1]), L"Касса")) << "the current device was renamed";

  // The number is kept unchecked; no device serves it, and the name reads empty.
  ExpectSuccess(Set(L"DeviceNumber", HostVariant::Int(5)));
  EXPECT_EQ(IntOf(Get(L"НомерУстройства").result), 5);
  EXPECT_EQ(TextOf(Get(L"ИмяУстройства").result), L"");
  EXPECT_EQ(IntOf(Get(L"Результат").result), 3);

  EXPECT_TRUE(Set(L"НомерУстройства", HostVariant::Text(L"второй")).failed) << "no number";
  EXPECT_EQ(IntOf(Get(L"НомерУстройства").result), 5);
}

TEST_F(CommonMethods, ReleaseIsTheThirdVersionNumberAsSixteenBits) {
  pluhost::CallOutcome release = Get(L"Релиз");
  ExpectSuccess(release);
  ASSERT_EQ(release.result.Get().vt, VT_UI2);
  EXPECT_EQ(release.result.Get().uiVal, PLU_VERSION_RELEASE);
}

}  // namespace
