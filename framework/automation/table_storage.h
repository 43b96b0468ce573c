// The value table storage file ("SaFeArRaY" header and a zlib-compressed payload), the raw
// byte-table file, and the value encoding of the payload.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <cstdint>
#include <string_view>
#include "framework/automation/memory_stream.h"
#include "framework/win/scoped_safearray.h"

namespace automation {

// Header layout of the storage file.
inline constexpr size_t kStorageHeaderSize = 31;
inline constexpr uint8_t kStorageVersion = 1;

// Writes the encoding of one value at the stream's position. Raises the unsupported-data-type error for values the
// format cannot carry back (objects other than value tables, interface references, variants
// not passed by reference, type codes without a size).
void WriteValue(TMyMemoryStream& stream, const VARIANT& value);
// Reads one value at the stream's position and moves past it. Every count, length and bound is
// checked against what is left, so damaged data fails with a message, never a crash.
// A two-dimensional array comes back as a new value table object.
// The previous content of *value is cleared.
void ReadValue(TMyMemoryStream& stream, VARIANT* value);

// Saves a table's array (rows in dimension 1, columns in dimension 2) to the storage file,
// replacing an existing file. Raises with the message of the failure.
void SaveTableToFile(SAFEARRAY* table, std::wstring_view file_name);
// Loads the storage file into a new variant array for the table to adopt. False, with
// nothing loaded, when the file does not exist; raises when it cannot be read back.
bool LoadTableFromFile(std::wstring_view file_name, win::ScopedSafearray* contents);

// Writes the element bytes of a table of bytes (rows x columns); false, touching no file,
// when the array does not hold bytes in two dimensions.
bool SaveTableToStreamFile(SAFEARRAY* table, std::wstring_view file_name);
// Reads a whole file into a new byte array of one row and one column per byte. False, with
// nothing loaded, when the file does not exist.
bool LoadTableFromStreamFile(std::wstring_view file_name, win::ScopedSafearray* contents);

}  // namespace automation
