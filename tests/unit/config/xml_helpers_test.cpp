// The XML helpers against the real DOM component: name tables, documents, selection,
// attributes, the name rewrite and the refusal of malformed texts.
#include <gtest/gtest.h>

#include <string>

#include "framework/config/xml_document.h"
#include "framework/config/xml_names.h"
#include "framework/services/exceptions.h"
#include "framework/win/scoped_variant.h"

namespace config {
namespace {

// The coded error a call raises, or code -1 when it raises none.
template <typename F>
std::pair<int, std::wstring> CodedFailure(F&& call) {
  try {
    call();
  } catch (const services::ECodedException& e) {
    return {e.Code(), e.Message()};
  }
  return {-1, L""};
}

TEST(XmlNames, LookupsCheckTheirBounds) {
  EXPECT_EQ(NodeName(0), L"Параметр");
  EXPECT_EQ(NodeName(29), L"/Система/КлассыОборудования/КлассОборудования%s/Модель");
  EXPECT_EQ(NodeName(33), L"/Система/Решения/Решение/То4киДоступа");
  EXPECT_EQ(AttrName(100), L"Код");
  EXPECT_EQ(AttrName(106), L"Зна4ениеПоУмол4анию");
  EXPECT_EQ(AttrName(130), L"Preference");
  for (int i = kFirstNodeName; i <= kLastNodeName; ++i) EXPECT_EQ(NodeTagItem(i).Index, i);
  for (int i = kFirstAttrName; i <= kLastAttrName; ++i) EXPECT_EQ(AttrTagItem(i).Index, i);

  const struct {
    int index;
    bool node;
    const wchar_t* message;
  } bad[] = {
      {-1, true, L"Индекс имени узла за пределами границы."},
      {34, true, L"Индекс имени узла за пределами границы."},
      {99, false, L"Индекс имени аттрибута за пределами границы."},
      {131, false, L"Индекс имени аттрибута за пределами границы."},
  };
  for (const auto& c : bad) {
    SCOPED_TRACE(c.index);
    auto failure = CodedFailure([&] { c.node ? NodeName(c.index) : AttrName(c.index); });
    EXPECT_EQ(failure.first, 20000);
    EXPECT_EQ(failure.second, c.message);
  }
}

TEST(XmlNames, SpellingRewriteWorksOnRawText) {
  const struct {
    const wchar_t* with_letter;
    const wchar_t* with_digit;
  } cases[] = {
      {L"<Параметр Значение=\"Значение\"/>", L"<Параметр Зна4ение=\"Значение\"/>"},
      {L"<П ЗначениеПоУмолчанию=\"1\" ФлагТолькоЧтение=\"0\"/>",
       L"<П Зна4ениеПоУмол4анию=\"1\" ФлагТолько4тение=\"0\"/>"},
      {L"<ТочкиДоступа><ТочкаДоступа КодТочкиДоступа=\"\"/></ТочкиДоступа>",
       L"<То4киДоступа><То4каДоступа КодТо4киДоступа=\"\"/></То4киДоступа>"},
      // Raw text: a fragment inside a value is rewritten too.
      {L"<П Описание=\"a Значение=b\"/>", L"<П Описание=\"a Зна4ение=b\"/>"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.with_letter)));
    EXPECT_EQ(ConvertNameSpelling(c.with_letter, 0), c.with_digit);
    EXPECT_EQ(ConvertNameSpelling(c.with_digit, 1), c.with_letter);
  }
  // Two blanks, or no "=" right after the name: not a name in the sense of the rewrite.
  EXPECT_EQ(ConvertNameSpelling(L"<П  Значение=\"\" Значение =\"\"/>", 0),
            L"<П  Зна4ение=\"\" Значение =\"\"/>");
  EXPECT_EQ(ConvertNameSpelling(L"<ТочкиДоступа x=\"1\">", 0), L"<ТочкиДоступа x=\"1\">");
}

TEST(XmlDocument, NewDocumentCarriesTheDeclarationAndRoot) {
  XmlNode document = NewXmlDocument(NodeName(kNodeDevice), XmlDeclarationText());
  std::wstring text = XmlText(document);
  EXPECT_EQ(text.rfind(L"<?xml version=\"1.0\" encoding=\"UTF-16\"?>", 0), 0u) << text;
  XmlNode root = DocumentElement(document);
  ASSERT_TRUE(root);
  EXPECT_EQ(XmlNodeName(root), L"Устройство");

  XmlNode bare = NewXmlDocument(L"", L"");
  EXPECT_FALSE(DocumentElement(bare));
}

TEST(XmlDocument, MalformedTextIsAStructureError) {
  XmlNode document = CreateXmlDocument();
  for (const wchar_t* text : {L"<Устройство Код=\"1\"><Параметры></Устройство>", L"", L"plain"}) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(text)));
    auto failure = CodedFailure([&] { LoadXmlText(document, text); });
    EXPECT_EQ(failure.first, 20023);
    EXPECT_EQ(failure.second.rfind(L"Ошибка структуры конфигурационного файла (", 0), 0u)
        << testing::PrintToString(failure.second);
    // The parser's reason follows the template, not just the position.
    EXPECT_GT(failure.second.size(), std::wstring(L"Ошибка структуры конфигурационного файла ([0:0])").size())
        << testing::PrintToString(failure.second);
  }
}

