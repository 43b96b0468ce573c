// The value table object: its identity, its interface slots and its members by name.
#include <gtest/gtest.h>

#include <windows.h>
#include <oleauto.h>

#include "framework/automation/identifiers.h"
#include "framework/automation/value_table.h"
#include "framework/services/exceptions.h"
#include "framework/win/scoped_bstr.h"
#include "framework/win/scoped_handle.h"
#include "framework/win/scoped_safearray.h"
#include "tests/unit/automation/safe_array_dispatch.h"

namespace {

using automation::ISafeArray;
using testing_dispatch::Int;
using testing_dispatch::IntRef;
using testing_dispatch::Invoke;
using testing_dispatch::Outcome;

constexpr wchar_t kBoundsText[] = L"Номер элемента массива за пределами границ.";

win::ComPtr<ISafeArray> Table(LONG rows, LONG columns) {
  win::ComPtr<ISafeArray> table = automation::CreateValueTable();
  EXPECT_EQ(table->SetBounds(rows, columns), S_OK);
  return table;
}

LONG CellInt(ISafeArray* table, LONG row, LONG column) {
  win::ScopedVariant v;
  EXPECT_EQ(table->GetValue(row, column, v.Put()), S_OK) << row << "," << column;
  EXPECT_EQ(v.Type(), VT_I4);
  return v.Get().lVal;
}

std::pair<LONG, LONG> Bounds(ISafeArray* table) {
  LONG rows = -1, columns = -1;
  EXPECT_EQ(table->GetBounds(&rows, &columns), S_OK);
  return {rows, columns};
}

}  // namespace

TEST(SafeArrayIdentity, ProgIdIsTheErrorSource) {
  win::ComPtr<ISafeArray> table = automation::CreateValueTable();
  win::ScopedVariant v;
  EXPECT_EQ(table->GetValue(0, 0, v.Put()), E_UNEXPECTED);
  auto [description, source] = testing_dispatch::TakeErrorInfo();
  EXPECT_EQ(description, kBoundsText);
  EXPECT_EQ(source, L"AddIn.SafeArray");
  EXPECT_TRUE(v.IsEmpty());
}

TEST(SafeArrayIdentity, OneFactoryInProcessOnly) {
  IClassFactory* factory = automation::ValueTableFactory();
  win::ComPtr<ISafeArray> first = automation::CreateValueTable();
  win::ComPtr<ISafeArray> second = automation::CreateValueTable();
  EXPECT_NE(first.Get(), second.Get());
  EXPECT_EQ(automation::ValueTableFactory(), factory);
  // Several instances from the one factory, each its own table.
  EXPECT_EQ(first->SetBounds(2, 2), S_OK);
  EXPECT_EQ(Bounds(second.Get()), std::make_pair(0L, 0L));

  win::ComPtr<IDispatch> direct;
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IDispatch, direct.PutVoid()), S_OK);
  EXPECT_TRUE(direct);
  win::ComPtr<IUnknown> aggregated;
  EXPECT_EQ(factory->CreateInstance(direct.Get(), IID_IUnknown, aggregated.PutVoid()),
            CLASS_E_NOAGGREGATION);

  // Nothing registered with the system: other programs cannot make one.
  CLSID clsid = {};
  EXPECT_TRUE(FAILED(CLSIDFromProgID(L"AddIn.SafeArray", &clsid)));
  win::ComPtr<IClassFactory> system_factory;
  EXPECT_TRUE(FAILED(CoGetClassObject(automation::kClsidSafeArray, CLSCTX_ALL, nullptr,
                                      IID_IClassFactory, system_factory.PutVoid())));
}

TEST(SafeArrayIdentity, TypeInfoDescribesOnlyTest) {
  win::ComPtr<ISafeArray> table = automation::CreateValueTable();
  UINT count = 0;
  ASSERT_EQ(table->GetTypeInfoCount(&count), S_OK);
  EXPECT_EQ(count, 1u);
  win::ComPtr<ITypeInfo> info;
  ASSERT_EQ(table->GetTypeInfo(0, 0, info.Put()), S_OK);
  TYPEATTR* attr = nullptr;
  ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
  EXPECT_TRUE(IsEqualGUID(attr->guid, automation::kIidSafeArray));
  info->ReleaseTypeAttr(attr);

  LPOLESTR test_name[] = {const_cast<LPOLESTR>(L"Test")};
  MEMBERID test = 0;
  EXPECT_EQ(info->GetIDsOfNames(test_name, 1, &test), S_OK);
  EXPECT_EQ(test, 201);
  LPOLESTR get_value[] = {const_cast<LPOLESTR>(L"GetValue")};
  MEMBERID id = 0;
  EXPECT_TRUE(FAILED(info->GetIDsOfNames(get_value, 1, &id))) << "the library lists no GetValue";

  // The object answers from its own table, whatever the case.
  const wchar_t* spellings[] = {L"getvalue", L"GetValue", L"GETVALUE"};
  for (const wchar_t* name : spellings) {
    HRESULT hr = E_FAIL;
    EXPECT_EQ(testing_dispatch::IdOf(table.Get(), name, &hr), 2) << name;
    EXPECT_EQ(hr, S_OK);
  }
  HRESULT hr = S_OK;
  testing_dispatch::IdOf(table.Get(), L"Test", &hr);
  EXPECT_EQ(hr, E_NOTIMPL);
}

