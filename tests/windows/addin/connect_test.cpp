// The add-in object in-process against the stand-in host: the connect and
// disconnect methods with their host calls by literal method number, the revision
// and the sink's library version, the commands' borrowing of the application, the
// sink, and hosts that fail or hand out null.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "AddinTestSupport.h"
#include "DialogDriver.h"
#include "HostEvents.h"
#include "WindowsHost.h"
#include "Plymora.h"
#include "PlymoraModule.h"
#include "StandInHostTest.h"

using namespace addintest;

namespace {

const GUID kHostLibrary = {0x83A33D31, 0x27C5, 0x11CE, {0xBF, 0xD4, 0x00, 0x40, 0x05, 0x13, 0xBB, 0x57}};
const IID kAppEvents = {0x83A33D22, 0x37C5, 0x11CE, {0xBF, 0xD4, 0x00, 0x40, 0x05, 0x13, 0xBB, 0x57}};
const char kOpenArgs[] = "\"Plymora_Open\",\"Wavefront OBJ Files (*.obj) [ZENTIK]\",\"obj\"";

// The module handle as the host receives it: its low 32 bits as a signed long.
std::string ModuleHandleText() {
  const auto h = reinterpret_cast<ULONG_PTR>(ComModuleInstance());
  return std::to_string(static_cast<LONG>(static_cast<ULONG>(h & 0xFFFFFFFFu)));
}

// The log of every role without IUnknown calls, with the icon paths (which the
// log spells escaped) replaced by "file" or kept as "null".
std::vector<std::string> CallsWithoutIconPaths(const standin::StandInHost& host) {
  std::vector<std::string> lines = host.Log().Lines(false);
  for (std::string& line : lines) {
    for (const char* icon : {"HostCommandGroup.12(", "HostCommandGroup.14(", "HostCommandGroup.16(",
                             "HostCommandGroup.18("}) {
      if (line.rfind(icon, 0) == 0 && line.find("(null)") == std::string::npos)
        line.assign(icon).append("file)");
    }
  }
  return lines;
}

class AddinObject : public standin::StandInHostTest {
 protected:
  void SetUp() override {
    ASSERT_EQ(CComObject<CPlymora>::CreateInstance(&m_addin), S_OK);
    m_addin->AddRef();
  }
  void TearDown() override { ReleaseAddin(host); }
  // As a host unloads an add-in: it forgets the callback registrations (the add-in
  // object they hold), lets go of sinks it still holds, then releases the object.
  void ReleaseAddin(standin::StandInHost& h) {
    std::vector<LONG> cookies;
    for (const auto& r : h.Connection().Registrations()) cookies.push_back(r.cookie);
    for (LONG c : cookies) h.Connection().ForgetCallbacks(c);
    windows.Events().ReleaseAll();
    if (m_addin) {
      EXPECT_EQ(m_addin->Release(), 0u);
    }
    m_addin = nullptr;
  }
  SWPublished::ISwAddin* Addin() { return static_cast<SWPublished::ISwAddin*>(m_addin); }
  HRESULT Connect(IDispatch* app, LONG cookie, VARIANT_BOOL* ok) { return Addin()->ConnectToSW(app, cookie, ok); }
  HRESULT Disconnect(VARIANT_BOOL* ok) { return Addin()->DisconnectFromSW(ok); }

