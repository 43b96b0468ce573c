// The parameter block's operations on blocks laid out as the host lays them, and the
// module's own blocks with their class table.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>

#include "framework/automation/host_string.h"
#include "framework/automation/params.h"
#include "framework/services/exceptions.h"
#include "framework/win/scoped_bstr.h"
#include "framework/win/scoped_variant.h"
#include "framework/win/text.h"
#include "params_host_layout.h"

using automation::TParams;
using params_test::HostBlock;
using params_test::HostOwnStorage;
using params_test::HostString;
using params_test::Int;
using params_test::Text;
using params_test::TextOf;
using win::ScopedVariant;

namespace {

// Runs the operation and returns the coded error it raised (code -1 when none was raised).
template <typename F>
std::pair<int32_t, std::wstring> CodedFailure(F&& operation) {
  try {
    operation();
  } catch (const services::ECodedException& e) {
    return {e.Code(), e.Message()};
  }
  return {-1, L"<nothing raised>"};
}

// A caller's record holding three values at positions 0, 1, 2; a dispatch call puts the
// last argument first.
struct AttachedRecord {
  VARIANT values[3];
  DISPPARAMS record = {};
  AttachedRecord(VARIANT a, VARIANT b, VARIANT c) : values{a, b, c} {
    record.rgvarg = values;
    record.cArgs = 3;
  }
};

}  // namespace

TEST(ParamsOwnStorage, HostBlockKeepsCallOrderAndSetCopies) {
  HostBlock host;
  HostOwnStorage storage(host.get());
  ScopedVariant name = ScopedVariant::Adopt(Text(L"Включить"));
  storage.Push(VARIANT{});
  storage.Push(name.Get());
  storage.Push(Int(1));
  TParams* block = host.get();

  ASSERT_EQ(block->Count(), 3);
  ScopedVariant got = ScopedVariant::Adopt(block->Get(1));
  EXPECT_EQ(TextOf(got.Get()), L"Включить");
  EXPECT_NE(got.Get().bstrVal, name.Get().bstrVal) << "Get must hand out a copy";
  EXPECT_EQ(ScopedVariant::Adopt(block->Get(2)).Get().lVal, 1);

  ScopedVariant result = ScopedVariant::Adopt(Text(L"результат"));
  block->Set(0, result.Get());
  EXPECT_EQ(TextOf(storage.values[0]), L"результат");
  EXPECT_NE(storage.values[0].bstrVal, result.Get().bstrVal);
  ScopedVariant::Adopt(storage.values[0]);  // the "host" frees its value
  EXPECT_TRUE(params_test::HostDestructorCalls().empty());
}

TEST(ParamsOwnStorage, AcceptsFiftyAddsAndRefusesTheFiftyFirst) {
  TParams* block = automation::NewParams();
  block->CreateStorage();
  DISPPARAMS* record = block->Storage;
  block->CreateStorage();
  EXPECT_EQ(block->Storage, record) << "a second CreateStorage must keep the storage";
  ASSERT_EQ(block->OwnsStorage, 1);

  for (int i = 0; i < 50; ++i) block->Add(Int(i));
  EXPECT_EQ(block->Count(), 50);
  EXPECT_EQ(block->Storage->rgvarg[49].lVal, 49) << "own storage keeps call order";
  try {
    block->Add(Int(50));
    ADD_FAILURE() << "the 51st Add was accepted";
  } catch (const services::ECodedException& e) {
    ADD_FAILURE() << "the capacity error must be plain, got code " << e.Code();
  } catch (const services::Exception& e) {
    EXPECT_EQ(e.Message(), L"TParams - превышена емкость хранилища данных.");
  }
  EXPECT_EQ(block->Count(), 50);
  automation::DestroyParams(block);
}

TEST(ParamsAttached, ValuesStandInReverseOrder) {
  ScopedVariant a = ScopedVariant::Adopt(Text(L"A"));
  ScopedVariant b = ScopedVariant::Adopt(Text(L"B"));
  ScopedVariant c = ScopedVariant::Adopt(Text(L"C"));
  AttachedRecord caller(a.Get(), b.Get(), c.Get());
  TParams* block = automation::NewParams();
  block->Attach(&caller.record);

  EXPECT_EQ(block->Count(), 3);
  EXPECT_EQ(TextOf(ScopedVariant::Adopt(block->Get(0)).Get()), L"C");
  EXPECT_EQ(TextOf(ScopedVariant::Adopt(block->Get(1)).Get()), L"B");
  EXPECT_EQ(TextOf(ScopedVariant::Adopt(block->Get(2)).Get()), L"A");
  automation::DestroyParams(block);
  EXPECT_EQ(caller.record.cArgs, 3u) << "destroying the block must leave the caller's record";
  EXPECT_EQ(caller.values[2].bstrVal, c.Get().bstrVal);
}

