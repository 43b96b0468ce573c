// Loading never trusts the file: damaged or hostile storage files fail with a clear message
// (or load as a valid table), never crash, hang or exhaust memory.
#include <zlib.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <random>

#include "framework/automation/checksum.h"
#include "framework/win/scoped_variant.h"
#include "framework/win/text.h"
#include "tests/unit/automation/table_storage_helpers.h"

using namespace table_storage_test;

class TableStorageRobustness : public TempFileTest {};

namespace {

constexpr wchar_t kBadFileSize[] = L"Хранилище повреждено - неверный размер файла";
constexpr wchar_t kNotStorage[] = L"Файл не является хранилищем ISafeArray";
constexpr wchar_t kBadVersion[] = L"Неверная версия хранилища";
constexpr wchar_t kBadChecksum[] = L"Хранилище повреждено - неверная контрольная сумма данных";
constexpr wchar_t kUnpackFailed[] = L"Ошибка распаковки данных";

// A storage file around any payload, as a correct writer would make it.
Bytes StorageFileOf(const Bytes& payload) {
  uLongf packed = compressBound(payload.size());
  Bytes file(31 + packed);
  EXPECT_EQ(compress2(file.data() + 31, &packed, payload.data(), payload.size(), 9), Z_OK);
  file.resize(31 + packed);
  file[0] = 9;
  std::memcpy(file.data() + 1, "SaFeArRaY", 9);
  file[10] = 1;
  uint32_t fields[3] = {automation::StorageChecksum(file.data() + 31, packed),
                        static_cast<uint32_t>(file.size()),
                        static_cast<uint32_t>(payload.size())};
  std::memcpy(file.data() + 19, fields, 12);
  return file;
}

// A table of several kinds: raw and element-wise nested arrays, texts, a nested table.
Bytes ValidPayload() {
  win::ScopedSafearray table = MakeTable(2, 3);
  Cell(table.Get(), 0, 0) = win::ScopedVariant::FromInt(42).Release();
  Cell(table.Get(), 0, 1) = win::ScopedVariant::FromText(L"Хлеб").Release();
  Cell(table.Get(), 0, 2) = win::ScopedVariant::FromDouble(2.5).Release();
  SAFEARRAYBOUND line[1] = {{3, 1}};
  VARIANT numbers;
  numbers.vt = VT_ARRAY | VT_I4;
  numbers.parray = SafeArrayCreate(VT_I4, 1, line);
  Cell(table.Get(), 1, 0) = numbers;
  VARIANT texts;
  texts.vt = VT_ARRAY | VT_BSTR;
  texts.parray = SafeArrayCreate(VT_BSTR, 1, line);
  Cell(table.Get(), 1, 1) = texts;
  VARIANT inner;
  inner.vt = VT_ARRAY | VT_VARIANT;
  inner.parray = MakeTable(1, 2).Release();
  Cell(table.Get(), 1, 2) = inner;
  return PayloadOf(TableValue(table.Get()));
}

// What a load may do with a damaged file: load a usable table, or fail with a message.
// Anything else (another exception, a crash, a hang) is the fault this suite looks for.
enum class Outcome { kLoaded, kFailed };

Outcome LoadOutcome(const std::wstring& path, std::wstring* message) {
  win::ScopedSafearray table;
  try {
    if (!automation::LoadTableFromFile(path, &table)) {
      ADD_FAILURE() << "the file exists";
      return Outcome::kFailed;
    }
  } catch (const services::Exception& e) {
    if (e.Message().empty()) ADD_FAILURE() << "a failure without a message";
    if (message) *message = e.Message();
    return Outcome::kFailed;
  }
  // A usable table: two dimensions of variants that the platform can copy cell by cell.
  VARTYPE vt = 0;
  EXPECT_EQ(SafeArrayGetDim(table.Get()), 2u);
  EXPECT_TRUE(SUCCEEDED(SafeArrayGetVartype(table.Get(), &vt)) && vt == VT_VARIANT);
  win::ScopedSafearray copy;
  EXPECT_EQ(SafeArrayCopy(table.Get(), copy.Put()), S_OK);
  return Outcome::kLoaded;
}

}  // namespace

