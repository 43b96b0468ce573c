// Saving and loading back: every value kind the format carries, the raw byte-table file, and
// the values that saving refuses rather than losing.
#include <cstring>
#include <functional>
#include <memory>

#include "framework/automation/host_string.h"
#include "framework/automation/table_link.h"
#include "framework/automation/value_table.h"
#include "framework/win/scoped_bstr.h"
#include "framework/win/scoped_variant.h"
#include "framework/win/text.h"
#include "tests/unit/automation/table_storage_helpers.h"

using namespace table_storage_test;

class TableStorageRoundTrip : public TempFileTest {};

namespace {

win::ScopedVariant Scalar(VARTYPE vt, const void* data, size_t size) {
  VARIANT v;
  VariantInit(&v);
  v.vt = vt;
  std::memcpy(&v.lVal, data, size);
  return win::ScopedVariant::Adopt(v);
}
template <typename T>
win::ScopedVariant Scalar(VARTYPE vt, T value) {
  return Scalar(vt, &value, sizeof value);
}

win::ScopedVariant ArrayValue(win::ScopedSafearray array, VARTYPE element) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_ARRAY | element;
  v.parray = array.Release();
  return win::ScopedVariant::Adopt(v);
}

win::ScopedSafearray Create(VARTYPE element, std::initializer_list<SAFEARRAYBOUND> bounds) {
  return win::ScopedSafearray::Adopt(
      SafeArrayCreate(element, static_cast<UINT>(bounds.size()),
                      const_cast<SAFEARRAYBOUND*>(bounds.begin())));
}

// The array of a value that came back as a value table object, or of a plain array.
SAFEARRAY* ArrayOf(const VARIANT& v) {
  if (v.vt == VT_DISPATCH) {
    auto contents = automation::ContentsOfTable(v.pdispVal);
    return contents ? contents->array : nullptr;
  }
  return (v.vt & VT_ARRAY) ? v.parray : nullptr;
}

// Same type and same data; arrays element by element with their bounds.
void ExpectSame(const VARIANT& want, const VARIANT& got, const std::string& where);

void ExpectSameArray(SAFEARRAY* want, SAFEARRAY* got, const std::string& where) {
  ASSERT_NE(got, nullptr) << where;
  UINT dims = SafeArrayGetDim(want);
  ASSERT_EQ(SafeArrayGetDim(got), dims) << where;
  VARTYPE want_type = 0, got_type = 0;
  SafeArrayGetVartype(want, &want_type);
  SafeArrayGetVartype(got, &got_type);
  ASSERT_EQ(got_type, want_type) << where;
  ULONG count = 1;
  for (UINT k = 1; k <= dims; ++k) {
    LONG wl, wu, gl, gu;
    SafeArrayGetLBound(want, k, &wl);
    SafeArrayGetUBound(want, k, &wu);
    SafeArrayGetLBound(got, k, &gl);
    SafeArrayGetUBound(got, k, &gu);
    ASSERT_EQ(gl, wl) << where << " dimension " << k;
    ASSERT_EQ(gu, wu) << where << " dimension " << k;
    count *= wu - wl + 1;
  }
  ULONG size = SafeArrayGetElemsize(want);
  void* w = nullptr;
  void* g = nullptr;
  SafeArrayAccessData(want, &w);
  SafeArrayAccessData(got, &g);
  for (ULONG i = 0; i < count; ++i) {
    std::string at = where + "[" + std::to_string(i) + "]";
    if (want_type == VT_VARIANT) {
      ExpectSame(static_cast<VARIANT*>(w)[i], static_cast<VARIANT*>(g)[i], at);
    } else if (want_type == VT_BSTR) {
      EXPECT_STREQ(static_cast<BSTR*>(g)[i], static_cast<BSTR*>(w)[i]) << at;
    } else {
      EXPECT_EQ(std::memcmp(static_cast<char*>(w) + i * size, static_cast<char*>(g) + i * size,
                            size), 0)
          << at;
    }
  }
  SafeArrayUnaccessData(got);
  SafeArrayUnaccessData(want);
}

