// The value table storage file, the raw byte-table file and the payload's value encoding.
#include "framework/automation/table_storage.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>

#include "framework/automation/checksum.h"
#include "framework/automation/host_string.h"
#include "framework/automation/table_link.h"
#include "framework/automation/value_text.h"
#include "framework/services/exceptions.h"
#include "framework/win/hresult_error.h"
#include "framework/win/scoped_handle.h"
#include "framework/win/scoped_variant.h"
#include "framework/win/text.h"

namespace automation {
namespace {

constexpr uint32_t kByRefMarker = VT_BYREF;  // a variant by reference: the referenced value follows
constexpr char kMagic[] = "SaFeArRaY";
constexpr uint8_t kMagicLength = 9;

// A table inside a table inside ... A table that holds itself would recurse forever, and a
// hostile payload of nested arrays would exhaust the stack; no real table nests this deep.
constexpr int kMaxNesting = 64;
// One SAFEARRAY dimension count; real tables have two.
constexpr int32_t kMaxDimensions = 64;

constexpr wchar_t kPackFailed[] = L"Ошибка при упаковке";
constexpr wchar_t kBadFileSize[] = L"Хранилище повреждено - неверный размер файла";
constexpr wchar_t kNotStorage[] = L"Файл не является хранилищем ISafeArray";
constexpr wchar_t kBadVersion[] = L"Неверная версия хранилища";
constexpr wchar_t kBadChecksum[] = L"Хранилище повреждено - неверная контрольная сумма данных";
constexpr wchar_t kUnpackFailed[] = L"Ошибка распаковки данных";
constexpr wchar_t kNotTable[] = L"Хранилище не содержит двумерного массива значений";
constexpr wchar_t kTruncated[] = L"Хранилище повреждено - данные обрываются";
constexpr wchar_t kBadType[] = L"Хранилище повреждено - неизвестный тип данных ";
constexpr wchar_t kBadDimensions[] = L"Хранилище повреждено - неверное число измерений массива: ";
constexpr wchar_t kBadBounds[] = L"Хранилище повреждено - неверные границы массива";
constexpr wchar_t kBadLength[] = L"Хранилище повреждено - неверная длина данных";
constexpr wchar_t kBadElement[] = L"Хранилище повреждено - элемент не совпадает с типом массива";
constexpr wchar_t kTooDeepRead[] = L"Хранилище повреждено - слишком глубокая вложенность значений";
constexpr wchar_t kTooDeepWrite[] = L"Слишком глубокая вложенность значений";

// Bytes of a scalar of the type (flags removed); 0 for the codes that are their type alone.
int ScalarSize(VARTYPE base) {
  switch (base) {
    case VT_I2: case VT_BOOL: case VT_UI2: return 2;
    case VT_I4: case VT_R4: case VT_ERROR: case VT_UI4: return 4;
    case VT_R8: case VT_CY: case VT_DATE: case VT_I8: return 8;
    case VT_UI1: return 1;
    default: return 0;
  }
}

// Element types whose arrays are stored as their raw element memory.
bool IsRawElement(VARTYPE base) {
  switch (base) {
    case VT_I2: case VT_I4: case VT_R4: case VT_R8: case VT_CY: case VT_DATE: case VT_BOOL:
    case VT_UI1:
      return true;
    default:
      return false;
  }
}

// Element size of the arrays this format reads and writes; 0 for element types it does not.
ULONG ElementSize(VARTYPE base) {
  if (int size = ScalarSize(base)) return size;
  switch (base) {
    case VT_BSTR: case VT_DISPATCH: return sizeof(void*);
    case VT_VARIANT: return sizeof(VARIANT);
    case VT_DECIMAL: return sizeof(DECIMAL);
    case VT_I1: return 1;
    default: return 0;
  }
}

// The array's shape, dimension 1 first, as the platform numbers them.
struct Shape {
  std::vector<LONG> low;
  std::vector<LONG> high;
  uint64_t count = 1;
};

// Visits every element in stored order (the last index fastest) and hands over its offset
// in element memory (the first index fastest).
template <typename Visit>
void ForEachElement(const Shape& shape, Visit visit) {
  if (shape.count == 0) return;
  size_t dims = shape.low.size();
  std::vector<uint64_t> extent(dims), stride(dims), index(dims, 0);
  uint64_t step = 1;
  for (size_t k = 0; k < dims; ++k) {
    extent[k] = static_cast<uint64_t>(shape.high[k] - static_cast<int64_t>(shape.low[k]) + 1);
    stride[k] = step;
    step *= extent[k];
  }
  for (uint64_t n = 0; n < shape.count; ++n) {
    uint64_t offset = 0;
    for (size_t k = 0; k < dims; ++k) offset += index[k] * stride[k];
    visit(static_cast<size_t>(offset));
    for (size_t k = dims; k-- > 0;) {
      if (++index[k] < extent[k]) break;
      index[k] = 0;
    }
  }
}

// Locks an array's element memory for the length of a scope.
class ArrayData {
 public:
  explicit ArrayData(SAFEARRAY* psa) : psa_(psa) {
    HRESULT hr = SafeArrayAccessData(psa, &data_);
    if (FAILED(hr)) win::ThrowHresult(hr, L"SafeArrayAccessData");
  }
  ~ArrayData() { SafeArrayUnaccessData(psa_); }
  ArrayData(const ArrayData&) = delete;
  ArrayData& operator=(const ArrayData&) = delete;
  uint8_t* Bytes() const { return static_cast<uint8_t*>(data_); }

