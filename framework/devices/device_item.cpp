// The device item: construction from its list, the base behaviour of the driver operations,
// the properties by name, the host's parameter table and the device document.
#include "framework/devices/device_item.h"

#include <cmath>
#include <vector>

#include "framework/automation/host_objects.h"
#include "framework/automation/value_table.h"
#include "framework/automation/value_text.h"
#include "framework/automation/identifiers.h"
#include "framework/config/formats.h"
#include "framework/config/global_id.h"
#include "framework/config/name_compare.h"
#include "framework/config/table_records.h"
#include "framework/config/utilities.h"
#include "framework/config/xml_document.h"
#include "framework/devices/devices_list.h"
#include "framework/services/exceptions.h"
#include "framework/services/version_info.h"
#include "framework/win/dispatch.h"
#include "framework/win/scoped_bstr.h"
#include "framework/win/scoped_safearray.h"

namespace devices {
namespace {

constexpr int32_t kNoDevice = 3;
constexpr int32_t kUnsupportedCommand = 1003;
constexpr int32_t kWrongPropertyType = 20029;
constexpr wchar_t kDeviceNameRow[] = L"ИмяУстройства";
constexpr wchar_t kDeviceNameCaption[] = L"Имя устройства";

std::wstring Stored(std::wstring_view text) { return config::EscapeText(text, true); }
std::wstring Unescaped(std::wstring_view text) { return config::EscapeText(text, false); }

// The value's text under the module's formats; a value without one reads as empty.
std::wstring TextOf(const VARIANT& value) {
  std::wstring text;
  if (!config::ValueToText(value, text)) text.clear();
  return text;
}

bool IsText(const VARIANT& value) { return config::ValueKind(value) == VT_BSTR; }

bool IsBool(const VARIANT& value) { return config::PlainVarType(value) == VT_BOOL; }

bool BoolOf(const VARIANT& value) {
  win::ScopedVariant converted;
  if (!config::ChangeType(*converted.Put(), value, VT_BOOL)) return false;
  return converted.Get().boolVal != VARIANT_FALSE;
}

void SetCell(win::DispatchObject& table, LONG row, LONG column, const VARIANT& value) {
  table.Call(L"SetValue", {win::ArgInt(row), win::ArgInt(column), value});
}

void SetTextCell(win::DispatchObject& table, LONG row, LONG column, std::wstring_view text) {
  win::ScopedVariant value = win::ScopedVariant::FromText(Unescaped(text));
  SetCell(table, row, column, value.Get());
}

// A typed cell: texts among the converted values are unescaped like every text cell.
void SetTypedCell(win::DispatchObject& table, LONG row, LONG column, const win::ScopedVariant& v) {
  if (v.Type() == VT_BSTR) {
    SetTextCell(table, row, column, win::BstrText(v.Get().bstrVal));
  } else {
    SetCell(table, row, column, v.Get());
  }
}

}  // namespace

TDeviceItem::TDeviceItem(TDevicesList& list) : TRootCollectionItem(&list) {
  interface_.lpVtbl = &kPluDeviceVtbl;
  interface_.owner = this;
  FillDescription();
  DeviceName = list.NewDeviceName(L"");
  EventSupport = list.EventSupport;
  DeviceId = config::NewGlobalId();
  Properties.Assign(list.DefaultProperties());
  CreatorThread = GetCurrentThreadId();
  known_model_code_ = list.Models.Current->ModelId;
}

TDeviceItem::~TDeviceItem() = default;

TDevicesList* TDeviceItem::OwnerList() const {
  return static_cast<TDevicesList*>(static_cast<config::TRootCollection*>(GetCollection()));
}

TDeviceItem* TDeviceItem::FromInterface(IPluDevice* device) {
  return static_cast<Embedded*>(device)->owner;
}

void* TDeviceItem::InterfaceFor(REFIID iid) {
  if (IsEqualIID(iid, automation::kIidPluDevice)) return &interface_;
  return TRootCollectionItem::InterfaceFor(iid);
}

void TDeviceItem::FillDescription() {
  if (TDevicesList* list = OwnerList()) {
    DeviceInfo.EquipmentType = list->CurrentClassShortName();
    DeviceInfo.ModelName = list->CurrentModelName();
  }
  DeviceInfo.Text2.clear();
  const services::TFileVersionNumbers version =
      services::TVersionInfo::ForOwnModule().FileVersionNumbers();
  DeviceInfo.VersionMajor = static_cast<int32_t>(version.High >> 16);
  DeviceInfo.VersionMinor = static_cast<int32_t>(version.High & 0xFFFF);
  DeviceInfo.VersionBuild = static_cast<int32_t>(version.Low & 0xFFFF);
  DeviceInfo.InstanceName.clear();
  DeviceInfo.Value1 = 1;
  DeviceInfo.Value2 = 0;
  DeviceInfo.Text3.clear();
  AfterDescription();
}

std::wstring TDeviceItem::ResolvePropertyName(std::wstring_view name) {
  return std::wstring(name);
}

void TDeviceItem::AfterDescription() {}

int32_t TDeviceItem::Remove() {
  Detach();
  return 0;
}

int32_t TDeviceItem::AfterLoad() { return 0; }
int32_t TDeviceItem::ShowSettings() { return 0; }
void TDeviceItem::BeforeSettingsDialog() {}
int32_t TDeviceItem::IsSwitchedOn() { return 1; }

void TDeviceItem::SetState(int32_t state) {
  SetLastError(0);
  if (IsSwitchedOn() == state) return;
  SetLastError(0);
  if (state == 1) {
    const bool opened = Open();
    const int32_t code = LastError;
    if (!opened) Close();
    SetLastError(code);
    // A driver that failed without saying why still reports a failure.
    if (!opened && LastError == 0) SetLastError(kNoDevice);
  } else {
    if (Close()) SetLastError(0);
  }
  SetSwitchedOn(LastError == 0 && state != 0);
}

bool TDeviceItem::Open() { return true; }
bool TDeviceItem::Close() { return true; }

int32_t TDeviceItem::ApplyPortSettings() {
  HandlePortSettings(nullptr);
  return 0;
}

void TDeviceItem::SpareProcedure(int32_t) {}
int32_t TDeviceItem::SpareFunction(int32_t) { return 0; }

int32_t TDeviceItem::CheckSwitchedOn() {
  const int32_t code = SwitchedOn ? 0 : kNoDevice;
  SetLastError(code);
  return code;
}

bool TDeviceItem::IsReady(int32_t& code) {
  code = CheckSwitchedOn();
  return code == 0;
}

std::wstring TDeviceItem::GetPropertyText(std::wstring_view name) {
  const config::TPropItem* item = Properties.Find(name);
  return item ? Unescaped(item->GetValue()) : std::wstring();
}

void TDeviceItem::SetPropertyText(std::wstring_view name, std::wstring_view text) {
  Properties.SetValueByName(name, Stored(text));
}

bool TDeviceItem::GetPropertyArray(VARIANT* out) {
  constexpr LONG kColumns = 8;
  const int count = Properties.Count();
  // Every property takes a row of its own; an empty list still gets one empty row.
  SAFEARRAYBOUND bounds[2] = {{kColumns, 0}, {static_cast<ULONG>(count > 0 ? count : 1), 0}};
  win::ScopedSafearray array = win::ScopedSafearray::CreateVariants(2, bounds);
  {
    win::SafearrayAccess<VARIANT> cells(array.Get(), 2, VT_VARIANT);
    for (int i = 0; i < count; ++i) {
      const config::TPropItem& p = Properties.Items(i);
      std::wstring type = p.TypeName();
      if (config::SameName(type, L"Integer") || config::SameName(type, L"Double")) type = L"Number";
      win::ScopedVariant values[7] = {
          win::ScopedVariant::FromText(p.NameRu()), p.TypedValue(),
          win::ScopedVariant::FromText(type),       p.TypedDefault(),
          win::ScopedVariant::FromBool(p.ReadOnly()), win::ScopedVariant::FromText(p.Caption()),
          win::ScopedVariant::FromText(p.Description())};
      for (LONG column = 0; column < 7; ++column)
        cells.At(column, i) = values[column].Release();
    }
  }
  VariantInit(out);
  out->vt = VT_ARRAY | VT_VARIANT;
  out->parray = array.Release();
  return true;
}

int32_t TDeviceItem::UnsupportedCommandCode() { return kUnsupportedCommand; }

bool TDeviceItem::GetPropertyBool(std::wstring_view name) {
  return GetBool(ResolvePropertyName(name.substr(0, kShortTextMax)));
}

int32_t TDeviceItem::GetPropertyInteger(std::wstring_view name) {
  return GetInteger(ResolvePropertyName(name.substr(0, kShortTextMax)));
}

int64_t TDeviceItem::GetPropertyCurrency(std::wstring_view name) {
  // The default rounding mode rounds ties to even, as the currency conversion does.
  return static_cast<int64_t>(
      std::nearbyint(GetFloat(ResolvePropertyName(name.substr(0, kShortTextMax))) * 10000.0));
}

double TDeviceItem::GetPropertyFloat(std::wstring_view name) {
  return GetFloat(ResolvePropertyName(name.substr(0, kShortTextMax)));
}

void TDeviceItem::GetPropertyTextByRef(std::wstring_view name, std::wstring& text) {
  text = GetPropertyText(ResolvePropertyName(name.substr(0, kShortTextMax)));
}

double TDeviceItem::GetPropertyFloat2(std::wstring_view name) { return GetPropertyFloat(name); }

void TDeviceItem::SetPropertyValue(std::wstring_view name, const VARIANT& value) {
  const std::wstring resolved = ResolvePropertyName(name.substr(0, kShortTextMax));
  if (IsBool(value)) {
    SetPropertyText(resolved, BoolOf(value) ? L"1" : L"0");
    return;
  }
  std::wstring text;
  if (!config::ValueToText(value, text)) automation::RaiseUnsupportedType(value);
  SetPropertyText(resolved, text);
}

void TDeviceItem::ErrorText(int32_t code, std::wstring& text) {
  if (TDevicesList* list = OwnerList()) {
    list->ErrorText(code, text);
  } else {
    // A removed device the host still holds has no list to ask; the base text stands in.
    text = BaseErrorText(code);
  }
}

void TDeviceItem::HandlePortSettings(const config::NameValueList*) {}
void TDeviceItem::AddExtraParameters(config::NameValueList*) {}

bool TDeviceItem::GetBool(std::wstring_view name) {
  const std::wstring text = GetPropertyText(name);
  return config::SameName(text, L"True") || text == L"1";
}

int32_t TDeviceItem::GetInteger(std::wstring_view name) {
  std::wstring text = GetPropertyText(name);
  if (text.empty()) text = L"0";
  int32_t value = 0;
  if (!config::TextToInteger(text, value))
    services::RaisePlain(L"\"" + text + L"\" не является целым числом");
  return value;
}

double TDeviceItem::GetFloat(std::wstring_view name) {
  std::wstring text = GetPropertyText(name);
  for (wchar_t& c : text) {
    if (c == L'.' || c == L',') c = L',';
  }
  if (text.empty()) text = L"0";
  double value = 0;
  if (!config::TextToFloat(text, value))
    services::RaisePlain(L"\"" + text + L"\" не является числом с плавающей точкой");
  return value;
}

void TDeviceItem::SetPropertyInteger(std::wstring_view name, int32_t value) {
  SetPropertyText(name, std::to_wstring(value));
}

void TDeviceItem::NewResultTable(int32_t rows, int32_t columns, VARIANT* out) {
  VariantInit(out);
  win::ScopedVariant table;
  win::ComPtr<automation::IEventSupport2> events =
      automation::QueryEventSupport2(EventSupport.Get());
  if (events) {
    table = automation::HostNewValueTable(events.Get());
  } else {
    win::ComPtr<automation::ISafeArray> own = automation::CreateValueTable();
    table = win::ScopedVariant::FromDispatch(own.Get());
  }
  if (rows > 0 && columns > 0) {
    win::DispatchObject object = win::DispatchObject::FromVariant(table.Get());
    object.Call(L"SetBounds", {win::ArgInt(rows), win::ArgInt(columns)});
  }
  *out = table.Release();
}

int32_t TDeviceItem::ParameterTable(VARIANT* out) {
  VariantInit(out);
  const int count = Properties.Count();
  win::ScopedVariant table;
  NewResultTable(0, 0, table.Put());
  win::DispatchObject cells = win::DispatchObject::FromVariant(table.Get());
  cells.Call(L"SetBounds", {win::ArgInt(count + 1), win::ArgInt(7)});

  SetTextCell(cells, 0, 0, kDeviceNameRow);
  SetTextCell(cells, 0, 1, kDeviceNameCaption);
  SetTextCell(cells, 0, 2, kDeviceNameCaption);
  SetTextCell(cells, 0, 3, L"Строка");
  SetTextCell(cells, 0, 4, DeviceName);
  SetCell(cells, 0, 5, win::ArgInt(1));
  SetTextCell(cells, 0, 6, L"");
  for (int i = 0; i < count; ++i) {
    const config::TPropItem& p = Properties.Items(i);
    const LONG row = i + 1;
    SetTextCell(cells, row, 0, p.NameRu());
    SetTextCell(cells, row, 1, p.Caption());
    SetTextCell(cells, row, 2, p.Description());
    SetTextCell(cells, row, 3, p.HostTypeName());
    SetTypedCell(cells, row, 4, p.TypedValue());
    SetCell(cells, row, 5, win::ArgInt(p.ReadOnly() ? 1 : 0));
    SetTypedCell(cells, row, 6, p.TypedDefault());
  }
  *out = table.Release();
  return 0;
}

int32_t TDeviceItem::ApplyParameterTable(const VARIANT& table) {
  win::DispatchObject cells = win::DispatchObject::FromVariant(table);
  win::ScopedVariant rows_value = win::ScopedVariant::FromInt(0);
  win::ScopedVariant columns_value = win::ScopedVariant::FromInt(0);
  // GetBounds answers through its two by-reference arguments.
  VARIANT rows_ref, columns_ref;
  VariantInit(&rows_ref);
  VariantInit(&columns_ref);
  rows_ref.vt = VT_VARIANT | VT_BYREF;
  rows_ref.pvarVal = rows_value.Ptr();
  columns_ref.vt = VT_VARIANT | VT_BYREF;
  columns_ref.pvarVal = columns_value.Ptr();
  cells.Call(L"GetBounds", {rows_ref, columns_ref});
  win::ScopedVariant rows_number;
  if (!config::ChangeType(*rows_number.Put(), rows_value.Get(), VT_I4))
    services::RaiseText(L"GetBounds: количество строк не является числом");
  const LONG rows = rows_number.Get().lVal;

  auto cell = [&](LONG row, LONG column) {
    return cells.Call(L"GetValue", {win::ArgInt(row), win::ArgInt(column)});
  };
  // A text cell in stored form, cut to the record's limit.
  auto stored_text = [](const win::ScopedVariant& v, std::size_t limit, bool escape) {
    std::wstring text = TextOf(v.Get());
    if (escape && IsText(v.Get())) text = Stored(text);
    return text.substr(0, limit);
  };

  for (LONG row = 0; row < rows; ++row) {
    const std::wstring name = stored_text(cell(row, 0), config::kPropertyNameMax, true);
    if (config::SameName(name, kDeviceNameRow)) continue;
    const std::wstring caption = stored_text(cell(row, 1), config::kPropertyNameMax, true);
    // The hint and the default complete the row's description; only the value is kept, so
    // they are read (a failing cell fails the row) and not stored.
    cell(row, 2);
    const std::wstring type = stored_text(cell(row, 3), config::kTypeNameMax, false);
    win::ScopedVariant value = cell(row, 4);
    const bool read_only = BoolOf(cell(row, 5).Get());
    cell(row, 6);

    std::wstring value_text = TextOf(value.Get());
    if (IsText(value.Get())) value_text = Stored(value_text);
    // The host's number columns must hold numbers in the module's own format: "2.5" is
    // refused here although GetFloat would read it.
    if (!read_only && config::SameName(type, L"Число")) {
      double number = 0;
      if (!config::TextToFloat(value_text, number))
        services::RaiseError(kWrongPropertyType, {caption});
    }
    SetPropertyText(name, value_text);
  }
  return 0;
}

int32_t TDeviceItem::LoadFromXml(const VARIANT& document) {
  if (config::ReadDeviceDocument(document, target_) == config::DeviceDocumentForm::kNotFound)
    return 0;
  return AfterLoad();
}

GUID TDeviceItem::ModelCode() {
  if (TDevicesList* list = OwnerList()) known_model_code_ = list->Models.Current->ModelId;
  return known_model_code_;
}

config::XmlNode TDeviceItem::SettingsDocument() {
  config::NameValueList parameters;
  for (int i = 0; i < Properties.Count(); ++i) {
    const config::TPropItem& p = Properties.Items(i);
    config::PutNameValue(parameters, p.NameRu(), p.GetValue());
  }
  config::NameValueList extra;
  AddExtraParameters(&extra);
  for (const auto& [name, value] : extra) config::PutNameValue(parameters, name, value);
  return config::WriteDeviceDocument(DeviceId, ModelCode(), DeviceName, parameters);
}

void TDeviceItem::GetSettingsXml(VARIANT* out) {
  VariantInit(out);
  config::XmlNode document = SettingsDocument();
  *out = win::ScopedVariant::FromDispatch(document.Get()).Release();
}

void TDeviceItem::Target::DeviceIdRead(const GUID& id) { owner_.DeviceId = id; }

void TDeviceItem::Target::DeviceNameRead(const std::wstring& name) { owner_.DeviceName = name; }

void TDeviceItem::Target::PortSettingsRead(const config::NameValueList& settings) {
  owner_.HandlePortSettings(&settings);
}

void TDeviceItem::Target::ParametersRead(const config::NameValueList& parameters) {
  // Values arrive in their stored form; an existing property keeps its place.
  for (const auto& [name, value] : parameters) owner_.Properties.SetValueByName(name, value);
}

void TDeviceItem::Target::ModelDescriptionsDue(const GUID& model_code) {
  TDevicesList* list = owner_.OwnerList();
  if (!list || !list->ModelDescriptions) return;
  config::TModelItem* model = list->ModelDescriptions->FindByModelCode(model_code);
  if (!model) return;
  for (int i = 0; i < owner_.Properties.Count(); ++i) {
    config::TPropItem& p = owner_.Properties.Items(i);
    if (!p.TypeName().empty()) continue;
    const config::TParameterItem* description = model->Parameters().FindByName(p.NameRu());
    if (!description) continue;
    p.SetCaption(description->FParamDescription);
    p.SetTypeName(description->FParamType);
    p.SetReadOnly(description->FParamReadOnly != 0);
    p.SetDefaultValue(description->FParamDefault);
    p.SetDescription(description->FParamHint);
  }
}

}  // namespace devices