TEST(SafeArrayIdentity, QueryInterfaceAndIsValueTable) {
  win::ComPtr<ISafeArray> table = automation::CreateValueTable();
  win::ComPtr<IDispatch> dispatch = table.As<IDispatch>(IID_IDispatch);
  ASSERT_TRUE(dispatch);
  EXPECT_EQ(static_cast<void*>(dispatch.Get()), static_cast<void*>(table.Get()));
  EXPECT_FALSE(table.As<IClassFactory>(IID_IClassFactory));

  win::ScopedVariant as_object = win::ScopedVariant::FromDispatch(dispatch.Get());
  EXPECT_TRUE(automation::IsValueTable(as_object.Get()));
  win::ScopedVariant as_unknown = win::ScopedVariant::FromUnknown(dispatch.Get());
  EXPECT_FALSE(automation::IsValueTable(as_unknown.Get())) << "only an object reference counts";
  EXPECT_FALSE(automation::IsValueTable(win::ScopedVariant::FromDispatch(nullptr).Get()));
  EXPECT_FALSE(automation::IsValueTable(Int(5)));

  // Every query above gave its reference back: the test's two holders remain.
  dispatch.Reset();
  as_object.Reset();
  as_unknown.Reset();
  EXPECT_EQ(table->AddRef(), 2u);
  EXPECT_EQ(table->Release(), 1u);
}

TEST(SafeArrayIdentity, MembersHaveIdentifiersZeroToThirteen) {
  const wchar_t* names[] = {L"GetBounds", L"SetBounds", L"GetValue", L"SetValue", L"Empty",
                            L"__PSA", L"SetRowValues", L"__SetPSA", L"LoadFromFile",
                            L"SaveToFile", L"SaveToFileAsStream", L"LoadFromFileAsStream",
                            L"RowCount", L"ColCount"};
  win::ComPtr<ISafeArray> table = automation::CreateValueTable();
  for (DISPID i = 0; i < 14; ++i) EXPECT_EQ(testing_dispatch::IdOf(table.Get(), names[i]), i) << names[i];
  Outcome out = testing_dispatch::InvokeId(table.Get(), 14, DISPATCH_METHOD, {});
  EXPECT_EQ(out.hr, DISP_E_MEMBERNOTFOUND);
  out = testing_dispatch::InvokeId(table.Get(), -1, DISPATCH_METHOD, {});
  EXPECT_EQ(out.hr, DISP_E_MEMBERNOTFOUND);
}

