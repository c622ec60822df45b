// The host's connection roles through their method tables, with the literal
// positions an add-in calls: callback registration, File Open items, command
// manager, groups with their icon files and commands, tabs and boxes.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "ComHolders.h"
#include "StandInHostTest.h"

namespace {

using Lines = std::vector<std::string>;

template <int N, class Obj, class... Args>
HRESULT At(Obj* object, Args... args) {
  return HostOp::Call<N>(object, args...);
}

// A callback object of an add-in: only its reference count matters to the host.
struct Callbacks : IDispatch {
  LONG refs = 1;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** ppv) override {
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++refs); }
  ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--refs); }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }
};

// A 24-bit bitmap file of the given size, removed when the object goes.
class BitmapFile {
 public:
  BitmapFile(int width, int height) {
    m_path = std::filesystem::temp_directory_path() /
             ("standin-conn-" + std::to_string(std::random_device{}()) + "-" + std::to_string(width) + ".bmp");
    const uint32_t stride = ((static_cast<uint32_t>(width) * 24 + 31) / 32) * 4;
    std::vector<uint8_t> b(54 + stride * static_cast<uint32_t>(height), 0);
    auto put32 = [&](size_t at, uint32_t v) {
      for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    b[0] = 'B';
    b[1] = 'M';
    put32(2, static_cast<uint32_t>(b.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<uint32_t>(width));
    put32(22, static_cast<uint32_t>(height));
    b[26] = 1;
    b[28] = 24;
    std::ofstream(m_path, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
  }
  ~BitmapFile() { Remove(); }
  void Remove() {
    std::error_code ignored;
    std::filesystem::remove(m_path, ignored);
  }
  std::wstring Path() const { return m_path.wstring(); }

 private:
  std::filesystem::path m_path;
};

class HostConnectionTest : public standin::StandInHostTest {
 protected:
  CountedPtr<HostCommandManager> Manager(LONG cookie = 1) {
    CountedPtr<HostCommandManager> manager;
    EXPECT_EQ(At<231>(host.Application(), cookie, manager.Out()), S_OK);
    return manager;
  }
  standin::CommandModel& Model() { return host.Connection().Commands(); }
};

TEST_F(HostConnectionTest, TakesAnAddinsWholeSetUp) {
  HostApplication* app = host.Application();
  Callbacks callbacks;
  VARIANT_BOOL ok = VARIANT_FALSE;
  ASSERT_EQ(At<155>(app, LONG{0x10000}, static_cast<IDispatch*>(&callbacks), LONG{1}, &ok), S_OK);
  EXPECT_EQ(ok, VARIANT_TRUE);
  BstrHolder open(L"Plymora_Open"), filter(L"OBJ Files (*.obj)"), ext(L"obj"), empty(L"");
  ASSERT_EQ(At<247>(app, LONG{1}, open.Get(), filter.Get(), ext.Get(), empty.Get(), empty.Get(), &ok), S_OK);

  CountedPtr<HostCommandManager> manager = Manager();
  ASSERT_TRUE(manager);
  BstrHolder name(L"Plymora"), text(L"Plymora for SolidWorks");
  CountedPtr<HostCommandGroup> group;
  ASSERT_EQ(At<7>(manager.Get(), LONG{1}, name.Get(), text.Get(), text.Get(), LONG{-1}, group.Out()), S_OK);
  ASSERT_TRUE(group);
  {
    // The files exist only while the group takes them.
    BitmapFile strip16(64, 16), strip24(96, 24), main16(16, 16), main24(24, 24);
    BstrHolder p18(strip16.Path().c_str()), p16(strip24.Path().c_str()), p14(main16.Path().c_str()),
        p12(main24.Path().c_str());
    EXPECT_EQ(At<18>(group.Get(), p18.Get()), S_OK);
    EXPECT_EQ(At<16>(group.Get(), p16.Get()), S_OK);
    EXPECT_EQ(At<14>(group.Get(), p14.Get()), S_OK);
    EXPECT_EQ(At<12>(group.Get(), p12.Get()), S_OK);
  }
  EXPECT_EQ(At<20>(group.Get(), LONG{3}), S_OK);
  const wchar_t* names[] = {L"Import", L"Help", L"About"};
  LONG indexes[3] = {-5, -5, -5};
  for (int i = 0; i < 3; ++i) {
    BstrHolder n(names[i]), hint(L"long text"), cb((std::wstring(L"Plymora_") + names[i]).c_str());
    ASSERT_EQ(At<34>(group.Get(), n.Get(), LONG{-1}, hint.Get(), n.Get(), LONG{i == 2 ? 3 : i}, cb.Get(), empty.Get(),
                     LONG{0}, LONG{3}, &indexes[i]),
              S_OK);
  }
  EXPECT_EQ(At<27>(group.Get(), LONG{1}), S_OK);
  EXPECT_EQ(At<29>(group.Get(), LONG{1}), S_OK);
  EXPECT_EQ(At<10>(group.Get(), &ok), S_OK);

  LONG count = -1;
  EXPECT_EQ(At<14>(manager.Get(), LONG{2}, &count), S_OK);
  EXPECT_EQ(count, 0);
  CountedPtr<HostCommandTab> tab;
  EXPECT_EQ(At<17>(manager.Get(), LONG{2}, name.Get(), tab.Out()), S_OK);
  EXPECT_FALSE(tab) << "no tab yet";
  ASSERT_EQ(At<18>(manager.Get(), LONG{2}, name.Get(), tab.Out()), S_OK);
  ASSERT_TRUE(tab);
  CountedPtr<HostCommandTabBox> box;
  ASSERT_EQ(At<10>(tab.Get(), box.Out()), S_OK);
  LONG ids[3] = {}, types[3] = {2, 2, 2};
  for (int i = 0; i < 3; ++i) ASSERT_EQ(At<36>(group.Get(), indexes[i], &ids[i]), S_OK);
  ok = VARIANT_FALSE;
  ASSERT_EQ(At<8>(box.Get(), LONG{3}, static_cast<const LONG*>(ids), static_cast<const LONG*>(types), &ok), S_OK);
  EXPECT_EQ(ok, VARIANT_TRUE);
  EXPECT_EQ(At<14>(manager.Get(), LONG{2}, &count), S_OK);
  EXPECT_EQ(count, 1);

  // What the host keeps.
  ASSERT_EQ(host.Connection().Registrations().size(), 1u);
  EXPECT_EQ(host.Connection().Registrations()[0].moduleHandle, 0x10000);
  EXPECT_EQ(host.Connection().CallbackObject(1), &callbacks);
  EXPECT_EQ(callbacks.refs, 2) << "the host holds the callback object";
  EXPECT_EQ(host.Connection().ManagerCookies(), (std::vector<LONG>{1}));
  ASSERT_EQ(Model().FileOpenItems().size(), 1u);
  EXPECT_EQ(Model().FileOpenItems()[0].filter, L"OBJ Files (*.obj)");
  auto g = Model().Group(1);
  ASSERT_TRUE(g);
  EXPECT_EQ(g->title, L"Plymora");
  EXPECT_EQ(g->tooltip, L"Plymora for SolidWorks");
  struct Icon {
    const standin::IconFile& file;
    int width, height;
  };
  for (const Icon& i : {Icon{g->smallIconList, 64, 16}, Icon{g->largeIconList, 96, 24}, Icon{g->largeMainIcon, 16, 16},
                        Icon{g->smallMainIcon, 24, 24}}) {
    EXPECT_TRUE(i.file.existed);
    EXPECT_TRUE(i.file.validBitmap);
    EXPECT_EQ(i.file.width, i.width);
    EXPECT_EQ(i.file.height, i.height);
    EXPECT_EQ(i.file.bitCount, 24);
  }
  EXPECT_EQ(g->maskColor, 3);
  EXPECT_EQ(g->hasToolbar, 1);
  EXPECT_EQ(g->hasMenu, 1);
  EXPECT_EQ(g->activations, 1);
  ASSERT_EQ(g->items.size(), 3u);
  EXPECT_EQ(indexes[0], 0);
  EXPECT_EQ(indexes[2], 2);
  EXPECT_EQ(g->items[2].imageIndex, 3);
  EXPECT_EQ(g->items[1].callback, L"Plymora_Help");
  EXPECT_EQ(g->items[0].options, 3);
  auto t = Model().FindTab(2, L"Plymora");
  ASSERT_TRUE(t);
  EXPECT_TRUE(t->madeByAddin);
  ASSERT_EQ(t->boxes.size(), 1u);
  EXPECT_EQ(t->boxes[0]->commandIds, std::vector<LONG>(ids, ids + 3));
  EXPECT_EQ(t->boxes[0]->textTypes, (std::vector<LONG>{2, 2, 2}));

  // The log names the literal positions with their arguments.
  EXPECT_EQ(host.Log().Args("HostApplication", 155), (Lines{"65536,obj,1,&"}));
  EXPECT_EQ(host.Log().Args("HostCommandManager", 7),
            (Lines{"1,\"Plymora\",\"Plymora for SolidWorks\",\"Plymora for SolidWorks\",-1,&"}));
  EXPECT_EQ(host.Log().Args("HostCommandGroup", 34)[0],
            "\"Import\",-1,\"long text\",\"Import\",0,\"Plymora_Import\",\"\",0,3,&");
  EXPECT_EQ(host.Log().Args("HostCommandTabBox", 8),
            (Lines{"3,[" + std::to_string(ids[0]) + "," + std::to_string(ids[1]) + "," + std::to_string(ids[2]) +
                   "],[2,2,2],&"}));

  // Disconnection: the group and the File Open item go.
  EXPECT_EQ(At<8>(manager.Get(), LONG{1}, &ok), S_OK);
  EXPECT_EQ(ok, VARIANT_TRUE);
  EXPECT_TRUE(g->removed);
  EXPECT_EQ(At<178>(app, LONG{1}, open.Get(), filter.Get(), ext.Get(), &ok), S_OK);
  EXPECT_EQ(ok, VARIANT_TRUE);
  EXPECT_TRUE(Model().FileOpenItems().empty());
  EXPECT_TRUE(host.Connection().ForgetCallbacks(1));
  EXPECT_EQ(callbacks.refs, 1);
}

TEST_F(HostConnectionTest, RefusesWhatAHostWouldRefuse) {
  HostApplication* app = host.Application();
  CountedPtr<HostCommandManager> manager = Manager();
  BstrHolder name(L"Plymora");
  CountedPtr<HostCommandGroup> group, again;
  ASSERT_EQ(At<7>(manager.Get(), LONG{1}, name.Get(), name.Get(), name.Get(), LONG{-1}, group.Out()), S_OK);
  EXPECT_EQ(At<7>(manager.Get(), LONG{1}, name.Get(), name.Get(), name.Get(), LONG{-1}, again.Out()), E_FAIL);
  EXPECT_FALSE(again) << "a user id in use";
  EXPECT_EQ(At<7>(manager.Get(), LONG{2}, name.Get(), name.Get(), name.Get(), LONG{-1},
                  static_cast<HostCommandGroup**>(nullptr)),
            E_POINTER);

  LONG id = 99;
  EXPECT_EQ(At<36>(group.Get(), LONG{0}, &id), E_INVALIDARG) << "no command at index 0 yet";
  EXPECT_EQ(id, -1);

  Model().AddTab(3, L"Plymora", false);
  CountedPtr<HostCommandTab> tab;
  ASSERT_EQ(At<17>(manager.Get(), LONG{3}, name.Get(), tab.Out()), S_OK);
  EXPECT_TRUE(tab) << "the tab the host had";
  CountedPtr<HostCommandTab> second;
  EXPECT_EQ(At<18>(manager.Get(), LONG{3}, name.Get(), second.Out()), E_FAIL);
  EXPECT_FALSE(second);
  EXPECT_FALSE(Model().FindTab(3, L"Plymora")->madeByAddin);

  CountedPtr<HostCommandTabBox> box;
  ASSERT_EQ(At<10>(tab.Get(), box.Out()), S_OK);
  const LONG unknown[2] = {12345, 54321}, types[2] = {2, 2};
  struct BoxCase {
    LONG count;
    const LONG* ids;
    const LONG* types;
    HRESULT hr;
    VARIANT_BOOL ok;
  };
  const BoxCase boxCases[] = {
      {2, unknown, types, S_OK, VARIANT_FALSE},  // kept, but the host knows no such commands
      {0, unknown, types, E_INVALIDARG, VARIANT_FALSE},
      {-1, unknown, types, E_INVALIDARG, VARIANT_FALSE},
      {2, nullptr, types, E_INVALIDARG, VARIANT_FALSE},
      {2, unknown, nullptr, E_INVALIDARG, VARIANT_FALSE},
  };
  for (const BoxCase& c : boxCases) {
    VARIANT_BOOL ok = VARIANT_TRUE;
    EXPECT_EQ(At<8>(box.Get(), c.count, c.ids, c.types, &ok), c.hr) << c.count;
    EXPECT_EQ(ok, c.ok);
  }
  EXPECT_EQ(Model().FindTab(3, L"Plymora")->boxes[0]->commandIds, (std::vector<LONG>{12345, 54321}));

  VARIANT_BOOL ok = VARIANT_TRUE;
  EXPECT_EQ(At<155>(app, LONG{0}, static_cast<IDispatch*>(nullptr), LONG{1}, &ok), E_INVALIDARG);
  EXPECT_EQ(ok, VARIANT_FALSE);
  EXPECT_TRUE(host.Connection().Registrations().empty());
  BstrHolder cb(L"Plymora_Open");
  EXPECT_EQ(At<178>(app, LONG{1}, cb.Get(), cb.Get(), cb.Get(), &ok), S_OK);
  EXPECT_EQ(ok, VARIANT_FALSE) << "no such File Open item";
  EXPECT_EQ(At<8>(manager.Get(), LONG{7}, &ok), S_OK);
  EXPECT_EQ(ok, VARIANT_FALSE) << "no such group";
  // Unused positions of the new roles trap.
  EXPECT_EQ(At<9>(manager.Get()), E_NOTIMPL);
  EXPECT_EQ(At<11>(group.Get()), E_NOTIMPL);
  EXPECT_EQ(At<9>(box.Get()), E_NOTIMPL);
  EXPECT_EQ(host.Log().Count("HostCommandGroup", 11), 1u);
}

TEST_F(HostConnectionTest, FaultsApplyToTheNewRoles) {
  struct Case {
    const char* role;
    int method;
    standin::Fault fault;
    HRESULT hr;
  };
  const Case cases[] = {
      {"HostApplication", 231, standin::Fault::Fail(E_FAIL), E_FAIL},
      {"HostApplication", 231, standin::Fault::NullOut(S_OK), S_OK},
  };
  for (const Case& c : cases) {
    host.ClearFaults();
    host.InjectFault(c.role, c.method, c.fault);
    CountedPtr<HostCommandManager> manager;
    EXPECT_EQ(At<231>(host.Application(), LONG{1}, manager.Out()), c.hr);
    EXPECT_FALSE(manager);
  }
  host.ClearFaults();
  CountedPtr<HostCommandManager> manager = Manager();
  host.InjectFault("HostCommandManager", 7, standin::Fault::NullOut(S_OK, 2));
  BstrHolder name(L"G");
  CountedPtr<HostCommandGroup> first, second;
  EXPECT_EQ(At<7>(manager.Get(), LONG{1}, name.Get(), name.Get(), name.Get(), LONG{-1}, first.Out()), S_OK);
  EXPECT_EQ(At<7>(manager.Get(), LONG{2}, name.Get(), name.Get(), name.Get(), LONG{-1}, second.Out()), S_OK);
  EXPECT_TRUE(first);
  EXPECT_FALSE(second) << "the second group is handed out as null";
  host.InjectFault("HostCommandGroup", 18, standin::Fault::Fail(E_OUTOFMEMORY));
  BitmapFile file(16, 16);
  BstrHolder path(file.Path().c_str());
  EXPECT_EQ(At<18>(first.Get(), path.Get()), E_OUTOFMEMORY);
  EXPECT_FALSE(Model().Group(1)->smallIconList.given) << "a failed call takes no file";
}

TEST_F(HostConnectionTest, HoldsOneCallbackObjectPerCookie) {
  Callbacks a, b;
  VARIANT_BOOL ok;
  HostApplication* app = host.Application();
  ASSERT_EQ(At<155>(app, LONG{1}, static_cast<IDispatch*>(&a), LONG{4}, &ok), S_OK);
  ASSERT_EQ(At<155>(app, LONG{1}, static_cast<IDispatch*>(&b), LONG{4}, &ok), S_OK);
  EXPECT_EQ(a.refs, 1) << "a new registration for the cookie lets go of the old";
  EXPECT_EQ(b.refs, 2);
  EXPECT_EQ(host.Connection().CallbackObject(4), &b);
  EXPECT_EQ(host.Connection().CallbackObject(5), nullptr);
  EXPECT_FALSE(host.Connection().ForgetCallbacks(5));
  {
    standin::StandInHost other;
    ASSERT_EQ(At<155>(other.Application(), LONG{1}, static_cast<IDispatch*>(&a), LONG{1}, &ok), S_OK);
    EXPECT_EQ(a.refs, 2);
  }
  EXPECT_EQ(a.refs, 1) << "the host's end releases what it still holds";
  EXPECT_TRUE(host.Connection().ForgetCallbacks(4));
  EXPECT_EQ(b.refs, 1);
}

// Every registered callback name is asked of the callback object of its cookie;
// one the add-in does not answer, an empty one, and one with no object to ask are
// problems, each naming what registered it.
TEST_F(HostConnectionTest, RegisteredCallbackNamesAreResolvedByTheCallbackObject) {
  struct Named : Callbacks {
    std::vector<std::wstring> asked;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
      if (count != 1) return E_INVALIDARG;
      asked.push_back(names[0]);
      const std::wstring n = names[0];
      if (n == L"Open") *ids = 9;
      else if (n == L"Import") *ids = 5;
      else return DISP_E_UNKNOWNNAME;
      return S_OK;
    }
  } callbacks;
  HostApplication* app = host.Application();
  VARIANT_BOOL ok;
  ASSERT_EQ(At<155>(app, LONG{0}, static_cast<IDispatch*>(&callbacks), LONG{2}, &ok), S_OK);
  BstrHolder open(L"Open"), other(L"OtherOpen"), filter(L"F"), obj(L"obj"), stl(L"stl"), empty(L"");
  ASSERT_EQ(At<247>(app, LONG{2}, open.Get(), filter.Get(), obj.Get(), empty.Get(), empty.Get(), &ok), S_OK);
  ASSERT_EQ(At<247>(app, LONG{3}, other.Get(), filter.Get(), stl.Get(), empty.Get(), empty.Get(), &ok), S_OK);
  CountedPtr<HostCommandManager> manager = Manager(2);
  BstrHolder name(L"G");
  CountedPtr<HostCommandGroup> group;
  ASSERT_EQ(At<7>(manager.Get(), LONG{1}, name.Get(), name.Get(), name.Get(), LONG{-1}, group.Out()), S_OK);
  for (const wchar_t* callback : {L"Import", L"Imprt", L""}) {
    BstrHolder item(L"Item"), cb(callback);
    LONG index = 0;
    ASSERT_EQ(At<34>(group.Get(), item.Get(), LONG{-1}, item.Get(), item.Get(), LONG{0}, cb.Get(), empty.Get(), LONG{0},
                     LONG{3}, &index),
              S_OK);
  }
  const std::vector<standin::CallbackName>& resolved = host.Connection().ResolveCallbacks(2);
  ASSERT_EQ(resolved.size(), 4u) << "the other cookie's File Open item is not this add-in's";
  EXPECT_EQ(resolved[0].registeredBy, L"File Open item *.obj");
  EXPECT_EQ(resolved[0].dispid, 9);
  EXPECT_EQ(resolved[1].dispid, 5);
  EXPECT_TRUE(resolved[0].Answered() && resolved[1].Answered());
  EXPECT_EQ(resolved[2].result, DISP_E_UNKNOWNNAME);
  EXPECT_EQ(callbacks.asked, (std::vector<std::wstring>{L"Open", L"Import", L"Imprt"}));
  EXPECT_EQ(host.Connection().CallbackProblems(),
            (Lines{"command Item: 'Imprt' is not answered by the add-in (0x80020006)", "command Item: no callback name"}));
  // Without a callback object nothing can be asked.
  EXPECT_TRUE(host.Connection().ForgetCallbacks(2));
  host.Connection().ResolveCallbacks(2);
  EXPECT_EQ(host.Connection().CallbackProblems()[0], "File Open item *.obj: 'Open' has no callback object registered");
  EXPECT_EQ(host.Connection().CallbackProblems().size(), 4u);
}

TEST(HostConnectionReferences, AGroupKeptByTheClientIsReported) {
  standin::StandInHost host;
  CountedPtr<HostCommandManager> manager;
  ASSERT_EQ(At<231>(host.Application(), LONG{1}, manager.Out()), S_OK);
  BstrHolder name(L"G");
  HostCommandGroup* leaked = nullptr;
  ASSERT_EQ(At<7>(manager.Get(), LONG{1}, name.Get(), name.Get(), name.Get(), LONG{-1}, &leaked), S_OK);
  manager.Reset();
  const std::vector<std::string> problems = host.ReferenceProblems();
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_EQ(problems[0].rfind("HostCommandGroup #", 0), 0u) << problems[0];
  leaked->Release();
  EXPECT_TRUE(host.ReferenceProblems().empty());
}

}  // namespace
