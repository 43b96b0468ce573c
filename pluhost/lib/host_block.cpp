// The host's parameter blocks and the class table through which anyone destroys them.
#include "pluhost/lib/host_block.h"

#include <objbase.h>

#include <cstring>

#include "framework/win/com_ptr.h"

namespace pluhost {
namespace {

using Destructor = void(__attribute__((regparm(2))) *)(void* object, int32_t flag);

void __attribute__((regparm(2))) DestroyHostBlock(void* object, int32_t flag);

// A class table as the host lays it out: the object's first word points at `first_slot`;
// the word 44 bytes before it addresses the class name, the word 4 bytes before it is the
// destructor.
struct ClassTable {
  const void* words[11];
  const void* first_slot;
};

const char kClassName[] = "\x07TParams";

const ClassTable kHostBlockClass = {
    {kClassName, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
     reinterpret_cast<const void*>(&DestroyHostBlock)},
    nullptr};

void ClearValue(VARIANT& v) {
  // An 8-bit host string belongs to whoever made it; the host's own are freed here.
  if (v.vt == 0x0100) {
    FreeHostString(static_cast<char*>(v.byref));
    VariantInit(&v);
  } else {
    VariantClear(&v);
  }
}

void __attribute__((regparm(2))) DestroyHostBlock(void* object, int32_t) {
  auto* block = static_cast<HostBlock*>(object);
  if (!block) return;
  DestroyBlock(block->Next);
  if (block->Storage && block->OwnsStorage) {
    for (UINT i = 0; i < kBlockCapacity; ++i) ClearValue(block->Storage->rgvarg[i]);
    CoTaskMemFree(block->Storage->rgvarg);
    CoTaskMemFree(block->Storage);
  }
  VariantClear(&block->Source);
  VariantClear(&block->Description);
  win::ComPtr<IUnknown>::Adopt(block->EventSupport);  // the block's reference goes with it
  FreeHostString(block->Name);
  CoTaskMemFree(block);
}

}  // namespace

char* NewHostString(std::string_view text) {
  if (text.empty()) return nullptr;
  auto* raw = static_cast<char*>(CoTaskMemAlloc(8 + text.size() + 1));
  if (!raw) return nullptr;
  int32_t header[2] = {1, static_cast<int32_t>(text.size())};
  std::memcpy(raw, header, sizeof header);
  std::memcpy(raw + 8, text.data(), text.size());
  raw[8 + text.size()] = '\0';
  return raw + 8;
}

void FreeHostString(char* text) noexcept {
  if (text) CoTaskMemFree(text - 8);
}

HostBlock* NewHostBlock(std::wstring_view name) {
  auto* block = static_cast<HostBlock*>(CoTaskMemAlloc(sizeof(HostBlock)));
  if (!block) return nullptr;
  std::memset(block, 0, sizeof *block);
  block->ClassRef = &kHostBlockClass.first_slot;
  VariantInit(&block->Source);
  VariantInit(&block->Description);
  auto* record = static_cast<DISPPARAMS*>(CoTaskMemAlloc(sizeof(DISPPARAMS)));
  auto* values = static_cast<VARIANT*>(CoTaskMemAlloc(sizeof(VARIANT) * kBlockCapacity));
  if (!record || !values) {
    CoTaskMemFree(record);
    CoTaskMemFree(values);
    CoTaskMemFree(block);
    return nullptr;
  }
  std::memset(values, 0, sizeof(VARIANT) * kBlockCapacity);
  std::memset(record, 0, sizeof *record);
  record->rgvarg = values;
  block->Storage = record;
  block->OwnsStorage = 1;
  if (!name.empty()) {
    int n = WideCharToMultiByte(CP_ACP, 0, name.data(), static_cast<int>(name.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string ansi(n, '\0');
    WideCharToMultiByte(CP_ACP, 0, name.data(), static_cast<int>(name.size()), ansi.data(), n,
                        nullptr, nullptr);
    block->Name = NewHostString(ansi);
  }
  return block;
}

void DestroyBlock(HostBlock* block) noexcept {
  if (!block) return;
  auto table = static_cast<const void* const*>(block->ClassRef);
  auto destructor = reinterpret_cast<Destructor>(const_cast<void*>(table[-1]));
  destructor(block, 1);
}

HostBlock* NewCallBlock(std::wstring_view member, CallKind kind) {
  HostBlock* block = NewHostBlock();
  if (!block) return nullptr;
  VARIANT v;
  VariantInit(&v);
  AddValue(block, v);  // value 0: the result
  v.vt = VT_BSTR;
  v.bstrVal = SysAllocStringLen(member.data(), static_cast<UINT>(member.size()));
  AddValue(block, v);
  VariantClear(&v);
  v.vt = VT_I4;
  v.lVal = static_cast<LONG>(kind);
  AddValue(block, v);
  return block;
}

bool AddValue(HostBlock* block, const VARIANT& value) {
  if (!block || !block->Storage || block->Storage->cArgs >= kBlockCapacity) return false;
  VARIANT& slot = block->Storage->rgvarg[block->Storage->cArgs];
  VariantInit(&slot);
  if (FAILED(VariantCopy(&slot, const_cast<VARIANT*>(&value)))) return false;
  ++block->Storage->cArgs;
  return true;
}

int ValueCount(const HostBlock* block) {
  return block && block->Storage ? static_cast<int>(block->Storage->cArgs) : 0;
}

const VARIANT* ValueAt(const HostBlock* block, int i) {
  if (i < 0 || i >= ValueCount(block)) return nullptr;
  return &block->Storage->rgvarg[i];
}

std::string ClassNameOf(const void* object) {
  if (!object) return {};
  auto table = *static_cast<const void* const* const*>(object);
  auto name = static_cast<const unsigned char*>(table[-11]);
  if (!name) return {};
  return std::string(reinterpret_cast<const char*>(name + 1), name[0]);
}

}  // namespace pluhost
