// The readers and writers of the configuration documents that travel between the host and
// the plug-in: devices, the device list, model parameters, registered models and colours.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "framework/config/xml_document.h"

namespace config {

// Ordered name/value pairs; each name once (see PutNameValue).
using NameValueList = std::vector<std::pair<std::wstring, std::wstring>>;
// A repeated name keeps its first position and takes the later value (exact comparison).
void PutNameValue(NameValueList& list, std::wstring_view name, std::wstring_view value);

// What a reader does to a text before it is parsed.
enum class TextPreparation {
  kNone,
  kRewriteNames,                // "ч" to "4" in the six name fragments
  kRemoveLineBreaksAndRewrite,  // every CR LF pair deleted, then the rewrite
};
std::wstring PrepareDocumentText(std::wstring_view text, TextPreparation preparation);

// A document handed over by the host: a text is prepared and parsed into a new document
// (error 20023 when it does not parse) and starts at its document element; a DOM object is
// used as it is and starts at itself.
struct DocumentInput {
  XmlNode document;  // where searches run: the new document, or the handed-over object
  XmlNode start;
};
// None when the value is neither automation text nor a dispatch object.
std::optional<DocumentInput> OpenDocumentInput(const VARIANT& value, TextPreparation preparation);

// Receives what the device reader finds, in this order. The reader stops at the first
// failure (an invalid GUID), so what was handed over before stays with the receiver.
class DeviceDocumentTarget {
 public:
  virtual void DeviceIdRead(const GUID& id) = 0;
  virtual void DeviceNameRead(const std::wstring& name) = 0;
  // Current form only.
  virtual void ModelCodeRead(const GUID& model_code) = 0;
  // Current form: every parameter; item form: the "ComPort" items.
  virtual void PortSettingsRead(const NameValueList& settings) = 0;
  // Current form: every parameter; item form: the "Дополнительно" items.
  virtual void ParametersRead(const NameValueList& parameters) = 0;
  // Current form only, last: the time to fill undescribed parameters from the model's
  // descriptions.
  virtual void ModelDescriptionsDue(const GUID& model_code) = 0;

 protected:
  ~DeviceDocumentTarget() = default;
};

enum class DeviceDocumentForm { kNotFound, kCurrent, kItem };

// Reads one device starting at `start` (a device element, or anything else, in which case
// the first device element of the document counts). `scope` is where the item form is
// recognised: a "ComPort" or "Дополнительно" element with children in it.
DeviceDocumentForm ReadDevice(XmlNode& scope, XmlNode start, DeviceDocumentTarget& target);
// The device document as the host sends it (line breaks removed, names rewritten).
DeviceDocumentForm ReadDeviceDocument(const VARIANT& document, DeviceDocumentTarget& target);

// Receives the devices of a device list document.
class DeviceListTarget {
 public:
  // Called once before the first device: the list drops its model descriptions.
  virtual void DevicesReadStarting() = 0;
  // The device with that code, found or newly added.
  virtual DeviceDocumentTarget& DeviceFor(const GUID& code) = 0;

 protected:
  ~DeviceListTarget() = default;
};
// Every "Устройство" element in document order; false when the value is neither text nor
// a DOM object (nothing is read).
bool ReadDeviceListDocument(const VARIANT& document, DeviceListTarget& target);

// Root "Устройство" with "Код", "КодМодели", "Наименование", an empty "КодТо4киДоступа" and
// one "Параметр" per pair under "Параметры".
XmlNode WriteDeviceDocument(const GUID& id, const GUID& model_code, std::wstring_view name,
                            const NameValueList& parameters);
// Root "EquList" with a deep copy of each device document's root element.
XmlNode WriteDeviceListDocument(std::span<XmlNode> device_documents);

// A parameter description as the model documents carry it; `type` is the plug-in's own
// type name, `hint` the plain (unescaped) text.
struct ParameterDescription {
  std::wstring name;
  std::wstring caption;
  std::wstring type;
  bool read_only = false;
  std::wstring default_value;
  std::wstring hint;
};

// Root "Модель", child "Параметры", one "Параметр" per description; the read-only flag is
// handed to the DOM as a boolean.
XmlNode WriteModelParametersDocument(std::span<const ParameterDescription> parameters);
// "<Параметры>" without declaration, the read-only flag as 0 or 1; returned as text.
std::wstring ParameterListText(std::span<const ParameterDescription> parameters);

// The model elements registered for a library (file name compared exactly), anywhere in
// the document. An empty value selects nothing; a text has its names rewritten first.
std::vector<XmlNode> SelectRegisteredModels(const VARIANT& document, std::wstring_view library);
struct RegisteredModelRecord {
  GUID code = {};
  std::wstring name;
  std::wstring identifier;
  int32_t uses_hb = 0;
};
// Raises "Значение не является идентификатором объекта." for an invalid "Код".
RegisteredModelRecord ReadRegisteredModel(XmlNode& model);
// "./Параметры/Параметр" of a model element; read-only exactly when the flag is "1"; hints
// as stored, at most 255 characters.
std::vector<ParameterDescription> ReadRegisteredParameters(XmlNode& model);

// The six colours of the dialogs; -1 keeps the dialog's own colour.
struct ColourSettings {
  int32_t ColorForm = -1;
  int32_t ColorBody = -1;
  int32_t ColorButton = -1;
  int32_t ColorEdit = -1;
  int32_t ColorBorder = -1;
  int32_t ColorFont = -1;
};
// The module-wide colours that the dialogs apply.
ColourSettings& ModuleColourSettings();
// Only from a DOM object: the first "ColorItem" sets all six (absent or invalid: -1);
// without one the colours keep their values. A text is ignored.
void ReadColourSettings(const VARIANT& document, ColourSettings& colours);

}  // namespace config
