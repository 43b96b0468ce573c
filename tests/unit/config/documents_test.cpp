// The configuration documents against the real XML component: device documents in both
// forms, the device list, the model documents, registered models and colours.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/config/documents.h"
#include "framework/config/global_id.h"
#include "framework/config/xml_names.h"
#include "framework/services/exceptions.h"
#include "framework/win/scoped_variant.h"

namespace config {
namespace {

constexpr wchar_t kDeclaration[] = L"<?xml version=\"1.0\" encoding=\"UTF-16\"?>";
constexpr wchar_t kDeviceCode[] = L"{B49766DD-5C96-4181-A4AE-23513F1A77C3}";
constexpr wchar_t kModelCode[] = L"{11111111-0000-0000-0000-000000000001}";

// Records what the reader hands over, in order.
struct RecordingTarget : DeviceDocumentTarget {
  void DeviceIdRead(const GUID& id) override { log.push_back(L"id " + GlobalIdToText(id)); }
  void DeviceNameRead(const std::wstring& name) override { log.push_back(L"name " + name); }
  void ModelCodeRead(const GUID& code) override { log.push_back(L"model " + GlobalIdToText(code)); }
  void PortSettingsRead(const NameValueList& settings) override { log.push_back(L"ports " + Joined(settings)); }
  void ParametersRead(const NameValueList& parameters) override {
    log.push_back(L"params " + Joined(parameters));
  }
  void ModelDescriptionsDue(const GUID& code) override { log.push_back(L"describe"); }

