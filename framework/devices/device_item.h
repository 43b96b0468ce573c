// One configured device of a plug-in: identity, parameters, on/off state, the last result
// code, and the virtual operations that a concrete driver overrides.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "framework/config/documents.h"
#include "framework/config/prop_list.h"
#include "framework/config/root_collection.h"
#include "framework/devices/device_description.h"
#include "framework/devices/plu_device.h"
#include "framework/win/scoped_variant.h"

namespace devices {

class TDevicesList;

// Property names passed by reference to the typed accessors are short texts.
inline constexpr std::size_t kShortTextMax = 255;

class TDeviceItem : public config::TRootCollectionItem {
 public:
  // Joins the end of the list; takes its name, event support and default parameters from it.
  explicit TDeviceItem(TDevicesList& list);
  ~TDeviceItem() override;

  bool SwitchedOn = false;
  uint32_t LastCallTick = 0;
  void* CallerTask = nullptr;  // the host task object of the current call, if any
  int32_t LastError = 0;
  DeviceDescription DeviceInfo;
  config::TPropList Properties;
  GUID DeviceId = {};
  std::wstring DeviceName;
  uint32_t CreatorThread = 0;
  bool CheckPortAvailability = true;

  // The operations a driver overrides, in the host's slot order.
  virtual std::wstring ResolvePropertyName(std::wstring_view name);
  virtual void AfterDescription();
  // Takes the device out of its list while the host may still hold it. The item may be gone
  // when this returns: touch nothing of it afterwards.
  virtual int32_t Remove();
  virtual int32_t AfterLoad();
  // 0 accepted, -1 cancelled. No dialog here: accepted.
  virtual int32_t ShowSettings();
  virtual void BeforeSettingsDialog();
  virtual int32_t IsSwitchedOn();
  virtual void SetState(int32_t state);
  virtual bool Open();
  virtual bool Close();
  virtual int32_t ApplyPortSettings();
  virtual void SpareProcedure(int32_t value);
  virtual int32_t SpareFunction(int32_t value);
  virtual int32_t CheckSwitchedOn();
  virtual bool IsReady(int32_t& code);
  virtual std::wstring GetPropertyText(std::wstring_view name);
  virtual void SetPropertyText(std::wstring_view name, std::wstring_view text);
  virtual bool GetPropertyArray(VARIANT* out);
  virtual int32_t UnsupportedCommandCode();
  virtual bool GetPropertyBool(std::wstring_view name);
  virtual int32_t GetPropertyInteger(std::wstring_view name);
  // Fixed point with four decimals, as the platform's currency type.
  virtual int64_t GetPropertyCurrency(std::wstring_view name);
  virtual double GetPropertyFloat(std::wstring_view name);
  virtual void GetPropertyTextByRef(std::wstring_view name, std::wstring& text);
  virtual double GetPropertyFloat2(std::wstring_view name);
  virtual void SetPropertyValue(std::wstring_view name, const VARIANT& value);
  virtual void ErrorText(int32_t code, std::wstring& text);

  // Beyond the host's slots: the port-settings handler (null: read the settings from the
  // properties) and the plug-in's own extra parameters of the device document (null: write
  // them into the properties). Both do nothing here; the port-based device fills them.
  virtual void HandlePortSettings(const config::NameValueList* settings);
  virtual void AddExtraParameters(config::NameValueList* parameters);

  // The list that holds the item; null once it was removed.
  TDevicesList* OwnerList() const;
  void SetCallerTask(void* task) { CallerTask = task; }
  void SetSwitchedOn(bool on) { SwitchedOn = on; }
  // Negative codes (a cancelled dialog's -1) are stored as they are.
  void SetLastError(int32_t code) { LastError = code; }
  void FillDescription();

  // "True" in any letter case or exactly "1".
  bool GetBool(std::wstring_view name);
  // Empty counts as 0; a text that is no integer raises the conversion error.
  int32_t GetInteger(std::wstring_view name);
  // "." and "," both read as the decimal separator; empty counts as 0; a text that is no
  // number raises the conversion error.
  double GetFloat(std::wstring_view name);
  void SetPropertyInteger(std::wstring_view name, int32_t value);

  // Seven columns, row 0 the device name, then one row per property.
  int32_t ParameterTable(VARIANT* out);
  // Stores the rows of a seven-column table; error 20029 for a number column that holds no
  // number. Rows before a failing row stay stored.
  int32_t ApplyParameterTable(const VARIANT& table);

  // A device document as text or DOM object; 0 without reading for anything else or a
  // document without a device; otherwise AfterLoad.
  int32_t LoadFromXml(const VARIANT& document);
  // Where the device readers hand what they find (the list document reads through it).
  config::DeviceDocumentTarget& DocumentTarget() { return target_; }
  // The device document as a DOM object.
  void GetSettingsXml(VARIANT* out);
  config::XmlNode SettingsDocument();

  // A value table of the host (through its event support) or of the module; bounds set when
  // both counts are above 0.
  void NewResultTable(int32_t rows, int32_t columns, VARIANT* out);

  // The interface handed to the host, without a reference added.
  IPluDevice* Interface() { return &interface_; }
  static TDeviceItem* FromInterface(IPluDevice* device);

 protected:
  void* InterfaceFor(REFIID iid) override;

 private:
  // Receives what the document readers find.
  class Target final : public config::DeviceDocumentTarget {
   public:
    explicit Target(TDeviceItem& owner) : owner_(owner) {}
    void DeviceIdRead(const GUID& id) override;
    void DeviceNameRead(const std::wstring& name) override;
    void ModelCodeRead(const GUID&) override {}
    void PortSettingsRead(const config::NameValueList& settings) override;
    void ParametersRead(const config::NameValueList& parameters) override;
    void ModelDescriptionsDue(const GUID& model_code) override;

   private:
    TDeviceItem& owner_;
  };

  struct Embedded : IPluDevice {
    TDeviceItem* owner;
  };

  // The current model's GUID while in a list; the last one seen after removal, so a
  // device the host still holds writes a complete document.
  GUID ModelCode();

  Target target_{*this};
  Embedded interface_;
  GUID known_model_code_ = {};
};

}  // namespace devices
