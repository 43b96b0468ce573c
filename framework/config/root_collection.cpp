// Reference counting and hand-over of collection items held by interface.
#include "framework/config/root_collection.h"

#include "framework/services/error_boundary.h"

namespace config {

TCollectionItemInterface::TCollectionItemInterface(Collection* collection)
    : CollectionItem(collection) {}

ULONG TCollectionItemInterface::AddRef() noexcept {
  return static_cast<ULONG>(InterlockedIncrement(&RefCount_));
}

ULONG TCollectionItemInterface::Release() noexcept {
  LONG count = InterlockedDecrement(&RefCount_);
  if (count == 0) delete this;  // the destructor takes the item out of its collection
  return static_cast<ULONG>(count);
}

HRESULT TCollectionItemInterface::QueryInterface(REFIID iid, void** out) noexcept try {
  if (!out) return E_POINTER;
  *out = InterfaceFor(iid);
  if (!*out) return E_NOINTERFACE;
  AddRef();
  return S_OK;
} catch (...) {
  if (out) *out = nullptr;
  return services::FailureFromCurrentException();
}

void* TCollectionItemInterface::InterfaceFor(REFIID iid) {
  if (IsEqualIID(iid, IID_IUnknown)) return &unknown_;
  return nullptr;
}

void TCollectionItemInterface::Detach() {
  if (Detached_) return;
  Detached_ = true;
  SetCollection(nullptr);
  Release();
}

void TCollectionItemInterface::ReleasedByCollection() {
  // Same as Detach: out of the list first, then the collection's reference goes.
  if (!Detached_) {
    Detach();
  } else {
    SetCollection(nullptr);
  }
}

HRESULT __stdcall TCollectionItemInterface::UnknownImpl::QueryInterface(REFIID iid,
                                                                    void** out) noexcept {
  return owner->QueryInterface(iid, out);
}

ULONG __stdcall TCollectionItemInterface::UnknownImpl::AddRef() noexcept { return owner->AddRef(); }

ULONG __stdcall TCollectionItemInterface::UnknownImpl::Release() noexcept {
  return owner->Release();
}

void TRootCollectionItem::RaiseError(int32_t code,
                                     std::initializer_list<services::FormatArg> args) const {
  services::RaiseError(code, args);
}

TRootCollection::~TRootCollection() {
  // The event support goes before the items, as the list's own destruction order has it.
  EventSupport.Reset();
}

}  // namespace config
