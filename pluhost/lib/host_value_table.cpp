// The host's value table object and the by-name readers of value tables.
#include "pluhost/lib/host_value_table.h"

#include <cwchar>

namespace pluhost {
namespace {

constexpr int64_t kMaxCells = 1 << 24;

const wchar_t kOutOfBounds[] = L"Номер элемента массива за пределами границ.";

enum MemberId : DISPID { kGetBounds = 0, kSetBounds, kGetValue, kSetValue, kRowCount, kColCount };
const wchar_t* const kMembers[] = {L"GetBounds", L"SetBounds", L"GetValue", L"SetValue", L"RowCount", L"ColCount"};

HRESULT Fail(EXCEPINFO* info, const std::wstring& text) {
  if (info) {
    *info = EXCEPINFO{};
    info->bstrSource = SysAllocString(L"pluhost.ValueTable");
    info->bstrDescription = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    info->scode = E_UNEXPECTED;
  }
  return DISP_E_EXCEPTION;
}

bool ToInt(const VARIANT& v, int32_t& out) {
  VARIANT copy;
  VariantInit(&copy);
  if (FAILED(VariantChangeType(&copy, const_cast<VARIANT*>(&v), 0, VT_I4))) return false;
  out = copy.lVal;
  return true;
}

// Writes an integer into an argument the caller passed by reference; a by-value argument is
// left alone, as the plug-in's own table does.
void WriteBack(VARIANT& arg, int32_t value) {
  switch (arg.vt) {
    case VT_I4 | VT_BYREF: *arg.plVal = value; break;
    case VT_R8 | VT_BYREF: *arg.pdblVal = value; break;
    case VT_VARIANT | VT_BYREF:
      VariantClear(arg.pvarVal);
      arg.pvarVal->vt = VT_I4;
      arg.pvarVal->lVal = value;
      break;
    default: break;
  }
}

class ValueTable final : public IDispatch {
 public:
  HRESULT __stdcall QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch) {
      *out = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG __stdcall AddRef() override { return InterlockedIncrement(&refs_); }
  ULONG __stdcall Release() override {
    LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return left;
  }
  HRESULT __stdcall GetTypeInfoCount(UINT* count) override {
    if (count) *count = 0;
    return S_OK;
  }
  HRESULT __stdcall GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT __stdcall GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    HRESULT hr = S_OK;
    for (UINT i = 0; i < count; ++i) {
      ids[i] = DISPID_UNKNOWN;
      for (DISPID id = 0; id < static_cast<DISPID>(std::size(kMembers)); ++id)
        if (i == 0 && _wcsicmp(names[i], kMembers[id]) == 0) ids[i] = id;
      if (ids[i] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
  }
  HRESULT __stdcall Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                           EXCEPINFO* info, UINT*) override {
    UINT n = params ? params->cArgs : 0;
    // Invoke receives the arguments in reverse order.
    auto arg = [&](UINT i) -> VARIANT& { return params->rgvarg[n - 1 - i]; };
    if (result) VariantInit(result);
    switch (id) {
      case kRowCount:
      case kColCount:
        if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) return Fail(info, L"Свойство доступно только для чтения");
        if (result) {
          result->vt = VT_I4;
          result->lVal = id == kRowCount ? rows_ : cols_;
        }
        return S_OK;
      case kGetBounds:
        if (n != 2) return DISP_E_BADPARAMCOUNT;
        WriteBack(arg(0), rows_);
        WriteBack(arg(1), cols_);
        return S_OK;
      case kSetBounds: {
        if (n != 2) return DISP_E_BADPARAMCOUNT;
        int32_t rows = 0, cols = 0;
        if (!ToInt(arg(0), rows) || !ToInt(arg(1), cols)) return DISP_E_TYPEMISMATCH;
        // A size the host cannot hold is refused; letting the allocation fail would throw
        // through Invoke into the caller's code.
        if (static_cast<int64_t>(rows) * cols > kMaxCells) return Fail(info, L"Недостаточно памяти для таблицы");
        Resize(rows, cols);
        return S_OK;
      }
      case kGetValue: {
        if (n != 2) return DISP_E_BADPARAMCOUNT;
        int32_t r = 0, c = 0;
        if (!ToInt(arg(0), r) || !ToInt(arg(1), c)) return DISP_E_TYPEMISMATCH;
        if (!Inside(r, c)) return Fail(info, kOutOfBounds);
        if (result) VariantCopy(result, const_cast<VARIANT*>(&cells_[r][c].Get()));
        return S_OK;
      }
      case kSetValue: {
        if (n != 3) return DISP_E_BADPARAMCOUNT;
        int32_t r = 0, c = 0;
        if (!ToInt(arg(0), r) || !ToInt(arg(1), c)) return DISP_E_TYPEMISMATCH;
        if (!Inside(r, c)) {
          wchar_t text[160];
          swprintf(text, 160, L"%ls X:%d Y:%d CountX:%d CountY:%d", kOutOfBounds, r, c, rows_, cols_);
          return Fail(info, text);
        }
        // A value passed by reference is stored as the value it references.
        if (FAILED(VariantCopyInd(cells_[r][c].Put(), &arg(2)))) return Fail(info, L"Ошибка типа параметра. ");
        return S_OK;
      }
      default:
        return DISP_E_MEMBERNOTFOUND;
    }
  }

