// CPlymora: the add-in object. The host's add-in interface connects it to the
// running host and disconnects it; the dual interface IPlymora carries the command
// callbacks that the host calls by name; an event sink listens to the host's
// application events.
#pragma once

#include <windows.h>

#include "AtlBase.h"
#include "AtlCom.h"
#include "AtlEvents.h"
#include "ComHolders.h"
#include "HostContract.h"
#include "PlymoraLib.h"

// The leading decimal integer of a host revision text such as "20.0.0", read the
// way strtol reads base 10 from the text in 8-bit characters; 0 when there is none
// or the text is null.
int ParseMajorRevision(const wchar_t* revision);

class CPlymora;
using CPlymoraEventSink = IDispEventImpl<0, CPlymora, &IID_HostAppEvents, &SldWorks::LIBID_SldWorks, 14, 0>;

class CPlymora : public CComObjectRootEx<CComSingleThreadModel>,
                 public CComCoClass<CPlymora, &CLSID_Plymora>,
                 public IDispatchImpl<IPlymora, &IID_IPlymora, &LIBID_PlymoraLib, 1, 0>,
                 public SWPublished::ISwAddin,
                 public CPlymoraEventSink {
 public:
  CPlymora() = default;
  CPlymora(const CPlymora&) = delete;
  CPlymora& operator=(const CPlymora&) = delete;

  static HRESULT UpdateRegistry(BOOL bRegister);
  static const ComMapEntry* GetComMap();
  static const SinkMapEntry<CPlymora>* GetSinkMap();
  // At the last Release: the command manager, then the application. The sink is
  // not unadvised here; the disconnect method does that.
  void FinalRelease();

  // IPlymora, in the order of its table in the type library.
  HRESULT STDMETHODCALLTYPE ToolbarCallback0() override;
  HRESULT STDMETHODCALLTYPE ToolbarEnable0(LONG* status) override;
  HRESULT STDMETHODCALLTYPE Plymora_Import() override;
  HRESULT STDMETHODCALLTYPE Plymora_Help() override;
  HRESULT STDMETHODCALLTYPE Plymora_About() override;
  // The File Open callback: the Import command for `path` (null: the empty text).
  HRESULT STDMETHODCALLTYPE Plymora_Open(BSTR path) override;

  // SWPublished::ISwAddin
  HRESULT STDMETHODCALLTYPE ConnectToSW(IDispatch* ThisSW, LONG Cookie, VARIANT_BOOL* IsConnected) override;
  HRESULT STDMETHODCALLTYPE DisconnectFromSW(VARIANT_BOOL* IsDisconnected) override;

  // The application-event handlers: they accept whatever the event carries.
  HRESULT OnAppEvent4();
  HRESULT OnAppEvent5();
  HRESULT OnAppEvent11();
  HRESULT OnAppEvent12();

  // A new reference to the host application, or null when not connected.
  CountedPtr<HostApplication> GetHostApp();

  // The command set-up: File Open item, command group 1 with its icons and three
  // commands, and a "Plymora" tab for document types 2, 3 and 1.
  void AddAddinUI();
  // Attaches the sink to the application's events; VARIANT_TRUE when advised.
  VARIANT_BOOL AdviseAppEvents();
  // Removes command group 1 and the File Open item.
  void RemoveAddinUI();
  // Detaches the sink; VARIANT_TRUE when the unadvise succeeded.
  VARIANT_BOOL UnadviseAppEvents();

  CountedPtr<HostApplication> m_pApp;
  CountedPtr<HostCommandManager> m_pCmdMgr;
  LONG m_nAddinCookie = 0;
  int m_nSWMajorRevision = 0;
};