 private:
  SAFEARRAY* psa_;
  void* data_ = nullptr;
};

// ---- Writing --------------------------------------------------------------------------

class Writer {
 public:
  explicit Writer(TMyMemoryStream& out) : out_(out) {}

  void Value(const VARIANT& value, int depth) {
    if (depth > kMaxNesting) services::RaisePlain(kTooDeepWrite);
    VARTYPE vt = value.vt;
    if (vt == (VT_VARIANT | VT_BYREF)) {
      if (!value.pvarVal) RaiseUnsupportedType(value);
      U32(kByRefMarker);
      Value(*value.pvarVal, depth + 1);
      return;
    }
    if (vt & VT_ARRAY) {
      SAFEARRAY* psa = (vt & VT_BYREF) ? (value.pparray ? *value.pparray : nullptr) : value.parray;
      if (!psa) RaiseUnsupportedType(value);
      Array(vt, psa, value, depth);
      return;
    }
    const void* data = &value.lVal;
    if (vt & VT_BYREF) {
      if (!value.byref) RaiseUnsupportedType(value);
      data = value.byref;
    }
    Typed(vt, data, value, depth);
  }

  // One value of type `type` (flags included) whose data sits at `data`; `shown` is the
  // value as the error message presents it.
  void Typed(VARTYPE type, const void* data, const VARIANT& shown, int depth) {
    VARTYPE base = type & VT_TYPEMASK;
    bool by_ref = (type & VT_BYREF) != 0;
    if ((type & ~(VT_TYPEMASK | VT_BYREF)) != 0) RaiseUnsupportedType(shown);
    switch (base) {
      case VT_EMPTY:
      case VT_NULL:
        // 0x4000 alone is the marker of a variant by reference; it cannot be a value.
        if (by_ref) RaiseUnsupportedType(shown);
        U32(type);
        return;
      case VT_BSTR: {
        BSTR text = *static_cast<const BSTR*>(data);
        UINT length = text ? SysStringLen(text) : 0;
        uint32_t units = static_cast<uint32_t>(wcsnlen(text ? text : L"", length));
        U32(type);
        U32(units);
        Bytes(text, units * sizeof(wchar_t));
        return;
      }
      case kVtHostString: {
        std::string_view text = HostStringView(*static_cast<const char* const*>(data));
        U32(type);
        U32(static_cast<uint32_t>(text.size()));
        Bytes(text.data(), text.size());
        return;
      }
      case VT_DISPATCH: {
        IDispatch* object = *static_cast<IDispatch* const*>(data);
        std::optional<TableContents> table;
        if (object) table = ContentsOfTable(object);
        if (!table || !table->array) RaiseUnsupportedType(shown);
        Array(VT_ARRAY | table->element_type, table->array, shown, depth);
        return;
      }
      default:
        break;
    }
    // Codes without a size entry (decimal, 8-bit integer, interface references, variants by
    // value, everything above 20) would come back as something else or not at all.
    int size = ScalarSize(base);
    if (size == 0) RaiseUnsupportedType(shown);
    U32(type);
    Bytes(data, size);
  }

