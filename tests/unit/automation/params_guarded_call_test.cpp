// The guarded call records every failure of the call handler in the host's block.
#include <gtest/gtest.h>

#include <stdexcept>

#include "framework/automation/guarded_call.h"
#include "framework/core/call_entry.h"
#include "framework/services/exceptions.h"
#include "framework/win/scoped_variant.h"
#include "framework/win/text.h"
#include "params_host_layout.h"

using automation::TParams;
using params_test::HostBlock;
using params_test::HostOwnStorage;
using params_test::HostString;
using params_test::TextOf;
using win::ScopedVariant;

namespace {

void* seen_caller = nullptr;

// Restores "no handler" after each case; the registration is module-wide.
class GuardedCall : public ::testing::Test {
 protected:
  void TearDown() override { core::RegisterCallHandler(nullptr); }
};

// A host block for a call: own storage with the result place, the name and the kind.
struct CallBlock {
  HostBlock host;
  HostOwnStorage storage{host.get()};
  HostString name{win::WideToAnsi(L"Включить"), -1};  // the host's code page
  CallBlock() {
    storage.Push(VARIANT{});
    storage.Push(name.AsVariant());
    storage.Push(params_test::Int(1));
  }
  TParams* get() { return host.get(); }
  ~CallBlock() {
    ScopedVariant::Adopt(get()->Source);
    ScopedVariant::Adopt(get()->Description);
  }
};

}  // namespace

TEST_F(GuardedCall, HandlerResultComesBackWithTheErrorReset) {
  core::RegisterCallHandler([](TParams*, void* caller) {
    seen_caller = caller;
    return true;
  });
  CallBlock call;
  call.get()->Error = 1;
  int caller_object;
  EXPECT_EQ(GuardedCallBody(call.get(), &caller_object), 1);
  EXPECT_EQ(call.get()->Error, 0);
  EXPECT_EQ(seen_caller, &caller_object) << "the caller is passed on unchanged";

  core::RegisterCallHandler([](TParams*, void*) { return false; });
  EXPECT_EQ(GuardedCallBody(call.get(), nullptr), 0);
  EXPECT_EQ(call.get()->Error, 0) << "a false result is no failure";
}

TEST_F(GuardedCall, FailuresAreRecordedInTheBlock) {
  struct Case {
    const char* what;
    core::CallHandler handler;
    int32_t code;
    uint8_t error;
    const wchar_t* description;
  } cases[] = {
      {"plain", [](TParams*, void*) -> bool { throw services::Exception(L"сбой"); }, 20000, 1,
       L"сбой"},
      {"coded 0", [](TParams*, void*) -> bool { throw services::ECodedException(0, L"ноль"); },
       0, 0, L"ноль"},
      {"coded", [](TParams*, void*) -> bool { throw services::ECodedException(1003, L"нет"); },
       1003, 1, L"нет"},
      {"hardware",
       [](TParams*, void*) -> bool { throw services::EHardwareEquipmentException(74, L"т"); },
       74, 1, L"т"},
      {"foreign", [](TParams*, void*) -> bool { throw std::runtime_error("bad"); }, 20000, 1,
       L"bad"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    core::RegisterCallHandler(c.handler);
    CallBlock call;
    EXPECT_EQ(GuardedCallBody(call.get(), nullptr), 0);
    EXPECT_EQ(call.get()->Code, c.code);
    EXPECT_EQ(call.get()->Error, c.error);
    EXPECT_EQ(TextOf(call.get()->Description), c.description);
    // Value 1 is the called name; the host sent it as its own 8-bit string.
    EXPECT_EQ(TextOf(call.get()->Source), L"Включить");
  }
}

TEST_F(GuardedCall, WithoutValuesTheSourceIsTheBlockName) {
  core::RegisterCallHandler([](TParams*, void*) -> bool { throw services::Exception(L"x"); });
  HostBlock host;
  HostString name("__FRee", -1);
  host.get()->Name = name.chars();
  EXPECT_EQ(GuardedCallBody(host.get(), nullptr), 0);
  EXPECT_EQ(TextOf(host.get()->Source), L"__FRee");
  ScopedVariant::Adopt(host.get()->Source);
  ScopedVariant::Adopt(host.get()->Description);
}

TEST_F(GuardedCall, WithoutHandlerTheBlockCarriesTheError) {
  CallBlock call;
  EXPECT_EQ(GuardedCallBody(call.get(), nullptr), 0);
  EXPECT_EQ(call.get()->Error, 1);
  EXPECT_EQ(call.get()->Code, 20000);
  EXPECT_NE(TextOf(call.get()->Description), L"") << "the host needs to learn why";
}

TEST_F(GuardedCall, NullBlockIsLeftAlone) {
  core::RegisterCallHandler([](TParams*, void*) {
    ADD_FAILURE() << "the handler must not run without a block";
    return false;
  });
  EXPECT_EQ(GuardedCallBody(nullptr, nullptr), 1);
}
