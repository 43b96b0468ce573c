// CSV files, typed arguments and script lines as the host program reads them.
#include <gtest/gtest.h>

#include <windows.h>
#include <ole2.h>

#include <fstream>

#include "pluhost/lib/host_arguments.h"
#include "pluhost/lib/host_csv.h"
#include "pluhost/lib/host_print.h"
#include "pluhost/lib/host_script.h"
#include "pluhost/lib/host_value_table.h"

namespace pluhost {
namespace {

std::string Utf8(const std::wstring& text) {
  int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(n, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

TEST(HostCsv, ReadsQuotesCommasCyrillicAndEmptyCells) {
  struct Case {
    std::wstring text;
    CsvRows rows;
  } cases[] = {
      {L"a,b\nc,d\n", {{L"a", L"b"}, {L"c", L"d"}}},
      {L"a,b\r\nc,d", {{L"a", L"b"}, {L"c", L"d"}}},
      {L"\"x, y\",\"он сказал \"\"да\"\"\"\n", {{L"x, y", L"он сказал \"да\""}}},
      {L"Товар,Цена\nМолоко,\n", {{L"Товар", L"Цена"}, {L"Молоко", L""}}},
      {L",,\n", {{L"", L"", L""}}},
      {L"\"две\nстроки\",1\n", {{L"две\nстроки", L"1"}}},
      {L"", {}},
  };
  for (const auto& c : cases) {
    CsvRows rows;
    std::wstring error;
    ASSERT_TRUE(ParseCsv(Utf8(c.text), rows, error)) << Utf8(c.text);
    EXPECT_EQ(rows, c.rows) << Utf8(c.text);
  }
  CsvRows rows;
  std::wstring error;
  EXPECT_TRUE(ParseCsv("\xEF\xBB\xBF" "a\n", rows, error));
  EXPECT_EQ(rows, (CsvRows{{L"a"}}));
  EXPECT_FALSE(ParseCsv("a\n\"open\n", rows, error));
  EXPECT_NE(error.find(L"line 2"), std::wstring::npos);
}

TEST(HostArguments, ReadsTypedValuesAndRefusesMalformedNumbers) {
  HostVariant v;
  std::wstring error;
  ASSERT_TRUE(ParseArgument(L"i:-15", {}, v, error));
  EXPECT_EQ(v.Get().vt, VT_I4);
  EXPECT_EQ(v.Get().lVal, -15);
  ASSERT_TRUE(ParseArgument(L"d:2,5", {}, v, error));
  EXPECT_EQ(v.Get().dblVal, 2.5);
  ASSERT_TRUE(ParseArgument(L"s:i:1", {}, v, error));
  EXPECT_EQ(std::wstring(v.Get().bstrVal), L"i:1");
  ASSERT_TRUE(ParseArgument(L"Текст", {}, v, error));
  EXPECT_EQ(std::wstring(v.Get().bstrVal), L"Текст");
  for (const wchar_t* bad : {L"i:", L"i:12x", L"i:99999999999", L"d:abc", L"file:Z:\\no\\such\\file"})
    EXPECT_FALSE(ParseArgument(bad, {}, v, error)) << Utf8(bad);
}

class HostCsvFiles : public testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    dir_ = std::wstring(temp) + L"pluhost_csv_" + std::to_wstring(GetCurrentProcessId()) + L"\\";
    CreateDirectoryW(dir_.c_str(), nullptr);
  }
  void TearDown() override {
    for (const auto& f : files_) DeleteFileW(f.c_str());
    RemoveDirectoryW(dir_.c_str());
  }
  void Write(const std::wstring& name, const std::wstring& text) {
    std::wstring path = dir_ + name;
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    std::string bytes = Utf8(text);
    DWORD n = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
    CloseHandle(h);
    files_.push_back(path);
  }
  std::wstring dir_;
  std::vector<std::wstring> files_;
};

TEST_F(HostCsvFiles, NestedTablesComeFromCellsNamingOtherFiles) {
  Write(L"outer.csv", L"Код,Состав\n1,csv:inner.csv\n");
  Write(L"inner.csv", L"Сахар,2\n");
  HostVariant v;
  std::wstring error;
  ASSERT_TRUE(ParseArgument(L"csv:outer.csv", dir_, v, error)) << Utf8(error);
  TableCells cells;
  ASSERT_TRUE(ReadTable(v.Get().pdispVal, cells));
  ASSERT_EQ(cells.size(), 2u);
  TableCells inner;
  ASSERT_TRUE(ReadTable(cells[1][1].Get().pdispVal, inner));
  EXPECT_EQ(std::wstring(inner[0][0].Get().bstrVal), L"Сахар");
  auto lines = FormatValue(v.Get());
  // Columns as wide as their widest cell; the nested table after its parent, indented.
  std::vector<std::wstring> expected = {
      L"table: 2 x 2",
      L"  | Код | Состав        |",
      L"  | 1   | <table [1,1]> |",
      L"  table [1,1]: 1 x 2",
      L"    | Сахар | 2 |",
  };
  EXPECT_EQ(lines, expected);
}

TEST_F(HostCsvFiles, ATableThatNamesItselfIsRefused) {
  Write(L"loop.csv", L"csv:loop.csv\n");
  HostVariant v;
  std::wstring error;
  EXPECT_FALSE(ParseArgument(L"csv:loop.csv", dir_, v, error));
  EXPECT_NE(error.find(L"nested deeper"), std::wstring::npos);
}

TEST(HostScript, ParsesEachKindOfLine) {
  const wchar_t* text =
      L"# a comment\n"
      L"\n"
      L"call Включить i:1 d:2,5 s:\"два слова\"\n"
      L"get Версия\n"
      L"set УстройствоВключено i:1\n"
      L"kind 7 Что-то\n"
      L"eventsupport\n"
      L"command __FRee\n"
      L"task {01234567-89AB-CDEF-0123-456789ABCDEF} entry call ЗаписатьДанные csv:t.csv\n"
      L"seteventsupport\n"
      L"info\n"
      L"names \"Включить\"\n";
  std::vector<ScriptStep> steps;
  std::vector<std::wstring> errors;
  ASSERT_TRUE(ParseScript(text, steps, errors));
  ASSERT_EQ(steps.size(), 10u);
  EXPECT_EQ(steps[0].line, 3);
  EXPECT_EQ(steps[0].name, L"Включить");
  EXPECT_EQ(steps[0].args, (std::vector<std::wstring>{L"i:1", L"d:2,5", L"s:два слова"}));
  EXPECT_EQ(steps[1].kind, 2);
  EXPECT_EQ(steps[2].kind, 3);
  EXPECT_EQ(steps[3].kind, 7);
  EXPECT_EQ(steps[4].op, ScriptStep::Op::kEventSupport);
  EXPECT_EQ(steps[5].op, ScriptStep::Op::kCommand);
  EXPECT_EQ(steps[5].name, L"__FRee");
  EXPECT_TRUE(steps[6].device.has_value());
  EXPECT_TRUE(steps[6].via_entry);
  EXPECT_EQ(steps[6].device->Data1, 0x01234567u);
  EXPECT_EQ(steps[7].op, ScriptStep::Op::kSetEventSupport);
  EXPECT_EQ(steps[8].op, ScriptStep::Op::kInfo);
  EXPECT_EQ(steps[9].op, ScriptStep::Op::kNames);
  EXPECT_EQ(steps[9].name, L"Включить");
}

TEST(HostScript, ReportsEveryBadLineWithItsNumber) {
  const wchar_t* text =
      L"call\n"
      L"get A i:1\n"
      L"set A\n"
      L"task {bad} call A\n"
      L"call A s:\"open\n"
      L"jump A\n"
      L"call Fine\n"
      L"eventsupport now\n"
      L"names\n"
      L"names A B\n"
      L"info A\n"
      L"task {01234567-89AB-CDEF-0123-456789ABCDEF} names A\n"
      L"entry seteventsupport\n";
  std::vector<ScriptStep> steps;
  std::vector<std::wstring> errors;
  EXPECT_FALSE(ParseScript(text, steps, errors));
  ASSERT_EQ(errors.size(), 12u);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(errors[i].rfind(L"line " + std::to_wstring(i + 1) + L":", 0), 0u);
  for (int i = 6; i < 12; ++i) EXPECT_EQ(errors[i].rfind(L"line " + std::to_wstring(i + 2) + L":", 0), 0u);
  EXPECT_EQ(steps.size(), 1u);
}

}  // namespace
}  // namespace pluhost
