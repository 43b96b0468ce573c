// The four file operations of a value table, which the table's slots and by-name members
// forward to; they hand the table's array to the storage file code (table_storage.h).
#pragma once

#include <string_view>

#include "framework/automation/safe_array_interface.h"

namespace automation {

// Each returns the operation's boolean; failures raise with the storage file's messages.
bool TableSaveToFile(ISafeArray& table, std::wstring_view file_name);
bool TableLoadFromFile(ISafeArray& table, std::wstring_view file_name);
bool TableSaveToFileAsStream(ISafeArray& table, std::wstring_view file_name);
bool TableLoadFromFileAsStream(ISafeArray& table, std::wstring_view file_name);

}  // namespace automation
