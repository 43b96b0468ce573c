// Reading and writing the configuration documents through the XML helpers.
#include "framework/config/documents.h"
#include "framework/config/name_compare.h"
#include "framework/config/prop_item.h"
#include "framework/config/utilities.h"

#include "framework/config/global_id.h"
#include "framework/config/xml_names.h"
#include "framework/win/scoped_bstr.h"
#include "framework/win/scoped_variant.h"

namespace config {

namespace {

constexpr size_t kHintLimit = 255;

const VARIANT& Unwrapped(const VARIANT& value) {
  if (value.vt == (VT_VARIANT | VT_BYREF) && value.pvarVal) return *value.pvarVal;
  return value;
}

// The text of an automation text value (by reference or not); none for anything else.
std::optional<std::wstring> TextValue(const VARIANT& value) {
  const VARIANT& v = Unwrapped(value);
  if (v.vt == VT_BSTR) return win::BstrText(v.bstrVal);
  if (v.vt == (VT_BSTR | VT_BYREF)) return win::BstrText(v.pbstrVal ? *v.pbstrVal : nullptr);
  return std::nullopt;
}

bool IsDispatchValue(const VARIANT& value) {
  return (Unwrapped(value).vt & ~VT_BYREF) == VT_DISPATCH;
}

// Multi-line texts are stored on one line: CR LF becomes backslash and "n".
std::wstring StoredForm(std::wstring_view text) { return EscapeText(text, true); }

// Elements named so (anywhere in the scope) with child nodes.
bool HasElementWithChildren(XmlNode& scope, std::wstring_view name) {
  win::ScopedBstr tag(name);
  XmlNode list = scope.CallObject(L"getElementsByTagName", {win::ArgText(tag.Get())});
  for (XmlNode& element : NodeListItems(list)) {
    XmlNode children = element.GetObject(L"childNodes");
    if (children && NodeListItems(children).size() > 0) return true;
  }
  return false;
}

NameValueList ReadPairs(XmlNode& context, std::wstring_view query, std::wstring_view name_attribute,
                        std::wstring_view value_attribute) {
  NameValueList pairs;
  XmlNode list = SelectNodes(context, query);
  for (XmlNode& element : NodeListItems(list)) {
    PutNameValue(pairs, GetAttributeByName(element, name_attribute, L""),
                 GetAttributeByName(element, value_attribute, L""));
  }
  return pairs;
}

win::ScopedVariant Text(std::wstring_view text) { return win::ScopedVariant::FromText(text); }

void AppendParameter(XmlNode& document, XmlNode& parent, const ParameterDescription& p,
                     const VARIANT& read_only) {
  XmlNode element = CreateNodeElement(document, kNodeParam);
  win::ScopedVariant name = Text(p.name), caption = Text(p.caption),
                     type = Text(HostTypeText(p.type)), def = Text(p.default_value),
                     hint = Text(StoredForm(p.hint));
  const int indices[] = {kAttrIdentifier, kAttrName, kAttrType, kAttrReadOnly, kAttrDefault,
                         kAttrHint};
  const VARIANT values[] = {name.Get(), caption.Get(), type.Get(), read_only, def.Get(),
                            hint.Get()};
  SetAttributesByTag(element, indices, values);
  AppendChild(parent, element);
}

}  // namespace

void PutNameValue(NameValueList& list, std::wstring_view name, std::wstring_view value) {
  for (auto& entry : list) {
    if (entry.first == name) {
      entry.second.assign(value);
      return;
    }
  }
  list.emplace_back(std::wstring(name), std::wstring(value));
}

std::wstring PrepareDocumentText(std::wstring_view text, TextPreparation preparation) {
  std::wstring prepared(text);
  if (preparation == TextPreparation::kRemoveLineBreaksAndRewrite)
    prepared = ReplaceAll(prepared, L"\r\n", L"", true);
  if (preparation != TextPreparation::kNone) prepared = ConvertNameSpelling(prepared, 0);
  return prepared;
}

std::optional<DocumentInput> OpenDocumentInput(const VARIANT& value, TextPreparation preparation) {
  if (std::optional<std::wstring> text = TextValue(value)) {
    DocumentInput input;
    input.document = ParseXmlText(PrepareDocumentText(*text, preparation));
    input.start = DocumentElement(input.document);
    return input;
  }
  if (IsDispatchValue(value)) {
    const VARIANT& v = Unwrapped(value);
    if (!(v.vt & VT_BYREF ? v.ppdispVal && *v.ppdispVal : v.pdispVal != nullptr))
      return std::nullopt;
    DocumentInput input;
    input.document = XmlNode::FromVariant(v);
    input.start = input.document;
    return input;
  }
  return std::nullopt;
}

DeviceDocumentForm ReadDevice(XmlNode& scope, XmlNode start, DeviceDocumentTarget& target) {
  XmlNode device = std::move(start);
  if (!device || !SameName(XmlNodeName(device), NodeName(kNodeDevice))) {
    device = SelectSingleNodeByTag(scope, kPathAnyDevice, L"");
    if (!device) return DeviceDocumentForm::kNotFound;
  }

  if (HasElementWithChildren(scope, L"ComPort") || HasElementWithChildren(scope, L"Дополнительно")) {
    target.DeviceIdRead(GlobalIdFromText(GetAttributeByTag(device, kAttrCode, L"")));
    target.DeviceNameRead(GetAttributeByTag(device, kAttrHint, L""));
    // The "//" paths run from the document root, whatever element the read started at.
    target.PortSettingsRead(
        ReadPairs(scope, L"//Параметры/ComPort/Item", L"Имя", AttrName(kAttrValue)));
    target.ParametersRead(
        ReadPairs(scope, L"//Параметры/Дополнительно/Item", L"Имя", AttrName(kAttrValue)));
    return DeviceDocumentForm::kItem;
  }

  target.DeviceIdRead(GlobalIdFromText(GetAttributeByTag(device, kAttrCode, L"")));
  target.DeviceNameRead(GetAttributeByTag(device, kAttrName, L""));
  GUID model_code = GlobalIdFromText(GetAttributeByTag(device, kAttrModelCode, L""));
  target.ModelCodeRead(model_code);
  NameValueList parameters =
      ReadPairs(device, NodeName(kPathModelParams), AttrName(kAttrIdentifier), AttrName(kAttrValue));
  target.PortSettingsRead(parameters);
  target.ParametersRead(parameters);
  target.ModelDescriptionsDue(model_code);
  return DeviceDocumentForm::kCurrent;
}

DeviceDocumentForm ReadDeviceDocument(const VARIANT& document, DeviceDocumentTarget& target) {
  std::optional<DocumentInput> input =
      OpenDocumentInput(document, TextPreparation::kRemoveLineBreaksAndRewrite);
  if (!input) return DeviceDocumentForm::kNotFound;
  return ReadDevice(input->document, input->start, target);
}

bool ReadDeviceListDocument(const VARIANT& document, DeviceListTarget& target) {
  std::optional<DocumentInput> input =
      OpenDocumentInput(document, TextPreparation::kRemoveLineBreaksAndRewrite);
  if (!input) return false;
  target.DevicesReadStarting();
  XmlNode list = SelectNodesByTag(input->document, kPathAnyDevice, L"", L"");
  for (XmlNode& element : NodeListItems(list)) {
    GUID code = GlobalIdFromText(GetAttributeByTag(element, kAttrCode, L""));
    ReadDevice(element, element, target.DeviceFor(code));
  }
  return true;
}

XmlNode WriteDeviceDocument(const GUID& id, const GUID& model_code, std::wstring_view name,
                            const NameValueList& parameters) {
  XmlNode document = NewXmlDocument(NodeName(kNodeDevice), XmlDeclarationText());
  XmlNode root = DocumentElement(document);
  win::ScopedVariant code = Text(GlobalIdToText(id)), model = Text(GlobalIdToText(model_code)),
                     device_name = Text(name), access_point = Text(L"");
  const int indices[] = {kAttrCode, kAttrModelCode, kAttrName, kAttrAccessPoint};
  const VARIANT values[] = {code.Get(), model.Get(), device_name.Get(), access_point.Get()};
  SetAttributesByTag(root, indices, values);

  XmlNode list = CreateNodeElement(document, kNodeParams);
  for (const auto& [parameter, value] : parameters) {
    XmlNode element = CreateNodeElement(document, kNodeParam);
    win::ScopedVariant n = Text(parameter), v = Text(value);
    const int pair[] = {kAttrIdentifier, kAttrValue};
    const VARIANT pair_values[] = {n.Get(), v.Get()};
    SetAttributesByTag(element, pair, pair_values);
    AppendChild(list, element);
  }
  AppendChild(root, list);
  return document;
}

XmlNode WriteDeviceListDocument(std::span<XmlNode> device_documents) {
  XmlNode document = NewXmlDocument(L"EquList", XmlDeclarationText());
  XmlNode root = DocumentElement(document);
  for (XmlNode& device : device_documents) {
    XmlNode element = DocumentElement(device);
    if (!element) continue;
    XmlNode copy = element.CallObject(L"cloneNode", {win::ArgBool(true)});
    AppendChild(root, copy);
  }
  return document;
}

XmlNode WriteModelParametersDocument(std::span<const ParameterDescription> parameters) {
  XmlNode document = NewXmlDocument(NodeName(kNodeModel), XmlDeclarationText());
  XmlNode root = DocumentElement(document);
  XmlNode list = CreateNodeElement(document, kNodeParams);
  for (const ParameterDescription& p : parameters) {
    AppendParameter(document, list, p, win::ArgBool(p.read_only));
  }
  AppendChild(root, list);
  return document;
}

std::wstring ParameterListText(std::span<const ParameterDescription> parameters) {
  XmlNode document = ParseXmlText(L"<" + NodeName(kNodeParams) + L"/>");
  XmlNode root = DocumentElement(document);
  for (const ParameterDescription& p : parameters) {
    AppendParameter(document, root, p, win::ArgInt(p.read_only ? 1 : 0));
  }
  return XmlText(document);
}

std::vector<XmlNode> SelectRegisteredModels(const VARIANT& document, std::wstring_view library) {
  if (Unwrapped(document).vt == VT_EMPTY) return {};
  XmlNode source;
  if (std::optional<std::wstring> text = TextValue(document)) {
    source = ParseXmlText(PrepareDocumentText(*text, TextPreparation::kRewriteNames));
  } else {
    source = XmlNode::FromVariant(Unwrapped(document));
  }
  std::wstring predicate = L"[@" + AttrName(kAttrLibrary) + L"=\"" + std::wstring(library) + L"\"]";
  XmlNode list = SelectNodesByTag(source, kPathAnyModel, predicate, L"");
  return NodeListItems(list);
}

RegisteredModelRecord ReadRegisteredModel(XmlNode& model) {
  RegisteredModelRecord record;
  record.code = GlobalIdFromText(GetAttributeByTag(model, kAttrCode, L""));
  record.name = GetAttributeByTag(model, kAttrName, L"");
  record.identifier = GetAttributeByTag(model, kAttrIdentifier, L"");
  record.uses_hb = GetAttributeInteger(model, kAttrUsesHB, 0);
  return record;
}

std::vector<ParameterDescription> ReadRegisteredParameters(XmlNode& model) {
  std::vector<ParameterDescription> parameters;
  XmlNode list = SelectNodesByTag(model, kPathModelParams, L"", L"");
  for (XmlNode& element : NodeListItems(list)) {
    ParameterDescription p;
    p.name = GetAttributeByTag(element, kAttrIdentifier, L"");
    p.caption = GetAttributeByTag(element, kAttrName, L"");
    p.type = GetAttributeByTag(element, kAttrType, L"");
    p.read_only = GetAttributeByTag(element, kAttrReadOnly, L"") == L"1";
    p.default_value = GetAttributeByTag(element, kAttrDefault, L"");
    p.hint = GetAttributeByTag(element, kAttrHint, L"").substr(0, kHintLimit);
    parameters.push_back(std::move(p));
  }
  return parameters;
}

ColourSettings& ModuleColourSettings() {
  static ColourSettings colours;
  return colours;
}

void ReadColourSettings(const VARIANT& document, ColourSettings& colours) {
  if (!IsDispatchValue(document)) return;
  const VARIANT& v = Unwrapped(document);
  if (!(v.vt & VT_BYREF ? v.ppdispVal && *v.ppdispVal : v.pdispVal != nullptr)) return;
  XmlNode source = XmlNode::FromVariant(v);
  XmlNode item = SelectSingleNode(source, L"//" + NodeName(kNodeColorItem));
  if (!item) return;
  colours.ColorForm = GetAttributeInteger(item, kAttrColorForm, -1);
  colours.ColorBody = GetAttributeInteger(item, kAttrColorBody, -1);
  colours.ColorButton = GetAttributeInteger(item, kAttrColorButton, -1);
  colours.ColorEdit = GetAttributeInteger(item, kAttrColorEdit, -1);
  colours.ColorBorder = GetAttributeInteger(item, kAttrColorBorder, -1);
  colours.ColorFont = GetAttributeInteger(item, kAttrColorFont, -1);
}

}  // namespace config
