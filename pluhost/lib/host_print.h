// Values as the host program prints them: scalars with their type, value tables (the plug-in's
// or the host's, read by name) and 2-D arrays as aligned text tables, nested tables after them.
#pragma once

#include <oaidl.h>

#include <string>
#include <vector>

namespace pluhost {

// One line for a scalar; for a table a header line and its rows, each nested table after
// its parent, indented and labelled by the cell it came from.
std::vector<std::wstring> FormatValue(const VARIANT& value);

}  // namespace pluhost