TEST(XmlDocumentEnglish, StructureErrorInTheUsersLanguage) {
  XmlNode document = CreateXmlDocument();
  auto failure = CodedFailure([&] { LoadXmlText(document, L"<a><b></a>"); });
  EXPECT_EQ(failure.first, 20023);
  EXPECT_EQ(failure.second.rfind(L"Mistake of structure of a configuration file (", 0), 0u)
      << testing::PrintToString(failure.second);
}

// A configuration fragment with Cyrillic names and predicates: Wine's component fails on
// "/Система/...[...]" written without the explicit child axis.
const wchar_t kClasses[] =
    L"<Система><КлассыОборудования>"
    L"<КлассОборудования Идентификатор=\"TDC\" Код=\"7\">"
    L"<Модель Код=\"a\" Библиотека=\"Term.PLU\"/><Модель Код=\"b\" Библиотека=\"x.plu\"/>"
    L"</КлассОборудования>"
    L"<КлассОборудования Идентификатор=\"Other\"><Модель Код=\"c\" Библиотека=\"term.plu\"/>"
    L"</КлассОборудования></КлассыОборудования></Система>";

TEST(XmlDocument, SelectionFillsThePlaceholderAndAppendsTheSuffix) {
  XmlNode document = ParseXmlText(kClasses);
  XmlNode list = SelectNodesByTag(document, kPathFilteredModels,
                                  L"[(translate(@Библиотека,\"ABCDEFGHIJKLMNOPQRSTUVWXYZ\","
                                  L"\"abcdefghijklmnopqrstuvwxyz\")=\"term.plu\")]",
                                  L"[@Идентификатор=\"TDC\"]");
  std::vector<XmlNode> models = NodeListItems(list);
  ASSERT_EQ(models.size(), 1u);
  EXPECT_EQ(GetAttributeByTag(models[0], kAttrCode, L""), L"a");

  // Relative entries start at the context node.
  XmlNode cls = SelectSingleNodeByTag(document, 17, L"[@Идентификатор=\"Other\"]");
  ASSERT_TRUE(cls);
  XmlNode none = SelectSingleNodeByTag(cls, kPathModelParams, L"");
  EXPECT_FALSE(none);
  XmlNode all = SelectNodesByTag(document, kPathAnyModel, L"", L"ignored");
  EXPECT_EQ(NodeListItems(all).size(), 3u);
}

TEST(XmlDocument, AttributesByTag) {
  XmlNode document = NewXmlDocument(NodeName(kNodeParam), XmlDeclarationText());
  XmlNode element = DocumentElement(document);
  win::ScopedVariant name = win::ScopedVariant::FromText(L"Порт");
  win::ScopedVariant flag = win::ScopedVariant::FromInt(1);
  win::ScopedVariant empty = win::ScopedVariant::FromText(L"");

  const int four[] = {kAttrIdentifier, kAttrReadOnly, kAttrValue, kAttrHint};
  const VARIANT three[] = {name.Get(), flag.Get(), empty.Get()};
  auto mismatch = CodedFailure([&] { SetAttributesByTag(element, four, three); });
  EXPECT_EQ(mismatch.first, 20000);
  EXPECT_EQ(mismatch.second, L"Размерности массивов аттрибутов и значений не совпадают");
  EXPECT_EQ(GetAttributeByTag(element, kAttrIdentifier, L"none"), L"none");

  const int with_bad[] = {kAttrIdentifier, kAttrReadOnly, 131};
  auto bad = CodedFailure([&] { SetAttributesByTag(element, with_bad, three); });
  EXPECT_EQ(bad.second, L"Индекс имени аттрибута за пределами границы.");
  EXPECT_EQ(GetAttributeByTag(element, kAttrIdentifier, L""), L"Порт");
  EXPECT_EQ(GetAttributeByTag(element, kAttrReadOnly, L""), L"1");

  const int value_only[] = {kAttrValue};
  SetAttributesByTag(element, value_only, std::span<const VARIANT>(three + 2, 1));
  EXPECT_EQ(GetAttributeByTag(element, kAttrValue, L"default"), L"");
  EXPECT_EQ(GetAttributeByTag(element, kAttrDefault, L"default"), L"default");

  XmlNode unassigned;
  EXPECT_EQ(GetAttributeByTag(unassigned, 5000, L"d"), L"d");
  EXPECT_EQ(GetAttributeByName(unassigned, L"Имя", L"d"), L"d");
}

TEST(XmlDocument, IntegerAttributes) {
  const struct {
    const wchar_t* text;
    bool ok;
    int32_t value;
  } cases[] = {{L"12", true, 12},       {L"-3", true, -3},   {L"  7", true, 7},
               {L"", false, 0},         {L"1.5", false, 0},  {L"12a", false, 0},
               {L"2147483647", true, 2147483647}, {L"2147483648", false, 0},
               {L"-2147483648", true, INT32_MIN}, {L"7 ", false, 0},
               {L"$FF", true, 255},     {L"0x10", true, 16}, {L"$", false, 0},
               {L"0xG", false, 0},      {L"$FFFFFFFF", true, -1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.text)));
    int32_t value = 0;
    EXPECT_EQ(TextToInteger(c.text, value), c.ok);
    if (c.ok) EXPECT_EQ(value, c.value);
  }
}

}  // namespace
}  // namespace config
