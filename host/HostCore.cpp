#include "HostCore.h"

#include <array>
#include <charconv>
#include <cstddef>
#include <cstdio>
#include <cmath>
#include <cwchar>
#include <stdexcept>
#include <utility>

namespace standin {

// --- the entries every table shares ---------------------------------------------

STANDIN_ENTRY HRESULT STDMETHODCALLTYPE FaceQueryInterface(Face* self, REFIID iid, void** out) {
  CallScope call(self, 0);
  call.Args(IidArg{&iid}, OutArg{out});
  if (call.Faulted(out)) return call.Result();
  if (!out) return call.Return(E_POINTER);
  Face* face = self->owner->FindFace(iid);
  if (!face) {
    *out = self->owner->Core().ProvideInterface(*self->owner, iid);
    return call.Return(*out ? S_OK : E_NOINTERFACE);
  }
  *out = face->Give<void>();
  return call.Return(S_OK);
}

STANDIN_ENTRY ULONG STDMETHODCALLTYPE FaceAddRef(Face* self) {
  ++self->clientRefs;
  self->owner->Core().RecordSimple(self, 1, self->clientRefs);
  // The host's own reference keeps the object alive: the count shown includes it.
  return static_cast<ULONG>(self->clientRefs + 1);
}

STANDIN_ENTRY ULONG STDMETHODCALLTYPE FaceRelease(Face* self) {
  HostCore& core = self->owner->Core();
  if (self->clientRefs <= 0) {
    core.m_overReleases.push_back(std::string(self->RoleName()) + " #" + std::to_string(self->ObjectId()) +
                                  ": released with no reference left");
    core.RecordSimple(self, 2, -1);
    return 1;
  }
  --self->clientRefs;
  core.RecordSimple(self, 2, self->clientRefs);
  if (core.m_releaseObserver) core.m_releaseObserver(*self);
  return static_cast<ULONG>(self->clientRefs + 1);
}

namespace {

template <int N>
STANDIN_ENTRY HRESULT STDMETHODCALLTYPE Trap(Face* self) {
  CallScope call(self, N);
  if (call.Faulted()) return call.Result();
  return call.Return(E_NOTIMPL);
}

template <int... N>
constexpr std::array<void*, sizeof...(N)> MakeTraps(std::integer_sequence<int, N...>) {
  return {reinterpret_cast<void*>(&Trap<N>)...};
}

const std::array<void*, kTableSize>& Traps() {
  static const std::array<void*, kTableSize> traps = MakeTraps(std::make_integer_sequence<int, kTableSize>{});
  return traps;
}

}  // namespace

// --- MethodTable -------------------------------------------------------------------

MethodTable::MethodTable(const RoleInfo& role, const std::type_info& type)
    : m_role(&role), m_slots(2 + kTableSize) {
  m_slots[0] = nullptr;  // offset to top
  m_slots[1] = const_cast<void*>(static_cast<const void*>(&type));
  const auto& traps = Traps();
  for (int i = 0; i < kTableSize; ++i) m_slots[2 + i] = traps[i];
  m_slots[2 + 0] = reinterpret_cast<void*>(&FaceQueryInterface);
  m_slots[2 + 1] = reinterpret_cast<void*>(&FaceAddRef);
  m_slots[2 + 2] = reinterpret_cast<void*>(&FaceRelease);
}

void MethodTable::SetRaw(int position, void* entry) {
  if (position < 3 || position >= kTableSize)
    throw std::logic_error(std::string("stand-in host: no settable position ") + std::to_string(position) +
                           " in " + m_role->name);
  m_slots[2 + position] = entry;
}

// --- Face and Object -------------------------------------------------------------

Face::Face(Object& owner_, const MethodTable& table)
    : vtbl(table.Entries()), owner(&owner_), state(&owner_.Core().DeclareRole(table.Role())) {
  static_assert(offsetof(Face, vtbl) == 0, "the table pointer comes first");
  if (owner_.m_lastFace) owner_.m_lastFace->nextOfOwner = this;
  else owner_.m_faces = this;
  owner_.m_lastFace = this;
  owner_.Core().m_faces.push_back(this);
}

int Face::ObjectId() const { return owner->Id(); }

Object::Object(HostCore& core) : m_core(&core), m_id(core.m_nextId++) {}

Face* Object::FindFace(REFIID iid) const {
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) return m_faces;
  for (Face* f = m_faces; f; f = f->nextOfOwner)
    if (IsEqualIID(iid, f->state->info->iid)) return f;
  return nullptr;
}