  void Array(VARTYPE type, SAFEARRAY* psa, const VARIANT& shown, int depth) {
    if (depth > kMaxNesting) services::RaisePlain(kTooDeepWrite);
    VARTYPE declared = type & VT_TYPEMASK;
    VARTYPE actual = VT_EMPTY;
    if (FAILED(SafeArrayGetVartype(psa, &actual))) actual = declared;
    ULONG element_size = ElementSize(actual);
    if (element_size == 0 || SafeArrayGetElemsize(psa) != element_size) RaiseUnsupportedType(shown);
    // An array of variants may hold elements of another type (a table after adopting typed
    // contents): each is then written as a value of its own type, which reads back as a
    // variant. Any other declared type must be the array's real one.
    if (declared != actual && declared != VT_VARIANT) RaiseUnsupportedType(shown);

    Shape shape;
    UINT dims = SafeArrayGetDim(psa);
    for (UINT k = 1; k <= dims; ++k) {
      LONG low = 0, high = -1;
      SafeArrayGetLBound(psa, k, &low);
      SafeArrayGetUBound(psa, k, &high);
      shape.low.push_back(low);
      shape.high.push_back(high);
      shape.count *= static_cast<uint64_t>(high - static_cast<int64_t>(low) + 1);
    }
    U32(type);
    U32(dims);
    for (LONG low : shape.low) U32(static_cast<uint32_t>(low));
    for (LONG high : shape.high) U32(static_cast<uint32_t>(high));

    ArrayData data(psa);
    if (IsRawElement(declared)) {
      uint64_t bytes = element_size * shape.count;
      U32(static_cast<uint32_t>(bytes));
      Bytes(data.Bytes(), static_cast<size_t>(bytes));
      return;
    }
    ForEachElement(shape, [&](size_t offset) {
      const uint8_t* element = data.Bytes() + offset * element_size;
      if (actual == VT_VARIANT) {
        Value(*reinterpret_cast<const VARIANT*>(element), depth + 1);
        return;
      }
      // A view of the element for the error message only; it owns nothing.
      VARIANT view;
      VariantInit(&view);
      std::memcpy(&view.lVal, element, element_size <= 8 ? element_size : 8);
      view.vt = actual;
      Typed(actual, element, view, depth + 1);
    });
  }

 private:
  void U32(uint32_t v) { Bytes(&v, 4); }
  void Bytes(const void* p, size_t n) {
    if (n > 0x7FFFFFFF) services::RaiseText(L"TMyMemoryStream - превышен размер потока.");
    if (n) out_.Write(p, static_cast<int32_t>(n));
  }

  TMyMemoryStream& out_;
};

// ---- Reading --------------------------------------------------------------------------

class Reader {
 public:
  Reader(const uint8_t* data, size_t size, size_t position)
      : data_(data), size_(size), pos_(position) {}
  size_t Position() const { return pos_; }

