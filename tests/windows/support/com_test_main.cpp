// The main of test programs whose cases need COM started on their thread, as the
// host's thread has it.
#include <gtest/gtest.h>
#include <objbase.h>

int main(int argc, char** argv) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  CoUninitialize();
  return result;
}