// --- CallLog ------------------------------------------------------------------------

std::string CallRecord::Text() const {
  return std::string(role) + "." + std::to_string(method) + "(" + args + ")";
}

std::string CallRecord::TextWithObject() const {
  return std::string(role) + "#" + std::to_string(object) + "." + std::to_string(method) + "(" + args + ")";
}

std::vector<CallRecord> CallLog::Of(std::string_view role, int method) const {
  std::vector<CallRecord> out;
  for (const auto& r : m_records)
    if (r.method == method && role == r.role) out.push_back(r);
  return out;
}

size_t CallLog::Count(std::string_view role, int method) const {
  size_t n = 0;
  for (const auto& r : m_records)
    if (r.method == method && role == r.role) ++n;
  return n;
}

std::vector<std::string> CallLog::Args(std::string_view role, int method) const {
  std::vector<std::string> out;
  for (const auto& r : m_records)
    if (r.method == method && role == r.role) out.push_back(r.args);
  return out;
}

std::vector<std::string> CallLog::Lines(bool withUnknown) const {
  std::vector<std::string> out;
  for (const auto& r : m_records)
    if (withUnknown || r.method > 6) out.push_back(r.Text());
  return out;
}

std::vector<std::string> CallLog::Lines(std::string_view role, bool withUnknown) const {
  std::vector<std::string> out;
  for (const auto& r : m_records)
    if ((withUnknown || r.method > 6) && role == r.role) out.push_back(r.Text());
  return out;
}

// --- CallScope ----------------------------------------------------------------------

CallScope::CallScope(Face* self, int method) : m_core(&self->owner->Core()) {
  RoleState& state = *self->state;
  const uint64_t n = ++state.counts[static_cast<size_t>(method)];
  if (!state.faults.empty()) {
    auto it = state.faults.find(method);
    if (it != state.faults.end()) {
      for (const Fault& f : it->second) {
        const uint64_t at = f.onCall > 0 ? static_cast<uint64_t>(f.onCall) : 0;
        if (at == 0 || n == at || (f.andLater && n > at)) {
          m_fault = &f;
          break;
        }
      }
    }
  }
  if (!m_fault && m_core->m_chooser) {
    if (std::optional<Fault> chosen = m_core->m_chooser(self->RoleName(), method)) {
      m_chosen = *chosen;
      m_fault = &m_chosen;
    }
  }
  if (m_core->m_mode != LogMode::Off) {
    m_index = m_core->m_log.m_records.size();
    m_core->m_log.m_records.push_back(CallRecord{self->RoleName(), method, self->ObjectId(), {}, E_NOTIMPL});
    m_keepArgs = m_core->m_mode == LogMode::Full;
  }
}

HRESULT CallScope::Return(HRESULT hr) {
  if (m_fault && m_fault->afterWork) hr = m_fault->result;
  m_result = hr;
  if (m_index != kNoRecord) m_core->m_log.m_records[m_index].result = hr;
  return hr;
}

void CallScope::SetArgs(std::string text) { m_core->m_log.m_records[m_index].args = std::move(text); }

void CallScope::Render(std::string& text, LONG value) { text += std::to_string(value); }
void CallScope::Render(std::string& text, SHORT value) { text += std::to_string(value); }
void CallScope::Render(std::string& text, int64_t value) { text += std::to_string(value); }

void CallScope::Render(std::string& text, double value) {
  char buffer[32];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  text.append(buffer, result.ptr);
}