 private:
  ~ValueTable() = default;

  bool Inside(int32_t r, int32_t c) const { return r >= 0 && r < rows_ && c >= 0 && c < cols_; }

  // Keeps every cell that lies inside both the old and the new size.
  void Resize(int32_t rows, int32_t cols) {
    if (rows < 0 || cols < 0 || (rows == rows_ && cols == cols_)) return;
    cells_.resize(rows);
    for (auto& row : cells_) row.resize(cols);
    rows_ = rows;
    cols_ = cols;
  }

  LONG refs_ = 1;
  int32_t rows_ = 0;
  int32_t cols_ = 0;
  TableCells cells_;
};

}  // namespace

IDispatch* NewHostValueTable() { return new ValueTable(); }

HRESULT CallByName(IDispatch* object, const wchar_t* name, std::vector<VARIANT> args, VARIANT* result,
                   std::wstring* error) {
  if (!object) return E_POINTER;
  DISPID id = DISPID_UNKNOWN;
  auto* member = const_cast<LPOLESTR>(name);
  HRESULT hr = object->GetIDsOfNames(IID_NULL, &member, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(hr)) return hr;
  std::vector<VARIANT> reversed(args.rbegin(), args.rend());
  DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
  EXCEPINFO info{};
  HostVariant scratch;
  hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD | DISPATCH_PROPERTYGET, &params,
                      result ? result : scratch.Put(), &info, nullptr);
  if (hr == DISP_E_EXCEPTION && error && info.bstrDescription)
    *error = std::wstring(info.bstrDescription, SysStringLen(info.bstrDescription));
  SysFreeString(info.bstrSource);
  SysFreeString(info.bstrDescription);
  SysFreeString(info.bstrHelpFile);
  return hr;
}

bool TableBounds(IDispatch* object, int32_t& rows, int32_t& columns) {
  rows = columns = 0;
  VARIANT r, c;
  r.vt = c.vt = VT_I4 | VT_BYREF;
  r.plVal = reinterpret_cast<LONG*>(&rows);
  c.plVal = reinterpret_cast<LONG*>(&columns);
  return SUCCEEDED(CallByName(object, L"GetBounds", {r, c}, nullptr));
}

bool ReadTable(IDispatch* object, TableCells& cells, std::wstring* error) {
  cells.clear();
  int32_t rows = 0, cols = 0;
  if (!TableBounds(object, rows, cols)) return false;
  for (int32_t r = 0; r < rows; ++r) {
    cells.emplace_back();
    for (int32_t c = 0; c < cols; ++c) {
      VARIANT row, col;
      row.vt = col.vt = VT_I4;
      row.lVal = r;
      col.lVal = c;
      HostVariant cell;
      if (FAILED(CallByName(object, L"GetValue", {row, col}, cell.Put(), error))) return false;
      cells.back().push_back(std::move(cell));
    }
  }
  return true;
}

bool ReadArray(const VARIANT& value, TableCells& cells) {
  cells.clear();
  if (!(value.vt & VT_ARRAY)) return false;
  SAFEARRAY* array = (value.vt & VT_BYREF) ? *value.pparray : value.parray;
  if (!array || SafeArrayGetDim(array) != 2) return false;
  LONG r0 = 0, r1 = -1, c0 = 0, c1 = -1;
  SafeArrayGetLBound(array, 1, &r0);
  SafeArrayGetUBound(array, 1, &r1);
  SafeArrayGetLBound(array, 2, &c0);
  SafeArrayGetUBound(array, 2, &c1);
  VARTYPE vt = VT_EMPTY;
  SafeArrayGetVartype(array, &vt);
  for (LONG r = r0; r <= r1; ++r) {
    cells.emplace_back();
    for (LONG c = c0; c <= c1; ++c) {
      LONG index[2] = {r, c};
      HostVariant cell;
      if (vt == VT_VARIANT) {
        SafeArrayGetElement(array, index, cell.Put());
      } else {
        // Typed elements: read into the matching member of a variant of that type.
        VARIANT* slot = cell.Put();
        if (SUCCEEDED(SafeArrayGetElement(array, index, &slot->lVal))) slot->vt = vt;
      }
      cells.back().push_back(std::move(cell));
    }
  }
  return true;
}

IDispatch* MakeHostTable(const TableCells& cells) {
  IDispatch* table = NewHostValueTable();
  size_t cols = 0;
  for (const auto& row : cells) cols = std::max(cols, row.size());
  VARIANT r, c;
  r.vt = c.vt = VT_I4;
  r.lVal = static_cast<LONG>(cells.size());
  c.lVal = static_cast<LONG>(cols);
  CallByName(table, L"SetBounds", {r, c}, nullptr);
  for (size_t i = 0; i < cells.size(); ++i)
    for (size_t j = 0; j < cells[i].size(); ++j) {
      r.lVal = static_cast<LONG>(i);
      c.lVal = static_cast<LONG>(j);
      CallByName(table, L"SetValue", {r, c, cells[i][j].Get()}, nullptr);
    }
  return table;
}

}  // namespace pluhost
