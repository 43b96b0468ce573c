// The dispatch object base: registration, both dispatch modes and the argument helpers.
#include <gtest/gtest.h>

#include <windows.h>
#include <oleauto.h>

#include <functional>
#include <string>

#include "framework/automation/auto_object.h"
#include "framework/automation/params.h"
#include "framework/services/exceptions.h"
#include "framework/win/scoped_bstr.h"
#include "tests/unit/automation/safe_array_dispatch.h"

namespace {

using automation::TCallArgs;
using automation::THandler;
using testing_dispatch::Int;
using testing_dispatch::Invoke;
using testing_dispatch::Outcome;

// A dispatch object whose members and mode the test chooses.
class TestObject final : public automation::TAutoComObject<IDispatch> {
 public:
  using Register = std::function<void(TestObject&)>;
  TestObject(bool direct, Register register_members)
      : TAutoComObject(IID_IDispatch, win::ComPtr<ITypeInfo>(), L"TTestObject"),
        direct_mode_(direct),
        register_(std::move(register_members)) {}

  using TBaseAutoObject::AddMethod;
  using TBaseAutoObject::AddProperty;
  bool unknown_handled = false;

 protected:
  void RegisterMembers() override {
    if (register_) register_(*this);
  }
  bool DirectDispatch() override { return direct_mode_; }
  bool UnknownMember(automation::TParams&) override { return unknown_handled; }

 private:
  bool direct_mode_;
  Register register_;
};

win::ComPtr<TestObject> Make(bool direct, TestObject::Register r) {
  win::ComPtr<TestObject> object = win::ComPtr<TestObject>::Adopt(new TestObject(direct, std::move(r)));
  object->Initialize();
  return object;
}

THandler Returns(LONG value) {
  return [value](const TCallArgs&, VARIANT& result) { result = Int(value); };
}

// Direct-mode handler: the argument count, as the result.
THandler CountsArgs() {
  return [](const TCallArgs& a, VARIANT& result) {
    result = Int(automation::TBaseAutoObject::ArgCount(a.Params));
  };
}

}  // namespace

TEST(AutoObjectMembers, HundredRegistrationsAndNoMore) {
  auto add = [](int n) {
    return [n](TestObject& o) {
      for (int i = 0; i < n; ++i) o.AddMethod(L"M" + std::to_wstring(i), 0, Returns(i));
    };
  };
  win::ComPtr<TestObject> full = Make(true, add(100));
  EXPECT_EQ(full->Members().size(), 100u);
  EXPECT_EQ(testing_dispatch::IdOf(full.Get(), L"m99"), 99);

  win::ComPtr<TestObject> over = win::ComPtr<TestObject>::Adopt(new TestObject(true, add(101)));
  try {
    over->Initialize();
    FAIL() << "the 101st registration was accepted";
  } catch (const services::ECodedException&) {
    FAIL() << "the limit is a plain exception";
  } catch (const services::Exception& e) {
    EXPECT_EQ(e.Message(), L"Массив имен заполнен.");
  }
  EXPECT_EQ(over->Members().size(), 100u) << "nothing registered past the limit";
}

TEST(AutoObjectMembers, NamesStoredUpperCased) {
  win::ComPtr<TestObject> object = Make(true, [](TestObject& o) {
    o.AddMethod(L"Включить", 0, Returns(1));
    o.AddProperty(L"Value", Returns(2), THandler());
  });
  EXPECT_EQ(object->Members()[0].Name, L"ВКЛЮЧИТЬ");
  EXPECT_TRUE(object->Members()[0].IsMethod);
  EXPECT_EQ(object->Members()[1].Name, L"VALUE");
  EXPECT_FALSE(object->Members()[1].IsMethod);
  EXPECT_EQ(testing_dispatch::IdOf(object.Get(), L"включить"), 0);
}

