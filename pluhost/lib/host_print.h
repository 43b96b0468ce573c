// Values as the host program prints them: scalars with their type, value tables (the plug-in's
// or the host's, read by name) and 2-D arrays as aligned text tables, nested tables after them,
// XML documents (DOM objects, by their "xml" text) and multi-line texts as indented lines.
#pragma once

#include <oaidl.h>

#include <string>
#include <vector>

namespace pluhost {

// One line for a scalar; for a table a header line and its rows (cells on one line, long ones
// cut), each nested table after its parent, indented and labelled by the cell it came from;
// for a document or a text of several lines a header line and the lines, indented.
std::vector<std::wstring> FormatValue(const VARIANT& value);

}  // namespace pluhost
