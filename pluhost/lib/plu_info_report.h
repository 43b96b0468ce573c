// The lines the host program prints of a plug-in's information interfaces, shared by the
// describe form and the script steps.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "pluhost/lib/plu_info_client.h"

namespace pluhost {

struct ReportLines {
  std::vector<std::wstring> lines;
  // Slots that failed; a failure is printed in its slot's line with its message.
  int failures = 0;
};

// Every IPluInfo answer: file name, version, build, the two constants, then each model from
// GetModel(0) on until the first empty interface.
ReportLines DescribePluInfo(const PluInfoClient& info);

// The five IPluNames answers for `name`; a module that stores no IPluNames is a failure.
ReportLines DescribeNames(const PluInfoClient& info, std::wstring_view name);

// The GUID's braced text.
std::wstring GuidText(const GUID& id);

}  // namespace pluhost