TEST(AutoObjectDirect, ArgumentCountsAndAccess) {
  win::ComPtr<TestObject> object = Make(true, [](TestObject& o) {
    o.AddMethod(L"Any", 0, CountsArgs());
    o.AddMethod(L"Two", 2, CountsArgs());
    o.AddProperty(L"WriteOnly", THandler(), [](const TCallArgs&, VARIANT&) {});
  });
  for (size_t n : {0u, 1u, 5u}) {
    Outcome out = Invoke(object.Get(), L"Any", DISPATCH_METHOD, std::vector<VARIANT>(n, Int(0)));
    ASSERT_EQ(out.hr, S_OK) << n;
    EXPECT_EQ(out.result.Get().lVal, static_cast<LONG>(n));
  }
  EXPECT_EQ(Invoke(object.Get(), L"Two", DISPATCH_METHOD, {Int(1), Int(2)}).hr, S_OK);
  EXPECT_EQ(Invoke(object.Get(), L"Two", DISPATCH_METHOD, {Int(1)}).description,
            L"Неверное число параметров для [TWO]");

  EXPECT_EQ(Invoke(object.Get(), L"WriteOnly", DISPATCH_PROPERTYPUT, {Int(1)}).hr, S_OK);
  for (WORD flags : {WORD(DISPATCH_PROPERTYGET), WORD(DISPATCH_METHOD)}) {
    Outcome read = Invoke(object.Get(), L"WriteOnly", flags);
    EXPECT_EQ(read.hr, DISP_E_EXCEPTION) << flags;
    EXPECT_EQ(read.description, L"Свойство недоступно для чтения [WRITEONLY]") << flags;
  }
  Outcome write_method = Invoke(object.Get(), L"Any", DISPATCH_PROPERTYPUT, {Int(1)});
  EXPECT_EQ(write_method.description, L"Метод/Свойство [ANY] не обнаружено. Флаг:4");

  HRESULT hr = S_OK;
  testing_dispatch::IdOf(object.Get(), L"Missing", &hr);
  EXPECT_EQ(hr, E_NOTIMPL);
}

