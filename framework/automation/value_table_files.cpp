// Placeholder bodies of the value table's file operations, replaced by the storage file code.
#include "framework/automation/value_table_files.h"

#include "framework/services/exceptions.h"

namespace automation {

namespace {
[[noreturn]] void NotAvailable() {
  services::RaisePlain(L"Хранилище таблицы значений недоступно");
}
}  // namespace

bool TableSaveToFile(ISafeArray&, std::wstring_view) { NotAvailable(); }
bool TableLoadFromFile(ISafeArray&, std::wstring_view) { NotAvailable(); }
bool TableSaveToFileAsStream(ISafeArray&, std::wstring_view) { NotAvailable(); }
bool TableLoadFromFileAsStream(ISafeArray&, std::wstring_view) { NotAvailable(); }

}  // namespace automation
