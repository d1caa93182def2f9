// The cell texts of the file list view, formatted from an entry when the view asks for them.
// The search results view and the command-line listing share the size, date and condition rules.
#pragma once

#include <cstdint>
#include <string>

#include "platform/WinTypes.h"
#include "scan/FileEntry.h"

namespace tarvosk {

// "%d 字节" below 1024 bytes, "%.1f KB" below 1 MiB, "%.1f MB" from there on: a file's size in
// the file list and in the search results.
std::u16string sizeText(std::uint64_t bytes);
// The file list's size cell: sizeText for files, empty for folders.
std::u16string fileSizeText(const FileEntry& entry);

// "已删除的文件夹", "文件夹", "已删除的文件 (DOC)" (the extension in upper case, when the
// name has one), or nothing for a file that is not deleted.
std::u16string fileTypeText(const FileEntry& entry);

// The name's extension without its dot ("" when it has none): what follows the last ".".
std::u16string_view nameExtension(std::u16string_view name);

// The local modification time as "dd/mm/yyyy  hh:mm"; empty when the entry has no readable time.
std::u16string modifiedText(const FileEntry& entry);
// The same from a local time.
std::u16string modifiedText(const FILETIME& local);

// The recovery chance text of a deleted file (rating an NTFS file on first use); empty for
// folders, files that are not deleted, and while the setting hides chances.
std::u16string conditionText(FileEntry& entry);

}  // namespace tarvosk
