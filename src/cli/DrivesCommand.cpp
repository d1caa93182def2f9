#include "cli/DrivesCommand.h"

#include <cstdio>

#include "cli/JsonText.h"
#include "platform/CodePage.h"
#include "platform/DriveNamespace.h"
#include "platform/VolumeProbe.h"

namespace tarvosk::cli {

namespace {

std::string hex2(unsigned v) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "0x%02X", v & 0xFF);
  return buf;
}

std::string sizeText(std::uint64_t bytes) {
  const char* units[] = {"B", "KiB", "MiB", "GiB", "TiB"};
  double v = static_cast<double>(bytes);
  int u = 0;
  while (v >= 1024 && u < 4) {
    v /= 1024;
    ++u;
  }
  char buf[32];
  std::snprintf(buf, sizeof buf, u == 0 ? "%.0f %s" : "%.1f %s", v, units[u]);
  return buf;
}


// The ids are the drive arguments the other commands take.
std::string letterText(const LogicalDriveInfo& d) { return utf16ToUtf8(std::u16string(1, d.letter)) + ":"; }
std::string physicalId(const PhysicalDriveInfo& p) { return "PhysicalDrive" + std::to_string(p.number); }

}  // namespace

int listDrives(const std::string& format, std::ostream& out, std::ostream& err) {
  auto logical = logicalDrives();
  auto physical = physicalDrives();
  if (format == "tsv") {
    out << "kind\tid\tsize_bytes\tfile_system\tpartition_type\toffset_bytes\tphysical_drive\tremovable\tmodel\n";
    for (const auto& d : logical)
      out << "logical\t" << letterText(d) << '\t' << d.length << '\t' << fileSystemName(d.fileSystem) << '\t'
          << hex2(d.partitionType) << '\t' << d.offset << '\t' << d.physicalDrive << '\t' << (d.removable ? "yes" : "no")
          << "\t\n";
    for (const auto& p : physical)
      out << "physical\t" << physicalId(p) << '\t' << p.sizeBytes << "\t\t\t\t\t" << (p.removable ? "yes" : "no") << '\t'
          << p.model << '\n';
  } else if (format == "json") {
    out << "{\"logical\":[";
    for (std::size_t i = 0; i < logical.size(); ++i) {
      const auto& d = logical[i];
      out << (i ? "," : "") << "{\"id\":" << jsonString(letterText(d)) << ",\"letter\":" << jsonString(letterText(d))
          << ",\"size_bytes\":" << d.length
          << ",\"file_system\":" << jsonString(fileSystemName(d.fileSystem)) << ",\"partition_type\":" << unsigned(d.partitionType)
          << ",\"offset_bytes\":" << d.offset << ",\"physical_drive\":" << d.physicalDrive
          << ",\"removable\":" << (d.removable ? "true" : "false") << "}";
    }
    out << "],\"physical\":[";
    for (std::size_t i = 0; i < physical.size(); ++i) {
      const auto& p = physical[i];
      out << (i ? "," : "") << "{\"id\":" << jsonString(physicalId(p)) << ",\"number\":" << p.number
          << ",\"name\":" << jsonString("硬盘 " + std::to_string(p.number))
          << ",\"size_bytes\":" << p.sizeBytes << ",\"model\":" << jsonString(p.model)
          << ",\"removable\":" << (p.removable ? "true" : "false") << "}";
    }
    out << "]}\n";
  } else if (format == "text") {
    out << "逻辑驱动器\n";
    for (const auto& d : logical)
      out << "  " << letterText(d) << "  " << sizeText(d.length) << "  " << fileSystemName(d.fileSystem) << "  分区类型 "
          << hex2(d.partitionType) << "  偏移 " << d.offset << "  硬盘 " << d.physicalDrive << (d.removable ? "  可移动" : "")
          << '\n';
    out << "物理驱动器\n";
    for (const auto& p : physical)
      out << "  硬盘 " << p.number << "  " << sizeText(p.sizeBytes) << "  " << p.model << (p.removable ? "  可移动" : "")
          << '\n';
  } else {
    err << "未知格式: " << format << "（可用 text、tsv、json）\n";
    return 2;
  }
  return 0;
}

}  // namespace tarvosk::cli
