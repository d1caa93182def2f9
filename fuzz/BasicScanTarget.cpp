// The whole scan of an in-memory image: the basic scan of its volume and, as the image's options
// ask, carving scans of the volume and of the physical drive.
#include "FuzzTarget.h"
#include "ImageScan.h"
#include "MemoryImage.h"

using namespace tarvosk;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::registerFileSystemProvidersOnce();
  fuzz::MemoryImage image(ByteSpan(data, size));
  if (!image.attach()) return 0;
  CFileList lists;
  fuzz::scanImage(lists, image.options(), [](DriveFileList&) {});
  return 0;
}