  // The value is built in a scoped place so that a failure part way frees what was read.
  win::ScopedVariant Value(int depth) {
    if (depth > kMaxNesting) services::RaisePlain(kTooDeepRead);
    uint32_t type = U32();
    while (type == kByRefMarker) type = U32();  // the referenced value takes the same place
    type &= ~static_cast<uint32_t>(VT_BYREF);   // values come back by value

    if (type & VT_ARRAY) {
      VARTYPE element = static_cast<VARTYPE>(type & ~static_cast<uint32_t>(VT_ARRAY));
      win::ScopedSafearray array = Array(type, depth);
      if (SafeArrayGetDim(array.Get()) == 2) return MakeTableValue(std::move(array), element);
      VARIANT v;
      VariantInit(&v);
      v.vt = VT_ARRAY | element;
      v.parray = array.Release();
      return win::ScopedVariant::Adopt(v);
    }

    win::ScopedVariant result;
    switch (type) {
      case VT_EMPTY:
        return result;
      case VT_NULL:
        result.Ptr()->vt = VT_NULL;
        return result;
      case VT_BSTR: {
        uint32_t units = Length(sizeof(wchar_t));
        BSTR text = SysAllocStringLen(nullptr, units);
        if (!text) win::ThrowHresult(E_OUTOFMEMORY, L"SysAllocStringLen");
        Bytes(text, units * sizeof(wchar_t));
        result.Ptr()->vt = VT_BSTR;
        result.Ptr()->bstrVal = text;
        return result;
      }
      case kVtHostString: {
        uint32_t length = Length(1);
        std::string text(length, '\0');
        Bytes(text.data(), length);
        return win::ScopedVariant::FromText(win::AnsiToWide(text));
      }
      case VT_DISPATCH:
      case VT_UNKNOWN: {
        VARIANT shown;
        VariantInit(&shown);
        shown.vt = static_cast<VARTYPE>(type);
        RaiseUnsupportedType(shown);
      }
      default:
        break;
    }
    // Codes up to 20 carry their size-table bytes; a variant by value and the unused code 15
    // are no values, and nothing above 20 is ever written.
    if (type > VT_I8 || type == VT_VARIANT || type == 15)
      services::RaisePlain(kBadType + std::to_wstring(type));
    VARIANT& v = *result.Ptr();
    v.vt = static_cast<VARTYPE>(type);
    Bytes(&v.lVal, ScalarSize(static_cast<VARTYPE>(type)));
    return result;
  }

