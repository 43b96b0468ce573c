// The item and collection bases of the object model: a collection item that the host can
// hold by interface, and the event-source bases of the device list and its devices.
#pragma once

#include <windows.h>
#include <unknwn.h>
#include <oaidl.h>

#include <cstdint>
#include <initializer_list>
#include <string>

#include "framework/config/collection.h"
#include "framework/services/exceptions.h"
#include "framework/win/com_ptr.h"

namespace config {

// The host's event-support interface (IEventSupport2) is an IDispatch descendant; the
// object model only keeps the reference, its users call it through its own table.
using EventSupportRef = win::ComPtr<IDispatch>;

// Describes an item or a collection as an event source for the host.
struct TSD {
  GUID Id = {};
  std::wstring Text1;
  std::wstring Text2;
  std::wstring Text3;
};

// A collection item that is also a reference-counted COM object. It starts with one
// reference, the collection's. Release to zero destroys it; Detach hands the collection's
// reference over to the count.
//
// A collection that lets go of the item (Clear, Delete, its own destruction) drops only its
// own reference: an item that the host still holds stays alive, out of the list, until the
// host's last Release, instead of leaving the host with a dangling interface.
class TCollectionItemInterface : public CollectionItem {
 public:
  ULONG AddRef() noexcept;
  ULONG Release() noexcept;
  HRESULT QueryInterface(REFIID iid, void** out) noexcept;
  // Takes the item out of its collection while the host may still hold it; the second call
  // does nothing.
  void Detach();

  // The item's own IUnknown (answers QueryInterface, AddRef and Release of the item).
  IUnknown* Unknown() { return &unknown_; }
  LONG RefCount() const { return RefCount_; }
  bool Detached() const { return Detached_; }

 protected:
  explicit TCollectionItemInterface(Collection* collection);
  ~TCollectionItemInterface() override = default;

  // The interface table: the pointer to hand out for the identifier, or null. The base
  // answers IUnknown; descendants add the interfaces they embed and defer to the base.
  virtual void* InterfaceFor(REFIID iid);

 private:
  void ReleasedByCollection() override;

  // The item's IUnknown: forwards to the item.
  struct UnknownImpl final : IUnknown {
    explicit UnknownImpl(TCollectionItemInterface* owner) : owner(owner) {}
    HRESULT __stdcall QueryInterface(REFIID iid, void** out) noexcept override;
    ULONG __stdcall AddRef() noexcept override;
    ULONG __stdcall Release() noexcept override;
    TCollectionItemInterface* owner;
  };

  volatile LONG RefCount_ = 1;
  bool Detached_ = false;
  UnknownImpl unknown_{this};
};

// The base of the device items: an event-source descriptor, the host's event support and a
// free tag.
class TRootCollectionItem : public TCollectionItemInterface {
 public:
  TSD Descriptor;
  EventSupportRef EventSupport;
  int32_t Tag = 0;

  [[noreturn]] void RaiseError(int32_t code, std::initializer_list<services::FormatArg> args) const;

 protected:
  explicit TRootCollectionItem(Collection* collection) : TCollectionItemInterface(collection) {}
};

// The base of the device list.
class TRootCollection : public Collection {
 public:
  explicit TRootCollection(ItemFactory factory) : Collection(std::move(factory)) {}
  ~TRootCollection() override;

  TSD Descriptor;
  EventSupportRef EventSupport;
};

}  // namespace config
