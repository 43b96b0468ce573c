// The model list: the placeholder, base and further models, selection, and the models that
// a configuration document registers for this library.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "framework/config/global_id.h"
#include "framework/devices/model_plu_list.h"
#include "framework/services/exceptions.h"
#include "framework/win/scoped_variant.h"

namespace devices {
namespace {

constexpr GUID kBase = {0xB49766DD, 0x5C96, 0x4181, {0xA4, 0xAE, 0x23, 0x51, 0x3F, 0x1A, 0x77, 0xC3}};
constexpr wchar_t kBaseText[] = L"{B49766DD-5C96-4181-A4AE-23513F1A77C3}";
constexpr wchar_t kOtherText[] = L"{11111111-2222-3333-4444-555555555555}";

// The file name (with extension) of this test program, which plays the plug-in module.
std::wstring OwnFileName() {
  wchar_t path[MAX_PATH];
  DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring full(path, length);
  return full.substr(full.find_last_of(L"\\/") + 1);
}

std::wstring UpperCase(std::wstring text) {
  CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
  return text;
}

std::wstring ExceptionMessage(const std::function<void()>& action) {
  try {
    action();
  } catch (const services::Exception& e) {
    return e.Message();
  }
  return L"(no exception)";
}

class ModelPluListTest : public ::testing::Test {
 protected:
  void RegisterBase() {
    models.RegisterBaseModel(kBase, L"Терминал", 1, 2, 3, 4, 0, L"", L"DT930", L"ТСД",
                             L"Терминалы сбора данных");
    config::TPropItem& usable = models.Items(0)->Params.Add();
    usable.SetNameRu(L"Использовать");
    usable.SetDefaultValue(L"1");
    usable.SetValue(L"1");
  }
  void Load(const std::wstring& text) {
    models.LoadRegisteredModels(win::ScopedVariant::FromText(text).Get());
  }
  // A model element; `parameters` goes inside it.
  std::wstring Model(const std::wstring& code, const std::wstring& name,
                     const std::wstring& parameters = L"", const std::wstring& library = L"") {
    return L"<Модель Код=\"" + code + L"\" Наименование=\"" + name +
           L"\" Идентификатор=\"ID-" + name + L"\" Библиотека=\"" +
           (library.empty() ? OwnFileName() : library) + L"\"" +
           (parameters.empty() ? L"/>" : L">" + parameters + L"</Модель>");
  }

