// DOM documents and nodes through late-bound calls, queries through the name tables.
#include "framework/config/xml_document.h"

#include <objbase.h>

#include <climits>

#include "framework/config/xml_names.h"
#include "framework/services/exceptions.h"
#include "framework/win/hresult_error.h"
#include "framework/win/scoped_bstr.h"
#include "framework/win/scoped_variant.h"

namespace config {

namespace {

constexpr int kConfigurationStructureError = 20023;

// Instantiates the automation class of a program identifier; false with the failure when
// the class is not there or refuses.
HRESULT CreateByProgId(const wchar_t* prog_id, win::ComPtr<IDispatch>& object) {
  CLSID clsid;
  HRESULT hr = CLSIDFromProgID(prog_id, &clsid);
  if (FAILED(hr)) return hr;
  return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                          IID_IDispatch, object.PutVoid());
}

std::wstring TextOf(const win::ScopedVariant& value) {
  if (value.Type() == VT_BSTR) return win::BstrText(value.Get().bstrVal);
  if (value.Type() == VT_EMPTY || value.Type() == VT_NULL) return std::wstring();
  win::ScopedVariant text;
  HRESULT hr = VariantChangeTypeEx(text.Put(), const_cast<VARIANT*>(&value.Get()), 0x0419, 0,
                                   VT_BSTR);
  if (FAILED(hr)) win::ThrowHresult(hr, L"VariantChangeType");
  return win::BstrText(text.Get().bstrVal);
}

LONG IntegerOf(const win::ScopedVariant& value) {
  if (value.Type() == VT_I4) return value.Get().lVal;
  win::ScopedVariant number;
  HRESULT hr = VariantChangeTypeEx(number.Put(), const_cast<VARIANT*>(&value.Get()), 0x0419, 0,
                                   VT_I4);
  if (FAILED(hr)) win::ThrowHresult(hr, L"VariantChangeType");
  return number.Get().lVal;
}

std::wstring Trimmed(std::wstring text) {
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' '))
    text.pop_back();
  return text;
}

}  // namespace

XmlNode CreateXmlDocument() {
  win::ComPtr<IDispatch> object;
  if (FAILED(CreateByProgId(L"Msxml2.DOMDocument", object))) {
    HRESULT hr = CreateByProgId(L"MSXML.DOMDocument", object);
    if (FAILED(hr)) win::ThrowHresult(hr, L"MSXML.DOMDocument");
  }
  XmlNode document(std::move(object));
  win::ScopedBstr name(L"SelectionLanguage");
  win::ScopedBstr language(L"XPath");
  document.Call(L"setProperty", {win::ArgText(name.Get()), win::ArgText(language.Get())});
  return document;
}

XmlNode NewXmlDocument(std::wstring_view root_name, std::wstring_view declaration) {
  XmlNode document = CreateXmlDocument();
  if (!declaration.empty()) {
    win::ScopedBstr target(L"xml");
    win::ScopedBstr data(declaration);
    win::ScopedVariant instruction = document.Call(
        L"createProcessingInstruction", {win::ArgText(target.Get()), win::ArgText(data.Get())});
    // The document element is still absent, so the instruction becomes the first child.
    win::ScopedVariant before = document.GetProperty(L"documentElement");
    document.Call(L"insertBefore", {instruction.Get(), before.Get()});
  }
  if (!root_name.empty()) {
    win::ScopedBstr name(root_name);
    win::ScopedVariant root = document.Call(L"createElement", {win::ArgText(name.Get())});
    document.Invoke(L"documentElement", DISPATCH_PROPERTYPUTREF, {root.Get()});
  }
  document.PutProperty(L"async", win::ArgBool(false));
  return document;
}

void LoadXmlText(XmlNode& document, std::wstring_view text) {
  win::ScopedBstr source(text);
  win::ScopedVariant loaded = document.Call(L"loadXML", {win::ArgText(source.Get())});
  document.PutProperty(L"async", win::ArgBool(false));
  if (loaded.Type() == VT_BOOL && loaded.Get().boolVal != VARIANT_FALSE) return;
  // The component does not throw on a malformed text: it leaves an empty document and a
  // parse error object. Reading on would report a missing element, or nothing at all.
  XmlNode error = document.GetObject(L"parseError");
  std::wstring reason;
  LONG line = 0;
  LONG column = 0;
  if (error) {
    reason = Trimmed(TextOf(error.GetProperty(L"reason")));
    line = IntegerOf(error.GetProperty(L"line"));
    column = IntegerOf(error.GetProperty(L"linepos"));
  }
  if (reason.empty()) reason = L"loadXML";
  std::wstring detail;
  if (text.empty()) {
    detail = L"пустой текст";
  } else if (line > 0) {
    detail = L"строка " + std::to_wstring(line) + L", позиция " + std::to_wstring(column) +
             L": " + reason;
  } else {
    // Some components (Wine's) give neither a position nor a real reason; the beginning of
    // the text at least tells which document was refused.
    constexpr size_t kExcerpt = 60;
    std::wstring excerpt(text.substr(0, kExcerpt));
    for (wchar_t& c : excerpt)
      if (c == L'\r' || c == L'\n') c = L' ';
    detail = reason + L": текст не разобран как документ XML: \u00AB" + excerpt +
             (text.size() > kExcerpt ? L"...\u00BB" : L"\u00BB");
  }
  services::RaiseError(kConfigurationStructureError, {L"(" + detail + L")"});
}

XmlNode ParseXmlText(std::wstring_view text) {
  XmlNode document = CreateXmlDocument();
  LoadXmlText(document, text);
  return document;
}

