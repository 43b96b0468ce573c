// Formatting values and tables for the host program's output.
#include "pluhost/lib/host_print.h"

#include <algorithm>

#include "pluhost/lib/console.h"
#include "pluhost/lib/host_value_table.h"

namespace pluhost {
namespace {

constexpr int kMaxDepth = 8;

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
        texts.back().push_back(ValueText(cells[r][c].Get()));
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
  out.push_back(ValueText(value) + L" (" + TypeName(value.vt) + L")");
  return out;
}

}  // namespace pluhost
