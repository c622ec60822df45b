// swhost.exe: see SwHost.h.
#include <windows.h>

#include <iostream>

#include "SwHost.h"

int wmain(int argc, wchar_t** argv) {
  std::vector<std::wstring> args(argv + 1, argv + argc);
  standin::SwHostOptions options;
  std::string error;
  if (!standin::ParseSwHostArguments(args, options, error)) {
    std::cerr << "swhost: " << error << "\n"
              << "usage: swhost [--revision TEXT | --no-revision] [--addin CLSID] [--call NAME [ARG]]... "
                 "[--fire DISPID]... [--window-timeout MS] [--answer CAPTION BUTTON]...\n";
    return 2;
  }
  return standin::RunSwHost(options, std::cout);
}
