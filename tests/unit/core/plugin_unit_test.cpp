// The module unit's load and unload: the plug-in object, its control object and the
// module-wide control interface come and go together.
#include <gtest/gtest.h>

#include <windows.h>

#include "framework/core/plugin_unit.h"
#include "framework/services/exceptions.h"

namespace {

uint8_t __stdcall DummyEntry(void*, void*) { return 1; }

// Stands in for the plug-in object: owns a control object, as the real one does, and
// answers IPluInfo with an interface of its own.
class FakePluginObject : public core::TDllObjectBase, public IUnknown {
 public:
  FakePluginObject(core::TDllObjectBase* const* variable, bool fail_after_control, bool* destroyed)
      : control_(variable, &DummyEntry), destroyed_(destroyed) {
    if (fail_after_control) services::RaiseText(L"construction failed");
  }
  ~FakePluginObject() override {
    if (destroyed_) *destroyed_ = true;
  }
  IUnknown* QueryPluInfo() override { return this; }
  HRESULT __stdcall QueryInterface(REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG __stdcall AddRef() override { return static_cast<ULONG>(-1); }
  ULONG __stdcall Release() override { return static_cast<ULONG>(-1); }

  core::TPluginControl control_;

 private:
  bool* destroyed_;
};

struct FactoryScript {
  int calls = 0;
  bool fail = false;
  bool destroyed = false;
} script;

core::TDllObjectBase* CreateFake(core::TDllObjectBase* const* variable) {
  ++script.calls;
  return new FakePluginObject(variable, script.fail, &script.destroyed);
}

core::IPluginControl* Control() {
  return static_cast<core::IPluginControl*>(core::GlobalPluginControl());
}

TEST(PluginUnit, ObjectLivesFromLoadToUnloadAndIsReachedThroughTheVariable) {
  script = {};
  core::TDllObjectBase* variable = nullptr;
  {
    core::TPluginUnit unit(&variable, &CreateFake);
    ASSERT_NE(variable, nullptr);
    ASSERT_NE(Control(), nullptr);
    IUnknown* info = nullptr;
    ASSERT_EQ(Control()->GetPluInfo(&info), S_OK);
    EXPECT_EQ(info, static_cast<IUnknown*>(static_cast<FakePluginObject*>(variable)));
    EXPECT_EQ(script.calls, 1);
    EXPECT_FALSE(script.destroyed);
  }
  EXPECT_TRUE(script.destroyed);
  EXPECT_EQ(variable, nullptr);
  EXPECT_EQ(core::GlobalPluginControl(), nullptr);
}

TEST(PluginUnit, ExistingObjectIsKept) {
  script = {};
  core::TDllObjectBase* variable = nullptr;
  FakePluginObject* existing = new FakePluginObject(&variable, false, &script.destroyed);
  variable = existing;
  {
    core::TPluginUnit unit(&variable, &CreateFake);
    EXPECT_EQ(script.calls, 0);
    EXPECT_EQ(variable, existing);
  }
  EXPECT_TRUE(script.destroyed) << "the unit frees whatever object its variable holds";
}

TEST(PluginUnit, FailedConstructionIsSilentAndLeavesTheControlInterfaceEmpty) {
  script = {};
  script.fail = true;
  core::TDllObjectBase* variable = nullptr;
  core::TPluginUnit unit(&variable, &CreateFake);
  EXPECT_EQ(script.calls, 1);
  EXPECT_EQ(variable, nullptr);
  EXPECT_EQ(core::GlobalPluginControl(), nullptr)
      << "the half-built object's control object withdrew the interface";
}

}  // namespace
