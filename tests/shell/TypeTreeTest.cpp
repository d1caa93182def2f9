// The scan wizard's type tree as it is read from the process's registry and written back.
#include <gtest/gtest.h>

#include "shell/TypeTree.h"
#include "types/TypeTable.h"

namespace tarvosk {
namespace {

class TypeTreeTest : public ::testing::Test {
 protected:
  void TearDown() override { filterRegistry().EnableAll(true); }
};

TEST_F(TypeTreeTest, FourCategoriesInRegistryOrderHoldTheTwentyTwoTypes) {
  TypeTree tree(filterRegistry());
  std::vector<std::u16string> categories;
  for (const TypeTreeCategory& c : tree.categories()) categories.push_back(c.text);
  EXPECT_EQ(categories, (std::vector<std::u16string>{u"图像和数码相机", u"文档", u"音乐和视频", u"压缩包"}));
  EXPECT_EQ(tree.itemCount(), 22u);
  ASSERT_EQ(tree.categories()[0].items.size(), 9u);
  EXPECT_EQ(tree.categories()[0].items[1].text, u"Jpeg 图像 (.jpg)");
  const TypeTreeCategory& documents = tree.categories()[1];
  ASSERT_EQ(documents.items.size(), 10u) << "PDF joins the documents after the music and video types";
  EXPECT_EQ(documents.items[4].text, u"无法识别的文档 (.stg)");
  EXPECT_EQ(documents.items.back().text, u"PDF 文档 (.pdf)");
  EXPECT_EQ(documents.items.back().registryIndex, 20u);
  EXPECT_EQ(tree.categories()[2].items[0].text, u"MP3 文件 (.mp3)");
  EXPECT_EQ(tree.categories()[3].items[0].text, u"ZIP 文件 (.zip)");
  for (const TypeTreeCategory& c : tree.categories())
    for (const TypeTreeItem& item : c.items) {
      CTypeFilter* type = filterRegistry().item(item.registryIndex);
      ASSERT_NE(type, nullptr);
      EXPECT_EQ(type->GetCategory(), c.text) << "an item sits under its own type's category";
    }
}

TEST_F(TypeTreeTest, EveryTypeStartsCheckedWhateverTheFlagsWere) {
  filterRegistry().EnableAll(false);
  TypeTree tree(filterRegistry());
  for (const TypeTreeCategory& c : tree.categories()) EXPECT_EQ(c.check(), TriState::Checked);
  EXPECT_TRUE(tree.anyChecked());
}

TEST_F(TypeTreeTest, CategoryShowsTheCombinedStateOfItsItems) {
  TypeTree tree(filterRegistry());
  tree.itemFor(1)->checked = false;
  EXPECT_EQ(tree.categories()[0].check(), TriState::Mixed);
  tree.setCategoryChecked(0, false);
  EXPECT_EQ(tree.categories()[0].check(), TriState::Unchecked);
  EXPECT_EQ(tree.categories()[1].check(), TriState::Checked);
  for (std::size_t c = 1; c < tree.categories().size(); ++c) tree.setCategoryChecked(c, false);
  EXPECT_FALSE(tree.anyChecked()) << "Finish stays disabled without a type";
  EXPECT_EQ(tree.itemFor(22), nullptr);
}

TEST_F(TypeTreeTest, CheckUncheckAndToggleActOnATypeOrAWholeCategory) {
  TypeTree tree(filterRegistry());
  const TypeTreeNode pictures{0, std::nullopt}, jpeg{0, 1}, bmp{0, 0}, documents{1, std::nullopt};
  tree.setState(jpeg, TriStateAction::Check);
  EXPECT_EQ(tree.state(pictures), TriState::Checked) << "checking a checked type does nothing";
  tree.setState(jpeg, TriStateAction::Toggle);
  EXPECT_FALSE(tree.isChecked(jpeg));
  EXPECT_EQ(tree.state(pictures), TriState::Mixed);
  EXPECT_FALSE(tree.isChecked(pictures));
  tree.setState(pictures, TriStateAction::Toggle);
  EXPECT_EQ(tree.state(pictures), TriState::Checked) << "a mixed category toggled checks all its types";
  EXPECT_TRUE(tree.isChecked(jpeg));
  tree.setState(pictures, TriStateAction::Toggle);
  EXPECT_EQ(tree.state(pictures), TriState::Unchecked);
  EXPECT_FALSE(tree.isChecked(bmp));
  tree.setState(bmp, TriStateAction::Uncheck);
  EXPECT_FALSE(tree.isChecked(bmp));
  tree.setState(bmp, TriStateAction::Check);
  EXPECT_EQ(tree.state(pictures), TriState::Mixed);
  tree.setState(documents, TriStateAction::Uncheck);
  EXPECT_EQ(tree.state(documents), TriState::Unchecked);
  EXPECT_EQ(tree.state({1, 0}), TriState::Unchecked);
  tree.setState(pictures, TriStateAction::Check);
  EXPECT_EQ(tree.state(pictures), TriState::Checked);
  EXPECT_EQ(tree.state(documents), TriState::Unchecked) << "another category stays as it was";
}

TEST_F(TypeTreeTest, FinishWritesEachCheckIntoItsRecognisersFlag) {
  TypeTree tree(filterRegistry());
  tree.setCategoryChecked(1, false);
  tree.itemFor(5)->checked = false;  // NEF
  tree.applyTo(filterRegistry());
  FilterRegistry& registry = filterRegistry();
  for (std::size_t i = 0; i < registry.count(); ++i) {
    const bool document = registry.item(i)->GetCategory() == u"文档";
    EXPECT_EQ(registry.item(i)->enabled, !document && i != 5) << i;
  }
  registry.ResetAll();
  EXPECT_TRUE(registry.isActive(8)) << "TIFF is still parsed for the other raw types";
  EXPECT_FALSE(registry.isActive(13)) << "no compound document type is wanted";
  EXPECT_FALSE(registry.isActive(17));
  EXPECT_FALSE(registry.isActive(20));
}

}  // namespace
}  // namespace tarvosk
