// The dispatcher of the termblank module driven through the host's blocks: how names are
// found, how kinds are run, the value table given in place of the arguments, the read-only
// rules and chains.
#include <gtest/gtest.h>

#include "pluhost/lib/host_value_table.h"
#include "support/termblank_session.h"

namespace {

using testsupport::HostVariant;
using testsupport::IntOf;
using testsupport::TextOf;

class Dispatcher : public testsupport::TermblankSession {};

TEST_F(Dispatcher, MethodsAreFoundByEitherNameInAnyCaseAndKindTwoRunsThem) {
  AddDevice(testsupport::kFirstDevice, L"Склад");
  struct Case {
    const wchar_t* name;
    int32_t kind;
    int32_t argument;
  } cases[] = {
      {L"switchon", 1, 1},
      {L"SWITCHOFF", 1, 0},
      {L"включить", 1, 1},
      // A method read as a property is still called.
      {L"ResultDescription", 2, 3},
  };
  for (const Case& c : cases) {
    pluhost::CallOutcome outcome = Call(c.name, {HostVariant::Int(c.argument)}, c.kind);
    EXPECT_FALSE(outcome.failed) << testing::PrintToString(c.name) << ": "
                                 << testing::PrintToString(outcome.description);
  }
  pluhost::CallOutcome described = Call(L"ОписаниеОшибки", {HostVariant::Int(3)}, 2);
  EXPECT_EQ(TextOf(described.result), L"Устройство не обнаружено");
}

TEST_F(Dispatcher, UnknownNamesAndPropertiesCalledAsMethodsAreNotFound) {
  struct Case {
    const wchar_t* name;
    int32_t kind;
  } cases[] = {
      {L"НетТакогоМетода", 1},
      {L"НетТакогоМетода", 2},
      {L"КоличествоУстройств", 1},
      // A parameter of the current model is a name the host may ask about, not one it can run.
      {L"Использовать", 2},
      {L"Использовать", 3},
  };
  for (const Case& c : cases) {
    std::vector<HostVariant> args;
    if (c.kind == 3) args.push_back(HostVariant::Int(1));
    pluhost::CallOutcome outcome = Call(c.name, args, c.kind);
    EXPECT_TRUE(outcome.failed);
    EXPECT_EQ(outcome.code, 20036) << testing::PrintToString(c.name);
    EXPECT_EQ(outcome.description, L"Метод/Свойство [" + std::wstring(c.name) + L"] не обнаружено");
  }
}

TEST_F(Dispatcher, BlocksWithoutNameOrValuesAreRefused) {
  pluhost::CallOutcome unnamed = Call(L"", {HostVariant::Int(1)});
  EXPECT_EQ(unnamed.code, 20000);
  EXPECT_EQ(unnamed.description, L"Не указано имя метода");

  pluhost::CallOutcome short_block = session_->Command(L"");
  EXPECT_EQ(short_block.code, 20000);
  EXPECT_EQ(short_block.description, L"Недостаточно параметров при вызове метода");
}

TEST_F(Dispatcher, TooManyOrTooFewArgumentsNameTheFunctionAndBothCounts) {
  pluhost::CallOutcome outcome = Call(L"Гудок", {HostVariant::Int(800)});
  EXPECT_EQ(outcome.code, 20000);
  EXPECT_EQ(outcome.description,
            L"Неверное количество переданных параметров\r\nФункция [Гудок]\r\nПередано: 1\r\n"
            L"Необходимо: 2");
}

// A value table of the module's own (the kind that answers the table interface), made by the
// module for the host and filled by name.
class TableArgument : public Dispatcher {
 protected:
  HostVariant ModuleTable(const std::vector<HostVariant>& column) {
    pluhost::CallOutcome made =
        Call(L"СоздатьПараметры", {HostVariant::Int(static_cast<int32_t>(column.size())), HostVariant::Int(1)});
    EXPECT_FALSE(made.failed) << testing::PrintToString(made.description);
    EXPECT_EQ(made.result.Get().vt, VT_DISPATCH);
    for (size_t i = 0; i < column.size(); ++i) {
      VARIANT row = {}, col = {};
      row.vt = col.vt = VT_I4;
      row.lVal = static_cast<LONG>(i);
      EXPECT_EQ(pluhost::CallByName(made.result.Get().pdispVal, L"SetValue",
                                    {row, col, column[i].Get()}, nullptr),
                S_OK);
    }
    return made.result;
  }
};

TEST_F(TableArgument, RowsBecomeTheArgumentsAndComeBackIntoTheTable) {
  AddDevice(testsupport::kFirstDevice, L"Склад");
  HostVariant table = ModuleTable({HostVariant::Int(0), HostVariant::Text(L"")});
  pluhost::CallOutcome outcome = Call(L"ПолучитьНастройкиXML", {table});
  ASSERT_FALSE(outcome.failed) << testing::PrintToString(outcome.description);

  // The table is again the only argument, and holds what the method wrote into its second
  // argument: the device list document.
  ASSERT_EQ(outcome.args.size(), 1u);
  ASSERT_EQ(outcome.args[0].Get().vt, VT_DISPATCH);
  EXPECT_EQ(outcome.args[0].Get().pdispVal, table.Get().pdispVal);
  pluhost::TableCells cells;
  ASSERT_TRUE(pluhost::ReadTable(table.Get().pdispVal, cells));
  ASSERT_EQ(cells.size(), 2u);
  EXPECT_EQ(IntOf(cells[0][0]), 0);
  ASSERT_EQ(cells[1][0].Get().vt, VT_DISPATCH) << "the document object";
}

TEST_F(TableArgument, ATableOfAnotherShapeCountsAsNoArguments) {
  HostVariant table = ModuleTable({HostVariant::Int(0), HostVariant::Text(L""), HostVariant::Int(7)});
  pluhost::CallOutcome outcome = Call(L"ПолучитьНастройкиXML", {table});
  EXPECT_EQ(outcome.code, 20000);
  EXPECT_EQ(outcome.description,
            L"Неверное количество переданных параметров\r\nФункция [ПолучитьНастройкиXML]\r\n"
            L"Передано: 0\r\nНеобходимо: 2");
  ASSERT_EQ(outcome.args.size(), 1u);
  EXPECT_EQ(outcome.args[0].Get().pdispVal, table.Get().pdispVal) << "the argument stays as it was";
}

TEST_F(TableArgument, AFailingMethodStillRestoresTheTable) {
  // No device: the method fails with 3 after the rows were unpacked.
  HostVariant table = ModuleTable({HostVariant::Text(testsupport::kSecondDevice), HostVariant::Text(L"")});
  pluhost::CallOutcome outcome = Call(L"ПолучитьНастройкиXML", {table});
  EXPECT_EQ(outcome.code, 3);
  ASSERT_EQ(outcome.args.size(), 1u);
  EXPECT_EQ(outcome.args[0].Get().pdispVal, table.Get().pdispVal);
}

TEST_F(Dispatcher, ReadOnlyPropertiesRefuseAssignment) {
  pluhost::CallOutcome outcome = Set(L"КоличествоУстройств", HostVariant::Int(3));
  EXPECT_EQ(outcome.code, 20000);
  EXPECT_EQ(outcome.description, L"Свойство [КоличествоУстройств] доступно только для чтения");
  // The name as the host wrote it, in whichever language.
  EXPECT_EQ(Set(L"result", HostVariant::Int(0)).description,
            L"Свойство [result] доступно только для чтения");
}

TEST_F(Dispatcher, EventSupportMakesTheSwitchedOnStateReadOnly) {
  AddDevice(testsupport::kFirstDevice, L"Склад");
  EXPECT_FALSE(Set(L"УстройствоВключено", HostVariant::Int(1)).failed);

  pluhost::CallOutcome handed = session_->SendEventSupport();
  EXPECT_FALSE(handed.error);
  ASSERT_EQ(handed.values.size(), 1u) << "the block holds only the names interface";
  EXPECT_EQ(handed.values[0].Get().vt, VT_UNKNOWN);
  EXPECT_NE(handed.values[0].Get().punkVal, nullptr);

  pluhost::CallOutcome outcome = Set(L"УстройствоВключено", HostVariant::Int(0));
  EXPECT_EQ(outcome.code, 20000);
  EXPECT_EQ(outcome.description, L"Свойство [УстройствоВключено] доступно только для чтения");
  // Reading it still works.
  EXPECT_FALSE(Get(L"DeviceIsOn").failed);
}

TEST_F(Dispatcher, AnAssignmentEndsTheChain) {
  AddDevice(testsupport::kFirstDevice, L"Склад");
  pluhost::CallRequest assign{L"НомерУстройства", 3, {HostVariant::Int(1)}};
  pluhost::CallRequest unknown{L"НетТакогоМетода", 1, {}};
  std::vector<pluhost::CallOutcome> outcomes = session_->CallChain({assign, unknown});
  ASSERT_EQ(outcomes.size(), 2u);
  EXPECT_FALSE(outcomes[0].error);
  EXPECT_FALSE(outcomes[1].error) << "the second block is not run";

  // Reads and calls go on to the next block; each keeps its own result.
  pluhost::CallRequest count{L"КоличествоУстройств", 2, {}};
  pluhost::CallRequest number{L"НомерУстройства", 2, {}};
  outcomes = session_->CallChain({count, number});
  ASSERT_EQ(outcomes.size(), 2u);
  EXPECT_EQ(IntOf(outcomes[0].result), 1);
  EXPECT_EQ(IntOf(outcomes[1].result), 1);
}

TEST_F(Dispatcher, ATaskCallerIsServedByTheDeviceItNames) {
  AddDevice(testsupport::kFirstDevice, L"Склад");
  AddDevice(testsupport::kSecondDevice, L"Касса");
  EXPECT_FALSE(Set(L"НомерУстройства", HostVariant::Int(1)).failed);

  // The second device takes the parameter, although the first is current.
  EXPECT_FALSE(CallAs(testsupport::kSecondDevice, L"РежимКонтроляЦен", {HostVariant::Int(1)}, 3).failed);
  EXPECT_EQ(IntOf(CallAs(testsupport::kSecondDevice, L"РежимКонтроляЦен", {}, 2).result), 1);
  EXPECT_EQ(IntOf(Get(L"РежимКонтроляЦен").result), 0);

  // A task naming no configured device is served by none, whatever device is current.
  EXPECT_EQ(IntOf(CallAs(L"{99999999-2222-3333-4444-555555555555}", L"Результат", {}, 2).result), 3);
}

// Under an English system (code page 1252, English interface) the Russian names are found
// all the same, and the catalogue answers in English.
class DispatcherEnglish : public Dispatcher {};

TEST_F(DispatcherEnglish, RussianNamesAreFoundAndErrorsAreInEnglish) {
  EXPECT_EQ(Call(L"ЗаписатьДанные", {HostVariant::Int(1)}).code, 3) << "found: no device serves it";
  EXPECT_EQ(IntOf(Get(L"КоличествоУстройств").result), 0);
  pluhost::CallOutcome unknown = Call(L"НетТакогоМетода");
  EXPECT_EQ(unknown.code, 20036);
  EXPECT_EQ(unknown.description, L"Method/property [НетТакогоМетода] it is not revealed");
}

}  // namespace
