// The memory stream's growth, reads and the dump it leaves on a failed read.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "framework/automation/memory_stream.h"
#include "framework/services/exceptions.h"
#include "framework/win/scoped_handle.h"

using automation::TMyMemoryStream;

TEST(MemoryStream, GrowsInStepsOfAtLeastHalfAMillion) {
  struct Case {
    std::vector<int32_t> writes;
    int32_t capacity;
  } cases[] = {
      {{1}, 500000},
      {{600000}, 600000},
      {{500000}, 500000},
      {{1, 499999}, 500000},       // fills the first step exactly
      {{1, 500000}, 1000000},      // one byte short: a whole step more
      {{600000, 1}, 1100000},
  };
  for (const Case& c : cases) {
    TMyMemoryStream stream;
    int32_t total = 0;
    for (int32_t n : c.writes) {
      std::vector<char> bytes(n, 'x');
      EXPECT_EQ(stream.Write(bytes.data(), n), n);
      total += n;
    }
    SCOPED_TRACE(testing::Message() << "total " << total);
    EXPECT_EQ(stream.Capacity(), c.capacity);
    EXPECT_EQ(stream.Size(), total);
    EXPECT_EQ(stream.Position(), total);
  }
}

TEST(MemoryStream, ContentsSurviveGrowthAndReadBack) {
  TMyMemoryStream stream;
  stream.Write("abcdef", 6);
  std::vector<char> big(600000, 'z');
  stream.Write(big.data(), static_cast<int32_t>(big.size()));  // moves the block
  stream.Seek(2);
  char got[4] = {};
  EXPECT_EQ(stream.Read(got, 3), 3);
  EXPECT_STREQ(got, "cde");
  EXPECT_EQ(stream.Position(), 5);
  EXPECT_EQ(stream.Read(got, 0), 0);
  EXPECT_EQ(stream.Read(got, -1), 0);
}

TEST(MemoryStream, SeekGrowsAndClearEmpties) {
  TMyMemoryStream stream;
  stream.Seek(-1);
  EXPECT_EQ(stream.Position(), 0);
  EXPECT_EQ(stream.Memory(), nullptr);
  stream.Seek(700000);
  EXPECT_EQ(stream.Capacity(), 700000);
  EXPECT_EQ(stream.Size(), 700000);
  EXPECT_EQ(stream.Position(), 700000);
  // Shrinking the block also shrinks the valid data, so a read never leaves the block.
  stream.SetCapacity(10);
  EXPECT_EQ(stream.Size(), 10);
  stream.Clear();
  EXPECT_EQ(stream.Capacity(), 0);
  EXPECT_EQ(stream.Size(), 0);
  EXPECT_EQ(stream.Position(), 0);
  EXPECT_EQ(stream.Memory(), nullptr);
}

// The dump lands on the Wine prefix's drive C:, as it would on the user's system drive.
TEST(MemoryStream, ReadBeyondTheDataDumpsTheBufferAndFails) {
  const wchar_t* dump = L"C:\\Buffer10.txt";
  DeleteFileW(dump);
  TMyMemoryStream stream;
  stream.Write("0123456789AB", 12);
  stream.Seek(10);
  char got[4];
  try {
    stream.Read(got, 4);
    ADD_FAILURE() << "the read succeeded";
  } catch (const services::ECodedException& e) {
    ADD_FAILURE() << "the read error must be plain, got code " << e.Code();
  } catch (const services::Exception& e) {
    EXPECT_EQ(e.Message(), L"Ошибка чтения потока. Pos=10 Size=12 Count=4");
  }
  EXPECT_EQ(stream.Position(), 10);

  std::string contents;
  {
    win::ScopedFileHandle file(CreateFileW(dump, GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file) << "no dump file, error " << GetLastError();
    char buffer[64];
    DWORD read = 0;
    ASSERT_TRUE(ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr));
    contents.assign(buffer, read);
  }
  EXPECT_EQ(contents, "0123456789AB");
  EXPECT_TRUE(DeleteFileW(dump));
}
