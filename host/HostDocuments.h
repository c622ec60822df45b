// The documents the further conversions make besides parts: application method 21,
// a new assembly, and method 47, a new drawing, whose five values the host records
// as they come.
#pragma once

#include <cstdint>
#include <tuple>

#include "HostContract.h"
#include "HostCore.h"

namespace standin {

// The values method 47 was called with, in order.
using NewDrawingValues = std::tuple<LONG, int64_t, LONG, double, double>;

// The entries StandInHost.cpp puts in the application's table.
struct DocumentEntries {
  static HRESULT STDMETHODCALLTYPE AppNewAssembly(Face* self, HostAssemblyDocument** assembly);
  static HRESULT STDMETHODCALLTYPE AppNewDrawing(Face* self, LONG first, int64_t second, LONG third, double fourth,
                                                 double fifth, HostDrawingDocument** drawing);
};

}  // namespace standin