  ComApartment m_apartment;
  PrivateTempFolder m_temp;
  standin::WindowsHost windows{host};
  CComObject<CPlymora>* m_addin = nullptr;
};

TEST_F(AddinObject, ConnectMakesEveryHostCallInOrder) {
  ASSERT_EQ(standin::RegisterHostTypeLibrary(20), S_OK);
  host.SetRevision(L"20.0.0");
  VARIANT_BOOL ok = VARIANT_FALSE;
  EXPECT_EQ(Connect(host.Application(), 7, &ok), S_OK);
  EXPECT_EQ(ok, VARIANT_TRUE);
  EXPECT_EQ(m_addin->m_nAddinCookie, 7);
  EXPECT_EQ(m_addin->m_nSWMajorRevision, 20);

  auto group = host.Connection().Commands().Group(1);
  ASSERT_NE(group, nullptr);
  ASSERT_EQ(group->items.size(), 3u);
  auto ids = [&] {
    std::string t;
    for (const auto& item : group->items) {
      if (!t.empty()) t.push_back(',');
      t.append(std::to_string(item.commandId));
    }
    return t;
  }();
  std::vector<std::string> expected = {
      "HostApplication.231(7,&)",
      "HostApplication.155(" + ModuleHandleText() + ",obj,7,&)",
      "HostApplication.25(&)",
      std::string("HostApplication.247(7,") + kOpenArgs + ",\"\",\"\",&)",
      "HostCommandManager.7(1,\"Plymora\",\"Plymora for SolidWorks\",\"Plymora for SolidWorks\",-1,&)",
      "HostCommandGroup.18(file)",
      "HostCommandGroup.16(file)",
      "HostCommandGroup.14(file)",
      "HostCommandGroup.12(file)",
      "HostCommandGroup.20(3)",
      "HostCommandGroup.34(\"Import\",-1,\"Import an OBJ file\",\"Import\",0,\"Plymora_Import\",\"\",0,3,&)",
      "HostCommandGroup.34(\"Help\",-1,\"Display the Plymora for SolidWorks help file\",\"Help\",1,\"Plymora_Help\","
      "\"\",0,3,&)",
      "HostCommandGroup.34(\"About\",-1,\"Display the Plymora for SolidWorks about box\",\"About\",3,"
      "\"Plymora_About\",\"\",0,3,&)",
      "HostCommandGroup.27(1)",
      "HostCommandGroup.29(1)",
      "HostCommandGroup.10(&)",
  };
  for (const char* type : {"2", "3", "1"}) {
    const std::string t = type;
    for (const std::string& line : std::vector<std::string>{
             "HostCommandManager.14(" + t + ",&)", "HostCommandManager.17(" + t + ",\"Plymora\",&)",
             "HostCommandManager.18(" + t + ",\"Plymora\",&)", "HostCommandTab.10(&)", "HostCommandGroup.36(0,&)",
             "HostCommandGroup.36(1,&)", "HostCommandGroup.36(2,&)",
             "HostCommandTabBox.8(3,[" + ids + "],[2,2,2],&)"})
      expected.push_back(line);
  }
  EXPECT_EQ(CallsWithoutIconPaths(host), expected);

  // The host registered the add-in's primary interface for the callbacks.
  ASSERT_EQ(host.Connection().Registrations().size(), 1u);
  EXPECT_EQ(host.Connection().CallbackObject(7), static_cast<IDispatch*>(static_cast<IPlymora*>(m_addin)));
  // The sink is advised on the application's events.
  EXPECT_EQ(windows.Events().SinkCount(), 1u);
  EXPECT_NE(m_addin->m_dwEventCookie, kSinkNotAdvised);
  EXPECT_EQ(m_addin->m_wMajorVerNum, 20);
  EXPECT_EQ(windows.Events().Fire(4), std::vector<HRESULT>{S_OK});
  EXPECT_EQ(windows.Events().Fire(7), std::vector<HRESULT>{S_OK});

  // The tabs of the three document types, each with the three commands.
  for (LONG type : {2, 3, 1}) {
    auto tab = host.Connection().Commands().FindTab(type, L"Plymora");
    ASSERT_NE(tab, nullptr) << type;
    EXPECT_TRUE(tab->madeByAddin);
    ASSERT_EQ(tab->boxes.size(), 1u);
    EXPECT_EQ(tab->boxes[0]->textTypes, (std::vector<LONG>{2, 2, 2}));
    EXPECT_EQ(tab->boxes[0]->commandIds,
              (std::vector<LONG>{group->items[0].commandId, group->items[1].commandId, group->items[2].commandId}));
  }
  // The File Open item.
  ASSERT_EQ(host.Connection().Commands().FileOpenItems().size(), 1u);
  EXPECT_EQ(host.Connection().Commands().FileOpenItems()[0].callback, L"Plymora_Open");
}

TEST_F(AddinObject, IconFilesExistWhileTheGroupTakesThemAndGoAfterwards) {
  const LONG locks = theModule.GetLockCount();
  ASSERT_EQ(Connect(host.Application(), 1, nullptr), S_OK);
  auto group = host.Connection().Commands().Group(1);
  ASSERT_NE(group, nullptr);
  struct Case {
    const char* what;
    const standin::IconFile* icon;
    int width;
    int height;
  };
  const Case cases[] = {
      {"method 18, the 16-pixel strip", &group->smallIconList, 64, 16},
      {"method 16, the 24-pixel strip", &group->largeIconList, 96, 24},
      {"method 14, the 16-pixel image", &group->largeMainIcon, 16, 16},
      {"method 12, the 24-pixel image", &group->smallMainIcon, 24, 24},
  };
  std::vector<std::wstring> paths;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(c.icon->given);
    EXPECT_TRUE(c.icon->existed);
    EXPECT_TRUE(c.icon->validBitmap);
    EXPECT_EQ(c.icon->width, c.width);
    EXPECT_EQ(c.icon->height, c.height);
    EXPECT_EQ(c.icon->bitCount, 24);
    EXPECT_TRUE(SameText(c.icon->path.substr(0, m_temp.Path().size()), m_temp.Path()));
    paths.push_back(c.icon->path);
  }
  // Four different files, all gone once the set-up is over, and the icon writer
  // with them (its module lock is given back).
  std::sort(paths.begin(), paths.end());
  EXPECT_EQ(std::unique(paths.begin(), paths.end()), paths.end());
  EXPECT_TRUE(m_temp.Files().empty());
  EXPECT_EQ(theModule.GetLockCount(), locks);
}