XmlNode CreateNodeElement(XmlNode& document, int index) {
  win::ScopedBstr name(NodeName(index));
  return document.CallObject(L"createElement", {win::ArgText(name.Get())});
}

std::wstring DomQuery(std::wstring_view query) {
  if (query.size() < 2 || query[0] != L'/' || query[1] == L'/') return std::wstring(query);
  if (query.substr(1).starts_with(L"child::")) return std::wstring(query);
  return L"/child::" + std::wstring(query.substr(1));
}

XmlNode SelectNodes(XmlNode& context, std::wstring_view query) {
  win::ScopedBstr text(DomQuery(query));
  return context.CallObject(L"selectNodes", {win::ArgText(text.Get())});
}

XmlNode SelectSingleNode(XmlNode& context, std::wstring_view query) {
  win::ScopedBstr text(DomQuery(query));
  return context.CallObject(L"selectSingleNode", {win::ArgText(text.Get())});
}

XmlNode SelectNodesByTag(XmlNode& context, int index, std::wstring_view suffix,
                         std::wstring_view format_argument) {
  std::wstring query = NodeName(index);
  // The entries carry at most one placeholder; the argument is put in, never re-read.
  size_t at = query.find(L"%s");
  if (at != std::wstring::npos) query.replace(at, 2, format_argument);
  query += suffix;
  return SelectNodes(context, query);
}

XmlNode SelectSingleNodeByTag(XmlNode& context, int index, std::wstring_view suffix) {
  return SelectSingleNode(context, NodeName(index) + std::wstring(suffix));
}

std::vector<XmlNode> NodeListItems(XmlNode& list) {
  std::vector<XmlNode> nodes;
  if (!list) return nodes;
  LONG count = IntegerOf(list.GetProperty(L"length"));
  nodes.reserve(count > 0 ? count : 0);
  for (LONG i = 0; i < count; ++i) nodes.push_back(list.GetObject(L"item", {win::ArgInt(i)}));
  return nodes;
}

void SetAttributesByTag(XmlNode& element, std::span<const int> indices,
                        std::span<const VARIANT> values) {
  if (indices.size() != values.size())
    services::RaiseText(L"Размерности массивов аттрибутов и значений не совпадают");
  for (size_t i = 0; i < indices.size(); ++i) {
    win::ScopedBstr name(AttrName(indices[i]));
    element.Call(L"setAttribute", {win::ArgText(name.Get()), values[i]});
  }
}

void SetAttributeText(XmlNode& element, std::wstring_view name, std::wstring_view value) {
  win::ScopedBstr n(name);
  win::ScopedBstr v(value);
  element.Call(L"setAttribute", {win::ArgText(n.Get()), win::ArgText(v.Get())});
}

std::wstring GetAttributeByName(XmlNode& node, std::wstring_view name,
                                std::wstring_view default_text) {
  if (!node) return std::wstring(default_text);
  win::ScopedBstr n(name);
  win::ScopedVariant value = node.Call(L"getAttribute", {win::ArgText(n.Get())});
  // An absent attribute comes back as null.
  if (value.Type() == VT_NULL || value.Type() == VT_EMPTY) return std::wstring(default_text);
  return TextOf(value);
}

std::wstring GetAttributeByTag(XmlNode& node, int index, std::wstring_view default_text) {
  if (!node) return std::wstring(default_text);
  return GetAttributeByName(node, AttrName(index), default_text);
}

bool TextToInteger(std::wstring_view text, int32_t& value) {
  size_t i = 0;
  while (i < text.size() && text[i] == L' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
  // The platform's integer reading also takes "$" and "0x" for hexadecimal digits.
  int base = 10;
  if (i < text.size() && text[i] == L'$') {
    base = 16;
    ++i;
  } else if (i + 1 < text.size() && text[i] == L'0' && (text[i + 1] == L'x' || text[i + 1] == L'X')) {
    base = 16;
    i += 2;
  }
  if (i == text.size()) return false;
  long long number = 0;
  for (; i < text.size(); ++i) {
    wchar_t c = text[i];
    int digit;
    if (c >= L'0' && c <= L'9')
      digit = c - L'0';
    else if (base == 16 && c >= L'a' && c <= L'f')
      digit = c - L'a' + 10;
    else if (base == 16 && c >= L'A' && c <= L'F')
      digit = c - L'A' + 10;
    else
      return false;
    number = number * base + digit;
    if (number > 0xFFFFFFFFLL) return false;
  }
  if (base == 16) {
    // Hexadecimal texts name the 32 bits, as colour values do.
    value = static_cast<int32_t>(static_cast<uint32_t>(number));
    if (negative) value = -value;
    return true;
  }
  if (negative) number = -number;
  if (number > INT_MAX || number < INT_MIN) return false;
  value = static_cast<int32_t>(number);
  return true;
}

int32_t GetAttributeInteger(XmlNode& node, int index, int32_t default_value) {
  int32_t value = default_value;
  if (!TextToInteger(GetAttributeByTag(node, index, L""), value)) return default_value;
  return value;
}

std::wstring XmlNodeName(XmlNode& node) { return TextOf(node.GetProperty(L"nodeName")); }

XmlNode DocumentElement(XmlNode& document) { return document.GetObject(L"documentElement"); }

std::wstring XmlText(XmlNode& node) { return TextOf(node.GetProperty(L"xml")); }

void AppendChild(XmlNode& parent, XmlNode& child) {
  parent.Call(L"appendChild", {win::ArgDispatch(child.Get())});
}

}  // namespace config
