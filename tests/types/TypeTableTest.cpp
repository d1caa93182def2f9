// The process's registry: the 22 types in their order, as the scan wizard's type tree shows them.
#include <gtest/gtest.h>

#include <map>

#include "platform/CodePage.h"
#include "types/TypeTable.h"

namespace tarvosk {
namespace {

TEST(TypeTable, TwentyTwoTypesInTheirOrderUnderFourCategories) {
  FilterRegistry& r = filterRegistry();
  ASSERT_EQ(r.count(), 22u);
  const char16_t* extensions[] = {u".bmp", u".jpg", u".crw", u".cr2", u".x3f", u".nef", u".orf", u".dcr",
                                  u".tif", u".doc", u".xls", u".ppt", u".pub", u".stg", u".rtf", u".html",
                                  u".xml", u".txt", u".mp3", u".avi", u".pdf", u".zip"};
  std::vector<std::u16string> categories;
  for (std::size_t i = 0; i < r.count(); ++i) {
    EXPECT_EQ(r.item(i)->GetExtension(), extensions[i]) << i;
    std::u16string c(r.item(i)->GetCategory());
    if (std::find(categories.begin(), categories.end(), c) == categories.end()) categories.push_back(c);
  }
  EXPECT_EQ(categories, (std::vector<std::u16string>{u"图像和数码相机", u"文档", u"音乐和视频", u"压缩包"}));
  EXPECT_EQ(r.item(1)->GetName(), u"Jpeg 图像");
  EXPECT_EQ(r.item(13)->GetName(), u"无法识别的文档");
  EXPECT_EQ(r.item(8)->children.size(), 4u) << "TIFF presents four camera-raw types";
  EXPECT_EQ(r.item(13)->children.size(), 4u);
  EXPECT_EQ(r.item(17)->children.size(), 3u);
}

TEST(TypeTable, ATiffChildKeepsTheParentFedWhileTheParentsOwnTypeIsOff) {
  FilterRegistry& r = filterRegistry();
  r.EnableAll(false);
  r.item(5)->enabled = true;  // NEF only
  r.ResetAll();
  EXPECT_TRUE(r.isActive(8)) << "the TIFF parser runs for NEF";
  EXPECT_FALSE(r.isActive(1));
  r.EnableAll(true);
  r.ResetAll();
}

}  // namespace
}  // namespace tarvosk
