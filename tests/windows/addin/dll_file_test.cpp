// The file Plymora.dll itself: its exports, its resources and the type library it
// carries as its resource TYPELIB 1.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "AddinTestSupport.h"
#include "PlymoraLib.h"
#include "resource.h"

using namespace addintest;

namespace {

std::wstring Text(BSTR s) {
  std::wstring t = s ? std::wstring(s, SysStringLen(s)) : std::wstring();
  SysFreeString(s);
  return t;
}

class TypeLibrary : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(LoadTypeLibEx(DllPath().c_str(), REGKIND_NONE, &m_lib), S_OK); }
  void TearDown() override {
    if (m_lib) m_lib->Release();
  }
  ITypeLib* m_lib = nullptr;
};

TEST_F(TypeLibrary, DescribesTheLibraryItself) {
  TLIBATTR* attr = nullptr;
  ASSERT_EQ(m_lib->GetLibAttr(&attr), S_OK);
  EXPECT_TRUE(IsEqualGUID(attr->guid, LIBID_PlymoraLib));
  EXPECT_EQ(attr->wMajorVerNum, 1);
  EXPECT_EQ(attr->wMinorVerNum, 0);
  EXPECT_EQ(attr->lcid, 0x0409u);
  EXPECT_EQ(attr->syskind, SYS_WIN64);
  m_lib->ReleaseTLibAttr(attr);
  BSTR name = nullptr, doc = nullptr;
  ASSERT_EQ(m_lib->GetDocumentation(-1, &name, &doc, nullptr, nullptr), S_OK);
  EXPECT_EQ(Text(name), L"PlymoraLib");
  EXPECT_EQ(Text(doc), L"Plymora 1.0 Type Library");
}

TEST_F(TypeLibrary, HoldsTheTwelveEntriesInOrder) {
  struct Entry {
    const wchar_t* name;
    TYPEKIND kind;
    const wchar_t* help;
    const GUID* guid;
    const GUID* defaultInterface;  // coclasses only
  };
  const Entry entries[] = {
      {L"Plymora", TKIND_COCLASS, L"Plymora Class", &CLSID_Plymora, &IID_IPlymora},
      {L"IPlymora", TKIND_DISPATCH, L"IPlymora Interface", &IID_IPlymora, nullptr},
      {L"SwDocument", TKIND_COCLASS, L"SwDocument Class", &CLSID_SwDocument, &IID_ISwDocument},
      {L"ISwDocument", TKIND_DISPATCH, L"ISwDocument Interface", &IID_ISwDocument, nullptr},
      {L"DocView", TKIND_COCLASS, L"DocView Class", &CLSID_DocView, &IID_IDocView},
      {L"IDocView", TKIND_DISPATCH, L"IDocView Interface", &IID_IDocView, nullptr},
      {L"BitmapHandler", TKIND_COCLASS, L"BitmapHandler Class", &CLSID_BitmapHandler, &IID_IBitmapHandler},
      {L"IBitmapHandler", TKIND_DISPATCH, L"IBitmapHandler Interface", &IID_IBitmapHandler, nullptr},
      {L"PMPageHandler", TKIND_COCLASS, L"PMPageHandler Class", &CLSID_PMPageHandler, &IID_IPMPageHandler},
      {L"IPMPageHandler", TKIND_DISPATCH, L"IPMPageHandler Interface", &IID_IPMPageHandler, nullptr},
      {L"UserPropertyManagerPage", TKIND_COCLASS, L"UserPropertyManagerPage Class", &CLSID_UserPropertyManagerPage,
       &IID_IUserPropertyManagerPage},
      {L"IUserPropertyManagerPage", TKIND_DISPATCH, L"IUserPropertyManagerPage Interface",
       &IID_IUserPropertyManagerPage, nullptr},
  };
  ASSERT_EQ(m_lib->GetTypeInfoCount(), std::size(entries));
  for (UINT i = 0; i < std::size(entries); ++i) {
    const Entry& e = entries[i];
    SCOPED_TRACE(std::string(e.name, e.name + wcslen(e.name)));
    BSTR name = nullptr, doc = nullptr;
    ASSERT_EQ(m_lib->GetDocumentation(static_cast<INT>(i), &name, &doc, nullptr, nullptr), S_OK);
    EXPECT_EQ(Text(name), e.name);
    EXPECT_EQ(Text(doc), e.help);
    ITypeInfo* info = nullptr;
    ASSERT_EQ(m_lib->GetTypeInfo(i, &info), S_OK);
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(attr->typekind, e.kind);
    EXPECT_TRUE(IsEqualGUID(attr->guid, *e.guid));
    if (e.kind == TKIND_COCLASS) {
      EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FCANCREATE);
      ASSERT_EQ(attr->cImplTypes, 1);
      INT flags = 0;
      EXPECT_EQ(info->GetImplTypeFlags(0, &flags), S_OK);
      EXPECT_TRUE(flags & IMPLTYPEFLAG_FDEFAULT);
      HREFTYPE ref = 0;
      ITypeInfo* iface = nullptr;
      ASSERT_EQ(info->GetRefTypeOfImplType(0, &ref), S_OK);
      ASSERT_EQ(info->GetRefTypeInfo(ref, &iface), S_OK);
      TYPEATTR* ia = nullptr;
      ASSERT_EQ(iface->GetTypeAttr(&ia), S_OK);
      EXPECT_TRUE(IsEqualGUID(ia->guid, *e.defaultInterface));
      iface->ReleaseTypeAttr(ia);
      iface->Release();
    } else {
      // Dual: found as a dispatch description that refers to its table description;
      // automation compatibility is a mark of the table part.
      const WORD wanted = TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE | TYPEFLAG_FDISPATCHABLE;
      EXPECT_EQ(attr->wTypeFlags & wanted, wanted);
      HREFTYPE ref = 0;
      ITypeInfo* table = nullptr;
      ASSERT_EQ(info->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref), S_OK);
      ASSERT_EQ(info->GetRefTypeInfo(ref, &table), S_OK);
      TYPEATTR* ta = nullptr;
      ASSERT_EQ(table->GetTypeAttr(&ta), S_OK);
      EXPECT_EQ(ta->typekind, TKIND_INTERFACE);
      EXPECT_TRUE(ta->wTypeFlags & TYPEFLAG_FOLEAUTOMATION);
      EXPECT_TRUE(ta->wTypeFlags & TYPEFLAG_FDUAL);
      table->ReleaseTypeAttr(ta);
      table->Release();
    }
    info->ReleaseTypeAttr(attr);
    info->Release();
  }
}