TEST(ParamsAttached, SetWritesOnlyThroughReferencesUnderModuleFormats) {
  LONG integer = 5;
  double real = 0;
  BSTR text = SysAllocString(L"старый");
  VARIANT nested;
  VariantInit(&nested);
  VARIANT by_ref_int, by_ref_real, by_ref_text, by_ref_variant;
  by_ref_int.vt = VT_BYREF | VT_I4;
  by_ref_int.plVal = &integer;
  by_ref_real.vt = VT_BYREF | VT_R8;
  by_ref_real.pdblVal = &real;
  by_ref_text.vt = VT_BYREF | VT_BSTR;
  by_ref_text.pbstrVal = &text;
  by_ref_variant.vt = VT_BYREF | VT_VARIANT;
  by_ref_variant.pvarVal = &nested;
  VARIANT values[5] = {by_ref_variant, by_ref_text, by_ref_real, by_ref_int, Int(9)};
  DISPPARAMS record = {values, nullptr, 5, 0};
  TParams* block = automation::NewParams();
  block->Attach(&record);

  block->Set(0, Int(1));  // passed by value: the caller sees nothing of it
  EXPECT_EQ(values[4].vt, VT_I4);
  EXPECT_EQ(values[4].lVal, 9);

  ScopedVariant forty_two = ScopedVariant::Adopt(Text(L"42"));
  block->Set(1, forty_two.Get());
  EXPECT_EQ(integer, 42);
  ScopedVariant two_and_a_half = ScopedVariant::Adopt(Text(L"2,5"));
  block->Set(2, two_and_a_half.Get());
  EXPECT_EQ(real, 2.5);
  block->Set(3, ScopedVariant::FromDouble(0.5).Get());
  EXPECT_EQ(win::BstrText(text), L"0,5");
  block->Set(4, two_and_a_half.Get());
  EXPECT_EQ(TextOf(nested), L"2,5");
  EXPECT_NE(nested.bstrVal, two_and_a_half.Get().bstrVal);

  EXPECT_EQ(values[1].vt, VT_BYREF | VT_BSTR) << "the caller's types stay as they were";
  automation::DestroyParams(block);
  win::ScopedBstr::Adopt(text);
  ScopedVariant::Adopt(nested);
}

// The module's number formats hold whatever the user's locale says.
TEST(ParamsAttachedEnglish, ByReferenceFloatReadsTheModuleFormat) {
  double real = 0;
  VARIANT by_ref_real;
  by_ref_real.vt = VT_BYREF | VT_R8;
  by_ref_real.pdblVal = &real;
  DISPPARAMS record = {&by_ref_real, nullptr, 1, 0};
  HostBlock host;
  host.get()->Attach(&record);
  ScopedVariant text = ScopedVariant::Adopt(Text(L"2,5"));
  host.get()->Set(0, text.Get());
  EXPECT_EQ(real, 2.5);
}

TEST(ParamsAttached, UnsupportedReferenceAndAddAreRefused) {
  SHORT small = 3;
  VARIANT by_ref_small;
  by_ref_small.vt = VT_BYREF | VT_I2;
  by_ref_small.piVal = &small;
  // Spare slots behind the caller's value: Add must not write into them.
  VARIANT values[2] = {by_ref_small, Int(777)};
  DISPPARAMS record = {values, nullptr, 1, 0};
  HostBlock host;
  TParams* block = host.get();
  block->Attach(&record);

  auto [code, message] = CodedFailure([&] { block->Set(0, Int(4)); });
  EXPECT_EQ(code, 20000);
  EXPECT_EQ(message, L"Неподдерживаемый тип параметра.");
  EXPECT_EQ(small, 3);

  auto [add_code, add_message] = CodedFailure([&] { block->Add(Int(1)); });
  EXPECT_EQ(add_code, 20000) << win::WideToUtf8(add_message);
  EXPECT_FALSE(add_message.empty());
  EXPECT_EQ(record.cArgs, 1u);
  EXPECT_EQ(values[1].lVal, 777);
}

