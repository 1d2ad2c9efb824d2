#include "orvex/core/VelmorCommandInfo.h"

#include "RepTest.h"
#include "orvex/core/RenameQuantitiesCmdInfo.h"
#include "orvex/values/DatasetCommandInfo.h"
#include "orvex/core/VelmorCommand.h"

namespace {

// Shaped like the engine's report command info: bit 2 in word 0 from construction.
class ReportInfoLike : public VelmorCommandInfo {
public:
  ReportInfoLike() { OrFlagWord(0, 2); }
};

}  // namespace

TEST(CommandInfo, FlagWordsAndMerge) {
  ReportInfoLike a;
  EXPECT_EQ(2u, a.GetFlagWord(0));
  EXPECT_EQ(0u, a.GetFlagWord(1));
  EXPECT_EQ(4u, a.OrFlagWord(1, 4));
  EXPECT_EQ(6u, a.OrFlagWord(1, 2));
  a.AddNewElement(1);
  a.AddEditedElement(2);

  VelmorCommandInfo b(8, 16);
  b.AddNewElement(3);
  b.AddEditedElement(2);
  b.AddDeletedElement(4);

  a.MergeInfo(b);
  EXPECT_EQ(10u, a.GetFlagWord(0));
  EXPECT_EQ(22u, a.GetFlagWord(1));
  EXPECT_EQ((std::set<long>{1, 3}), a.GetNewElements());
  EXPECT_EQ((std::set<long>{2}), a.GetEditedElements());
  EXPECT_EQ((std::set<long>{4}), a.GetDeletedElements());
  EXPECT_TRUE(a.IsDeletedElement(4));
  EXPECT_FALSE(a.IsNewElement(4));
  // The other side is read, not changed.
  EXPECT_EQ((std::set<long>{3}), b.GetNewElements());
  EXPECT_EQ(8u, b.GetFlagWord(0));

  a.MergeInfo(a);
  EXPECT_EQ((std::set<long>{1, 3}), a.GetNewElements());

  a.SetFlagWord(1, 1);
  EXPECT_EQ(1u, a.GetFlagWord(1));
}

TEST(CommandInfo, OnlyTwoFlagWords) {
  VelmorCommandInfo info(1, 2);
  EXPECT_EQ(0u, info.GetFlagWord(2));
  EXPECT_EQ(0u, info.OrFlagWord(-1, 4));
  info.SetFlagWord(2, 9);
  for (int i = 0; i < 3; ++i) EXPECT_SOFT_ASSERT("i==0||i==1");
  EXPECT_EQ(1u, info.GetFlagWord(0));
  EXPECT_EQ(2u, info.GetFlagWord(1));
}

TEST(CommandInfo, RenameInfoMatchesWithoutCase) {
  VelmorCommand cmd;
  auto* renames = new RenameQuantitiesCmdInfo;
  renames->AddRename(L"Vout", L"VNew");
  cmd.AddInfo(cmdinfo::kRenameQuantitiesKind, renames);

  // How the engine finds it: the info under the kind, cast to its class.
  auto* found = dynamic_cast<RenameQuantitiesCmdInfo*>(cmd.GetInfo(RenameQuantitiesCmdInfo::kKind));
  ASSERT_NE(nullptr, found);
  EXPECT_TRUE(found->GetIsQuantityRenamedByOldName(L"VOUT"));
  EXPECT_TRUE(found->GetIsQuantityRenamedByNewName(L"vnew"));
  EXPECT_FALSE(found->GetIsQuantityRenamedByOldName(L"VNew"));
  EXPECT_FALSE(found->GetIsQuantityRenamedByNewName(L"Vout"));
  EXPECT_FALSE(found->GetIsQuantityRenamedByOldName(L"Vout2"));

  RenameQuantitiesCmdInfo more;
  more.AddRename(L"I1", L"Iin");
  found->MergeInfo(more);
  EXPECT_TRUE(found->GetIsQuantityRenamedByOldName(L"i1"));
  EXPECT_TRUE(found->GetIsQuantityRenamedByOldName(L"vout"));

  // A plain info under the kind is not a rename info.
  cmd.AddInfo(RenameQuantitiesCmdInfo::kKind, new VelmorCommandInfo);
  EXPECT_EQ(nullptr, dynamic_cast<RenameQuantitiesCmdInfo*>(cmd.GetInfo(RenameQuantitiesCmdInfo::kKind)));
}

TEST(CommandInfo, DatasetInfoMatchesEntriesByServerAndID) {
  DatasetServer a, b;
  DatasetCommandInfo info;
  EXPECT_FALSE(info.IsAnyDatasetEdited());
  info.AddEditedDataset(&a, 3);
  EXPECT_TRUE(info.IsAnyDatasetEdited());
  const ReferencedDatasetMap referenced = {{&a, {1, 3}}, {&b, {3}}};
  EXPECT_TRUE(info.IsAnyDatasetEdited(*referenced.find(&a)));
  EXPECT_FALSE(info.IsAnyDatasetEdited(*referenced.find(&b)));  // the same ID in another server

  DatasetCommandInfo more;
  more.AddEditedDataset(&b, 3);
  info.MergeInfo(more);
  EXPECT_TRUE(info.IsAnyDatasetEdited(*referenced.find(&b)));
}
