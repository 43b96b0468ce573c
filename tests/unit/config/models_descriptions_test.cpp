// Model and parameter descriptions read from configuration documents through the real XML
// component: the filter, the lookups and the modified state.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/config/global_id.h"
#include "framework/config/model_list.h"
#include "framework/config/xml_names.h"
#include "framework/services/exceptions.h"
#include "framework/win/scoped_variant.h"

namespace config {
namespace {

constexpr wchar_t kUpper[] = L"АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЫЪЬЭЮЯABCDEFGHIJKLMNOPQRSTUVWXYZ";
constexpr wchar_t kLower[] = L"абвгдеёжзийклмнопрстуфхцчшщыъьэюяabcdefghijklmnopqrstuvwxyz";

// Models of the plug-in "termdt930.plu" in every variation that the filter must tell apart.
const wchar_t kConfiguration[] =
    L"<?xml version=\"1.0\"?>\r\n"
    L"<Система>\r\n"
    L" <КлассыОборудования>\r\n"
    L"  <КлассОборудования Идентификатор=\"TDC\" Код=\"5\">\r\n"
    L"   <Модель Код=\"{11111111-0000-0000-0000-000000000001}\" Идентификатор=\"DT930\""
    L" Наименование=\"Casio\" Библиотека=\"TermDT930.PLU\" ИспользуетHB=\"1\" Версия=\"3\""
    L" ВерсияPLU=\"1.2\" Релиз=\"7\">\r\n"
    L"    <Параметры>\r\n"
    L"     <Параметр Идентификатор=\"Порт\" Наименование=\"Порт связи\" Тип=\"Число\""
    L" ФлагТолько4тение=\"1\" Зна4ениеПоУмол4анию=\"3\" Описание=\"a\\nb\"/>\r\n"
    L"     <Параметр Идентификатор=\"SPEED\" ЗначениеПоУмолчанию=\"9600\" ФлагТолько4тение=\"x\"/>\r\n"
    L"    </Параметры>\r\n"
    L"   </Модель>\r\n"
    L"   <Модель Код=\"{11111111-0000-0000-0000-000000000002}\" Библиотека=\"termdt930.plu\""
    L" Состояние=\"0\"/>\r\n"
    L"   <Модель Код=\"{11111111-0000-0000-0000-000000000003}\" Библиотека=\"termdt930.plu\""
    L" Состояние=\"1\"/>\r\n"
    L"   <Модель Код=\"{11111111-0000-0000-0000-000000000004}\" Библиотека=\"other.plu\"/>\r\n"
    L"  </КлассОборудования>\r\n"
    L" </КлассыОборудования>\r\n"
    L" <Оборудование><Модель Код=\"{11111111-0000-0000-0000-000000000005}\""
    L" Библиотека=\"termdt930.plu\"/></Оборудование>\r\n"
    L"</Система>\r\n";

std::wstring CodeDigit(const TModelItem* item) {
  std::wstring text = GlobalIdToText(item->ModelCode);
  return text.substr(36, 1);
}

std::wstring Codes(const TModelList& list) {
  std::wstring codes;
  for (int i = 0; i < list.Count(); ++i) codes += CodeDigit(list.Items(i));
  return codes;
}

TEST(ModelDescriptions, PluginFilterSelectsOwnModelsUnderTheClassPath) {
  win::ScopedVariant text = win::ScopedVariant::FromText(kConfiguration);
  auto list = CreateModelList(text.Get(), L"", L"", L"termdt930.plu", L"", L"", L"0");
  // Letter case of the library ignored; state 1 excluded, absent or 0 kept; the model
  // outside the class path is not found, there is no fallback while a filter is set.
  EXPECT_EQ(Codes(*list), L"12");
  EXPECT_TRUE(list->Filter.empty());
  EXPECT_FALSE(list->IsModified());

  const TModelItem* casio = list->Items(0);
  EXPECT_EQ(casio->Identifier, L"DT930");
  EXPECT_EQ(casio->Name, L"Casio");
  EXPECT_EQ(casio->Library, L"TermDT930.PLU");
  EXPECT_EQ(casio->ClassIdentifier, L"TDC");
  EXPECT_EQ(casio->UsesHB, 1);
  EXPECT_EQ(casio->Version, 3);
  EXPECT_EQ(casio->PluVersion, L"1.2");
  EXPECT_EQ(casio->Release, 7);
  EXPECT_EQ(casio->State, 0);

  const TParameterList& parameters = casio->Parameters();
  ASSERT_EQ(parameters.Count(), 2);
  const TParameterItem* port = parameters.Items(0);
  EXPECT_EQ(port->FParamName, L"Порт");
  EXPECT_EQ(port->FParamDescription, L"Порт связи");
  EXPECT_EQ(port->FParamType, L"Число");
  EXPECT_EQ(port->FParamReadOnly, 1);
  EXPECT_EQ(port->FParamDefault, L"3");
  EXPECT_EQ(port->FParamValue, L"3");
  EXPECT_EQ(port->FParamHint, L"a\\nb");  // kept escaped
  // This reader does not rewrite "ч": the letter spelling is not the default attribute.
  const TParameterItem* speed = parameters.Items(1);
  EXPECT_EQ(speed->FParamDefault, L"");
  EXPECT_EQ(speed->FParamReadOnly, 0);
}

TEST(ModelDescriptions, FilterTexts) {
  win::ScopedVariant text = win::ScopedVariant::FromText(kConfiguration);
  const struct {
    const wchar_t* code;
    const wchar_t* library;
    const wchar_t* class_id;
    const wchar_t* state;
    const wchar_t* expected;
  } cases[] = {
      {L"", L"*", L"*", L"", L"1234"},  // "*" adds no condition
      {L"", L"", L"", L"1", L"134"},    // any other state excludes only the state "0"
      {L"", L"OTHER.plu", L"tdc", L"", L"4"},
      {L"", L"termdt930.plu", L"Нет", L"", L""},
      {L"{11111111-0000-0000-0000-000000000002}", L"", L"", L"", L"2"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.expected)));
    auto list = CreateModelList(text.Get(), c.code, L"", c.library, c.class_id, L"", c.state);
    EXPECT_EQ(Codes(*list), c.expected);
  }

