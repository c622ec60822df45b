#include "CommandModel.h"

#include <cstdio>
#include <cstring>

#include "CString.h"

namespace standin {
namespace {

FILE* OpenForReading(const std::wstring& path) {
#ifdef _WIN32
  return _wfopen(path.c_str(), L"rb");
#else
  // The file system takes UTF-8.
  const std::string utf8 = CString(std::wstring(path)).ToUtf8();
  return std::fopen(utf8.c_str(), "rb");
#endif
}

uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
  return static_cast<uint32_t>(b[at]) | static_cast<uint32_t>(b[at + 1]) << 8 | static_cast<uint32_t>(b[at + 2]) << 16 |
         static_cast<uint32_t>(b[at + 3]) << 24;
}
uint16_t U16(const std::vector<uint8_t>& b, size_t at) {
  return static_cast<uint16_t>(b[at] | b[at + 1] << 8);
}

void CheckBitmap(IconFile& f) {
  const std::vector<uint8_t>& b = f.bytes;
  constexpr size_t kFileHeader = 14, kInfoHeader = 40;
  if (b.size() < kFileHeader + kInfoHeader || b[0] != 'B' || b[1] != 'M') return;
  const uint32_t offBits = U32(b, 10);
  const uint32_t infoSize = U32(b, 14);
  const int32_t width = static_cast<int32_t>(U32(b, 18));
  const int32_t height = static_cast<int32_t>(U32(b, 22));
  const uint16_t planes = U16(b, 26);
  const uint16_t bitCount = U16(b, 28);
  const uint32_t compression = U32(b, 30);
  if (infoSize < kInfoHeader || planes != 1 || width <= 0 || height == 0 || height == INT32_MIN) return;
  if (compression != 0 && compression != 3) return;
  if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32) return;
  const uint64_t rows = static_cast<uint64_t>(height < 0 ? -static_cast<int64_t>(height) : height);
  const uint64_t stride = ((static_cast<uint64_t>(width) * bitCount + 31) / 32) * 4;
  if (offBits < kFileHeader + infoSize || offBits + stride * rows > b.size()) return;
  f.validBitmap = true;
  f.width = width;
  f.height = static_cast<int>(rows);
  f.bitCount = bitCount;
}

}  // namespace

IconFile ReadIconFile(const std::wstring& path) {
  IconFile f;
  f.given = true;
  f.path = path;
  if (path.empty()) return f;
  FILE* file = OpenForReading(path);
  if (!file) return f;
  f.existed = true;
  uint8_t chunk[4096];
  size_t n = 0;
  while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) f.bytes.insert(f.bytes.end(), chunk, chunk + n);
  std::fclose(file);
  CheckBitmap(f);
  return f;
}

std::shared_ptr<CommandGroup> CommandModel::CreateGroup(LONG userId, std::wstring title, std::wstring tooltip,
                                                        std::wstring hint, LONG position) {
  if (Group(userId)) return nullptr;
  auto g = std::make_shared<CommandGroup>();
  g->userId = userId;
  g->title = std::move(title);
  g->tooltip = std::move(tooltip);
  g->hint = std::move(hint);
  g->position = position;
  m_groups.push_back(g);
  return g;
}

bool CommandModel::RemoveGroup(LONG userId) {
  std::shared_ptr<CommandGroup> g = Group(userId);
  if (!g) return false;
  g->removed = true;
  return true;
}

std::shared_ptr<CommandGroup> CommandModel::Group(LONG userId) const {
  for (const auto& g : m_groups)
    if (g->userId == userId && !g->removed) return g;
  return nullptr;
}

LONG CommandModel::TabCount(LONG documentType) const {
  LONG n = 0;
  for (const auto& t : m_tabs)
    if (t->documentType == documentType) ++n;
  return n;
}

std::shared_ptr<CommandTab> CommandModel::FindTab(LONG documentType, const std::wstring& name) const {
  for (const auto& t : m_tabs)
    if (t->documentType == documentType && t->name == name) return t;
  return nullptr;
}

std::shared_ptr<CommandTab> CommandModel::AddTab(LONG documentType, std::wstring name, bool byAddin) {
  if (FindTab(documentType, name)) return nullptr;
  auto t = std::make_shared<CommandTab>();
  t->documentType = documentType;
  t->name = std::move(name);
  t->madeByAddin = byAddin;
  m_tabs.push_back(t);
  return t;
}

LONG CommandModel::AddCommand(CommandGroup& group, CommandItem item) {
  item.index = static_cast<LONG>(group.items.size());
  item.commandId = m_nextCommandId++;
  group.items.push_back(std::move(item));
  return group.items.back().index;
}

LONG CommandModel::CommandId(const CommandGroup& group, LONG index) {
  if (index < 0 || static_cast<size_t>(index) >= group.items.size()) return -1;
  return group.items[static_cast<size_t>(index)].commandId;
}

bool CommandModel::IsCommandId(LONG id) const {
  for (const auto& g : m_groups) {
    if (g->removed) continue;
    for (const CommandItem& i : g->items)
      if (i.commandId == id) return true;
  }
  return false;
}

void CommandModel::AddFileOpenItem(FileOpenItem item) { m_fileOpenItems.push_back(std::move(item)); }

bool CommandModel::RemoveFileOpenItem(LONG cookie, const std::wstring& callback, const std::wstring& filter,
                                      const std::wstring& extension) {
  for (auto it = m_fileOpenItems.begin(); it != m_fileOpenItems.end(); ++it) {
    if (it->cookie == cookie && it->callback == callback && it->filter == filter && it->extension == extension) {
      m_fileOpenItems.erase(it);
      return true;
    }
  }
  return false;
}

}  // namespace standin
