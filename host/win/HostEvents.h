// The stand-in host's application events (Windows): its type library, registered
// in the prefix at the versions the tests ask for, and the connection point
// through which add-ins advise sinks on the event interface and receive events.
//
//   standin::RegisterHostTypeLibrary(20);          // before a sink looks it up
//   standin::AppEventConnections events(app);      // app: the owning object
//   app's QueryInterface answers IID_IConnectionPointContainer with events.Container()
//   events.Fire(4);                                // Invoke on every advised sink
#pragma once

#ifdef _WIN32
#include <ocidl.h>
#include <windows.h>

#include <string>
#include <vector>

namespace standin {

// The event ids of the host's library and the arguments the host passes with each
// (the library describes them so): 4 a file name (BSTR), 5 a document type (long),
// 7 and 11 none, 12 a reason (long) and a text (BSTR). The add-in handles 4, 5, 11
// and 12; 7 is described but not handled.
inline constexpr DISPID kHandledAppEvents[] = {4, 5, 11, 12};
inline constexpr DISPID kUnhandledAppEvent = 7;

// The library versions the build makes; RegisterHostTypeLibrary takes these majors
// (minor 0). Below 14 an add-in asks for 0.0.
inline constexpr WORD kHostTypeLibraryMajors[] = {0, 14, 16, 17, 18, 19, 20, 21, 99};

// Registers the library of that major version (minor 0) from the build tree;
// S_OK also when it is registered already. E_INVALIDARG for a version not built.
HRESULT RegisterHostTypeLibrary(WORD major);
HRESULT UnregisterHostTypeLibrary(WORD major);
// The file the build made for that version ("" for one not built), Windows path.
std::wstring HostTypeLibraryFile(WORD major);

// The connection-point container of an application object for the event interface
// {83A33D22-37C5-11CE-BFD4-00400513BB57}. The container and its one connection
// point are parts of the owner: their AddRef and Release count on the owner, and
// the container's QueryInterface is the owner's. A sink is queried for the event
// interface on Advise and held (one reference) until Unadvise or ReleaseAll.
class AppEventConnections {
 public:
  explicit AppEventConnections(IUnknown* owner);
  AppEventConnections(const AppEventConnections&) = delete;
  AppEventConnections& operator=(const AppEventConnections&) = delete;
  ~AppEventConnections();  // releases sinks still advised

  IConnectionPointContainer* Container() { return &m_container; }
  IConnectionPoint* Point() { return &m_point; }

  // Fault injection: Advise or Unadvise fail with hr (Unadvise leaves the sink
  // advised); S_OK restores the real behaviour.
  void FailAdvise(HRESULT hr) { m_adviseFailure = hr; }
  void FailUnadvise(HRESULT hr) { m_unadviseFailure = hr; }

  // Invokes the event on every advised sink (DISPATCH_METHOD, IID_NULL), with the
  // arguments the library describes for it (empty for an unknown id); the result
  // of each sink, in advise order.
  std::vector<HRESULT> Fire(DISPID id);
  std::vector<HRESULT> Fire(DISPID id, DISPPARAMS* params);

  size_t SinkCount() const { return m_sinks.size(); }
  std::vector<DWORD> Cookies() const;
  // Releases every sink still advised (host teardown); how many there were.
  size_t ReleaseAll();
  // "Advise 1", "Unadvise 1 0x00000000", "Fire 4 1 sink(s)": what happened, in order.
  const std::vector<std::string>& Log() const { return m_log; }

 private:
  struct Sink {
    DWORD cookie;
    IDispatch* sink;
  };

  class ContainerPart : public IConnectionPointContainer {
   public:
    explicit ContainerPart(AppEventConnections* outer) : m_outer(outer) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** ppEnum) override;
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) override;

   private:
    AppEventConnections* m_outer;
  };

  class PointPart : public IConnectionPoint {
   public:
    explicit PointPart(AppEventConnections* outer) : m_outer(outer) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* pIID) override;
    HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** ppCPC) override;
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* pUnkSink, DWORD* pdwCookie) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD dwCookie) override;
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** ppEnum) override;

   private:
    AppEventConnections* m_outer;
  };

  IUnknown* m_owner;
  ContainerPart m_container{this};
  PointPart m_point{this};
  std::vector<Sink> m_sinks;
  DWORD m_nextCookie = 1;
  HRESULT m_adviseFailure = S_OK;
  HRESULT m_unadviseFailure = S_OK;
  std::vector<std::string> m_log;
};

}  // namespace standin

#endif  // _WIN32
