// The terminal command set on a terminal plug-in that really transfers: the base with no
// transfer of its own answers 0, a filled table comes back to the caller, and a terminal
// operation's failure becomes the command's result or passes through untouched.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/automation/params.h"
#include "framework/automation/value_table.h"
#include "framework/core/base_dll_tdc.h"
#include "framework/services/exceptions.h"
#include "framework/win/dispatch.h"
#include "framework/win/scoped_bstr.h"
#include "framework/win/scoped_variant.h"

namespace {

std::unique_ptr<devices::TDevicesList> NewList() { return std::make_unique<devices::TDevicesList>(); }

// A table of the module's own kind with the given bounds; cell (0, 0) holds `first` if given.
win::ScopedVariant Table(int32_t rows, int32_t columns, const wchar_t* first = nullptr) {
  win::ComPtr<automation::ISafeArray> table = automation::CreateValueTable();
  win::DispatchObject object(win::ComPtr<IDispatch>::AddRefOf(table.Get()));
  object.Call(L"SetBounds", {win::ArgInt(rows), win::ArgInt(columns)});
  if (first) {
    win::ScopedVariant text = win::ScopedVariant::FromText(first);
    object.Call(L"SetValue", {win::ArgInt(0), win::ArgInt(0), text.Get()});
  }
  return win::ScopedVariant::FromDispatch(table.Get());
}

// What the terminal does is chosen per test: nothing, fill the table, or fail.
class ScriptedTerminal : public core::TBaseDllTDC {
 public:
  enum class Outcome { kNothing, kFill, kCodedFailure, kPlainFailure };

  ScriptedTerminal(core::TDllObjectBase* const* variable)
      : TBaseDllTDC({}, {}, {}, &NewList, variable, nullptr) {}

  void WriteData(devices::TDeviceItem&, const VARIANT&, int32_t& result) override { Act(result); }
  void ReadData(devices::TDeviceItem&, VARIANT& table, int32_t& result) override {
    if (outcome == Outcome::kFill) {
      win::ScopedVariant filled = Table(1, 1, L"прочитано");
      VariantClear(&table);
      table = filled.Release();
      return;
    }
    Act(result);
  }
  void ReadDataFile(devices::TDeviceItem&, std::wstring_view file_name, int32_t& result) override {
    file = file_name;
    Act(result);
  }

  Outcome outcome = Outcome::kNothing;
  std::wstring file;

 private:
  void Act(int32_t&) {
    if (outcome == Outcome::kCodedFailure) throw services::ECodedException(7, L"терминал: 7");
    if (outcome == Outcome::kPlainFailure) services::RaisePlain(L"сбой драйвера");
  }
};

core::TDllObjectBase* g_terminal = nullptr;

class TerminalBase : public testing::Test {
 protected:
  TerminalBase() : terminal_(std::make_unique<ScriptedTerminal>(&g_terminal)) {
    terminal_->Devices().AddNew();
    terminal_->Devices().SetCurrentNumber(1);
  }
  ~TerminalBase() override {
    for (automation::TParams* block : blocks_) automation::DestroyParams(block);
  }

  automation::TParams* Block(const wchar_t* name, const VARIANT& argument) {
    automation::TParams* block = automation::NewParams();
    blocks_.push_back(block);
    block->Add(win::ScopedVariant().Get());
    block->Add(win::ScopedVariant::FromText(name).Get());
    block->Add(win::ScopedVariant::FromInt(1).Get());
    block->Add(argument);
    return block;
  }
  win::ScopedVariant Value(automation::TParams* block, int i) {
    return win::ScopedVariant::Adopt(block->Get(i));
  }
  int32_t LastError() { return terminal_->Devices().GetDevice(0)->LastError; }

  std::unique_ptr<ScriptedTerminal> terminal_;
  std::vector<automation::TParams*> blocks_;
};

TEST_F(TerminalBase, WithoutATransferOfItsOwnEveryCommandSucceeds) {
  struct Case {
    const wchar_t* name;
    win::ScopedVariant argument;
  } cases[] = {
      {L"ЗаписатьДанные", Table(1, 3)},
      {L"ПрочитатьДанные", Table(0, 0)},
      {L"ПрочитатьДанныеФайл", Table(1, 1, L"c:\\docs.txt")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.name)));
    terminal_->Devices().GetDevice(0)->SetLastError(5);
    automation::TParams* block = Block(c.name, c.argument.Get());
    EXPECT_TRUE(terminal_->CallDispatch(block, nullptr));
    win::ScopedVariant result = Value(block, 0);
    ASSERT_EQ(result.Type(), VT_I4);
    EXPECT_EQ(result.Get().lVal, 0);
    EXPECT_EQ(LastError(), 0) << "the success is recorded on the device";
  }
  EXPECT_EQ(terminal_->file, L"c:\\docs.txt");
}

TEST_F(TerminalBase, AFilledTableComesBackAndFailuresAreTheTerminals) {
  terminal_->outcome = ScriptedTerminal::Outcome::kFill;
  win::ScopedVariant given = Table(0, 0);
  automation::TParams* read = Block(L"ПрочитатьДанные", given.Get());
  EXPECT_TRUE(terminal_->CallDispatch(read, nullptr));
  win::ScopedVariant returned = Value(read, 3);
  ASSERT_EQ(returned.Type(), VT_DISPATCH);
  EXPECT_NE(returned.Get().pdispVal, given.Get().pdispVal) << "the table the terminal filled";
  win::DispatchObject table = win::DispatchObject::FromVariant(returned.Get());
  win::ScopedVariant cell = table.Call(L"GetValue", {win::ArgInt(0), win::ArgInt(0)});
  EXPECT_EQ(win::BstrText(cell.Get().bstrVal), L"прочитано");

  // A coded failure of the terminal is the command's result, raised with the device's text.
  terminal_->outcome = ScriptedTerminal::Outcome::kCodedFailure;
  win::ScopedVariant table_argument = Table(1, 1);
  try {
    terminal_->CallDispatch(Block(L"ЗаписатьДанные", table_argument.Get()), nullptr);
    ADD_FAILURE() << "no failure";
  } catch (const services::ECodedException& error) {
    EXPECT_EQ(error.Code(), 7);
    EXPECT_EQ(error.Message(), L"Ошибка. Код №7");
  }
  EXPECT_EQ(LastError(), 7);

  // Any other failure passes through and leaves the device's last result as it was.
  terminal_->outcome = ScriptedTerminal::Outcome::kPlainFailure;
  try {
    terminal_->CallDispatch(Block(L"ЗаписатьДанные", table_argument.Get()), nullptr);
    ADD_FAILURE() << "no failure";
  } catch (const services::ECodedException& error) {
    ADD_FAILURE() << "became coded error " << error.Code();
  } catch (const services::Exception& error) {
    EXPECT_EQ(error.Message(), L"сбой драйвера");
  }
  EXPECT_EQ(LastError(), 7);
}

}  // namespace
