// The 32-bit checksum that guards the compressed payload of a value table storage file.
#pragma once

#include <cstddef>
#include <cstdint>

namespace automation {

// Table-driven CRC over the reflected polynomial 0xEDB88320, started at 0 and not inverted
// at the end. Files in circulation carry exactly this value, so it must not be "corrected"
// to the common CRC-32 (which starts at 0xFFFFFFFF and inverts).
uint32_t StorageChecksum(const void* data, size_t size);

}  // namespace automation
