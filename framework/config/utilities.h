// Small stateless routines shared by most of the framework: replace-all, one-line
// escaping, hexadecimal texts, name pairs, value kinds, the message pump, module paths.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <initializer_list>
#include <string>
#include <string_view>

namespace config {

// Every non-overlapping occurrence of `search`, left to right (Horspool search). Without
// case sensitivity only the Latin letters a-z compare regardless of case.
std::string ReplaceAll(std::string_view source, std::string_view search,
                       std::string_view replacement, bool case_sensitive);
std::wstring ReplaceAll(std::wstring_view source, std::wstring_view search,
                        std::wstring_view replacement, bool case_sensitive);

// for_storage: CR LF becomes backslash-n. Restoring: backslash-n becomes CR LF, except for
// texts that look like a drive path ("C:\...") or a network path ("\\...").
std::wstring EscapeText(std::wstring_view text, bool for_storage);

std::string HexEncode(std::string_view bytes);
// Empty on any invalid pair; a trailing odd digit is ignored.
std::string HexDecode(std::string_view hex);

// The part before (right = false) or after (right = true) the first comma.
std::wstring SplitNamePair(std::wstring_view text, bool right);

// Variant type without the by-reference bit, currency as double, near-integral doubles as
// integer.
VARTYPE ValueKind(const VARIANT& value);
// Variant type without the by-reference bit, currency as double.
VARTYPE PlainVarType(const VARIANT& value);
bool IsValueKind(const VARIANT& value, std::initializer_list<VARTYPE> kinds);

// One step of the calling thread's message pump; true if a message was handled. A quit
// request is left in the queue for the thread's own loop and ends the pumping (false).
bool ProcessMessages() noexcept;
// Handles every pending message.
void ProcessAllMessages() noexcept;
// Pumps messages until the tick counter has advanced by the given milliseconds.
void DelayMs(DWORD milliseconds) noexcept;

// The plug-in module's own path in long form, or (name_only) its bare file name without
// folder and extension.
std::wstring ModuleLongFileName(bool name_only);
// Every component in its long form; the path unchanged when the system cannot convert it.
std::wstring LongPathName(std::wstring_view path);
// The rebuild that LongPathName falls back on where the system lacks the conversion: each
// component's long name from a file search, walking up the folders. Declared for its tests.
std::wstring LongPathNameBySearch(std::wstring_view path);

// Trims and upper-cases; strip_braces removes the braces of a 38-character text, otherwise
// a 36-character text gets them.
std::wstring NormalizeGuidText(std::wstring_view text, bool strip_braces);

}  // namespace config
