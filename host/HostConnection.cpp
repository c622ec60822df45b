#include "HostConnection.h"

#include <cstdio>

#include "CString.h"
#include "StandInHost.h"

namespace standin {
namespace {

std::wstring TextOf(BSTR text) { return text ? std::wstring(text, SysStringLen(text)) : std::wstring(); }

}  // namespace

// Every entry of the connection roles. The positions are written out here, not
// taken from the host contract, so that a wrong position on the client's side
// shows as a trap.
struct ConnectionEntries {
  // --- HostCommandManager ----------------------------------------------------------------
  STANDIN_ENTRY static HRESULT STDMETHODCALLTYPE ManagerCreateGroup(Face* self, LONG userId, BSTR title, BSTR tooltip,
                                                                   BSTR hint, LONG position, HostCommandGroup** group) {
    CallScope call(self, 7);
    call.Args(userId, title, tooltip, hint, position, OutArg{group});
    if (call.Faulted(group)) return call.Result();
    if (!group) return call.Return(E_POINTER);
    HostConnection& c = *self->OwnerAs<CommandManagerObject>()->m_connection;
    auto made = c.m_model.CreateGroup(userId, TextOf(title), TextOf(tooltip), TextOf(hint), position);
    if (!made) {
      *group = nullptr;
      return call.Return(E_FAIL);
    }
    *group = c.ObjectFor(made).GroupFace().Give<HostCommandGroup>();
    return call.Return(S_OK);
  }

  STANDIN_ENTRY static HRESULT STDMETHODCALLTYPE ManagerRemoveGroup(Face* self, LONG userId, VARIANT_BOOL* ok) {
    CallScope call(self, 8);
    call.Args(userId, OutArg{ok});
    if (call.Faulted(ok)) return call.Result();
    const bool removed = self->OwnerAs<CommandManagerObject>()->m_connection->m_model.RemoveGroup(userId);
    if (ok) *ok = removed ? VARIANT_TRUE : VARIANT_FALSE;
    return call.Return(S_OK);
  }

  STANDIN_ENTRY static HRESULT STDMETHODCALLTYPE ManagerTabCount(Face* self, LONG documentType, LONG* count) {
    CallScope call(self, 14);
    call.Args(documentType, OutArg{count});
    if (call.Faulted(count)) return call.Result();
    if (!count) return call.Return(E_POINTER);
    *count = self->OwnerAs<CommandManagerObject>()->m_connection->m_model.TabCount(documentType);
    return call.Return(S_OK);
  }

  STANDIN_ENTRY static HRESULT STDMETHODCALLTYPE ManagerGetTab(Face* self, LONG documentType, BSTR name,
                                                              HostCommandTab** tab) {
    CallScope call(self, 17);
    call.Args(documentType, name, OutArg{tab});
    if (call.Faulted(tab)) return call.Result();
    if (!tab) return call.Return(E_POINTER);
    HostConnection& c = *self->OwnerAs<CommandManagerObject>()->m_connection;
    auto found = c.m_model.FindTab(documentType, TextOf(name));
    *tab = found ? c.ObjectFor(found).TabFace().Give<HostCommandTab>() : nullptr;
    return call.Return(S_OK);
  }

  STANDIN_ENTRY static HRESULT STDMETHODCALLTYPE ManagerAddTab(Face* self, LONG documentType, BSTR name,
                                                              HostCommandTab** tab) {
    CallScope call(self, 18);
    call.Args(documentType, name, OutArg{tab});
    if (call.Faulted(tab)) return call.Result();
    if (!tab) return call.Return(E_POINTER);
    HostConnection& c = *self->OwnerAs<CommandManagerObject>()->m_connection;
    auto made = c.m_model.AddTab(documentType, TextOf(name));
    if (!made) {
      *tab = nullptr;
      return call.Return(E_FAIL);
    }
    *tab = c.ObjectFor(made).TabFace().Give<HostCommandTab>();
    return call.Return(S_OK);
  }

  // --- HostCommandGroup ------------------------------------------------------------------
  STANDIN_ENTRY static HRESULT STDMETHODCALLTYPE GroupActivate(Face* self, VARIANT_BOOL* ok) {
    CallScope call(self, 10);
    call.Args(OutArg{ok});
    if (call.Faulted(ok)) return call.Result();
    ++self->OwnerAs<CommandGroupObject>()->Model().activations;
    if (ok) *ok = VARIANT_TRUE;
    return call.Return(S_OK);
  }

  template <int N, IconFile CommandGroup::*Slot>
  STANDIN_ENTRY static HRESULT STDMETHODCALLTYPE GroupIcon(Face* self, BSTR file) {
    CallScope call(self, N);
    call.Args(static_cast<const OLECHAR*>(file));
    if (call.Faulted()) return call.Result();
    // The host loads the image when it is handed the path; the file may go after.
    self->OwnerAs<CommandGroupObject>()->Model().*Slot = ReadIconFile(TextOf(file));
    return call.Return(S_OK);
  }