// The slots are called by position, as the host's compiled code calls them.
TEST(SafeArraySlots, AtTheirPositions) {
  win::ComPtr<ISafeArray> table = automation::CreateValueTable();
  void** slots = *reinterpret_cast<void***>(table.Get());
  auto slot = [&](int n) { return slots[n]; };
  using SetBoundsFn = HRESULT(__stdcall*)(ISafeArray*, LONG, LONG);
  using SetValueFn = HRESULT(__stdcall*)(ISafeArray*, LONG, LONG, VARIANT);
  using PsaFn = HRESULT(__stdcall*)(ISafeArray*, SAFEARRAY**);
  using LongFn = HRESULT(__stdcall*)(ISafeArray*, LONG*);
  using SetPsaFn = HRESULT(__stdcall*)(ISafeArray*, SAFEARRAY*);
  using SetPsaTypeFn = HRESULT(__stdcall*)(ISafeArray*, SAFEARRAY*, LONG);
  using BoundsFn = HRESULT(__stdcall*)(ISafeArray*, LONG*, LONG*);
  using GetValueFn = HRESULT(__stdcall*)(ISafeArray*, LONG, LONG, VARIANT*);

  ISafeArray* t = table.Get();
  EXPECT_EQ(reinterpret_cast<SetBoundsFn>(slot(7))(t, 2, 3), S_OK);
  EXPECT_EQ(reinterpret_cast<SetValueFn>(slot(8))(t, 1, 2, Int(77)), S_OK);
  win::ScopedVariant cell;
  EXPECT_EQ(reinterpret_cast<GetValueFn>(slot(19))(t, 1, 2, cell.Put()), S_OK);
  EXPECT_EQ(cell.Get().lVal, 77);
  LONG rows = 0, columns = 0;
  EXPECT_EQ(reinterpret_cast<BoundsFn>(slot(14))(t, &rows, &columns), S_OK);
  EXPECT_EQ(rows, 2);
  EXPECT_EQ(columns, 3);
  LONG value = -1;
  EXPECT_EQ(reinterpret_cast<LongFn>(slot(10))(t, &value), S_OK);
  EXPECT_EQ(value, VT_VARIANT);
  EXPECT_EQ(reinterpret_cast<LongFn>(slot(11))(t, &value), S_OK);
  EXPECT_EQ(value, 0);
  SAFEARRAY* inside = nullptr;
  EXPECT_EQ(reinterpret_cast<PsaFn>(slot(9))(t, &inside), S_OK);
  EXPECT_EQ(SafeArrayGetDim(inside), 2u);

  SAFEARRAYBOUND one[2] = {{1, 0}, {4, 0}};
  EXPECT_EQ(reinterpret_cast<SetPsaFn>(slot(12))(t, win::ScopedSafearray::CreateVariants(2, one).Release()), S_OK);
  EXPECT_EQ(Bounds(t), std::make_pair(1L, 4L));
  SAFEARRAYBOUND bytes[2] = {{1, 0}, {3, 0}};
  EXPECT_EQ(reinterpret_cast<SetPsaTypeFn>(slot(13))(t, SafeArrayCreate(VT_UI1, 2, bytes), VT_UI1 | VT_ARRAY), S_OK);
  EXPECT_EQ(reinterpret_cast<LongFn>(slot(10))(t, &value), S_OK);
  EXPECT_EQ(value, VT_UI1);
  EXPECT_EQ(Bounds(t), std::make_pair(1L, 3L));

}

namespace {

// A file name in the temporary folder, removed when the test ends.
class TempFile {
 public:
  explicit TempFile(const wchar_t* name) {
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    path_ = std::wstring(folder) + name;
    DeleteFileW(path_.c_str());
  }
  ~TempFile() { DeleteFileW(path_.c_str()); }
  const std::wstring& Path() const { return path_; }
  bool Exists() const { return GetFileAttributesW(path_.c_str()) != INVALID_FILE_ATTRIBUTES; }

 private:
  std::wstring path_;
};

}  // namespace

TEST(SafeArraySlots, FileOperationsAtTheirPositions) {
  using FileFn = HRESULT(__stdcall*)(ISafeArray*, BSTR, VARIANT_BOOL*);
  win::ComPtr<ISafeArray> table = Table(2, 1);
  table->SetValue(1, 0, Int(5));
  void** slots = *reinterpret_cast<void***>(table.Get());
  auto call = [&](int slot, const std::wstring& path) {
    win::ScopedBstr name(path);
    VARIANT_BOOL done = 7;
    EXPECT_EQ(reinterpret_cast<FileFn>(slots[slot])(table.Get(), name.Get(), &done), S_OK) << slot;
    return done;
  };
  TempFile stored(L"safe_array_slots.tbl");
  TempFile missing(L"safe_array_slots_missing.bin");
  TempFile raw(L"safe_array_slots_raw.bin");
  EXPECT_EQ(call(15, stored.Path()), VARIANT_TRUE);
  EXPECT_TRUE(stored.Exists());
  table->SetBounds(1, 1);
  EXPECT_EQ(call(16, stored.Path()), VARIANT_TRUE);
  EXPECT_EQ(Bounds(table.Get()), std::make_pair(2L, 1L));
  EXPECT_EQ(CellInt(table.Get(), 1, 0), 5);
  EXPECT_EQ(call(17, missing.Path()), VARIANT_FALSE);
  EXPECT_EQ(call(18, raw.Path()), VARIANT_FALSE) << "a table of variants is no byte stream";
  EXPECT_FALSE(raw.Exists());
}

