// Calling IPluInfo, IPluNames and IPluModel with the conventions the host uses for them.
#include "pluhost/lib/plu_info_client.h"

#include <oleauto.h>

#include <cstdio>

#include "framework/win/scoped_bstr.h"
#include "pluhost/lib/plugin_library.h"

namespace pluhost {
namespace {

// A failing slot leaves its message in the thread's error information; one left over from an
// earlier call must not be taken for the message of a slot that set none.
void ForgetErrorInfo() { SetErrorInfo(0, nullptr); }

template <typename T>
SlotAnswer<T> Answer(HRESULT hr, T value) {
  SlotAnswer<T> answer;
  answer.hr = hr;
  if (SUCCEEDED(hr)) answer.value = std::move(value);
  else answer.message = TakeErrorDescription();
  return answer;
}

// A text slot: the out BSTR starts empty, and the host owns what the plug-in stores.
template <typename Self>
SlotAnswer<std::wstring> TextSlot(Self* self, HRESULT(__stdcall* slot)(Self*, BSTR*)) {
  win::ScopedBstr text;
  ForgetErrorInfo();
  HRESULT hr = slot(self, text.Put());
  return Answer(hr, text.Text());
}

SlotAnswer<std::wstring> TextSlot(IPluModel* model, HRESULT (__stdcall IPluModel::*slot)(BSTR*)) {
  win::ScopedBstr text;
  ForgetErrorInfo();
  HRESULT hr = (model->*slot)(text.Put());
  return Answer(hr, text.Text());
}

}  // namespace

std::wstring SlotFailureText(HRESULT hr, std::wstring_view message) {
  wchar_t code[16];
  swprintf(code, 16, L"0x%08lX", static_cast<unsigned long>(static_cast<uint32_t>(hr)));
  std::wstring text = L"failed " + std::wstring(code);
  if (!message.empty()) text += L": " + std::wstring(message);
  return text;
}

std::wstring SlotFailureText(HRESULT hr) { return SlotFailureText(hr, TakeErrorDescription()); }

ModelAttributes ReadModel(IPluModel* model) {
  ModelAttributes m;
  GUID id{};
  ForgetErrorInfo();
  HRESULT hr = model->GetModelId(&id);
  m.id = Answer(hr, id);
  m.name = TextSlot(model, &IPluModel::GetModelName);
  m.identifier = TextSlot(model, &IPluModel::GetIdentifier);
  m.class_short_name = TextSlot(model, &IPluModel::GetClassShortName);
  m.class_name = TextSlot(model, &IPluModel::GetClassName);
  return m;
}

PluInfoClient PluInfoClient::Obtain(IPluginControl* control, std::wstring& failure) {
  failure.clear();
  if (!control) {
    failure = L"empty control interface";
    return PluInfoClient(win::ComPtr<IPluInfo>());
  }
  win::ComPtr<IUnknown> unknown;
  ForgetErrorInfo();
  HRESULT hr = control->GetPluInfo(unknown.Put());
  if (FAILED(hr)) {
    failure = SlotFailureText(hr);
    return PluInfoClient(win::ComPtr<IPluInfo>());
  }
  if (!unknown) {
    failure = L"no interface (S_OK with an empty result)";
    return PluInfoClient(win::ComPtr<IPluInfo>());
  }
  win::ComPtr<IPluInfo> info;
  hr = unknown->QueryInterface(kIidPluInfo, info.PutVoid());
  if (FAILED(hr) || !info) {
    failure = L"the interface does not answer IPluInfo (" + SlotFailureText(hr, {}) + L")";
    return PluInfoClient(win::ComPtr<IPluInfo>());
  }
  return PluInfoClient(std::move(info));
}

SlotAnswer<std::wstring> PluInfoClient::FileName() const {
  return TextSlot(info_.Get(), info_->lpVtbl->GetFileName);
}

SlotAnswer<std::wstring> PluInfoClient::FileVersion() const {
  return TextSlot(info_.Get(), info_->lpVtbl->GetFileVersion);
}

SlotAnswer<uint16_t> PluInfoClient::Build() const {
  uint16_t build = 0;
  ForgetErrorInfo();
  HRESULT hr = info_->lpVtbl->GetBuild(info_.Get(), &build);
  return Answer(hr, build);
}

SlotAnswer<int32_t> PluInfoClient::ConstantA() const {
  int32_t value = 0;
  ForgetErrorInfo();
  HRESULT hr = info_->lpVtbl->GetConstantA(info_.Get(), &value);
  return Answer(hr, value);
}

SlotAnswer<int32_t> PluInfoClient::ConstantB() const {
  int32_t value = 0;
  ForgetErrorInfo();
  HRESULT hr = info_->lpVtbl->GetConstantB(info_.Get(), &value);
  return Answer(hr, value);
}

SlotAnswer<win::ComPtr<IPluModel>> PluInfoClient::Model(int32_t index) const {
  win::ComPtr<IUnknown> unknown;
  ForgetErrorInfo();
  HRESULT hr = info_->lpVtbl->GetModel(info_.Get(), index, unknown.Put());
  if (FAILED(hr) || !unknown) return Answer(hr, win::ComPtr<IPluModel>());
  // The slot already hands out the model interface; asking for it again checks that the
  // object owns up to it, as a host that keeps the model would.
  win::ComPtr<IPluModel> model;
  hr = unknown->QueryInterface(kIidPluModel, model.PutVoid());
  if (SUCCEEDED(hr) && !model) hr = E_NOINTERFACE;
  return Answer(hr, std::move(model));
}

SlotAnswer<bool> PluInfoClient::SetOption(int32_t value) const {
  ForgetErrorInfo();
  return Answer(info_->lpVtbl->SetOption(info_.Get(), value), true);
}

SlotAnswer<bool> PluInfoClient::SetEventSupport(IUnknown* events) const {
  ForgetErrorInfo();
  return Answer(info_->lpVtbl->SetEventSupport(info_.Get(), events), true);
}

win::ComPtr<IPluNames> PluInfoClient::Names() const {
  IPluNames* names = nullptr;
  info_->lpVtbl->GetNames(info_.Get(), &names);
  return win::ComPtr<IPluNames>::Adopt(names);
}

NameAnswers AskNames(IPluNames* names, std::wstring_view name) {
  win::ScopedBstr text(name);
  const IPluNamesVtbl& v = *names->lpVtbl;
  NameAnswers a;
  a.is_property = v.IsProperty(names, text.Get()) != 0;
  a.is_method = v.IsMethod(names, text.Get()) != 0;
  a.is_common_method = v.IsCommonMethod(names, text.Get()) != 0;
  a.is_switch_on = v.IsSwitchOn(names, text.Get()) != 0;
  a.is_switch_off = v.IsSwitchOff(names, text.Get()) != 0;
  return a;
}

}  // namespace pluhost