 private:
  win::ScopedSafearray Array(uint32_t type, int depth) {
    if (depth > kMaxNesting) services::RaisePlain(kTooDeepRead);
    uint32_t element_code = type & ~static_cast<uint32_t>(VT_ARRAY);
    VARTYPE element = static_cast<VARTYPE>(element_code);
    ULONG element_size = element_code <= VT_TYPEMASK ? ElementSize(element) : 0;
    if (element_size == 0) services::RaisePlain(kBadType + std::to_wstring(type));

    int32_t dims = static_cast<int32_t>(U32());
    if (dims < 1 || dims > kMaxDimensions)
      services::RaisePlain(kBadDimensions + std::to_wstring(dims));
    Need(static_cast<size_t>(dims) * 8);
    Shape shape;
    std::vector<SAFEARRAYBOUND> bounds(dims);
    for (int32_t k = 0; k < dims; ++k) shape.low.push_back(static_cast<LONG>(U32()));
    for (int32_t k = 0; k < dims; ++k) shape.high.push_back(static_cast<LONG>(U32()));
    // Every element takes at least one byte of the stream, so more elements than bytes left
    // is damage; the product is capped as it grows so that it can neither overflow nor let
    // a hostile count reach the allocator.
    const uint64_t cap = static_cast<uint64_t>(Remaining()) + 1;
    bool has_empty_dimension = false;
    for (int32_t k = 0; k < dims; ++k) {
      int64_t extent = static_cast<int64_t>(shape.high[k]) - shape.low[k] + 1;
      if (extent < 0 || extent > 0x7FFFFFFF) services::RaisePlain(kBadBounds);
      bounds[k].lLbound = shape.low[k];
      bounds[k].cElements = static_cast<ULONG>(extent);
      if (extent == 0) has_empty_dimension = true;
      shape.count = std::min(shape.count * static_cast<uint64_t>(extent), cap);
    }
    if (has_empty_dimension) shape.count = 0;
    if (shape.count >= cap) services::RaisePlain(kBadBounds);
    bool raw = IsRawElement(element);
    if (!raw && shape.count * 4 > Remaining()) services::RaisePlain(kTruncated);

    win::ScopedSafearray array = win::ScopedSafearray::Adopt(
        SafeArrayCreate(element, static_cast<UINT>(dims), bounds.data()));
    if (!array.Get()) win::ThrowHresult(E_OUTOFMEMORY, L"SafeArrayCreate");
    ArrayData data(array.Get());
    if (raw) {
      uint32_t bytes = U32();
      if (bytes != element_size * shape.count) services::RaisePlain(kBadLength);
      Bytes(data.Bytes(), bytes);
      return array;
    }
    ForEachElement(shape, [&](size_t offset) {
      uint8_t* place = data.Bytes() + offset * element_size;
      win::ScopedVariant item = Value(depth + 1);
      if (element == VT_VARIANT) {
        VARIANT v = item.Release();
        std::memcpy(place, &v, sizeof v);
        return;
      }
      if (item.Type() != element) services::RaisePlain(kBadElement);
      VARIANT v = item.Release();
      if (element == VT_DECIMAL) {
        v.decVal.wReserved = 0;
        std::memcpy(place, &v.decVal, sizeof(DECIMAL));
      } else {
        // Texts and objects hand their ownership to the array with their pointer.
        std::memcpy(place, &v.lVal, element_size);
      }
    });
    return array;
  }

  size_t Remaining() const { return size_ - pos_; }
  void Need(size_t n) const {
    if (n > Remaining()) services::RaisePlain(kTruncated);
  }
  uint32_t U32() {
    uint32_t v;
    Bytes(&v, 4);
    return v;
  }
  // A count of items of `unit` bytes that must all still be in the stream.
  uint32_t Length(size_t unit) {
    int32_t n = static_cast<int32_t>(U32());
    if (n < 0) services::RaisePlain(kBadLength);
    Need(static_cast<size_t>(n) * unit);
    return static_cast<uint32_t>(n);
  }
  void Bytes(void* p, size_t n) {
    Need(n);
    if (n) std::memcpy(p, data_ + pos_, n);
    pos_ += n;
  }

