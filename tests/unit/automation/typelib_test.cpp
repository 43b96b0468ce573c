// The type library resource carries exactly the library that the value table factory needs.
#include <gtest/gtest.h>

#include <windows.h>
#include <oleauto.h>

#include <string>

#include "framework/automation/identifiers.h"
#include "framework/win/com_ptr.h"
#include "framework/win/module.h"
#include "framework/win/scoped_bstr.h"
#include "support/test_paths.h"

namespace {

std::wstring GuidText(const GUID& guid) {
  wchar_t text[40] = {};
  StringFromGUID2(guid, text, 40);
  return text;
}

win::ComPtr<ITypeLib> LoadOwnLibrary() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(win::ThisModule(), path, MAX_PATH);
  win::ComPtr<ITypeLib> lib;
  HRESULT hr = LoadTypeLibEx(path, REGKIND_NONE, lib.Put());
  EXPECT_EQ(hr, S_OK) << std::hex << hr;
  return lib;
}

std::wstring NameOf(ITypeLib* lib, INT index) {
  win::ScopedBstr name;
  lib->GetDocumentation(index, name.Put(), nullptr, nullptr, nullptr);
  return name.Text();
}

std::wstring DocStringOf(ITypeLib* lib, INT index) {
  win::ScopedBstr doc;
  lib->GetDocumentation(index, nullptr, doc.Put(), nullptr, nullptr);
  return doc.Text();
}

}  // namespace

TEST(TypeLibrary, IsResourceTypelibOne) {
  EXPECT_NE(FindResourceW(win::ThisModule(), MAKEINTRESOURCEW(1), L"TYPELIB"), nullptr);
}

TEST(TypeLibrary, LibraryAttributes) {
  win::ComPtr<ITypeLib> lib = LoadOwnLibrary();
  ASSERT_TRUE(lib);
  TLIBATTR* attr = nullptr;
  ASSERT_EQ(lib->GetLibAttr(&attr), S_OK);
  EXPECT_EQ(GuidText(attr->guid), L"{B0A3CC0F-02F3-4065-A166-0F06346DFD02}");
  EXPECT_EQ(attr->wMajorVerNum, 1);
  EXPECT_EQ(attr->wMinorVerNum, 0);
  EXPECT_EQ(attr->lcid, 0x409u);
  EXPECT_EQ(attr->syskind, SYS_WIN32);
  lib->ReleaseTLibAttr(attr);
  EXPECT_EQ(NameOf(lib.Get(), -1), L"AddIn");
  EXPECT_EQ(DocStringOf(lib.Get(), -1), L"VOVEved Library");
}

TEST(TypeLibrary, FourTypesInOrder) {
  struct Expected {
    TYPEKIND kind;
    const wchar_t* name;
    const wchar_t* guid;
    WORD flags;  // flags that must be set
  };
  // A dual interface is listed by its dispatch view; its interface view carries the
  // OLE-automation flag (checked below).
  const WORD kDual = TYPEFLAG_FDUAL | TYPEFLAG_FDISPATCHABLE;
  const Expected expected[] = {
      {TKIND_DISPATCH, L"ICaller", L"{9D067802-5F0B-4847-BD64-2FB3F551D830}", kDual},
      {TKIND_COCLASS, L"Caller", L"{FF5D8896-95BB-4826-A1A5-79A32B1653AE}", TYPEFLAG_FCANCREATE},
      {TKIND_DISPATCH, L"ISafeArray", L"{C71ED758-08C7-4ACB-9497-120FDBCFDD21}", kDual},
      {TKIND_COCLASS, L"SafeArray", L"{67ACED41-31C6-434E-9632-96018EB2B4EB}", TYPEFLAG_FCANCREATE},
  };
  win::ComPtr<ITypeLib> lib = LoadOwnLibrary();
  ASSERT_TRUE(lib);
  ASSERT_EQ(lib->GetTypeInfoCount(), 4u);
  for (UINT i = 0; i < 4; ++i) {
    SCOPED_TRACE(expected[i].name);
    win::ComPtr<ITypeInfo> info;
    ASSERT_EQ(lib->GetTypeInfo(i, info.Put()), S_OK);
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(attr->typekind, expected[i].kind);
    EXPECT_EQ(GuidText(attr->guid), expected[i].guid);
    EXPECT_EQ(attr->wTypeFlags & expected[i].flags, expected[i].flags) << attr->wTypeFlags;
    EXPECT_EQ(attr->wMajorVerNum, 1);
    EXPECT_EQ(attr->wMinorVerNum, 0);
    info->ReleaseTypeAttr(attr);
    EXPECT_EQ(NameOf(lib.Get(), i), expected[i].name);
  }
  EXPECT_EQ(DocStringOf(lib.Get(), 1), L"Caller Object");
}