TEST_F(AddinObject, AnExistingTabIsLeftAlone) {
  auto existing = host.Connection().Commands().AddTab(3, L"Plymora", false);
  ASSERT_EQ(Connect(host.Application(), 1, nullptr), S_OK);
  EXPECT_EQ(host.Log().Args("HostCommandManager", 18), (std::vector<std::string>{"2,\"Plymora\",&", "1,\"Plymora\",&"}));
  EXPECT_EQ(host.Log().Count("HostCommandTab", 10), 2u);
  EXPECT_EQ(host.Log().Count("HostCommandTabBox", 8), 2u);
  EXPECT_EQ(host.Log().Count("HostCommandGroup", 36), 6u);
  EXPECT_TRUE(existing->boxes.empty());
  for (LONG type : {2, 1}) {
    auto tab = host.Connection().Commands().FindTab(type, L"Plymora");
    ASSERT_NE(tab, nullptr);
    ASSERT_EQ(tab->boxes.size(), 1u);
    EXPECT_EQ(tab->boxes[0]->commandIds.size(), 3u);
  }
  // Every tab was asked for, and the existing one released like the new ones.
  EXPECT_EQ(host.Log().Args("HostCommandManager", 17),
            (std::vector<std::string>{"2,\"Plymora\",&", "3,\"Plymora\",&", "1,\"Plymora\",&"}));
  EXPECT_EQ(host.Log().Args("HostCommandManager", 14), (std::vector<std::string>{"2,&", "3,&", "1,&"}));
}

TEST_F(AddinObject, DisconnectTakesDownWhatConnectSetUp) {
  ASSERT_EQ(standin::RegisterHostTypeLibrary(20), S_OK);
  ASSERT_EQ(Connect(host.Application(), 7, nullptr), S_OK);
  host.Log().Clear();
  VARIANT_BOOL ok = VARIANT_FALSE;
  EXPECT_EQ(Disconnect(&ok), E_NOTIMPL);
  EXPECT_EQ(ok, VARIANT_TRUE);
  EXPECT_EQ(host.Log().Lines(false),
            (std::vector<std::string>{"HostCommandManager.8(1,&)",
                                      std::string("HostApplication.178(7,") + kOpenArgs + ",&)"}));
  EXPECT_EQ(host.Connection().Commands().Group(1), nullptr);
  EXPECT_TRUE(host.Connection().Commands().FileOpenItems().empty());
  EXPECT_EQ(windows.Events().SinkCount(), 0u);
  EXPECT_EQ(m_addin->m_pApp.Get(), nullptr);
  EXPECT_EQ(m_addin->m_pCmdMgr.Get(), nullptr);
  EXPECT_EQ(m_addin->m_dwEventCookie, kSinkNotAdvised);
  // The manager goes before the application.
  const auto& records = host.Log().Records();
  ASSERT_GE(records.size(), 2u);
  EXPECT_EQ(std::string(records[records.size() - 2].role) + "." + std::to_string(records[records.size() - 2].method),
            "HostCommandManager.2");
  EXPECT_EQ(std::string(records.back().role) + "." + std::to_string(records.back().method), "HostApplication.2");
  // The tabs and the callback registration are the host's to keep.
  EXPECT_NE(host.Connection().Commands().FindTab(2, L"Plymora"), nullptr);
  EXPECT_EQ(host.Connection().Registrations().size(), 1u);
  // The last release after the disconnect has no host interface left to release.
  const size_t calls = host.Log().Records().size();
  ReleaseAddin(host);
  EXPECT_EQ(host.Log().Records().size(), calls);
}

