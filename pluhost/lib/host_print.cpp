// Formatting values and tables for the host program's output.
#include "pluhost/lib/host_print.h"

#include <algorithm>

#include "pluhost/lib/console.h"
#include "pluhost/lib/host_value_table.h"

namespace pluhost {
namespace {

constexpr int kMaxDepth = 8;
// Table cells longer than this are cut, so that a table of long descriptions still fits a
// terminal line; the full text is one call away as a property or a document.
constexpr size_t kMaxCellWidth = 40;

// A cell on one line: line breaks as the two characters backslash and "n", the system's own
// one-line form, and a long text cut with an ellipsis.
std::wstring CellText(std::wstring text) {
  std::wstring out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') continue;
    if (text[i] == L'\r' || text[i] == L'\n') out += L"\\n";
    else if (text[i] == L'\t') out += L' ';
    else out += text[i];
  }
  if (out.size() > kMaxCellWidth) out = out.substr(0, kMaxCellWidth - 1) + L'\x2026';
  return out;
}

// A text's lines, tabs widened to two blanks; a final line break ends the last line.
std::vector<std::wstring> SplitLines(const std::wstring& text) {
  std::vector<std::wstring> lines(1);
  for (size_t i = 0; i < text.size(); ++i) {
    wchar_t c = text[i];
    if (c == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') continue;
    if (c == L'\r' || c == L'\n') lines.emplace_back();
    else if (c == L'\t') lines.back() += L"  ";
    else lines.back() += c;
  }
  if (lines.size() > 1 && lines.back().empty()) lines.pop_back();
  return lines;
}

// The "xml" text of a DOM object (document or element), read by name; false for any other object.
bool XmlOf(IDispatch* object, std::wstring& xml) {
  HostVariant text;
  if (FAILED(CallByName(object, L"xml", {}, text.Put())) || text.Get().vt != VT_BSTR) return false;
  xml.assign(text.Get().bstrVal ? text.Get().bstrVal : L"", SysStringLen(text.Get().bstrVal));
  return true;
}

// A first line that says what the value is, then its lines indented.
std::vector<std::wstring> Block(const std::wstring& what, const std::vector<std::wstring>& lines) {
  std::vector<std::wstring> out;
  out.push_back(what + L", " + std::to_wstring(lines.size()) + L" lines:");
  for (const auto& line : lines) out.push_back(L"  " + line);
  return out;
}

IDispatch* DispatchOf(const VARIANT& v) {
  if (v.vt == VT_DISPATCH) return v.pdispVal;
  if (v.vt == (VT_DISPATCH | VT_BYREF) && v.ppdispVal) return *v.ppdispVal;
  if (v.vt == VT_UNKNOWN || v.vt == (VT_UNKNOWN | VT_BYREF)) return nullptr;
  return nullptr;
}

// Reads a value as a table when it is one.
bool AsTable(const VARIANT& v, TableCells& cells) {
  if (IDispatch* d = DispatchOf(v)) return ReadTable(d, cells);
  return ReadArray(v, cells);
}

void FormatTable(const TableCells& cells, const std::wstring& label, int depth, std::vector<std::wstring>& out) {
  std::wstring indent(depth * 2, L' ');
  size_t cols = cells.empty() ? 0 : cells[0].size();
  out.push_back(indent + L"table " + label + L": " + std::to_wstring(cells.size()) + L" x " + std::to_wstring(cols));
  std::vector<std::vector<std::wstring>> texts;
  std::vector<std::pair<std::wstring, TableCells>> nested;
  for (size_t r = 0; r < cells.size(); ++r) {
    texts.emplace_back();
    for (size_t c = 0; c < cells[r].size(); ++c) {
      TableCells inner;
      if (depth < kMaxDepth && AsTable(cells[r][c].Get(), inner)) {
        std::wstring name = label + L"[" + std::to_wstring(r) + L"," + std::to_wstring(c) + L"]";
        texts.back().push_back(L"<table " + name + L">");
        nested.emplace_back(name, std::move(inner));
      } else {
        texts.back().push_back(CellText(ValueText(cells[r][c].Get())));
      }
    }
  }
  std::vector<size_t> widths(cols, 0);
  for (const auto& row : texts)
    for (size_t c = 0; c < row.size() && c < cols; ++c) widths[c] = std::max(widths[c], row[c].size());
  for (const auto& row : texts) {
    std::wstring line = indent + L"  |";
    for (size_t c = 0; c < row.size(); ++c) {
      line += L" " + row[c];
      if (c < cols) line.append(widths[c] - row[c].size(), L' ');
      line += L" |";
    }
    out.push_back(line);
  }
  for (const auto& [name, inner] : nested) FormatTable(inner, name, depth + 1, out);
}

}  // namespace

std::vector<std::wstring> FormatValue(const VARIANT& value) {
  std::vector<std::wstring> out;
  TableCells cells;
  if (AsTable(value, cells)) {
    FormatTable(cells, L"", 0, out);
    out[0].erase(5, 1);  // "table : R x C" reads as "table: R x C" at the top level
    return out;
  }
  std::wstring xml;
  if (IDispatch* d = DispatchOf(value); d && XmlOf(d, xml)) return Block(L"document (" + TypeName(value.vt) + L")", SplitLines(xml));
  std::wstring text = ValueText(value);
  std::vector<std::wstring> lines = SplitLines(text);
  if (lines.size() > 1) return Block(L"text (" + TypeName(value.vt) + L")", lines);
  out.push_back(text + L" (" + TypeName(value.vt) + L")");
  return out;
}

}  // namespace pluhost
