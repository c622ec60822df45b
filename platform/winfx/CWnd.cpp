#include "CWnd.h"

#include <map>
#include <memory>

namespace {

// Each thread has its own maps, as window objects belong to the thread that made
// them; a temporary object is freed with its thread's map.
struct HandleMaps {
  std::map<HWND, CWnd*> permanent;
  std::map<HWND, std::unique_ptr<CWnd>> temporary;
};

HandleMaps& Maps() {
  thread_local HandleMaps maps;
  return maps;
}

}  // namespace

CWnd::~CWnd() {
  if (m_hWnd && !m_bTemporary) Detach();
}

CWnd* CWnd::FromHandle(HWND hWnd) {
  if (!hWnd) return nullptr;
  if (CWnd* permanent = FromHandlePermanent(hWnd)) return permanent;
  auto& slot = Maps().temporary[hWnd];
  if (!slot) {
    slot = std::make_unique<CWnd>();
    slot->m_hWnd = hWnd;
    slot->m_bTemporary = true;
  }
  return slot.get();
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd) {
  if (!hWnd) return nullptr;
  auto& permanent = Maps().permanent;
  auto it = permanent.find(hWnd);
  return it == permanent.end() ? nullptr : it->second;
}

void CWnd::DeleteTempMap() { Maps().temporary.clear(); }

BOOL CWnd::Attach(HWND hWnd) {
  if (!hWnd || m_hWnd || m_bTemporary) return FALSE;
  auto& permanent = Maps().permanent;
  if (permanent.count(hWnd)) return FALSE;
  permanent[hWnd] = this;
  m_hWnd = hWnd;
  return TRUE;
}

HWND CWnd::Detach() {
  HWND hWnd = m_hWnd;
  if (hWnd && !m_bTemporary) {
    auto& permanent = Maps().permanent;
    auto it = permanent.find(hWnd);
    if (it != permanent.end() && it->second == this) permanent.erase(it);
  }
  m_hWnd = nullptr;
  return hWnd;
}
