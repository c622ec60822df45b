#include "CWnd.h"

#include <map>
#include <memory>
#include <mutex>

namespace {

// Each thread has its own maps, as window objects belong to the thread that made
// them. They live in one process-wide table rather than in thread-local storage:
// this code also runs inside a DLL, and thread-local objects with destructors must
// not outlive the DLL's code when it unloads before the thread ends.
struct HandleMaps {
  std::map<HWND, CWnd*> permanent;
  std::map<HWND, std::unique_ptr<CWnd>> temporary;
};

std::mutex& MapsLock() {
  static std::mutex lock;
  return lock;
}

// The calling thread's maps; only that thread touches them, so the lock guards
// the table, not the maps.
HandleMaps& Maps() {
  static std::map<DWORD, HandleMaps> byThread;
  std::lock_guard<std::mutex> guard(MapsLock());
  return byThread[GetCurrentThreadId()];
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