TEST_F(AddinObject, ADisconnectWhoseUnadviseFailsStillLetsGo) {
  ASSERT_EQ(Connect(host.Application(), 7, nullptr), S_OK);
  windows.Events().FailUnadvise(E_FAIL);
  VARIANT_BOOL ok = VARIANT_TRUE;
  EXPECT_EQ(Disconnect(&ok), E_NOTIMPL);
  EXPECT_EQ(ok, VARIANT_FALSE);
  EXPECT_EQ(m_addin->m_pApp.Get(), nullptr);
  EXPECT_EQ(m_addin->m_pCmdMgr.Get(), nullptr);
  EXPECT_EQ(m_addin->m_dwEventCookie, kSinkNotAdvised);
  EXPECT_EQ(host.Connection().Commands().Group(1), nullptr);
}

TEST_F(AddinObject, MajorRevisionDecidesTheSinksLibraryVersion) {
  struct Case {
    const wchar_t* revision;  // null: the host gives no text
    int major;
    unsigned short libraryMajor;
  };
  const Case cases[] = {
      {L"20.0.0", 20, 20}, {L"13.1.0", 13, 0}, {L"14.0.0", 14, 14}, {nullptr, 0, 0},
      {L"", 0, 0},         {L"  21.2", 21, 21}, {L"x20", 0, 0},      {L"-15.0", -15, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.revision ? std::string(c.revision, c.revision + wcslen(c.revision)) : std::string("null"));
    host.SetRevision(c.revision);
    VARIANT_BOOL ok = VARIANT_FALSE;
    ASSERT_EQ(Connect(host.Application(), 1, &ok), S_OK);
    EXPECT_EQ(ok, VARIANT_TRUE);
    EXPECT_EQ(m_addin->m_nSWMajorRevision, c.major);
    EXPECT_EQ(m_addin->m_wMajorVerNum, c.libraryMajor);
    EXPECT_EQ(m_addin->m_wMinorVerNum, 0);
    EXPECT_TRUE(IsEqualGUID(m_addin->m_libid, kHostLibrary));
    EXPECT_EQ(CPlymoraEventSink::TypeInfoHolder().m_wMajor, c.libraryMajor);
    Disconnect(&ok);
    // The disconnect resets the class-wide library id, so the next event
    // description is taken from an object's own library id and version.
    EXPECT_TRUE(IsEqualGUID(*CPlymoraEventSink::TypeInfoHolder().m_plibid, GUID_NULL));
  }
}

TEST_F(AddinObject, ParsesTheLeadingIntegerAsStrtolDoes) {
  struct Case {
    const wchar_t* text;
    int value;
  };
  const Case cases[] = {
      {L"20.0.0", 20},       {L"7", 7},        {L" \t 16.5", 16}, {L"+18", 18}, {L"-3.1", -3},
      {L"21abc", 21},        {L"abc", 0},      {L"", 0},          {nullptr, 0}, {L".5", 0},
      {L"99999999999", INT_MAX},  // saturates at the 32-bit long's limit
  };
  for (const Case& c : cases) EXPECT_EQ(ParseMajorRevision(c.text), c.value);
}

