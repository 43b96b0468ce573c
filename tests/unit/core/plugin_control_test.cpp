// The control object as the host sees it through its vtable, and the call entry's
// structured exception.
#include <gtest/gtest.h>

#include <windows.h>
#include <oleauto.h>

#include "framework/automation/params.h"
#include "framework/core/call_entry.h"
#include "framework/core/plugin_control.h"
#include "framework/services/exceptions.h"
#include "framework/win/com_ptr.h"
#include "framework/win/scoped_bstr.h"
#include "framework/win/scoped_handle.h"
#include "pluhost/lib/host_block.h"
#include "pluhost/lib/plugin_library.h"
#include "support/thread_error_info.h"
#include "support/test_paths.h"

namespace {

// A stand-in for the plug-in object: hands out whatever interface it is given.
class FakeDllObject : public core::TDllObjectBase {
 public:
  explicit FakeDllObject(IUnknown* info) : info_(info) {}
  IUnknown* QueryPluInfo() override {
    if (info_) info_->AddRef();
    return info_;
  }

 private:
  IUnknown* info_;
};

uint8_t __stdcall DummyEntry(void*, void*) { return 1; }

TEST(PluginControl, PublishesItselfForItsLifetimeAndIgnoresReferenceCounting) {
  EXPECT_EQ(core::GlobalPluginControl(), nullptr);
  {
    core::TDllObjectBase* object = nullptr;
    core::TPluginControl control(&object, &DummyEntry);
    IUnknown* published = core::GlobalPluginControl();
    ASSERT_EQ(published, static_cast<core::IPluginControl*>(&control));
    EXPECT_EQ(published->AddRef(), static_cast<ULONG>(-1));
    EXPECT_EQ(published->Release(), static_cast<ULONG>(-1));
    EXPECT_EQ(published->Release(), static_cast<ULONG>(-1));

    void* out = nullptr;
    EXPECT_EQ(published->QueryInterface(core::IID_IPluginControl, &out), S_OK);
    EXPECT_EQ(out, published);
    EXPECT_EQ(published->QueryInterface(IID_IUnknown, &out), S_OK);
    EXPECT_EQ(published->QueryInterface(IID_IDispatch, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);

    auto* typed = static_cast<core::IPluginControl*>(published);
    for (int32_t value : {0, -1, 12345}) {
      EXPECT_EQ(typed->ReservedA(value), S_OK);
      EXPECT_EQ(typed->ReservedB(value), S_OK);
      EXPECT_EQ(typed->ReservedC(value), S_OK);
    }
    core::CallEntryProc entry = nullptr;
    EXPECT_EQ(typed->GetCallEntry(&entry), S_OK);
    EXPECT_EQ(entry, &DummyEntry);
  }
  EXPECT_EQ(core::GlobalPluginControl(), nullptr);
}

TEST(PluginControl, GetPluInfoFailuresArriveAsUnexpectedWithTheMessage) {
  core::TDllObjectBase* object = nullptr;
  core::TPluginControl control(&object, &DummyEntry);
  IUnknown* info = reinterpret_cast<IUnknown*>(1);

  EXPECT_EQ(control.GetPluInfo(&info), E_UNEXPECTED);
  EXPECT_EQ(info, nullptr);
  EXPECT_EQ(testsupport::ThreadErrorDescription(), L"Обработчик GetDllObject не назначен");

  FakeDllObject without_info(nullptr);
  object = &without_info;
  EXPECT_EQ(control.GetPluInfo(&info), E_UNEXPECTED);
  EXPECT_EQ(testsupport::ThreadErrorDescription(), L"PluInfo не доступна, Объект DLL не создан.");

  win::ComPtr<IErrorInfo> some_interface;
  CreateErrorInfo(reinterpret_cast<ICreateErrorInfo**>(some_interface.Put()));
  FakeDllObject with_info(some_interface.Get());
  object = &with_info;
  EXPECT_EQ(control.GetPluInfo(&info), S_OK);
  EXPECT_EQ(info, some_interface.Get());
  info->Release();
}

bool ThrowingHandler(automation::TParams*, void*) {
  services::RaiseError(20036, {std::wstring(L"Гудок")});
}
bool SucceedingHandler(automation::TParams*, void*) { return true; }

TEST(CallEntry, FailureIsRecordedInTheBlockAndRaisedAsStructuredException) {
  struct Case {
    core::CallHandler handler;
    int32_t code;
    const wchar_t* message;
  } cases[] = {
      {&ThrowingHandler, 20036, L"Метод/Свойство [Гудок] не обнаружено"},
      {nullptr, 20000, L"Обработчик вызовов не зарегистрирован: объект модуля не создан."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.message)));
    core::RegisterCallHandler(c.handler);
    pluhost::HostBlock* block = pluhost::NewCallBlock(L"Гудок", pluhost::CallKind::kMethod);
    pluhost::CallEntryOutcome outcome = pluhost::PluginLibrary::RunCallEntry(
        reinterpret_cast<pluhost::CallEntryProc>(&core::CallEntry), block, nullptr);
    EXPECT_TRUE(outcome.raised);
    EXPECT_EQ(outcome.exception_code, core::kCallEntryExceptionCode);
    EXPECT_NE(outcome.exception_flags & EXCEPTION_NONCONTINUABLE, 0u) << outcome.exception_flags;
    EXPECT_EQ(outcome.argument_count, 2u);
    EXPECT_EQ(outcome.code, c.code);
    EXPECT_EQ(outcome.message, c.message);
    EXPECT_EQ(block->Error, 1);
    EXPECT_EQ(block->Code, c.code);
    ASSERT_EQ(block->Description.vt, VT_BSTR);
    EXPECT_STREQ(block->Description.bstrVal, c.message);
    pluhost::DestroyBlock(block);
  }
  core::RegisterCallHandler(&SucceedingHandler);
  pluhost::HostBlock* block = pluhost::NewCallBlock(L"Гудок", pluhost::CallKind::kMethod);
  pluhost::CallEntryOutcome outcome = pluhost::PluginLibrary::RunCallEntry(
      reinterpret_cast<pluhost::CallEntryProc>(&core::CallEntry), block, nullptr);
  EXPECT_FALSE(outcome.raised);
  EXPECT_EQ(outcome.result, 1);
  EXPECT_EQ(block->Error, 0);
  pluhost::DestroyBlock(block);
  core::RegisterCallHandler(nullptr);
}

