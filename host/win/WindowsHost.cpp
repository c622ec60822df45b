#include "WindowsHost.h"

#include <ocidl.h>

namespace standin {

WindowsHost::WindowsHost(StandInHost& host) : m_host(host), m_events(host.Application()) {
  m_host.SetInterfaceProvider([this](Object& object, REFIID iid) -> void* {
    const bool isApplication = static_cast<void*>(object.FindFace(IID_IUnknown)) == m_host.Application();
    if (!isApplication || !IsEqualIID(iid, IID_IConnectionPointContainer)) return nullptr;
    IConnectionPointContainer* container = m_events.Container();
    container->AddRef();
    return container;
  });
}

WindowsHost::~WindowsHost() { m_host.SetInterfaceProvider(nullptr); }

}  // namespace standin
