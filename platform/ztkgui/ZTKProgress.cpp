#include "ZTKProgress.h"

#include <utility>

namespace {
ZTKProgressObserver* g_observer = nullptr;
}

ZTKProgressObserver* ZTKProgress::SetObserver(ZTKProgressObserver* observer) {
  return std::exchange(g_observer, observer);
}

ZTKProgress::ZTKProgress(CString title, CString status, double low, double high, CWnd* parent) {
  if (g_observer) g_observer->OnConstruct(this, title, status, low, high, parent);
  m_backend = ZTKCreateProgressBackend(title, status, low, high, parent);
}

ZTKProgress::~ZTKProgress() {
  // A window still open (a builder that stopped before EndProgress) closes here.
  if (m_backend && m_bStarted) m_backend->End();
  m_backend.reset();
  if (g_observer) g_observer->OnDestroy(this);
}

void ZTKProgress::SetMax(double max) {
  if (g_observer) g_observer->OnSetMax(this, max);
  if (m_backend) m_backend->SetMax(max);
}

void ZTKProgress::StartProgress() {
  if (g_observer) g_observer->OnStartProgress(this);
  if (m_backend) m_backend->Start();
  m_bStarted = true;
}

void ZTKProgress::StepIt(double step) {
  if (g_observer) g_observer->OnStepIt(this, step);
  if (m_backend) m_backend->Step(step);
}

void ZTKProgress::SetStatus(CString status) {
  if (g_observer) g_observer->OnSetStatus(this, status);
  if (m_backend) m_backend->SetStatus(status);
}

void ZTKProgress::EndProgress() {
  if (g_observer) g_observer->OnEndProgress(this);
  if (m_backend && m_bStarted) m_backend->End();
  m_bStarted = false;
}