// Counts the live objects of a call: a local of the handler and the exception it throws.
int live_objects = 0;
struct Tracked {
  Tracked() { ++live_objects; }
  Tracked(const Tracked&) { ++live_objects; }
  ~Tracked() { --live_objects; }
};
struct TrackedException : services::ECodedException, Tracked {
  TrackedException() : services::ECodedException(20000, L"отслеживаемый сбой") {}
};
bool ThrowingTrackedHandler(automation::TParams*, void*) {
  Tracked local;
  throw TrackedException();
}

TEST(CallEntry, EveryObjectOfTheCallIsGoneWhenTheStructuredExceptionIsRaised) {
  // The host's handler unwinds without running C++ destructors: whatever is alive when the
  // exception is raised would leak (the exception object above all).
  live_objects = 0;
  int alive_at_raise = -1;
  core::RegisterCallHandler(&ThrowingTrackedHandler);
  pluhost::HostBlock* block = pluhost::NewCallBlock(L"Гудок", pluhost::CallKind::kMethod);
  pluhost::CallEntryOutcome outcome = pluhost::PluginLibrary::RunCallEntry(
      reinterpret_cast<pluhost::CallEntryProc>(&core::CallEntry), block, nullptr,
      [](void* context) { *static_cast<int*>(context) = live_objects; }, &alive_at_raise);
  core::RegisterCallHandler(nullptr);
  EXPECT_TRUE(outcome.raised);
  EXPECT_EQ(outcome.message, L"отслеживаемый сбой");
  EXPECT_EQ(alive_at_raise, 0);
  pluhost::DestroyBlock(block);
}

TEST(CallEntry, AFailedCallLeavesNoHoldOnTheModule) {
  // A thread-local object with a destructor makes the runtime pin its module until the thread
  // ends: the host's FreeLibrary would then leave the plug-in loaded, plug-in object and all.
  win::ScopedHmodule probe(LoadLibraryW(testsupport::BesideTestProgram(L"call_entry_probe.dll").c_str()));
  ASSERT_TRUE(probe);
  using Getter = void* (*)();
  auto get_entry = reinterpret_cast<Getter>(
      reinterpret_cast<void*>(GetProcAddress(probe.Get(), "ProbeCallEntry")));
  ASSERT_NE(get_entry, nullptr);
  pluhost::HostBlock* block = pluhost::NewCallBlock(L"Гудок", pluhost::CallKind::kMethod);
  pluhost::CallEntryOutcome outcome = pluhost::PluginLibrary::RunCallEntry(
      reinterpret_cast<pluhost::CallEntryProc>(get_entry()), block, nullptr);
  pluhost::DestroyBlock(block);
  EXPECT_TRUE(outcome.raised);
  EXPECT_EQ(outcome.message, L"Обработчик вызовов не зарегистрирован: объект модуля не создан.");
  probe.Reset();
  EXPECT_EQ(GetModuleHandleW(L"call_entry_probe.dll"), nullptr);
}

}  // namespace
