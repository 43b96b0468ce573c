// Property items: typed reading of values, the host's type names, copying and loading records.
#include <gtest/gtest.h>

#include <string>

#include "framework/config/prop_item.h"

namespace {

struct TypedCase {
  const wchar_t* type_name;
  const wchar_t* value;
  const wchar_t* default_value;
  VARTYPE vt;
  double number;       // VT_I4, VT_R8; VT_BOOL: nonzero for true
  const wchar_t* text;  // VT_BSTR
};

const TypedCase kTypedCases[] = {
    {L"Integer", L"42", L"7", VT_I4, 42, nullptr},
    {L"Integer", L"-12", L"7", VT_I4, -12, nullptr},
    {L"Integer", L"abc", L"7", VT_I4, 7, nullptr},
    {L"Integer", L"abc", L"x", VT_I4, 0, nullptr},
    {L"Integer", L"", L"7", VT_I4, 7, nullptr},
    {L"Integer", L"2,5", L"7", VT_I4, 7, nullptr},
    {L"Integer", L"4294967296", L"3", VT_I4, 3, nullptr},  // beyond 32 bits
    {L"INTEGER", L"5", L"", VT_I4, 5, nullptr},
    {L"Число", L"2,5", L"", VT_R8, 2.5, nullptr},
    {L"Число", L"2.5", L"", VT_R8, 2.5, nullptr},
    {L"число", L"2.5", L"", VT_R8, 2.5, nullptr},
    {L"Double", L"1.5", L"0", VT_R8, 1.5, nullptr},
    {L"Double", L"abc", L"3,5", VT_R8, 3.5, nullptr},
    // The default is read as it stands, so "." is no separator there.
    {L"Double", L"abc", L"3.5", VT_R8, 0, nullptr},
    {L"Boolean", L"1", L"True", VT_BOOL, 0, nullptr},
    {L"Boolean", L"TRUE", L"", VT_BOOL, 1, nullptr},
    {L"Boolean", L"true", L"", VT_BOOL, 1, nullptr},
    {L"Boolean", L"", L"True", VT_BOOL, 0, nullptr},
    {L"Colour", L"a\\nb", L"", VT_BSTR, 0, L"a\r\nb"},
    {L"", L"42", L"", VT_BSTR, 0, L"42"},
    {L"String", L"C:\\new\\nfile", L"", VT_BSTR, 0, L"C:\\new\\nfile"},
    {L"Строка", L"\\\\server\\nshare", L"", VT_BSTR, 0, L"\\\\server\\nshare"},
    {L"Строка", L"D:a\\nb", L"", VT_BSTR, 0, L"D:a\r\nb"},  // no backslash after the colon
};

void ExpectTyped(const VARIANT& got, const TypedCase& c) {
  ASSERT_EQ(got.vt, c.vt);
  switch (c.vt) {
    case VT_I4:
      EXPECT_EQ(got.lVal, static_cast<LONG>(c.number));
      break;
    case VT_R8:
      EXPECT_DOUBLE_EQ(got.dblVal, c.number);
      break;
    case VT_BOOL:
      EXPECT_EQ(got.boolVal, c.number != 0 ? VARIANT_TRUE : VARIANT_FALSE);
      break;
    default:
      EXPECT_EQ(std::wstring(got.bstrVal, SysStringLen(got.bstrVal)), c.text);
  }
}

TEST(PropItem, TypedValueConvertsByType) {
  for (const TypedCase& c : kTypedCases) {
    SCOPED_TRACE(testing::Message() << "type " << c.type_name << ", value " << c.value
                                    << ", default " << c.default_value);
    config::TPropItem item;
    item.SetTypeName(c.type_name);
    item.SetDefaultValue(c.default_value);
    item.SetValue(c.value);
    ExpectTyped(item.TypedValue().Get(), c);
  }
}

TEST(PropItem, TypedDefaultReadsTheDefaultTheSameWay) {
  config::TPropItem item;
  item.SetValue(L"abc");
  item.SetTypeName(L"Double");
  item.SetDefaultValue(L"2.5");
  // As the converted text, the default does get its "." replaced.
  EXPECT_DOUBLE_EQ(item.TypedDefault().Get().dblVal, 2.5);
  EXPECT_DOUBLE_EQ(item.TypedValue().Get().dblVal, 0.0);

  item.SetTypeName(L"Integer");
  item.SetDefaultValue(L"7");
  EXPECT_EQ(item.TypedDefault().Get().vt, VT_I4);
  EXPECT_EQ(item.TypedDefault().Get().lVal, 7);
}

TEST(PropItem, HostTypeName) {
  const struct {
    const wchar_t* type_name;
    const wchar_t* host;
  } cases[] = {
      {L"Integer", L"Число"}, {L"integer", L"Число"}, {L"BOOLEAN", L"Boolean"},
      {L"string", L"Строка"}, {L"Double", L""},       {L"Число", L""},
      {L"", L""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "type " << c.type_name);
    config::TPropItem item;
    item.SetTypeName(c.type_name);
    EXPECT_EQ(item.HostTypeName(), c.host);
  }
}

TEST(PropItem, AssignTakesTheSourceDefaultAsValue) {
  config::TPropItem source;
  source.SetNameRu(L"Использовать");
  source.SetNameEn(L"Usable");
  source.SetCaption(L"Использовать");
  source.SetTypeName(L"Boolean");
  source.SetReadOnly(true);
  source.SetDefaultValue(L"True");
  source.SetDescription(L"Подсказка");
  source.SetValue(L"False");

  config::TPropItem copy;
  copy.SetValue(L"old");
  copy.Assign(source);
  EXPECT_EQ(copy.NameRu(), L"Использовать");
  EXPECT_EQ(copy.NameEn(), L"Usable");
  EXPECT_EQ(copy.Caption(), L"Использовать");
  EXPECT_EQ(copy.TypeName(), L"Boolean");
  EXPECT_TRUE(copy.ReadOnly());
  EXPECT_EQ(copy.DefaultValue(), L"True");
  EXPECT_EQ(copy.Description(), L"Подсказка");
  EXPECT_EQ(copy.GetValue(), L"True");
  EXPECT_EQ(source.GetValue(), L"False");
}

TEST(PropItem, LoadEntrySetsValueToDefaultAndKeepsTheHintWithinLimit) {
  const std::wstring long_hint(300, L'ж');
  const config::PropertyEntry entry{L"РежимКонтроляЦен", L"", L"Режим контроля цен", L"Integer",
                                    false, L"0", long_hint, nullptr};
  config::TPropItem item;
  item.SetValue(L"1");
  item.LoadEntry(entry);
  EXPECT_EQ(item.NameRu(), L"РежимКонтроляЦен");
  EXPECT_EQ(item.Caption(), L"Режим контроля цен");
  EXPECT_EQ(item.TypeName(), L"Integer");
  EXPECT_EQ(item.GetValue(), L"0");
  EXPECT_EQ(item.Description(), std::wstring(config::kDescriptionMax, L'ж'));
}

}  // namespace
