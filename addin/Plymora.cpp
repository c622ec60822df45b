#include "Plymora.h"

#include <cstdlib>
#include <string>

#include "AtlModule.h"
#include "BitmapHandler.h"
#include "Caption.h"
#include "ImportCommand.h"
#include "resource.h"

namespace {

const wchar_t kGroupName[] = L"Plymora";  // also the name of the command tabs
const wchar_t kGroupText[] = L"Plymora for SolidWorks";
const wchar_t kOpenCallback[] = L"Plymora_Open";
const wchar_t kOpenFilter[] = L"Wavefront OBJ Files (*.obj) [ZENTIK]";
const wchar_t kOpenExtension[] = L"obj";
const LONG kGroupId = 1;
// From this major revision on, the sink asks for the host's own type-library version.
const int kLowestOwnLibraryRevision = 14;

struct CommandItem {
  const wchar_t* name;  // also the short text
  const wchar_t* text;
  LONG image;  // index into the icon strips
  const wchar_t* callback;
};
const CommandItem kCommands[] = {
    {L"Import", L"Import an OBJ file", 0, L"Plymora_Import"},
    {L"Help", L"Display the Plymora for SolidWorks help file", 1, L"Plymora_Help"},
    {L"About", L"Display the Plymora for SolidWorks about box", 3, L"Plymora_About"},
};
const LONG kTabDocumentTypes[] = {2, 3, 1};

}  // namespace

