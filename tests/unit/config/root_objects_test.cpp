// Global identifiers, the owning collection, items held by interface and the root object's
// window and interfaces.
#include <gtest/gtest.h>

#include <ole2.h>

#include <thread>
#include <vector>

#include "framework/config/global_id.h"
#include "framework/config/root_collection.h"
#include "framework/config/root_object.h"
#include "framework/services/exceptions.h"
#include "framework/win/scoped_bstr.h"
#include "framework/win/module.h"
#include "framework/win/scoped_variant.h"

namespace config {
namespace {

TEST(GlobalId, TextForms) {
  const GUID id = {0xB49766DD, 0x5C96, 0x4181, {0xA4, 0xAE, 0x23, 0x51, 0x3F, 0x1A, 0x77, 0xC3}};
  EXPECT_TRUE(SameGlobalId(GlobalIdFromText(L"{b49766dd-5c96-4181-a4ae-23513f1a77c3}"), id));
  EXPECT_EQ(GlobalIdToText(id), L"{B49766DD-5C96-4181-A4AE-23513F1A77C3}");
  EXPECT_EQ(GlobalIdToText(GUID_NULL), L"{00000000-0000-0000-0000-000000000000}");
  EXPECT_TRUE(SameGlobalId(GlobalIdFromText(std::wstring_view()), GUID_NULL));
  EXPECT_TRUE(SameGlobalId(GlobalIdFromText(std::string_view("{B49766DD-5C96-4181-A4AE-23513F1A77C3}")), id));

  for (const wchar_t* bad : {L"Модель", L"{B49766DD-5C96-4181-A4AE-23513F1A77C}", L"B49766DD"}) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(bad)));
    try {
      GlobalIdFromText(bad);
      ADD_FAILURE() << "accepted";
    } catch (const services::ECodedException&) {
      ADD_FAILURE() << "a general error is expected, not a coded one";
    } catch (const services::Exception& e) {
      EXPECT_EQ(e.Message(), L"Значение не является идентификатором объекта.");
    }
  }

  GUID a = NewGlobalId();
  GUID b = NewGlobalId();
  EXPECT_FALSE(SameGlobalId(a, b));
  EXPECT_FALSE(SameGlobalId(a, GUID_NULL));
  EXPECT_TRUE(IsWinNT());
}

TEST(GlobalId, IsGlobalIdTextAcceptsTextsOnly) {
  win::ScopedVariant empty = win::ScopedVariant::FromText(L"");
  win::ScopedVariant good = win::ScopedVariant::FromText(L"{B49766DD-5C96-4181-A4AE-23513F1A77C3}");
  win::ScopedVariant word = win::ScopedVariant::FromText(L"Касса");
  win::ScopedVariant number = win::ScopedVariant::FromInt(1);
  EXPECT_TRUE(IsGlobalIdText(empty.Get()));
  EXPECT_TRUE(IsGlobalIdText(good.Get()));
  EXPECT_FALSE(IsGlobalIdText(word.Get()));
  EXPECT_FALSE(IsGlobalIdText(number.Get()));
  VARIANT unset;
  VariantInit(&unset);
  EXPECT_FALSE(IsGlobalIdText(unset));

  // The host's 8-bit text: the pointer field addresses the characters.
  char host_text[] = "{B49766DD-5C96-4181-A4AE-23513F1A77C3}";
  VARIANT ansi;
  VariantInit(&ansi);
  ansi.vt = 0x0100;
  ansi.byref = host_text;
  EXPECT_TRUE(IsGlobalIdText(ansi));
  ansi.byref = nullptr;
  EXPECT_TRUE(IsGlobalIdText(ansi));
}

// An item that counts its destruction and carries a value for Assign.
class CountedItem : public TCollectionItemInterface {
 public:
  CountedItem(Collection* owner, int* destroyed) : TCollectionItemInterface(owner), destroyed_(destroyed) {}
  ~CountedItem() override { ++*destroyed_; }
  void Assign(const CollectionItem& source) override {
    value = static_cast<const CountedItem&>(source).value;
  }
  int value = 0;

 private:
  int* destroyed_;
};

class ItemLifetime : public testing::Test {
 protected:
  Collection::ItemFactory Factory() {
    return [this](Collection& owner) { return new CountedItem(&owner, &destroyed); };
  }
  CountedItem* AddTo(Collection& list) { return static_cast<CountedItem*>(list.Add()); }

  int destroyed = 0;
};

TEST_F(ItemLifetime, HeldItemSurvivesDetachUntilTheLastRelease) {
  Collection list(Factory());
  CountedItem* item = AddTo(list);
  AddTo(list);
  EXPECT_EQ(item->RefCount(), 1);
  IUnknown* held = nullptr;
  ASSERT_EQ(item->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&held)), S_OK);
  EXPECT_EQ(item->RefCount(), 2);

  item->Detach();
  EXPECT_EQ(list.Count(), 1);
  EXPECT_EQ(item->GetCollection(), nullptr);
  EXPECT_EQ(destroyed, 0);
  item->Detach();  // the collection's reference is handed over once only
  EXPECT_EQ(item->RefCount(), 1);
  EXPECT_EQ(destroyed, 0);

  EXPECT_EQ(held->Release(), 0u);
  EXPECT_EQ(destroyed, 1);
  EXPECT_EQ(list.Count(), 1);
}

