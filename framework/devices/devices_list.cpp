// The device list: construction with the common parameters, lookup, naming, selection,
// the device documents in both directions and the operations behind the model interface.
#include "framework/devices/devices_list.h"

#include <vector>

#include "framework/automation/host_string.h"
#include "framework/config/documents.h"
#include "framework/config/formats.h"
#include "framework/config/global_id.h"
#include "framework/config/name_compare.h"
#include "framework/config/utilities.h"
#include "framework/config/xml_document.h"
#include "framework/config/xml_names.h"
#include "framework/win/scoped_bstr.h"
#include "framework/win/scoped_variant.h"

namespace devices {
namespace {

constexpr int32_t kNoDevice = 3;
constexpr int32_t kNotFound = -1;
constexpr int kMaxNameNumber = 10000;

// The two parameters every device of every model carries. Descriptions only: nothing in
// the plug-ins reads their values.
constexpr config::PropertyEntry kCommonParameters[] = {
    {L"Использовать", L"Usable", L"Использовать", L"Integer", false, L"1",
     L"Признак того, что данное устройство может быть использовано (включено выключено и "
     L"т.д.)\r\nДопустимые значения: 0 - не может быть использовано, 1 - может",
     nullptr},
    {L"Неразделяемое", L"", L"Неразделяемое", L"Integer", false, L"0",
     L"Поведение оборудования при нескольких запушенных копий продукта на одной машине или в "
     L"терминальной сессии\r\nЗначение: 0 – Оборудование создается только на главной "
     L"сессии;\r\n1 – Каждый экземпляр точки доступа создает свое локальное оборудование",
     nullptr},
};
static_assert(config::AllWithinLimits(kCommonParameters));

const VARIANT& Unwrapped(const VARIANT& value) {
  if (value.vt == (VT_VARIANT | VT_BYREF) && value.pvarVal) return *value.pvarVal;
  return value;
}

std::wstring AutomationText(const VARIANT& value) {
  const VARIANT& v = Unwrapped(value);
  if (v.vt == VT_BSTR) return win::BstrText(v.bstrVal);
  if (v.vt == (VT_BSTR | VT_BYREF)) return win::BstrText(v.pbstrVal ? *v.pbstrVal : nullptr);
  return std::wstring();
}

// The text of any text value, automation or the host's 8-bit one.
std::wstring AnyText(const VARIANT& value) {
  const VARIANT& v = Unwrapped(value);
  if (v.vt == automation::kVtHostString)
    return automation::HostStringText(static_cast<const char*>(v.byref));
  return AutomationText(v);
}

std::wstring OwnFileNameWithExtension() {
  std::wstring path = config::ModuleLongFileName(false);
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// Takes a device that an operation has just added out of the list again unless the
// operation completes: a document that fails half-way leaves no half-read device behind.
class NewDeviceGuard {
 public:
  explicit NewDeviceGuard(TDeviceItem* device) : device_(device) {}
  ~NewDeviceGuard() {
    // Nobody holds the device yet, so detaching it destroys it.
    if (device_) device_->Detach();
  }
  NewDeviceGuard(const NewDeviceGuard&) = delete;
  NewDeviceGuard& operator=(const NewDeviceGuard&) = delete;
  void Track(TDeviceItem* device) { device_ = device; }
  void Dismiss() { device_ = nullptr; }

 private:
  TDeviceItem* device_;
};

void HandOut(TDeviceItem* device, IUnknown** out) {
  *out = nullptr;
  if (!device) return;
  device->AddRef();
  *out = reinterpret_cast<IUnknown*>(device->Interface());
}

}  // namespace

std::wstring BaseErrorText(int32_t code) { return L"Ошибка. Код №" + std::to_wstring(code); }

TDevicesList::TDevicesList(DeviceFactory factory)
    : config::TRootCollection([factory = std::move(factory)](config::Collection& owner) {
        auto& list = static_cast<TDevicesList&>(static_cast<config::TRootCollection&>(owner));
        return factory ? static_cast<config::CollectionItem*>(factory(list))
                       : static_cast<config::CollectionItem*>(new TDeviceItem(list));
      }),
      CreatorThread(GetCurrentThreadId()) {
  AddParameterRecords(kCommonParameters, static_cast<int>(std::size(kCommonParameters)));
  DeviceInfo.EquipmentType = L"Unknown";
}

TDevicesList::~TDevicesList() {
  ModelDescriptions.reset();
}

TDeviceItem* TDevicesList::GetDevice(int index) const { return ItemAs<TDeviceItem>(index); }

TDeviceItem* TDevicesList::AddNew() { return static_cast<TDeviceItem*>(Add()); }

TDeviceItem* TDevicesList::InsertNew(int index) { return static_cast<TDeviceItem*>(Insert(index)); }

void TDevicesList::ErrorText(int32_t code, std::wstring& text) { text = BaseErrorText(code); }

void TDevicesList::AddParameterRecords(const config::PropertyEntry* records, int count) {
  for (int i = 0; i < count; ++i) DefaultProperties().AddOrUpdateEntry(records[i]);
}

int32_t TDevicesList::SelectDevice(const VARIANT& value) {
  const VARTYPE kind = config::ValueKind(value);
  if (kind == VT_I4) {
    win::ScopedVariant number;
    if (!config::ChangeType(*number.Put(), Unwrapped(value), VT_I4)) return kNoDevice;
    const int32_t n = number.Get().lVal;
    if (n < 1 || n > Count()) return kNoDevice;
    SetCurrentNumber(n);
    GetDevice(n - 1)->SetLastError(0);
    return 0;
  }
  if (kind == VT_BSTR) {
    const std::wstring name = AutomationText(value);
    for (int i = 0; i < Count(); ++i) {
      if (config::SameName(GetDevice(i)->DeviceName, name)) {
        SetCurrentNumber(i + 1);
        GetDevice(i)->SetLastError(0);
        return 0;
      }
    }
  }
  return kNoDevice;
}

void TDevicesList::LoadModelDescriptions(const VARIANT& document) {
  ModelDescriptions.reset();
  ModelDescriptions = config::CreateModelList(document, L"", L"", OwnFileNameWithExtension(), L"",
                                              L"", L"0");
}

TDeviceItem* TDevicesList::FindById(const GUID& id) const {
  for (int i = 0; i < Count(); ++i) {
    if (config::SameGlobalId(GetDevice(i)->DeviceId, id)) return GetDevice(i);
  }
  return nullptr;
}

TDeviceItem* TDevicesList::FindByName(std::wstring_view name) const {
  // An empty name is a name here: a device may have none.
  for (int i = 0; i < Count(); ++i) {
    const std::wstring& own = GetDevice(i)->DeviceName;
    if ((own.empty() && name.empty()) || config::SameName(own, name)) return GetDevice(i);
  }
  return nullptr;
}

std::wstring TDevicesList::NewDeviceName(std::wstring_view excluded) const {
  std::vector<std::wstring> taken;
  for (int i = 0; i < Count(); ++i) {
    const std::wstring& name = GetDevice(i)->DeviceName;
    if (!config::SameName(name, excluded)) taken.push_back(name);
  }
  const std::wstring prefix = CurrentDeviceNamePrefix();
  for (int n = 1; n <= kMaxNameNumber; ++n) {
    const std::wstring candidate = prefix + std::to_wstring(n);
    bool free = true;
    for (const std::wstring& name : taken) {
      if (config::SameName(name, candidate)) {
        free = false;
        break;
      }
    }
    if (free) return candidate;
  }
  return std::wstring();
}

std::wstring TDevicesList::CurrentDeviceName() const {
  if (CurrentNumber <= 0 || CurrentNumber > Count()) return std::wstring();
  return GetDevice(CurrentNumber - 1)->DeviceName;
}

void TDevicesList::SetCurrentDeviceName(std::wstring_view name) {
  // The number is not adjusted when devices go, so it may point past the end.
  if (CurrentNumber <= 0 || CurrentNumber > Count()) return;
  GetDevice(CurrentNumber - 1)->DeviceName = name;
}

int32_t TDevicesList::AddDevice(VARIANT& document, bool with_settings) {
  RegisterModels(document);
  TDeviceItem* device = AddNew();
  NewDeviceGuard guard(device);
  device->LoadFromXml(document);
  device->ApplyPortSettings();
  if (with_settings) {
    const int32_t result = ShowDeviceSettings(device->DeviceId);
    if (result != 0) return result;  // the guard takes the device out again
  }
  guard.Dismiss();

  config::XmlNode written = device->SettingsDocument();
  win::ScopedVariant replacement;
  if (config::ValueKind(document) == VT_BSTR) {
    replacement = win::ScopedVariant::FromText(config::XmlText(written));
  } else {
    replacement = win::ScopedVariant::FromDispatch(written.Get());
  }
  // A document passed by reference is replaced where the caller keeps it.
  VARIANT& target = document.vt == (VT_VARIANT | VT_BYREF) && document.pvarVal
                        ? *document.pvarVal
                        : document;
  win::ScopedVariant old = win::ScopedVariant::Adopt(target);
  target = replacement.Release();
  return 0;
}

int32_t TDevicesList::RemoveDeviceById(const GUID& id) {
  TDeviceItem* device = FindById(id);
  if (!device) return kNotFound;
  device->Remove();
  return 0;
}

int32_t TDevicesList::ShowDeviceSettings(const GUID& id) {
  TDeviceItem* device = FindById(id);
  return device ? device->ShowSettings() : kNotFound;
}

int32_t TDevicesList::GetDevicesXml(const VARIANT& selector, VARIANT* out) {
  VariantInit(out);
  if (config::IsGlobalIdText(selector)) {
    TDeviceItem* device = FindById(config::GlobalIdFromText(AnyText(selector)));
    if (!device) return kNoDevice;
    device->GetSettingsXml(out);
    return 0;
  }
  if (Unwrapped(selector).vt == automation::kVtHostString) {
    const std::wstring name = AnyText(selector);
    if (!name.empty()) {
      TDeviceItem* device = FindByName(name);
      if (!device) return kNoDevice;
      device->GetSettingsXml(out);
      return 0;
    }
  }
  std::vector<config::XmlNode> documents;
  for (int i = 0; i < Count(); ++i) documents.push_back(GetDevice(i)->SettingsDocument());
  config::XmlNode list = config::WriteDeviceListDocument(documents);
  *out = win::ScopedVariant::FromDispatch(list.Get()).Release();
  return 0;
}

int32_t TDevicesList::LoadDevicesFromXml(const VARIANT& document) {
  // Finds or appends the device of each element. The device appended for the element being
  // read goes again when that element fails; devices read before stay.
  class Reader final : public config::DeviceListTarget {
   public:
    explicit Reader(TDevicesList& list) : list_(list) {}
    void DevicesReadStarting() override { list_.ModelDescriptions.reset(); }
    config::DeviceDocumentTarget& DeviceFor(const GUID& code) override {
      guard.Dismiss();
      TDeviceItem* device = list_.FindById(code);
      if (!device) {
        device = list_.AddNew();
        guard.Track(device);
      }
      return device->DocumentTarget();
    }
    NewDeviceGuard guard{nullptr};

   private:
    TDevicesList& list_;
  };

  const std::wstring text = AutomationText(document);
  if (!text.empty()) ConfigurationText = text;
  Reader reader(*this);
  config::ReadDeviceListDocument(document, reader);
  reader.guard.Dismiss();
  return 0;
}

void TDevicesList::ReadColourSettings(const VARIANT& document) {
  config::ReadColourSettings(document, config::ModuleColourSettings());
}

void TDevicesList::SwitchAllOff() {
  for (int i = 0; i < Count(); ++i) GetDevice(i)->SetState(0);
}

void TDevicesList::ClearDevices() {
  Clear();
  AfterClear();
}

void TDevicesList::DropForeignDevices() {
  const DWORD current = GetCurrentThreadId();
  int i = 0;
  while (i < Count()) {
    TDeviceItem* device = GetDevice(i);
    if (device->CreatorThread != CreatorThread && device->CreatorThread == current) {
      device->Remove();  // the next device moves up into this position
    } else {
      ++i;
    }
  }
  if (Count() == 0) AfterClear();
}

void TDevicesList::PrepareForDocument(const VARIANT& document) {
  RegisterModels(document);
  ReadColourSettings(document);
}

TDeviceItem* TDevicesList::LookUpByDocument(const VARIANT& document) {
  if (config::ValueKind(document) != VT_DISPATCH) return nullptr;
  config::XmlNode source = config::XmlNode::FromVariant(Unwrapped(document));
  config::XmlNode element = config::SelectSingleNodeByTag(source, config::kPathAnyDevice, L"");
  if (!element) return nullptr;
  const GUID id =
      config::GlobalIdFromText(config::GetAttributeByTag(element, config::kAttrCode, L""));
  TDeviceItem* device = FindById(id);
  if (device && device->CreatorThread != CreatorThread) {
    // A temporary device of a task thread is not handed out as the list's own; it goes.
    device->Remove();
    return nullptr;
  }
  return device;
}

void TDevicesList::ReadIntoNewDevice(TDeviceItem* device, const VARIANT& document) {
  NewDeviceGuard guard(device);
  device->LoadFromXml(document);
  device->ApplyPortSettings();
  guard.Dismiss();
}

void TDevicesList::OpenDeviceByDocument(const VARIANT& document, int32_t, IUnknown** device) {
  PrepareForDocument(document);
  TDeviceItem* found = LookUpByDocument(document);
  if (found) {
    found->LoadFromXml(document);
    found->ApplyPortSettings();
  } else {
    found = AddNew();
    ReadIntoNewDevice(found, document);
  }
  HandOut(found, device);
}

void TDevicesList::FindDeviceByDocument(const VARIANT& document, int32_t, IUnknown** device) {
  PrepareForDocument(document);
  HandOut(LookUpByDocument(document), device);
}

void TDevicesList::InsertDeviceByDocument(const VARIANT& document, int32_t, IUnknown** device) {
  PrepareForDocument(document);
  TDeviceItem* inserted = InsertNew(0);
  ReadIntoNewDevice(inserted, document);
  HandOut(inserted, device);
}

}  // namespace devices