TEST(ParamsIndex, OutOfRangeRaisesTheExactText) {
  HostBlock host;
  HostOwnStorage storage(host.get());
  for (int i = 0; i < 3; ++i) storage.Push(Int(i));
  HostBlock bare;  // no storage at all
  struct Case {
    TParams* block;
    bool get;
    int index;
    const wchar_t* text;
  } cases[] = {
      {host.get(), true, -1, L"Неверный индекс (Get) Index=-1 Count=3"},
      {host.get(), true, 3, L"Неверный индекс (Get) Index=3 Count=3"},
      {host.get(), false, -1, L"Неверный индекс (Set) Index=-1 Count=3"},
      {host.get(), false, 3, L"Неверный индекс (Set) Index=3 Count=3"},
      {bare.get(), true, 0, L"Неверный индекс (Get) Index=0 Count=0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(win::WideToUtf8(c.text));
    auto [code, message] = CodedFailure([&] {
      if (c.get)
        ScopedVariant::Adopt(c.block->Get(c.index));
      else
        c.block->Set(c.index, Int(0));
    });
    EXPECT_EQ(code, 20000);
    EXPECT_EQ(message, c.text);
  }
}

TEST(ParamsClear, ResetsErrorStateEmptiesValuesAndDestroysNext) {
  params_test::HostDestructorCalls().clear();
  HostBlock host, next;
  TParams* block = host.get();
  HostOwnStorage storage(block);
  HostString name("ЗаписатьДанные", 5);
  HostString block_name("__FRee", -1);
  storage.Push(VARIANT{});
  storage.Push(name.AsVariant());
  storage.Push(Text(L"освобождается"));
  VARIANT result;
  block->Result = &result;
  block->Name = block_name.chars();
  block->Flags = 1;
  block->SetCode(7);
  block->Next = next.get();

  block->Clear();

  EXPECT_EQ(block->Code, 0);
  EXPECT_EQ(block->Error, 0);
  EXPECT_EQ(block->Result, nullptr);
  EXPECT_EQ(TextOf(block->Description), L"Очищено Clear");
  EXPECT_EQ(TextOf(block->Source), L"");
  EXPECT_EQ(block->Count(), 0);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(storage.values[i].vt, VT_EMPTY) << "value " << i;
  EXPECT_EQ(name.ref_count(), 5) << "the host's 8-bit string must not be released";
  EXPECT_EQ(automation::HostStringView(name.chars()), "ЗаписатьДанные");
  EXPECT_EQ(block->Name, block_name.chars());
  EXPECT_EQ(block->Flags, 1);
  EXPECT_EQ(block->Next, nullptr);
  ASSERT_EQ(params_test::HostDestructorCalls().size(), 1u);
  EXPECT_EQ(params_test::HostDestructorCalls()[0].object, next.get());
  EXPECT_EQ(params_test::HostDestructorCalls()[0].flag, 1);
  ScopedVariant::Adopt(block->Source);
  ScopedVariant::Adopt(block->Description);
}

TEST(ParamsName, NameTextReadsTheHostStringWithTheAnsiCodePage) {
  // "Версия" in code page 1251, as the host would store it.
  HostString name("\xC2\xE5\xF0\xF1\xE8\xFF", -1);
  HostBlock host;
  EXPECT_EQ(host.get()->NameText(), L"");
  host.get()->Name = name.chars();
  EXPECT_EQ(host.get()->NameText(), L"Версия");

  auto [code, message] = CodedFailure([&] { host.get()->SetOwnName(L"другое"); });
  EXPECT_EQ(code, 20000) << "the host's Name must not be replaced by the module";
  EXPECT_EQ(host.get()->Name, name.chars());
}

namespace {

// Counts references; the block may only release what it holds.
class CountingUnknown : public IUnknown {
 public:
  LONG refs = 1;
  HRESULT __stdcall QueryInterface(REFIID, void** out) override {
    ADD_FAILURE() << "QueryInterface must not be called";
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG __stdcall AddRef() override { return ++refs; }
  ULONG __stdcall Release() override { return --refs; }
};

}  // namespace

TEST(ParamsClassTable, OwnBlocksCarryTheHostShape) {
  TParams* block = automation::NewParams();
  const char* table = static_cast<const char*>(block->ClassRef);
  const unsigned char* name;
  std::memcpy(&name, table - 44, sizeof name);
  ASSERT_EQ(name[0], 7);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(name + 1), name[0]), "TParams");
  automation::BlockDestructor destructor;
  std::memcpy(&destructor, table - 4, sizeof destructor);
  EXPECT_NE(destructor, nullptr);
  EXPECT_TRUE(automation::IsOwnBlock(block));
  EXPECT_EQ(block->Storage, nullptr);
  EXPECT_EQ(block->OwnsStorage, 0);
  EXPECT_EQ(block->Error, 0);
  EXPECT_EQ(TextOf(block->Source), L"");
  EXPECT_EQ(TextOf(block->Description), L"");
  destructor(block, 1);  // as the host would destroy it
}

TEST(ParamsClassTable, DestroyReachesEveryBlockOfAChainThroughItsOwnTable) {
  params_test::HostDestructorCalls().clear();
  HostBlock foreign;
  CountingUnknown event_support;
  TParams* first = automation::NewParams();
  TParams* second = automation::NewParams();
  first->Next = second;
  second->Next = foreign.get();
  second->CreateStorage();
  second->Add(ScopedVariant::FromText(L"значение").Get());
  second->SetOwnName(L"Свойство");
  EXPECT_EQ(second->NameText(), L"Свойство");
  event_support.AddRef();  // the reference the block holds
  second->EventSupport = &event_support;

  automation::DestroyParams(first);

  ASSERT_EQ(params_test::HostDestructorCalls().size(), 1u);
  EXPECT_EQ(params_test::HostDestructorCalls()[0].object, foreign.get());
  EXPECT_EQ(params_test::HostDestructorCalls()[0].flag, 1);
  EXPECT_EQ(event_support.refs, 1) << "the block's reference must be released, once";
}

TEST(ParamsHostString, ModuleStringsHaveTheHostLayout) {
  char* text = automation::NewHostString("abc");
  int32_t count, length;
  std::memcpy(&count, text - 8, 4);
  std::memcpy(&length, text - 4, 4);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(length, 3);
  EXPECT_EQ(text[3], '\0');
  automation::ReleaseHostString(text);
  EXPECT_EQ(automation::NewHostString(""), nullptr) << "null is the host's empty text";
}
