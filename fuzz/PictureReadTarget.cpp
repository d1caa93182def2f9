// Reading found pictures into memory for the preview, on an in-memory image: after each scan the
// image's options ask for, every file entry is read; a read gives exactly the entry's size, or
// nothing with the message the user would see.
#include "FuzzTarget.h"
#include "ImageScan.h"
#include "MemoryImage.h"
#include "viewers/PictureBytes.h"

using namespace tarvosk;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::registerFileSystemProvidersOnce();
  fuzz::MemoryImage image(ByteSpan(data, size));
  if (!image.attach()) return 0;
  CFileList lists;
  fuzz::scanImage(lists, image.options(), [](DriveFileList& list) {
    std::vector<std::uint8_t> bytes;
    for (const FileEntry& entry : list) {
      if (entry.isFolder) continue;
      PictureRead read = readPictureBytes(entry, bytes);
      if (read == PictureRead::Read) fuzz::require(bytes.size() == entry.size, "a read picture has the entry's size");
      else fuzz::require(bytes.empty() && pictureReadMessage(read) != 0, "a failed read keeps nothing and says why");
    }
  });
  return 0;
}
