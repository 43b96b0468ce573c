// The host's client of IPluInfo, IPluNames and IPluModel against a fake plug-in object built
// on the plug-in's own declarations, so that the host's tables and conventions meet them.
#include <gtest/gtest.h>

#include <windows.h>
#include <ole2.h>

#include <string>
#include <vector>

#include "framework/core/plu_info.h"
#include "framework/devices/plu_model.h"
#include "framework/win/com_ptr.h"
#include "framework/win/scoped_bstr.h"
#include "pluhost/lib/host_interfaces.h"
#include "pluhost/lib/plu_info_client.h"
#include "pluhost/lib/plu_info_report.h"

// Answers False in AL while the rest of EAX is set: a host that reads more than AL takes it
// for True.
extern "C" uint8_t PLU_REGISTER FakeFalseInAlOnly(core::IPluNames* self, BSTR name);
asm(".text\n"
    ".globl _FakeFalseInAlOnly\n"
    "_FakeFalseInAlOnly:\n"
    "  movl $0xFFFFFF00, %eax\n"
    "  ret\n");

namespace pluhost {
namespace {

void SetThreadError(const wchar_t* text) {
  win::ComPtr<ICreateErrorInfo> create;
  ASSERT_EQ(CreateErrorInfo(create.Put()), S_OK);
  create->SetDescription(const_cast<LPOLESTR>(text));
  win::ComPtr<IErrorInfo> info = create.As<IErrorInfo>(IID_IErrorInfo);
  SetErrorInfo(0, info.Get());
}

// --- the fake plug-in object: every interface is the first member of its owner -------------

struct FakeModel {
  devices::IPluModel iface;
  LONG refs;
  GUID id;
  const wchar_t* name;
  const wchar_t* identifier;
  bool leaves_stale_error;  // GetIdentifier succeeds but leaves error information behind
  bool short_name_fails;    // GetClassShortName fails and sets no error information
};

struct FakeNames {
  core::IPluNames iface;
  LONG refs;
  std::vector<std::wstring> asked;
  bool conventions_ok = true;
};

struct FakePlugin {
  core::IPluInfo info;
  LONG refs = 1;
  FakeNames names{};
  FakeModel models[2]{};
  std::vector<int32_t> models_asked;
  int32_t option = 0;
  IUnknown* events = nullptr;
};

FakeModel* ModelOf(devices::IPluModel* self) { return reinterpret_cast<FakeModel*>(self); }
FakeNames* NamesOf(core::IPluNames* self) { return reinterpret_cast<FakeNames*>(self); }
FakePlugin* PluginOf(core::IPluInfo* self) { return reinterpret_cast<FakePlugin*>(self); }

HRESULT __stdcall ModelQuery(devices::IPluModel* self, REFIID iid, void** out) {
  if (iid != pluhost::kIidPluModel && iid != IID_IUnknown) {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  *out = self;
  ++ModelOf(self)->refs;
  return S_OK;
}
ULONG __stdcall ModelAddRef(devices::IPluModel* self) { return ++ModelOf(self)->refs; }
ULONG __stdcall ModelRelease(devices::IPluModel* self) { return --ModelOf(self)->refs; }
HRESULT __stdcall ModelId(devices::IPluModel* self, GUID* id) {
  *id = ModelOf(self)->id;
  return S_OK;
}
HRESULT __stdcall ModelIdentifier(devices::IPluModel* self, BSTR* text) {
  *text = SysAllocString(ModelOf(self)->identifier);
  if (ModelOf(self)->leaves_stale_error) SetThreadError(L"лишнее сообщение");
  return S_OK;
}
HRESULT __stdcall ModelName(devices::IPluModel* self, BSTR* text) {
  *text = SysAllocString(ModelOf(self)->name);
  return S_OK;
}
HRESULT __stdcall ModelShortName(devices::IPluModel* self, BSTR* text) {
  if (ModelOf(self)->short_name_fails) return E_UNEXPECTED;
  *text = SysAllocString(L"ТСД");
  return S_OK;
}
HRESULT __stdcall ModelClassName(devices::IPluModel*, BSTR* text) {
  *text = SysAllocString(L"Терминалы сбора данных");
  return S_OK;
}

// Only the slots the host reads are filled: any other call crashes the test.
devices::IPluModelVtbl MakeModelVtbl() {
  devices::IPluModelVtbl v{};
  v.QueryInterface = ModelQuery;
  v.AddRef = ModelAddRef;
  v.Release = ModelRelease;
  v.GetModelId = ModelId;
  v.GetIdentifier = ModelIdentifier;
  v.GetModelName = ModelName;
  v.GetClassShortName = ModelShortName;
  v.GetClassName = ModelClassName;
  return v;
}
const devices::IPluModelVtbl kModelVtbl = MakeModelVtbl();

HRESULT __stdcall NamesQuery(core::IPluNames*, REFIID, void** out) {
  *out = nullptr;
  return E_NOINTERFACE;
}
ULONG __stdcall NamesAddRef(core::IPluNames* self) { return ++NamesOf(self)->refs; }
ULONG __stdcall NamesRelease(core::IPluNames* self) { return --NamesOf(self)->refs; }

// The name must arrive in EDX as a BSTR (its length prefix read) with the interface in EAX.
template <int kWhich>
uint8_t PLU_REGISTER NameSlot(core::IPluNames* self, BSTR name) {
  FakeNames* names = NamesOf(self);
  std::wstring text = win::BstrText(name);
  names->asked.push_back(std::to_wstring(kWhich) + L":" + text);
  static const wchar_t* const kTrueFor[] = {L"Результат", L"Включить", L"SwitchOff", L"Включить"};
  return text == kTrueFor[kWhich];
}

const core::IPluNamesVtbl kNamesVtbl = {NamesQuery,   NamesAddRef,  NamesRelease, NameSlot<0>,
                                        NameSlot<1>,  NameSlot<2>,  NameSlot<3>,  FakeFalseInAlOnly};

HRESULT __stdcall InfoQuery(core::IPluInfo* self, REFIID iid, void** out) {
  if (iid != pluhost::kIidPluInfo && iid != IID_IUnknown) {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  *out = self;
  ++PluginOf(self)->refs;
  return S_OK;
}
ULONG __stdcall InfoAddRef(core::IPluInfo* self) { return ++PluginOf(self)->refs; }
ULONG __stdcall InfoRelease(core::IPluInfo* self) { return --PluginOf(self)->refs; }
HRESULT __stdcall InfoFileName(core::IPluInfo*, BSTR* name) {
  *name = SysAllocString(L"C:\\Программы\\fake.plu");
  return S_OK;
}
HRESULT __stdcall InfoFileVersion(core::IPluInfo*, BSTR* version) {
  *version = nullptr;
  SetThreadError(L"версия недоступна");
  return E_UNEXPECTED;
}
HRESULT __stdcall InfoBuild(core::IPluInfo*, uint16_t* build) {
  // Above the signed 16-bit range: a host reading it signed prints a negative build.
  *build = 40000;
  return S_OK;
}
HRESULT __stdcall InfoConstantA(core::IPluInfo*, int32_t* value) {
  *value = 3;
  return S_OK;
}
HRESULT __stdcall InfoConstantB(core::IPluInfo*, int32_t* value) {
  *value = 1;
  return S_OK;
}
HRESULT __stdcall InfoModel(core::IPluInfo* self, int32_t index, IUnknown** model) {
  FakePlugin* p = PluginOf(self);
  p->models_asked.push_back(index);
  *model = nullptr;
  if (index < 0 || index >= 2) return S_OK;
  ++p->models[index].refs;
  *model = reinterpret_cast<IUnknown*>(&p->models[index].iface);
  return S_OK;
}
HRESULT __stdcall InfoSetOption(core::IPluInfo* self, int32_t value) {
  PluginOf(self)->option = value;
  return S_OK;
}
HRESULT __stdcall InfoSetEventSupport(core::IPluInfo* self, IUnknown* events) {
  PluginOf(self)->events = events;
  return S_OK;
}
void PLU_REGISTER InfoNames(core::IPluInfo* self, core::IPluNames** result) {
  FakePlugin* p = PluginOf(self);
  if (*result) (*result)->lpVtbl->Release(*result);
  ++p->names.refs;
  *result = &p->names.iface;
}

const core::IPluInfoVtbl kInfoVtbl = {InfoQuery,     InfoAddRef,       InfoRelease,  InfoFileName,
                                      InfoFileVersion, InfoBuild,      InfoConstantA, InfoConstantB,
                                      InfoModel,     InfoSetOption,    InfoSetEventSupport, InfoNames};

class PluInfoClientTest : public testing::Test {
 protected:
  void SetUp() override {
    fake_.info.lpVtbl = &kInfoVtbl;
    fake_.names.iface.lpVtbl = &kNamesVtbl;
    fake_.names.refs = 1;
    fake_.models[0] = {{&kModelVtbl}, 1, {0x11111111, 0x2222, 0x3333, {0x44, 0x44, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55}},
                       L"Шаблон", L"Template", false, false};
    fake_.models[1] = {{&kModelVtbl}, 1, {}, L"Вторая", L"Second", true, true};
  }
  PluInfoClient Client() {
    ++fake_.refs;
    return PluInfoClient(win::ComPtr<IPluInfo>::Adopt(reinterpret_cast<IPluInfo*>(&fake_.info)));
  }
  FakePlugin fake_;
};

TEST_F(PluInfoClientTest, DescribesEverySlotAndEachModelUntilTheEmptyOne) {
  {
    PluInfoClient client = Client();
    // Left by something before the describe: no failing slot may take it for its own.
    SetThreadError(L"старое сообщение");
    ReportLines report = DescribePluInfo(client);
    std::vector<std::wstring> expected = {
        L"GetFileName:    C:\\Программы\\fake.plu",
        L"GetFileVersion: failed 0x8000FFFF: версия недоступна",
        L"GetBuild:       40000",
        L"GetConstantA:   3",
        L"GetConstantB:   1",
        L"GetModel(0):    model {11111111-2222-3333-4444-555555555555}",
        L"  name:             Шаблон",
        L"  identifier:       Template",
        L"  class short name: ТСД",
        L"  class name:       Терминалы сбора данных",
        L"GetModel(1):    model {00000000-0000-0000-0000-000000000000}",
        L"  name:             Вторая",
        L"  identifier:       Second",
        L"  class short name: failed 0x8000FFFF",
        L"  class name:       Терминалы сбора данных",
        L"GetModel(2):    empty interface (2 models)",
    };
    EXPECT_EQ(report.lines, expected);
    EXPECT_EQ(report.failures, 2);
    EXPECT_EQ(fake_.models_asked, (std::vector<int32_t>{0, 1, 2}));

    EXPECT_TRUE(client.SetOption(7).Ok());
    EXPECT_EQ(fake_.option, 7);
    IUnknown* events = reinterpret_cast<IUnknown*>(&fake_);
    EXPECT_TRUE(client.SetEventSupport(events).Ok());
    EXPECT_EQ(fake_.events, events);
  }
  // Every reference the host took (the query for the model interface included) is given back.
  EXPECT_EQ(fake_.refs, 1);
  EXPECT_EQ(fake_.models[0].refs, 1);
  EXPECT_EQ(fake_.models[1].refs, 1);
}

TEST_F(PluInfoClientTest, AsksIPluNamesWithABstrInEdxAndReadsOnlyAl) {
  {
    PluInfoClient client = Client();
    win::ComPtr<IPluNames> names = client.Names();
    ASSERT_EQ(names.Get(), reinterpret_cast<IPluNames*>(&fake_.names.iface));
    NameAnswers a = AskNames(names.Get(), L"Включить");
    EXPECT_FALSE(a.is_property);
    EXPECT_TRUE(a.is_method);
    EXPECT_FALSE(a.is_common_method);
    EXPECT_TRUE(a.is_switch_on);
    EXPECT_FALSE(a.is_switch_off) << "the slot left 0xFFFFFF00 in EAX";
    EXPECT_EQ(fake_.names.asked,
              (std::vector<std::wstring>{L"0:Включить", L"1:Включить", L"2:Включить", L"3:Включить"}));
    a = AskNames(names.Get(), L"Результат");
    EXPECT_TRUE(a.is_property);
    EXPECT_FALSE(a.is_method);
    ReportLines report = DescribeNames(client, L"SwitchOff");
    EXPECT_EQ(report.lines, (std::vector<std::wstring>{L"IsProperty:     False", L"IsMethod:       False",
                                                       L"IsCommonMethod: True", L"IsSwitchOn:     False",
                                                       L"IsSwitchOff:    False"}));
  }
  EXPECT_EQ(fake_.names.refs, 1);
  EXPECT_EQ(fake_.refs, 1);
}

// A control interface whose GetPluInfo answers as configured.
class FakeControl : public IPluginControl {
 public:
  enum class Mode { kFails, kEmpty, kForeign, kInfo };
  FakeControl(Mode mode, IUnknown* info) : mode_(mode), info_(info) {}
  HRESULT __stdcall QueryInterface(REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG __stdcall AddRef() override { return 2; }
  ULONG __stdcall Release() override { return 1; }
  HRESULT __stdcall ReservedA(int32_t) override { return S_OK; }
  HRESULT __stdcall ReservedB(int32_t) override { return S_OK; }
  HRESULT __stdcall GetCallEntry(CallEntryProc* entry) override {
    *entry = nullptr;
    return S_OK;
  }
  HRESULT __stdcall GetPluInfo(IUnknown** info) override {
    *info = nullptr;
    switch (mode_) {
      case Mode::kFails:
        SetThreadError(L"Обработчик GetDllObject не назначен");
        return E_UNEXPECTED;
      case Mode::kEmpty:
        return S_OK;
      case Mode::kForeign:
      case Mode::kInfo:
        info_->AddRef();
        *info = info_;
        return S_OK;
    }
    return E_FAIL;
  }
  HRESULT __stdcall ReservedC(int32_t) override { return S_OK; }

 private:
  Mode mode_;
  IUnknown* info_;
};

TEST_F(PluInfoClientTest, ObtainsIPluInfoOrSaysWhyNot) {
  IUnknown* info = reinterpret_cast<IUnknown*>(&fake_.info);
  // An object that answers no IPluInfo: the fake model refuses that identifier.
  IUnknown* foreign = reinterpret_cast<IUnknown*>(&fake_.models[0].iface);
  struct Case {
    FakeControl::Mode mode;
    IUnknown* object;
    std::wstring failure_start;
  } cases[] = {
      {FakeControl::Mode::kFails, nullptr, L"failed 0x8000FFFF: Обработчик GetDllObject не назначен"},
      {FakeControl::Mode::kEmpty, nullptr, L"no interface"},
      {FakeControl::Mode::kForeign, foreign, L"the interface does not answer IPluInfo"},
      {FakeControl::Mode::kInfo, info, L""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.mode));
    FakeControl control(c.mode, c.object);
    std::wstring failure;
    {
      PluInfoClient client = PluInfoClient::Obtain(&control, failure);
      EXPECT_EQ(failure.rfind(c.failure_start, 0), 0u) << failure;
      EXPECT_EQ(client.Get() != nullptr, c.failure_start.empty());
    }
    EXPECT_EQ(fake_.refs, 1);
    EXPECT_EQ(fake_.models[0].refs, 1);
  }
}

}  // namespace
}  // namespace pluhost
