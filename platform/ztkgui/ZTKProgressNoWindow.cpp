// The progress backend of builds without a window system: nothing is drawn, so
// the progress object only reports its calls to its observer.
#include "ZTKProgress.h"

std::unique_ptr<ZTKProgressBackend> ZTKCreateProgressBackend(const CString&, const CString&, double, double,
                                                             CWnd*) {
  return nullptr;
}
