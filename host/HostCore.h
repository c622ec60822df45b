// The generic machinery of the stand-in host: COM method tables whose every entry
// either does real work or records the call and returns E_NOTIMPL, the call log,
// fault injection per (role, method) and client reference counts.
//
// A role is described once by a RoleInfo and gets one MethodTable, built from free
// functions `HRESULT STDMETHODCALLTYPE f(Face* self, ...)` with the Windows x64
// argument types (LONG, VARIANT_BOOL, double, pointers, BSTR). A stand-in object
// derives from Object and owns one Face per role it answers; the Face is what the
// client holds as an interface pointer. Adding a role:
//
//   inline const RoleInfo kRoleThing{"HostThing", {0x...}};      // name, interface id
//   HRESULT STDMETHODCALLTYPE ThingDo(Face* self, LONG x) {
//     CallScope call(self, 9);
//     call.Args(x);
//     if (call.Faulted()) return call.Result();
//     self->OwnerAs<Thing>()->Do(x);
//     return call.Return(S_OK);
//   }
//   const MethodTable& ThingTable() {
//     static const MethodTable table = MethodTable::For<IDispatch>(kRoleThing).Set(9, &ThingDo);
//     return table;
//   }
//   class Thing : public Object {  // a face per role, made in the constructor
//    public: explicit Thing(HostCore& core) : Object(core), m_face(*this, ThingTable()) {}
//    private: Face m_face;
//   };
//
// and one `DeclareRole(kRoleThing)` in the host's constructor so that faults and
// counts can name it.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <typeinfo>
#include <vector>

#include "ComBase.h"

// clang checks indirect calls against the callee's exact function type; the host's
// entries are reached through interface tables typed by the caller, by design.
#if defined(__clang__)
#define STANDIN_ENTRY __attribute__((no_sanitize("function")))
#else
#define STANDIN_ENTRY
#endif

namespace standin {

class HostCore;
class Object;
struct Face;

// Every table has this many entries, far beyond the largest position in use, so
// that any call the client makes lands on a recording trap.
inline constexpr int kTableSize = 1024;

struct RoleInfo {
  const char* name;  // as the call log and fault injection name it, e.g. "HostDocument"
  IID iid;           // what QueryInterface answers to for this role
};

// The method table of one role. Positions 0-6 are IUnknown and IDispatch (real
// QueryInterface/AddRef/Release; the IDispatch methods record and return
// E_NOTIMPL, unless a role that is not IDispatch-based, such as an enumerator,
// Sets them); every position not Set() records the call and returns E_NOTIMPL.
// The storage carries the two words the Itanium C++ ABI puts before a virtual
// table (offset to top, type information), so sanitizer type checks in clients
// see an object of the role's interface type.
class MethodTable {
 public:
  template <class Interface>
  static MethodTable For(const RoleInfo& role) {
    return MethodTable(role, typeid(Interface));
  }
  template <class R, class... A>
  MethodTable& Set(int position, R(STDMETHODCALLTYPE* entry)(Face*, A...)) {
    SetRaw(position, reinterpret_cast<void*>(entry));
    return *this;
  }
  const RoleInfo& Role() const { return *m_role; }
  void* const* Entries() const { return m_slots.data() + 2; }

 private:
  MethodTable(const RoleInfo& role, const std::type_info& type);
  void SetRaw(int position, void* entry);

  const RoleInfo* m_role;
  std::vector<void*> m_slots;
};

// Per-role bookkeeping in one host: call counts per position and injected faults.
//
// A fault changes one call in one of three ways:
// - Fail: the call does nothing, leaves its out-parameters as the caller set them
//   and returns `result`;
// - NullOut: the same, but null (0) is written through every out-parameter;
// - After: the call does all its work, hands out what it would (an interface with
//   the reference the caller must release, a handle, a text) and then returns
//   `result` instead of its own result. This is how a client that judges a call by
//   its out-parameter instead of its result is caught, and how its release of an
//   object handed out with a failure is checked. The entry's CallScope::Return
//   substitutes the result, so every entry has this mode without code of its own.
struct Fault {
  HRESULT result = E_FAIL;  // what the faulted call returns
  bool nullOut = false;     // NullOut: write null through every out-parameter
  int onCall = 0;           // 0: every call; N: only the Nth call of (role, method), from 1
  bool andLater = false;    // with onCall: the Nth call and every later one
  bool afterWork = false;   // After: do the work, then return `result`

