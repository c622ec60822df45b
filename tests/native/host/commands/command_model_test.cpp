// The host's model of an add-in's commands: icon files read when taken, unique
// group ids and tab names, command ids, File Open items.
#include "CommandModel.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

using standin::CommandModel;
using standin::ReadIconFile;

namespace {

std::vector<uint8_t> Bitmap(int32_t width, int32_t height, uint16_t bits, uint32_t compression = 0) {
  const uint32_t rows = static_cast<uint32_t>(height < 0 ? -height : height);
  const uint32_t stride = ((static_cast<uint32_t>(width) * bits + 31) / 32) * 4;
  const uint32_t size = 54 + stride * rows;
  std::vector<uint8_t> b(size, 0);
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
  };
  b[0] = 'B';
  b[1] = 'M';
  put32(2, size);
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<uint32_t>(width));
  put32(22, static_cast<uint32_t>(height));
  b[26] = 1;
  b[28] = static_cast<uint8_t>(bits);
  put32(30, compression);
  return b;
}

class TempFile {
 public:
  explicit TempFile(const std::vector<uint8_t>& bytes) {
    static int counter = 0;
    m_path = std::filesystem::temp_directory_path() /
             ("standin-icon-" + std::to_string(std::random_device{}()) + "-" + std::to_string(++counter) + ".bmp");
    std::ofstream out(m_path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  ~TempFile() {
    std::error_code ignored;
    std::filesystem::remove(m_path, ignored);
  }
  std::wstring Path() const { return m_path.wstring(); }

 private:
  std::filesystem::path m_path;
};

TEST(HostIconFile, KeepsTheBytesAndJudgesTheBitmap) {
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    bool valid;
    int width, height, bits;
  };
  std::vector<uint8_t> truncated = Bitmap(24, 24, 24);
  truncated.resize(truncated.size() - 1);
  std::vector<uint8_t> notBm = Bitmap(16, 16, 24);
  notBm[0] = 'X';
  std::vector<uint8_t> headerOnly = Bitmap(16, 16, 24);
  headerOnly.resize(20);
  std::vector<uint8_t> twoPlanes = Bitmap(16, 16, 24);
  twoPlanes[26] = 2;
  const Case cases[] = {
      {"24-bit 16x16", Bitmap(16, 16, 24), true, 16, 16, 24},
      {"24-bit strip 96x24", Bitmap(96, 24, 24), true, 96, 24, 24},
      {"top-down 64x16", Bitmap(64, -16, 24), true, 64, 16, 24},
      {"32-bit bitfields", Bitmap(16, 16, 32, 3), true, 16, 16, 32},
      {"rows beyond the end", truncated, false, 0, 0, 0},
      {"no BM signature", notBm, false, 0, 0, 0},
      {"two planes", twoPlanes, false, 0, 0, 0},
      {"compressed", Bitmap(16, 16, 8, 1), false, 0, 0, 0},
      {"zero width", Bitmap(0, 16, 24), false, 0, 0, 0},
      {"empty file", {}, false, 0, 0, 0},
      {"header only", headerOnly, false, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFile file(c.bytes);
    standin::IconFile icon = ReadIconFile(file.Path());
    EXPECT_TRUE(icon.given);
    EXPECT_TRUE(icon.existed);
    EXPECT_EQ(icon.bytes, c.bytes);
    EXPECT_EQ(icon.validBitmap, c.valid);
    EXPECT_EQ(icon.width, c.width);
    EXPECT_EQ(icon.height, c.height);
    EXPECT_EQ(icon.bitCount, c.bits);
  }
}

TEST(HostIconFile, AMissingFileOrPathReadsAsAbsent) {
  for (const std::wstring& path : {std::wstring((std::filesystem::temp_directory_path() / "standin-no-such-icon.bmp").wstring()), std::wstring()}) {
    standin::IconFile icon = ReadIconFile(path);
    EXPECT_TRUE(icon.given);
    EXPECT_EQ(icon.path, path);
    EXPECT_FALSE(icon.existed);
    EXPECT_FALSE(icon.validBitmap);
    EXPECT_TRUE(icon.bytes.empty());
  }
}

TEST(HostIconFile, IsReadWhenTakenNotLater) {
  standin::IconFile icon;
  {
    TempFile file(Bitmap(16, 16, 24));
    icon = ReadIconFile(file.Path());
  }
  EXPECT_TRUE(icon.existed) << "the file is gone now, but it was there when taken";
  EXPECT_TRUE(icon.validBitmap);
}

TEST(HostCommandModel, GroupIdsAreUniqueAmongPresentGroups) {
  CommandModel m;
  auto g = m.CreateGroup(1, L"Plymora", L"tip", L"hint", -1);
  ASSERT_TRUE(g);
  EXPECT_EQ(g->title, L"Plymora");
  EXPECT_EQ(g->position, -1);
  EXPECT_FALSE(m.CreateGroup(1, L"again", L"", L"", 0)) << "a present group keeps its id";
  EXPECT_TRUE(m.CreateGroup(2, L"other", L"", L"", 0));
  EXPECT_EQ(m.Group(1), g);
  EXPECT_TRUE(m.RemoveGroup(1));
  EXPECT_TRUE(g->removed);
  EXPECT_FALSE(m.RemoveGroup(1)) << "a group is removed once";
  EXPECT_FALSE(m.Group(1));
  EXPECT_FALSE(m.RemoveGroup(5));
  auto again = m.CreateGroup(1, L"again", L"", L"", 0);
  ASSERT_TRUE(again) << "a removed group frees its id";
  EXPECT_NE(again, g);
  EXPECT_EQ(m.Groups().size(), 3u) << "removed groups stay visible to tests";
}

TEST(HostCommandModel, CommandsGetIndexesAndIdsOfTheirOwn) {
  CommandModel m;
  auto a = m.CreateGroup(1, L"A", L"", L"", -1);
  auto b = m.CreateGroup(2, L"B", L"", L"", -1);
  standin::CommandItem item;
  item.name = L"Import";
  EXPECT_EQ(m.AddCommand(*a, item), 0);
  EXPECT_EQ(m.AddCommand(*a, item), 1);
  EXPECT_EQ(m.AddCommand(*b, item), 0) << "indexes count per group";
  const LONG ids[] = {CommandModel::CommandId(*a, 0), CommandModel::CommandId(*a, 1), CommandModel::CommandId(*b, 0)};
  EXPECT_NE(ids[0], ids[1]);
  EXPECT_NE(ids[1], ids[2]);
  EXPECT_NE(ids[0], ids[2]);
  for (LONG id : ids) EXPECT_TRUE(m.IsCommandId(id));
  for (LONG bad : {-1, 2, 100}) EXPECT_EQ(CommandModel::CommandId(*a, bad), -1) << bad;
  EXPECT_FALSE(m.IsCommandId(0));
  m.RemoveGroup(1);
  EXPECT_FALSE(m.IsCommandId(ids[0])) << "a removed group's commands are gone";
}

TEST(HostCommandModel, TabNamesAreUniquePerDocumentType) {
  CommandModel m;
  auto t = m.AddTab(3, L"Plymora", false);
  ASSERT_TRUE(t);
  EXPECT_FALSE(t->madeByAddin);
  EXPECT_FALSE(m.AddTab(3, L"Plymora"));
  EXPECT_TRUE(m.AddTab(2, L"Plymora"));
  EXPECT_TRUE(m.AddTab(3, L"Other"));
  EXPECT_EQ(m.FindTab(3, L"Plymora"), t);
  EXPECT_FALSE(m.FindTab(1, L"Plymora"));
  EXPECT_FALSE(m.FindTab(3, L"plymora")) << "names compare exactly";
  EXPECT_EQ(m.TabCount(3), 2);
  EXPECT_EQ(m.TabCount(1), 0);
}

TEST(HostCommandModel, FileOpenItemsAreRemovedOnlyByAllFourKeys) {
  CommandModel m;
  m.AddFileOpenItem({7, L"Plymora_Open", L"OBJ (*.obj)", L"obj", L"", L""});
  m.AddFileOpenItem({7, L"Plymora_Open", L"OBJ (*.obj)", L"obj", L"", L""});
  struct Case {
    LONG cookie;
    const wchar_t *callback, *filter, *extension;
    bool removed;
  };
  const Case cases[] = {
      {8, L"Plymora_Open", L"OBJ (*.obj)", L"obj", false}, {7, L"Other", L"OBJ (*.obj)", L"obj", false},
      {7, L"Plymora_Open", L"OBJ", L"obj", false},         {7, L"Plymora_Open", L"OBJ (*.obj)", L"OBJ", false},
      {7, L"Plymora_Open", L"OBJ (*.obj)", L"obj", true},
  };
  for (const Case& c : cases) EXPECT_EQ(m.RemoveFileOpenItem(c.cookie, c.callback, c.filter, c.extension), c.removed);
  EXPECT_EQ(m.FileOpenItems().size(), 1u) << "one removal removes one item";
}

}  // namespace