TEST(AutoObjectDirect, FailuresBecomeExceptionInformation) {
  win::ComPtr<TestObject> object = Make(true, [](TestObject& o) {
    o.AddMethod(L"Coded", 0, [](const TCallArgs&, VARIANT&) { services::RaiseText(L"кодовая"); });
    o.AddMethod(L"Plain", 0, [](const TCallArgs&, VARIANT&) { services::RaisePlain(L"простая"); });
  });
  struct Case {
    const wchar_t* name;
    const wchar_t* description;
    const wchar_t* source;
  } cases[] = {{L"Coded", L"кодовая", L"ECodedException"}, {L"Plain", L"простая", L"Exception"}};
  for (const Case& c : cases) {
    Outcome out = Invoke(object.Get(), c.name, DISPATCH_METHOD);
    EXPECT_EQ(out.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(out.scode, 1000);
    EXPECT_EQ(out.description, c.description);
    EXPECT_EQ(out.source, c.source);
  }
  // Without an exception-information record the failure still shows.
  DISPPARAMS none = {};
  EXPECT_EQ(object->Invoke(0, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr),
            DISP_E_EXCEPTION);
}

TEST(AutoObjectArgs, GetArgInCallOrder) {
  win::ScopedVariant referenced = win::ScopedVariant::FromText(L"через ссылку");
  VARIANT by_ref;
  VariantInit(&by_ref);
  by_ref.vt = VT_VARIANT | VT_BYREF;
  by_ref.pvarVal = referenced.Ptr();
  // Stored last to first, as a dispatch call stores them.
  VARIANT stored[3] = {by_ref, Int(20), Int(10)};
  DISPPARAMS params = {stored, nullptr, 3, 0};
  using Base = automation::TBaseAutoObject;
  EXPECT_EQ(Base::ArgCount(&params), 3);
  EXPECT_EQ(Base::ArgCount(nullptr), 0);
  EXPECT_EQ(Base::GetArg(&params, 0).Get().lVal, 10);
  EXPECT_EQ(Base::GetArg(&params, 1).Get().lVal, 20);
  win::ScopedVariant third = Base::GetArg(&params, 2);
  EXPECT_EQ(third.Type(), VT_BSTR);
  EXPECT_EQ(win::BstrText(third.Get().bstrVal), L"через ссылку");

  struct Case {
    int index;
    const wchar_t* get;
    const wchar_t* set;
  } bad[] = {{-1, L"Неверный индекс (Get) Index=-1 Count=3", L"Неверный индекс (Set) Index=-1 Count=3"},
             {3, L"Неверный индекс (Get) Index=3 Count=3", L"Неверный индекс (Set) Index=3 Count=3"}};
  for (const Case& c : bad) {
    try {
      Base::GetArg(&params, c.index);
      ADD_FAILURE() << c.index;
    } catch (const services::ECodedException& e) {
      EXPECT_EQ(e.Code(), 20000);
      EXPECT_EQ(e.Message(), c.get);
    }
    try {
      Base::SetArg(&params, c.index, Int(0));
      ADD_FAILURE() << c.index;
    } catch (const services::ECodedException& e) {
      EXPECT_EQ(e.Code(), 20000);
      EXPECT_EQ(e.Message(), c.set);
    }
  }
}

TEST(AutoObjectArgs, SetArgWritesThroughReferences) {
  LONG i4 = 0;
  double r8 = 0;
  win::ScopedBstr text(L"старый");
  BSTR text_place = text.Release();  // owned by the argument now
  VARIANT place;
  VariantInit(&place);
  SHORT i2 = 0;
  VARIANT args[5];
  for (VARIANT& a : args) VariantInit(&a);
  args[4].vt = VT_I4 | VT_BYREF;
  args[4].plVal = &i4;
  args[3].vt = VT_R8 | VT_BYREF;
  args[3].pdblVal = &r8;
  args[2].vt = VT_BSTR | VT_BYREF;
  args[2].pbstrVal = &text_place;
  args[1].vt = VT_VARIANT | VT_BYREF;
  args[1].pvarVal = &place;
  args[0] = Int(5);  // by value
  DISPPARAMS params = {args, nullptr, 5, 0};
  using Base = automation::TBaseAutoObject;

  win::ScopedVariant twelve = win::ScopedVariant::FromText(L"12");
  win::ScopedVariant decimal = win::ScopedVariant::FromText(L"2,5");
  Base::SetArg(&params, 0, twelve.Get());
  Base::SetArg(&params, 1, decimal.Get());
  Base::SetArg(&params, 2, win::ScopedVariant::FromDouble(2.5).Get());
  Base::SetArg(&params, 3, twelve.Get());
  Base::SetArg(&params, 4, Int(99));
  EXPECT_EQ(i4, 12);
  EXPECT_DOUBLE_EQ(r8, 2.5);
  EXPECT_EQ(win::BstrText(text_place), L"2,5") << "module formats, whatever the user's";
  EXPECT_EQ(place.vt, VT_BSTR);
  EXPECT_EQ(win::BstrText(place.bstrVal), L"12");
  EXPECT_EQ(args[0].lVal, 5) << "a by-value argument is left alone";
  win::ScopedBstr::Adopt(text_place);
  win::ScopedVariant::Adopt(place);

  VARIANT unsupported;
  VariantInit(&unsupported);
  unsupported.vt = VT_I2 | VT_BYREF;
  unsupported.piVal = &i2;
  DISPPARAMS one = {&unsupported, nullptr, 1, 0};
  try {
    Base::SetArg(&one, 0, Int(1));
    FAIL() << "no exception";
  } catch (const services::ECodedException&) {
    FAIL() << "a plain exception is expected";
  } catch (const services::Exception& e) {
    EXPECT_EQ(e.Message(), L"Неподдерживаемый тип параметра.");
  }
}

TEST(AutoObjectParams, NamesAreCollectedAndDispatchedByName) {
  win::ComPtr<TestObject> object = Make(false, [](TestObject& o) {
    o.AddMethod(L"Sum", 2, [](const TCallArgs& a, VARIANT& result) {
      win::ScopedVariant x = win::ScopedVariant::Adopt(a.Block->Get(0));
      win::ScopedVariant y = win::ScopedVariant::Adopt(a.Block->Get(1));
      result = Int(x.Get().lVal * 10 + y.Get().lVal);
      a.Block->Set(1, Int(77));  // written back to the caller's reference
    });
    o.AddProperty(L"ReadOnly", Returns(3), THandler());
  });
  EXPECT_FALSE(object->IsDirect());
  EXPECT_EQ(testing_dispatch::IdOf(object.Get(), L"Unknown"), 0);
  EXPECT_EQ(testing_dispatch::IdOf(object.Get(), L"sum"), 1);
  EXPECT_EQ(testing_dispatch::IdOf(object.Get(), L"SUM"), 1);
  EXPECT_EQ(object->NameList().size(), 2u);

  VARIANT place = Int(2);
  VARIANT by_ref;
  VariantInit(&by_ref);
  by_ref.vt = VT_VARIANT | VT_BYREF;
  by_ref.pvarVal = &place;
  Outcome sum = Invoke(object.Get(), L"Sum", DISPATCH_METHOD, {Int(4), by_ref});
  ASSERT_EQ(sum.hr, S_OK) << sum.description;
  EXPECT_EQ(sum.result.Get().lVal, 42) << "arguments in call order, the reference read through";
  EXPECT_EQ(place.vt, VT_I4);
  EXPECT_EQ(place.lVal, 77);

  EXPECT_EQ(Invoke(object.Get(), L"ReadOnly", DISPATCH_PROPERTYGET).result.Get().lVal, 3);
  EXPECT_EQ(testing_dispatch::InvokeId(object.Get(), 5, DISPATCH_METHOD, {}).hr,
            DISP_E_MEMBERNOTFOUND);
}

TEST(AutoObjectParams, FailuresReachTheCaller) {
  win::ComPtr<TestObject> object = Make(false, [](TestObject& o) {
    o.AddMethod(L"Two", 2, Returns(0));
    o.AddProperty(L"ReadOnly", Returns(3), THandler());
    o.AddMethod(L"Throws", 0, [](const TCallArgs&, VARIANT&) { services::RaisePlain(L"сбой"); });
  });
  struct Case {
    const wchar_t* name;
    WORD flags;
    std::vector<VARIANT> args;
    SCODE scode;
    const wchar_t* description;
    const wchar_t* source;
  } cases[] = {
      {L"Two", DISPATCH_METHOD, {Int(1)}, 20000, L"Неверное число параметров для [TWO]", L"TTestObject"},
      {L"ReadOnly", DISPATCH_PROPERTYPUT, {Int(1)}, 20000, L"Свойство недоступно для записи [READONLY]",
       L"TTestObject"},
      {L"Nothing", DISPATCH_METHOD, {}, 20000, L"Метод/Свойство [NOTHING] не обнаружено. Флаг:1",
       L"TTestObject"},
      {L"Throws", DISPATCH_METHOD, {}, 1000, L"сбой", L"Exception"},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.description);
    Outcome out = Invoke(object.Get(), c.name, c.flags, c.args);
    EXPECT_EQ(out.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(out.scode, c.scode);
    EXPECT_EQ(out.description, c.description);
    EXPECT_EQ(out.source, c.source);
  }
  object->unknown_handled = true;
  EXPECT_EQ(Invoke(object.Get(), L"Nothing", DISPATCH_METHOD).hr, S_OK);
}