  static Fault Fail(HRESULT hr = E_FAIL, int onCall = 0) { return Fault{hr, false, onCall, false, false}; }
  static Fault NullOut(HRESULT hr = S_OK, int onCall = 0) { return Fault{hr, true, onCall, false, false}; }
  static Fault After(HRESULT hr = S_FALSE, int onCall = 0) { return Fault{hr, false, onCall, false, true}; }
  Fault& FromThenOn() {
    andLater = true;
    return *this;
  }
};

// Decides call by call what the host does, for every call that no injected fault
// matches (a fuzzer's bytes, for instance): a fault for this call, or none for
// the call's own behaviour. AddRef and Release are never asked.
using FaultChooser = std::function<std::optional<Fault>(const char* role, int method)>;

struct RoleState {
  const RoleInfo* info = nullptr;
  std::vector<uint64_t> counts = std::vector<uint64_t>(kTableSize, 0);
  std::map<int, std::vector<Fault>> faults;
};

// One COM interface of a stand-in object: the table pointer comes first, where a
// client expects it. Faces live as long as the host; a client's Release never
// frees them, so a release too many is recorded instead of freeing twice.
struct Face {
  Face(Object& owner, const MethodTable& table);
  Face(const Face&) = delete;
  Face& operator=(const Face&) = delete;

  template <class Interface>
  Interface* As() {
    return reinterpret_cast<Interface*>(this);
  }
  // Hands the interface to the client with one reference the client must release.
  template <class Interface>
  Interface* Give() {
    ++clientRefs;
    return As<Interface>();
  }
  template <class T>
  T* OwnerAs() const {
    return static_cast<T*>(owner);
  }
  const char* RoleName() const { return state->info->name; }
  int ObjectId() const;

  void* const* vtbl;  // must stay the first member
  Object* owner;
  RoleState* state;
  Face* nextOfOwner = nullptr;
  LONG clientRefs = 0;  // references the client holds; the host's own are not counted
};

// A stand-in host object: an id for the log and the faces it answers with.
class Object {
 public:
  explicit Object(HostCore& core);
  virtual ~Object() = default;
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;

  int Id() const { return m_id; }
  HostCore& Core() const { return *m_core; }
  // QueryInterface: IUnknown and IDispatch give the first face, a role's id that face.
  Face* FindFace(REFIID iid) const;

 private:
  friend struct Face;
  HostCore* m_core;
  int m_id;
  Face* m_faces = nullptr;  // in the order they were made
  Face* m_lastFace = nullptr;
};

enum class LogMode {
  Full,           // role, method, object, argument text, result
  NoArguments,    // the same without the argument text (cheap for big imports)
  Off,            // nothing is appended; call counts and faults still work
};

struct CallRecord {
  const char* role;
  int method;
  int object;
  std::string args;  // comma-separated, see CallScope::Args
  HRESULT result;
  // "HostDocument.14(1)" and "HostDocument#3.14(1)"
  std::string Text() const;
  std::string TextWithObject() const;
};

class CallLog {
 public:
  const std::vector<CallRecord>& Records() const { return m_records; }
  size_t Size() const { return m_records.size(); }
  void Clear() { m_records.clear(); }
  // Records of one (role, method), in call order.
  std::vector<CallRecord> Of(std::string_view role, int method) const;
  size_t Count(std::string_view role, int method) const;
  std::vector<std::string> Args(std::string_view role, int method) const;
  // Text() of every record; IUnknown and IDispatch calls (0-6) only when asked.
  std::vector<std::string> Lines(bool withUnknown = false) const;
  // Lines of one role.
  std::vector<std::string> Lines(std::string_view role, bool withUnknown = false) const;
  // A role named by a literal: without this, a `const char*` would convert to the
  // `bool` of the overload above and quietly give the lines of every role.
  std::vector<std::string> Lines(const char* role, bool withUnknown = false) const {
    return Lines(std::string_view(role), withUnknown);
  }

 private:
  friend class HostCore;
  friend class CallScope;
  std::vector<CallRecord> m_records;
};

// Argument wrappers for CallScope::Args: an out-parameter renders "&" (or "null"),
// an interface argument "obj" (or "null"), a double array its values in brackets.
struct OutArg {
  const void* p;
};
struct ObjArg {
  const void* p;
};
struct IidArg {
  const IID* p;  // renders {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}
};
struct DoublesArg {
  const double* p;  // null renders "null"
  int count;
};
struct LongsArg {
  const LONG* p;  // null renders "null"
  int count;
};

// The bookkeeping of one call into an entry: counts it, appends it to the log,
// finds the fault that applies. Every entry starts with one.
class CallScope {
 public:
  CallScope(Face* self, int method);
  CallScope(const CallScope&) = delete;
  CallScope& operator=(const CallScope&) = delete;

  // Renders the arguments when the log keeps them: LONG, SHORT and int64_t as decimal,
  // double in shortest round-trip form ("0.254", "0", "-1e-05"), a text argument
  // in double quotes or null, and the wrappers above; separated by ",".
  template <class... A>
  CallScope& Args(const A&... args) {
    if (m_keepArgs) {
      std::string text;
      bool first = true;
      ((Append(text, first), Render(text, args)), ...);
      SetArgs(std::move(text));
    }
    return *this;
  }

