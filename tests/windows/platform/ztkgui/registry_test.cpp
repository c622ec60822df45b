#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "ZTKRegistry.h"

namespace {

const wchar_t* const kKey = L"Software\\ZENTIK\\Plymora registry test";

class Registry : public ::testing::Test {
 protected:
  void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, kKey); }
  void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, kKey); }
};

TEST_F(Registry, MissingValuesReadAsTheDefault) {
  ZTKRegistry r;
  EXPECT_TRUE(r.SetKey(kKey, 1));
  EXPECT_EQ(r.ReadInt(L"Units", 3), 3);
  EXPECT_EQ(r.ReadBool(L"Y Up", 1), 1);
  EXPECT_EQ(r.ReadBool(L"Y Up", 0), 0);
}

TEST_F(Registry, WrittenValuesReadBackInAnotherObjectAndProcess) {
  {
    ZTKRegistry r;
    r.SetKey(kKey, 1);
    EXPECT_TRUE(r.WriteInt(L"Units", -1));
    EXPECT_TRUE(r.WriteBool(L"MultiBody", 7));  // any nonzero is stored as 1
    EXPECT_TRUE(r.WriteBool(L"Progress", 0));
  }
  ZTKRegistry r;
  r.SetKey(kKey, 1);
  EXPECT_EQ(r.ReadInt(L"Units", 3), -1);
  EXPECT_EQ(r.ReadBool(L"MultiBody", 0), 1);
  EXPECT_EQ(r.ReadBool(L"Progress", 1), 0);

  // Another process finds the value in the user's hive.
  wchar_t command[] = L"reg.exe query \"HKCU\\Software\\ZENTIK\\Plymora registry test\" /v Units";
  SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
  HANDLE readEnd, writeEnd;
  ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, &sa, 0));
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = writeEnd;
  si.hStdError = writeEnd;
  PROCESS_INFORMATION pi = {};
  ASSERT_TRUE(CreateProcessW(nullptr, command, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi));
  CloseHandle(writeEnd);
  std::string output;
  char buffer[256];
  DWORD got;
  while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got) output.append(buffer, got);
  WaitForSingleObject(pi.hProcess, 10000);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  CloseHandle(readEnd);
  EXPECT_NE(output.find("0xffffffff"), std::string::npos) << output;
}

TEST_F(Registry, ValuesOfAnotherTypeReadAsMissing) {
  HKEY key;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr), ERROR_SUCCESS);
  RegSetValueExW(key, L"Units", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"2"), 4);
  const BYTE small[2] = {1, 0};
  RegSetValueExW(key, L"Y Up", 0, REG_BINARY, small, 2);
  RegCloseKey(key);
  ZTKRegistry r;
  r.SetKey(kKey, 1);
  EXPECT_EQ(r.ReadInt(L"Units", 3), 3);
  EXPECT_EQ(r.ReadBool(L"Y Up", 1), 1);
}

TEST_F(Registry, NoKeyMeansDefaultsAndNoWrites) {
  ZTKRegistry r;
  EXPECT_FALSE(r.SetKey(kKey, 0));  // not created without the flag
  EXPECT_EQ(r.ReadInt(L"Units", 4), 4);
  EXPECT_FALSE(r.WriteInt(L"Units", 1));
  HKEY key;
  EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key), ERROR_SUCCESS);
}

}  // namespace
