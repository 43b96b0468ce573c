// A loaded termblank module with one host session, and the calls tests make most: a named
// call with typed arguments, a device added from its document, host value tables.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "pluhost/lib/host_session.h"
#include "pluhost/lib/host_task.h"
#include "pluhost/lib/host_value_table.h"
#include "pluhost/lib/plugin_library.h"
#include "support/com_environment.h"
#include "support/test_paths.h"

namespace testsupport {

using pluhost::HostVariant;

constexpr wchar_t kFirstDevice[] = L"{11111111-2222-3333-4444-555555555555}";
constexpr wchar_t kSecondDevice[] = L"{22222222-2222-3333-4444-555555555555}";

inline std::wstring DeviceDocument(const std::wstring& code, const std::wstring& name) {
  return L"<Устройство Код=\"" + code + L"\" Наименование=\"" + name + L"\"/>";
}

// A host table of texts, one row per inner list.
inline HostVariant HostTable(const std::vector<std::vector<std::wstring>>& rows) {
  pluhost::TableCells cells;
  for (const auto& row : rows) {
    cells.emplace_back();
    for (const auto& text : row) cells.back().push_back(HostVariant::Text(text));
  }
  return HostVariant::Object(pluhost::MakeHostTable(cells));
}

// A host table with the given bounds and every cell empty.
inline HostVariant EmptyHostTable(int32_t rows, int32_t columns) {
  IDispatch* table = pluhost::NewHostValueTable();
  HostVariant value = HostVariant::Object(table);
  VARIANT r = {}, c = {};
  r.vt = c.vt = VT_I4;
  r.lVal = rows;
  c.lVal = columns;
  pluhost::CallByName(table, L"SetBounds", {r, c}, nullptr);
  return value;
}

class TermblankSession : public testing::Test {
 protected:
  void SetUp() override {
    std::wstring error;
    lib_ = pluhost::PluginLibrary::Load(BesideTestProgram(L"termblank.plu"), error);
    ASSERT_TRUE(lib_) << testing::PrintToString(error);
    session_ = std::make_unique<pluhost::Session>(*lib_);
  }
  void TearDown() override {
    session_.reset();
    lib_.reset();
  }

  pluhost::CallOutcome Call(const std::wstring& name, std::vector<HostVariant> args = {},
                            int32_t kind = 1) {
    pluhost::CallRequest request;
    request.name = name;
    request.kind = kind;
    request.args = std::move(args);
    return session_->Call(request);
  }
  pluhost::CallOutcome Get(const std::wstring& name) { return Call(name, {}, 2); }
  pluhost::CallOutcome Set(const std::wstring& name, HostVariant value) {
    return Call(name, {std::move(value)}, 3);
  }
  // The call with a host task addressing the device as its caller.
  pluhost::CallOutcome CallAs(const std::wstring& device, const std::wstring& name,
                              std::vector<HostVariant> args = {}, int32_t kind = 1) {
    pluhost::CallRequest request;
    request.name = name;
    request.kind = kind;
    request.args = std::move(args);
    GUID id = {};
    EXPECT_TRUE(pluhost::ParseGuid(device, id));
    request.device = id;
    return session_->Call(request);
  }

  // Adds a device without a settings dialog and makes it current.
  void AddDevice(const std::wstring& code, const std::wstring& name) {
    pluhost::CallOutcome added = Call(L"ДобавитьУстройство", {HostVariant::Text(DeviceDocument(code, name))});
    ASSERT_FALSE(added.failed) << testing::PrintToString(added.description);
    pluhost::CallOutcome count = Get(L"КоличествоУстройств");
    ASSERT_FALSE(count.failed) << testing::PrintToString(count.description);
    pluhost::CallOutcome chosen = Set(L"НомерУстройства", count.result);
    ASSERT_FALSE(chosen.failed) << testing::PrintToString(chosen.description);
  }

  std::unique_ptr<pluhost::PluginLibrary> lib_;
  std::unique_ptr<pluhost::Session> session_;
};

inline int32_t IntOf(const HostVariant& value) {
  VARIANT copy;
  VariantInit(&copy);
  if (FAILED(VariantChangeType(&copy, const_cast<VARIANT*>(&value.Get()), 0, VT_I4))) return INT32_MIN;
  return copy.lVal;
}

inline std::wstring TextOf(const HostVariant& value) {
  VARIANT copy;
  VariantInit(&copy);
  if (FAILED(VariantChangeType(&copy, const_cast<VARIANT*>(&value.Get()), 0, VT_BSTR))) return L"<no text>";
  std::wstring text(copy.bstrVal, SysStringLen(copy.bstrVal));
  VariantClear(&copy);
  return text;
}

}  // namespace testsupport
