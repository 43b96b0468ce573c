// The element and attribute name tables and the "ч"/"4" name rewrite.
#include "framework/config/xml_names.h"

#include <array>
#include <vector>

#include "framework/services/exceptions.h"

namespace config {

namespace {

// Positions are identifiers: each entry's Index equals its place, which the lookups check.
constexpr TTagItem kNodeNames[] = {
    {0, L"Параметр", L"ParamItem"},
    {1, L"Устройство", L"EquItem"},
    {2, L"Система", L"System"},
    {3, L"Решения", L"ProductList"},
    {4, L"Решение", L"Product"},
    {5, L"То4киДоступа", L"APList"},
    {6, L"То4каДоступа", L"APItem"},
    {7, L"КлассыОборудования", L"ModelList"},
    {8, L"КлассОборудования", L"ModelItem"},
    {9, L"Модель", L"Model"},
    {10, L"Параметры", L"ParamList"},
    {11, L"Оборудование", L"EquList"},
    {12, L"ColorItem", L"ColorItem"},
    {13, L"МодельИЭкземпляр", L"ModelAndEqu"},
    {14, L"/Система/Решения/Решение/То4киДоступа/То4каДоступа",
     L"/System/ProductList/Product/APList/APItem"},
    {15, L"./Параметры/Параметр", L"./ParamList/ParamItem"},
    {16, L"/Система/Оборудование/Устройство", L"/System/EquList/EquItem"},
    {17, L"/Система/КлассыОборудования/КлассОборудования", L"/System/ModelList/ModelItem"},
    {18, L"//Параметры/Параметр", L"//ParamList/ParamItem"},
    {19, L"/Система/КлассыОборудования/КлассОборудования/Модель",
     L"/System/ModelList/ModelItem/Model"},
    {20, L"/Система", L"/System"},
    {21, L"/Система/Оборудование/Устройство/Параметры/Параметр",
     L"/System/EquList/EquItem/ParamList/ParamItem"},
    {22, L"/Система/Оборудование", L"/System/EquList"},
    {23, L"/Система/КлассыОборудования", L"/System/ModelList"},
    {24, L"./То4киДоступа/То4каДоступа", L"./APList/APItem"},
    {25, L"/Система/Решения/Решение", L"/System/ProductList/Product"},
    {26, L"/Система/Решения", L"/System/ProductList"},
    {27, L"//Модель", L"//Model"},
    {28, L"//Устройство", L"//EquItem"},
    {29, L"/Система/КлассыОборудования/КлассОборудования%s/Модель",
     L"/System/ModelList/ModelItem%s/Model"},
    {30, L"/Система/Решения/Решение%s/То4киДоступа/То4каДоступа",
     L"/System/ProductList/Product%s/APList/APItem"},
    {31, L"Author", L"Author"},
    {32, L"/Система/Author", L"/System/Author"},
    {33, L"/Система/Решения/Решение/То4киДоступа", L"/System/ProductList/Product/APList"},
};

constexpr TTagItem kAttrNames[] = {
    {100, L"Код", L"Id"},
    {101, L"Идентификатор", L"Identif"},
    {102, L"Зна4ение", L"Value"},
    {103, L"Наименование", L"Name"},
    {104, L"Тип", L"Type"},
    {105, L"ФлагТолько4тение", L"ReadOnly"},
    {106, L"Зна4ениеПоУмол4анию", L"Default"},
    {107, L"Описание", L"Hint"},
    {108, L"Версия", L"Ver"},
    {109, L"КодМодели", L"ModelId"},
    {110, L"КодТо4киДоступа", L"APId"},
    {111, L"Порт", L"Port"},
    {112, L"ОбщийКаталог", L"CF"},
    {113, L"СерверСинхронизации", L"Server"},
    {114, L"ИмяМодуля", L"Module"},
    {115, L"Состояние", L"State"},
    {116, L"Компьютер", L"Comp"},
    {117, L"", L"reserved"},
    {118, L"Библиотека", L"Plu"},
    {119, L"ИспользуетHB", L"UseHB"},
    {120, L"ВерсияPLU", L"PluVer"},
    {121, L"Релиз", L"Release"},
    {122, L"-", L"-"},
    {123, L"ColorForm", L"ColorForm"},
    {124, L"ColorBody", L"ColorBody"},
    {125, L"ColorButton", L"ColorButton"},
    {126, L"ColorEdit", L"ColorEdit"},
    {127, L"ColorBorder", L"ColorBorder"},
    {128, L"ColorFont", L"ColorFont"},
    {129, L"-", L"-"},
    {130, L"Preference", L"Preference"},
};

static_assert(std::size(kNodeNames) == kLastNodeName - kFirstNodeName + 1);
static_assert(std::size(kAttrNames) == kLastAttrName - kFirstAttrName + 1);

// The Russian names as std::wstring, built once so lookups hand out references.
template <size_t N>
std::vector<std::wstring> RusNames(const TTagItem (&table)[N]) {
  std::vector<std::wstring> names;
  names.reserve(N);
  for (const TTagItem& item : table) names.emplace_back(item.RusName);
  return names;
}

const std::vector<std::wstring>& NodeRusNames() {
  static const std::vector<std::wstring> names = RusNames(kNodeNames);
  return names;
}

const std::vector<std::wstring>& AttrRusNames() {
  static const std::vector<std::wstring> names = RusNames(kAttrNames);
  return names;
}

struct SpellingPair {
  const wchar_t* with_letter;
  const wchar_t* with_digit;
};

// Each fragment carries its "<", ">", blank or "=" so that it matches a name, not ordinary
// text; applied in this order, each over the whole text.
constexpr SpellingPair kSpellings[] = {
    {L"ТочкиДоступа>", L"То4киДоступа>"},
    {L"<ТочкаДоступа", L"<То4каДоступа"},
    {L" ФлагТолькоЧтение=", L" ФлагТолько4тение="},
    {L" ЗначениеПоУмолчанию=", L" Зна4ениеПоУмол4анию="},
    {L" КодТочкиДоступа=", L" КодТо4киДоступа="},
    {L" Значение=", L" Зна4ение="},
};

// Every non-overlapping occurrence, left to right, letters compared exactly: the rewrite
// matches names spelt exactly so.
void ReplaceEvery(std::wstring& text, std::wstring_view from, std::wstring_view to) {
  std::wstring result;
  size_t start = 0;
  for (size_t at = text.find(from); at != std::wstring::npos; at = text.find(from, start)) {
    result.append(text, start, at - start);
    result.append(to);
    start = at + from.size();
  }
  if (start == 0) return;
  result.append(text, start, std::wstring::npos);
  text = std::move(result);
}

}  // namespace

const TTagItem& NodeTagItem(int index) {
  if (index < kFirstNodeName || index > kLastNodeName)
    services::RaiseText(L"Индекс имени узла за пределами границы.");
  const TTagItem& item = kNodeNames[index - kFirstNodeName];
  if (item.Index != index) services::RaiseText(L"Нарушение индекса списка имени узлов");
  return item;
}

const TTagItem& AttrTagItem(int index) {
  if (index < kFirstAttrName || index > kLastAttrName)
    services::RaiseText(L"Индекс имени аттрибута за пределами границы.");
  const TTagItem& item = kAttrNames[index - kFirstAttrName];
  if (item.Index != index) services::RaiseText(L"Нарушение индекса списка имени аттрибутов");
  return item;
}

const std::wstring& NodeName(int index) {
  NodeTagItem(index);
  return NodeRusNames()[index - kFirstNodeName];
}

const std::wstring& AttrName(int index) {
  AttrTagItem(index);
  return AttrRusNames()[index - kFirstAttrName];
}

const std::wstring& XmlDeclarationText() {
  static const std::wstring text = L"version=\"1.0\" encoding=\"UTF-16\"";
  return text;
}

std::wstring ConvertNameSpelling(std::wstring_view text, int direction) {
  std::wstring result(text);
  for (const SpellingPair& pair : kSpellings) {
    const wchar_t* from = direction == 0 ? pair.with_letter : pair.with_digit;
    const wchar_t* to = direction == 0 ? pair.with_digit : pair.with_letter;
    ReplaceEvery(result, from, to);
  }
  return result;
}

}  // namespace config
