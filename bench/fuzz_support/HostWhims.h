// The stand-in host's whims for the fuzz targets: one byte decides one host call.
// Half of the values let the call be; the others fail it in one of the host's ways
// (fails, hands out null, fails after doing its work) with one of a few results.
#pragma once

#include <cstdint>
#include <optional>

#include "StandInHost.h"

namespace fuzzsupport {

inline std::optional<standin::Fault> FaultOf(uint8_t b) {
  static const HRESULT results[] = {E_FAIL, S_FALSE, E_OUTOFMEMORY, E_INVALIDARG};
  const HRESULT hr = results[(b >> 4) & 3];
  switch (b & 7) {
    case 4: return standin::Fault::Fail(hr);
    case 5: return standin::Fault::NullOut(b & 0x40 ? S_OK : hr);
    case 6:
    case 7: return standin::Fault::After(hr);
    default: return std::nullopt;
  }
}

}  // namespace fuzzsupport
