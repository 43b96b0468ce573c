// The two fixed name tables through which every reader and writer names its elements, paths
// and attributes, and the rewrite of the names spelt with the digit "4".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace config {

struct TTagItem {
  int32_t Index;
  const wchar_t* RusName;
  const wchar_t* EngName;  // carried for completeness; nothing reads it
};

// Element names and paths, indices 0..33; attribute names, indices 100..130.
constexpr int kFirstNodeName = 0;
constexpr int kLastNodeName = 33;
constexpr int kFirstAttrName = 100;
constexpr int kLastAttrName = 130;

// Indices used by name across the configuration code.
enum NodeIndex : int {
  kNodeParam = 0,            // "Параметр"
  kNodeDevice = 1,           // "Устройство"
  kNodeSystem = 2,           // "Система"
  kNodeModel = 9,            // "Модель"
  kNodeParams = 10,          // "Параметры"
  kNodeEquipment = 11,       // "Оборудование"
  kNodeColorItem = 12,       // "ColorItem"
  kPathModelParams = 15,     // "./Параметры/Параметр"
  kPathDevices = 16,         // "/Система/Оборудование/Устройство"
  kPathAnyParams = 18,       // "//Параметры/Параметр"
  kPathClassModels = 19,     // "/Система/КлассыОборудования/КлассОборудования/Модель"
  kPathAnyModel = 27,        // "//Модель"
  kPathAnyDevice = 28,       // "//Устройство"
  kPathFilteredModels = 29,  // ".../КлассОборудования%s/Модель"
};

enum AttrIndex : int {
  kAttrCode = 100,          // "Код"
  kAttrIdentifier = 101,    // "Идентификатор"
  kAttrValue = 102,         // "Зна4ение"
  kAttrName = 103,          // "Наименование"
  kAttrType = 104,          // "Тип"
  kAttrReadOnly = 105,      // "ФлагТолько4тение"
  kAttrDefault = 106,       // "Зна4ениеПоУмол4анию"
  kAttrHint = 107,          // "Описание"
  kAttrVersion = 108,       // "Версия"
  kAttrModelCode = 109,     // "КодМодели"
  kAttrAccessPoint = 110,   // "КодТо4киДоступа"
  kAttrState = 115,         // "Состояние"
  kAttrLibrary = 118,       // "Библиотека"
  kAttrUsesHB = 119,        // "ИспользуетHB"
  kAttrPluVersion = 120,    // "ВерсияPLU"
  kAttrRelease = 121,       // "Релиз"
  kAttrClassIdKey = 122,    // no attribute: filter key for the class element's identifier
  kAttrColorForm = 123,
  kAttrColorBody = 124,
  kAttrColorButton = 125,
  kAttrColorEdit = 126,
  kAttrColorBorder = 127,
  kAttrColorFont = 128,
  kAttrClassCodeKey = 129,  // no attribute: filter key for the class element's code
};

// The Russian name of a table entry; an index outside the table or an entry out of place
// raises error 20000 with the table's own text.
const std::wstring& NodeName(int index);
const std::wstring& AttrName(int index);
// The whole entries, for tests and diagnostics.
const TTagItem& NodeTagItem(int index);
const TTagItem& AttrTagItem(int index);

// "version=\"1.0\" encoding=\"UTF-16\"": the declaration every written document carries.
const std::wstring& XmlDeclarationText();

// Rewrites the six names spelt with "ч" (direction 0: to the digit "4"; direction 1: back)
// in a raw document text, fragments with their "<", ">", blank and "=" included.
std::wstring ConvertNameSpelling(std::wstring_view text, int direction);

}  // namespace config
