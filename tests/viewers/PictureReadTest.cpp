// Reading deleted pictures into memory for the preview: every kind of entry gives exactly the
// file's bytes, or the reason it cannot (strings 19, 161, 162), on volumes made by mtools and
// ntfs-3g.
#include "platform/CodePage.h"
#include "recover/ScannedImageTest.h"
#include "res/StringIds.h"
#include "res/StringTable.h"
#include "viewers/PictureBytes.h"

namespace tarvosk::test {
namespace {

class PictureReadTest : public ScannedImageTest {
 protected:
  static std::vector<std::uint8_t> previewFile(const std::string& name) {
    return readWholeFile(fixturePath("preview-files/" + name));
  }
  static std::vector<std::uint8_t> read(const FileEntry& entry, PictureRead expected = PictureRead::Read) {
    std::vector<std::uint8_t> bytes;
    EXPECT_EQ(readPictureBytes(entry, bytes), expected) << utf16ToUtf8(entry.name.str());
    return bytes;
  }
};

TEST_F(PictureReadTest, DeletedFatPicturesReadAsTheyWereWrittenUpToTenMillionBytes) {
  DriveFileList& list = scan("preview-fat.img");
  const std::pair<const char*, const char*> pictures[] = {
      {"the photo.jpg", "photo.jpg"},       {"the picture.png", "picture.png"}, {"the picture.tif", "picture.tif"},
      {"the picture.bmp", "picture.bmp"},   {"the picture.gif", "picture.gif"}, {"the picture.pcx", "picture.pcx"},
      {"the picture.pnm", "picture.pnm"},   {"16 colours.pcx", "planes.pcx"},   {"cut short.jpg", "cut.jpg"},
      {"at the limit.jpg", "limit.jpg"},
  };
  for (auto [listed, original] : pictures)
    EXPECT_EQ(read(mustFind(list, std::string("Pictures/") + listed)), previewFile(original)) << listed;
  EXPECT_TRUE(read(mustFind(list, "Pictures/over the limit.jpg"), PictureRead::TooLarge).empty());
  EXPECT_EQ(pictureReadMessage(PictureRead::TooLarge), 19u);
}

TEST_F(PictureReadTest, NtfsPicturesReadFromTheirRunsOrTheirRecordButNotWhenCompressed) {
  DriveFileList& list = scan("preview-ntfs.img");
  EXPECT_EQ(read(mustFind(list, "the picture.png")), previewFile("picture.png"));
  EXPECT_EQ(read(mustFind(list, "tiny.gif")), previewFile("tiny.gif")) << "resident";
  EXPECT_TRUE(read(mustFind(list, "comp/the picture.bmp"), PictureRead::Compressed).empty());
  EXPECT_EQ(pictureReadMessage(PictureRead::Compressed), 162u);
  // Sparse runs read as the zeros they stand for.
  DriveFileList& other = scan("recover-ntfs.img");
  EXPECT_EQ(read(mustFind(other, "sparse.bin")), original("sparse.bin"));
}

TEST_F(PictureReadTest, APictureCarvedByAPhysicalScanReadsFromItsStartCluster) {
  attachFixture("preview-fat.img");
  ASSERT_TRUE(lists.BuildFileList(u"C:", progress, true, 0, 0));
  DriveFileList& list = *lists.GetDriveList(u"C:");
  const std::vector<std::uint8_t> photo = previewFile("photo.jpg");
  int found = 0;
  for (const FileEntry& entry : list)
    if (!entry.isFolder && entry.size == photo.size() && read(entry) == photo) ++found;
  EXPECT_GE(found, 1) << "the photo and the padded copies all start with it";
}

TEST_F(PictureReadTest, AnUnreadableClusterGives161) {
  const std::uint64_t sector = firstSectorOf("preview-fat.img", "Pictures/the photo.jpg");
  attachFixture("preview-fat.img", AttachOptions{.removable = false, .badSectors = {{sector, 1}}});
  ASSERT_TRUE(lists.BuildFileList(u"C:", progress, false, 0, 0));
  EXPECT_TRUE(read(mustFind(*lists.GetDriveList(u"C:"), "Pictures/the photo.jpg"), PictureRead::DataUnreadable).empty());
  EXPECT_EQ(pictureReadMessage(PictureRead::DataUnreadable), 161u);
}

}  // namespace
}  // namespace tarvosk::test
