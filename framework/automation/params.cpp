// The parameter block's operations, applied in place to blocks of the host and of the module.
#include "framework/automation/params.h"

#include <oleauto.h>

#include <cstring>
#include <new>

#include "framework/automation/argument_values.h"
#include "framework/automation/host_string.h"
#include "framework/services/error_boundary.h"
#include "framework/services/exceptions.h"
#include "framework/win/hresult_error.h"
#include "framework/win/scoped_bstr.h"
#include "framework/win/scoped_variant.h"
#include "framework/win/text.h"

namespace automation {

void TParams::CreateStorage() {
  if (Storage) return;
  // The record and its values come from the OLE task allocator, the one both sides know.
  auto* record = static_cast<DISPPARAMS*>(CoTaskMemAlloc(sizeof(DISPPARAMS)));
  auto* values = static_cast<VARIANT*>(CoTaskMemAlloc(sizeof(VARIANT) * kOwnCapacity));
  if (!record || !values) {
    CoTaskMemFree(record);
    CoTaskMemFree(values);
    throw std::bad_alloc();
  }
  std::memset(values, 0, sizeof(VARIANT) * kOwnCapacity);
  std::memset(record, 0, sizeof(DISPPARAMS));
  record->rgvarg = values;
  record->cArgs = 0;
  Storage = record;
  OwnsStorage = 1;
}

void TParams::Attach(DISPPARAMS* record) {
  Storage = record;
  OwnsStorage = 0;
}

int TParams::Count() const { return Storage ? static_cast<int>(Storage->cArgs) : 0; }

namespace {

// Position of value i: call order in own storage, reverse (dispatch) order when attached.
VARIANT& Slot(const TParams& block, int i) {
  int position = block.OwnsStorage ? i : block.Count() - 1 - i;
  return block.Storage->rgvarg[position];
}

}  // namespace

VARIANT TParams::Get(int i) const {
  if (i < 0 || i >= Count()) RaiseIndexError(L"Get", i, Count());
  return OwnedCopy(Slot(*this, i)).Release();
}

void TParams::Set(int i, const VARIANT& value) {
  if (i < 0 || i >= Count()) RaiseIndexError(L"Set", i, Count());
  VARIANT& target = Slot(*this, i);
  if (OwnsStorage) {
    win::ScopedVariant copy = OwnedCopy(value);
    EmptyValue(target);
    target = copy.Release();
    return;
  }
  // Attached: the caller sees only what is written through its references.
  if (!WriteThroughReference(target, value, L"TParams.Set"))
    services::RaiseText(L"Неподдерживаемый тип параметра.");
}

void TParams::Add(const VARIANT& value) {
  if (!Storage) CreateStorage();
  if (!OwnsStorage)
    // The caller's record has no known room behind its last value: writing there would
    // overwrite whatever follows it.
    services::RaiseText(L"TParams - добавление значения в чужое хранилище данных невозможно.");
  if (Count() >= kOwnCapacity)
    services::RaisePlain(L"TParams - превышена емкость хранилища данных.");
  Storage->rgvarg[Count()] = OwnedCopy(value).Release();
  ++Storage->cArgs;
}

void TParams::Truncate(int count) {
  if (count < 0 || count > Count()) RaiseIndexError(L"Truncate", count, Count());
  if (!OwnsStorage)
    services::RaiseText(L"TParams - сокращение чужого хранилища данных невозможно.");
  for (int i = count; i < Count(); ++i) EmptyValue(Storage->rgvarg[i]);
  Storage->cArgs = static_cast<UINT>(count);
}

bool TParams::SetCode(int32_t code) {
  Code = code;
  Error = code != 0;
  return Error != 0;
}

void TParams::Clear() {
  Result = nullptr;
  Error = 0;
  {
    win::ScopedVariant source = win::ScopedVariant::FromText(L"");
    win::ScopedVariant description = win::ScopedVariant::FromText(L"Очищено Clear");
    EmptyValue(Source);
    Source = source.Release();
    EmptyValue(Description);
    Description = description.Release();
  }
  SetCode(0);
  if (Storage) {
    for (int i = 0; i < Count(); ++i) EmptyValue(Storage->rgvarg[i]);
    Storage->cArgs = 0;
  }
  TParams* next = Next;
  Next = nullptr;
  DestroyParams(next);
}

void TParams::SetException(int32_t code, const std::wstring& message) noexcept {
  Error = 1;
  SetCode(20000);
  try {
    // Value 1 is the called member's name when the block carries a call.
    win::ScopedVariant source = Count() >= 2 ? OwnedCopy(Slot(*this, 1))
                                             : win::ScopedVariant::FromText(NameText());
    win::ScopedVariant description = win::ScopedVariant::FromText(message);
    EmptyValue(Source);
    Source = source.Release();
    EmptyValue(Description);
    Description = description.Release();
  } catch (...) {
    // Out of memory for the texts: the code still tells the host that the call failed.
  }
  SetCode(code);
}

void TParams::SetExceptionFromCurrent() noexcept {
  // The same reading of the current exception as every other boundary of the module.
  SetException(services::CurrentExceptionCode(), services::CurrentExceptionMessage());
}

std::wstring TParams::NameText() const { return HostStringText(Name); }

void TParams::SetOwnName(std::wstring_view name) {
  if (!IsOwnBlock(this))
    services::RaiseText(L"TParams - имя блока хоста не может быть заменено.");
  char* text = NewHostString(win::WideToAnsi(name));
  ReleaseHostString(Name);
  Name = text;
}

void TParams::RaiseText(std::wstring_view text) { services::RaiseText(text); }

}  // namespace automation