  // Only an unfiltered load that finds nothing under the class path looks anywhere.
  win::ScopedVariant elsewhere = win::ScopedVariant::FromText(
      L"<Система><Оборудование><Модель Код=\"{11111111-0000-0000-0000-000000000005}\""
      L" Библиотека=\"termdt930.plu\"/></Оборудование></Система>");
  EXPECT_EQ(Codes(*CreateModelList(elsewhere.Get(), L"", L"*", L"", L"", L"", L"")), L"5");
  EXPECT_EQ(Codes(*CreateModelList(elsewhere.Get(), L"", L"", L"termdt930.plu", L"", L"", L"0")),
            L"");
}

TEST(ModelDescriptions, PredicateTexts) {
  TModelList list(win::ScopedVariant::FromText(L"<Система/>").Get());
  const int indices[] = {kAttrLibrary, kAttrClassIdKey, kAttrState, kAttrClassCodeKey, kAttrName};
  const std::wstring values[] = {L"A&B\"Ё.plu", L"TDC", L"0", L"*", L""};
  list.SetFilter(indices, values);
  auto [model, cls] = list.BuildPredicates();
  const std::wstring upper = kUpper, lower = kLower;
  EXPECT_EQ(model, L"[(translate(@Библиотека,\"" + upper + L"\",\"" + lower +
                       L"\")=\"a&b&quot;ё.plu\") and (translate(@Состояние,\"" + upper + L"\",\"" +
                       lower + L"\")!=\"1\")]");
  EXPECT_EQ(cls, L"[(translate(@Идентификатор,\"" + upper + L"\",\"" + lower + L"\")=\"tdc\")]");

  // A later value for a key replaces the earlier one in its place.
  const int again[] = {kAttrLibrary};
  const std::wstring other[] = {L"x"};
  list.SetFilter(again, other);
  ASSERT_EQ(list.Filter.size(), 3u);
  EXPECT_EQ(list.Filter[0].first, L"118");
  EXPECT_EQ(list.Filter[0].second, L"x");
  EXPECT_EQ(list.Filter[1].first, L"_101");

  const std::wstring two[] = {L"a", L"b"};
  EXPECT_THROW(list.SetFilter(again, two), services::ECodedException);
  EXPECT_EQ(list.Filter.size(), 3u);
}

TEST(ModelDescriptions, AmpersandInAFilterValueStillMatches) {
  win::ScopedVariant text = win::ScopedVariant::FromText(
      L"<Система><КлассыОборудования><КлассОборудования>"
      L"<Модель Код=\"{11111111-0000-0000-0000-000000000001}\" Библиотека=\"a&amp;b.plu\"/>"
      L"</КлассОборудования></КлассыОборудования></Система>");
  auto list = CreateModelList(text.Get(), L"", L"", L"A&B.plu", L"", L"", L"0");
  EXPECT_EQ(Codes(*list), L"1");
}

