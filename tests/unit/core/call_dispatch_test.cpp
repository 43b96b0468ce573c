// The dispatcher with tables of its own: what happens to a handler's result (returned as it
// is, or raised with the serving device's text), arguments written back, the special commands.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>

#include "framework/automation/params.h"
#include "framework/automation/value_table.h"
#include "framework/core/base_dll_obj.h"
#include "framework/services/exceptions.h"
#include "framework/win/scoped_bstr.h"
#include "framework/win/scoped_safearray.h"
#include "framework/win/scoped_variant.h"
#include "support/com_environment.h"

namespace core {
namespace {

void SetResult(VARIANT& result, win::ScopedVariant value) {
  VariantClear(&result);
  result = value.Release();
}

void Five(void*, SAFEARRAY*, VARIANT& result) { SetResult(result, win::ScopedVariant::FromInt(5)); }
void Text(void*, SAFEARRAY*, VARIANT& result) { SetResult(result, win::ScopedVariant::FromText(L"пять")); }
void True(void*, SAFEARRAY*, VARIANT& result) { SetResult(result, win::ScopedVariant::FromBool(true)); }
void Zero(void*, SAFEARRAY*, VARIANT& result) { SetResult(result, win::ScopedVariant::FromInt(0)); }
// Doubles its argument in place.
void Twice(void*, SAFEARRAY* args, VARIANT& result) {
  win::SafearrayAccess<VARIANT> elements(args, 1, VT_VARIANT);
  VARIANT& value = elements.At(0);
  value.lVal *= 2;
  SetResult(result, win::ScopedVariant::FromInt(0));
}

constexpr config::MethodEntry kMethods[] = {
    {L"Пять,Five", 0, &Five},
    {L"Текст,Text", 0, &Text},
    {L"Истина,", 0, &True},
    {L"Ноль", 0, &Zero},
    {L"Удвоить,Twice", 1, &Twice},
};

class TextedDevice : public devices::TDeviceItem {
 public:
  using TDeviceItem::TDeviceItem;
  void ErrorText(int32_t code, std::wstring& text) override { text = L"устройство: " + std::to_wstring(code); }
};

std::unique_ptr<devices::TDevicesList> NewList() {
  return std::make_unique<devices::TDevicesList>(
      [](devices::TDevicesList& list) -> devices::TDeviceItem* { return new TextedDevice(list); });
}

TDllObjectBase* g_object = nullptr;

class CallDispatch : public testing::Test {
 protected:
  CallDispatch()
      : object_(std::make_unique<TBaseDllObj>(kMethods, std::span<const config::MethodEntry>(),
                                              std::span<const config::PropertyEntry>(), &NewList,
                                              &g_object, nullptr)) {}
  ~CallDispatch() override {
    for (automation::TParams* block : blocks_) automation::DestroyParams(block);
  }

  automation::TParams* Block(const wchar_t* name, std::initializer_list<VARIANT> args = {}) {
    automation::TParams* block = automation::NewParams();
    blocks_.push_back(block);
    block->Add(win::ScopedVariant().Get());
    block->Add(win::ScopedVariant::FromText(name).Get());
    block->Add(win::ScopedVariant::FromInt(1).Get());
    for (const VARIANT& arg : args) block->Add(arg);
    return block;
  }
  win::ScopedVariant Value(automation::TParams* block, int i) {
    return win::ScopedVariant::Adopt(block->Get(i));
  }
  // The code and text of the failure a call raises; 0 when it returns.
  std::pair<int32_t, std::wstring> Failure(automation::TParams* block) {
    try {
      object_->CallDispatch(block, nullptr);
    } catch (const services::ECodedException& error) {
      return {error.Code(), error.Message()};
    }
    return {0, L""};
  }

  std::unique_ptr<TBaseDllObj> object_;
  std::vector<automation::TParams*> blocks_;
};

TEST_F(CallDispatch, ResultsThatAreNoNonzeroOrdinalAreReturnedAsTheyAre) {
  automation::TParams* text = Block(L"Text");
  EXPECT_TRUE(object_->CallDispatch(text, nullptr));
  EXPECT_EQ(win::BstrText(Value(text, 0).Get().bstrVal), L"пять");

  automation::TParams* zero = Block(L"ноль");
  EXPECT_TRUE(object_->CallDispatch(zero, nullptr));
  EXPECT_EQ(Value(zero, 0).Get().lVal, 0);

  automation::TParams* twice = Block(L"Удвоить", {win::ScopedVariant::FromInt(21).Get()});
  EXPECT_TRUE(object_->CallDispatch(twice, nullptr));
  EXPECT_EQ(Value(twice, 3).Get().lVal, 42) << "the changed argument comes back";
}

TEST_F(CallDispatch, NonzeroOrdinalsAreRaisedWithTheServingDevicesText) {
  EXPECT_EQ(Failure(Block(L"Five")), std::make_pair(5, std::wstring(L"Ошибка. Код №5")))
      << "no device: the list's text";
  EXPECT_EQ(Failure(Block(L"Истина")).first, -1) << "a Boolean True is an ordinal too";

  object_->Devices().AddNew();
  object_->Devices().SetCurrentNumber(1);
  automation::TParams* five = Block(L"Пять");
  EXPECT_EQ(Failure(five), std::make_pair(5, std::wstring(L"устройство: 5")));
  EXPECT_EQ(Value(five, 0).Get().lVal, 5) << "the result is in the block before it is raised";
}

TEST_F(CallDispatch, SpecialCommandsEndTheCall) {
  devices::TDeviceItem* device = object_->Devices().AddNew();
  device->SetSwitchedOn(true);
  // Each command ends the call: the block chained behind it is not run.
  automation::TParams* chained = Block(L"Пять");
  auto command = [&](const wchar_t* name) {
    automation::TParams* block = automation::NewParams();
    blocks_.push_back(block);
    block->SetOwnName(name);
    block->Next = chained;
    const bool result = object_->CallDispatch(block, nullptr);
    block->Next = nullptr;  // the fixture destroys each block once
    return result;
  };
  EXPECT_FALSE(command(L"__Load"));
  EXPECT_TRUE(device->SwitchedOn);
  EXPECT_FALSE(command(L"__@@SwitchOff"));
  EXPECT_FALSE(device->SwitchedOn);

  win::ComPtr<automation::ISafeArray> events = automation::CreateValueTable();
  object_->SetHostEventSupport(events.Get());
  EXPECT_FALSE(command(L"__FRee"));
  EXPECT_EQ(object_->Devices().Count(), 0);
  EXPECT_FALSE(object_->EventSupport) << "the event support is let go";
  EXPECT_FALSE(object_->Devices().EventSupport);
  EXPECT_EQ(Value(chained, 0).Get().vt, VT_EMPTY) << "the chained call is not run";

  // Names of the special commands are compared exactly.
  automation::TParams* other = automation::NewParams();
  blocks_.push_back(other);
  other->SetOwnName(L"__free");
  EXPECT_EQ(Failure(other).second, L"Недостаточно параметров при вызове метода");
}

}  // namespace
}  // namespace core