  const uint8_t* data_;
  size_t size_;
  size_t pos_;
};

// ---- Files ----------------------------------------------------------------------------

bool IsExistingFile(const std::wstring& name) {
  DWORD attributes = GetFileAttributesW(name.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

[[noreturn]] void RaiseFileError(const wchar_t* what, const std::wstring& name) {
  DWORD error = GetLastError();
  services::RaisePlain(std::wstring(what) + L" \"" + name + L"\": " + win::SystemMessage(error));
}

void WriteWholeFile(const std::wstring& name, const void* data, size_t size) {
  win::ScopedFileHandle file(CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) RaiseFileError(L"Не удалось создать файл", name);
  DWORD written = 0;
  if (!WriteFile(file.Get(), data, static_cast<DWORD>(size), &written, nullptr))
    RaiseFileError(L"Не удалось записать файл", name);
  if (written != size) services::RaisePlain(L"Не удалось записать файл \"" + name + L"\"");
}

win::ScopedFileHandle OpenForReading(const std::wstring& name, uint64_t* size) {
  win::ScopedFileHandle file(CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) RaiseFileError(L"Не удалось открыть файл", name);
  LARGE_INTEGER length;
  if (!GetFileSizeEx(file.Get(), &length)) RaiseFileError(L"Не удалось открыть файл", name);
  *size = static_cast<uint64_t>(length.QuadPart);
  return file;
}

void ReadExactly(HANDLE file, const std::wstring& name, void* data, size_t size) {
  auto* p = static_cast<uint8_t*>(data);
  while (size > 0) {
    DWORD chunk = size > 0x10000000 ? 0x10000000 : static_cast<DWORD>(size);
    DWORD got = 0;
    if (!ReadFile(file, p, chunk, &got, nullptr)) RaiseFileError(L"Не удалось прочитать файл", name);
    if (got == 0) services::RaisePlain(L"Не удалось прочитать файл \"" + name + L"\"");
    p += got;
    size -= got;
  }
}

uint32_t GetU32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}
void PutU32(uint8_t* p, uint32_t v) { std::memcpy(p, &v, 4); }

bool IsTwoDimensionalVariants(SAFEARRAY* psa) {
  VARTYPE vt = VT_EMPTY;
  return psa && SafeArrayGetDim(psa) == 2 && SUCCEEDED(SafeArrayGetVartype(psa, &vt)) &&
         vt == VT_VARIANT;
}

}  // namespace

void WriteValue(TMyMemoryStream& stream, const VARIANT& value) {
  Writer(stream).Value(value, 0);
}

void ReadValue(TMyMemoryStream& stream, VARIANT* value) {
  // The stream is read in place; every read is checked against its valid data first, so
  // damaged data never reaches the stream's own overrun path (which leaves a dump file).
  if (stream.Position() < 0 || stream.Position() > stream.Size())
    services::RaisePlain(kTruncated);
  Reader reader(static_cast<const uint8_t*>(stream.Memory()), static_cast<size_t>(stream.Size()),
                static_cast<size_t>(stream.Position()));
  win::ScopedVariant result = reader.Value(0);
  stream.Seek(static_cast<int32_t>(reader.Position()));
  VariantClear(value);
  *value = result.Release();
}

void SaveTableToFile(SAFEARRAY* table, std::wstring_view file_name) {
  TMyMemoryStream payload;
  VARIANT shown;
  VariantInit(&shown);
  shown.vt = VT_ARRAY | VT_VARIANT;
  shown.parray = table;
  if (!table) RaiseUnsupportedType(shown);
  Writer(payload).Array(VT_ARRAY | VT_VARIANT, table, shown, 0);

  // A payload that does not shrink (short or random texts) needs zlib's bound, not its size.
  uLong size = static_cast<uLong>(payload.Size());
  uLong bound = compressBound(size);
  std::vector<uint8_t> file(kStorageHeaderSize + bound);
  uLongf packed = bound;
  if (compress2(file.data() + kStorageHeaderSize, &packed,
                static_cast<const Bytef*>(payload.Memory()), size, 9) != Z_OK)
    services::RaisePlain(kPackFailed);
  file.resize(kStorageHeaderSize + packed);

  SYSTEMTIME now;
  GetLocalTime(&now);
  double saved_at = 0;
  SystemTimeToVariantTime(&now, &saved_at);

  uint8_t* header = file.data();
  header[0] = kMagicLength;
  std::memcpy(header + 1, kMagic, kMagicLength);
  header[10] = kStorageVersion;
  std::memcpy(header + 11, &saved_at, 8);
  PutU32(header + 19, StorageChecksum(header + kStorageHeaderSize, packed));
  PutU32(header + 23, static_cast<uint32_t>(file.size()));
  PutU32(header + 27, static_cast<uint32_t>(size));
  WriteWholeFile(std::wstring(file_name), file.data(), file.size());
}

bool LoadTableFromFile(std::wstring_view file_name, win::ScopedSafearray* contents) {
  std::wstring name(file_name);
  if (!IsExistingFile(name)) return false;
  uint64_t size = 0;
  win::ScopedFileHandle file = OpenForReading(name, &size);
  // The header's size field is read before the rest, so that a file of the wrong size is
  // refused without reading all of it.
  if (size < kStorageHeaderSize) services::RaisePlain(kBadFileSize);
  uint8_t header[kStorageHeaderSize];
  ReadExactly(file.Get(), name, header, kStorageHeaderSize);
  if (GetU32(header + 23) != size) services::RaisePlain(kBadFileSize);
  if (header[0] != kMagicLength || std::memcmp(header + 1, kMagic, kMagicLength) != 0)
    services::RaisePlain(kNotStorage);
  if (header[10] > kStorageVersion) services::RaisePlain(kBadVersion);

  std::vector<uint8_t> packed(static_cast<size_t>(size - kStorageHeaderSize));
  ReadExactly(file.Get(), name, packed.data(), packed.size());
  if (StorageChecksum(packed.data(), packed.size()) != GetU32(header + 19))
    services::RaisePlain(kBadChecksum);

  // Deflate shrinks by at most about 1:1032; a declared size beyond that is damage and must
  // not reach the allocator.
  uint32_t declared = GetU32(header + 27);
  if (declared == 0 || declared / 1040 > packed.size()) services::RaisePlain(kUnpackFailed);
  std::vector<uint8_t> payload(declared);
  uLongf unpacked = declared;
  if (uncompress(payload.data(), &unpacked, packed.data(), static_cast<uLong>(packed.size())) !=
      Z_OK)
    services::RaisePlain(kUnpackFailed);

  TMyMemoryStream stream;
  stream.Write(payload.data(), static_cast<int32_t>(unpacked));
  stream.Seek(0);
  win::ScopedVariant value;
  ReadValue(stream, value.Ptr());
  // A stored two-dimensional array was read back as a value table object; the caller's
  // table adopts a copy of its array, so the loaded object may go its own way.
  SAFEARRAY* loaded = nullptr;
  if (value.Type() == VT_DISPATCH && value.Get().pdispVal) {
    std::optional<TableContents> table = ContentsOfTable(value.Get().pdispVal);
    if (table) loaded = table->array;
  }
  if (!IsTwoDimensionalVariants(loaded)) services::RaisePlain(kNotTable);
  win::ScopedSafearray copy;
  HRESULT hr = SafeArrayCopy(loaded, copy.Put());
  if (FAILED(hr)) win::ThrowHresult(hr, L"SafeArrayCopy");
  *contents = std::move(copy);
  return true;
}

bool SaveTableToStreamFile(SAFEARRAY* table, std::wstring_view file_name) {
  VARTYPE vt = VT_EMPTY;
  if (!table || SafeArrayGetDim(table) != 2 || FAILED(SafeArrayGetVartype(table, &vt)) ||
      vt != VT_UI1 || SafeArrayGetElemsize(table) != 1)
    return false;
  win::SafearrayAccess<uint8_t> bytes(table, 2, VT_UI1);
  size_t size = static_cast<size_t>(bytes.Count(1)) * static_cast<size_t>(bytes.Count(2));
  WriteWholeFile(std::wstring(file_name), bytes.Data(), size);
  return true;
}

bool LoadTableFromStreamFile(std::wstring_view file_name, win::ScopedSafearray* contents) {
  std::wstring name(file_name);
  if (!IsExistingFile(name)) return false;
  uint64_t size = 0;
  win::ScopedFileHandle file = OpenForReading(name, &size);
  if (size > 0x7FFFFFFF) services::RaisePlain(L"Файл слишком велик: \"" + name + L"\"");
  SAFEARRAYBOUND bounds[2] = {{1, 0}, {static_cast<ULONG>(size), 0}};
  win::ScopedSafearray array = win::ScopedSafearray::Adopt(SafeArrayCreate(VT_UI1, 2, bounds));
  if (!array.Get()) win::ThrowHresult(E_OUTOFMEMORY, L"SafeArrayCreate");
  {
    ArrayData data(array.Get());
    ReadExactly(file.Get(), name, data.Bytes(), static_cast<size_t>(size));
  }
  *contents = std::move(array);
  return true;
}

}  // namespace automation
