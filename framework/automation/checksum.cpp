// The storage file's payload checksum.
#include "framework/automation/checksum.h"

#include <array>

namespace automation {
namespace {

constexpr std::array<uint32_t, 256> MakeTable() {
  std::array<uint32_t, 256> table{};
  for (uint32_t n = 0; n < 256; ++n) {
    uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  return table;
}

constexpr std::array<uint32_t, 256> kTable = MakeTable();

}  // namespace

uint32_t StorageChecksum(const void* data, size_t size) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  uint32_t crc = 0;
  for (size_t i = 0; i < size; ++i) crc = (crc >> 8) ^ kTable[(crc ^ bytes[i]) & 0xFF];
  return crc;
}

}  // namespace automation
