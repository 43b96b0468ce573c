// Reads the version resource of a module file: version numbers, string values, file size.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct tagVS_FIXEDFILEINFO;

namespace services {

// The file version as the fixed version record holds it: major.minor in High, release.build
// in Low.
struct TFileVersionNumbers {
  uint32_t High = 0;
  uint32_t Low = 0;
};

// A file without a version resource, or a missing file, gives an object that is not Valid:
// every text is empty and every number 0. The file name is kept as UTF-16, so that paths
// outside the ANSI code page still reach the file.
class TVersionInfo {
 public:
  explicit TVersionInfo(std::wstring file_name);
  TVersionInfo(TVersionInfo&&) noexcept = default;
  TVersionInfo& operator=(TVersionInfo&&) noexcept = default;
  TVersionInfo(const TVersionInfo&) = delete;
  TVersionInfo& operator=(const TVersionInfo&) = delete;

  const std::wstring& FileName() const { return file_name_; }
  bool Valid() const { return valid_; }
  // The size that a directory search reports for the file; 0 when it is not found.
  uint32_t FileSize() const { return file_size_; }

  // The first language/code-page pair as eight upper-case hexadecimal digits, language first
  // ("041904E3"); empty when not Valid or when the resource names none.
  std::wstring Translation() const;
  // The string under the first translation; empty when there is none.
  std::wstring StringValue(std::wstring_view key) const;
  // The fixed version record inside the resource; null when not Valid or absent.
  const tagVS_FIXEDFILEINFO* FixedInfo() const;
  TFileVersionNumbers FileVersionNumbers() const;
  // The "FileVersion" string, or the four numbers "a.b.c.d" when the string is empty.
  std::wstring FileVersion() const;

  // The running module's path (the plug-in's in a library, the program's in a program).
  static std::wstring OwnFileName();
  static TVersionInfo ForOwnModule();
  // The running module's path; with bare, only its file name without folder and extension.
  static std::wstring ModuleFileName(bool bare);

 private:
  std::wstring file_name_;
  bool valid_ = false;
  uint32_t resource_size_ = 0;
  std::vector<unsigned char> resource_;
  uint32_t handle_ = 0;
  uint32_t file_size_ = 0;
  // Looked up on first use and kept; points into resource_, whose buffer a move keeps.
  mutable const tagVS_FIXEDFILEINFO* fixed_info_ = nullptr;
  mutable bool fixed_info_looked_up_ = false;
};

}  // namespace services