  template <int N, LONG CommandGroup::*Value, bool CommandGroup::*Set>
  STANDIN_ENTRY static HRESULT STDMETHODCALLTYPE GroupValue(Face* self, LONG value) {
    CallScope call(self, N);
    call.Args(value);
    if (call.Faulted()) return call.Result();
    CommandGroup& g = self->OwnerAs<CommandGroupObject>()->Model();
    g.*Value = value;
    g.*Set = true;
    return call.Return(S_OK);
  }

  STANDIN_ENTRY static HRESULT STDMETHODCALLTYPE GroupAddCommand(Face* self, BSTR name, LONG position, BSTR hint,
                                                                BSTR tooltip, LONG imageIndex, BSTR callback,
                                                                BSTR enableMethod, LONG userId, LONG options,
                                                                LONG* index) {
    CallScope call(self, 34);
    call.Args(static_cast<const OLECHAR*>(name), position, static_cast<const OLECHAR*>(hint),
              static_cast<const OLECHAR*>(tooltip), imageIndex, static_cast<const OLECHAR*>(callback),
              static_cast<const OLECHAR*>(enableMethod), userId, options, OutArg{index});
    if (call.Faulted(index)) return call.Result();
    if (!index) return call.Return(E_POINTER);
    CommandItem item;
    item.name = TextOf(name);
    item.position = position;
    item.hint = TextOf(hint);
    item.tooltip = TextOf(tooltip);
    item.imageIndex = imageIndex;
    item.callback = TextOf(callback);
    item.enableMethod = TextOf(enableMethod);
    item.userId = userId;
    item.options = options;
    CommandGroupObject& g = *self->OwnerAs<CommandGroupObject>();
    *index = static_cast<StandInHost&>(g.Core()).Connection().m_model.AddCommand(g.Model(), std::move(item));
    return call.Return(S_OK);
  }

  STANDIN_ENTRY static HRESULT STDMETHODCALLTYPE GroupCommandId(Face* self, LONG index, LONG* id) {
    CallScope call(self, 36);
    call.Args(index, OutArg{id});
    if (call.Faulted(id)) return call.Result();
    if (!id) return call.Return(E_POINTER);
    *id = CommandModel::CommandId(self->OwnerAs<CommandGroupObject>()->Model(), index);
    return call.Return(*id == -1 ? E_INVALIDARG : S_OK);
  }

  // --- HostCommandTab and HostCommandTabBox ----------------------------------------------
  STANDIN_ENTRY static HRESULT STDMETHODCALLTYPE TabAddBox(Face* self, HostCommandTabBox** box) {
    CallScope call(self, 10);
    call.Args(OutArg{box});
    if (call.Faulted(box)) return call.Result();
    if (!box) return call.Return(E_POINTER);
    CommandTabObject& tab = *self->OwnerAs<CommandTabObject>();
    auto made = std::make_shared<CommandTabBox>();
    tab.Model().boxes.push_back(made);
    *box = static_cast<StandInHost&>(tab.Core()).Connection().ObjectFor(made).BoxFace().Give<HostCommandTabBox>();
    return call.Return(S_OK);
  }

  STANDIN_ENTRY static HRESULT STDMETHODCALLTYPE BoxAddCommands(Face* self, LONG count, const LONG* ids,
                                                               const LONG* textTypes, VARIANT_BOOL* ok) {
    CallScope call(self, 8);
    const int shown = count > 0 && count <= 64 ? count : 0;
    call.Args(count, LongsArg{ids, shown}, LongsArg{textTypes, shown}, OutArg{ok});
    if (call.Faulted(ok)) return call.Result();
    if (count <= 0 || !ids || !textTypes) {
      if (ok) *ok = VARIANT_FALSE;
      return call.Return(E_INVALIDARG);
    }
    CommandTabBoxObject& box = *self->OwnerAs<CommandTabBoxObject>();
    const CommandModel& model = static_cast<StandInHost&>(box.Core()).Connection().m_model;
    bool known = true;
    for (LONG i = 0; i < count; ++i) {
      box.Model().commandIds.push_back(ids[i]);
      box.Model().textTypes.push_back(textTypes[i]);
      known = known && model.IsCommandId(ids[i]);
    }
    ++box.Model().additions;
    // Commands the host does not know are kept but reported, as a real box shows no
    // button for them.
    if (ok) *ok = known ? VARIANT_TRUE : VARIANT_FALSE;
    return call.Return(S_OK);
  }

