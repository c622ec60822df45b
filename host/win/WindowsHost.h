// The stand-in host with what only Windows gives it: its application answers
// IConnectionPointContainer for the application events, and it plays the host
// for the add-in loader.
//
//   standin::StandInHost host;
//   standin::WindowsHost windows(host);   // before any add-in connects
//   standin::AddinLoader loader(windows);
#pragma once

#ifdef _WIN32
#include "AddinLoader.h"
#include "HostEvents.h"
#include "StandInHost.h"

namespace standin {

class WindowsHost : public LoaderHost {
 public:
  explicit WindowsHost(StandInHost& host);
  ~WindowsHost() override;  // the host no longer answers for connection points
  WindowsHost(const WindowsHost&) = delete;
  WindowsHost& operator=(const WindowsHost&) = delete;

  StandInHost& Host() { return m_host; }

  IDispatch* Application() override { return m_host.Application(); }
  IDispatch* CallbackObject(LONG cookie) override { return m_host.Connection().CallbackObject(cookie); }
  AppEventConnections& Events() override { return m_events; }
  void ForgetAddin(LONG cookie) override { m_host.Connection().ForgetCallbacks(cookie); }
  std::vector<std::string> ReferenceProblems() override { return m_host.ReferenceProblems(); }
  std::vector<CallbackName> ResolveCallbacks(LONG cookie) override {
    return m_host.Connection().ResolveCallbacks(cookie);
  }

 private:
  StandInHost& m_host;
  // Its container and point count their references on the application.
  AppEventConnections m_events;
};

}  // namespace standin

#endif  // _WIN32
