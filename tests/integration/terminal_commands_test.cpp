// The terminal commands of the empty terminal: their argument checks and result codes, the
// code each leaves on the device, and the two terminal properties.
#include <gtest/gtest.h>

#include "support/termblank_session.h"

namespace {

using testsupport::EmptyHostTable;
using testsupport::HostTable;
using testsupport::HostVariant;
using testsupport::IntOf;

class TerminalCommands : public testsupport::TermblankSession {};

TEST_F(TerminalCommands, WithoutADeviceEveryCommandGivesThree) {
  for (const wchar_t* name : {L"ЗаписатьДанные", L"ПрочитатьДанные", L"ПрочитатьДанныеФайл"}) {
    pluhost::CallOutcome outcome = Call(name, {HostTable({{L"1"}})});
    EXPECT_EQ(outcome.code, 3) << testing::PrintToString(name);
    EXPECT_EQ(outcome.description, L"Устройство не обнаружено");
  }
  EXPECT_EQ(IntOf(Get(L"Результат").result), 3);
  // The terminal properties have no device to read or write either.
  EXPECT_FALSE(Set(L"РежимКонтроляЦен", HostVariant::Int(1)).failed);
  pluhost::CallOutcome read = Get(L"РежимКонтроляЦен");
  EXPECT_FALSE(read.failed);
  EXPECT_EQ(read.result.Get().vt, VT_EMPTY);
}

TEST_F(TerminalCommands, ArgumentChecksComeBeforeTheTerminalAndSetTheResult) {
  AddDevice(testsupport::kFirstDevice, L"Склад");
  struct Case {
    const wchar_t* name;
    HostVariant argument;
    int32_t code;
    const wchar_t* text;
  } cases[] = {
      {L"ЗаписатьДанные", HostVariant::Text(L"товары"), 4, L"Неверный тип параметра"},
      {L"ЗаписатьДанные", EmptyHostTable(0, 3), 6, L"Неопределенная ошибка"},
      {L"ЗаписатьДанные", HostTable({{L"4600000000001", L"10", L"Хлеб"}}), -1, L"Неопределенная ошибка"},
      {L"ПрочитатьДанные", HostVariant::Int(5), 4, L"Неверный тип параметра"},
      {L"ПрочитатьДанные", EmptyHostTable(0, 0), -1, L"Неопределенная ошибка"},
      {L"ПрочитатьДанныеФайл", HostVariant::Text(L"c:\\docs.txt"), 4, L"Неверный тип параметра"},
      // The file name is row 0 of a wide table, the first cell of a one-column table.
      {L"ПрочитатьДанныеФайл", HostTable({{L"c:\\docs.txt", L"1", L"2"}}), -1, L"Неопределенная ошибка"},
      {L"ПрочитатьДанныеФайл", HostTable({{L"c:\\docs.txt"}}), -1, L"Неопределенная ошибка"},
      {L"ПрочитатьДанныеФайл", EmptyHostTable(0, 1), 4, L"Неверный тип параметра"},
      {L"ПрочитатьДанныеФайл", EmptyHostTable(0, 2), 20028, L"Неопределенная ошибка"},
      {L"ПрочитатьДанныеФайл", EmptyHostTable(1, 0), 20028, L"Неопределенная ошибка"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.name) + " " + std::to_string(c.code));
    pluhost::CallOutcome outcome = Call(c.name, {c.argument});
    EXPECT_TRUE(outcome.failed);
    EXPECT_EQ(outcome.code, c.code);
    EXPECT_EQ(outcome.description, c.text);
    EXPECT_EQ(IntOf(outcome.result), c.code);
    EXPECT_EQ(IntOf(Get(L"Результат").result), c.code) << "the device keeps the code";
  }
}

TEST_F(TerminalCommands, ATableThatWasNotFilledIsNotWrittenBack) {
  AddDevice(testsupport::kFirstDevice, L"Склад");
  HostVariant table = HostTable({{L"старое"}});
  pluhost::CallOutcome outcome = Call(L"ПрочитатьДанные", {table});
  EXPECT_EQ(outcome.code, -1);
  ASSERT_EQ(outcome.args.size(), 1u);
  EXPECT_EQ(outcome.args[0].Get().pdispVal, table.Get().pdispVal);
}

TEST_F(TerminalCommands, TerminalParametersAreTypedDeviceParameters) {
  AddDevice(testsupport::kFirstDevice, L"Склад");
  EXPECT_EQ(IntOf(Get(L"ДополнительноеПоле").result), 0) << "the model's default";
  EXPECT_FALSE(Set(L"ДополнительноеПоле", HostVariant::Text(L"1")).failed);
  pluhost::CallOutcome read = Get(L"дополнительноеполе");
  ASSERT_EQ(read.result.Get().vt, VT_I4) << "an Integer parameter reads as a number";
  EXPECT_EQ(read.result.Get().lVal, 1);
}

}  // namespace
