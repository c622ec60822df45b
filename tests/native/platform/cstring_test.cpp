#include <gtest/gtest.h>

#include "CString.h"

namespace {

TEST(CString, FormatTakesWideStringsAndNumbers) {
  CString s;
  s.Format(L"%s %s version %d.%d", L"Plymora for", L"SolidWorks 2012", 1, 0);
  EXPECT_EQ(s, L"Plymora for SolidWorks 2012 version 1.0");
  s.Format(L"[%5s|%-4s|%.2s] %05.1f %x %%", L"ab", L"c", L"xyz", 3.14159, 255);
  EXPECT_EQ(s, L"[   ab|c   |xy] 003.1 ff %");
  s.Format(L"%ld %lld %u", -5, -6LL, 7u);
  EXPECT_EQ(s, L"-5 -6 7");
  s.Format(L"%s", static_cast<const wchar_t*>(nullptr));
  EXPECT_EQ(s, L"(null)");
  // %S and %hs take narrow strings, %ls a wide one.
  s.Format(L"%S|%hs|%ls|%-4S|", "ab", "c\xC3\xA9", L"w", "n");
  EXPECT_EQ(s, L"ab|c\u00e9|w|n   |");
  s.Format(L"%S", static_cast<const char*>(nullptr));
  EXPECT_EQ(s, L"(null)");
}

TEST(CString, FindAndCut) {
  const CString path(L"C:\\Models\\Part.OBJ.bak");
  CString lower = path;
  lower.MakeLower();
  const int at = lower.Find(L".obj");
  ASSERT_EQ(at, 14);
  EXPECT_EQ(path.Left(at + 4), L"C:\\Models\\Part.OBJ");
  EXPECT_EQ(path.Find(L".stl"), -1);
  EXPECT_EQ(path.Find(L'.'), 14);
  EXPECT_EQ(path.ReverseFind(L'.'), 18);
  EXPECT_EQ(path.ReverseFind(L'#'), -1);
  EXPECT_EQ(path.Mid(19), L"bak");
  EXPECT_EQ(path.Mid(3, 6), L"Models");
  EXPECT_EQ(path.Mid(99), L"");
  EXPECT_EQ(path.Left(-1), L"");
  EXPECT_EQ(path.Left(999), path);
  EXPECT_EQ(path.Right(3), L"bak");
  EXPECT_EQ(path.Find(L"", 99), -1);
}

TEST(CString, CompareConcatenateAndConvert) {
  CString a(L"abc");
  EXPECT_TRUE(a == L"abc");
  EXPECT_EQ(a.Compare(L"abd") < 0, true);
  EXPECT_EQ(a.CompareNoCase(L"ABC"), 0);
  CString b = a + L"-" + CString(L"def");
  b += L'!';
  EXPECT_EQ(b, L"abc-def!");
  EXPECT_EQ(b.GetLength(), 8);
  EXPECT_FALSE(b.IsEmpty());
  b.Empty();
  EXPECT_TRUE(b.IsEmpty());

  BSTR s = a.AllocSysString();
  EXPECT_EQ(SysStringLen(s), 3u);
  EXPECT_EQ(CString::FromBSTR(s), a);
  SysFreeString(s);
  EXPECT_TRUE(CString::FromBSTR(nullptr).IsEmpty());
  const wchar_t* nullText = nullptr;
  EXPECT_TRUE(CString(nullText).IsEmpty());
}

TEST(CString, Utf8RoundTrip) {
  const char* utf8 = "Mod\xC3\xA8les/\xE6\xA8\xA1\xE5\x9E\x8B \xF0\x9F\x98\x80.obj";
  CString s(utf8);
  EXPECT_EQ(s.ToUtf8(), utf8);
  EXPECT_EQ(s.GetLength(), sizeof(wchar_t) == 2 ? 17 : 16);
  EXPECT_EQ(CString("\xFF" "a").ToUtf8(), "\xEF\xBF\xBD" "a");  // malformed byte: U+FFFD
}

TEST(CStringArray, AddInsertRemove) {
  CStringArray list;
  list.Add(L"b");
  list.InsertAt(0, L"a");
  list.Add(L"c");
  ASSERT_EQ(list.GetSize(), 3);
  EXPECT_EQ(list[0], L"a");
  list.RemoveAt(1);
  EXPECT_EQ(list.GetAt(1), L"c");
  // Indexes outside the array remove nothing.
  for (int i : {-1, 2, 99}) list.RemoveAt(i);
  ASSERT_EQ(list.GetSize(), 2);
  EXPECT_EQ(list[0], L"a");
  list.RemoveAll();
  EXPECT_TRUE(list.IsEmpty());
}

}  // namespace
