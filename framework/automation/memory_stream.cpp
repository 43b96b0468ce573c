// The memory stream over a movable, locked global-heap block.
#include "framework/automation/memory_stream.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "framework/services/exceptions.h"
#include "framework/win/hresult_error.h"
#include "framework/win/scoped_handle.h"

namespace automation {

TMyMemoryStream::~TMyMemoryStream() {
  if (handle_) {
    GlobalUnlock(handle_);
    win::ScopedHglobal owner(handle_);
  }
}

void TMyMemoryStream::SetCapacity(int32_t n) {
  if (n < 0 || n == capacity_) return;
  if (n == 0) {
    GlobalUnlock(handle_);
    win::ScopedHglobal owner(handle_);
    handle_ = nullptr;
    memory_ = nullptr;
  } else if (!handle_) {
    win::ScopedHglobal fresh(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, n));
    if (!fresh) win::ThrowLastError(L"GlobalAlloc");
    void* memory = GlobalLock(fresh.Get());
    if (!memory) win::ThrowLastError(L"GlobalLock");
    handle_ = fresh.Release();
    memory_ = memory;
  } else {
    GlobalUnlock(handle_);
    HGLOBAL moved = GlobalReAlloc(handle_, n, GMEM_MOVEABLE | GMEM_ZEROINIT);
    if (!moved) {
      DWORD error = GetLastError();
      memory_ = GlobalLock(handle_);  // the old block is still ours and still valid
      SetLastError(error);
      win::ThrowLastError(L"GlobalReAlloc");
    }
    handle_ = moved;
    memory_ = GlobalLock(handle_);
    if (!memory_) win::ThrowLastError(L"GlobalLock");
  }
  capacity_ = n;
  size_ = std::min(size_, n);
}

void TMyMemoryStream::Clear() {
  SetCapacity(0);
  size_ = 0;
  position_ = 0;
}

void TMyMemoryStream::Seek(int32_t p) {
  if (p < 0) return;
  if (p > capacity_) SetCapacity(p);
  position_ = p;
  if (p > size_) size_ = p;
}

int32_t TMyMemoryStream::Write(const void* bytes, int32_t n) {
  if (n <= 0) return 0;
  int64_t end = int64_t{position_} + n;
  if (end > std::numeric_limits<int32_t>::max())
    services::RaiseText(L"TMyMemoryStream - превышен размер потока.");
  if (capacity_ < end) {
    int64_t grow = std::max<int64_t>(end - capacity_, kGrowthStep);
    int64_t wanted = std::min<int64_t>(int64_t{capacity_} + grow,
                                       std::numeric_limits<int32_t>::max());
    SetCapacity(static_cast<int32_t>(wanted));
  }
  std::memcpy(static_cast<char*>(memory_) + position_, bytes, n);
  position_ = static_cast<int32_t>(end);
  size_ = std::max(size_, position_);
  return n;
}

int32_t TMyMemoryStream::Read(void* bytes, int32_t n) {
  if (position_ < 0 || n <= 0) return 0;
  if (int64_t{size_} < int64_t{position_} + n) {
    try {
      DumpToFile(L"C:\\Buffer" + std::to_wstring(position_) + L".txt");
    } catch (...) {
      // The dump only helps diagnosis; the read error below is what the caller must see.
    }
    services::RaisePlain(L"Ошибка чтения потока. Pos=" + std::to_wstring(position_) +
                         L" Size=" + std::to_wstring(size_) + L" Count=" + std::to_wstring(n));
  }
  int32_t count = std::min(n, size_ - position_);
  if (count <= 0) return 0;
  std::memcpy(bytes, static_cast<const char*>(memory_) + position_, count);
  position_ += count;
  return count;
}

void TMyMemoryStream::DumpToFile(const std::wstring& file_name) const {
  win::ScopedFileHandle file(CreateFileW(file_name.c_str(), GENERIC_WRITE, 0, nullptr,
                                         CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) win::ThrowLastError(L"CreateFile " + file_name);
  DWORD written = 0;
  if (size_ > 0 && (!WriteFile(file.Get(), memory_, size_, &written, nullptr) ||
                    written != static_cast<DWORD>(size_)))
    win::ThrowLastError(L"WriteFile " + file_name);
}

}  // namespace automation