// The methods of the two interfaces with methods: dispid, help text, parameters,
// and their table positions after IDispatch's seven.
TEST_F(TypeLibrary, DescribesTheMethodsWithTheirIdsAndHelpTexts) {
  struct Method {
    const GUID* iface;
    const wchar_t* name;
    MEMBERID id;
    short params;
    short vtableIndex;
  };
  const Method methods[] = {
      {&IID_IPlymora, L"ToolbarCallback0", 3, 0, 7},
      {&IID_IPlymora, L"ToolbarEnable0", 4, 1, 8},
      {&IID_IPlymora, L"Plymora_Import", 5, 0, 9},
      {&IID_IPlymora, L"Plymora_Help", 6, 0, 10},
      {&IID_IPlymora, L"Plymora_About", 8, 0, 11},
      {&IID_IPlymora, L"Plymora_Open", 9, 1, 12},
      {&IID_IBitmapHandler, L"CreateBitmapFileFromResource", 1, 2, 7},
      {&IID_IBitmapHandler, L"Dispose", 2, 0, 8},
  };
  for (const Method& m : methods) {
    SCOPED_TRACE(std::string(m.name, m.name + wcslen(m.name)));
    ITypeInfo* dispatch = nullptr;
    ASSERT_EQ(m_lib->GetTypeInfoOfGuid(*m.iface, &dispatch), S_OK);
    // The table description of the dual interface.
    HREFTYPE ref = 0;
    ITypeInfo* info = nullptr;
    ASSERT_EQ(dispatch->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref), S_OK);
    ASSERT_EQ(dispatch->GetRefTypeInfo(ref, &info), S_OK);
    MEMBERID id = 0;
    LPOLESTR names[] = {const_cast<LPOLESTR>(m.name)};
    ASSERT_EQ(info->GetIDsOfNames(names, 1, &id), S_OK);
    EXPECT_EQ(id, m.id);
    BSTR doc = nullptr;
    ASSERT_EQ(info->GetDocumentation(id, nullptr, &doc, nullptr, nullptr), S_OK);
    EXPECT_EQ(Text(doc), std::wstring(L"method ") + m.name);
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
    bool found = false;
    for (UINT i = 0; i < attr->cFuncs; ++i) {
      FUNCDESC* f = nullptr;
      ASSERT_EQ(info->GetFuncDesc(i, &f), S_OK);
      if (f->memid == m.id) {
        found = true;
        EXPECT_EQ(f->cParams, m.params);
        EXPECT_EQ(f->oVft / static_cast<short>(sizeof(void*)), m.vtableIndex);
        EXPECT_EQ(f->callconv, CC_STDCALL);
        EXPECT_EQ(f->elemdescFunc.tdesc.vt, VT_HRESULT);
      }
      info->ReleaseFuncDesc(f);
    }
    EXPECT_TRUE(found);
    info->ReleaseTypeAttr(attr);
    info->Release();
    dispatch->Release();
  }
}

