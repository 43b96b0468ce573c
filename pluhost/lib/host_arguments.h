// Typed call arguments written as text: i:<integer>, d:<number>, s:<text>, file:<path> (the
// text of a UTF-8 file), csv:<path> (a host value table read from a UTF-8 CSV file), or plain
// text. In a CSV cell, csv:<path> names a nested table; other cells are texts.
#pragma once

#include <string>

#include "pluhost/lib/host_csv.h"
#include "pluhost/lib/host_variant.h"

namespace pluhost {

// Linux paths name files on Wine's Z: drive; relative paths are taken from `base_dir` when given.
std::wstring WindowsPath(std::wstring path, const std::wstring& base_dir = {});
// The folder part of a path, with its trailing separator ("" for a bare name).
std::wstring FolderOf(const std::wstring& path);

bool ParseArgument(const std::wstring& token, const std::wstring& base_dir, HostVariant& value,
                   std::wstring& error);
// A host table of CSV rows; cells naming csv:<path> become nested tables (read from `base_dir`).
bool TableFromCsv(const CsvRows& rows, const std::wstring& base_dir, HostVariant& value, std::wstring& error,
                  int depth = 0);

}  // namespace pluhost
