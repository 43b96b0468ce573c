// The catalogue picks the right template in each language, and the raise fills it in.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "framework/services/exceptions.h"

namespace {

using services::ECodedException;
using services::FormatArg;

// Runs the raise and hands back what it threw; fails the test when it returns or throws
// something that is not coded.
template <typename Raise>
ECodedException CaughtCoded(Raise raise) {
  try {
    raise();
  } catch (const ECodedException& e) {
    return e;
  } catch (const std::exception& e) {
    ADD_FAILURE() << "not a coded exception: " << e.what();
  }
  ADD_FAILURE() << "nothing was raised";
  return ECodedException(-1, L"");
}

// The standard formatting error is a plain exception, never a coded one.
template <typename Raise>
void ExpectFormattingError(Raise raise) {
  try {
    raise();
    ADD_FAILURE() << "nothing was raised";
  } catch (const ECodedException& e) {
    ADD_FAILURE() << "coded " << e.Code() << ": " << e.what();
  } catch (const services::Exception& e) {
    EXPECT_NE(e.Message().find(L"invalid or incompatible with argument"), std::wstring::npos)
        << e.what();
  }
}

struct CatalogueCase {
  int32_t code;
  const wchar_t* text;
};

TEST(Catalogue, RussianTemplatesAreExactWithLineBreaksAndQuotes) {
  ASSERT_EQ(GetUserDefaultUILanguage() & 0xFF, 0x19) << "the suite runs under the Russian UI";
  const CatalogueCase cases[] = {
      {0, L"Ok"},
      {1001, L"Неизвестная ошибка (Код = %d)!"},
      {1003, L"Команда не поддерживаеся устройством"},
      {1110, L"Работа с сервером не поддерживается"},
      {20000, L"%s"},
      {20032,
       L"Устройство не готово: - не включен компьютер [%s] или с ним нет связи.\r\nВозможная "
       L"причина - установленное программное обеспечение (firewall) блокирует сетевое "
       L"соединение."},
      // The first letter of the second "Cервер" is a Latin capital C.
      {20059,
       L"Ошибка при подключении к серверу синхронизации!\r\n  1. Неверные параметры подключения "
       L"к серверу синхронизации\r\n  2. \x0043"
       L"ервер синхронизации не запущен\r\n  3. Сетевое соединение блокируется аппаратными или "
       L"программными средствами (firewall)"},
      {21011, L"Функция \"%s\" не поддерживается текущим ФР"},
      {21012, L"Сетевое оборудование не отвечает."},
      // No entry: the template of 1001.
      {20049, L"Неизвестная ошибка (Код = %d)!"},
      {-5, L"Неизвестная ошибка (Код = %d)!"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    EXPECT_EQ(services::CatalogueText(c.code), c.text);
  }
}

TEST(Catalogue, RaiseFillsTheRussianTemplate) {
  ECodedException e = CaughtCoded([] { services::RaiseError(20001, {L"COM3"}); });
  EXPECT_EQ(e.Code(), 20001);
  EXPECT_EQ(e.Message(), L"Оборудование не найдено [COM3].");
  EXPECT_EQ(e.Codes(), services::TCodeArray{20001});

  e = CaughtCoded([] { services::RaiseError(20049, {7}); });
  EXPECT_EQ(e.Code(), 20049);
  EXPECT_EQ(e.Message(), L"Неизвестная ошибка (Код = 7)!");

  e = CaughtCoded([] { services::RaiseError(21011, {L"Печать"}); });
  EXPECT_EQ(e.Message(), L"Функция \"Печать\" не поддерживается текущим ФР");

  e = CaughtCoded([] { services::RaiseErrorCode(20058); });
  EXPECT_EQ(e.Code(), 20058);
  EXPECT_EQ(e.Message(), L"PluInfo не доступна, Объект DLL не создан.");

  e = CaughtCoded([] { services::RaiseText(L"Неверный индекс (Get) Index=5 Count=2"); });
  EXPECT_EQ(e.Code(), 20000);
  EXPECT_EQ(e.Message(), L"Неверный индекс (Get) Index=5 Count=2");
}

TEST(Catalogue, CodesOutsideTheRangeTakeTheFirstArgumentAsTheMessage) {
  // 1110 has a Russian template, but the raise does not consult the catalogue for it.
  ECodedException e = CaughtCoded([] { services::RaiseError(1110, {L"Связь %d потеряна", 3}); });
  EXPECT_EQ(e.Code(), 1110);
  EXPECT_EQ(e.Message(), L"Связь %d потеряна");

  e = CaughtCoded([] { services::RaiseError(22000, {L"за пределами"}); });
  EXPECT_EQ(e.Code(), 22000);
  EXPECT_EQ(e.Message(), L"за пределами");
}

TEST(Catalogue, MismatchedArgumentsRaiseTheFormattingError) {
  ExpectFormattingError([] { services::RaiseErrorCode(20000); });
  ExpectFormattingError([] { services::RaiseError(20001, {5}); });
  ExpectFormattingError([] { services::RaiseError(20049, {L"7"}); });
  ExpectFormattingError([] { services::RaiseError(20005, {L"только одно"}); });
  ExpectFormattingError([] { services::RaiseErrorCode(1007); });
}

TEST(Catalogue, FormatTemplateHandlesPlaceholders) {
  struct Case {
    const wchar_t* pattern;
    std::vector<FormatArg> args;
    const wchar_t* expected;
  };
  const Case cases[] = {
      {L"", {}, L""},
      {L"100%%", {}, L"100%"},
      {L"%d%% из %s", {FormatArg(-42), FormatArg(L"всех")}, L"-42% из всех"},
      {L"[%s]", {FormatArg(L""), FormatArg(L"лишний")}, L"[]"},
      {L"%s", {FormatArg(L"%d и %s остаются текстом")}, L"%d и %s остаются текстом"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "pattern " << testing::PrintToString(std::wstring(c.pattern)));
    EXPECT_EQ(services::FormatTemplate(c.pattern, c.args), c.expected);
  }
  for (const wchar_t* bad : {L"50%", L"%x", L"%"}) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(bad)));
    ExpectFormattingError([bad] { services::FormatTemplate(bad, {FormatArg(1)}); });
  }
}