TEST(TypeLibrary, InterfacesDescribeOnlyTest) {
  struct Expected {
    const GUID* iid;
    UINT params;
  };
  const Expected expected[] = {{&automation::kIidCaller, 3}, {&automation::kIidSafeArray, 0}};
  win::ComPtr<ITypeLib> lib = LoadOwnLibrary();
  ASSERT_TRUE(lib);
  for (const Expected& e : expected) {
    SCOPED_TRACE(GuidText(*e.iid));
    win::ComPtr<ITypeInfo> info;
    ASSERT_EQ(lib->GetTypeInfoOfGuid(*e.iid, info.Put()), S_OK);
    // The interface view: IDispatch's base, then the one method.
    HREFTYPE ref = 0;
    ASSERT_EQ(info->GetRefTypeOfImplType(-1, &ref), S_OK);
    win::ComPtr<ITypeInfo> vtable_view;
    ASSERT_EQ(info->GetRefTypeInfo(ref, vtable_view.Put()), S_OK);
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(vtable_view->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(attr->typekind, TKIND_INTERFACE);
    const WORD kDual = TYPEFLAG_FDUAL | TYPEFLAG_FDISPATCHABLE | TYPEFLAG_FOLEAUTOMATION;
    EXPECT_EQ(attr->wTypeFlags & kDual, kDual) << attr->wTypeFlags;
    EXPECT_EQ(attr->cFuncs, 1);
    EXPECT_EQ(attr->cbSizeVft, 8 * sizeof(void*));
    vtable_view->ReleaseTypeAttr(attr);
    FUNCDESC* func = nullptr;
    ASSERT_EQ(vtable_view->GetFuncDesc(0, &func), S_OK);
    EXPECT_EQ(func->memid, 201);
    EXPECT_EQ(func->elemdescFunc.tdesc.vt, VT_HRESULT);
    ASSERT_EQ(func->cParams, static_cast<SHORT>(e.params));
    for (SHORT p = 0; p < func->cParams; ++p) EXPECT_EQ(func->lprgelemdescParam[p].tdesc.vt, VT_I4);
    vtable_view->ReleaseFuncDesc(func);

    BSTR names[4] = {};
    UINT got = 0;
    ASSERT_EQ(vtable_view->GetNames(201, names, 4, &got), S_OK);
    ASSERT_EQ(got, e.params + 1);
    EXPECT_STREQ(names[0], L"Test");
    for (UINT p = 1; p < got; ++p) EXPECT_EQ(win::BstrText(names[p]), L"Param" + std::to_wstring(p));
    for (UINT p = 0; p < got; ++p) win::ScopedBstr::Adopt(names[p]);

    // The base of the interface comes from the imported standard library.
    ASSERT_EQ(vtable_view->GetRefTypeOfImplType(0, &ref), S_OK);
    win::ComPtr<ITypeInfo> base;
    ASSERT_EQ(vtable_view->GetRefTypeInfo(ref, base.Put()), S_OK);
    ASSERT_EQ(base->GetTypeAttr(&attr), S_OK);
    EXPECT_TRUE(IsEqualGUID(attr->guid, IID_IDispatch));
    base->ReleaseTypeAttr(attr);
  }
}

TEST(TypeLibrary, ClassesDefaultToTheirInterfaces) {
  const GUID* pairs[][2] = {{&automation::kClsidCaller, &automation::kIidCaller},
                            {&automation::kClsidSafeArray, &automation::kIidSafeArray}};
  win::ComPtr<ITypeLib> lib = LoadOwnLibrary();
  ASSERT_TRUE(lib);
  for (auto& pair : pairs) {
    SCOPED_TRACE(GuidText(*pair[0]));
    win::ComPtr<ITypeInfo> coclass;
    ASSERT_EQ(lib->GetTypeInfoOfGuid(*pair[0], coclass.Put()), S_OK);
    INT flags = 0;
    ASSERT_EQ(coclass->GetImplTypeFlags(0, &flags), S_OK);
    EXPECT_TRUE(flags & IMPLTYPEFLAG_FDEFAULT);
    HREFTYPE ref = 0;
    ASSERT_EQ(coclass->GetRefTypeOfImplType(0, &ref), S_OK);
    win::ComPtr<ITypeInfo> iface;
    ASSERT_EQ(coclass->GetRefTypeInfo(ref, iface.Put()), S_OK);
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(iface->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(GuidText(attr->guid), GuidText(*pair[1]));
    iface->ReleaseTypeAttr(attr);
  }
}

// Typing mistakes in the identifier index would only show up far away, as a failed query.
TEST(Identifiers, MatchTheirTexts) {
  struct Entry {
    const char* name;
    GUID guid;
    const wchar_t* text;
  };
  const Entry entries[] = {
    {"kIidSafeArray", automation::kIidSafeArray, L"{C71ED758-08C7-4ACB-9497-120FDBCFDD21}"},
    {"kClsidSafeArray", automation::kClsidSafeArray, L"{67ACED41-31C6-434E-9632-96018EB2B4EB}"},
    {"kLibidAddIn", automation::kLibidAddIn, L"{B0A3CC0F-02F3-4065-A166-0F06346DFD02}"},
    {"kIidCaller", automation::kIidCaller, L"{9D067802-5F0B-4847-BD64-2FB3F551D830}"},
    {"kClsidCaller", automation::kClsidCaller, L"{FF5D8896-95BB-4826-A1A5-79A32B1653AE}"},
    {"kIidPluginControl", automation::kIidPluginControl, L"{5840E4CB-F596-489A-BCD0-66F4D4311253}"},
    {"kIidPluInfo", automation::kIidPluInfo, L"{07573EC1-327D-47C7-8B5F-13C6298FBC2F}"},
    {"kIidPluNames", automation::kIidPluNames, L"{BAB8C117-CADF-4C73-9B2D-B042D637A748}"},
    {"kIidEventSupport", automation::kIidEventSupport, L"{761D2911-3335-478B-A481-81BC22AA963F}"},
    {"kIidEventSupport2", automation::kIidEventSupport2, L"{761D2911-3335-478B-A481-81BC22AA9640}"},
    {"kIidRootObject", automation::kIidRootObject, L"{7C2F5833-8F25-4298-B7DE-C8CBAFB80F53}"},
    {"kIidRootActiveObject", automation::kIidRootActiveObject, L"{0A1B06F1-BFF2-4B10-9B5B-159937A1F35B}"},
    {"kIidModelItem", automation::kIidModelItem, L"{70231714-9996-413C-BFBB-F504227138B8}"},
    {"kIidPluModel", automation::kIidPluModel, L"{D8EB2570-D5AB-4357-86E6-6064DBDD7523}"},
    {"kIidPluDevice", automation::kIidPluDevice, L"{B911C0BF-C46E-4916-A7D7-5AB5CE9598E5}"},
    {"kModelCasioDt930", automation::kModelCasioDt930, L"{B49766DD-5C96-4181-A4AE-23513F1A77C3}"},
    {"kModelTermblank", automation::kModelTermblank, L"{A95E1B49-5685-417F-B3F4-A3DBC76429A9}"},
  };
  for (const Entry& e : entries) EXPECT_EQ(GuidText(e.guid), e.text) << e.name;
}

// Both plug-ins carry the same library; they are built beside the test programs.
TEST(TypeLibrary, BothModulesCarryIt) {
  for (const wchar_t* module : {L"termblank.plu", L"termdt930.plu"}) {
    SCOPED_TRACE(module);
    win::ComPtr<ITypeLib> lib;
    ASSERT_EQ(LoadTypeLibEx(testsupport::BesideTestProgram(module).c_str(), REGKIND_NONE, lib.Put()), S_OK);
    EXPECT_EQ(lib->GetTypeInfoCount(), 4u);
    TLIBATTR* attr = nullptr;
    ASSERT_EQ(lib->GetLibAttr(&attr), S_OK);
    EXPECT_TRUE(IsEqualGUID(attr->guid, automation::kLibidAddIn));
    lib->ReleaseTLibAttr(attr);
  }
}
