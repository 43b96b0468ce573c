// The event support, task objects and block chains against the layouts the plug-ins rely on.
#include <gtest/gtest.h>

#include <windows.h>
#include <ole2.h>

#include <cstring>

#include "pluhost/lib/host_block.h"
#include "pluhost/lib/host_event_support.h"
#include "pluhost/lib/host_task.h"
#include "pluhost/lib/host_value_table.h"

namespace pluhost {
namespace {

TEST(HostEventSupport, HandsOutHostTablesFromSlot23) {
  IUnknown* support = NewHostEventSupport();
  IUnknown* second = nullptr;
  ASSERT_EQ(support->QueryInterface(kIidEventSupport2, reinterpret_cast<void**>(&second)), S_OK);
  EXPECT_EQ(second, support);
  second->Release();
  auto vtbl = *reinterpret_cast<void* const* const*>(support);
  auto slot = reinterpret_cast<NewValueTableProc>(vtbl[23]);
  VARIANT out;
  VariantInit(&out);
  ASSERT_EQ(slot(support, &out), S_OK);
  ASSERT_EQ(out.vt, VT_DISPATCH);
  int32_t rows = -1, cols = -1;
  EXPECT_TRUE(TableBounds(out.pdispVal, rows, cols));
  EXPECT_EQ(rows, 0);
  EXPECT_EQ(TablesHandedOut(support), 1);
  VariantClear(&out);
  // Another operation is refused, not acted on.
  using Other = HRESULT(__stdcall*)(void*);
  EXPECT_EQ(reinterpret_cast<Other>(vtbl[7])(support), E_NOTIMPL);
  EXPECT_EQ(support->Release(), 0u);
}

TEST(HostTask, LaysOutTheSharedFieldsAndKeepsAliveThroughItsClassTable) {
  GUID device{};
  ASSERT_TRUE(ParseGuid(L"{01234567-89AB-CDEF-0123-456789ABCDEF}", device));
  HostTask* task = NewHostTask(device);
  auto bytes = reinterpret_cast<const uint8_t*>(task);
  EXPECT_EQ(std::memcmp(bytes + 124, &device, 16), 0);
  EXPECT_EQ(ClassNameOf(task), "TInternalTask");
  // A plug-in calls slot 0 with the task in EAX.
  auto table = *reinterpret_cast<void* const* const*>(task);
  auto keep_alive = reinterpret_cast<TaskKeepAliveProc>(table[0]);
  keep_alive(task);
  KeepAlive(task);
  EXPECT_EQ(task->KeepAliveCalls, 2);
  EXPECT_EQ(bytes[144], 0);
  DestroyTask(task);
  EXPECT_FALSE(ParseGuid(L"{0123}", device));
  EXPECT_TRUE(ParseGuid(L"01234567-89AB-CDEF-0123-456789ABCDEF", device));
}

TEST(HostBlockChain, DestroyingTheHeadDestroysEveryLinkThroughItsClassTable) {
  IDispatch* table = NewHostValueTable();
  VARIANT v;
  v.vt = VT_DISPATCH;
  v.pdispVal = table;
  HostBlock* head = NewCallBlock(L"А", CallKind::kMethod);
  HostBlock* middle = NewCallBlock(L"Б", CallKind::kRead);
  HostBlock* tail = NewHostBlock(L"__FRee");
  ASSERT_TRUE(AddValue(head, v));
  ASSERT_TRUE(AddValue(middle, v));
  ASSERT_TRUE(AddValue(tail, v));
  head->Next = middle;
  middle->Next = tail;
  EXPECT_EQ(table->AddRef(), 5u);  // the three blocks' copies and ours
  table->Release();
  DestroyBlock(head);
  EXPECT_EQ(table->Release(), 0u);
}

}  // namespace
}  // namespace pluhost
