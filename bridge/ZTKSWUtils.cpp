#include "ZTKSWUtils.h"

#include <climits>
#include <cstdint>

#include "ComHolders.h"

namespace {

// The module's own text; the geometry module keeps a separate one.
CString LastErrorText;

bool IsBlank(wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r'); }

}  // namespace

namespace ZTKSWUtils {

CString GetLastErrorText() { return LastErrorText; }

void SetLastErrorText(const CString& text) { LastErrorText = text; }

int DecimalToInt(const wchar_t* text) {
  if (!text) return 0;
  const wchar_t* c = text;
  while (IsBlank(*c)) ++c;
  bool negative = false;
  if (*c == L'+' || *c == L'-') negative = *c++ == L'-';
  // Accumulate in 64 bits and stop growing once past int's range.
  int64_t value = 0;
  for (; *c >= L'0' && *c <= L'9'; ++c) {
    if (value <= int64_t{INT_MAX} + 1) value = value * 10 + (*c - L'0');
  }
  if (negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

}  // namespace ZTKSWUtils

int GetSWVersionIndex(HostApplication* app) {
  if (!app) return 0;
  BstrHolder revision;
  HostOp::RevisionNumber(app, revision.Out());  // the result is not judged: no text reads as empty
  const CString text = CString::FromBSTR(revision.Get());
  revision.Reset();
  const int dot = text.Find(L'.');
  const CString major = dot >= 0 ? text.Left(dot) : CString();
  const int number = ZTKSWUtils::DecimalToInt(major);
  return number >= 16 && number <= 21 ? number - 7 : 0;
}

HWND GetSWMainWindow(HostApplication* app) {
  if (!app) return nullptr;
  CountedPtr<HostFrame> frame;
  // A frame handed out with a failure is still released, by the holder.
  if (HostOp::Frame(app, frame.Out()) != S_OK || !frame) return nullptr;
  LONG handle = 0;
  const HRESULT hr = HostOp::WindowHandle(frame.Get(), &handle);
  frame.Reset();
  if (hr != S_OK) return nullptr;
  return reinterpret_cast<HWND>(static_cast<LONG_PTR>(handle));
}

BOOL SetDocumentUnits(HostDocument* doc, int unitsIndex, double* scale) {
  static constexpr double kScales[5] = {0.001, 0.01, 1.0, 0.0254, 12 * 0.0254};
  if (scale) *scale = 1.0;
  if (unitsIndex < 0 || unitsIndex > 4) return TRUE;
  if (doc) HostOp::SetUnits(doc, static_cast<LONG>(unitsIndex));  // its result goes unnoticed
  if (scale) *scale = kScales[unitsIndex];
  return TRUE;
}
