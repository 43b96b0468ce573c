// The storage file's bytes: header fields, the payload checksum and the value encoding.
#include <zlib.h>

#include <cmath>
#include <cstring>

#include "framework/automation/checksum.h"
#include "tests/unit/automation/table_storage_helpers.h"

using namespace table_storage_test;

namespace {

// One row: cell (0, 0) the 32-bit integer 5, cell (0, 1) the text "ab".
win::ScopedSafearray ExampleTable() {
  win::ScopedSafearray table = MakeTable(1, 2);
  VARIANT& number = Cell(table.Get(), 0, 0);
  number.vt = VT_I4;
  number.lVal = 5;
  VARIANT& text = Cell(table.Get(), 0, 1);
  text.vt = VT_BSTR;
  text.bstrVal = SysAllocString(L"ab");
  return table;
}

const Bytes kExamplePayload = {
    0x0C, 0x20, 0, 0,  2, 0, 0, 0,  0, 0, 0, 0,  0, 0, 0, 0,  0, 0, 0, 0,  1, 0, 0, 0,
    3, 0, 0, 0,  5, 0, 0, 0,  8, 0, 0, 0,  2, 0, 0, 0,  0x61, 0, 0x62, 0};

// A table that was never sized keeps one Empty cell behind its 0 x 0 counts.
const Bytes kNewTablePayload = {
    0x0C, 0x20, 0, 0,  2, 0, 0, 0,  0, 0, 0, 0,  0, 0, 0, 0,  0, 0, 0, 0,  0, 0, 0, 0,
    0, 0, 0, 0};

uint32_t U32At(const Bytes& b, size_t offset) {
  uint32_t v;
  std::memcpy(&v, b.data() + offset, 4);
  return v;
}

}  // namespace

TEST(TableStorageFormat, ChecksumStartsAtZeroAndIsNotInverted) {
  struct Case {
    const char* bytes;
    uint32_t sum;
  } cases[] = {{"abc", 0xCA6598D0u}, {"", 0u}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes);
    EXPECT_EQ(automation::StorageChecksum(c.bytes, std::strlen(c.bytes)), c.sum);
  }
}

TEST(TableStorageFormat, PayloadOfTheExampleAndOfANewTable) {
  struct Case {
    const char* name;
    win::ScopedSafearray table;
    const Bytes& payload;
  } cases[] = {{"example", ExampleTable(), kExamplePayload},
               {"new table", MakeTable(1, 1), kNewTablePayload}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(PayloadOf(TableValue(c.table.Get())), c.payload);
  }
}

class TableStorageFile : public TempFileTest {};

TEST_F(TableStorageFile, HeaderFieldByField) {
  win::ScopedSafearray table = ExampleTable();
  SYSTEMTIME now;
  GetLocalTime(&now);
  double before = 0;
  SystemTimeToVariantTime(&now, &before);
  automation::SaveTableToFile(table.Get(), path_);

  Bytes file = ReadFileBytes(path_);
  ASSERT_GT(file.size(), 31u);
  EXPECT_EQ(file[0], 9);
  EXPECT_EQ(std::string(file.begin() + 1, file.begin() + 10), "SaFeArRaY");
  EXPECT_EQ(file[10], 1);
  double saved_at = 0;
  std::memcpy(&saved_at, file.data() + 11, 8);
  EXPECT_LT(std::fabs(saved_at - before), 2.0 / 86400) << "local time as days since 1899-12-30";
  EXPECT_EQ(U32At(file, 19), automation::StorageChecksum(file.data() + 31, file.size() - 31));
  EXPECT_EQ(U32At(file, 23), file.size());
  EXPECT_EQ(U32At(file, 27), kExamplePayload.size());

  // The payload is a zlib stream (header and Adler-32 trailer), not raw deflate.
  EXPECT_EQ(file[31], 0x78);
  Bytes payload(64);
  uLongf length = payload.size();
  ASSERT_EQ(uncompress(payload.data(), &length, file.data() + 31, file.size() - 31), Z_OK);
  payload.resize(length);
  EXPECT_EQ(payload, kExamplePayload);
}
