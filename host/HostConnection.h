// The connection side of the stand-in host: what an add-in sets up when it
// connects. The application's entries 155 (callback registration), 178 and 247
// (File Open items) and 231 (the command manager), and the roles command manager,
// command group, command tab and tab box, all over the plain model of
// CommandModel.h, with the log and fault injection of HostCore.h.
//
//   standin::StandInHost host;
//   host.Connection().Commands().AddTab(3, L"Plymora", false);  // a tab already there
//   ... the add-in connects ...
//   auto group = host.Connection().Commands().Group(1);
//   EXPECT_TRUE(group->smallIconList.validBitmap);
//   EXPECT_EQ(host.Log().Args("HostCommandGroup", 34)[0], "\"Import\",-1,...");
//
// Positions with real behaviour (all others record the call and return E_NOTIMPL):
//   HostApplication    155 register the callback object (held, one reference, until
//                          ForgetCallbacks or the host's end), 178 remove and 247 add
//                          a File Open item, 231 the command manager
//   HostCommandManager 7 new group (null and E_FAIL for a user id in use), 8 remove
//                      a group, 14 tab count of a document type, 17 find a tab (null
//                      when none), 18 new tab (null and E_FAIL for a name in use)
//   HostCommandGroup   10 activate, 12 14 16 18 icon files (read at once), 20 27 29
//                      values, 34 new command (its index), 36 command id of an index
//   HostCommandTab     10 new tab box
//   HostCommandTabBox  8 add commands (count, ids, text types)
// Every interface handed out carries one reference for the client.
//
// The host calls an add-in's commands and File Open items by the callback names
// they were registered with, through the callback object of entry 155:
// ResolveCallbacks asks that object's GetIDsOfNames for every such name, as the
// host must before it can call one; a name the add-in does not answer is kept as a
// problem (CallbackProblems), since the host could never call it.
#pragma once

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "CommandModel.h"
#include "HostContract.h"
#include "HostCore.h"

namespace standin {

inline const RoleInfo kRoleCommandManager{
    "HostCommandManager", {0x5354414E, 0x0010, 0x4D48, {0x8F, 0x00, 0x53, 0x54, 0x41, 0x4E, 0x44, 0x10}}};
inline const RoleInfo kRoleCommandGroup{
    "HostCommandGroup", {0x5354414E, 0x0011, 0x4D48, {0x8F, 0x00, 0x53, 0x54, 0x41, 0x4E, 0x44, 0x11}}};
inline const RoleInfo kRoleCommandTab{
    "HostCommandTab", {0x5354414E, 0x0012, 0x4D48, {0x8F, 0x00, 0x53, 0x54, 0x41, 0x4E, 0x44, 0x12}}};
inline const RoleInfo kRoleCommandTabBox{
    "HostCommandTabBox", {0x5354414E, 0x0013, 0x4D48, {0x8F, 0x00, 0x53, 0x54, 0x41, 0x4E, 0x44, 0x13}}};

struct ConnectionEntries;  // the entry functions of the roles below

// One registration of application method 155.
struct CallbackRegistration {
  LONG moduleHandle = 0;
  IDispatch* callbacks = nullptr;  // held with one reference by the host
  LONG cookie = 0;
};

// One callback name an add-in registered, as its callback object answered it.
struct CallbackName {
  std::wstring name;          // the callback's name, as registered
  std::wstring registeredBy;  // L"command Import", L"File Open item *.obj"
  bool asked = false;         // GetIDsOfNames was called: there is a name and an object
  HRESULT result = E_FAIL;    // of GetIDsOfNames
  DISPID dispid = -1;         // DISPID_UNKNOWN unless answered
  bool Answered() const { return asked && result == S_OK; }
  // "command Import: 'Plymora_Imprt' is not answered by the add-in (0x80020006)"
  std::string Problem() const;
};

class CommandGroupObject : public Object {
 public:
  CommandGroupObject(HostCore& core, std::shared_ptr<CommandGroup> model);
  CommandGroup& Model() const { return *m_model; }
  Face& GroupFace() { return m_face; }