TEST_F(AddinObject, CommandsBorrowTheApplicationAndGiveItBack) {
  ASSERT_EQ(Connect(host.Application(), 3, nullptr), S_OK);
  {
    CountedPtr<HostApplication> app = m_addin->GetHostApp();
    EXPECT_EQ(app.Get(), host.Application());
  }
  IPlymora* plymora = static_cast<IPlymora*>(m_addin);
  BSTR path = SysAllocString(L"Z:\\nowhere\\part.obj");
  // Each command shows its first window, which a user closes: the file dialog of
  // Import and of an Open without a path, the help warning (no help file beside
  // this program), the about box, the options dialog of an Open with a path.
  const std::wstring caption = L"Plymora for SolidWorks 2012 version 1.0";
  standin::DialogDriver driver;
  driver.Expect({L"#32770", L"Open", {}}, standin::ClickButton(IDCANCEL))
      .Expect({L"#32770", caption, {}}, standin::ClickButton(IDOK))
      .Expect({L"#32770", caption, {}}, standin::ClickButton(IDOK))
      .Expect({L"#32770", L"Plymora for SolidWorks Options", {}}, standin::ClickButton(IDCANCEL))
      .Expect({L"#32770", L"Open", {}}, standin::ClickButton(IDCANCEL));
  driver.Start();
  EXPECT_EQ(plymora->Plymora_Import(), S_OK);
  EXPECT_EQ(plymora->Plymora_Help(), S_OK);
  EXPECT_EQ(plymora->Plymora_About(), S_OK);
  EXPECT_EQ(plymora->Plymora_Open(path), S_OK);
  EXPECT_EQ(plymora->Plymora_Open(nullptr), S_OK);
  const standin::DialogReport report = driver.Finish();
  EXPECT_TRUE(report.Ok()) << report.Describe();
  SysFreeString(path);
  LONG status = 0;
  EXPECT_EQ(plymora->ToolbarEnable0(&status), S_OK);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(plymora->ToolbarEnable0(nullptr), S_OK);
  EXPECT_EQ(plymora->ToolbarCallback0(), S_OK);
  VARIANT_BOOL ok;
  EXPECT_EQ(Disconnect(&ok), E_NOTIMPL);
  // Disconnected: no application to lend, and the commands still answer S_OK.
  EXPECT_EQ(m_addin->GetHostApp().Get(), nullptr);
  EXPECT_EQ(plymora->Plymora_Import(), S_OK);
  EXPECT_EQ(plymora->Plymora_About(), S_OK);
}

TEST_F(AddinObject, ReleasingAConnectedObjectLetsGoOfTheHost) {
  // The host unloads the add-in without a disconnect: the object's last release
  // gives back the command manager and the application; the sink it leaves to the
  // host, which lets go of it here.
  ASSERT_EQ(Connect(host.Application(), 3, nullptr), S_OK);
  const LONG locks = theModule.GetLockCount();
  ReleaseAddin(host);
  EXPECT_EQ(theModule.GetLockCount(), locks - 1);
  CheckReferences();
}

// A host object that answers no interface at all.
class Stranger final : public IDispatch {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) override {
    asked.push_back(iid);
    if (ppv) *ppv = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }
  std::vector<IID> asked;
};

TEST_F(AddinObject, AHostWithoutAnApplicationIsNoCrash) {
  Stranger stranger;
  for (IDispatch* app : {static_cast<IDispatch*>(nullptr), static_cast<IDispatch*>(&stranger)}) {
    VARIANT_BOOL ok = VARIANT_FALSE;
    EXPECT_EQ(Connect(app, 5, &ok), S_OK);
    EXPECT_EQ(ok, VARIANT_TRUE);
    EXPECT_EQ(m_addin->m_pApp.Get(), nullptr);
    EXPECT_EQ(m_addin->m_nSWMajorRevision, 0);
    EXPECT_EQ(static_cast<IPlymora*>(m_addin)->Plymora_Import(), S_OK);
    ok = VARIANT_TRUE;
    EXPECT_EQ(Disconnect(&ok), E_NOTIMPL);
    EXPECT_EQ(ok, VARIANT_FALSE);
  }
  ASSERT_FALSE(stranger.asked.empty());
  EXPECT_TRUE(IsEqualIID(stranger.asked.front(), IID_HostApplication));
  EXPECT_EQ(Connect(host.Application(), 5, nullptr), S_OK);  // a null out-flag is no crash either
  EXPECT_EQ(Disconnect(nullptr), E_NOTIMPL);
}

