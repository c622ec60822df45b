#include <gtest/gtest.h>

#include "ComBase.h"
#include "ComHolders.h"

namespace {

TEST(Bstr, KeepsLengthPrefixAndTerminator) {
  BSTR s = SysAllocString(L"abc");
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(SysStringLen(s), 3u);
  EXPECT_EQ(SysStringByteLen(s), 3u * sizeof(OLECHAR));
  EXPECT_EQ(s[3], 0);
  SysFreeString(s);

  const OLECHAR withZero[] = {L'a', 0, L'b'};
  BSTR t = SysAllocStringLen(withZero, 3);
  EXPECT_EQ(SysStringLen(t), 3u);
  EXPECT_EQ(t[2], L'b');
  SysFreeString(t);

  BSTR blank = SysAllocStringLen(nullptr, 2);
  EXPECT_EQ(SysStringLen(blank), 2u);
  EXPECT_EQ(blank[2], 0);
  SysFreeString(blank);

  EXPECT_EQ(SysAllocString(nullptr), nullptr);
  EXPECT_EQ(SysStringLen(nullptr), 0u);
  SysFreeString(nullptr);  // allowed, does nothing
}

TEST(Guid, ComparesByValue) {
  GUID a = {1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
  GUID b = a;
  EXPECT_TRUE(IsEqualGUID(a, b));
  b.Data4[7] = 12;
  EXPECT_FALSE(IsEqualGUID(a, b));
  EXPECT_FALSE(IsEqualGUID(IID_IUnknown, IID_IDispatch));
}

struct Counted : IUnknown {
  int refs = 1;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++refs); }
  ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--refs); }
};

TEST(CountedPtr, ReleasesOnEveryPathAndStartsOutNull) {
  Counted obj;
  {
    auto p = CountedPtr<Counted>::Attach(&obj);
    auto q = p;  // copy adds a reference
    EXPECT_EQ(obj.refs, 2);
  }
  EXPECT_EQ(obj.refs, 0);

  obj.refs = 1;
  CountedPtr<Counted> slot = CountedPtr<Counted>::Attach(&obj);
  Counted** out = slot.Out();  // the old reference goes, the slot is null for the callee
  EXPECT_EQ(obj.refs, 0);
  EXPECT_EQ(*out, nullptr);
}

TEST(BstrHolder, NullReadsAsEmptyAndIsFreed) {
  BstrHolder h;
  EXPECT_STREQ(h.Text(), L"");
  BSTR* out = h.Out();
  EXPECT_EQ(*out, nullptr);
  *out = SysAllocString(L"20.0.0");
  EXPECT_STREQ(h.Text(), L"20.0.0");
  EXPECT_EQ(h.Length(), 6u);
}

}  // namespace
