// Both plug-ins loaded as the host loads them: exports, Query, the guarded call, and the
// control interface.
#include <gtest/gtest.h>

#include <windows.h>

#include <set>
#include <string>

#include "pluhost/lib/host_block.h"
#include "pluhost/lib/plugin_library.h"
#include "support/test_paths.h"

namespace {

// The names of the export directory, read from the loaded image.
std::set<std::string> ExportNames(HMODULE module) {
  auto base = reinterpret_cast<const BYTE*>(module);
  auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  auto nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  auto exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);
  auto names = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
  std::set<std::string> out;
  for (DWORD i = 0; i < exports->NumberOfNames; ++i)
    out.insert(reinterpret_cast<const char*>(base + names[i]));
  return out;
}

// Counts releases, so that a test sees PluginControl give up what the variable held.
struct CountingUnknown : IUnknown {
  LONG refs = 1;
  HRESULT __stdcall QueryInterface(REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG __stdcall AddRef() override { return ++refs; }
  ULONG __stdcall Release() override { return --refs; }
};

struct Module {
  const wchar_t* file;
  // The terminal driver's module gets its plug-in object with the driver; until then its
  // control interface is empty.
  bool has_plugin_object;
};

void PrintTo(const Module& module, std::ostream* out) { *out << testing::PrintToString(module.file); }

class EntryPoints : public testing::TestWithParam<Module> {
 protected:
  void SetUp() override {
    std::wstring error;
    lib_ = pluhost::PluginLibrary::Load(testsupport::BesideTestProgram(GetParam().file), error);
    ASSERT_TRUE(lib_) << testing::PrintToString(error);
  }
  std::unique_ptr<pluhost::PluginLibrary> lib_;
};

TEST_P(EntryPoints, ExportsExactlyTheThreeUndecoratedNames) {
  EXPECT_EQ(ExportNames(lib_->Module()),
            (std::set<std::string>{"BeforeFreeLibrary", "PluginControl", "Query"}));
}

TEST_P(EntryPoints, QueryGivesTheMagicValueAndLocatesTheGuardedCall) {
  EXPECT_EQ(static_cast<uint32_t>(lib_->QueryValue()), 54726439u);
  EXPECT_EQ(lib_->QueryAddress() - lib_->GuardedCallAddress(), 212u);
}

TEST_P(EntryPoints, GuardedCallReportsTheFailureInTheBlock) {
  pluhost::HostBlock* block = pluhost::NewCallBlock(L"НетТакогоМетода", pluhost::CallKind::kMethod);
  block->Error = 1;  // the guarded call resets it before anything else
  block->Code = 7;
  EXPECT_FALSE(lib_->RunGuarded(block));
  EXPECT_EQ(block->Error, 1);
  ASSERT_EQ(block->Description.vt, VT_BSTR);
  if (GetParam().has_plugin_object) {
    EXPECT_EQ(block->Code, 20036);
    EXPECT_STREQ(block->Description.bstrVal, L"Метод/Свойство [НетТакогоМетода] не обнаружено");
  } else {
    EXPECT_EQ(block->Code, 20000);
    EXPECT_STREQ(block->Description.bstrVal,
                 L"Обработчик вызовов не зарегистрирован: объект модуля не создан.");
  }
  ASSERT_EQ(block->Source.vt, VT_BSTR);
  EXPECT_STREQ(block->Source.bstrVal, L"НетТакогоМетода");
  pluhost::DestroyBlock(block);

  EXPECT_TRUE(lib_->RunGuarded(nullptr)) << "a null block is left alone";
}

TEST_P(EntryPoints, PluginControlReleasesTheOldInterfaceAndGivesTheControlObject) {
  CountingUnknown old;
  old.refs = 2;
  IUnknown* variable = &old;
  lib_->PluginControl(&variable);
  EXPECT_EQ(old.refs, 1);
  if (!GetParam().has_plugin_object) {
    EXPECT_EQ(variable, nullptr);
    EXPECT_EQ(lib_->Control(), nullptr);
    return;
  }
  ASSERT_NE(variable, nullptr);
  EXPECT_EQ(variable, lib_->Control());
  IUnknown* info = nullptr;
  ASSERT_EQ(lib_->Control()->GetPluInfo(&info), S_OK);
  EXPECT_NE(info, nullptr);
  pluhost::CallEntryProc entry = nullptr;
  ASSERT_EQ(lib_->Control()->GetCallEntry(&entry), S_OK);
  EXPECT_NE(entry, nullptr);
}

TEST_P(EntryPoints, LeavesTheProcessWhenTheHostFreesIt) {
  // Whatever holds the module after FreeLibrary (a pinning runtime, a thread of its own) keeps
  // its unload-time finalisation from running and a reload from starting afresh.
  pluhost::HostBlock* block = pluhost::NewCallBlock(L"Включить", pluhost::CallKind::kMethod);
  lib_->RunGuarded(block);
  pluhost::DestroyBlock(block);
  lib_.reset();
  EXPECT_EQ(GetModuleHandleW(GetParam().file), nullptr);
}

INSTANTIATE_TEST_SUITE_P(BothPlugins, EntryPoints,
                         testing::Values(Module{L"termblank.plu", true},
                                         Module{L"termdt930.plu", false}));

}  // namespace