TEST(Catalogue, DeviceFailureIsCaughtAsCoded) {
  try {
    throw services::EHardwareEquipmentException(1007, L"Устройство не отвечает");
  } catch (const ECodedException& e) {
    EXPECT_EQ(e.Code(), 1007);
    EXPECT_EQ(e.Codes(), services::TCodeArray{1007});
    EXPECT_EQ(e.Message(), L"Устройство не отвечает");
    EXPECT_EQ(e.HelpContext(), 0);
  }
}

TEST(CatalogueEnglish, EnglishTemplatesAndTheUnknownText) {
  ASSERT_NE(GetUserDefaultUILanguage() & 0xFF, 0x19) << "this suite runs under an English UI";
  const CatalogueCase cases[] = {
      {0, L"Ok"},
      {1001, L"Unknown error"},
      {20042,
       L"Mistake of a configuration file: \r\n duplication of the description of a access "
       L"point ."},
      {20032,
       L"The device is not ready: - the computer [%s] is not included or with it there is no "
       L"communication. \r\n the possible reason - the established software (firewall) blocks "
       L"network connection."},
      {21011, L"Function \"%s\" is not supported by the current FR"},
      {21004, L"Incorrect type of parameter "},
      // A Russian template without an English one, and no entry at all.
      {20058, L"Unknown error (Code = 20058)!"},
      {1110, L"Unknown error (Code = 1110)!"},
      {20049, L"Unknown error (Code = 20049)!"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    EXPECT_EQ(services::CatalogueText(c.code), c.text);
  }
}

TEST(CatalogueEnglish, RaiseFillsTheEnglishTemplate) {
  ECodedException e = CaughtCoded([] { services::RaiseError(20001, {L"COM3"}); });
  EXPECT_EQ(e.Code(), 20001);
  EXPECT_EQ(e.Message(), L"The equipment not found [COM3].");

  // The finished unknown text has no placeholder, so no argument is needed.
  e = CaughtCoded([] { services::RaiseErrorCode(20058); });
  EXPECT_EQ(e.Message(), L"Unknown error (Code = 20058)!");

  e = CaughtCoded([] { services::RaiseError(1110, {L"Server link is down"}); });
  EXPECT_EQ(e.Code(), 1110);
  EXPECT_EQ(e.Message(), L"Server link is down");
}

}  // namespace
