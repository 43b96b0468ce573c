// Property lists: lookup by either name, setting values by name, records, copying, stored form.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/config/prop_list.h"
#include "framework/config/utilities.h"

namespace {

const config::PropertyEntry kUsable{L"Использовать", L"Usable", L"Использовать", L"Boolean",
                                    false, L"True", L"Использовать устройство", nullptr};
const config::PropertyEntry kShared{L"Неразделяемое", L"", L"Неразделяемое", L"Boolean",
                                    false, L"False", L"", nullptr};

TEST(PropList, FindByEitherNameInOtherLetterCase) {
  config::TPropList list;
  list.AddOrUpdateEntry(kShared);
  list.AddOrUpdateEntry(kUsable);
  for (const wchar_t* name : {L"Usable", L"USABLE", L"Использовать", L"иСПОЛЬЗОВАТЬ"}) {
    SCOPED_TRACE(testing::Message() << "name " << name);
    const config::TPropItem* item = list.Find(name);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->NameRu(), L"Использовать");
  }
  EXPECT_EQ(list.Find(L"Используем"), nullptr);
  // The empty English name of the first item is no key.
  EXPECT_EQ(list.Find(L""), nullptr);
  EXPECT_EQ(list.GetValueByName(L"usable"), L"True");
  EXPECT_EQ(list.GetValueByName(L"Нет такого"), L"");
}

TEST(PropList, FindTakesTheFirstMatchInListOrder) {
  config::TPropList list;
  list.Add().SetNameEn(L"Port");
  list.Items(0).SetNameRu(L"Порт");
  list.Add().SetNameRu(L"port");
  EXPECT_EQ(list.Find(L"PORT"), &list.Items(0));
}

TEST(PropList, SetValueByNameUpdatesOrAppends) {
  config::TPropList list;
  list.AddOrUpdateEntry(kUsable);
  list.SetValueByName(L"usable", L"False");
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(list.Items(0).GetValue(), L"False");

  list.SetValueByName(L"Скорость", L"9600");
  ASSERT_EQ(list.Count(), 2);
  const config::TPropItem& added = list.Items(1);
  EXPECT_EQ(added.NameRu(), L"Скорость");
  EXPECT_EQ(added.NameEn(), L"");
  EXPECT_EQ(added.TypeName(), L"");
  EXPECT_EQ(added.DefaultValue(), L"");
  EXPECT_EQ(added.GetValue(), L"9600");
  // Without a type the value is read back as text.
  win::ScopedVariant typed = added.TypedValue();
  ASSERT_EQ(typed.Type(), VT_BSTR);
  EXPECT_STREQ(typed.Get().bstrVal, L"9600");

  // A nameless item could never be found again.
  list.SetValueByName(L"", L"x");
  EXPECT_EQ(list.Count(), 2);
}

TEST(PropList, SetValuesFromListAppliesEveryLineInOrder) {
  config::TPropList list;
  list.AddOrUpdateEntry(kUsable);
  list.SetValuesFromList({L"USABLE=False", L"Порт=COM1", L"без знака", L"=сирота",
                          L"Формула=a=b", L"порт=COM2", L"Пусто="});
  ASSERT_EQ(list.Count(), 4);
  EXPECT_EQ(list.Items(0).GetValue(), L"False");
  EXPECT_EQ(list.Items(1).NameRu(), L"Порт");
  EXPECT_EQ(list.Items(1).GetValue(), L"COM2");
  EXPECT_EQ(list.Items(2).NameRu(), L"Формула");
  EXPECT_EQ(list.Items(2).GetValue(), L"a=b");
  EXPECT_EQ(list.Items(3).NameRu(), L"Пусто");
  EXPECT_EQ(list.Items(3).GetValue(), L"");
}

TEST(PropList, AddOrUpdateEntryUpdatesInPlace) {
  config::TPropList list;
  list.AddOrUpdateEntry(kUsable);
  list.AddOrUpdateEntry(kShared);
  list.Items(0).SetValue(L"False");
  list.Items(0).SetCaption(L"старое");

  // A record whose Russian name is another item's English name updates that item.
  const config::PropertyEntry renamed{L"usable", L"", L"Новая подпись", L"Integer",
                                      true,      L"1", L"",              nullptr};
  list.AddOrUpdateEntry(renamed);
  ASSERT_EQ(list.Count(), 2);
  const config::TPropItem& updated = list.Items(0);
  EXPECT_EQ(updated.NameRu(), L"usable");
  EXPECT_EQ(updated.NameEn(), L"");
  EXPECT_EQ(updated.Caption(), L"Новая подпись");
  EXPECT_EQ(updated.TypeName(), L"Integer");
  EXPECT_TRUE(updated.ReadOnly());
  EXPECT_EQ(updated.GetValue(), L"1");
  EXPECT_EQ(list.Items(1).NameRu(), L"Неразделяемое");
}

TEST(PropList, AssignCopiesDescriptionsWithDefaultsAsValues) {
  config::TPropList model;
  model.AddOrUpdateEntry(kUsable);
  model.AddOrUpdateEntry(kShared);
  model.Items(0).SetValue(L"False");

  config::TPropList device;
  device.SetValueByName(L"Остаток", L"1");
  device.Assign(model);
  ASSERT_EQ(device.Count(), 2);
  EXPECT_NE(&device.Items(0), &model.Items(0));
  EXPECT_EQ(device.Items(0).NameEn(), L"Usable");
  EXPECT_EQ(device.Items(0).GetValue(), L"True");
  EXPECT_EQ(device.Items(1).NameRu(), L"Неразделяемое");
  EXPECT_EQ(device.Find(L"Остаток"), nullptr);
  EXPECT_EQ(model.Items(0).GetValue(), L"False");
}

TEST(PropList, ItemsOutsideTheListRaise) {
  config::TPropList list;
  list.Add();
  EXPECT_NO_THROW(list.Items(0));
  EXPECT_ANY_THROW(list.Items(1));
  EXPECT_ANY_THROW(list.Items(-1));
}

TEST(PropList, StoredFormRoundTrip) {
  config::TPropList list;
  const struct {
    const wchar_t* text;
    const wchar_t* stored;
    const wchar_t* read_back;
  } cases[] = {
      {L"строка 1\r\nстрока 2", L"строка 1\\nстрока 2", L"строка 1\r\nстрока 2"},
      // Paths keep their backslash-n as it is: "\new" is a folder name, not a line break.
      {L"C:\\new", L"C:\\new", L"C:\\new"},
      {L"\\\\server\\nshare", L"\\\\server\\nshare", L"\\\\server\\nshare"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "text " << c.text);
    list.SetValueByName(L"Текст", config::EscapeText(c.text, true));
    EXPECT_EQ(list.GetValueByName(L"Текст"), c.stored);
    win::ScopedVariant typed = list.Find(L"Текст")->TypedValue();
    ASSERT_EQ(typed.Type(), VT_BSTR);
    EXPECT_EQ(std::wstring(typed.Get().bstrVal), c.read_back);
  }
}

}  // namespace
