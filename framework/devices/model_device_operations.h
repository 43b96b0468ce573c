// What the model interface asks of the device list that owns the models: the device list
// does the work behind the interface's device operations and keeps the configuration text.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <cstdint>
#include <string>

namespace devices {

// The device list implements this; the model list reaches its owner only through it, so the
// models build and test without the device classes.
class ModelDeviceOperations {
 public:
  // Each takes the document as the host sent it (text or DOM object) and the index of the
  // model that asks, and sets `device` to the device's IPluDevice with a reference for the
  // caller, or leaves it null. `device` is null on entry. Failures raise; a device that
  // the operation appended or inserted before the failure is taken out of the list again,
  // so a document that fails half-way (an invalid GUID, a DOM error) leaves no half-read
  // device behind. The caller drops whatever `device` holds when the operation raises.
  //
  // Open: the device with the document's "Код" made on the list's thread, or a new one; the
  // document is read into it.
  virtual void OpenDeviceByDocument(const VARIANT& document, int32_t model_index,
                                    IUnknown** device) = 0;
  // The same lookup; nothing is added or read.
  virtual void FindDeviceByDocument(const VARIANT& document, int32_t model_index,
                                    IUnknown** device) = 0;
  // A new device in front of the list, read from the document.
  virtual void InsertDeviceByDocument(const VARIANT& document, int32_t model_index,
                                      IUnknown** device) = 0;
  // 0 when a device with the GUID was detached from the list, -1 when none has it.
  virtual int32_t RemoveDeviceById(const GUID& id) = 0;
  // Keeps the configuration text that the host sets through a model.
  virtual void SetConfigurationText(const std::wstring& text) = 0;

 protected:
  ~ModelDeviceOperations() = default;
};

}  // namespace devices
