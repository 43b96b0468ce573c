// The boundary converter turns any exception into the code, message and error information.
#include <gtest/gtest.h>
#include <windows.h>
#include <oleauto.h>

#include <functional>
#include <stdexcept>
#include <string>

#include "framework/services/error_boundary.h"
#include "framework/services/exceptions.h"
#include "framework/win/com_ptr.h"
#include "framework/win/scoped_bstr.h"

namespace {

struct Converted {
  int32_t code;
  std::wstring message;
};

Converted Convert(const std::function<void()>& raise) {
  try {
    raise();
  } catch (...) {
    return {services::CurrentExceptionCode(), services::CurrentExceptionMessage()};
  }
  ADD_FAILURE() << "nothing was raised";
  return {};
}

TEST(ErrorBoundary, EveryKindOfExceptionGetsACodeAndAMessage) {
  struct Case {
    const char* what;
    std::function<void()> raise;
    int32_t code;
    std::wstring message;
  };
  const Case cases[] = {
      {"coded", [] { throw services::ECodedException(20036, L"Метод [X] не обнаружено"); }, 20036,
       L"Метод [X] не обнаружено"},
      {"device", [] { throw services::EHardwareEquipmentException(1007, L"Нет ответа"); }, 1007,
       L"Нет ответа"},
      {"plain", [] { services::RaisePlain(L"Простая ошибка"); }, 20000, L"Простая ошибка"},
      {"std ascii", [] { throw std::runtime_error("disk full"); }, 20000, L"disk full"},
      {"std utf-8", [] { throw std::runtime_error("\xD0\x9E\xD1\x88\xD0\xB8\xD0\xB1\xD0\xBA\xD0\xB0"); },
       20000, L"Ошибка"},
      // Not valid UTF-8, so it is read in the ANSI code page (1251 under the Russian locale).
      {"std ansi", [] { throw std::runtime_error("\xCE\xF8\xE8\xE1\xEA\xE0"); }, 20000, L"Ошибка"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Converted got = Convert(c.raise);
    EXPECT_EQ(got.code, c.code);
    EXPECT_EQ(got.message, c.message);
  }

  Converted foreign = Convert([] { throw 42; });
  EXPECT_EQ(foreign.code, 20000);
  EXPECT_FALSE(foreign.message.empty());
}

class ErrorInfoTest : public testing::Test {
 protected:
  // The host initialises COM on its threads before it calls the plug-in.
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr))); }
  void TearDown() override { OleUninitialize(); }

  // Takes the thread's error information, as a caller of a failed slot would.
  static win::ComPtr<IErrorInfo> TakeErrorInfo() {
    win::ComPtr<IErrorInfo> info;
    EXPECT_EQ(GetErrorInfo(0, info.Put()), S_OK);
    return info;
  }
};

// The shape every interface slot of the plug-in has.
HRESULT __stdcall FailingSlot(int code) noexcept try {
  services::RaiseError(code, {L"COM3"});
  return S_OK;
} catch (...) {
  return services::FailureFromCurrentException();
}

TEST_F(ErrorInfoTest, FailingSlotPublishesTheMessage) {
  SetErrorInfo(0, nullptr);
  EXPECT_EQ(FailingSlot(20001), E_UNEXPECTED);
  win::ComPtr<IErrorInfo> info = TakeErrorInfo();
  ASSERT_TRUE(info);

  win::ScopedBstr description, source;
  ASSERT_EQ(info->GetDescription(description.Put()), S_OK);
  EXPECT_EQ(description.Text(), L"Оборудование не найдено [COM3].");
  DWORD help = 7;
  info->GetHelpContext(&help);
  EXPECT_EQ(help, 0u);
  GUID guid{};
  info->GetGUID(&guid);
  EXPECT_TRUE(IsEqualGUID(guid, GUID_NULL));
  info->GetSource(source.Put());
  EXPECT_EQ(source.Text(), L"");

  // A second failure replaces the first: no stale description.
  EXPECT_EQ(FailingSlot(1110), E_UNEXPECTED);
  info = TakeErrorInfo();
  ASSERT_TRUE(info);
  ASSERT_EQ(info->GetDescription(description.Put()), S_OK);
  EXPECT_EQ(description.Text(), L"COM3");
}

TEST_F(ErrorInfoTest, SourceIsPublishedWhenGiven) {
  HRESULT hr;
  try {
    throw std::runtime_error("bad shape");
  } catch (...) {
    hr = services::FailureFromCurrentException(L"ValueTable.Object");
  }
  EXPECT_EQ(hr, static_cast<HRESULT>(0x8000FFFF));
  win::ComPtr<IErrorInfo> info = TakeErrorInfo();
  ASSERT_TRUE(info);
  win::ScopedBstr description, source;
  info->GetDescription(description.Put());
  info->GetSource(source.Put());
  EXPECT_EQ(description.Text(), L"bad shape");
  EXPECT_EQ(source.Text(), L"ValueTable.Object");
}

}  // namespace
