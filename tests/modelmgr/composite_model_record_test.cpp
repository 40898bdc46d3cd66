#include "modelmgr/composite_model_record.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "cmdpredict/platform_types.h"
#include "modelmgr/prediction_model_manager.h"
#include "platform/env.h"
#include "testing/forwarding_env.h"

namespace {

using cmdpredict::FixedClockEnv;


// The identifier of a record made at the given second.
std::string IdMadeAt(std::int64_t seconds) {
  FixedClockEnv clock(seconds);
  const cmdpredict::ScopedEnv scoped(clock);
  return CompositeModelRecord().GetId();
}

TEST(CompositeModelRecord, IsIdentifiedByTheSecondOfItsConstruction) { EXPECT_EQ(IdMadeAt(10), "spm_10"); }

TEST(CompositeModelRecord, WritesTheLow32BitsOfTheTimeAsASignedNumber) {
  EXPECT_EQ(IdMadeAt(0x123456789A), "spm_878082202");
  EXPECT_EQ(IdMadeAt(0x1FFFFFFFF), "spm_-1");
  EXPECT_EQ(IdMadeAt(0x80000000), "spm_-2147483648");
}

TEST(CompositeModelRecord, RecordsMadeInTheSameSecondShareTheirIdentifier) {
  FixedClockEnv clock(1700000000);
  const cmdpredict::ScopedEnv scoped(clock);
  EXPECT_EQ(CompositeModelRecord().GetId(), CompositeModelRecord().GetId());
}

TEST(CompositeModelRecord, HoldsANewEmptyCompositeOfItsTypeAndNoFolder) {
  const CompositeModelRecord record;
  EXPECT_EQ(record.GetTypeName(), "CompositeSequenceModel");
  ASSERT_NE(record.GetModel(), nullptr);
  EXPECT_EQ(record.GetModel()->GetTypeName(), "CompositeSequenceModel");
  EXPECT_TRUE(record.GetModel()->GetModels().empty());
  EXPECT_EQ(record.GetModelFolder(), "");
}

TEST(CompositeModelRecord, RecordsHoldCompositesOfTheirOwn) {
  EXPECT_NE(CompositeModelRecord().GetModel(), CompositeModelRecord().GetModel());
}

class ModelManagerCompositeRecord : public ::testing::Test {
 protected:
  CPredictionModelManager manager;
};

TEST_F(ModelManagerCompositeRecord, HasNoFolderUntilTheManagerIsGivenOne) {
  EXPECT_EQ(manager.GetCompositeModel().GetModelFolder(), "");
}

TEST_F(ModelManagerCompositeRecord, ReceivesTheModelFolderAsUtf8) {
  manager.SetModelFolder(u"/data/Mod\u00e8les/\u6a21\u578b");
  EXPECT_EQ(manager.GetCompositeModel().GetModelFolder(), "/data/Mod\xc3\xa8les/\xe6\xa8\xa1\xe5\x9e\x8b");
}

TEST_F(ModelManagerCompositeRecord, ReceivesEachSurrogateUnitOfTheFolderAsOneCodePoint) {
  const cmdpredict::WString folder{u'f', static_cast<char16_t>(0xD83D), static_cast<char16_t>(0xDE00)};
  manager.SetModelFolder(folder);
  EXPECT_EQ(manager.GetCompositeModel().GetModelFolder(), "f\xed\xa0\xbd\xed\xb8\x80");
}

TEST_F(ModelManagerCompositeRecord, IsMadeWithTheManagerWithAnEmptyComposite) {
  EXPECT_EQ(manager.GetCompositeModel().GetTypeName(), "CompositeSequenceModel");
  ASSERT_NE(manager.GetCompositeModel().GetModel(), nullptr);
  EXPECT_TRUE(manager.GetCompositeModel().GetModel()->GetModels().empty());
}

}  // namespace
