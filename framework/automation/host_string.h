// 8-bit strings in the host's layout (reference count at -8, length at -4, the characters,
// a zero byte): read in place wherever they come from, allocated only for the module's own
// blocks.
#pragma once

#include <string>
#include <string_view>

namespace automation {

// The 8-bit variant type whose pointer field holds such a string.
constexpr unsigned short kVtHostString = 0x0100;

// The characters of a host string; null is the empty text. Never frees anything.
std::string_view HostStringView(const char* text) noexcept;
// The text as UTF-16, read with the ANSI code page.
std::wstring HostStringText(const char* text);

// A string that the module allocated itself, reference count 1. Only the module's own blocks
// hold these: the host's strings belong to the host's memory manager.
char* NewHostString(std::string_view text);
// Drops one reference to a string from NewHostString and frees it at zero. A negative count
// marks a constant that is never freed.
void ReleaseHostString(char* text) noexcept;

}  // namespace automation
