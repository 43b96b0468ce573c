// The module's own allocator for host-layout 8-bit strings, and reading them in place.
#include "framework/automation/host_string.h"

#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

#include "framework/win/text.h"

namespace automation {
namespace {

constexpr size_t kHeader = 8;  // reference count, then length

LONG* RefCount(char* text) { return reinterpret_cast<LONG*>(text - 8); }

}  // namespace

std::string_view HostStringView(const char* text) noexcept {
  if (!text) return {};
  int32_t length;
  std::memcpy(&length, text - 4, sizeof length);
  if (length <= 0) return {};
  return std::string_view(text, static_cast<size_t>(length));
}

std::wstring HostStringText(const char* text) { return win::AnsiToWide(HostStringView(text)); }

char* NewHostString(std::string_view text) {
  if (text.empty()) return nullptr;  // the host's layout has no empty string object
  auto* raw = static_cast<char*>(std::malloc(kHeader + text.size() + 1));
  if (!raw) throw std::bad_alloc();
  int32_t count = 1;
  int32_t length = static_cast<int32_t>(text.size());
  std::memcpy(raw, &count, 4);
  std::memcpy(raw + 4, &length, 4);
  std::memcpy(raw + kHeader, text.data(), text.size());
  raw[kHeader + text.size()] = '\0';
  return raw + kHeader;
}

void ReleaseHostString(char* text) noexcept {
  if (!text) return;
  LONG* count = RefCount(text);
  if (*count < 0) return;
  if (InterlockedDecrement(count) == 0) std::free(text - kHeader);
}

}  // namespace automation
