// The error catalogue: code to message template, Russian from the string table, English here.
#include <windows.h>

#include <algorithm>
#include <iterator>

#include "framework/services/exceptions.h"
#include "framework/win/module.h"

namespace services {
namespace {

constexpr int32_t kUnknownCode = 1001;
constexpr LANGID kRussianPrimaryLanguage = 0x19;

struct EnglishTemplate {
  int32_t code;
  const wchar_t* text;
};

// Sorted by code; codes without an English template are absent. Trailing and doubled spaces
// are part of the texts that the equipment host shares.
constexpr EnglishTemplate kEnglish[] = {
  {0, L"Ok"},
  {74, L"TimeOut"},
  {201, L"The user has declined changing of settings values"},
  {1001, L"Unknown error"},
  {1002, L"Unknown method"},
  {1003, L"Method not supported."},
  {1004, L"Parameter mismatch"},
  {1005, L"Device list is empty"},
  {1006, L"Library not found"},
  {1007, L"Device no response"},
  {1008, L"Device not ready"},
  {3001, L"Paper over"},
  {3002, L"Need to make a Z-report"},
  {3003, L"Slip printing is not supported"},
  {20000, L"%s"},
  {20001, L"The equipment not found [%s]."},
  {20002, L"Invalid index."},
  {20003, L"Input data not defined."},
  {20004, L"The equipment not defined."},
  {20005, L"Invalid task state [%s] Action [%s]."},
  {20006, L"Executing timeout [%s]."},
  {20007, L"Waiting timeout [%s]."},
  {20008, L"Invalid params count."},
  {20009, L"The task not found [%s]."},
  {20010, L"The access point not found [%s]"},
  {20011, L"The equipment already used."},
  {20013, L"The server is already started ."},
  {20014, L"Bad data type."},
  {20020, L"The point of access with the specified parameters already exists ."},
  {20021, L"Mistake by a call of a method [%s]"},
  {20022, L"Mistake of a configuration - the global or local folder are not certain."},
  {20023, L"Mistake of structure of a configuration file %s"},
  {20024, L"The library of the equipment is not found [%s]"},
  {20025, L"The application is not found  [%s]"},
  {20026, L"Operation is canceled"},
  {20027, L"The model of the equipment is not found  [%s]"},
  {20028, L"Incorrect structure of parameter"},
  {20029, L"Incorrect type of property [%s]"},
  {20030, L"The equipment is switched off."},
  {20031, L"The equipment is blocked by other task."},
  {20032, L"The device is not ready: - the computer [%s] is not included or with it there is no communication. \r\n the possible reason - the established software (firewall) blocks network connection."},
  {20033, L"Access to the equipment is forbidden. The possible reason - is not found library of management by the equipment. \r\n The equipment : [%s]"},
  {20036, L"Method/property [%s] it is not revealed"},
  {20040, L"There is no access to the global folder."},
  {20041, L"Mistake of a configuration file:\r\nduplication of the description of the application."},
  {20042, L"Mistake of a configuration file: \r\n duplication of the description of a access point ."},
  {20043, L"Number of port is not specified."},
  {20045, L"The point of a call of the equipment is not specified ."},
  {20046, L"There is no communication with a server of synchronization."},
  {20047, L"It was not possible to load settings"},
  {20048, L"Incorrect value of parameter "},
  {20050, L"The workstation [%s] not fount."},
  {20051, L"Port [%s] is already used."},
  {20052, L"The device is marked in system as not now in use, references to it are blocked."},
  {20066, L"Property [%s] it is not revealed"},
  {21000, L"%s"},
  {21003, L"Incorrect quantity of parameters in SafeArray "},
  {21004, L"Incorrect type of parameter "},
  {21005, L"Incorrect value of parameter "},
  {21010, L"Mistake of reception of fiscal requisites."},
  {21011, L"Function \"%s\" is not supported by the current FR"},
};

// The Russian template from the module's string table; empty when the code has no entry.
std::wstring RussianTemplate(int32_t code) {
  if (code < 0 || code > 0xFFFF) return {};
  const wchar_t* text = nullptr;
  // With a zero buffer size LoadStringW hands out a pointer into the resource itself.
  int length = LoadStringW(win::ThisModule(), static_cast<UINT>(code),
                           reinterpret_cast<LPWSTR>(&text), 0);
  if (length <= 0 || text == nullptr) return {};
  return std::wstring(text, static_cast<size_t>(length));
}

const wchar_t* EnglishTemplateOf(int32_t code) {
  auto it = std::lower_bound(std::begin(kEnglish), std::end(kEnglish), code,
                             [](const EnglishTemplate& e, int32_t c) { return e.code < c; });
  return it != std::end(kEnglish) && it->code == code ? it->text : nullptr;
}

// Asked at every lookup, so a change of the user's language shows at the next error.
bool UserLanguageIsRussian() {
  return (GetUserDefaultUILanguage() & 0xFF) == kRussianPrimaryLanguage;
}

}  // namespace

std::wstring CatalogueText(int32_t code) {
  if (UserLanguageIsRussian()) {
    std::wstring russian = RussianTemplate(code);
    return russian.empty() ? RussianTemplate(kUnknownCode) : russian;
  }
  if (const wchar_t* english = EnglishTemplateOf(code)) return english;
  return L"Unknown error (Code = " + std::to_wstring(code) + L")!";
}

}  // namespace services