void ExpectSame(const VARIANT& want, const VARIANT& got, const std::string& where) {
  // A two-dimensional array, stored plain or as a table object, comes back as a table.
  if (want.vt == VT_DISPATCH || (want.vt & VT_ARRAY)) {
    bool table = want.vt == VT_DISPATCH || SafeArrayGetDim(want.parray) == 2;
    ASSERT_EQ(got.vt, table ? VARTYPE{VT_DISPATCH} : want.vt) << where;
    if (table) {
      EXPECT_TRUE(automation::IsValueTable(got)) << where;
    }
    ExpectSameArray(ArrayOf(want), ArrayOf(got), where);
    return;
  }
  ASSERT_EQ(got.vt, want.vt) << where;
  if (want.vt == VT_BSTR) {
    EXPECT_EQ(std::wstring(got.bstrVal, SysStringLen(got.bstrVal)),
              std::wstring(want.bstrVal, SysStringLen(want.bstrVal)))
        << where;
  } else {
    EXPECT_EQ(std::memcmp(&got.lVal, &want.lVal, 8), 0) << where;
  }
}

}  // namespace

TEST_F(TableStorageRoundTrip, KeepsEveryValueKind) {
  const std::wstring long_text = [] {
    std::wstring t;
    for (int i = 0; i < 25000; ++i) t += static_cast<wchar_t>(L'А' + i % 32);
    return t;
  }();
  LONG referenced_number = 77;
  win::ScopedVariant referenced_value = win::ScopedVariant::FromText(L"по ссылке");
  win::ScopedBstr referenced_text(L"текст по ссылке");
  BSTR by_ref_text = referenced_text.Get();
  char* host_text = automation::NewHostString(win::WideToAnsi(L"Привет, ёж"));

  auto raw_array = Create(VT_I4, {{3, 2}});
  for (LONG i = 2; i <= 4; ++i) {
    LONG v = i * 10;
    SafeArrayPutElement(raw_array.Get(), &i, &v);
  }
  auto texts = Create(VT_BSTR, {{2, 0}});
  for (LONG i = 0; i < 2; ++i) {
    win::ScopedBstr t(i ? L"второй" : L"первый");
    SafeArrayPutElement(texts.Get(), &i, t.Get());
  }
  // Three dimensions, so that the stored order (last index fastest) is checked too.
  auto cube = Create(VT_VARIANT, {{2, 0}, {2, 0}, {2, 0}});
  for (LONG i = 0; i < 8; ++i) {
    LONG index[3] = {i & 1, (i >> 1) & 1, i >> 2};
    win::ScopedVariant v = win::ScopedVariant::FromInt(i);
    SafeArrayPutElement(cube.Get(), index, v.Ptr());
  }
  auto inner = MakeTable(2, 1);
  Cell(inner.Get(), 1, 0) = win::ScopedVariant::FromText(L"внутри").Release();
  win::ComPtr<automation::ISafeArray> table_object = automation::CreateValueTable();
  ASSERT_EQ(table_object->SetBounds(1, 2), S_OK);
  ASSERT_EQ(table_object->SetValue(0, 1, win::ScopedVariant::FromText(L"ячейка").Get()), S_OK);

  struct Case {
    std::string name;
    win::ScopedVariant stored;
    win::ScopedVariant loaded;  // Empty: the same as stored
  };
  std::vector<Case> cases;
  auto add = [&](std::string name, win::ScopedVariant stored, win::ScopedVariant loaded = {}) {
    cases.push_back({std::move(name), std::move(stored), std::move(loaded)});
  };
  add("empty", win::ScopedVariant());
  add("null", Scalar<int32_t>(VT_NULL, 0));
  add("i2", Scalar<int16_t>(VT_I2, -1234));
  add("i4", Scalar<int32_t>(VT_I4, -123456789));
  add("r4", Scalar<float>(VT_R4, 2.5f));
  add("r8", Scalar<double>(VT_R8, -1.0 / 3));
  add("cy", Scalar<int64_t>(VT_CY, 123456789012345));
  add("date", Scalar<double>(VT_DATE, 46000.75));
  add("error", Scalar<int32_t>(VT_ERROR, DISP_E_PARAMNOTFOUND));
  add("bool", Scalar<int16_t>(VT_BOOL, VARIANT_TRUE));
  add("ui1", Scalar<uint8_t>(VT_UI1, 200));
  add("ui2", Scalar<uint16_t>(VT_UI2, 60000));
  add("ui4", Scalar<uint32_t>(VT_UI4, 4000000000u));
  add("i8", Scalar<int64_t>(VT_I8, -9000000000000000000));
  add("text", win::ScopedVariant::FromText(L"Молоко 3,2%"));
  add("empty text", win::ScopedVariant::FromText(L""));
  add("long text", win::ScopedVariant::FromText(long_text));
  add("text with a zero unit", win::ScopedVariant::FromText(std::wstring(L"ab\0cd", 5)),
      win::ScopedVariant::FromText(L"ab"));
  add("8-bit text", Scalar(automation::kVtHostString, host_text),
      win::ScopedVariant::FromText(L"Привет, ёж"));
  add("i4 by reference", Scalar(VT_I4 | VT_BYREF, &referenced_number),
      win::ScopedVariant::FromInt(77));
  add("text by reference", Scalar(VT_BSTR | VT_BYREF, &by_ref_text),
      win::ScopedVariant::FromText(L"текст по ссылке"));
  add("variant by reference", Scalar(VT_VARIANT | VT_BYREF, referenced_value.Ptr()),
      win::ScopedVariant::FromText(L"по ссылке"));
  add("raw array", ArrayValue(std::move(raw_array), VT_I4));
  add("text array", ArrayValue(std::move(texts), VT_BSTR));
  add("three dimensions", ArrayValue(std::move(cube), VT_VARIANT));
  add("nested array", ArrayValue(std::move(inner), VT_VARIANT));
  add("nested table object", win::ScopedVariant::FromDispatch(table_object.Get()));

  // Three rows, so that both the row and the column order of the table are exercised.
  const LONG rows = 3;
  const LONG columns = static_cast<LONG>((cases.size() + rows - 1) / rows);
  win::ScopedSafearray table = MakeTable(rows, columns);
  for (size_t i = 0; i < cases.size(); ++i) {
    VARIANT& cell = Cell(table.Get(), static_cast<LONG>(i % rows), static_cast<LONG>(i / rows));
    cell = cases[i].stored.Get();  // shallow: the case keeps ownership
  }
  automation::SaveTableToFile(table.Get(), path_);
  // The cells only borrowed the cases' values.
  for (size_t i = 0; i < cases.size(); ++i)
    VariantInit(&Cell(table.Get(), static_cast<LONG>(i % rows), static_cast<LONG>(i / rows)));
  for (Case& c : cases)
    if (c.stored.Type() == automation::kVtHostString) c.stored.Release();  // not an OLE value
  automation::ReleaseHostString(host_text);

  win::ScopedSafearray loaded;
  ASSERT_TRUE(automation::LoadTableFromFile(path_, &loaded));
  ASSERT_EQ(SafeArrayGetDim(loaded.Get()), 2u);
  LONG upper_row = -1, upper_column = -1;
  SafeArrayGetUBound(loaded.Get(), 1, &upper_row);
  SafeArrayGetUBound(loaded.Get(), 2, &upper_column);
  EXPECT_EQ(upper_row, rows - 1);
  EXPECT_EQ(upper_column, columns - 1);
  for (size_t i = 0; i < cases.size(); ++i) {
    const Case& c = cases[i];
    const VARIANT& want = c.loaded.IsEmpty() ? c.stored.Get() : c.loaded.Get();
    ExpectSame(want,
               Cell(loaded.Get(), static_cast<LONG>(i % rows), static_cast<LONG>(i / rows)),
               c.name);
  }
}