TEST_F(ItemLifetime, DetachOfAnUnheldItemDestroysIt) {
  Collection list(Factory());
  AddTo(list)->Detach();
  EXPECT_EQ(destroyed, 1);
  EXPECT_EQ(list.Count(), 0);
}

TEST_F(ItemLifetime, ClearingDropsOnlyTheCollectionsReference) {
  CountedItem* held;
  {
    Collection list(Factory());
    held = AddTo(list);
    AddTo(list);
    held->AddRef();
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(destroyed, 1);  // the unheld one
    AddTo(list);
  }  // destruction of the list lets go of its items the same way
  EXPECT_EQ(destroyed, 2);
  EXPECT_EQ(held->GetCollection(), nullptr);
  EXPECT_EQ(held->Release(), 0u);
  EXPECT_EQ(destroyed, 3);
}

TEST_F(ItemLifetime, DeleteOfAHeldItemKeepsItAlive) {
  Collection list(Factory());
  CountedItem* item = AddTo(list);
  item->AddRef();
  list.Delete(0);
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(destroyed, 0);
  EXPECT_TRUE(item->Detached());
  item->Release();
  EXPECT_EQ(destroyed, 1);
}

TEST_F(ItemLifetime, CountingIsSafeAcrossThreads) {
  Collection list(Factory());
  CountedItem* item = AddTo(list);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([item] {
      for (int i = 0; i < 20000; ++i) {
        item->AddRef();
        item->Release();
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(item->RefCount(), 1);
  EXPECT_EQ(destroyed, 0);
}

TEST_F(ItemLifetime, ReleaseToZeroTakesTheItemOutOfItsList) {
  Collection list(Factory());
  CountedItem* item = AddTo(list);
  item->Release();  // a host that over-releases: the item must not stay listed
  EXPECT_EQ(destroyed, 1);
  EXPECT_EQ(list.Count(), 0);
}

TEST_F(ItemLifetime, QueryInterfaceAnswersFromTheTable) {
  Collection list(Factory());
  CountedItem* item = AddTo(list);
  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(item->QueryInterface(IID_IDispatch, &out), E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(item->RefCount(), 1);
  IUnknown* unknown = item->Unknown();
  EXPECT_EQ(unknown->AddRef(), 2u);
  EXPECT_EQ(unknown->Release(), 1u);
}

TEST_F(ItemLifetime, CollectionOrderDeleteAndAssign) {
  Collection list(Factory());
  AddTo(list)->value = 1;
  AddTo(list)->value = 3;
  static_cast<CountedItem*>(list.Insert(1))->value = 2;
  ASSERT_EQ(list.Count(), 3);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(static_cast<CountedItem*>(list.Item(i))->value, i + 1);
    EXPECT_EQ(list.Item(i)->Index(), i);
  }
  Collection copy(Factory());
  AddTo(copy);
  copy.Assign(list);
  EXPECT_EQ(destroyed, 1);
  ASSERT_EQ(copy.Count(), 3);
  EXPECT_EQ(static_cast<CountedItem*>(copy.Item(2))->value, 3);

  list.Delete(0);
  EXPECT_EQ(destroyed, 2);
  EXPECT_EQ(static_cast<CountedItem*>(list.Item(0))->value, 2);
  EXPECT_THROW(list.Item(2), services::ECodedException);
}

// A dispatch object that only counts references, standing in for the host's event support.
struct CountingDispatch : IDispatch {
  LONG refs = 1;
  HRESULT __stdcall QueryInterface(REFIID, void** out) override { *out = nullptr; return E_NOINTERFACE; }
  ULONG __stdcall AddRef() override { return ++refs; }
  ULONG __stdcall Release() override { return --refs; }
  HRESULT __stdcall GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  HRESULT __stdcall GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT __stdcall GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT __stdcall Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }
};

class EventSourceItem : public TRootCollectionItem {
 public:
  explicit EventSourceItem(Collection* owner) : TRootCollectionItem(owner) {}
};

TEST(RootCollection, ItemsAndCollectionReleaseTheEventSupport) {
  CountingDispatch host;
  {
    TRootCollection list([](Collection& owner) { return new EventSourceItem(&owner); });
    list.EventSupport = EventSupportRef::AddRefOf(&host);
    auto* item = static_cast<EventSourceItem*>(list.Add());
    item->EventSupport = EventSupportRef::AddRefOf(&host);
    EXPECT_EQ(item->Tag, 0);
    EXPECT_EQ(host.refs, 3);
    list.Clear();
    EXPECT_EQ(host.refs, 2);
  }
  EXPECT_EQ(host.refs, 1);
}

TEST(RootObject, HiddenTopLevelWindowAndSecurityBlocks) {
  TRootObject root;
  HWND window = root.Handle();
  ASSERT_TRUE(IsWindow(window));
  EXPECT_EQ(GetParent(window), nullptr);
  EXPECT_EQ(GetWindowLongW(window, GWL_STYLE) & WS_CHILD, 0);
  EXPECT_FALSE(IsWindowVisible(window));

  SECURITY_ATTRIBUTES* attributes = root.SecurityAttributes();
  EXPECT_EQ(attributes->nLength, 12u);
  EXPECT_EQ(attributes->lpSecurityDescriptor, root.SecurityDescriptor());
  EXPECT_FALSE(attributes->bInheritHandle);
  BOOL present = FALSE, defaulted = TRUE;
  PACL dacl = reinterpret_cast<PACL>(1);
  ASSERT_TRUE(GetSecurityDescriptorDacl(root.SecurityDescriptor(), &present, &dacl, &defaulted));
  EXPECT_TRUE(present);
  EXPECT_EQ(dacl, nullptr);  // a null list: full access for everyone
  EXPECT_FALSE(defaulted);
  // The prepared attributes work for a named kernel object.
  HANDLE mutex = CreateMutexW(attributes, FALSE, L"config-root-object-test");
  EXPECT_NE(mutex, nullptr);
  CloseHandle(mutex);

  CountingDispatch host;
  root.EventSupport = EventSupportRef::AddRefOf(&host);
  EXPECT_EQ(host.refs, 2);
  root.ReleaseEventSupport();
  EXPECT_EQ(host.refs, 1);
  EXPECT_FALSE(root.EventSupport);
  root.EventSupport = EventSupportRef::AddRefOf(&host);
  {
    TRootObject other;
    other.EventSupport = EventSupportRef::AddRefOf(&host);
  }
  EXPECT_EQ(host.refs, 2);
  root.ReleaseEventSupport();
}

TEST(RootObject, LastObjectTakesItsWindowClassAway) {
  WNDCLASSEXW info = {sizeof(info)};
  {
    TRootObject first;
    {
      TRootObject second;
    }
    EXPECT_TRUE(GetClassInfoExW(win::ThisModule(), L"TRootObjectWindow", &info));
    EXPECT_TRUE(IsWindow(first.Handle()));
  }
  // A class left behind would outlive an unloaded plug-in with a dead window procedure.
  EXPECT_FALSE(GetClassInfoExW(win::ThisModule(), L"TRootObjectWindow", &info));
}

TEST(RootObject, InstanceInterfaceIsMissing) {
  TRootObject root;
  IRootObjectLink* link = nullptr;
  ASSERT_EQ(root.QueryInterface(IID_IRootObjectLink, reinterpret_cast<void**>(&link)), S_OK);
  ASSERT_EQ(link, root.RootObjectLink());
  IUnknown* instance = reinterpret_cast<IUnknown*>(1);
  EXPECT_EQ(link->GetInstance(&instance), E_UNEXPECTED);
  EXPECT_EQ(instance, nullptr);
  win::ComPtr<IErrorInfo> info;
  ASSERT_EQ(GetErrorInfo(0, info.Put()), S_OK);
  win::ScopedBstr description;
  info->GetDescription(description.Put());
  EXPECT_EQ(description.Text(), L"Interface not supported");

  // WM_GETOBJECT gets no other handling and registers nothing.
  EXPECT_EQ(SendMessageW(root.Handle(), WM_GETOBJECT, 0, OBJID_CLIENT), 0);
  win::ComPtr<IUnknown> active;
  EXPECT_TRUE(FAILED(GetActiveObject(IID_IRootObjectInstance, nullptr, active.Put())));
}

// A static object standing for the instance interface: the running-object table may keep
// its reference past the test.
struct StaticInstance : IUnknown {
  HRESULT __stdcall QueryInterface(REFIID iid, void** out) override {
    *out = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IRootObjectInstance) ? this : nullptr;
    return *out ? S_OK : E_NOINTERFACE;
  }
  ULONG __stdcall AddRef() override { return 2; }
  ULONG __stdcall Release() override { return 1; }
};
StaticInstance g_instance;

class RootWithInstance : public TRootObject {
 public:
  void* InterfaceFor(REFIID iid) override {
    if (IsEqualIID(iid, IID_IRootObjectInstance)) return &g_instance;
    return TRootObject::InterfaceFor(iid);
  }
};

TEST(RootObject, DescendantWithTheInstanceInterface) {
  RootWithInstance root;
  IUnknown* instance = nullptr;
  ASSERT_EQ(root.RootObjectLink()->GetInstance(&instance), S_OK);
  EXPECT_EQ(instance, &g_instance);

  EXPECT_EQ(SendMessageW(root.Handle(), WM_GETOBJECT, 0, OBJID_CLIENT), 0);
  win::ComPtr<IUnknown> active;
  EXPECT_EQ(GetActiveObject(IID_IRootObjectInstance, nullptr, active.Put()), S_OK);
  EXPECT_EQ(active.Get(), &g_instance);
}

}  // namespace
}  // namespace config