 private:
  std::shared_ptr<CommandGroup> m_model;
  Face m_face;
};

class CommandTabBoxObject : public Object {
 public:
  CommandTabBoxObject(HostCore& core, std::shared_ptr<CommandTabBox> model);
  CommandTabBox& Model() const { return *m_model; }
  Face& BoxFace() { return m_face; }

 private:
  std::shared_ptr<CommandTabBox> m_model;
  Face m_face;
};

class CommandTabObject : public Object {
 public:
  CommandTabObject(HostCore& core, std::shared_ptr<CommandTab> model);
  CommandTab& Model() const { return *m_model; }
  Face& TabFace() { return m_face; }

 private:
  std::shared_ptr<CommandTab> m_model;
  Face m_face;
};

class HostConnection;

class CommandManagerObject : public Object {
 public:
  CommandManagerObject(HostCore& core, HostConnection& connection);
  HostCommandManager* Interface() { return m_face.As<HostCommandManager>(); }
  Face& ManagerFace() { return m_face; }

 private:
  friend struct ConnectionEntries;
  HostConnection* m_connection;
  Face m_face;
};

class HostConnection {
 public:
  explicit HostConnection(HostCore& core);
  ~HostConnection();  // releases the callback objects still registered
  HostConnection(const HostConnection&) = delete;
  HostConnection& operator=(const HostConnection&) = delete;

  CommandModel& Commands() { return m_model; }
  const CommandModel& Commands() const { return m_model; }

  // Registrations of application method 155, one per cookie (a later one for the
  // same cookie replaces the earlier and releases its object).
  const std::vector<CallbackRegistration>& Registrations() const { return m_registrations; }
  IDispatch* CallbackObject(LONG cookie) const;
  // The host lets go of the registration of that cookie, as when it unloads an
  // add-in; whether there was one.
  bool ForgetCallbacks(LONG cookie);
  // Resolves, through GetIDsOfNames of the callback object registered for
  // `cookie`, the callback name of every File Open item of that cookie and then of
  // every command of the present groups (each host serves one add-in), in the order
  // they were added. The outcome is kept until the next call.
  const std::vector<CallbackName>& ResolveCallbacks(LONG cookie);
  const std::vector<CallbackName>& ResolvedCallbacks() const { return m_resolved; }
  // One text per name of the last ResolveCallbacks that the add-in did not answer.
  std::vector<std::string> CallbackProblems() const;
  // The cookies application method 231 was asked with, in order.
  const std::vector<LONG>& ManagerCookies() const { return m_managerCookies; }

  CommandManagerObject& Manager() { return m_manager; }

  // The role objects of the entries (made on demand, living as long as the host).
  CommandGroupObject& ObjectFor(const std::shared_ptr<CommandGroup>& group);
  CommandTabObject& ObjectFor(const std::shared_ptr<CommandTab>& tab);
  CommandTabBoxObject& ObjectFor(const std::shared_ptr<CommandTabBox>& box);

  // The application's entries; the application's table points at these.
  static HRESULT STDMETHODCALLTYPE AppSetAddinCallbackInfo(Face* self, LONG module, IDispatch* callbacks, LONG cookie,
                                                           VARIANT_BOOL* ok);
  static HRESULT STDMETHODCALLTYPE AppRemoveFileOpenItem(Face* self, LONG cookie, BSTR callback, BSTR filter,
                                                         BSTR extension, VARIANT_BOOL* ok);
  static HRESULT STDMETHODCALLTYPE AppCommandManager(Face* self, LONG cookie, HostCommandManager** manager);
  static HRESULT STDMETHODCALLTYPE AppAddFileOpenItem(Face* self, LONG cookie, BSTR callback, BSTR filter,
                                                      BSTR extension, BSTR description, BSTR hint, VARIANT_BOOL* ok);

 private:
  friend struct ConnectionEntries;
  static HostConnection& Of(Face* applicationFace);

  HostCore* m_core;
  CommandModel m_model;
  std::vector<CallbackRegistration> m_registrations;
  std::vector<LONG> m_managerCookies;
  std::vector<CallbackName> m_resolved;
  CommandManagerObject m_manager;
  std::map<const void*, std::unique_ptr<Object>> m_objects;  // by model entry
};

}  // namespace standin
