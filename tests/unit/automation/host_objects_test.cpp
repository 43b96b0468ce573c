// The host's task objects and event-support interface are read by their shared layout.
#include <gtest/gtest.h>

#include <cstring>
#include <exception>

#include "framework/automation/host_objects.h"
#include "framework/services/exceptions.h"
#include "framework/services/error_boundary.h"

namespace {

using automation::IEventSupport2;
using automation::IEventSupport2Vtbl;

// A host task as the host lays it out: a class table whose first slot is the keep-alive
// operation, the class name pointer 44 bytes before the table.
struct FakeTaskClass {
  const unsigned char* name;
  unsigned char gap[40];
  automation::TaskKeepAliveProc slots[1];
};
static_assert(offsetof(FakeTaskClass, slots) == 44);

int keep_alive_calls = 0;
void* keep_alive_task = nullptr;
void __attribute__((regparm(1))) FakeKeepAlive(void* task) {
  ++keep_alive_calls;
  keep_alive_task = task;
}

struct FakeTask {
  const void* class_table;
  unsigned char fields[160];
};

FakeTaskClass MakeClass(const unsigned char* name) {
  FakeTaskClass c = {};
  c.name = name;
  c.slots[0] = FakeKeepAlive;
  return c;
}

}  // namespace

TEST(HostTask, RecognisedByExactClassName) {
  struct Case {
    const unsigned char* name;
    bool task;
  };
  static const unsigned char internal[] = "\x0DTInternalTask";
  static const unsigned char thread[] = "\x0BTTaskThread";
  static const unsigned char lower[] = "\x0DTinternalTask";
  static const unsigned char other[] = "\x0BTBaseDllObj";
  const Case cases[] = {{internal, true}, {thread, true}, {lower, false}, {other, false}};
  for (const Case& c : cases) {
    FakeTaskClass cls = MakeClass(c.name);
    FakeTask task = {&cls.slots, {}};
    SCOPED_TRACE(automation::HostClassName(&task));
    EXPECT_EQ(automation::HostClassName(&task),
              std::string(reinterpret_cast<const char*>(c.name + 1), c.name[0]));
    EXPECT_EQ(automation::IsTaskObject(&task), c.task);
  }
  EXPECT_FALSE(automation::IsTaskObject(nullptr));
}

TEST(HostTask, FieldsAtTheirOffsets) {
  static const unsigned char name[] = "\x0DTInternalTask";
  FakeTaskClass cls = MakeClass(name);
  FakeTask task = {&cls.slots, {}};
  unsigned char* base = reinterpret_cast<unsigned char*>(&task);
  const GUID device = {0x11223344, 0x5566, 0x7788, {1, 2, 3, 4, 5, 6, 7, 8}};
  std::memcpy(base + 124, &device, sizeof(device));

  EXPECT_TRUE(IsEqualGUID(automation::TaskDeviceId(&task), device));
  EXPECT_FALSE(automation::TaskCancelled(&task));
  base[144] = 1;
  EXPECT_TRUE(automation::TaskCancelled(&task));

  int plugin = 0;
  automation::SetTaskPlugin(&task, &plugin);
  void* stored = nullptr;
  std::memcpy(&stored, base + 140, sizeof(stored));
  EXPECT_EQ(stored, &plugin);
  EXPECT_EQ(automation::TaskPlugin(&task), &plugin);
  // The plug-in reference must not spill into the cancel flag or the device identifier.
  EXPECT_EQ(base[144], 1);
  EXPECT_TRUE(IsEqualGUID(automation::TaskDeviceId(&task), device));

  keep_alive_calls = 0;
  automation::TaskKeepAlive(&task);
  EXPECT_EQ(keep_alive_calls, 1);
  EXPECT_EQ(keep_alive_task, &task);
}

namespace {

// A host event support whose only usable operation is NewValueTable at slot 23; every
// other host operation must not be called.
struct FakeEvents {
  IEventSupport2 iface;
  LONG refs = 1;
  bool fail = false;
};

FakeEvents* From(IEventSupport2* self) { return reinterpret_cast<FakeEvents*>(self); }

HRESULT __stdcall FakeQuery(IEventSupport2* self, REFIID iid, void** out) {
  if (IsEqualGUID(iid, IID_IUnknown) || IsEqualGUID(iid, IID_IDispatch) ||
      IsEqualGUID(iid, automation::kIidEventSupport2)) {
    *out = self;
    From(self)->refs++;
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}
ULONG __stdcall FakeAddRef(IEventSupport2* self) { return ++From(self)->refs; }
ULONG __stdcall FakeRelease(IEventSupport2* self) { return --From(self)->refs; }
HRESULT __stdcall FakeNewValueTable(IEventSupport2* self, VARIANT* table) {
  if (From(self)->fail) {
    services::SetThreadErrorInfo(L"хост отказал");
    return E_UNEXPECTED;
  }
  VariantInit(table);
  table->vt = VT_I4;
  table->lVal = 4242;
  return S_OK;
}
void __stdcall MustNotBeCalled() { std::terminate(); }

IEventSupport2Vtbl MakeVtbl() {
  IEventSupport2Vtbl v = {};
  v.QueryInterface = FakeQuery;
  v.AddRef = FakeAddRef;
  v.Release = FakeRelease;
  for (void*& slot : v.HostOperations1To16) slot = reinterpret_cast<void*>(MustNotBeCalled);
  for (void*& slot : v.HostOperations18To25) slot = reinterpret_cast<void*>(MustNotBeCalled);
  v.NewValueTable = FakeNewValueTable;
  return v;
}

const IEventSupport2Vtbl kFakeVtbl = MakeVtbl();

}  // namespace

TEST(HostEventSupport, NewValueTableIsSlot23) {
  FakeEvents events{{&kFakeVtbl}};
  void* const* slots = *reinterpret_cast<void* const* const*>(&events.iface);
  EXPECT_EQ(slots[23], reinterpret_cast<void*>(FakeNewValueTable));

  {
    win::ComPtr<IEventSupport2> held = automation::QueryEventSupport2(
        reinterpret_cast<IUnknown*>(&events.iface));
    ASSERT_TRUE(held);
    EXPECT_EQ(events.refs, 2);
    win::ScopedVariant table = automation::HostNewValueTable(held.Get());
    EXPECT_EQ(table.Type(), VT_I4);
    EXPECT_EQ(table.Get().lVal, 4242);
  }
  EXPECT_EQ(events.refs, 1) << "the query's reference is released";
  EXPECT_FALSE(automation::QueryEventSupport2(nullptr));
}

TEST(HostEventSupport, FailureCarriesTheHostText) {
  FakeEvents events{{&kFakeVtbl}};
  events.fail = true;
  try {
    automation::HostNewValueTable(&events.iface);
    FAIL() << "no exception";
  } catch (const services::ECodedException& e) {
    EXPECT_EQ(e.Code(), 20000);
    EXPECT_EQ(e.Message(), L"хост отказал");
  }
}
