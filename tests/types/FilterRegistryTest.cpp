// The registry and the parent/child scheme with recognisers that record what they are fed.
#include <gtest/gtest.h>

#include <stdexcept>

#include "log/Log.h"
#include "platform/CodePage.h"
#include "support/TestSupport.h"
#include "types/FilterRegistry.h"

namespace tarvosk {
namespace {

class RecordingType : public CPlainTypeFilter {
 public:
  explicit RecordingType(std::u16string_view ext, bool throws = false) : ext_(ext), throws_(throws) {}
  void Reset() override {
    results_.clear();
    ++resets;
  }
  void Feed(std::uint64_t unit, const std::uint8_t*, std::uint32_t) override {
    fed.push_back(unit);
    if (throws_ && unit % 2 == 1) throw std::runtime_error("broken");
    results_.push_back({unit, 1, kChanceMayBeGood});
  }
  std::u16string_view GetExtension() const override { return ext_; }
  std::u16string_view GetName() const override { return u"Recording"; }
  std::u16string_view GetCategory() const override { return u"测试"; }
  std::vector<std::uint64_t> fed;
  int resets = 0;

 private:
  std::u16string_view ext_;
  bool throws_;
};

// A family recogniser: finds of even units go to subtype 1, odd ones to its own list.
class FamilyType : public CParentTypeFilter {
 public:
  FamilyType() : CParentTypeFilter(2) {}
  void Reset() override { clearResults(); }
  void Feed(std::uint64_t unit, const std::uint8_t*, std::uint32_t) override {
    lists_[unit % 2 == 0 ? 1 : 0].push_back({unit, 1, kChanceMayBeGood});
  }
  std::u16string_view GetExtension() const override { return u".tif"; }
  std::u16string_view GetName() const override { return u"Family"; }
  std::u16string_view GetCategory() const override { return u"测试"; }
};

class MemberType : public CChildTypeFilter {
 public:
  explicit MemberType(FamilyType* parent) : CChildTypeFilter(parent, 1) {}
  std::u16string_view GetExtension() const override { return u".nef"; }
  std::u16string_view GetName() const override { return u"Member"; }
  std::u16string_view GetCategory() const override { return u"测试"; }
};

struct Fixture {
  Fixture() {
    auto ownedFamily = std::make_unique<FamilyType>();
    auto ownedMember = std::make_unique<MemberType>(ownedFamily.get());
    auto ownedPlain = std::make_unique<RecordingType>(u".jpg");
    auto ownedBroken = std::make_unique<RecordingType>(u".bad", true);
    family = ownedFamily.get();
    member = ownedMember.get();
    plain = ownedPlain.get();
    broken = ownedBroken.get();
    std::vector<std::unique_ptr<CTypeFilter>> list;
    list.push_back(std::move(ownedPlain));
    list.push_back(std::move(ownedMember));  // a child comes before its parent
    list.push_back(std::move(ownedFamily));
    list.push_back(std::move(ownedBroken));
    registry = std::make_unique<FilterRegistry>(std::move(list));
  }
  void scan(std::uint64_t units) {
    registry->ResetAll();
    std::uint8_t unit[512] = {};
    for (std::uint64_t u = 0; u < units; ++u) registry->Feed(u, unit, 512);
  }
  FamilyType* family;
  MemberType* member;
  RecordingType* plain;
  RecordingType* broken;
  std::unique_ptr<FilterRegistry> registry;
};

TEST(FilterRegistry, OnlyEnabledRecognisersAreFed) {
  Fixture f;
  EXPECT_EQ(f.registry->count(), 4u);
  EXPECT_EQ(f.registry->item(4), nullptr);
  f.registry->EnableAll(false);
  f.plain->enabled = true;
  f.scan(3);
  EXPECT_EQ(f.plain->fed.size(), 3u);
  EXPECT_EQ(f.broken->fed.size(), 0u);
  EXPECT_TRUE(f.family->resultsOf(0).empty());
  f.registry->EnableAll(true);
  f.scan(2);
  EXPECT_EQ(f.plain->GetResults().size(), 2u) << "a reset empties the results of the last scan";
}

TEST(FilterRegistry, AParentIsFedWhenOnlyAChildIsWanted) {
  Fixture f;
  f.family->enabled = false;
  f.scan(4);
  EXPECT_TRUE(f.registry->isActive(2));
  EXPECT_TRUE(f.family->GetResults().empty()) << "a disabled parent shows no finds of its own";
  ASSERT_EQ(f.member->GetResults().size(), 2u);
  EXPECT_EQ(f.member->GetResults()[1].startUnit, 2u);

  f.family->enabled = true;
  f.member->enabled = false;
  f.scan(4);
  EXPECT_EQ(f.family->GetResults().size(), 2u);
  EXPECT_TRUE(f.member->GetResults().empty());

  f.family->enabled = false;
  f.scan(4);
  EXPECT_FALSE(f.registry->isActive(2)) << "neither the parent nor a child is wanted";
}

TEST(FilterRegistry, AnExceptionIsLoggedPerUnitAndTheScanGoesOn) {
  test::ScratchDir dir;
  LOG_SetFile(utf8ToUtf16(dir.file("log.txt")).c_str());
  Fixture f;
  f.scan(4);
  LOG_SetFile(nullptr);
  EXPECT_EQ(f.broken->fed.size(), 4u);
  EXPECT_EQ(f.broken->GetResults().size(), 2u) << "the failing recogniser keeps its state";
  EXPECT_EQ(f.plain->GetResults().size(), 4u);
  auto log = test::readWholeFile(dir.file("log.txt"));
  std::string text(log.begin(), log.end());
  EXPECT_NE(text.find(" APP ERROR  Feed(1): exception!!! in filter .bad, buf=0x"), std::string::npos) << text;
  EXPECT_NE(text.find("Feed(3): exception!!!"), std::string::npos);
  EXPECT_EQ(text.find("Feed(2)"), std::string::npos);
}

TEST(CarvedFile, FollowsTheCommonShape) {
  std::vector<FoundFile> results;
  CarvedFile file;
  file.begin(10);
  EXPECT_TRUE(file.addUnit(results, 512));
  file.markUnavailable();
  file.finish(results, 700);
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].startUnit, 10u);
  EXPECT_EQ(results[0].chance, kChancePoor);
  file.begin(20);
  for (int i = 0; i < 3 && file.isOpen(); ++i) file.addUnit(results, 512, 1000);
  ASSERT_EQ(results.size(), 2u);
  EXPECT_EQ(results[1].length, 1000u) << "at the limit, exactly the limit";
  EXPECT_EQ(results[1].chance, kChancePoor);
  EXPECT_FALSE(file.isOpen());
}

}  // namespace
}  // namespace tarvosk
