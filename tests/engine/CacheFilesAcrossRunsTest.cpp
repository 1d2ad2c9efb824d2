// The solution-value cache's files across runs of the desktop on one project: what a run saves
// is what the next run that opens the project finds, whatever a save cut short left behind.
#include <memory>
#include <vector>

#include "CountedReportUpdate.h"
#include "EngineFixture.h"
#include "FailingFileService.h"
#include "Gravik/IReportDataManager.h"
#include "Gravik/ITraceDataInterfaces.h"
#include "quantities/SimValueDataCache.h"
#include "orvex/io/Block.h"
#include "postorvex/columns/Column.h"
#include "postorvex/sweeps/AbstractSubsweepDefParams.h"
#include "postorvex/sweeps/SubsweepDefParamsContainer.h"
#include "postorvex/sweeps/SweepBase.h"

namespace {

// Solution 10 with the quantities A, B and C, of the values 1, 2 and 3 everywhere, over F = 1 2 3
// (minor) and L = 1 2 (major points).
class CacheFilesAcrossRunsTest : public reptest::EngineFixture {
protected:
  CacheFilesAcrossRunsTest() : m_failing(m_solutions.UseTempDirFileService()) {
    m_solutions.SetManagedFileService(&m_failing);
    refhost::ReferenceSolution& s = *m_solutions.FindSolution(10);
    s.AddSupportedReportType(1);
    Variable* f = s.AddVariable(L"F", Value(1.0, Units::kNoUnit), false);
    Variable* l = s.AddVariable(L"L", Value(1.0, Units::kNoUnit), true);
    double value = 1;
    for (const wchar_t* name : {L"A", L"B", L"C"}) {
      s.AddQuantity(name, ValueState(1, 15, 1), [value](const VariableValues&) { return AComplex<double>(value, 0); });
      ++value;
    }
    s.AddSweep(f, {1, 2, 3});
    s.AddSweep(l, {1, 2});
    for (double lv : {1.0, 2.0}) {
      VariableValues p;
      p.SetVariableValue(l, Value(lv, Units::kNoUnit));
      s.AddInstance(p);
    }
  }
  ~CacheFilesAcrossRunsTest() override { m_owner.SetSimValueCache(nullptr); }

  // A run of the desktop: the cache reads the project's block and a trace of mag(quantity) is
  // updated. Answers the units loaded from the product; `shown` gets the trace's values.
  int Run(rep::SimValueDataCache& cache, const io::CBlock& project, const AString& quantity,
          std::vector<double>& shown) {
    cache.ReadCacheFiles(project);
    m_owner.SetSimValueCache(&cache);
    m_mgr = std::make_unique<rep::ReportManager>(&m_owner, true);
    refhost::ReferenceSolution& s = *m_solutions.FindSolution(10);
    SubsweepDefParamsContainer defs;
    for (const wchar_t* name : {L"F", L"L"})
      defs.PushBackAndOwn(s.GetSweepOfVariable(name, SimValueContext(), 1)->CreateDefaultSubsweepDefParams());
    rep::PointsetDefinition pointset(defs, {});
    rep::TraceDefinition trace(Mgr(), std::vector<AString>{L"F", L"mag(" + quantity + L")"},
                               DesignSolutionDefinition(100, 10, ReportTypeSolutionDefinition(1)), pointset,
                               ExtTraceInfo(), 1, nullptr);
    const long reportID = AddReport(L"R", {&trace});
    std::vector<long> traceIDs;
    Report(reportID).GetTraceIDs(traceIDs);

    const int loads = reptest::UpdateReportCountingLoads(Mgr(), reportID, 100, 10);
    shown.clear();
    rep::ITraceData* traceData = Mgr().GetReportDataManagerForEdit()->GetITraceData(traceIDs.at(0));
    const Column* values = traceData ? traceData->GetDataColumn(1) : nullptr;
    if (values && values->GetDoubleColumn()) shown = values->GetDoubleColumn()->GetValues();
    return loads;
  }

  reptest::FailingFileService m_failing;
};

}  // namespace

TEST_F(CacheFilesAcrossRunsTest, ASaveWhoseHeaderFailsLeavesTheNextRunThePreviousSave) {
  rep::SimValueDataCache first(&m_solutions), second(&m_solutions), third(&m_solutions);
  std::vector<double> shown;
  io::CBlock saved(L"Project");
  EXPECT_EQ(2, Run(first, io::CBlock(), L"A", shown));
  EXPECT_EQ(std::vector<double>(6, 1.0), shown);
  ASSERT_TRUE(first.WriteCacheFiles(saved));

  // The project is opened again; its cache is saved but its header is not, nor is the project.
  EXPECT_EQ(2, Run(second, saved, L"B", shown));
  EXPECT_EQ(std::vector<double>(6, 2.0), shown);
  m_failing.FailPathOf(second.GetHeaderFileName());
  io::CBlock notSaved(L"Project");
  EXPECT_FALSE(second.WriteCacheFiles(notSaved));
  EXPECT_SOFT_ASSERT("!\"Could not write simvalue cache2 file\"");

  // The header on disk hands B's ID out again, to C: nothing of B's may come with it.
  EXPECT_EQ(2, Run(third, saved, L"C", shown));
  EXPECT_EQ(std::vector<double>(6, 3.0), shown);
}
