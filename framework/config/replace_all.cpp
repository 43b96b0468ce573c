// Replace-all with the Horspool search, for 8-bit and UTF-16 texts from one template.
#include "framework/config/utilities.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "framework/services/exceptions.h"

namespace config {
namespace {

using SkipTable = std::array<size_t, 256>;

// Only the Latin letters a-z change; every other byte, Cyrillic included, maps to itself, so a
// case-insensitive search still tells "Значение" from "ЗНАЧЕНИЕ".
const std::array<unsigned char, 256>& UpperCaseTable() {
  static const std::array<unsigned char, 256> table = [] {
    std::array<unsigned char, 256> t{};
    for (int i = 0; i < 256; ++i) t[i] = static_cast<unsigned char>(i);
    for (int c = 'a'; c <= 'z'; ++c) t[c] = static_cast<unsigned char>(c - 'a' + 'A');
    return t;
  }();
  return table;
}

// The code unit as the comparison sees it: through the upper-case table when case does not
// matter. UTF-16 units above 0xFF are never Latin letters and stay as they are.
template <typename Char>
uint32_t Fold(Char c, bool case_sensitive) {
  using Unsigned = std::make_unsigned_t<Char>;
  uint32_t u = static_cast<Unsigned>(c);
  if (!case_sensitive && u < 256) u = UpperCaseTable()[u];
  return u;
}

// For every byte value, the distance from its last occurrence among the first length-1
// characters of the search text to the end of that text; the full length otherwise. UTF-16
// units share an entry by their low byte, and the smallest shift of such a group is kept: a
// shift that fits every unit of the group can never jump over a match.
SkipTable BuildSkipTable(const std::vector<uint32_t>& folded_search) {
  const size_t length = folded_search.size();
  if (length == 0) services::RaisePlain(L"BufferLen is 0");
  SkipTable skip;
  skip.fill(length);
  for (size_t i = 0; i + 1 < length; ++i) {
    size_t& entry = skip[folded_search[i] & 0xFF];
    const size_t shift = length - 1 - i;
    if (shift < entry) entry = shift;
  }
  return skip;
}

// Collects the result, growing by half whenever the written part reaches the buffer's end.
template <typename Char>
class Output {
 public:
  explicit Output(size_t capacity) { buffer_.resize(capacity); }

  void Append(const Char* data, size_t count) {
    if (count == 0) return;
    if (written_ + count > buffer_.size()) {
      size_t grown = buffer_.size() + buffer_.size() / 2;
      if (grown < written_ + count) grown = written_ + count;
      buffer_.resize(grown);
    }
    buffer_.replace(written_, count, data, count);
    written_ += count;
  }

  std::basic_string<Char> Take() {
    buffer_.resize(written_);
    return std::move(buffer_);
  }

 private:
  std::basic_string<Char> buffer_;
  size_t written_ = 0;
};

template <typename Char>
std::basic_string<Char> ReplaceAllImpl(std::basic_string_view<Char> source,
                                       std::basic_string_view<Char> search,
                                       std::basic_string_view<Char> replacement,
                                       bool case_sensitive) {
  // No caller in the system searches for the empty text; leaving the source alone keeps the
  // skip table's "BufferLen is 0" from ever reaching one.
  if (source.empty() || search.empty()) return std::basic_string<Char>(source);

  const size_t n = source.size();
  const size_t m = search.size();
  // Folded once as unsigned code units, so that 8-bit texts compare bytes, not signed chars.
  std::vector<uint32_t> folded_search(m);
  for (size_t i = 0; i < m; ++i) folded_search[i] = Fold(search[i], case_sensitive);
  const SkipTable skip = BuildSkipTable(folded_search);

  // Source length times replacement length over search length bounds the result, but for a
  // sparse match of a long replacement that bound is far too much memory to take up front; the
  // smaller of it and 1.5 times (source + replacement) starts, and growth does the rest.
  size_t capacity = n;
  if (replacement.size() > m) {
    const uint64_t bound = static_cast<uint64_t>(n) * replacement.size() / m;
    const uint64_t modest = (static_cast<uint64_t>(n) + replacement.size()) * 3 / 2;
    capacity = static_cast<size_t>(bound < modest ? bound : modest);
  }
  Output<Char> out(capacity);

  size_t copied = 0;  // source[0, copied) is already in the output
  size_t pos = 0;     // start of the window
  while (pos + m <= n) {
    // The window is compared from its last character backwards.
    size_t j = m;
    while (j > 0 && Fold(source[pos + j - 1], case_sensitive) ==
                        folded_search[j - 1]) {
      --j;
    }
    if (j == 0) {
      out.Append(source.data() + copied, pos - copied);
      out.Append(replacement.data(), replacement.size());
      pos += m;  // non-overlapping: the scan goes on behind the match
      copied = pos;
      continue;
    }
    pos += skip[Fold(source[pos + m - 1], case_sensitive) & 0xFF];
  }
  out.Append(source.data() + copied, n - copied);
  return out.Take();
}

}  // namespace

std::string ReplaceAll(std::string_view source, std::string_view search,
                       std::string_view replacement, bool case_sensitive) {
  return ReplaceAllImpl<char>(source, search, replacement, case_sensitive);
}

std::wstring ReplaceAll(std::wstring_view source, std::wstring_view search,
                        std::wstring_view replacement, bool case_sensitive) {
  return ReplaceAllImpl<wchar_t>(source, search, replacement, case_sensitive);
}

}  // namespace config
