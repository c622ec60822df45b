// What the stand-in host keeps of an add-in's connection to it: the callback
// registration, File Open items, and the command manager's groups, commands, tabs
// and tab boxes. The host's role objects (command manager, group, tab, box and the
// application's entries 155, 178, 231, 247) are thin entries over this model; the
// model itself is plain data that tests read after the calls.
//
// Rules the model keeps, as a host would:
// - a command group takes an icon file by path and reads it at once, so the file
//   must exist at that moment (the bytes, the size and whether they form a valid
//   bitmap are kept; a later deletion of the file does not matter);
// - a command group's user id is unique among the groups present; a removed group
//   frees its id;
// - a tab name is unique per document type; asking for a missing tab gives null;
// - command ids are handed out by the host, one per command item, never reused.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ComBase.h"

namespace standin {

// An icon file as the group read it when it took the path.
struct IconFile {
  bool given = false;    // the group was handed a path (possibly null or empty)
  std::wstring path;     // as given; empty for a null path
  bool existed = false;  // the file could be read at that moment
  std::vector<uint8_t> bytes;
  // A Windows bitmap file: "BM", a BITMAPINFOHEADER, one plane, BI_RGB or
  // BI_BITFIELDS, and pixel rows that fit in the file.
  bool validBitmap = false;
  int width = 0;
  int height = 0;  // as a positive number of rows
  int bitCount = 0;
};

// Reads and checks an icon file (path in the platform's form).
IconFile ReadIconFile(const std::wstring& path);

struct CommandItem {
  std::wstring name;
  LONG position = 0;
  std::wstring hint;
  std::wstring tooltip;
  LONG imageIndex = 0;
  std::wstring callback;
  std::wstring enableMethod;
  LONG userId = 0;
  LONG options = 0;
  LONG index = 0;      // given back by group method 34
  LONG commandId = 0;  // given back by group method 36
};

struct CommandGroup {
  LONG userId = 0;
  std::wstring title;
  std::wstring tooltip;
  std::wstring hint;
  LONG position = 0;
  IconFile smallIconList;  // method 18
  IconFile largeIconList;  // method 16
  IconFile largeMainIcon;  // method 14
  IconFile smallMainIcon;  // method 12
  bool maskColorSet = false;
  LONG maskColor = 0;  // method 20
  bool hasToolbarSet = false;
  LONG hasToolbar = 0;  // method 27
  bool hasMenuSet = false;
  LONG hasMenu = 0;    // method 29
  int activations = 0;  // method 10
  bool removed = false;  // manager method 8
  std::vector<CommandItem> items;
};

struct CommandTabBox {
  std::vector<LONG> commandIds;
  std::vector<LONG> textTypes;
  int additions = 0;  // calls of box method 8
};

struct CommandTab {
  LONG documentType = 0;
  std::wstring name;
  bool madeByAddin = false;  // made by manager method 18, not present beforehand
  std::vector<std::shared_ptr<CommandTabBox>> boxes;
};

struct FileOpenItem {
  LONG cookie = 0;
  std::wstring callback;
  std::wstring filter;
  std::wstring extension;
  std::wstring description;
  std::wstring hint;
};

class CommandModel {
 public:
  // --- command manager --------------------------------------------------------------
  // A new group, or null when a present group has that user id.
  std::shared_ptr<CommandGroup> CreateGroup(LONG userId, std::wstring title, std::wstring tooltip, std::wstring hint,
                                            LONG position);
  // Removes the present group with that user id; false when there is none.
  bool RemoveGroup(LONG userId);
  // The present (not removed) group with that user id, or null.
  std::shared_ptr<CommandGroup> Group(LONG userId) const;
  // Every group made, removed ones included, in the order made.
  const std::vector<std::shared_ptr<CommandGroup>>& Groups() const { return m_groups; }

  LONG TabCount(LONG documentType) const;
  std::shared_ptr<CommandTab> FindTab(LONG documentType, const std::wstring& name) const;
  // A new tab, or null when the document type has a tab of that name already.
  std::shared_ptr<CommandTab> AddTab(LONG documentType, std::wstring name, bool byAddin = true);
  const std::vector<std::shared_ptr<CommandTab>>& Tabs() const { return m_tabs; }

  // --- command group ----------------------------------------------------------------
  // The item's index in its group; its command id is made at the same time.
  LONG AddCommand(CommandGroup& group, CommandItem item);
  // The command id of the item at that index, or -1 for no such item.
  static LONG CommandId(const CommandGroup& group, LONG index);
  // True when some present group has a command with that id.
  bool IsCommandId(LONG id) const;

  // --- File Open items --------------------------------------------------------------
  void AddFileOpenItem(FileOpenItem item);
  // Removes the first item equal in cookie, callback, filter and extension.
  bool RemoveFileOpenItem(LONG cookie, const std::wstring& callback, const std::wstring& filter,
                          const std::wstring& extension);
  const std::vector<FileOpenItem>& FileOpenItems() const { return m_fileOpenItems; }

 private:
  std::vector<std::shared_ptr<CommandGroup>> m_groups;
  std::vector<std::shared_ptr<CommandTab>> m_tabs;
  std::vector<FileOpenItem> m_fileOpenItems;
  LONG m_nextCommandId = 0x7100;  // far from the small numbers of indexes and user ids
};

}  // namespace standin
