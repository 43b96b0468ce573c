// CSV (UTF-8) as the host program reads value tables from files.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pluhost {

using CsvRows = std::vector<std::vector<std::wstring>>;

// Comma-separated fields; a field in double quotes may hold commas, line breaks and doubled
// quotes. A leading UTF-8 byte-order mark is skipped. False with `error` on an unclosed quote.
bool ParseCsv(std::string_view utf8, CsvRows& rows, std::wstring& error);

// Reads a whole file as bytes; false when it cannot be read.
bool ReadFileBytes(const std::wstring& path, std::string& bytes);
std::wstring FromUtf8(std::string_view bytes);

}  // namespace pluhost
