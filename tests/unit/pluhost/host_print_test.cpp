// How the host program prints what a plug-in returns: documents and texts of several lines as
// indented lines, table cells kept on one line.
#include <gtest/gtest.h>

#include <windows.h>
#include <ole2.h>

#include <string>
#include <vector>

#include "pluhost/lib/host_print.h"
#include "pluhost/lib/host_value_table.h"
#include "support/com_environment.h"

namespace pluhost {
namespace {

TEST(HostPrint, ShowsDocumentsAndMultiLineTextsLineByLine) {
  HostVariant text = HostVariant::Text(L"<a>\r\n\t<b/>\n</a>\r\n");
  EXPECT_EQ(FormatValue(text.Get()),
            (std::vector<std::wstring>{L"text (BSTR), 3 lines:", L"  <a>", L"    <b/>", L"  </a>"}));
  HostVariant single = HostVariant::Text(L"Склад 1");
  EXPECT_EQ(FormatValue(single.Get()), (std::vector<std::wstring>{L"Склад 1 (BSTR)"}));

  CLSID clsid{};
  ASSERT_EQ(CLSIDFromProgID(L"Msxml2.DOMDocument", &clsid), S_OK);
  IDispatch* dom = nullptr;
  ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, reinterpret_cast<void**>(&dom)),
            S_OK);
  HostVariant document = HostVariant::Object(dom);
  HostVariant source = HostVariant::Text(L"<EquList><Устройство Код=\"1\"/></EquList>");
  HostVariant loaded;
  ASSERT_EQ(CallByName(dom, L"loadXML", {source.Get()}, loaded.Put()), S_OK);
  std::vector<std::wstring> lines = FormatValue(document.Get());
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0].rfind(L"document (Dispatch), ", 0), 0u) << testing::PrintToString(lines[0]);
  std::wstring joined;
  for (size_t i = 1; i < lines.size(); ++i) joined += lines[i];
  EXPECT_NE(joined.find(L"<Устройство Код=\"1\"/>"), std::wstring::npos) << testing::PrintToString(joined);

  // A host table is a table, not a document, though both are dispatch objects.
  HostVariant table = HostVariant::Object(MakeHostTable({{HostVariant::Text(L"x")}}));
  EXPECT_EQ(FormatValue(table.Get())[0], L"table: 1 x 1");
}

TEST(HostPrint, KeepsEachTableCellOnOneLineAndCutsLongOnes) {
  std::wstring long_text(45, L'я');
  HostVariant table = HostVariant::Object(MakeHostTable(
      {{HostVariant::Text(L"две\r\nстроки"), HostVariant::Text(long_text)}, {HostVariant::Text(L"a\tb"), HostVariant::Int(1)}}));
  std::vector<std::wstring> expected = {
      L"table: 2 x 2",
      L"  | две\\nстроки | " + std::wstring(39, L'я') + L"\x2026 |",
      L"  | a b         | 1" + std::wstring(39, L' ') + L" |",
  };
  EXPECT_EQ(FormatValue(table.Get()), expected);
}

}  // namespace
}  // namespace pluhost
