// The host's value table answered by name as the plug-in's tables are, and the readers.
#include <gtest/gtest.h>

#include <windows.h>
#include <ole2.h>

#include "pluhost/lib/host_value_table.h"

namespace pluhost {
namespace {

VARIANT I4(int32_t v) {
  VARIANT x;
  x.vt = VT_I4;
  x.lVal = v;
  return x;
}

struct Table {
  Table() : object(NewHostValueTable()) {}
  ~Table() { object->Release(); }
  HRESULT Call(const wchar_t* name, std::vector<VARIANT> args, VARIANT* result = nullptr, std::wstring* error = nullptr) {
    return CallByName(object, name, std::move(args), result, error);
  }
  std::pair<int32_t, int32_t> Bounds() {
    int32_t r = -1, c = -1;
    EXPECT_TRUE(TableBounds(object, r, c));
    return {r, c};
  }
  IDispatch* object;
};

TEST(HostValueTable, StartsEmptyAndAnswersBoundsByReferenceOnly) {
  Table t;
  EXPECT_EQ(t.Bounds(), std::make_pair(0, 0));
  ASSERT_EQ(t.Call(L"setbounds", {I4(3), I4(2)}), S_OK);  // names are case-insensitive
  // By-value arguments of GetBounds stay as they were.
  VARIANT a = I4(7), b = I4(8);
  EXPECT_EQ(t.Call(L"GetBounds", {a, b}), S_OK);
  EXPECT_EQ(a.lVal, 7);
  EXPECT_EQ(b.lVal, 8);
  // A referenced variant receives the count.
  VARIANT rows, cols;
  VariantInit(&rows);
  VariantInit(&cols);
  VARIANT rr, cr;
  rr.vt = cr.vt = VT_VARIANT | VT_BYREF;
  rr.pvarVal = &rows;
  cr.pvarVal = &cols;
  EXPECT_EQ(t.Call(L"GetBounds", {rr, cr}), S_OK);
  EXPECT_EQ(rows.vt, VT_I4);
  EXPECT_EQ(rows.lVal, 3);
  EXPECT_EQ(cols.lVal, 2);
  VARIANT count;
  VariantInit(&count);
  EXPECT_EQ(t.Call(L"RowCount", {}, &count), S_OK);
  EXPECT_EQ(count.lVal, 3);
}

TEST(HostValueTable, KeepsCellsWhenGrowingAndShrinking) {
  Table t;
  t.Call(L"SetBounds", {I4(3), I4(2)});
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 2; ++c) ASSERT_EQ(t.Call(L"SetValue", {I4(r), I4(c), I4(r * 10 + c)}), S_OK);
  t.Call(L"SetBounds", {I4(5), I4(4)});
  EXPECT_EQ(t.Bounds(), std::make_pair(5, 4));
  TableCells cells;
  ASSERT_TRUE(ReadTable(t.object, cells));
  EXPECT_EQ(cells[2][1].Get().lVal, 21);
  EXPECT_EQ(cells[4][3].Get().vt, VT_EMPTY);
  // Negative counts change nothing.
  t.Call(L"SetBounds", {I4(-1), I4(2)});
  EXPECT_EQ(t.Bounds(), std::make_pair(5, 4));
  // A size beyond what the host can hold is refused and the table stays as it was.
  EXPECT_EQ(t.Call(L"SetBounds", {I4(100000), I4(100000)}), DISP_E_EXCEPTION);
  EXPECT_EQ(t.Bounds(), std::make_pair(5, 4));
  t.Call(L"SetBounds", {I4(1), I4(1)});
  ASSERT_TRUE(ReadTable(t.object, cells));
  ASSERT_EQ(cells.size(), 1u);
  EXPECT_EQ(cells[0][0].Get().lVal, 0);
}

TEST(HostValueTable, RefusesCellsOutsideTheBoundsWithTheTablesTexts) {
  Table t;
  t.Call(L"SetBounds", {I4(3), I4(2)});
  VARIANT result;
  VariantInit(&result);
  std::wstring error;
  EXPECT_EQ(t.Call(L"GetValue", {I4(3), I4(0)}, &result, &error), DISP_E_EXCEPTION);
  EXPECT_EQ(error, L"Номер элемента массива за пределами границ.");
  EXPECT_EQ(t.Call(L"SetValue", {I4(0), I4(2), I4(1)}, nullptr, &error), DISP_E_EXCEPTION);
  EXPECT_EQ(error.rfind(L"Номер элемента массива за пределами границ. X:0 Y:2 CountX:3 CountY:2", 0), 0u);
  EXPECT_EQ(t.Call(L"GetValue", {I4(0)}), DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(t.Call(L"NoSuchMember", {}), DISP_E_UNKNOWNNAME);
  VARIANT put = I4(1);
  DISPID id = DISPID_PROPERTYPUT;
  DISPID row_count = 4;
  DISPPARAMS params{&put, &id, 1, 1};
  EXPECT_EQ(t.object->Invoke(row_count, IID_NULL, 0, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr, nullptr),
            DISP_E_EXCEPTION);
}

TEST(HostValueTable, StoresWhatAReferencePointsAt) {
  Table t;
  t.Call(L"SetBounds", {I4(1), I4(1)});
  LONG target = 42;
  VARIANT ref;
  ref.vt = VT_I4 | VT_BYREF;
  ref.plVal = &target;
  ASSERT_EQ(t.Call(L"SetValue", {I4(0), I4(0), ref}), S_OK);
  target = 0;
  VARIANT got;
  VariantInit(&got);
  ASSERT_EQ(t.Call(L"GetValue", {I4(0), I4(0)}, &got), S_OK);
  EXPECT_EQ(got.vt, VT_I4);
  EXPECT_EQ(got.lVal, 42);
}

TEST(HostValueTable, ReadsATwoDimensionalArrayRowFirst) {
  SAFEARRAYBOUND bounds[2] = {{2, 0}, {3, 0}};
  SAFEARRAY* array = SafeArrayCreate(VT_VARIANT, 2, bounds);
  LONG index[2] = {1, 2};
  VARIANT v = I4(12);
  SafeArrayPutElement(array, index, &v);
  VARIANT holder;
  holder.vt = VT_ARRAY | VT_VARIANT;
  holder.parray = array;
  TableCells cells;
  ASSERT_TRUE(ReadArray(holder, cells));
  ASSERT_EQ(cells.size(), 2u);
  ASSERT_EQ(cells[0].size(), 3u);
  EXPECT_EQ(cells[1][2].Get().lVal, 12);
  VariantClear(&holder);
  EXPECT_FALSE(ReadArray(I4(1), cells));
}

}  // namespace
}  // namespace pluhost