  static const MethodTable& ManagerTable() {
    static const MethodTable table = MethodTable::For<HostCommandManager>(kRoleCommandManager)
                                         .Set(7, &ManagerCreateGroup)
                                         .Set(8, &ManagerRemoveGroup)
                                         .Set(14, &ManagerTabCount)
                                         .Set(17, &ManagerGetTab)
                                         .Set(18, &ManagerAddTab);
    return table;
  }
  static const MethodTable& GroupTable() {
    static const MethodTable table =
        MethodTable::For<HostCommandGroup>(kRoleCommandGroup)
            .Set(10, &GroupActivate)
            .Set(12, &GroupIcon<12, &CommandGroup::smallMainIcon>)
            .Set(14, &GroupIcon<14, &CommandGroup::largeMainIcon>)
            .Set(16, &GroupIcon<16, &CommandGroup::largeIconList>)
            .Set(18, &GroupIcon<18, &CommandGroup::smallIconList>)
            .Set(20, &GroupValue<20, &CommandGroup::maskColor, &CommandGroup::maskColorSet>)
            .Set(27, &GroupValue<27, &CommandGroup::hasToolbar, &CommandGroup::hasToolbarSet>)
            .Set(29, &GroupValue<29, &CommandGroup::hasMenu, &CommandGroup::hasMenuSet>)
            .Set(34, &GroupAddCommand)
            .Set(36, &GroupCommandId);
    return table;
  }
  static const MethodTable& TabTable() {
    static const MethodTable table = MethodTable::For<HostCommandTab>(kRoleCommandTab).Set(10, &TabAddBox);
    return table;
  }
  static const MethodTable& BoxTable() {
    static const MethodTable table = MethodTable::For<HostCommandTabBox>(kRoleCommandTabBox).Set(8, &BoxAddCommands);
    return table;
  }
};

CommandGroupObject::CommandGroupObject(HostCore& core, std::shared_ptr<CommandGroup> model)
    : Object(core), m_model(std::move(model)), m_face(*this, ConnectionEntries::GroupTable()) {}
CommandTabObject::CommandTabObject(HostCore& core, std::shared_ptr<CommandTab> model)
    : Object(core), m_model(std::move(model)), m_face(*this, ConnectionEntries::TabTable()) {}
CommandTabBoxObject::CommandTabBoxObject(HostCore& core, std::shared_ptr<CommandTabBox> model)
    : Object(core), m_model(std::move(model)), m_face(*this, ConnectionEntries::BoxTable()) {}
CommandManagerObject::CommandManagerObject(HostCore& core, HostConnection& connection)
    : Object(core), m_connection(&connection), m_face(*this, ConnectionEntries::ManagerTable()) {}

HostConnection::HostConnection(HostCore& core) : m_core(&core), m_manager(core, *this) {
  for (const RoleInfo* role : {&kRoleCommandManager, &kRoleCommandGroup, &kRoleCommandTab, &kRoleCommandTabBox})
    core.DeclareRole(*role);
}

HostConnection::~HostConnection() {
  for (CallbackRegistration& r : m_registrations)
    if (r.callbacks) r.callbacks->Release();
}

IDispatch* HostConnection::CallbackObject(LONG cookie) const {
  for (const CallbackRegistration& r : m_registrations)
    if (r.cookie == cookie) return r.callbacks;
  return nullptr;
}

bool HostConnection::ForgetCallbacks(LONG cookie) {
  for (auto it = m_registrations.begin(); it != m_registrations.end(); ++it) {
    if (it->cookie == cookie) {
      IDispatch* callbacks = it->callbacks;
      m_registrations.erase(it);
      if (callbacks) callbacks->Release();
      return true;
    }
  }
  return false;
}

std::string CallbackName::Problem() const {
  if (Answered()) return {};
  char code[16];
  std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(result));
  const std::string by = CString(registeredBy).ToUtf8();
  if (name.empty()) return by + ": no callback name";
  if (!asked) return by + ": '" + CString(name).ToUtf8() + "' has no callback object registered";
  return by + ": '" + CString(name).ToUtf8() + "' is not answered by the add-in (" + code + ")";
}

const std::vector<CallbackName>& HostConnection::ResolveCallbacks(LONG cookie) {
  m_resolved.clear();
  for (const FileOpenItem& f : m_model.FileOpenItems())
    if (f.cookie == cookie) m_resolved.push_back({f.callback, L"File Open item *." + f.extension});
  for (const auto& g : m_model.Groups())
    if (!g->removed)
      for (const CommandItem& i : g->items) m_resolved.push_back({i.callback, L"command " + i.name});
  IDispatch* callbacks = CallbackObject(cookie);
  for (CallbackName& c : m_resolved) {
    if (!callbacks || c.name.empty()) continue;
    std::wstring name = c.name;
    LPOLESTR names[] = {name.data()};
    DISPID id = -1;
    c.asked = true;
    c.result = callbacks->GetIDsOfNames(GUID_NULL, names, 1, 0, &id);
    if (c.result == S_OK) c.dispid = id;
  }
  return m_resolved;
}

