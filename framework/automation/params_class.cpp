// The module's class table for the parameter blocks it creates, their destructor, and
// destruction through a block's own class table.
#include <windows.h>
#include <oleauto.h>

#include <cstddef>
#include <cstring>
#include <memory>
#include <new>

#include "framework/automation/argument_values.h"
#include "framework/automation/host_string.h"
#include "framework/automation/params.h"
#include "framework/win/com_ptr.h"
#include "framework/win/scoped_variant.h"

namespace automation {
namespace {

void __attribute__((regparm(2))) DestroyOwnBlock(void* object, int32_t flag);

// Laid out as the host lays its class tables: the class reference points at `first_slot`,
// so the name sits at -44 and the destructor at -4.
struct ClassTable {
  const unsigned char* class_name;  // T - 44
  const void* reserved[9];          // T - 40 .. T - 8: slots the host never asks of a block
  BlockDestructor destructor;       // T - 4
  const void* first_slot;           // T
};
static_assert(offsetof(ClassTable, first_slot) - offsetof(ClassTable, class_name) == 44);
static_assert(offsetof(ClassTable, first_slot) - offsetof(ClassTable, destructor) == 4);

constexpr unsigned char kClassName[] = "\x07TParams";

const ClassTable kClassTable = {kClassName, {}, &DestroyOwnBlock, nullptr};

const void* OwnClassRef() { return &kClassTable.first_slot; }

// Everything in a block of the module's class was allocated by the module, except what the
// host put in attached storage, which stays the caller's.
void __attribute__((regparm(2))) DestroyOwnBlock(void* object, int32_t /*flag*/) {
  auto* block = static_cast<TParams*>(object);
  DestroyParams(block->Next);
  block->Next = nullptr;
  if (block->OwnsStorage && block->Storage) {
    for (UINT i = 0; i < block->Storage->cArgs; ++i) EmptyValue(block->Storage->rgvarg[i]);
    CoTaskMemFree(block->Storage->rgvarg);
    CoTaskMemFree(block->Storage);
  }
  block->Storage = nullptr;
  EmptyValue(block->Source);
  EmptyValue(block->Description);
  // The module's blocks hold a reference to the event support they carry.
  win::ComPtr<IUnknown>::Adopt(block->EventSupport);
  block->EventSupport = nullptr;
  ReleaseHostString(block->Name);
  block->Name = nullptr;
  delete block;
}

}  // namespace

TParams* NewParams() {
  std::unique_ptr<TParams> owner(new TParams{});
  TParams* block = owner.get();
  block->ClassRef = OwnClassRef();
  // A fresh block's source and description are empty texts.
  block->Source = win::ScopedVariant::FromText(L"").Release();
  block->Description = win::ScopedVariant::FromText(L"").Release();
  return owner.release();
}

bool IsOwnBlock(const TParams* block) noexcept {
  return block && block->ClassRef == OwnClassRef();
}

void DestroyParams(TParams* block) noexcept {
  if (!block) return;
  BlockDestructor destructor;
  std::memcpy(&destructor, static_cast<const char*>(block->ClassRef) - 4, sizeof destructor);
  destructor(block, 1);
}

}  // namespace automation