TEST(SafeArrayByName, FileMembersReachTheStorageFile) {
  win::ComPtr<ISafeArray> table = Table(1, 2);
  win::ScopedVariant text = win::ScopedVariant::FromText(L"ab");
  table->SetValue(0, 1, text.Get());
  TempFile file(L"safe_array_by_name.tbl");
  win::ScopedVariant name = win::ScopedVariant::FromText(file.Path());
  Outcome saved = Invoke(table.Get(), L"SaveToFile", DISPATCH_METHOD, {name.Get()});
  ASSERT_EQ(saved.hr, S_OK) << saved.description;
  EXPECT_TRUE(saved.result.IsEmpty()) << "no result by name";

  win::ComPtr<ISafeArray> loaded = automation::CreateValueTable();
  ASSERT_EQ(Invoke(loaded.Get(), L"loadfromfile", DISPATCH_METHOD, {name.Get()}).hr, S_OK);
  EXPECT_EQ(Bounds(loaded.Get()), std::make_pair(1L, 2L));

  // A damaged file fails the call with the storage file's own text.
  {
    win::ScopedFileHandle empty(
        CreateFileW(file.Path().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(empty);
  }
  Outcome broken = Invoke(loaded.Get(), L"LoadFromFile", DISPATCH_METHOD, {name.Get()});
  EXPECT_EQ(broken.hr, DISP_E_EXCEPTION);
  EXPECT_EQ(broken.description, L"Хранилище повреждено - неверный размер файла");
  EXPECT_EQ(Bounds(loaded.Get()), std::make_pair(1L, 2L)) << "a failed load keeps the contents";
}

TEST(SafeArrayTable, NewTableIsEmpty) {
  win::ComPtr<ISafeArray> table = automation::CreateValueTable();
  EXPECT_EQ(Bounds(table.Get()), std::make_pair(0L, 0L));
  LONG empty = 0;
  EXPECT_EQ(table->IsEmpty(&empty), S_OK);
  EXPECT_EQ(empty, 1);
  Outcome out = Invoke(table.Get(), L"Empty", DISPATCH_METHOD);
  EXPECT_EQ(out.hr, S_OK);
  EXPECT_EQ(out.result.Type(), VT_I4);
  EXPECT_EQ(out.result.Get().lVal, 1);
  // One cell of storage behind a 0 x 0 table.
  SAFEARRAY* inside = nullptr;
  ASSERT_EQ(table->__PSA(&inside), S_OK);
  LONG upper1 = -1, upper2 = -1;
  SafeArrayGetUBound(inside, 1, &upper1);
  SafeArrayGetUBound(inside, 2, &upper2);
  EXPECT_EQ(upper1, 0);
  EXPECT_EQ(upper2, 0);
}

TEST(SafeArrayTable, BoundsOfCells) {
  win::ComPtr<ISafeArray> table = Table(3, 2);
  EXPECT_EQ(table->SetValue(2, 1, Int(21)), S_OK);
  EXPECT_EQ(CellInt(table.Get(), 2, 1), 21);
  struct Cell {
    LONG row, column;
  };
  const Cell outside[] = {{3, 0}, {0, 2}, {-1, 0}, {0, -1}};
  for (const Cell& c : outside) {
    SCOPED_TRACE(testing::Message() << c.row << "," << c.column);
    win::ScopedVariant v = win::ScopedVariant::FromInt(9);
    EXPECT_EQ(table->GetValue(c.row, c.column, v.Put()), E_UNEXPECTED);
    EXPECT_TRUE(v.IsEmpty()) << "the result is cleared first";
    EXPECT_EQ(testing_dispatch::TakeErrorInfo().first, kBoundsText);
  }
  win::ScopedVariant text = win::ScopedVariant::FromText(L"abc");
  EXPECT_EQ(table->SetValue(3, 0, text.Get()), E_UNEXPECTED);
  EXPECT_EQ(testing_dispatch::TakeErrorInfo().first,
            L"Номер элемента массива за пределами границ. X:3 Y:0 CountX:3 CountY:2\r\nabc");
}

TEST(SafeArrayTable, GrowingAndShrinkingKeepCells) {
  win::ComPtr<ISafeArray> table = Table(3, 2);
  for (LONG r = 0; r < 3; ++r)
    for (LONG c = 0; c < 2; ++c) ASSERT_EQ(table->SetValue(r, c, Int(r * 10 + c)), S_OK);
  ASSERT_EQ(table->SetBounds(5, 4), S_OK);
  EXPECT_EQ(Bounds(table.Get()), std::make_pair(5L, 4L));
  for (LONG r = 0; r < 3; ++r)
    for (LONG c = 0; c < 2; ++c) EXPECT_EQ(CellInt(table.Get(), r, c), r * 10 + c);
  win::ScopedVariant added;
  EXPECT_EQ(table->GetValue(4, 3, added.Put()), S_OK);
  EXPECT_TRUE(added.IsEmpty());

  ASSERT_EQ(table->SetBounds(1, 1), S_OK);
  EXPECT_EQ(CellInt(table.Get(), 0, 0), 0);
  win::ScopedVariant gone;
  EXPECT_EQ(table->GetValue(1, 0, gone.Put()), E_UNEXPECTED);
}

TEST(SafeArrayTable, ZeroRowsKeepOneRowOfStorage) {
  win::ComPtr<ISafeArray> table = Table(0, 5);
  EXPECT_EQ(Bounds(table.Get()), std::make_pair(0L, 5L));
  SAFEARRAY* inside = nullptr;
  ASSERT_EQ(table->__PSA(&inside), S_OK);
  LONG upper1 = -1, upper2 = -1;
  SafeArrayGetUBound(inside, 1, &upper1);
  SafeArrayGetUBound(inside, 2, &upper2);
  EXPECT_EQ(upper1, 0);
  EXPECT_EQ(upper2, 4);
  LONG empty = 0;
  table->IsEmpty(&empty);
  EXPECT_EQ(empty, 1);
}

TEST(SafeArrayTable, SameOrNegativeBoundsChangeNothing) {
  win::ComPtr<ISafeArray> table = Table(2, 2);
  SAFEARRAY* before = nullptr;
  table->__PSA(&before);
  EXPECT_EQ(table->SetBounds(2, 2), S_OK);
  EXPECT_EQ(table->SetBounds(-1, 4), S_OK);
  SAFEARRAY* after = nullptr;
  table->__PSA(&after);
  EXPECT_EQ(after, before) << "no new array for the current counts";
  EXPECT_EQ(Bounds(table.Get()), std::make_pair(2L, 2L));

  // 2^32 cells would wrap the system's element count.
  EXPECT_EQ(table->SetBounds(65536, 65536), E_UNEXPECTED);
  EXPECT_EQ(Bounds(table.Get()), std::make_pair(2L, 2L)) << "a failed sizing keeps the counts";
}

TEST(SafeArrayTable, ByReferenceValuesAreStoredAsTheirValue) {
  win::ComPtr<ISafeArray> table = Table(1, 1);
  LONG i4 = 7;
  double r8 = 2.5;
  CY cy;
  cy.int64 = 12345;  // 1.2345
  DATE date = 45000.5;
  win::ScopedBstr text(L"текст");
  BSTR text_ref = text.Get();
  win::ComPtr<ISafeArray> other = automation::CreateValueTable();
  IDispatch* object = other.Get();
  VARIANT inner = Int(42);
  struct Case {
    VARTYPE vt;
    void* ref;
    VARTYPE stored;
  } cases[] = {{VT_I4, &i4, VT_I4},       {VT_R8, &r8, VT_R8},
               {VT_CY, &cy, VT_R8},       {VT_DATE, &date, VT_DATE},
               {VT_BSTR, &text_ref, VT_BSTR}, {VT_DISPATCH, &object, VT_DISPATCH},
               {VT_VARIANT, &inner, VT_I4}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.vt);
    VARIANT ref;
    VariantInit(&ref);
    ref.vt = c.vt | VT_BYREF;
    ref.byref = c.ref;
    ASSERT_EQ(table->SetValue(0, 0, ref), S_OK);
    win::ScopedVariant cell;
    ASSERT_EQ(table->GetValue(0, 0, cell.Put()), S_OK);
    EXPECT_EQ(cell.Type(), c.stored);
  }
  // The stored value no longer follows the caller's variable.
  ASSERT_EQ(table->SetValue(0, 0, IntRef(&i4)), S_OK);
  i4 = 8;
  EXPECT_EQ(CellInt(table.Get(), 0, 0), 7);
  // Currency keeps its amount.
  VARIANT cy_ref;
  VariantInit(&cy_ref);
  cy_ref.vt = VT_CY | VT_BYREF;
  cy_ref.pcyVal = &cy;
  ASSERT_EQ(table->SetValue(0, 0, cy_ref), S_OK);
  win::ScopedVariant amount;
  table->GetValue(0, 0, amount.Put());
  EXPECT_DOUBLE_EQ(amount.Get().dblVal, 1.2345);

  SHORT i2 = 3;
  VARIANT i2_ref;
  VariantInit(&i2_ref);
  i2_ref.vt = VT_I2 | VT_BYREF;
  i2_ref.piVal = &i2;
  EXPECT_EQ(table->SetValue(0, 0, i2_ref), E_UNEXPECTED);
  EXPECT_EQ(testing_dispatch::TakeErrorInfo().first, L"Ошибка типа параметра. 2");
}

TEST(SafeArrayTable, AdoptedArraysReplaceContents) {
  win::ComPtr<ISafeArray> table = Table(4, 4);
  EXPECT_EQ(table->__SetPSA(nullptr), S_OK);
  EXPECT_EQ(Bounds(table.Get()), std::make_pair(4L, 4L));

  SAFEARRAYBOUND bounds[2] = {{2, 0}, {3, 0}};
  win::ScopedSafearray array = win::ScopedSafearray::CreateVariants(2, bounds);
  LONG at[2] = {1, 2};
  VARIANT v = Int(12);
  SafeArrayPutElement(array.Get(), at, &v);
  SAFEARRAY* raw = array.Release();
  ASSERT_EQ(table->__SetPSA(raw), S_OK);
  EXPECT_EQ(Bounds(table.Get()), std::make_pair(2L, 3L));
  EXPECT_EQ(CellInt(table.Get(), 1, 2), 12);
  SAFEARRAY* inside = nullptr;
  table->__PSA(&inside);
  EXPECT_EQ(inside, raw) << "taken over, not copied";

  // Arrays the table cannot read as cells are refused and stay with the caller.
  SAFEARRAYBOUND line = {3, 0};
  win::ScopedSafearray flat = win::ScopedSafearray::CreateVariants(1, &line);
  EXPECT_EQ(table->__SetPSA(flat.Get()), E_UNEXPECTED);
  win::ScopedSafearray bytes = win::ScopedSafearray::Adopt(SafeArrayCreate(VT_UI1, 2, bounds));
  EXPECT_EQ(table->__SetPSA(bytes.Get()), E_UNEXPECTED);
  EXPECT_EQ(Bounds(table.Get()), std::make_pair(2L, 3L));

  // A byte table reads and writes its cells as bytes.
  ASSERT_EQ(table->__SetPSAOfType(bytes.Release(), VT_UI1), S_OK);
  ASSERT_EQ(table->SetValue(1, 1, Int(200)), S_OK);
  win::ScopedVariant cell;
  ASSERT_EQ(table->GetValue(1, 1, cell.Put()), S_OK);
  EXPECT_EQ(cell.Type(), VT_UI1);
  EXPECT_EQ(cell.Get().bVal, 200);
}

TEST(SafeArrayTable, MadeAroundAnArray) {
  SAFEARRAYBOUND bounds[2] = {{1, 0}, {5, 0}};
  win::ScopedSafearray bytes = win::ScopedSafearray::Adopt(SafeArrayCreate(VT_UI1, 2, bounds));
  SAFEARRAY* raw = bytes.Get();
  win::ComPtr<ISafeArray> table = automation::CreateValueTableOf(bytes, VT_UI1);
  EXPECT_EQ(bytes.Get(), nullptr) << "ownership moved to the table";
  SAFEARRAY* inside = nullptr;
  table->__PSA(&inside);
  EXPECT_EQ(inside, raw);
  EXPECT_EQ(Bounds(table.Get()), std::make_pair(1L, 5L));

  SAFEARRAYBOUND line = {3, 0};
  win::ScopedSafearray flat = win::ScopedSafearray::CreateVariants(1, &line);
  EXPECT_THROW(automation::CreateValueTableOf(flat, VT_VARIANT), services::Exception);
  EXPECT_NE(flat.Get(), nullptr) << "a refused array stays with the caller";
}

TEST(SafeArrayByName, CellsAndCounts) {
  win::ComPtr<ISafeArray> table = automation::CreateValueTable();
  ASSERT_EQ(Invoke(table.Get(), L"SetBounds", DISPATCH_METHOD, {Int(2), Int(3)}).hr, S_OK);
  // Numbers written as text convert under the module's formats.
  win::ScopedVariant one = win::ScopedVariant::FromText(L"1");
  win::ScopedVariant value = win::ScopedVariant::FromText(L"значение");
  ASSERT_EQ(Invoke(table.Get(), L"SetValue", DISPATCH_METHOD, {one.Get(), Int(2), value.Get()}).hr, S_OK);
  Outcome got = Invoke(table.Get(), L"getvalue", DISPATCH_METHOD, {Int(1), Int(2)});
  ASSERT_EQ(got.hr, S_OK);
  EXPECT_EQ(win::BstrText(got.result.Get().bstrVal), L"значение");

  struct Count {
    const wchar_t* name;
    LONG expected;
  } counts[] = {{L"RowCount", 2}, {L"ColCount", 3}};
  for (const Count& c : counts) {
    for (WORD flags : {WORD(DISPATCH_PROPERTYGET), WORD(DISPATCH_METHOD),
                       WORD(DISPATCH_METHOD | DISPATCH_PROPERTYGET)}) {
      Outcome out = Invoke(table.Get(), c.name, flags);
      ASSERT_EQ(out.hr, S_OK) << c.name << " flags " << flags;
      EXPECT_EQ(out.result.Type(), VT_I4);
      EXPECT_EQ(out.result.Get().lVal, c.expected) << c.name;
    }
  }
  Outcome psa = Invoke(table.Get(), L"__PSA", DISPATCH_METHOD);
  SAFEARRAY* inside = nullptr;
  table->__PSA(&inside);
  EXPECT_EQ(psa.result.Get().lVal, static_cast<LONG>(reinterpret_cast<intptr_t>(inside)));
}

TEST(SafeArrayByName, FailuresCarryTheirTexts) {
  win::ComPtr<ISafeArray> table = automation::CreateValueTable();
  struct Case {
    const wchar_t* name;
    WORD flags;
    std::vector<VARIANT> args;
    const wchar_t* text;
  } cases[] = {
      {L"SetBounds", DISPATCH_METHOD, {Int(1), Int(2), Int(3)},
       L"Неверное число параметров для [SETBOUNDS]"},
      {L"RowCount", DISPATCH_PROPERTYPUT, {Int(5)}, L"Свойство недоступно для записи [ROWCOUNT]"},
      {L"GetValue", DISPATCH_PROPERTYGET, {}, L"Метод/Свойство [GETVALUE] не обнаружено. Флаг:2"},
      {L"ColCount", 16, {}, L"Метод/Свойство [COLCOUNT] не обнаружено. Флаг:16"},
      {L"GetValue", DISPATCH_METHOD, {Int(0), Int(0)}, kBoundsText},
      {L"SetRowValues", DISPATCH_METHOD, {}, L"Неверный индекс (Get) Index=0 Count=0"},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.text);
    Outcome out = Invoke(table.Get(), c.name, c.flags, c.args);
    EXPECT_EQ(out.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(out.description, c.text);
    EXPECT_EQ(out.scode, 1000);
    EXPECT_FALSE(out.source.empty());
  }
}

TEST(SafeArrayByName, SetRowValuesFillsOneRow) {
  win::ComPtr<ISafeArray> table = Table(2, 3);
  ASSERT_EQ(Invoke(table.Get(), L"SetRowValues", DISPATCH_METHOD, {Int(1), Int(10), Int(11), Int(12)}).hr,
            S_OK);
  for (LONG c = 0; c < 3; ++c) {
    EXPECT_EQ(CellInt(table.Get(), 1, c), 10 + c);
    win::ScopedVariant untouched;
    table->GetValue(0, c, untouched.Put());
    EXPECT_TRUE(untouched.IsEmpty());
  }
  Outcome too_many =
      Invoke(table.Get(), L"SetRowValues", DISPATCH_METHOD, {Int(1), Int(1), Int(2), Int(3), Int(4)});
  EXPECT_EQ(too_many.hr, DISP_E_EXCEPTION);
}

TEST(SafeArrayByName, GetBoundsWritesOnlyReferences) {
  win::ComPtr<ISafeArray> table = Table(4, 6);
  Outcome by_value = Invoke(table.Get(), L"GetBounds", DISPATCH_METHOD, {Int(-1), Int(-2)});
  EXPECT_EQ(by_value.hr, S_OK);
  EXPECT_TRUE(by_value.result.IsEmpty());

  LONG rows = -1, columns = -1;
  ASSERT_EQ(Invoke(table.Get(), L"GetBounds", DISPATCH_METHOD, {IntRef(&rows), IntRef(&columns)}).hr, S_OK);
  EXPECT_EQ(rows, 4);
  EXPECT_EQ(columns, 6);

  VARIANT row_place, column_place;
  VariantInit(&row_place);
  VariantInit(&column_place);
  VARIANT refs[2];
  refs[0].vt = refs[1].vt = VT_VARIANT | VT_BYREF;
  refs[0].pvarVal = &row_place;
  refs[1].pvarVal = &column_place;
  ASSERT_EQ(Invoke(table.Get(), L"GetBounds", DISPATCH_METHOD, {refs[0], refs[1]}).hr, S_OK);
  EXPECT_EQ(row_place.vt, VT_I4);
  EXPECT_EQ(row_place.lVal, 4);
  EXPECT_EQ(column_place.lVal, 6);
}

TEST(SafeArrayReaders, ColumnOfATable) {
  win::ComPtr<ISafeArray> square = Table(2, 2);
  win::ScopedVariant square_value = win::ScopedVariant::FromDispatch(square.Get());
  win::ScopedVariant places[5];
  try {
    automation::ReadTableColumn(square_value.Get(), places);
    FAIL() << "a 2 x 2 table is no column";
  } catch (const services::ECodedException& e) {
    EXPECT_EQ(e.Code(), 20028);
  }

  win::ComPtr<ISafeArray> column = Table(3, 1);
  for (LONG r = 0; r < 3; ++r) column->SetValue(r, 0, Int(100 + r));
  win::ScopedVariant column_value = win::ScopedVariant::FromDispatch(column.Get());
  places[4] = win::ScopedVariant::FromInt(-1);
  automation::ReadTableColumn(column_value.Get(), places);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(places[i].Get().lVal, 100 + i) << i;
  EXPECT_TRUE(places[3].IsEmpty());
  EXPECT_TRUE(places[4].IsEmpty());
}

TEST(SafeArrayReaders, ColumnOfAnArray) {
  SAFEARRAYBOUND line = {2, 0};
  win::ScopedSafearray array = win::ScopedSafearray::CreateVariants(1, &line);
  VARIANT values[2] = {Int(5), Int(6)};
  automation::WriteArrayElements(array.Get(), values);
  VARIANT source;
  VariantInit(&source);
  source.vt = VT_ARRAY | VT_VARIANT;
  source.parray = array.Get();
  win::ScopedVariant places[3];
  places[2] = win::ScopedVariant::FromInt(-1);
  automation::ReadTableColumn(source, places);
  EXPECT_EQ(places[0].Get().lVal, 5);
  EXPECT_EQ(places[1].Get().lVal, 6);
  EXPECT_TRUE(places[2].IsEmpty()) << "a missing element leaves its place Empty";
}

TEST(SafeArrayReaders, RowOfATable) {
  win::ComPtr<ISafeArray> table = Table(2, 3);
  for (LONG c = 0; c < 3; ++c) table->SetValue(1, c, Int(c + 1));
  win::ScopedVariant value = win::ScopedVariant::FromDispatch(table.Get());
  win::ScopedVariant places[3];
  automation::ReadTableRow(value.Get(), 1, places);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(places[i].Get().lVal, i + 1);

  struct Case {
    LONG row;
    size_t places;
  } bad[] = {{2, 1}, {0, 4}, {-1, 1}};
  for (const Case& c : bad) {
    SCOPED_TRACE(testing::Message() << c.row << " " << c.places);
    std::vector<win::ScopedVariant> p(c.places);
    try {
      automation::ReadTableRow(value.Get(), c.row, p);
      ADD_FAILURE() << "no error";
    } catch (const services::ECodedException& e) {
      EXPECT_EQ(e.Code(), 20028);
    }
  }
}

TEST(SafeArrayReaders, RowOfAPlainArrayIsTransposed) {
  SAFEARRAYBOUND bounds[2] = {{5, 0}, {10, 0}};
  win::ScopedSafearray array = win::ScopedSafearray::CreateVariants(2, bounds);
  {
    win::SafearrayAccess<VARIANT> cells(array.Get(), 2, VT_VARIANT);
    for (LONG i = 0; i < 5; ++i)
      for (LONG j = 0; j < 10; ++j) cells.At(i, j) = Int(i * 100 + j);
  }
  VARIANT source;
  VariantInit(&source);
  source.vt = VT_ARRAY | VT_VARIANT;
  source.parray = array.Get();
  win::ScopedVariant places[3];
  automation::ReadTableRow(source, 9, places);
  for (LONG i = 0; i < 3; ++i) EXPECT_EQ(places[i].Get().lVal, i * 100 + 9) << i;

  auto code_of = [&](const VARIANT& s, LONG row, size_t n) {
    std::vector<win::ScopedVariant> p(n);
    try {
      automation::ReadTableRow(s, row, p);
    } catch (const services::ECodedException& e) {
      return e.Code();
    }
    return 0;
  };
  EXPECT_EQ(code_of(source, 10, 1), 20028);
  EXPECT_EQ(code_of(source, 0, 6), 20028);
  EXPECT_EQ(code_of(Int(3), 0, 1), 21004);
  SAFEARRAYBOUND line = {3, 0};
  win::ScopedSafearray flat = win::ScopedSafearray::CreateVariants(1, &line);
  VARIANT flat_source = source;
  flat_source.parray = flat.Get();
  EXPECT_EQ(code_of(flat_source, 0, 1), 20028);
}