int ParseMajorRevision(const wchar_t* revision) {
  if (!revision || !*revision) return 0;
  const int bytes = WideCharToMultiByte(CP_ACP, 0, revision, -1, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return 0;
  std::string narrow(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_ACP, 0, revision, -1, narrow.data(), bytes, nullptr, nullptr);
  return static_cast<int>(std::strtol(narrow.c_str(), nullptr, 10));
}

HRESULT CPlymora::UpdateRegistry(BOOL bRegister) {
  if (!g_pComModule) return E_UNEXPECTED;
  return g_pComModule->UpdateRegistryFromResource(IDR_PLYMORA, bRegister);
}

const ComMapEntry* CPlymora::GetComMap() {
  static const ComMapEntry map[] = {
      ComMapItem<CPlymora, IPlymora>(IID_IPlymora),
      ComMapItem<CPlymora, IPlymora>(IID_IDispatch),
      ComMapItem<CPlymora, SWPublished::ISwAddin>(SWPublished::IID_ISwAddin),
      {nullptr, nullptr},
  };
  return map;
}

const SinkMapEntry<CPlymora>* CPlymora::GetSinkMap() {
  static const SinkMapEntry<CPlymora> map[] = {
      {0, &IID_HostAppEvents, 4, &CPlymora::OnAppEvent4},
      {0, &IID_HostAppEvents, 11, &CPlymora::OnAppEvent11},
      {0, &IID_HostAppEvents, 12, &CPlymora::OnAppEvent12},
      {0, &IID_HostAppEvents, 5, &CPlymora::OnAppEvent5},
      {0, nullptr, 0, nullptr},
  };
  return map;
}

void CPlymora::FinalRelease() {
  m_pCmdMgr.Reset();
  m_pApp.Reset();
}

HRESULT STDMETHODCALLTYPE CPlymora::ToolbarCallback0() { return S_OK; }

HRESULT STDMETHODCALLTYPE CPlymora::ToolbarEnable0(LONG* status) {
  if (status) *status = 1;
  return S_OK;
}

// Each command borrows the application for its run. Without one (before the
// connect method or after the disconnect method) a command does nothing.
HRESULT STDMETHODCALLTYPE CPlymora::Plymora_Import() {
  CountedPtr<HostApplication> app = GetHostApp();
  if (app) RunImportCommand(app.Get(), CString());
  return S_OK;
}

HRESULT STDMETHODCALLTYPE CPlymora::Plymora_Help() {
  CountedPtr<HostApplication> app = GetHostApp();
  if (app) ShowHelp(app.Get());
  return S_OK;
}

HRESULT STDMETHODCALLTYPE CPlymora::Plymora_About() {
  CountedPtr<HostApplication> app = GetHostApp();
  if (app) ShowAbout(app.Get());
  return S_OK;
}

HRESULT STDMETHODCALLTYPE CPlymora::Plymora_Open(BSTR path) {
  CountedPtr<HostApplication> app = GetHostApp();
  if (app) RunImportCommand(app.Get(), CString::FromBSTR(path));
  return S_OK;
}

HRESULT CPlymora::OnAppEvent4() { return S_OK; }
HRESULT CPlymora::OnAppEvent5() { return S_OK; }
HRESULT CPlymora::OnAppEvent11() { return S_OK; }
HRESULT CPlymora::OnAppEvent12() { return S_OK; }

CountedPtr<HostApplication> CPlymora::GetHostApp() { return CountedPtr<HostApplication>::Share(m_pApp.Get()); }

// No result of the host is tested here: the connect method always reports success.
// A host that hands out null gets the calls that can still be made, no more.
HRESULT STDMETHODCALLTYPE CPlymora::ConnectToSW(IDispatch* ThisSW, LONG Cookie, VARIANT_BOOL* IsConnected) {
  if (ThisSW) ThisSW->QueryInterface(IID_HostApplication, reinterpret_cast<void**>(m_pApp.Out()));
  else m_pApp.Reset();
  m_nAddinCookie = Cookie;
  m_pCmdMgr.Reset();
  m_nSWMajorRevision = 0;
  if (m_pApp) {
    HostOp::CommandManager(m_pApp.Get(), m_nAddinCookie, m_pCmdMgr.Out());
    // The host takes the module handle as a 32-bit long: its low 32 bits.
    const auto handle = reinterpret_cast<ULONG_PTR>(ComModuleInstance());
    const LONG handle32 = static_cast<LONG>(static_cast<ULONG>(handle & 0xFFFFFFFFu));
    VARIANT_BOOL registered = VARIANT_FALSE;
    HostOp::SetAddinCallbackInfo(m_pApp.Get(), handle32, static_cast<IPlymora*>(this), m_nAddinCookie,
                                 &registered);
    BstrHolder revision;
    HostOp::RevisionNumber(m_pApp.Get(), revision.Out());
    m_nSWMajorRevision = ParseMajorRevision(revision.Text());
  }
  AddAddinUI();
  AdviseAppEvents();
  if (IsConnected) *IsConnected = VARIANT_TRUE;
  return S_OK;
}

void CPlymora::AddAddinUI() {
  if (m_pApp) {
    BstrHolder callback(kOpenCallback), filter(kOpenFilter), extension(kOpenExtension), empty1(L""), empty2(L"");
    VARIANT_BOOL added = VARIANT_FALSE;
    HostOp::AddFileOpenItem(m_pApp.Get(), m_nAddinCookie, callback.Get(), filter.Get(), extension.Get(),
                            empty1.Get(), empty2.Get(), &added);
  }

  // The icon writer is made directly, holding one reference of ours.
  CComObject<CBitmapHandler>* handler = nullptr;
  if (SUCCEEDED(CComObject<CBitmapHandler>::CreateInstance(&handler)) && handler) handler->AddRef();

  CountedPtr<HostCommandGroup> group;
  if (m_pCmdMgr) {
    BstrHolder name(kGroupName), tooltip(kGroupText), hint(kGroupText);
    HostOp::CreateCommandGroup(m_pCmdMgr.Get(), kGroupId, name.Get(), tooltip.Get(), hint.Get(), -1, group.Out());
  }

  BstrHolder icon208, icon205, icon204, icon202;
  if (group) {
    // Each file is handed to the group as soon as it is written; the group reads it
    // then. A file that could not be written is passed as null.
    if (handler) handler->CreateBitmapFileFromResource(IDB_TOOLBAR_SMALL, icon208.Out());
    HostOp::SetSmallIconList(group.Get(), icon208.Get());
    if (handler) handler->CreateBitmapFileFromResource(IDB_TOOLBAR_LARGE, icon205.Out());
    HostOp::SetLargeIconList(group.Get(), icon205.Get());
    if (handler) handler->CreateBitmapFileFromResource(IDB_MAIN_ICON_SMALL, icon204.Out());
    HostOp::SetLargeMainIcon(group.Get(), icon204.Get());
    if (handler) handler->CreateBitmapFileFromResource(IDB_MAIN_ICON_LARGE, icon202.Out());
    HostOp::SetSmallMainIcon(group.Get(), icon202.Get());

    HostOp::SetMaskColor(group.Get(), 3);

    LONG indexes[3] = {0, 0, 0};
    for (int i = 0; i < 3; ++i) {
      const CommandItem& c = kCommands[i];
      BstrHolder name(c.name), text(c.text), shortText(c.name), callback(c.callback), enable(L"");
      HostOp::AddCommandItem(group.Get(), name.Get(), -1, text.Get(), shortText.Get(), c.image, callback.Get(),
                             enable.Get(), 0, 3, &indexes[i]);
    }
    HostOp::SetHasToolbar(group.Get(), 1);
    HostOp::SetHasMenu(group.Get(), 1);
    VARIANT_BOOL activated = VARIANT_FALSE;
    HostOp::Activate(group.Get(), &activated);

    for (const LONG type : kTabDocumentTypes) {
      LONG tabCount = 0;
      HostOp::CommandTabCount(m_pCmdMgr.Get(), type, &tabCount);
      BstrHolder tabName(kGroupName);
      CountedPtr<HostCommandTab> tab;
      HostOp::GetCommandTab(m_pCmdMgr.Get(), type, tabName.Get(), tab.Out());
      if (!tab) {
        // Only a tab made here gets the commands; an existing one is left as it is.
        HostOp::AddCommandTab(m_pCmdMgr.Get(), type, tabName.Get(), tab.Out());
        CountedPtr<HostCommandTabBox> box;
        if (tab) HostOp::AddCommandTabBox(tab.Get(), box.Out());
        if (box) {
          LONG ids[3] = {0, 0, 0};
          for (int i = 0; i < 3; ++i) HostOp::CommandId(group.Get(), indexes[i], &ids[i]);
          const LONG textTypes[3] = {2, 2, 2};
          VARIANT_BOOL added = VARIANT_FALSE;
          HostOp::AddCommands(box.Get(), 3, ids, textTypes, &added);
        }
      }
    }
  }

  // The group has taken the icons: the files go now, then the writer itself.
  if (handler) {
    handler->Dispose();
    handler->Release();
  }
  icon202.Reset();
  icon204.Reset();
  icon205.Reset();
  icon208.Reset();
  group.Reset();
}

VARIANT_BOOL CPlymora::AdviseAppEvents() {
  m_libid = SldWorks::LIBID_SldWorks;
  m_wMinorVerNum = 0;
  // Older hosts are asked for library version 0.0.
  const unsigned short major =
      static_cast<unsigned short>(m_nSWMajorRevision >= kLowestOwnLibraryRevision ? m_nSWMajorRevision : 0);
  m_wMajorVerNum = major;
  CPlymoraEventSink::TypeInfoHolder().m_wMajor = major;
  if (m_dwEventCookie != kSinkNotAdvised) return VARIANT_FALSE;  // advised already: no second advise
  if (!m_pApp) return VARIANT_FALSE;
  return DispEventAdvise(m_pApp.Get()) == S_OK ? VARIANT_TRUE : VARIANT_FALSE;
}

HRESULT STDMETHODCALLTYPE CPlymora::DisconnectFromSW(VARIANT_BOOL* IsDisconnected) {
  RemoveAddinUI();
  const VARIANT_BOOL unadvised = UnadviseAppEvents();
  if (IsDisconnected) *IsDisconnected = unadvised;
  m_pCmdMgr.Reset();
  m_pApp.Reset();
  return E_NOTIMPL;
}

void CPlymora::RemoveAddinUI() {
  if (m_pCmdMgr) {
    VARIANT_BOOL removed = VARIANT_FALSE;
    HostOp::RemoveCommandGroup(m_pCmdMgr.Get(), kGroupId, &removed);
  }
  if (m_pApp) {
    BstrHolder callback(kOpenCallback), filter(kOpenFilter), extension(kOpenExtension);
    VARIANT_BOOL removed = VARIANT_FALSE;
    HostOp::RemoveFileOpenItem(m_pApp.Get(), m_nAddinCookie, callback.Get(), filter.Get(), extension.Get(),
                               &removed);
  }
}

VARIANT_BOOL CPlymora::UnadviseAppEvents() {
  HRESULT hr = E_FAIL;
  // A sink that was never advised is not unadvised: there is no cookie to give back.
  if (m_dwEventCookie != kSinkNotAdvised && m_pApp) hr = DispEventUnadvise(m_pApp.Get());
  m_dwEventCookie = kSinkNotAdvised;
  CPlymoraEventSink::TypeInfoHolder().m_plibid = &GUID_NULL;
  return hr == S_OK ? VARIANT_TRUE : VARIANT_FALSE;
}