TEST(ModelDescriptions, DeletedModelsAndLookups) {
  win::ScopedVariant text = win::ScopedVariant::FromText(
      L"<Система><КлассыОборудования><КлассОборудования>"
      L"<Модель Код=\"{11111111-0000-0000-0000-000000000001}\" Наименование=\"first\"/>"
      L"<Модель Код=\"{11111111-0000-0000-0000-000000000001}\" Наименование=\"second\"/>"
      L"<Модель Код=\"{11111111-0000-0000-0000-000000000002}\" Состояние=\"1\">"
      L"<Параметры><Параметр Идентификатор=\"A\"/></Параметры></Модель>"
      L"<Модель Код=\"{11111111-0000-0000-0000-000000000003}\" Версия=\"-1\" Состояние=\"1\"/>"
      L"<Модель><Параметры><Параметр Идентификатор=\"PORT\"/></Параметры></Модель>"
      L"</КлассОборудования></КлассыОборудования></Система>");
  auto list = CreateModelList(text.Get(), L"", L"", L"", L"", L"", L"");
  // The never-stored deleted model (version -1) drops itself while loading.
  EXPECT_EQ(Codes(*list), L"1120");

  GUID one = GlobalIdFromText(L"{11111111-0000-0000-0000-000000000001}");
  GUID two = GlobalIdFromText(L"{11111111-0000-0000-0000-000000000002}");
  ASSERT_NE(list->FindByModelCode(one), nullptr);
  EXPECT_EQ(list->FindByModelCode(one)->Name, L"second");
  TModelItem* deleted = list->FindByModelCode(two);
  ASSERT_NE(deleted, nullptr);
  EXPECT_EQ(deleted->Parameters().Count(), 0);
  list->IncludeDeleted = false;
  EXPECT_EQ(list->FindByModelCode(two), nullptr);
  EXPECT_EQ(list->FindByModelCode(GlobalIdFromText(L"{11111111-0000-0000-0000-000000000009}")),
            nullptr);

  TModelItem* plain = list->FindByModelCode(GUID_NULL);
  ASSERT_NE(plain, nullptr);
  EXPECT_NE(plain->Parameters().FindByName(L"Port"), nullptr);
  EXPECT_EQ(plain->Parameters().FindByName(L"Port2"), nullptr);
}

TEST(ModelDescriptions, InvalidCodeEndsTheLoad) {
  win::ScopedVariant text = win::ScopedVariant::FromText(
      L"<Система><КлассыОборудования><КлассОборудования>"
      L"<Модель Код=\"{11111111-0000-0000-0000-000000000001}\"/><Модель Код=\"Касса\"/>"
      L"</КлассОборудования></КлассыОборудования></Система>");
  TModelList list(text.Get());
  try {
    list.Load();
    ADD_FAILURE() << "loaded";
  } catch (const services::Exception& e) {
    EXPECT_EQ(e.Message(), L"Значение не является идентификатором объекта.");
  }
  EXPECT_EQ(Codes(list), L"1");
}

TEST(ModelDescriptions, MalformedTextIsRefused) {
  win::ScopedVariant text = win::ScopedVariant::FromText(L"<Система><Модель></Система>");
  try {
    CreateModelList(text.Get(), L"", L"", L"termdt930.plu", L"", L"", L"0");
    ADD_FAILURE() << "accepted";
  } catch (const services::ECodedException& e) {
    EXPECT_EQ(e.Code(), 20023);
  }

  // A list keeps the document it had.
  win::ScopedVariant good = win::ScopedVariant::FromText(kConfiguration);
  TModelList list(good.Get());
  IDispatch* before = list.Document.Get();
  EXPECT_THROW(list.SetDocument(text.Get()), services::ECodedException);
  EXPECT_EQ(list.Document.Get(), before);
}

TEST(ModelDescriptions, ModifiedStateFollowsTheSetters) {
  win::ScopedVariant text = win::ScopedVariant::FromText(kConfiguration);
  auto list = CreateModelList(text.Get(), L"", L"", L"termdt930.plu", L"", L"", L"0");
  int changes = 0;
  list->OnChange = [&](TBaseList& sender) {
    EXPECT_EQ(&sender, list.get());
    ++changes;
  };
  TModelItem* model = list->Items(0);
  TParameterItem* port = model->Parameters().Items(0);

  port->SetParamValue(L"3");  // unchanged text
  EXPECT_FALSE(port->Modified);
  EXPECT_FALSE(list->IsModified());
  EXPECT_EQ(changes, 0);

  port->SetParamValue(L"4");
  EXPECT_TRUE(port->Modified);
  EXPECT_TRUE(model->IsModified());  // through its children
  EXPECT_TRUE(list->IsModified());
  EXPECT_EQ(changes, 1);  // the parameter's change reaches the model list
  port->SetParamValue(L"4");
  EXPECT_TRUE(port->Modified);  // an unchanged value keeps what was

  // Model texts ignore case, parameter texts do not.
  list->ClearModified();
  model->SetName(L"CASIO");
  EXPECT_FALSE(model->Modified);
  EXPECT_EQ(model->Name, L"CASIO");
  model->Parameters().Items(1)->SetParamName(L"speed");
  EXPECT_TRUE(model->Parameters().Items(1)->Modified);

  list->ClearModified();
  EXPECT_FALSE(list->IsModified());
  EXPECT_FALSE(port->Modified);

  // Deleting an item marks the list once.
  changes = 0;
  list->Delete(1);
  EXPECT_TRUE(list->Modified);
  EXPECT_EQ(changes, 1);
  list->Delete(0);
  EXPECT_EQ(changes, 1);
}

TEST(ModelDescriptions, FreeStandingParameterListReadsValues) {
  win::ScopedVariant text = win::ScopedVariant::FromText(
      L"<Параметры><Параметр Идентификатор=\"A\" Зна4ение=\"v\""
      L" Зна4ениеПоУмол4анию=\"d\"/></Параметры>");
  TParameterList list(text.Get());
  list.Load();
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(list.Items(0)->FParamValue, L"v");
  EXPECT_EQ(list.Items(0)->FParamDefault, L"d");
  EXPECT_FALSE(list.Items(0)->Modified);
}

}  // namespace
}  // namespace config
