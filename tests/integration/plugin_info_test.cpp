// termblank's information interfaces as the host reads them: IPluInfo's answers against the
// module file and its version resource, its one model, IPluNames for method, property and
// switch names, and the event support handed over through IPluInfo.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "framework/automation/identifiers.h"
#include "pluhost/lib/host_event_support.h"
#include "pluhost/lib/plu_info_client.h"
#include "pluhost/lib/plu_info_report.h"
#include "support/termblank_session.h"

namespace {

using testsupport::HostVariant;

// The "FileVersion" text of the file's first translation, read without the module's help.
std::wstring FileVersionText(const std::wstring& path) {
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  std::vector<BYTE> data(size);
  if (!size || !GetFileVersionInfoW(path.c_str(), 0, size, data.data())) return L"<no version resource>";
  WORD* translation = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                      &length) ||
      length < 4)
    return L"<no translation>";
  wchar_t key[64];
  swprintf(key, 64, L"\\StringFileInfo\\%04x%04x\\FileVersion", translation[0], translation[1]);
  wchar_t* text = nullptr;
  if (!VerQueryValueW(data.data(), key, reinterpret_cast<void**>(&text), &length) || !text) return L"<no FileVersion>";
  return text;
}

class PluginInfo : public testsupport::TermblankSession {
 protected:
  void SetUp() override {
    TermblankSession::SetUp();
    if (HasFatalFailure()) return;
    std::wstring failure;
    info_ = std::make_unique<pluhost::PluInfoClient>(pluhost::PluInfoClient::Obtain(lib_->Control(), failure));
    ASSERT_TRUE(info_->Get()) << testing::PrintToString(failure);
  }
  void TearDown() override {
    info_.reset();
    TermblankSession::TearDown();
  }
  std::unique_ptr<pluhost::PluInfoClient> info_;
};

TEST_F(PluginInfo, AnswersTheModuleFileItsVersionBuildAndConstants) {
  auto name = info_->FileName();
  ASSERT_TRUE(name.Ok()) << testing::PrintToString(name.message);
  EXPECT_EQ(name.value, lib_->Path());

  auto version = info_->FileVersion();
  ASSERT_TRUE(version.Ok()) << testing::PrintToString(version.message);
  EXPECT_EQ(version.value, FileVersionText(lib_->Path()));

  auto build = info_->Build();
  ASSERT_TRUE(build.Ok());
  size_t last_dot = version.value.find_last_of(L'.');
  ASSERT_NE(last_dot, std::wstring::npos) << testing::PrintToString(version.value);
  EXPECT_EQ(std::to_wstring(build.value), version.value.substr(last_dot + 1));
  // Exactly four numbers, so that the last one is the fourth.
  EXPECT_EQ(std::count(version.value.begin(), version.value.end(), L'.'), 3);

  EXPECT_EQ(info_->ConstantA().value, 3);
  EXPECT_EQ(info_->ConstantB().value, 1);
  EXPECT_TRUE(info_->SetOption(5).Ok());
}

TEST_F(PluginInfo, HandsOutTheTemplateModelAndNothingAfterIt) {
  auto model = info_->Model(0);
  ASSERT_TRUE(model.Ok()) << testing::PrintToString(model.message);
  ASSERT_TRUE(model.value);
  pluhost::ModelAttributes m = pluhost::ReadModel(model.value.Get());
  ASSERT_TRUE(m.id.Ok());
  EXPECT_EQ(pluhost::GuidText(m.id.value), pluhost::GuidText(automation::kModelTermblank));
  EXPECT_EQ(m.name.value, L"Терминал сбора данных (шаблон)");
  EXPECT_EQ(m.identifier.value, L"Termblank");
  EXPECT_EQ(m.class_short_name.value, L"ТСД");
  EXPECT_EQ(m.class_name.value, L"Терминалы сбора данных");

  for (int32_t index : {1, 2, 1000}) {
    auto past = info_->Model(index);
    EXPECT_TRUE(past.Ok()) << index << ": " << testing::PrintToString(past.message);
    EXPECT_FALSE(past.value) << index;
  }
  pluhost::ReportLines report = pluhost::DescribePluInfo(*info_);
  EXPECT_EQ(report.failures, 0);
  ASSERT_FALSE(report.lines.empty());
  EXPECT_EQ(report.lines.back(), L"GetModel(1):    empty interface (1 model)");
}

// The five answers for method, property, switch and unknown names, the same in every locale.
void ExpectNameAnswers(const pluhost::PluInfoClient& info) {
  win::ComPtr<pluhost::IPluNames> names = info.Names();
  ASSERT_TRUE(names);
  struct Case {
    const wchar_t* name;
    pluhost::NameAnswers expected;  // property, method, common method, switch on, switch off
  } cases[] = {
      {L"Включить", {false, true, true, true, false}},
      {L"switchon", {false, true, true, true, false}},
      {L"SwitchOn", {false, true, true, true, false}},
      {L"Выключить", {false, true, true, false, true}},
      {L"SwitchOff", {false, true, true, false, true}},
      {L"ЗаписатьДанные", {false, true, false, false, false}},
      {L"Результат", {true, false, false, false, false}},
      // A parameter of the current model: a property to IPluNames, never run by the dispatcher.
      {L"Использовать", {true, false, false, false, false}},
      {L"", {false, false, false, false, false}},
      {L"НетТакогоИмени", {false, false, false, false, false}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.name)));
    pluhost::NameAnswers a = pluhost::AskNames(names.Get(), c.name);
    EXPECT_EQ(a.is_property, c.expected.is_property);
    EXPECT_EQ(a.is_method, c.expected.is_method);
    EXPECT_EQ(a.is_common_method, c.expected.is_common_method);
    EXPECT_EQ(a.is_switch_on, c.expected.is_switch_on);
    EXPECT_EQ(a.is_switch_off, c.expected.is_switch_off);
  }
}

TEST_F(PluginInfo, NamesTellMethodsPropertiesAndTheSwitchCommandsApart) {
  ExpectNameAnswers(*info_);
  pluhost::CallOutcome read = Get(L"Использовать");
  EXPECT_TRUE(read.failed);
  EXPECT_EQ(read.code, 20036);
  EXPECT_EQ(read.description, L"Метод/Свойство [Использовать] не обнаружено");
}

// Under the English locale the ANSI code page has no Cyrillic letters: a name that went
// through it would come out as question marks and match nothing, or the wrong entry.
class PluginInfoEnglish : public PluginInfo {};

TEST_F(PluginInfoEnglish, NamesAnswerTheSameWithoutACyrillicCodePage) {
  ASSERT_EQ(GetACP(), 1252u);
  ExpectNameAnswers(*info_);
}

TEST_F(PluginInfo, EventSupportHandedOverThroughIPluInfoMakesTheDevicesTables) {
  auto handed = info_->SetEventSupport(session_->EventSupport());
  ASSERT_TRUE(handed.Ok()) << testing::PrintToString(handed.message);
  AddDevice(testsupport::kFirstDevice, L"Склад");
  pluhost::CallOutcome props = Call(L"ПолучитьСвойства", {HostVariant()});
  ASSERT_FALSE(props.failed) << testing::PrintToString(props.description);
  // The parameter table came from the host's NewValueTable, not from the module's own kind.
  EXPECT_EQ(pluhost::TablesHandedOut(session_->EventSupport()), 1);
}

}  // namespace