void CallScope::Render(std::string& text, const OLECHAR* value) {
  if (!value) {
    text += "null";
    return;
  }
  // Printable ASCII as it is; quotes, backslashes and everything else as \u{hex},
  // so that a test can match any text exactly.
  text += '"';
  for (const OLECHAR* c = value; *c; ++c) {
    const auto code = static_cast<uint32_t>(*c);
    if (code >= 0x20 && code < 0x7F && code != '"' && code != '\\') {
      text += static_cast<char>(code);
    } else {
      char buffer[16];
      std::snprintf(buffer, sizeof buffer, "\\u{%X}", static_cast<unsigned>(code));
      text += buffer;
    }
  }
  text += '"';
}

void CallScope::Render(std::string& text, IidArg value) {
  if (!value.p) {
    text += "null";
    return;
  }
  const IID& g = *value.p;
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", static_cast<unsigned>(g.Data1),
                static_cast<unsigned>(g.Data2), static_cast<unsigned>(g.Data3), g.Data4[0], g.Data4[1], g.Data4[2],
                g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
  text += buffer;
}

void CallScope::Render(std::string& text, OutArg value) { text += value.p ? "&" : "null"; }
void CallScope::Render(std::string& text, ObjArg value) { text += value.p ? "obj" : "null"; }

void CallScope::Render(std::string& text, DoublesArg value) {
  if (!value.p) {
    text += "null";
    return;
  }
  text += '[';
  for (int i = 0; i < value.count; ++i) {
    if (i) text += ',';
    Render(text, value.p[i]);
  }
  text += ']';
}

void CallScope::Render(std::string& text, LongsArg value) {
  if (!value.p) {
    text += "null";
    return;
  }
  text += '[';
  for (int i = 0; i < value.count; ++i) {
    if (i) text += ',';
    text += std::to_string(value.p[i]);
  }
  text += ']';
}

// --- HostCore -------------------------------------------------------------------------

HostCore::HostCore() = default;
HostCore::~HostCore() = default;

RoleState& HostCore::DeclareRole(const RoleInfo& role) {
  auto it = m_roles.find(std::string_view(role.name));
  if (it == m_roles.end()) it = m_roles.emplace(role.name, RoleState{}).first;
  it->second.info = &role;
  return it->second;
}

RoleState* HostCore::FindRole(std::string_view role) {
  auto it = m_roles.find(role);
  return it == m_roles.end() ? nullptr : &it->second;
}

const RoleState* HostCore::FindRole(std::string_view role) const {
  auto it = m_roles.find(role);
  return it == m_roles.end() ? nullptr : &it->second;
}

uint64_t HostCore::CallCount(std::string_view role, int method) const {
  const RoleState* state = FindRole(role);
  if (!state || method < 0 || method >= kTableSize) return 0;
  return state->counts[static_cast<size_t>(method)];
}

void HostCore::InjectFault(std::string_view role, int method, Fault fault) {
  RoleState* state = FindRole(role);
  if (!state) throw std::invalid_argument("stand-in host: no role named " + std::string(role));
  if (method < 0 || method >= kTableSize)
    throw std::invalid_argument("stand-in host: no position " + std::to_string(method) + " in " + std::string(role));
  if (method == 1 || method == 2)
    throw std::invalid_argument("stand-in host: AddRef and Release cannot fail");
  state->faults[method].push_back(fault);
}

void HostCore::ClearFaults() {
  for (auto& [name, state] : m_roles) state.faults.clear();
}

std::vector<std::string> HostCore::ReferenceProblems() const {
  std::vector<std::string> problems;
  for (const Face* f : m_faces) {
    if (f->clientRefs > 0) {
      problems.push_back(std::string(f->RoleName()) + " #" + std::to_string(f->ObjectId()) + ": " +
                         std::to_string(f->clientRefs) +
                         (f->clientRefs == 1 ? " reference not released" : " references not released"));
    }
  }
  problems.insert(problems.end(), m_overReleases.begin(), m_overReleases.end());
  return problems;
}

void HostCore::RecordSimple(Face* self, int method, HRESULT result) {
  RoleState& state = *self->state;
  ++state.counts[static_cast<size_t>(method)];
  if (m_mode != LogMode::Off) m_log.m_records.push_back(CallRecord{self->RoleName(), method, self->ObjectId(), {}, result});
}

}  // namespace standin
