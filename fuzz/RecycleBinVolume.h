// What the recycle bin targets share: drive C: over an in-memory volume whose files a target
// serves, and a file list with a root and the folder Docs for the listed items to land in.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "scan/DriveFileList.h"
#include "support/MemoryVolume.h"

namespace tarvosk::fuzz {

constexpr std::uint64_t kDocsId = 7;

// Attaches, the first time only, a small FAT volume as drive C: whose boot sector carries
// oemName (8 characters); make() fills its files afresh on every mount.
void attachRecycleBinVolume(const char* oemName, std::function<std::unique_ptr<test::MemoryVolume>()> make);

// The root (id 5) holding the folder Docs (kDocsId).
std::unique_ptr<DriveFileList> listWithDocsFolder();

// Aborts unless every child that a folder names is in the list.
void requireEveryChildListed(const DriveFileList& list);

}  // namespace tarvosk::fuzz