// The module mapped as data only: nothing of it runs.
class DllFile : public ::testing::Test {
 protected:
  void SetUp() override {
    m_module = LoadLibraryExW(DllPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(m_module, nullptr);
  }
  void TearDown() override {
    if (m_module) FreeLibrary(m_module);
  }
  HMODULE m_module = nullptr;
};

TEST_F(DllFile, ExportsExactlyTheFourEntryPointsByName) {
  // Read from the file's export directory, as a loader sees it.
  const std::vector<uint8_t> image = ReadFileBytes(DllPath());
  ASSERT_GT(image.size(), 0x400u);
  auto u16 = [&](size_t at) { return static_cast<uint32_t>(image.at(at) | (image.at(at + 1) << 8)); };
  auto u32 = [&](size_t at) { return u16(at) | (u16(at + 2) << 16); };
  const size_t pe = u32(0x3C);
  ASSERT_EQ(u32(pe), 0x00004550u);  // "PE\0\0"
  const size_t sections = u16(pe + 6);
  const size_t optional = pe + 24;
  ASSERT_EQ(u16(optional), 0x20Bu);  // PE32+: a 64-bit image
  const uint32_t exportRva = u32(optional + 112);
  ASSERT_NE(exportRva, 0u);
  const size_t sectionTable = optional + u16(pe + 20);
  auto fileOffset = [&](uint32_t rva) -> size_t {
    for (size_t i = 0; i < sections; ++i) {
      const size_t h = sectionTable + i * 40;
      const uint32_t va = u32(h + 12), size = std::max(u32(h + 8), u32(h + 16)), raw = u32(h + 20);
      if (rva >= va && rva < va + size) return raw + (rva - va);
    }
    return 0;
  };
  const size_t dir = fileOffset(exportRva);
  ASSERT_NE(dir, 0u);
  EXPECT_EQ(u32(dir + 20), 4u);  // functions
  const uint32_t names = u32(dir + 24);
  const size_t nameTable = fileOffset(u32(dir + 32));
  std::vector<std::string> exported;
  for (uint32_t i = 0; i < names; ++i) {
    const size_t at = fileOffset(u32(nameTable + 4 * i));
    exported.emplace_back(reinterpret_cast<const char*>(&image.at(at)));
  }
  std::sort(exported.begin(), exported.end());
  EXPECT_EQ(exported, (std::vector<std::string>{"DllCanUnloadNow", "DllGetClassObject", "DllRegisterServer",
                                                "DllUnregisterServer"}));
}

TEST_F(DllFile, CarriesTheIconBitmapsAndBothRegistryScripts) {
  struct Bitmap {
    UINT id;
    LONG width;
    LONG height;
  };
  const Bitmap bitmaps[] = {{IDB_MAIN_ICON_LARGE, 24, 24},
                            {IDB_MAIN_ICON_SMALL, 16, 16},
                            {IDB_TOOLBAR_LARGE, 96, 24},
                            {IDB_TOOLBAR_SMALL, 64, 16}};
  for (const Bitmap& b : bitmaps) {
    SCOPED_TRACE(b.id);
    HRSRC r = FindResourceW(m_module, MAKEINTRESOURCEW(b.id), MAKEINTRESOURCEW(2) /* RT_BITMAP */);
    ASSERT_NE(r, nullptr);
    const auto* header = static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(m_module, r)));
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->biWidth, b.width);
    EXPECT_EQ(header->biHeight, b.height);
    EXPECT_EQ(header->biBitCount, 24);
    EXPECT_EQ(header->biCompression, static_cast<DWORD>(BI_RGB));
    EXPECT_EQ(header->biClrUsed, 0u);  // no palette
  }
  for (UINT id : {IDR_PLYMORA, IDR_BITMAPHANDLER}) {
    HRSRC r = FindResourceW(m_module, MAKEINTRESOURCEW(id), L"REGISTRY");
    ASSERT_NE(r, nullptr) << id;
    const char* text = static_cast<const char*>(LockResource(LoadResource(m_module, r)));
    const std::string script(text, SizeofResource(m_module, r));
    EXPECT_NE(script.find("%MODULE%"), std::string::npos) << id;
    EXPECT_EQ(script.find("HKLM") != std::string::npos, id == IDR_PLYMORA) << id;
  }
}

}  // namespace