std::vector<std::string> HostConnection::CallbackProblems() const {
  std::vector<std::string> out;
  for (const CallbackName& c : m_resolved)
    if (!c.Answered()) out.push_back(c.Problem());
  return out;
}

template <class T, class M>
static T& MakeOrFind(std::map<const void*, std::unique_ptr<Object>>& objects, HostCore& core,
                     const std::shared_ptr<M>& model) {
  auto& slot = objects[model.get()];
  if (!slot) slot = std::make_unique<T>(core, model);
  return static_cast<T&>(*slot);
}

CommandGroupObject& HostConnection::ObjectFor(const std::shared_ptr<CommandGroup>& group) {
  return MakeOrFind<CommandGroupObject>(m_objects, *m_core, group);
}
CommandTabObject& HostConnection::ObjectFor(const std::shared_ptr<CommandTab>& tab) {
  return MakeOrFind<CommandTabObject>(m_objects, *m_core, tab);
}
CommandTabBoxObject& HostConnection::ObjectFor(const std::shared_ptr<CommandTabBox>& box) {
  return MakeOrFind<CommandTabBoxObject>(m_objects, *m_core, box);
}

HostConnection& HostConnection::Of(Face* applicationFace) {
  return static_cast<StandInHost&>(applicationFace->owner->Core()).Connection();
}

// --- the application's entries ------------------------------------------------------------
STANDIN_ENTRY HRESULT STDMETHODCALLTYPE HostConnection::AppSetAddinCallbackInfo(Face* self, LONG module,
                                                                               IDispatch* callbacks, LONG cookie,
                                                                               VARIANT_BOOL* ok) {
  CallScope call(self, 155);
  call.Args(module, ObjArg{callbacks}, cookie, OutArg{ok});
  if (call.Faulted(ok)) return call.Result();
  if (!callbacks) {
    if (ok) *ok = VARIANT_FALSE;
    return call.Return(E_INVALIDARG);
  }
  HostConnection& c = Of(self);
  c.ForgetCallbacks(cookie);
  callbacks->AddRef();
  c.m_registrations.push_back({module, callbacks, cookie});
  if (ok) *ok = VARIANT_TRUE;
  return call.Return(S_OK);
}

STANDIN_ENTRY HRESULT STDMETHODCALLTYPE HostConnection::AppRemoveFileOpenItem(Face* self, LONG cookie, BSTR callback,
                                                                             BSTR filter, BSTR extension,
                                                                             VARIANT_BOOL* ok) {
  CallScope call(self, 178);
  call.Args(cookie, static_cast<const OLECHAR*>(callback), static_cast<const OLECHAR*>(filter),
            static_cast<const OLECHAR*>(extension), OutArg{ok});
  if (call.Faulted(ok)) return call.Result();
  const bool removed = Of(self).m_model.RemoveFileOpenItem(cookie, TextOf(callback), TextOf(filter), TextOf(extension));
  if (ok) *ok = removed ? VARIANT_TRUE : VARIANT_FALSE;
  return call.Return(S_OK);
}

STANDIN_ENTRY HRESULT STDMETHODCALLTYPE HostConnection::AppCommandManager(Face* self, LONG cookie,
                                                                         HostCommandManager** manager) {
  CallScope call(self, 231);
  call.Args(cookie, OutArg{manager});
  if (call.Faulted(manager)) return call.Result();
  if (!manager) return call.Return(E_POINTER);
  HostConnection& c = Of(self);
  c.m_managerCookies.push_back(cookie);
  *manager = c.m_manager.ManagerFace().Give<HostCommandManager>();
  return call.Return(S_OK);
}

STANDIN_ENTRY HRESULT STDMETHODCALLTYPE HostConnection::AppAddFileOpenItem(Face* self, LONG cookie, BSTR callback,
                                                                          BSTR filter, BSTR extension,
                                                                          BSTR description, BSTR hint,
                                                                          VARIANT_BOOL* ok) {
  CallScope call(self, 247);
  call.Args(cookie, static_cast<const OLECHAR*>(callback), static_cast<const OLECHAR*>(filter),
            static_cast<const OLECHAR*>(extension), static_cast<const OLECHAR*>(description),
            static_cast<const OLECHAR*>(hint), OutArg{ok});
  if (call.Faulted(ok)) return call.Result();
  Of(self).m_model.AddFileOpenItem(
      {cookie, TextOf(callback), TextOf(filter), TextOf(extension), TextOf(description), TextOf(hint)});
  if (ok) *ok = VARIANT_TRUE;
  return call.Return(S_OK);
}

}  // namespace standin
