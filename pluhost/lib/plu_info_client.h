// The host's client of a plug-in's information interfaces: IPluInfo from the control
// interface, IPluNames from IPluInfo, and the models IPluInfo hands out.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "framework/win/com_ptr.h"
#include "pluhost/lib/host_interfaces.h"

namespace pluhost {

// What one slot answered: its HRESULT, its value when it succeeded, and otherwise the
// message it left in the thread's error information.
template <typename T>
struct SlotAnswer {
  HRESULT hr = E_FAIL;
  T value{};
  std::wstring message;
  bool Ok() const { return SUCCEEDED(hr); }
};

// "failed 0x8000FFFF: <message>" for a failed slot, the message taken from the thread's
// error information (which it empties).
std::wstring SlotFailureText(HRESULT hr);
std::wstring SlotFailureText(HRESULT hr, std::wstring_view message);

// The attributes of one model, each slot's failure kept apart so that one bad slot does not
// hide the others.
struct ModelAttributes {
  SlotAnswer<GUID> id;
  SlotAnswer<std::wstring> name;
  SlotAnswer<std::wstring> identifier;
  SlotAnswer<std::wstring> class_short_name;
  SlotAnswer<std::wstring> class_name;
};
ModelAttributes ReadModel(IPluModel* model);

// The five answers of IPluNames for one name.
struct NameAnswers {
  bool is_property = false;
  bool is_method = false;
  bool is_common_method = false;
  bool is_switch_on = false;
  bool is_switch_off = false;
};

class PluInfoClient {
 public:
  // Asks the control interface's GetPluInfo and queries the answer for IPluInfo. Empty
  // (`Get()` null) with `failure` set when the slot fails, yields nothing or the object does
  // not answer IPluInfo.
  static PluInfoClient Obtain(IPluginControl* control, std::wstring& failure);
  // Takes over the caller's reference.
  explicit PluInfoClient(win::ComPtr<IPluInfo> info) : info_(std::move(info)) {}

  IPluInfo* Get() const { return info_.Get(); }

  // The calls below need a client that holds an interface.

  SlotAnswer<std::wstring> FileName() const;
  SlotAnswer<std::wstring> FileVersion() const;
  SlotAnswer<uint16_t> Build() const;
  SlotAnswer<int32_t> ConstantA() const;
  SlotAnswer<int32_t> ConstantB() const;
  // The model at `index` under the model interface; an empty value past the last model.
  SlotAnswer<win::ComPtr<IPluModel>> Model(int32_t index) const;
  SlotAnswer<bool> SetOption(int32_t value) const;
  SlotAnswer<bool> SetEventSupport(IUnknown* events) const;
  // IPluNames through the register-called slot 11; empty when the plug-in stores none.
  win::ComPtr<IPluNames> Names() const;

 private:
  win::ComPtr<IPluInfo> info_;
};

// Asks all five questions of IPluNames about `name`, passed as a BSTR that the host owns.
NameAnswers AskNames(IPluNames* names, std::wstring_view name);

}  // namespace pluhost