TEST_F(TableStorageRobustness, EachDamageHasItsMessage) {
  const Bytes valid = StorageFileOf(ValidPayload());
  auto patched = [&](size_t offset, std::initializer_list<uint8_t> bytes) {
    Bytes file = valid;
    std::copy(bytes.begin(), bytes.end(), file.begin() + offset);
    return file;
  };
  auto header_word = [&](size_t offset, uint32_t value) {
    Bytes file = valid;
    std::memcpy(file.data() + offset, &value, 4);
    return file;
  };
  const uint32_t table_type = VT_ARRAY | VT_VARIANT;
  // The frame of a 1 x 1 table whose one cell follows.
  const Bytes one_cell = Words({table_type, 2, 0, 0, 0, 0});
  Bytes deep;  // arrays of one variant, each holding the next, far deeper than any table
  for (int i = 0; i < 5000; ++i) deep = deep + Words({table_type, 1, 0, 0});

  struct Case {
    const char* name;
    Bytes file;
    std::wstring message;  // empty: loads
  } cases[] = {
      {"empty file", {}, kBadFileSize},
      {"shorter than the header", Bytes(valid.begin(), valid.begin() + 30), kBadFileSize},
      {"cut short", Bytes(valid.begin(), valid.end() - 1), kBadFileSize},
      {"size field one more", header_word(23, valid.size() + 1), kBadFileSize},
      {"magic changed", patched(3, {'f'}), kNotStorage},
      {"magic length changed", patched(0, {8}), kNotStorage},
      {"version 2", patched(10, {2}), kBadVersion},
      {"version 0 reads alike", patched(10, {0}), L""},
      {"saving time is not looked at", patched(11, {1, 2, 3, 4, 5, 6, 7, 8}), L""},
      {"payload byte changed", patched(40, {static_cast<uint8_t>(valid[40] ^ 0xFF)}),
       kBadChecksum},
      {"payload size one short", header_word(27, ValidPayload().size() - 1), kUnpackFailed},
      // Would ask for 4 GB before decompressing.
      {"payload size huge", header_word(27, 0xFFFFFFFF), kUnpackFailed},
      {"payload size zero", header_word(27, 0), kUnpackFailed},
      {"scalar payload", StorageFileOf(Words({VT_I4, 5})),
       L"Хранилище не содержит двумерного массива значений"},
      {"one-dimensional payload", StorageFileOf(Words({table_type, 1, 0, 0, VT_EMPTY})),
       L"Хранилище не содержит двумерного массива значений"},
      {"text longer than the payload", StorageFileOf(one_cell + Words({VT_BSTR, 1000000})),
       L"Хранилище повреждено - данные обрываются"},
      {"negative text length", StorageFileOf(one_cell + Words({VT_BSTR, 0x80000000})),
       L"Хранилище повреждено - неверная длина данных"},
      {"8-bit text longer than the payload",
       StorageFileOf(one_cell + Words({0x100, 0x7FFFFFFF})),
       L"Хранилище повреждено - данные обрываются"},
      // Two billion cells squared: refused before anything is allocated.
      {"bounds beyond the payload",
       StorageFileOf(Words({table_type, 2, 0, 0, 0x7FFFFFFE, 0x7FFFFFFE, VT_EMPTY})),
       L"Хранилище повреждено - неверные границы массива"},
      {"high bound below the low bound",
       StorageFileOf(Words({table_type, 2, 5, 0, 3, 0, VT_EMPTY})),
       L"Хранилище повреждено - неверные границы массива"},
      {"dimension count huge", StorageFileOf(Words({table_type, 0x7FFFFFFF})),
       L"Хранилище повреждено - неверное число измерений массива: 2147483647"},
      {"no dimensions", StorageFileOf(Words({table_type, 0})),
       L"Хранилище повреждено - неверное число измерений массива: 0"},
      {"raw byte count differs from the bounds",
       StorageFileOf(one_cell + Words({VT_ARRAY | VT_I4, 1, 0, 1, 4, 0, 0})),
       L"Хранилище повреждено - неверная длина данных"},
      {"unknown type code", StorageFileOf(one_cell + Words({21})),
       L"Хранилище повреждено - неизвестный тип данных 21"},
      {"unknown array element type", StorageFileOf(one_cell + Words({VT_ARRAY | VT_UNKNOWN})),
       L"Хранилище повреждено - неизвестный тип данных 8205"},
      {"element of another type than its array",
       StorageFileOf(one_cell + Words({VT_ARRAY | VT_BSTR, 1, 0, 0, VT_I4, 7})),
       L"Хранилище повреждено - элемент не совпадает с типом массива"},
      {"object reference stored", StorageFileOf(one_cell + Words({VT_DISPATCH})),
       L"Неподдерживаемый тип данных.\r\nТип данных=9\r\nПредставление: (Объект)"},
      {"nesting without end", StorageFileOf(one_cell + deep),
       L"Хранилище повреждено - слишком глубокая вложенность значений"},
      {"a variant by reference reads as its value",
       StorageFileOf(one_cell + Words({0x4000, 0x4000, VT_I4, 1})), L""},
      {"trailing bytes are ignored", StorageFileOf(one_cell + Words({VT_EMPTY, 1, 2})), L""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteFileBytes(path_, c.file);
    std::wstring message;
    Outcome outcome = LoadOutcome(path_, &message);
    if (c.message.empty()) {
      EXPECT_EQ(outcome, Outcome::kLoaded) << win::WideToUtf8(message);
    } else {
      EXPECT_EQ(outcome, Outcome::kFailed);
      EXPECT_EQ(message, c.message) << win::WideToUtf8(message);
    }
  }
}

TEST_F(TableStorageRobustness, FailedLoadKeepsWhatTheCallerHas) {
  WriteFileBytes(path_, StorageFileOf(Words({VT_ARRAY | VT_VARIANT, 2, 0, 0, 0, 0, VT_BSTR, 9})));
  win::ScopedSafearray table = MakeTable(1, 1);
  SAFEARRAY* before = table.Get();
  EXPECT_THROW(automation::LoadTableFromFile(path_, &table), services::Exception);
  EXPECT_EQ(table.Get(), before);
}

TEST_F(TableStorageRobustness, ManyMutatedAndTruncatedCopies) {
  const Bytes payload = ValidPayload();
  const Bytes file = StorageFileOf(payload);
  std::mt19937 random(20261211);
  auto pick = [&](size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(random); };
  const uint32_t interesting[] = {0,          1,          2,          0xFFFFFFFF, 0x7FFFFFFF,
                                  0x80000000, VT_BSTR,    VT_VARIANT, 0x100,      0x2000,
                                  0x200C,     0x2011,     0x4000,     0x400C,     21};

  int loaded = 0, failed = 0;
  auto run = [&](const Bytes& bytes) {
    WriteFileBytes(path_, bytes);
    (LoadOutcome(path_, nullptr) == Outcome::kLoaded ? loaded : failed)++;
  };
  auto started = std::chrono::steady_clock::now();

  // Damage inside the payload behind a correct header and checksum reaches the decoder.
  for (int i = 0; i < 2000; ++i) {
    Bytes damaged = payload;
    switch (i % 4) {
      case 0:
        for (int k = 0; k < 3; ++k) damaged[pick(damaged.size())] = static_cast<uint8_t>(pick(256));
        break;
      case 1: {
        uint32_t word = interesting[pick(std::size(interesting))];
        std::memcpy(damaged.data() + pick(damaged.size() / 4) * 4, &word, 4);
        break;
      }
      case 2:
        damaged.resize(pick(damaged.size()));
        break;
      case 3: {
        size_t at = pick(damaged.size());
        Bytes slice(damaged.begin() + at, damaged.begin() + at + pick(damaged.size() - at) + 1);
        damaged.insert(damaged.begin() + pick(damaged.size()), slice.begin(), slice.end());
        break;
      }
    }
    run(StorageFileOf(damaged));
  }
  // Damage anywhere in the file, header and compressed bytes alike.
  for (int i = 0; i < 800; ++i) {
    Bytes damaged = file;
    damaged[pick(damaged.size())] = static_cast<uint8_t>(pick(256));
    run(damaged);
  }
  // Every strict prefix of the payload lacks part of the value.
  for (size_t n = 0; n < payload.size(); ++n) {
    WriteFileBytes(path_, StorageFileOf(Bytes(payload.begin(), payload.begin() + n)));
    std::wstring message;
    EXPECT_EQ(LoadOutcome(path_, &message), Outcome::kFailed) << n << " bytes";
    failed++;
  }

  double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  std::printf("%d loaded, %d failed cleanly in %.2f s\n", loaded, failed, seconds);
  EXPECT_GT(loaded, 0) << "some mutations leave a readable table";
  EXPECT_GT(failed, 0);
}
