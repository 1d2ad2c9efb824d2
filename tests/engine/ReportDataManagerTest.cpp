#include "tracedata/ReportDataManager.h"

#include "EngineFixture.h"
#include "RepTest.h"
#include "quantities/SimValueDataCache.h"

namespace {

using ReportDataManagerTest = reptest::EngineFixture;

}  // namespace

TEST(ReportDataManager, WithoutManagerAnswersNothing) {
  rep::ReportDataManager data(nullptr);
  const rep::ReportDataManager& constData = data;
  EXPECT_EQ(nullptr, data.GetManager());
  EXPECT_EQ(nullptr, constData.GetReportManager());
  EXPECT_EQ(nullptr, data.GetReportManagerForEdit());
  EXPECT_EQ(nullptr, data.GetISimValueDataCacheForEdit());
  EXPECT_EQ(AString(), data.GetTraceSolutionName(1));
  EXPECT_SOFT_ASSERT("tdef");
}

TEST_F(ReportDataManagerTest, NewManagerHoldsNoDataAndLinksToItsOwner) {
  rep::ReportDataManager& data = *Mgr().GetDataManager();
  EXPECT_EQ(&Mgr(), data.GetManager());
  EXPECT_EQ(static_cast<rep::IReportManager*>(&Mgr()), data.GetReportManagerForEdit());
  EXPECT_EQ(static_cast<const rep::IReportManager*>(&Mgr()), static_cast<const rep::ReportDataManager&>(data).GetReportManager());
  for (long id : {1L, 2L, 1000L}) {
    EXPECT_FALSE(data.HasTraceData(id));
    EXPECT_FALSE(data.DeleteTraceData(id));
  }

  EXPECT_EQ(nullptr, data.GetISimValueDataCacheForEdit()) << "the owner has no cache yet";
  rep::SimValueDataCache cache(&m_solutions);
  m_owner.SetSimValueCache(&cache);
  EXPECT_EQ(static_cast<ISimValueDataCache*>(&cache), data.GetISimValueDataCacheForEdit());
  m_owner.SetSimValueCache(nullptr);
}