  static std::wstring Joined(const NameValueList& list) {
    std::wstring text;
    for (const auto& [name, value] : list) text += name + L"=" + value + L";";
    return text;
  }
  std::vector<std::wstring> log;
};

// The document's text without line breaks and tabs. Wine's component indents the text of the
// documents it builds, Windows' writes them on one line; both are the same document, and
// the values here hold no such characters.
std::wstring Compact(const std::wstring& text) {
  std::wstring compact;
  for (wchar_t c : text)
    if (c != L'\r' && c != L'\n' && c != L'\t') compact += c;
  return compact;
}

std::vector<std::wstring> ReadText(const std::wstring& text, DeviceDocumentForm expected_form) {
  RecordingTarget target;
  win::ScopedVariant document = win::ScopedVariant::FromText(text);
  EXPECT_EQ(ReadDeviceDocument(document.Get(), target), expected_form);
  return target.log;
}

const std::wstring kCurrentDigits =
    L"<Устройство Код=\"" + std::wstring(kDeviceCode) + L"\" КодМодели=\"" + kModelCode +
    L"\" Наименование=\"Терминал\">\r\n"
    L" <Параметры>\r\n"
    L"  <Параметр Идентификатор=\"Порт\" Зна4ение=\"COM1\"/>\r\n"
    L"  <Параметр Идентификатор=\"Скорость\" Зна4ение=\"9600\" Зна4ениеПоУмол4анию=\"1\"/>\r\n"
    L"  <Параметр Идентификатор=\"Порт\" Зна4ение=\"COM2\"/>\r\n"
    L" </Параметры>\r\n"
    L"</Устройство>";

const std::vector<std::wstring> kCurrentRead = {
    L"id " + std::wstring(kDeviceCode),
    L"name Терминал",
    L"model " + std::wstring(kModelCode),
    L"ports Порт=COM2;Скорость=9600;",
    L"params Порт=COM2;Скорость=9600;",
    L"describe",
};

TEST(DeviceDocument, LetterAndDigitSpellingsReadTheSame) {
  std::wstring letters = kCurrentDigits;
  for (auto [from, to] : {std::pair{L" Зна4ение=", L" Значение="},
                          std::pair{L" Зна4ениеПоУмол4анию=", L" ЗначениеПоУмолчанию="}}) {
    for (size_t at = letters.find(from); at != std::wstring::npos; at = letters.find(from))
      letters.replace(at, std::wcslen(from), to);
  }
  ASSERT_EQ(letters.find(L"Зна4"), std::wstring::npos);
  EXPECT_EQ(ReadText(kCurrentDigits, DeviceDocumentForm::kCurrent), kCurrentRead);
  EXPECT_EQ(ReadText(letters, DeviceDocumentForm::kCurrent), kCurrentRead);

  // The same document handed over as a DOM object is read without preparation.
  RecordingTarget target;
  XmlNode parsed = ParseXmlText(kCurrentDigits);
  win::ScopedVariant object = win::ScopedVariant::FromDispatch(parsed.Get());
  EXPECT_EQ(ReadDeviceDocument(object.Get(), target), DeviceDocumentForm::kCurrent);
  EXPECT_EQ(target.log, kCurrentRead);
}

TEST(DeviceDocument, FindsTheDeviceElement) {
  // A line break inside a value disappears with the others, without a blank.
  EXPECT_EQ(ReadText(L"<Система><Оборудование><Устройство Наименование=\"a\r\nb\"/>"
                     L"<Устройство Наименование=\"second\"/></Оборудование></Система>",
                     DeviceDocumentForm::kCurrent),
            (std::vector<std::wstring>{L"id {00000000-0000-0000-0000-000000000000}", L"name ab",
                                       L"model {00000000-0000-0000-0000-000000000000}", L"ports ",
                                       L"params ", L"describe"}));
  // The root's name compares ignoring case.
  EXPECT_EQ(ReadText(L"<устройство Наименование=\"x\"/>", DeviceDocumentForm::kCurrent)[1], L"name x");
  EXPECT_TRUE(ReadText(L"<Система><Параметры/></Система>", DeviceDocumentForm::kNotFound).empty());

  RecordingTarget target;
  win::ScopedVariant number = win::ScopedVariant::FromInt(5);
  EXPECT_EQ(ReadDeviceDocument(number.Get(), target), DeviceDocumentForm::kNotFound);
}

TEST(DeviceDocument, ItemFormOnlyWhenItsElementsHaveChildren) {
  const std::wstring item_form =
      L"<Настройки><Устройство Код=\"" + std::wstring(kDeviceCode) +
      L"\" Описание=\"Сканер\" Наименование=\"не то\"/>"
      L"<Параметры><ComPort><Item Имя=\"BaudRate\" Значение=\"9600\"/></ComPort>"
      L"<Дополнительно><Item Имя=\"Таймаут\" Значение=\"5\"/><Item Имя=\"Таймаут\" Значение=\"6\"/>"
      L"</Дополнительно></Параметры></Настройки>";
  EXPECT_EQ(ReadText(item_form, DeviceDocumentForm::kItem),
            (std::vector<std::wstring>{L"id " + std::wstring(kDeviceCode), L"name Сканер",
                                       L"ports BaudRate=9600;", L"params Таймаут=6;"}));

  const std::wstring only_additional =
      L"<Устройство Описание=\"d\"><Параметры><ComPort/><Дополнительно>"
      L"<Item Имя=\"a\" Значение=\"1\"/></Дополнительно></Параметры></Устройство>";
  EXPECT_EQ(ReadText(only_additional, DeviceDocumentForm::kItem)[3], L"params a=1;");

  // Empty item-form elements (blanks only, too) leave the document in the current form.
  const std::wstring empty_item_elements =
      L"<Устройство Наименование=\"n\"><Параметры><ComPort/><Дополнительно>\r\n  </Дополнительно>"
      L"<Параметр Идентификатор=\"p\" Значение=\"v\"/></Параметры></Устройство>";
  EXPECT_EQ(ReadText(empty_item_elements, DeviceDocumentForm::kCurrent)[4], L"params p=v;");
}

TEST(DeviceDocument, InvalidCodeEndsTheReadAfterWhatCameBefore) {
  RecordingTarget target;
  win::ScopedVariant document = win::ScopedVariant::FromText(
      L"<Устройство Код=\"" + std::wstring(kDeviceCode) +
      L"\" Наименование=\"n\" КодМодели=\"Модель\"><Параметры>"
      L"<Параметр Идентификатор=\"p\" Зна4ение=\"v\"/></Параметры></Устройство>");
  try {
    ReadDeviceDocument(document.Get(), target);
    ADD_FAILURE() << "read";
  } catch (const services::Exception& e) {
    EXPECT_EQ(e.Message(), L"Значение не является идентификатором объекта.");
  }
  EXPECT_EQ(target.log,
            (std::vector<std::wstring>{L"id " + std::wstring(kDeviceCode), L"name n"}));
}

TEST(DeviceDocument, MalformedTextChangesNothing) {
  RecordingTarget target;
  win::ScopedVariant document =
      win::ScopedVariant::FromText(L"<Устройство Код=\"\"><Параметры></Устройство>");
  try {
    ReadDeviceDocument(document.Get(), target);
    ADD_FAILURE() << "read";
  } catch (const services::ECodedException& e) {
    EXPECT_EQ(e.Code(), 20023);
    EXPECT_NE(e.Message().find(L"Ошибка структуры конфигурационного файла"), std::wstring::npos);
  }
  EXPECT_TRUE(target.log.empty());
}

struct RecordingList : DeviceListTarget {
  void DevicesReadStarting() override { ++starts; }
  DeviceDocumentTarget& DeviceFor(const GUID& code) override {
    codes.push_back(GlobalIdToText(code));
    devices.emplace_back();
    return devices.back();
  }
  int starts = 0;
  std::vector<std::wstring> codes;
  std::vector<RecordingTarget> devices;
};

TEST(DeviceListDocument, ReadsEveryDeviceInDocumentOrder) {
  RecordingList list;
  list.devices.reserve(4);
  win::ScopedVariant document = win::ScopedVariant::FromText(
      L"<EquList>\r\n<Устройство Код=\"" + std::wstring(kDeviceCode) +
      L"\" Наименование=\"a\"><Параметры><Параметр Идентификатор=\"p\" Значение=\"1\"/>"
      L"</Параметры></Устройство>\r\n<Группа><Устройство Наименование=\"b\"/></Группа></EquList>");
  EXPECT_TRUE(ReadDeviceListDocument(document.Get(), list));
  EXPECT_EQ(list.starts, 1);
  EXPECT_EQ(list.codes, (std::vector<std::wstring>{kDeviceCode,
                                                   L"{00000000-0000-0000-0000-000000000000}"}));
  ASSERT_EQ(list.devices.size(), 2u);
  EXPECT_EQ(list.devices[0].log[4], L"params p=1;");
  EXPECT_EQ(list.devices[1].log[1], L"name b");

  RecordingList untouched;
  win::ScopedVariant number = win::ScopedVariant::FromInt(1);
  EXPECT_FALSE(ReadDeviceListDocument(number.Get(), untouched));
  EXPECT_EQ(untouched.starts, 0);
}

TEST(WrittenDocuments, DeviceAndDeviceList) {
  NameValueList parameters = {{L"Порт", L"COM1"}, {L"Заметка", L"a\\nb"}};
  XmlNode device = WriteDeviceDocument(GlobalIdFromText(kDeviceCode), GlobalIdFromText(kModelCode),
                                       L"Терминал №1", parameters);
  EXPECT_EQ(Compact(XmlText(device)),
            std::wstring(kDeclaration) + L"<Устройство Код=\"" + kDeviceCode +
                L"\" КодМодели=\"" + kModelCode +
                L"\" Наименование=\"Терминал №1\" КодТо4киДоступа=\"\"><Параметры>"
                L"<Параметр Идентификатор=\"Порт\" Зна4ение=\"COM1\"/>"
                L"<Параметр Идентификатор=\"Заметка\" Зна4ение=\"a\\nb\"/></Параметры>"
                L"</Устройство>");

  // What is written reads back the same.
  RecordingTarget target;
  win::ScopedVariant object = win::ScopedVariant::FromDispatch(device.Get());
  ReadDeviceDocument(object.Get(), target);
  EXPECT_EQ(target.log[4], L"params Порт=COM1;Заметка=a\\nb;");

  XmlNode second = WriteDeviceDocument(GUID_NULL, GUID_NULL, L"b", {});
  XmlNode devices[] = {device, second};
  XmlNode list = WriteDeviceListDocument(devices);
  std::wstring text = Compact(XmlText(list));
  EXPECT_EQ(text.rfind(std::wstring(kDeclaration) + L"<EquList><Устройство Код=\"" + kDeviceCode, 0), 0u)
      << testing::PrintToString(text);
  XmlNode root = DocumentElement(list);
  XmlNode children = root.GetObject(L"childNodes");
  EXPECT_EQ(NodeListItems(children).size(), 2u);
  // Deep copies: the device's own document keeps its element.
  EXPECT_TRUE(DocumentElement(device));
}

TEST(WrittenDocuments, ModelParameters) {
  const ParameterDescription parameters[] = {
      {L"Порт", L"Порт связи", L"Integer", true, L"1", L"строка 1\r\nстрока 2"},
      {L"Имя", L"Имя", L"string", false, L"", L""},
      {L"Доля", L"Доля", L"Double", false, L"0,5", L""},
  };
  XmlNode document = WriteModelParametersDocument(parameters);
  std::wstring text = Compact(XmlText(document));
  EXPECT_EQ(text.rfind(std::wstring(kDeclaration) + L"<Модель><Параметры><Параметр Идентификатор=\"Порт\""
                       L" Наименование=\"Порт связи\" Тип=\"Число\" ФлагТолько4тение=\"", 0), 0u)
      << testing::PrintToString(text);
  XmlNode list = SelectNodes(document, L"/Модель/Параметры/Параметр");
  std::vector<XmlNode> elements = NodeListItems(list);
  ASSERT_EQ(elements.size(), 3u);
  EXPECT_EQ(GetAttributeByTag(elements[0], kAttrHint, L""), L"строка 1\\nстрока 2");
  EXPECT_EQ(GetAttributeByTag(elements[1], kAttrType, L""), L"Строка");
  EXPECT_EQ(GetAttributeByTag(elements[2], kAttrType, L"-"), L"");
  EXPECT_EQ(GetAttributeByTag(elements[2], kAttrDefault, L""), L"0,5");

  EXPECT_EQ(Compact(ParameterListText(parameters)),
            L"<Параметры><Параметр Идентификатор=\"Порт\" Наименование=\"Порт связи\" Тип=\"Число\""
            L" ФлагТолько4тение=\"1\" Зна4ениеПоУмол4анию=\"1\" Описание=\"строка 1\\nстрока 2\"/>"
            L"<Параметр Идентификатор=\"Имя\" Наименование=\"Имя\" Тип=\"Строка\""
            L" ФлагТолько4тение=\"0\" Зна4ениеПоУмол4анию=\"\" Описание=\"\"/>"
            L"<Параметр Идентификатор=\"Доля\" Наименование=\"Доля\" Тип=\"\""
            L" ФлагТолько4тение=\"0\" Зна4ениеПоУмол4анию=\"0,5\" Описание=\"\"/></Параметры>");
  EXPECT_EQ(Compact(ParameterListText({})), L"<Параметры/>");
}

TEST(RegisteredModels, LibraryMatchesExactlyAndNamesAreRewritten) {
  const std::wstring long_hint(300, L'x');
  win::ScopedVariant text = win::ScopedVariant::FromText(
      L"<Система>\r\n<Оборудование><Модель Код=\"" + std::wstring(kModelCode) +
      L"\" Наименование=\"M\" Идентификатор=\"I\" ИспользуетHB=\"1\" Библиотека=\"termdt930.plu\">"
      L"<Параметры><Параметр Идентификатор=\"p\" ФлагТолько4тение=\"1\" ЗначениеПоУмолчанию=\"d\""
      L" Описание=\"" + long_hint + L"\"/>"
      L"<Параметр Идентификатор=\"q\" ФлагТолькоЧтение=\"2\"/></Параметры></Модель></Оборудование>"
      L"<Модель Библиотека=\"TermDT930.plu\"/></Система>");
  std::vector<XmlNode> models = SelectRegisteredModels(text.Get(), L"termdt930.plu");
  ASSERT_EQ(models.size(), 1u);
  RegisteredModelRecord record = ReadRegisteredModel(models[0]);
  EXPECT_EQ(GlobalIdToText(record.code), kModelCode);
  EXPECT_EQ(record.name, L"M");
  EXPECT_EQ(record.identifier, L"I");
  EXPECT_EQ(record.uses_hb, 1);
  std::vector<ParameterDescription> parameters = ReadRegisteredParameters(models[0]);
  ASSERT_EQ(parameters.size(), 2u);
  EXPECT_TRUE(parameters[0].read_only);
  EXPECT_EQ(parameters[0].default_value, L"d");
  EXPECT_EQ(parameters[0].hint.size(), 255u);
  EXPECT_FALSE(parameters[1].read_only);  // only "1" is on

  EXPECT_EQ(SelectRegisteredModels(text.Get(), L"TermDT930.plu").size(), 1u);
  VARIANT empty;
  VariantInit(&empty);
  EXPECT_TRUE(SelectRegisteredModels(empty, L"termdt930.plu").empty());
}

TEST(ColourSettingsDocument, FirstItemOfADomObjectCounts) {
  XmlNode document = ParseXmlText(
      L"<Система><ColorItem ColorForm=\"255\" ColorBody=\"x\" ColorFont=\"-5\"/>"
      L"<ColorItem ColorForm=\"1\" ColorBody=\"2\"/></Система>");
  win::ScopedVariant object = win::ScopedVariant::FromDispatch(document.Get());
  ColourSettings colours;
  colours.ColorEdit = 7;
  ReadColourSettings(object.Get(), colours);
  EXPECT_EQ(colours.ColorForm, 255);
  EXPECT_EQ(colours.ColorBody, -1);
  EXPECT_EQ(colours.ColorButton, -1);
  EXPECT_EQ(colours.ColorEdit, -1);
  EXPECT_EQ(colours.ColorFont, -5);

  // A text is ignored; a document without an item keeps the colours.
  win::ScopedVariant text = win::ScopedVariant::FromText(L"<ColorItem ColorForm=\"9\"/>");
  ReadColourSettings(text.Get(), colours);
  XmlNode plain = ParseXmlText(L"<Система/>");
  win::ScopedVariant plain_object = win::ScopedVariant::FromDispatch(plain.Get());
  ReadColourSettings(plain_object.Get(), colours);
  EXPECT_EQ(colours.ColorForm, 255);
}

}  // namespace
}  // namespace config
