// A growable byte buffer in one block of the system's global heap, for serialising value
// tables.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace automation {

class TMyMemoryStream {
 public:
  TMyMemoryStream() = default;
  ~TMyMemoryStream();
  TMyMemoryStream(const TMyMemoryStream&) = delete;
  TMyMemoryStream& operator=(const TMyMemoryStream&) = delete;

  int32_t Position() const { return position_; }
  int32_t Size() const { return size_; }
  int32_t Capacity() const { return capacity_; }
  // The locked block, or null; it moves when the capacity changes.
  void* Memory() const { return memory_; }

  // Resizes the block to n bytes, keeping its contents (new bytes are zero); ignored for
  // n < 0 or n = Capacity. Size shrinks with it, so valid data never lies outside the block.
  void SetCapacity(int32_t n);
  void Clear();
  // Ignored for p < 0; grows the block and the valid data up to p.
  void Seek(int32_t p);
  // Writes at Position, growing by at least 500,000 bytes when the block is too small.
  int32_t Write(const void* bytes, int32_t n);
  // Reads n bytes at Position. Asking for more than the valid data leaves the whole buffer
  // in "C:\Buffer<Position>.txt" for inspection and raises the read error.
  int32_t Read(void* bytes, int32_t n);
  // Writes the valid bytes to the file, replacing it.
  void DumpToFile(const std::wstring& file_name) const;

  static constexpr int32_t kGrowthStep = 500000;

 private:
  int32_t position_ = 0;
  int32_t size_ = 0;
  int32_t capacity_ = 0;
  void* memory_ = nullptr;
  HGLOBAL handle_ = nullptr;
};

}  // namespace automation