TEST_F(TableStorageRoundTrip, ByteTableStreamFile) {
  const std::wstring copy_path = path_ + L".copy";
  struct Case {
    Bytes bytes;
  } cases[] = {{{1, 2, 0, 255, 7}}, {{}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.bytes.size() << " bytes");
    WriteFileBytes(path_, c.bytes);
    win::ScopedSafearray table;
    ASSERT_TRUE(automation::LoadTableFromStreamFile(path_, &table));
    VARTYPE vt = 0;
    SafeArrayGetVartype(table.Get(), &vt);
    EXPECT_EQ(vt, VT_UI1);
    ASSERT_EQ(SafeArrayGetDim(table.Get()), 2u);
    LONG bounds[4];
    SafeArrayGetLBound(table.Get(), 1, &bounds[0]);
    SafeArrayGetUBound(table.Get(), 1, &bounds[1]);
    SafeArrayGetLBound(table.Get(), 2, &bounds[2]);
    SafeArrayGetUBound(table.Get(), 2, &bounds[3]);
    EXPECT_EQ(bounds[0], 0);
    EXPECT_EQ(bounds[1], 0) << "one row";
    EXPECT_EQ(bounds[2], 0);
    EXPECT_EQ(bounds[3], static_cast<LONG>(c.bytes.size()) - 1) << "one column per byte";

    ASSERT_TRUE(automation::SaveTableToStreamFile(table.Get(), copy_path));
    EXPECT_EQ(ReadFileBytes(copy_path), c.bytes);

    // The storage file always holds variants; a byte table goes in as byte cells.
    automation::SaveTableToFile(table.Get(), copy_path);
    win::ScopedSafearray cells;
    ASSERT_TRUE(automation::LoadTableFromFile(copy_path, &cells));
    SafeArrayGetVartype(cells.Get(), &vt);
    EXPECT_EQ(vt, VT_VARIANT);
    for (LONG i = 0; i < static_cast<LONG>(c.bytes.size()); ++i) {
      const VARIANT& cell = Cell(cells.Get(), 0, i);
      EXPECT_EQ(cell.vt, VT_UI1);
      EXPECT_EQ(cell.bVal, c.bytes[i]) << "cell " << i;
    }
    DeleteFileW(copy_path.c_str());
  }

  // A table of variants has no element bytes to write: no file is touched.
  win::ScopedSafearray variants = MakeTable(1, 5);
  EXPECT_FALSE(automation::SaveTableToStreamFile(variants.Get(), copy_path));
  EXPECT_EQ(GetFileAttributesW(copy_path.c_str()), INVALID_FILE_ATTRIBUTES);

  // A missing file loads nothing, in either format.
  DeleteFileW(path_.c_str());
  win::ScopedSafearray untouched = MakeTable(1, 1);
  SAFEARRAY* before = untouched.Get();
  EXPECT_FALSE(automation::LoadTableFromStreamFile(path_, &untouched));
  EXPECT_FALSE(automation::LoadTableFromFile(path_, &untouched));
  EXPECT_EQ(untouched.Get(), before);
}

