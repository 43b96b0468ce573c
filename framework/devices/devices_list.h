// The configured devices of one plug-in object: their models, the current device, their
// documents and the texts of their result codes.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "framework/config/model_list.h"
#include "framework/config/prop_list.h"
#include "framework/config/root_collection.h"
#include "framework/config/table_records.h"
#include "framework/devices/device_description.h"
#include "framework/devices/device_item.h"
#include "framework/devices/model_device_operations.h"
#include "framework/devices/model_plu_list.h"

namespace devices {

// "Ошибка. Код №" followed by the code: the text of any code the base list does not know.
std::wstring BaseErrorText(int32_t code);

struct PortGroups {
  bool LineSettings = false;
  bool FlowControl = false;
  bool PrinterDestination = false;
};

class TDevicesList : public config::TRootCollection, public ModelDeviceOperations {
 public:
  // Makes one device of the concrete plug-in's class inside the list.
  using DeviceFactory = std::function<TDeviceItem*(TDevicesList& list)>;

  // Null factory: plain TDeviceItem devices.
  explicit TDevicesList(DeviceFactory factory = nullptr);
  ~TDevicesList() override;

  int32_t CurrentNumber = 0;
  int32_t PropertyPageEnabled = 0;
  PortGroups PortGroupFlags;
  std::unique_ptr<config::TModelList> ModelDescriptions;
  std::wstring ConfigurationText;
  uint32_t CreatorThread = 0;
  DeviceDescription DeviceInfo;
  TModelPluList Models{this};

  // The list's virtual operations, in slot order.
  virtual TDeviceItem* GetDevice(int index) const;
  virtual void SetCurrentNumber(int32_t number) { CurrentNumber = number; }
  virtual void ErrorText(int32_t code, std::wstring& text);
  virtual void SpareHook(int32_t) {}
  virtual void AddParameterRecords(const config::PropertyEntry* records, int count);
  virtual void AfterClear() {}
  virtual int32_t SelectDevice(const VARIANT& value);

  // Model data, all from the current model.
  config::TPropList& DefaultProperties() { return Models.CurrentParams(); }
  std::wstring CurrentModelName() const { return Models.Current->ModelName; }
  std::wstring CurrentDeviceNamePrefix() const { return Models.Current->DeviceNamePrefix; }
  std::wstring CurrentClassShortName() const { return Models.Current->ClassShortName; }
  void RegisterModels(const VARIANT& document) { Models.LoadRegisteredModels(document); }
  void LoadModelDescriptions(const VARIANT& document);

  TDeviceItem* FindById(const GUID& id) const;
  bool ContainsId(const GUID& id) const { return FindById(id) != nullptr; }
  TDeviceItem* FindByName(std::wstring_view name) const;
  std::wstring NewDeviceName(std::wstring_view excluded) const;
  std::wstring CurrentDeviceName() const;
  void SetCurrentDeviceName(std::wstring_view name);
  void SetPropertyPageEnabled(int32_t value) { PropertyPageEnabled = value; }

  // 0, or the dialog's result when the settings were asked for and not accepted; the
  // document becomes the new device's (text in, text out; DOM object in, DOM object out).
  int32_t AddDevice(VARIANT& document, bool with_settings);
  int32_t RemoveDeviceById(const GUID& id) override;
  int32_t ShowDeviceSettings(const GUID& id);
  int32_t GetDevicesXml(const VARIANT& selector, VARIANT* out);
  int32_t LoadDevicesFromXml(const VARIANT& document);
  void ReadColourSettings(const VARIANT& document);
  void SwitchAllOff();
  void ClearDevices();
  void DropForeignDevices();

  // Behind the model interface.
  void OpenDeviceByDocument(const VARIANT& document, int32_t model_index,
                            IUnknown** device) override;
  void FindDeviceByDocument(const VARIANT& document, int32_t model_index,
                            IUnknown** device) override;
  void InsertDeviceByDocument(const VARIANT& document, int32_t model_index,
                              IUnknown** device) override;
  void SetConfigurationText(const std::wstring& text) override { ConfigurationText = text; }

  // A new device at the end or at a position, made by the factory.
  TDeviceItem* AddNew();
  TDeviceItem* InsertNew(int index);

 private:
  // The device that the document's first device element names, made on the list's thread.
  TDeviceItem* LookUpByDocument(const VARIANT& document);
  void PrepareForDocument(const VARIANT& document);
  // Reads the document into a device that the operation has just added; a failure takes
  // the device out again before it leaves.
  void ReadIntoNewDevice(TDeviceItem* device, const VARIANT& document);
};

}  // namespace devices