// Every host operation of the connect and disconnect methods failing, or handing
// out null where it hands out an interface: the add-in still connects, reports
// success, and gives back every reference it took.
TEST_F(AddinObject, AFailingHostStillGetsConnectedAndReleased) {
  struct Case {
    const char* role;
    int method;
    standin::Fault fault;
  };
  const Case cases[] = {
      {"HostApplication", 231, standin::Fault::NullOut(E_FAIL)},
      {"HostApplication", 231, standin::Fault::NullOut(S_OK)},
      {"HostApplication", 155, standin::Fault::Fail(E_FAIL)},
      {"HostApplication", 25, standin::Fault::Fail(E_FAIL)},
      {"HostApplication", 25, standin::Fault::NullOut(S_OK)},
      {"HostApplication", 247, standin::Fault::Fail(E_FAIL)},
      {"HostApplication", 178, standin::Fault::Fail(E_FAIL)},
      {"HostCommandManager", 7, standin::Fault::NullOut(S_OK)},
      {"HostCommandManager", 7, standin::Fault::NullOut(E_FAIL)},
      {"HostCommandManager", 8, standin::Fault::Fail(E_FAIL)},
      {"HostCommandManager", 14, standin::Fault::Fail(E_FAIL)},
      {"HostCommandManager", 17, standin::Fault::NullOut(E_FAIL)},
      {"HostCommandManager", 18, standin::Fault::NullOut(S_OK)},
      {"HostCommandManager", 18, standin::Fault::NullOut(E_FAIL, 2)},
      {"HostCommandGroup", 12, standin::Fault::Fail(E_FAIL)},
      {"HostCommandGroup", 18, standin::Fault::Fail(E_FAIL)},
      {"HostCommandGroup", 34, standin::Fault::Fail(E_FAIL)},
      {"HostCommandGroup", 36, standin::Fault::Fail(E_FAIL)},
      {"HostCommandGroup", 10, standin::Fault::Fail(E_FAIL)},
      {"HostCommandTab", 10, standin::Fault::NullOut(S_OK)},
      {"HostCommandTab", 10, standin::Fault::NullOut(E_FAIL, 3)},
      {"HostCommandTabBox", 8, standin::Fault::Fail(E_FAIL)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.role) + "." + std::to_string(c.method));
    standin::StandInHost failing;
    failing.InjectFault(c.role, c.method, c.fault);
    VARIANT_BOOL ok = VARIANT_FALSE;
    EXPECT_EQ(Connect(failing.Application(), 9, &ok), S_OK);
    EXPECT_EQ(ok, VARIANT_TRUE);
    EXPECT_TRUE(m_temp.Files().empty());  // the icon files are gone whatever happened
    EXPECT_EQ(Disconnect(&ok), E_NOTIMPL);
    EXPECT_EQ(failing.Log().Count("HostApplication", 178), 1u);
    EXPECT_EQ(m_addin->m_pApp.Get(), nullptr);
    EXPECT_EQ(m_addin->m_pCmdMgr.Get(), nullptr);
    failing.Connection().ForgetCallbacks(9);
    for (const std::string& problem : failing.ReferenceProblems()) ADD_FAILURE() << problem;
  }
}

TEST_F(AddinObject, NoGroupMeansNoIconsCommandsOrTabs) {
  host.InjectFault("HostCommandManager", 7, standin::Fault::NullOut(S_OK));
  ASSERT_EQ(Connect(host.Application(), 1, nullptr), S_OK);
  for (int m : {10, 12, 14, 16, 18, 20, 27, 29, 34, 36}) EXPECT_EQ(host.Log().Count("HostCommandGroup", m), 0u) << m;
  EXPECT_EQ(host.Log().Count("HostCommandManager", 18), 0u);
  EXPECT_TRUE(m_temp.Files().empty());
  // The File Open item and the sink are set up all the same.
  EXPECT_EQ(host.Connection().Commands().FileOpenItems().size(), 1u);
  EXPECT_EQ(windows.Events().SinkCount(), 1u);
}