namespace {

// An automation object that is not a value table: it answers IUnknown and IDispatch only.
class PlainObject : public IDispatch {
 public:
  HRESULT __stdcall QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IDispatch) {
      *out = this;
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG __stdcall AddRef() override { return ++refs_; }
  ULONG __stdcall Release() override { return --refs_; }
  HRESULT __stdcall GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  HRESULT __stdcall GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT __stdcall GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT __stdcall Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                           UINT*) override {
    return E_NOTIMPL;
  }
  ULONG refs_ = 1;
};

}  // namespace

TEST_F(TableStorageRoundTrip, SavingRefusesValuesThatWouldNotComeBack) {
  PlainObject object;
  SAFEARRAYBOUND two[1] = {{2, 0}};
  win::ScopedSafearray interfaces = win::ScopedSafearray::Adopt(SafeArrayCreate(VT_UNKNOWN, 1, two));
  DECIMAL decimal{};
  decimal.Lo32 = 15;
  decimal.scale = 1;
  struct Case {
    const char* name;
    VARIANT value;
  } cases[] = {
      {"object that is not a table", [&] {
         VARIANT v{};
         v.vt = VT_DISPATCH;
         v.pdispVal = &object;
         return v;
       }()},
      {"null object", [] { VARIANT v{}; v.vt = VT_DISPATCH; return v; }()},
      {"interface reference", [&] {
         VARIANT v{};
         v.vt = VT_UNKNOWN;
         v.punkVal = &object;
         return v;
       }()},
      // These two would be stored as their type code alone and come back as zero.
      {"decimal", [&] {
         VARIANT v{};
         v.decVal = decimal;
         v.vt = VT_DECIMAL;
         return v;
       }()},
      {"8-bit integer", [] { VARIANT v{}; v.vt = VT_I1; v.cVal = 'x'; return v; }()},
      // No size is known for codes above 20.
      {"64-bit unsigned", [] { VARIANT v{}; v.vt = VT_UI8; v.ullVal = 5; return v; }()},
      {"machine integer", [] { VARIANT v{}; v.vt = VT_INT; v.intVal = 5; return v; }()},
      {"array of interface references", [&] {
         VARIANT v{};
         v.vt = VT_ARRAY | VT_UNKNOWN;
         v.parray = interfaces.Get();
         return v;
       }()},
      {"array without an array", [] { VARIANT v{}; v.vt = VT_ARRAY | VT_VARIANT; return v; }()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    win::ScopedSafearray table = MakeTable(2, 2);
    Cell(table.Get(), 1, 1) = c.value;  // borrowed
    try {
      automation::SaveTableToFile(table.Get(), path_);
      ADD_FAILURE() << "saved";
    } catch (const services::Exception& e) {
      std::wstring expected = L"Неподдерживаемый тип данных.\r\nТип данных=" +
                              std::to_wstring(c.value.vt) + L"\r\nПредставление: (";
      EXPECT_EQ(e.Message().substr(0, expected.size()), expected)
          << win::WideToUtf8(e.Message());
    }
    VariantInit(&Cell(table.Get(), 1, 1));
    EXPECT_FALSE(Exists()) << "nothing is written";
  }
  EXPECT_EQ(object.refs_, 1u);
}

TEST_F(TableStorageRoundTrip, ThroughTheValueTableObject) {
  using automation::ISafeArray;
  auto failure_text = [] {
    win::ComPtr<IErrorInfo> info;
    win::ScopedBstr text;
    if (GetErrorInfo(0, info.Put()) == S_OK && info) info->GetDescription(text.Put());
    return win::WideToUtf8(text.Text());
  };
  win::ScopedBstr path(path_);
  VARIANT_BOOL done = 0;
  LONG rows = -1, columns = -1;

  // Sized (0, 5): one row of storage behind it, which is what the file keeps.
  win::ComPtr<ISafeArray> saved = automation::CreateValueTable();
  ASSERT_EQ(saved->SetBounds(0, 5), S_OK);
  ASSERT_EQ(saved->SaveToFile(path.Get(), &done), S_OK) << failure_text();
  EXPECT_EQ(done, VARIANT_TRUE);
  win::ComPtr<ISafeArray> loaded = automation::CreateValueTable();
  ASSERT_EQ(loaded->LoadFromFile(path.Get(), &done), S_OK) << failure_text();
  EXPECT_EQ(done, VARIANT_TRUE);
  loaded->GetBounds(&rows, &columns);
  EXPECT_EQ(rows, 1);
  EXPECT_EQ(columns, 5);

  // A failed load reports its message and leaves the table as it was.
  WriteFileBytes(path_, {1, 2, 3});
  EXPECT_EQ(loaded->LoadFromFile(path.Get(), &done), E_UNEXPECTED);
  EXPECT_EQ(failure_text(), "Хранилище повреждено - неверный размер файла");
  loaded->GetBounds(&rows, &columns);
  EXPECT_EQ(rows, 1);
  EXPECT_EQ(columns, 5);

  // The raw stream: a 1 x 3 byte table that writes back the same bytes.
  ASSERT_EQ(loaded->LoadFromFileAsStream(path.Get(), &done), S_OK) << failure_text();
  EXPECT_EQ(done, VARIANT_TRUE);
  loaded->GetBounds(&rows, &columns);
  EXPECT_EQ(rows, 1);
  EXPECT_EQ(columns, 3);
  DeleteFileW(path_.c_str());
  ASSERT_EQ(loaded->SaveToFileAsStream(path.Get(), &done), S_OK) << failure_text();
  EXPECT_EQ(done, VARIANT_TRUE);
  EXPECT_EQ(ReadFileBytes(path_), (Bytes{1, 2, 3}));
  EXPECT_EQ(saved->SaveToFileAsStream(path.Get(), &done), S_OK);
  EXPECT_EQ(done, VARIANT_FALSE) << "a table of variants has no element bytes";

  // A table that holds itself would recurse without end.
  win::ScopedVariant self = win::ScopedVariant::FromDispatch(saved.Get());
  ASSERT_EQ(saved->SetBounds(1, 1), S_OK);
  ASSERT_EQ(saved->SetValue(0, 0, self.Get()), S_OK);
  EXPECT_EQ(saved->SaveToFile(path.Get(), &done), E_UNEXPECTED);
  EXPECT_EQ(failure_text(), "Слишком глубокая вложенность значений");
  saved->SetValue(0, 0, win::ScopedVariant().Get());  // breaks the cycle
}
