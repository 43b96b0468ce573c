// Filter predicates, modified state and item state of the description lists.
#include "framework/config/base_list.h"

#include "framework/config/xml_names.h"
#include "framework/services/exceptions.h"
#include "framework/win/text.h"

namespace config {

namespace {

// Both alphabets list "Ы" before "Ъ"; they correspond letter by letter, which is all that
// translate needs for a comparison that ignores the case of Russian and Latin letters.
constexpr wchar_t kUpperAlphabet[] =
    L"АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЫЪЬЭЮЯABCDEFGHIJKLMNOPQRSTUVWXYZ";
constexpr wchar_t kLowerAlphabet[] =
    L"абвгдеёжзийклмнопрстуфхцчшщыъьэюяabcdefghijklmnopqrstuvwxyz";

std::wstring Term(std::wstring_view attribute, std::wstring_view op, std::wstring_view value) {
  std::wstring term = L"(translate(@";
  term += attribute;
  term += L",\"";
  term += kUpperAlphabet;
  term += L"\",\"";
  term += kLowerAlphabet;
  term += L"\")";
  term += op;
  term += L"\"";
  term += value;
  term += L"\")";
  return term;
}

std::wstring Lowered(std::wstring text) {
  if (!text.empty()) CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
  return text;
}

// The value inside a double-quoted XPath literal. A literal cannot hold its own quote, so
// a quote becomes the entity text (the query stays valid and such a value matches nothing);
// "&" needs nothing in XPath and is kept, so that a value holding it still matches.
std::wstring FilterLiteral(std::wstring_view value) {
  std::wstring literal;
  for (wchar_t c : value) {
    if (c == L'"')
      literal += L"&quot;";
    else
      literal += c;
  }
  return literal;
}

std::wstring Enclosed(const std::vector<std::wstring>& terms) {
  if (terms.empty()) return std::wstring();
  std::wstring predicate = L"[";
  for (size_t i = 0; i < terms.size(); ++i) {
    if (i) predicate += L" and ";
    predicate += terms[i];
  }
  return predicate + L"]";
}

bool SameAnsiText(std::wstring_view a, std::wstring_view b, bool ignore_case) {
  std::string left = win::WideToAnsi(a);
  std::string right = win::WideToAnsi(b);
  return CompareStringA(LOCALE_USER_DEFAULT, ignore_case ? NORM_IGNORECASE : 0, left.data(),
                        static_cast<int>(left.size()), right.data(),
                        static_cast<int>(right.size())) == CSTR_EQUAL;
}

}  // namespace

TBaseItem::TBaseItem(TBaseList& owner) : CollectionItem(&owner), OwnerList(&owner) {
  TBaseList* list = &owner;
  OnChange = [list] { list->Changed(); };
}

void TBaseItem::SetModified(bool value) {
  if (value != Modified) {
    Modified = value;
    if (OnChange) OnChange();
  }
  if (!value && Children) Children->ClearModified();
}

void TBaseItem::LoadChildren() {
  services::RaiseText(L"Чтение вложенных элементов не предусмотрено");
}

bool TBaseItem::IsModified() const { return Modified || (Children && Children->IsModified()); }

bool TBaseItem::SetItemState(int32_t state) {
  if (state != State) {
    State = state;
    SetModified(true);
    if (state == 1 && Version == -1) {
      delete this;  // the destructor takes the item out of its list
      return false;
    }
  }
  if (State == 1 && Children && Children->Count() > 0) {
    Children->Clear();
    SetModified(true);
  }
  return true;
}

void TBaseItem::AfterSet(bool changed) { SetModified(changed ? true : IsModified()); }

void TBaseItem::SetTextField(std::wstring& field, std::wstring_view value, bool ignore_case) {
  bool changed = !SameAnsiText(field, value, ignore_case);
  field.assign(value);
  AfterSet(changed);
}

void TBaseItem::SetNumberField(int32_t& field, int32_t value) {
  bool changed = field != value;
  field = value;
  AfterSet(changed);
}

TBaseList::TBaseList(ItemFactory factory, const VARIANT& document) : Collection(std::move(factory)) {
  SetDocument(document);
}

TBaseList::TBaseList(TBaseList* parent, XmlNode document, ItemFactory factory)
    : Collection(std::move(factory)), ParentList(parent), Document(std::move(document)) {}

TBaseList::~TBaseList() {
  // Items notify nobody while the list goes.
  OnChange = nullptr;
  Clear();
}

void TBaseList::SetDocument(const VARIANT& document) {
  const VARIANT* v = &document;
  if (v->vt == (VT_VARIANT | VT_BYREF) && v->pvarVal) v = v->pvarVal;
  if (v->vt == VT_BSTR || v->vt == (VT_BSTR | VT_BYREF)) {
    BSTR text = v->vt == VT_BSTR ? v->bstrVal : (v->pbstrVal ? *v->pbstrVal : nullptr);
    Document = ParseXmlText(std::wstring_view(text ? text : L"", SysStringLen(text)));
    return;
  }
  const VARTYPE plain = v->vt & ~VT_BYREF;
  if ((plain == VT_DISPATCH || plain == VT_UNKNOWN) &&
      (v->vt & VT_BYREF ? v->ppunkVal && *v->ppunkVal : v->punkVal != nullptr)) {
    Document = XmlNode::FromVariant(*v);
    return;
  }
  Document = XmlNode();
}

void TBaseList::SetFilter(std::span<const int> indices, std::span<const std::wstring> values) {
  if (indices.size() != values.size())
    services::RaiseText(L"Размерности массивов аттрибутов и значений не совпадают");
  for (size_t i = 0; i < indices.size(); ++i) {
    const std::wstring& value = values[i];
    if (value.empty() || value == L"*") continue;
    std::wstring key;
    if (indices[i] == 122)
      key = L"_101";
    else if (indices[i] == 129)
      key = L"_100";
    else
      key = std::to_wstring(indices[i]);
    std::wstring literal = FilterLiteral(value);
    bool replaced = false;
    for (auto& entry : Filter) {
      if (entry.first == key) {
        entry.second = literal;
        replaced = true;
        break;
      }
    }
    if (!replaced) Filter.emplace_back(std::move(key), std::move(literal));
  }
}

std::pair<std::wstring, std::wstring> TBaseList::BuildPredicates() const {
  std::vector<std::wstring> model_terms;
  std::vector<std::wstring> class_terms;
  for (const auto& [key, value] : Filter) {
    if (!key.empty() && key[0] == L'_') {
      class_terms.push_back(Term(AttrName(std::stoi(key.substr(1))), L"=", Lowered(value)));
    } else if (key == L"115") {
      // "0" asks for models not deleted; any other state for models not in use.
      model_terms.push_back(Term(AttrName(115), L"!=", value == L"0" ? L"1" : L"0"));
    } else {
      model_terms.push_back(Term(AttrName(std::stoi(key)), L"=", Lowered(value)));
    }
  }
  return {Enclosed(model_terms), Enclosed(class_terms)};
}

bool TBaseList::IsModified() const {
  if (Modified) return true;
  for (int i = 0; i < Count(); ++i)
    if (BaseItem(i)->IsModified()) return true;
  return false;
}

void TBaseList::ClearModified() {
  for (int i = 0; i < Count(); ++i) BaseItem(i)->SetModified(false);
  if (Modified) {
    Modified = false;
    Changed();
  }
}

void TBaseList::Changed() {
  if (OnChange) OnChange(*this);
}

void TBaseList::Notify(CollectionItem* item, Notification action) {
  if (action == Notification::kDeleting && !Modified) {
    Modified = true;
    Changed();
  }
}

}  // namespace config