TEST_F(AddinObject, SinkAnswersItsOwnInterfacesAndCountsOnTheObject) {
  IDispatch* sink = m_addin->GetSinkDispatch();
  struct Case {
    const IID* iid;
    HRESULT expected;
  };
  const Case cases[] = {
      {&IID_IUnknown, S_OK},          {&IID_IDispatch, S_OK},           {&kAppEvents, S_OK},
      {&IID_IPlymora, E_NOINTERFACE}, {&SWPublished::IID_ISwAddin, E_NOINTERFACE},
  };
  for (const Case& c : cases) {
    void* p = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(sink->QueryInterface(*c.iid, &p), c.expected);
    if (c.expected == S_OK) {
      EXPECT_EQ(p, sink);
      static_cast<IUnknown*>(p)->Release();
    } else {
      EXPECT_EQ(p, nullptr);
    }
  }
  const ULONG before = m_addin->RefCount();
  sink->AddRef();
  EXPECT_EQ(m_addin->RefCount(), before + 1);
  sink->Release();
  EXPECT_EQ(m_addin->RefCount(), before);
  // An object's own QueryInterface does not give the sink.
  void* p = nullptr;
  EXPECT_EQ(static_cast<IPlymora*>(m_addin)->QueryInterface(kAppEvents, &p), E_NOINTERFACE);
}

TEST_F(AddinObject, EventsWithoutAHandlerOrADescriptionAreAnsweredWithSOk) {
  IDispatch* sink = m_addin->GetSinkDispatch();
  DISPPARAMS none = {nullptr, nullptr, 0, 0};
  // No handler for these ids; and with no library registered at version 98.0, no
  // description for the handled ones either: S_OK in every case.
  m_addin->m_wMajorVerNum = 98;
  CPlymoraEventSink::TypeInfoHolder().m_plibid = &GUID_NULL;
  for (const DISPID id : {1, 7, 13, -1, 4, 5, 11, 12}) {
    EXPECT_EQ(sink->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr), S_OK) << id;
  }
  EXPECT_EQ(CPlymoraEventSink::TypeInfoHolder().m_pInfo, nullptr);
  EXPECT_EQ(CPlymoraEventSink::TypeInfoHolder().m_wMajor, 98);
}

// An event source of the test's own: it answers the connection-point container,
// and stands in for the application in the sink's advise and unadvise only (it has
// no table beyond IDispatch, so nothing else may call it).
class EventSource final : public IDispatch {
 public:
  EventSource() : events(this) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (IsEqualIID(iid, IID_IConnectionPointContainer)) {
      *ppv = events.Container();
    } else if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
               IsEqualIID(iid, IID_HostApplication)) {
      *ppv = static_cast<IDispatch*>(this);
    } else {
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs; }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }
  HostApplication* AsApplication() { return reinterpret_cast<HostApplication*>(static_cast<IDispatch*>(this)); }

  ULONG refs = 1;  // the test's own
  standin::AppEventConnections events;
};

// The version of the library the holder's information came from (0xFFFF: none).
WORD LoadedLibraryMajor() {
  ITypeInfo* info = CPlymoraEventSink::TypeInfoHolder().m_pInfo;
  if (!info) return 0xFFFF;
  ITypeLib* lib = nullptr;
  UINT index = 0;
  if (FAILED(info->GetContainingTypeLib(&lib, &index))) return 0xFFFF;
  TLIBATTR* attr = nullptr;
  WORD major = 0xFFFF;
  if (SUCCEEDED(lib->GetLibAttr(&attr))) {
    major = attr->wMajorVerNum;
    lib->ReleaseTLibAttr(attr);
  }
  lib->Release();
  return major;
}

class AddinEvents : public AddinObject {
 protected:
  void SetUp() override {
    AddinObject::SetUp();
    for (WORD major : {WORD(14), WORD(20)}) ASSERT_EQ(standin::RegisterHostTypeLibrary(major), S_OK);
  }
  void TearDown() override {
    m_addin->m_pApp.Reset();
    m_source.events.ReleaseAll();
    AddinObject::TearDown();
    EXPECT_EQ(m_source.refs, 1u);
  }
  // The add-in connected as the connect method leaves it, with the test's source as
  // its application.
  void Attach(int revision) {
    m_addin->m_pApp = CountedPtr<HostApplication>::Share(m_source.AsApplication());
    m_addin->m_nSWMajorRevision = revision;
  }