  TModelPluList models{nullptr};
};

TEST_F(ModelPluListTest, StartsWithTheCurrentPlaceholder) {
  ASSERT_EQ(models.Count(), 1);
  EXPECT_EQ(models.Current, models.Items(0));
  EXPECT_EQ(models.CurrentIndex, 0);
  EXPECT_TRUE(config::SameGlobalId(models.Current->ModelId, GUID{}));
  EXPECT_EQ(models.Current->ModelName, L"");
  EXPECT_EQ(models.CurrentParams().Count(), 0);
}

TEST_F(ModelPluListTest, BaseModelFillsThePlaceholderInPlace) {
  config::TPropItem& earlier = models.CurrentParams().Add();  // as the device list's records
  earlier.SetNameRu(L"Использовать");
  RegisterBase();
  ASSERT_EQ(models.Count(), 1);
  const TModelPluItem* base = models.Items(0);
  EXPECT_EQ(models.Current, base);
  EXPECT_TRUE(config::SameGlobalId(base->ModelId, kBase));
  EXPECT_EQ(base->DeviceNamePrefix, L"Терминал №");
  EXPECT_EQ(base->ModelValue4, 4);
  EXPECT_EQ(base->ClassName, L"Терминалы сбора данных");
  EXPECT_EQ(base->Params.Items(0).NameRu(), L"Использовать");

  models.RegisterBaseModel(kBase, L"Терминал", 1, 0, 0, 0, 1, L"ТСД-", L"DT930", L"", L"");
  EXPECT_EQ(models.Count(), 1);
  EXPECT_EQ(models.Items(0)->DeviceNamePrefix, L"ТСД-");
}

TEST_F(ModelPluListTest, SelectRefusesAnIndexOutOfRange) {
  RegisterBase();
  ASSERT_TRUE(models.RegisterModel(config::GlobalIdFromText(kOtherText), L"Другой", L"X",
                                   L"X №", 1));
  ASSERT_EQ(models.Count(), 2);
  models.Select(0);
  for (int32_t index : {-1, 2}) {
    SCOPED_TRACE(index);
    EXPECT_EQ(ExceptionMessage([&] { models.Select(index); }), L"Недопустимый индекс модели");
    EXPECT_EQ(models.CurrentIndex, 0);
    EXPECT_EQ(models.Current, models.Items(0));
  }
  models.Select(1);
  EXPECT_EQ(models.CurrentIndex, 1);
  EXPECT_EQ(models.Current, models.Items(1));
}

TEST_F(ModelPluListTest, FurtherModelTakesTheBaseModelsValuesAndClass) {
  RegisterBase();
  const GUID other = config::GlobalIdFromText(kOtherText);
  EXPECT_TRUE(models.RegisterModel(other, L"Другой", L"X", L"X №", 1));
  ASSERT_EQ(models.Count(), 2);
  const TModelPluItem* item = models.Items(1);
  EXPECT_EQ(models.Current, item);
  EXPECT_EQ(models.CurrentIndex, 1);
  EXPECT_EQ(item->ModelName, L"Другой");
  EXPECT_EQ(item->UsesHB, 1);
  EXPECT_EQ(item->DeviceNamePrefix, L"X №");
  EXPECT_EQ(item->ModelValue1, 1);
  EXPECT_EQ(item->ModelValue3, 3);
  EXPECT_EQ(item->ClassShortName, L"ТСД");
  EXPECT_EQ(item->Params.Count(), 0);

  // The base model's GUID leads to item 0: nothing changes there, but it becomes current.
  EXPECT_FALSE(models.RegisterModel(kBase, L"Подмена", L"Y", L"Y №", 1));
  EXPECT_EQ(models.Count(), 2);
  EXPECT_EQ(models.Current, models.Items(0));
  EXPECT_EQ(models.Items(0)->ModelName, L"Терминал");
  EXPECT_EQ(models.Items(0)->UsesHB, 0);
}

TEST_F(ModelPluListTest, LoadsTheModelsOfThisLibraryWithTheirParameters) {
  RegisterBase();
  const std::wstring long_hint(300, L'ж');
  Load(L"<Система><КлассыОборудования><КлассОборудования>" +
       Model(L"{22222222-0000-0000-0000-000000000002}", L"Чужая", L"", L"termblank.plu") +
       Model(L"{33333333-0000-0000-0000-000000000003}", L"Регистр", L"",
             UpperCase(OwnFileName())) +
       L"</КлассОборудования></КлассыОборудования><Прочее>"
       L"<Модель Код=\"" + std::wstring(kOtherText) + L"\" Наименование=\"Сканер\" "
       L"Идентификатор=\"SC\" ИспользуетHB=\"1\" Библиотека=\"" + OwnFileName() + L"\">"
       L"<Параметры>"
       L"<Параметр Идентификатор=\"Порт\" Наименование=\"Порт связи\" Тип=\"String\" "
       L"ФлагТолькоЧтение=\"1\" ЗначениеПоУмолчанию=\"COM1\" Описание=\"" + long_hint + L"\"/>"
       L"<Параметр Идентификатор=\"Скорость\" Тип=\"Integer\" ФлагТолько4тение=\"2\" "
       L"Зна4ениеПоУмол4анию=\"9600\"/>"
       L"</Параметры></Модель></Прочее></Система>");

  ASSERT_EQ(models.Count(), 2);  // neither the other library nor other letter case
  const TModelPluItem* item = models.Items(1);
  EXPECT_EQ(models.Current, item);
  EXPECT_EQ(item->ModelName, L"Сканер");
  EXPECT_EQ(item->Identifier, L"SC");
  EXPECT_EQ(item->DeviceNamePrefix, L"SC №");
  EXPECT_EQ(item->UsesHB, 1);
  EXPECT_EQ(item->ClassName, L"Терминалы сбора данных");
  ASSERT_EQ(item->Params.Count(), 2);
  const config::TPropItem& port = item->Params.Items(0);
  EXPECT_EQ(port.NameRu(), L"Порт");
  EXPECT_EQ(port.Caption(), L"Порт связи");
  EXPECT_EQ(port.TypeName(), L"String");
  EXPECT_TRUE(port.ReadOnly());  // the letter spelling of the text was rewritten
  EXPECT_EQ(port.DefaultValue(), L"COM1");
  EXPECT_EQ(port.GetValue(), L"COM1");
  EXPECT_EQ(port.Description(), std::wstring(255, L'ж'));
  const config::TPropItem& speed = item->Params.Items(1);
  EXPECT_FALSE(speed.ReadOnly()) << "only the text \"1\" sets the flag";
  EXPECT_EQ(speed.GetValue(), L"9600");

  // Loading again updates the parameters in place.
  Load(L"<Система>" +
       Model(kOtherText, L"Сканер",
             L"<Параметры><Параметр Идентификатор=\"ПОРТ\" Зна4ениеПоУмол4анию=\"COM2\"/>"
             L"</Параметры>") +
       L"</Система>");
  ASSERT_EQ(models.Count(), 2);
  ASSERT_EQ(item->Params.Count(), 2);
  EXPECT_EQ(item->Params.Items(0).NameRu(), L"ПОРТ");
  EXPECT_EQ(item->Params.Items(0).GetValue(), L"COM2");
}

TEST_F(ModelPluListTest, BaseModelsGuidInTheDocumentChangesNothing) {
  RegisterBase();
  Load(L"<Система>" +
       Model(kBaseText, L"Подмена", L"<Параметры><Параметр Идентификатор=\"Новый\"/></Параметры>") +
       L"</Система>");
  ASSERT_EQ(models.Count(), 1);
  EXPECT_EQ(models.Current, models.Items(0));
  EXPECT_EQ(models.Items(0)->ModelName, L"Терминал");
  ASSERT_EQ(models.Items(0)->Params.Count(), 1);
  EXPECT_EQ(models.Items(0)->Params.Items(0).NameRu(), L"Использовать");
}

TEST_F(ModelPluListTest, ModelWithoutCodeIsOverwrittenByTheNextOne) {
  RegisterBase();
  Load(L"<Система>" + Model(L"", L"Первая") + Model(L"", L"Вторая") + L"</Система>");
  ASSERT_EQ(models.Count(), 2);
  EXPECT_EQ(models.Items(1)->ModelName, L"Вторая");
  // A later code that is not found earlier lands on the model without one.
  Load(L"<Система>" + Model(kOtherText, L"Третья") + L"</Система>");
  ASSERT_EQ(models.Count(), 2);
  EXPECT_EQ(models.Items(1)->ModelName, L"Третья");
}

TEST_F(ModelPluListTest, InvalidCodeEndsTheLoadAndKeepsWhatWasRead) {
  RegisterBase();
  EXPECT_EQ(ExceptionMessage([&] {
              Load(L"<Система>" + Model(kOtherText, L"Сканер") + Model(L"не код", L"Плохая") +
                   Model(L"{44444444-0000-0000-0000-000000000004}", L"После") + L"</Система>");
            }),
            L"Значение не является идентификатором объекта.");
  ASSERT_EQ(models.Count(), 2);
  EXPECT_EQ(models.Items(1)->ModelName, L"Сканер");
}

TEST_F(ModelPluListTest, EmptyValueRegistersNothing) {
  RegisterBase();
  models.LoadRegisteredModels(win::ScopedVariant().Get());
  EXPECT_EQ(models.Count(), 1);
  EXPECT_EQ(models.Current, models.Items(0));
}

}  // namespace
}  // namespace devices
