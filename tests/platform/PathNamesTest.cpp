// How paths name devices, files inside volumes and host files.
#include <gtest/gtest.h>

#include "platform/PathNames.h"

namespace tarvosk {
namespace {

TEST(PathNames, DevicePaths) {
  ParsedPath v = parsePath(u"\\\\.\\e:");
  EXPECT_EQ(v.kind, PathKind::Volume);
  EXPECT_EQ(v.letter, u'E');
  ParsedPath p = parsePath(u"\\\\.\\PhysicalDrive12");
  EXPECT_EQ(p.kind, PathKind::PhysicalDrive);
  EXPECT_EQ(p.driveNumber, 12);
  EXPECT_EQ(parsePath(u"\\\\.\\physicaldrive3").driveNumber, 3);
  EXPECT_EQ(parsePath(u"\\\\.\\PhysicalDrive").kind, PathKind::Invalid);
  EXPECT_EQ(parsePath(u"\\\\.\\PhysicalDrive1x").kind, PathKind::Invalid);
  EXPECT_EQ(parsePath(u"\\\\.\\PhysicalDrive99999999999").kind, PathKind::Invalid);
  EXPECT_EQ(parsePath(u"\\\\.\\VWIN32").kind, PathKind::Vwin32);
  EXPECT_EQ(parsePath(u"\\\\.\\C:\\").kind, PathKind::Invalid);
}

TEST(PathNames, DrivePathsResolveDotsWithoutLeavingTheRoot) {
  ParsedPath a = parsePath(u"c:\\RECYCLED\\INFO2");
  EXPECT_EQ(a.kind, PathKind::DrivePath);
  EXPECT_EQ(a.letter, u'C');
  EXPECT_EQ(a.inner, u"RECYCLED\\INFO2");
  EXPECT_EQ(parsePath(u"C:/a//b/./c/").inner, u"a\\b\\c");
  EXPECT_EQ(parsePath(u"C:\\a\\..\\..\\..\\b").inner, u"b");
  EXPECT_EQ(parsePath(u"C:").inner, u"");
  EXPECT_EQ(parsePath(u"C:\\").inner, u"");
  EXPECT_EQ(parsePath(u"\\\\?\\C:\\x").inner, u"x");
  EXPECT_EQ(parsePath(u"C:x").kind, PathKind::Invalid);
}

TEST(PathNames, HostPathsUseSlashes) {
  ParsedPath h = parsePath(u"/tmp\\out\\文件.txt");
  EXPECT_EQ(h.kind, PathKind::Host);
  EXPECT_EQ(h.host, "/tmp/out/文件.txt");
  EXPECT_EQ(parsePath(u"").kind, PathKind::Invalid);
}

TEST(PathNames, SplittingGivesDriveFolderNameAndExtension) {
  PathParts p = splitPath(u"C:\\Docs\\old\\a.b.txt");
  EXPECT_EQ(p.drive, u"C:");
  EXPECT_EQ(p.folder, u"\\Docs\\old\\");
  EXPECT_EQ(p.name, u"a.b");
  EXPECT_EQ(p.extension, u".txt");
  PathParts bare = splitPath(u"README");
  EXPECT_EQ(bare.name, u"README");
  EXPECT_TRUE(bare.drive.empty() && bare.folder.empty() && bare.extension.empty());
  PathParts dotDir = splitPath(u"x:/a.d/file");
  EXPECT_EQ(dotDir.folder, u"/a.d/");
  EXPECT_EQ(dotDir.extension, u"") << "a dot in a folder is no extension";
}

TEST(PathNames, WildcardsMatchAsWindowsDoes) {
  EXPECT_TRUE(matchesWildcard(u"*.jpg", u"IMG_0001.JPG"));
  EXPECT_FALSE(matchesWildcard(u"*.jpg", u"a.jpeg"));
  EXPECT_TRUE(matchesWildcard(u"*.*", u"README"));
  EXPECT_TRUE(matchesWildcard(u"file?.doc", u"file1.doc"));
  EXPECT_FALSE(matchesWildcard(u"file?.doc", u"file10.doc"));
  EXPECT_TRUE(matchesWildcard(u"*a*b*c", u"xxaxxbxxc"));
  EXPECT_FALSE(matchesWildcard(u"*a*b*c", u"xxaxxcxxb"));
  EXPECT_TRUE(matchesWildcard(u"Dc*", u"DC1.JPG"));
  EXPECT_TRUE(matchesWildcard(u"*", u""));
  EXPECT_FALSE(matchesWildcard(u"?", u""));
  // A pathological pattern finishes quickly.
  std::u16string name(5000, u'a');
  EXPECT_FALSE(matchesWildcard(u"*a*a*a*a*a*a*a*a*b", name));
}

TEST(PathNames, CaseFoldingCoversLatinGreekCyrillicAndFullWidth) {
  EXPECT_TRUE(equalsIgnoreCase(u"Ünïcode", u"üNÏCODE"));
  EXPECT_TRUE(equalsIgnoreCase(u"αβγ", u"ΑΒΓ"));
  EXPECT_TRUE(equalsIgnoreCase(u"файл", u"ФАЙЛ"));
  EXPECT_TRUE(equalsIgnoreCase(u"ａｂ", u"ＡＢ"));
  EXPECT_FALSE(equalsIgnoreCase(u"÷", u"×"));
  EXPECT_FALSE(equalsIgnoreCase(u"ab", u"abc"));
}

}  // namespace
}  // namespace tarvosk