  EventSource m_source;
};

TEST_F(AddinEvents, AdviseDeliverAndUnadvise) {
  Attach(20);
  EXPECT_EQ(m_addin->AdviseAppEvents(), VARIANT_TRUE);
  ASSERT_EQ(m_source.events.SinkCount(), 1u);
  EXPECT_NE(m_addin->m_dwEventCookie, kSinkNotAdvised);
  EXPECT_EQ(m_addin->m_dwEventCookie, m_source.events.Cookies().front());
  // Advised already: no second advise.
  EXPECT_EQ(m_addin->AdviseAppEvents(), VARIANT_FALSE);
  EXPECT_EQ(m_source.events.SinkCount(), 1u);

  // Handled and unhandled events are all answered with S_OK; a handled one loads
  // the description from the library version the object asked for.
  for (const DISPID id : {4, 5, 7, 11, 12, 99}) {
    EXPECT_EQ(m_source.events.Fire(id), std::vector<HRESULT>{S_OK}) << id;
  }
  EXPECT_EQ(LoadedLibraryMajor(), 20);

  EXPECT_EQ(m_addin->UnadviseAppEvents(), VARIANT_TRUE);
  EXPECT_EQ(m_source.events.SinkCount(), 0u);
  EXPECT_EQ(m_addin->m_dwEventCookie, kSinkNotAdvised);
  // Nothing left to unadvise.
  EXPECT_EQ(m_addin->UnadviseAppEvents(), VARIANT_FALSE);
}

TEST_F(AddinEvents, TheNextObjectsVersionIsTakenAfterADisconnect) {
  Attach(20);
  ASSERT_EQ(m_addin->AdviseAppEvents(), VARIANT_TRUE);
  m_source.events.Fire(4);
  EXPECT_EQ(LoadedLibraryMajor(), 20);
  ASSERT_EQ(m_addin->UnadviseAppEvents(), VARIANT_TRUE);

  Attach(14);
  ASSERT_EQ(m_addin->AdviseAppEvents(), VARIANT_TRUE);
  m_source.events.Fire(11);
  EXPECT_EQ(LoadedLibraryMajor(), 14);
  ASSERT_EQ(m_addin->UnadviseAppEvents(), VARIANT_TRUE);

  // Revision 15 asks for 15.0, which the host never registers: no description,
  // the events are still answered with S_OK.
  Attach(15);
  ASSERT_EQ(m_addin->AdviseAppEvents(), VARIANT_TRUE);
  EXPECT_EQ(m_addin->m_wMajorVerNum, 15);
  EXPECT_EQ(m_source.events.Fire(5), std::vector<HRESULT>{S_OK});
  EXPECT_EQ(LoadedLibraryMajor(), 0xFFFF);
  ASSERT_EQ(m_addin->UnadviseAppEvents(), VARIANT_TRUE);
}

TEST_F(AddinEvents, AFailingAdviseOrUnadviseIsReportedAndTheCookieIsReset) {
  Attach(20);
  m_source.events.FailAdvise(E_FAIL);
  EXPECT_EQ(m_addin->AdviseAppEvents(), VARIANT_FALSE);
  EXPECT_EQ(m_addin->m_dwEventCookie, kSinkNotAdvised);
  m_source.events.FailAdvise(S_OK);
  ASSERT_EQ(m_addin->AdviseAppEvents(), VARIANT_TRUE);

  m_source.events.FailUnadvise(E_FAIL);
  EXPECT_EQ(m_addin->UnadviseAppEvents(), VARIANT_FALSE);
  EXPECT_EQ(m_addin->m_dwEventCookie, kSinkNotAdvised);
  EXPECT_TRUE(IsEqualGUID(*CPlymoraEventSink::TypeInfoHolder().m_plibid, GUID_NULL));
  // The host still holds the sink it failed to let go of; TearDown releases it.
  EXPECT_EQ(m_source.events.SinkCount(), 1u);
}

}  // namespace