  // True when a Fail or NullOut fault applies; then the out-parameters named are
  // nulled if the fault says so, and Result() is the fault's result, already
  // recorded. An After fault lets the entry go on: false here, and Return gives
  // the fault's result in place of the entry's.
  template <class... P>
  bool Faulted(P*... outs) {
    if (!m_fault || m_fault->afterWork) return false;
    if (m_fault->nullOut) ((outs ? (void)(*outs = P{}) : (void)0), ...);
    Return(m_fault->result);
    return true;
  }
  HRESULT Result() const { return m_result; }
  // Records and returns the call's result: `hr`, or an After fault's result.
  HRESULT Return(HRESULT hr);
  HostCore& Core() const { return *m_core; }

 private:
  static void Append(std::string& text, bool& first) {
    if (!first) text += ',';
    first = false;
  }
  static void Render(std::string& text, LONG value);
  static void Render(std::string& text, SHORT value);
  static void Render(std::string& text, int64_t value);
  static void Render(std::string& text, double value);
  static void Render(std::string& text, const OLECHAR* value);
  static void Render(std::string& text, OutArg value);
  static void Render(std::string& text, ObjArg value);
  static void Render(std::string& text, DoublesArg value);
  static void Render(std::string& text, LongsArg value);
  static void Render(std::string& text, IidArg value);

  static constexpr size_t kNoRecord = ~size_t{0};
  void SetArgs(std::string text);

  HostCore* m_core;
  size_t m_index = kNoRecord;  // an index: entries may call entries, and the log grows
  bool m_keepArgs = false;
  const Fault* m_fault = nullptr;
  Fault m_chosen;  // what the host's fault chooser gave for this call
  HRESULT m_result = E_NOTIMPL;
};

// The host-wide part of the machinery: role states, the log, reference problems.
class HostCore {
 public:
  HostCore();
  virtual ~HostCore();
  HostCore(const HostCore&) = delete;
  HostCore& operator=(const HostCore&) = delete;

  CallLog& Log() { return m_log; }
  const CallLog& Log() const { return m_log; }
  void SetLogMode(LogMode mode) { m_mode = mode; }
  LogMode GetLogMode() const { return m_mode; }

  // Calls of (role, method) so far, whatever the log mode, counted over all objects.
  uint64_t CallCount(std::string_view role, int method) const;

  // Adds a fault for (role, method); the first fault that matches a call applies.
  // An unknown role name, a position outside the table, or AddRef/Release (1, 2),
  // which have no result to fail with, throw std::invalid_argument.
  void InjectFault(std::string_view role, int method, Fault fault);
  void ClearFaults();
  // Asked for every call that no injected fault matches; null for none.
  void SetFaultChooser(FaultChooser chooser) { m_chooser = std::move(chooser); }

  // Everything wrong with the client's references so far: one text per interface
  // still referenced ("HostDocument #3: 1 reference not released") and one per
  // release beyond zero ("HostBody #7: released with no reference left"). Empty
  // when the client released exactly what it got.
  std::vector<std::string> ReferenceProblems() const;

  // Makes a role known by name (faults, counts) before any object of it exists.
  RoleState& DeclareRole(const RoleInfo& role);

  // Interfaces an object answers beyond its roles' faces (the Windows build's
  // connection points): the provider gives the interface with one reference for
  // the caller, or null. QueryInterface asks it when no face matches.
  using InterfaceProvider = std::function<void*(Object& object, REFIID iid)>;
  void SetInterfaceProvider(InterfaceProvider provider) { m_provider = std::move(provider); }
  void* ProvideInterface(Object& object, REFIID iid) const { return m_provider ? m_provider(object, iid) : nullptr; }

  // Called at every release of a client reference, after it is counted, so that a
  // test can see what the client had done by the time it let go.
  using ReleaseObserver = std::function<void(const Face& face)>;
  void SetReleaseObserver(ReleaseObserver observer) { m_releaseObserver = std::move(observer); }

 private:
  friend class Object;
  friend struct Face;
  friend class CallScope;
  friend ULONG STDMETHODCALLTYPE FaceAddRef(Face* self);
  friend ULONG STDMETHODCALLTYPE FaceRelease(Face* self);

  RoleState* FindRole(std::string_view role);
  const RoleState* FindRole(std::string_view role) const;
  void RecordSimple(Face* self, int method, HRESULT result);

  int m_nextId = 1;
  LogMode m_mode = LogMode::Full;
  CallLog m_log;
  std::map<std::string, RoleState, std::less<>> m_roles;
  std::vector<Face*> m_faces;
  std::vector<std::string> m_overReleases;
  InterfaceProvider m_provider;
  ReleaseObserver m_releaseObserver;
  FaultChooser m_chooser;
};

}  // namespace standin
