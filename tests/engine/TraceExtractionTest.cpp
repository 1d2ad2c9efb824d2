// Trace data of temporary reports: requests served in their own positions, the messages of those
// that fail, and data that outlives the managers it was computed in.
#include <array>
#include <cmath>
#include <memory>
#include <vector>

#include "Gravik/TraceExtractionRequest.h"
#include "reports/GravikUtils.h"
#include "quantities/OutputVariableMgr.h"
#include "RepTest.h"
#include "tracedata/ReportDataManager.h"
#include "reports/ReportManagerFactory.h"
#include "quantities/SimValueDataCache.h"
#include "tracedata/TraceData.h"
#include "orvex/centupd/CentralizedUpdateUtility.h"
#include "orvex/core/MessageLog.h"
#include "postorvex/columns/Column.h"
#include "postorvex/solution/DesignSolutionDefinition.h"
#include "postorvex/columns/DoubleColumn.h"
#include "postorvex/sweeps/SweepBase.h"
#include "postorvex/traceinfo/ReportExtractionUtil.h"
#include "refhost/ReferenceDesktop.h"
#include "refhost/ReferenceSolutionManager.h"

namespace {

struct ProductDataDeleter {
  void operator()(rep::ITraceDataForProduct* data) const { delete data; }
};
using OwnedProductData = std::unique_ptr<rep::ITraceDataForProduct, ProductDataDeleter>;

// Run1 (10) has S(F, L) = F + iL over F = 1 2 3 and L = 1 2 (major points); Run2 (11) offers the
// same sweeps and quantity but has no sweep point, so nothing can be loaded for it.
class TraceExtractionTest : public ::testing::Test {
protected:
  TraceExtractionTest() {
    m_solutions.SetDesignOfInstance(1, 100);
    m_solutions.SetDesignOfInstance(2, 100);
    for (long id : {10L, 11L}) {
      refhost::ReferenceSolution& s = m_solutions.AddSolution(id, id == 10 ? L"Run1" : L"Run2");
      s.AddSupportedReportType(1);
      Variable* f = s.AddVariable(L"F", Value(1.0, Units::kNoUnit), false);
      Variable* l = s.AddVariable(L"L", Value(1.0, Units::kNoUnit), true);
      s.AddQuantity(L"S", ValueState(2, 15, 1), [f, l](const VariableValues& at) {
        return AComplex<double>(at.GetVariableValue(f)->GetValue(), at.GetVariableValue(l)->GetValue());
      });
      s.AddSweep(f, {1, 2, 3});
      s.AddSweep(l, {1, 2});
      if (id != 10) continue;
      for (double lv : {1.0, 2.0}) {
        VariableValues p;
        p.SetVariableValue(l, Value(lv, Units::kNoUnit));
        s.AddInstance(p);
      }
    }
  }

  rep::TraceExtractionRequest Request(std::vector<AString> expressions, long solutionID = 10,
                                      long designInstanceID = 1) {
    rep::TraceExtractionRequest r;
    r.m_expressions = std::move(expressions);
    r.m_solutionID = solutionID;
    r.m_designInstanceID = designInstanceID;
    r.m_reportTypeSolutionDefinition = ReportTypeSolutionDefinition(1);
    refhost::ReferenceSolution& s = *m_solutions.FindSolution(solutionID);
    for (const wchar_t* name : {L"F", L"L"})
      r.m_pointsetDefParams.GetSubsweepDefParamsContainerForEdit().PushBackAndOwn(
          s.GetSweepOfVariable(name, SimValueContext(), 1)->CreateDefaultSubsweepDefParams());
    return r;
  }

  bool Extract(std::vector<OwnedProductData>& owned, const std::vector<rep::TraceExtractionRequest>& requests) {
    std::vector<rep::ITraceDataForProduct*> results(7, nullptr);  // cleared by the call
    const bool answer =
        rep::ExtractTraceDataIntoTemporaryReport(results, requests, &m_solutions, &m_user, &m_cache, nullptr, nullptr);
    owned.clear();
    for (rep::ITraceDataForProduct* r : results) owned.emplace_back(r);
    return answer;
  }

  // The data of request "F", "mag(S)" read through the product face: two curves along F.
  static void ExpectRun1Curves(const rep::ITraceDataForProduct& data) {
    ASSERT_EQ(2u, data.GetNumCurves());
    ASSERT_EQ(2u, data.GetNumComponents());
    EXPECT_EQ(AString(L"mag(S)"), data.GetComponentExpression(1));
    EXPECT_EQ(AString(L"F"), data.GetPrimarySweepName());
    std::unique_ptr<Column> y(data.CloneDataColumn(1));
    std::unique_ptr<Column> x(data.ClonePrimarySweepColumn());
    ASSERT_TRUE(y && y->GetDoubleColumn() && x && x->GetDoubleColumn());
    for (unsigned curve = 0; curve < 2; ++curve) {
      ASSERT_EQ(3u, data.GetNumPointsInCurve(curve));
      for (unsigned k = 0; k < 3; ++k) {
        const size_t row = data.GetCurveOffset(curve) + k;
        EXPECT_DOUBLE_EQ(k + 1.0, x->GetDoubleColumn()->GetValues()[row]);
        EXPECT_NEAR(std::hypot(k + 1.0, curve + 1.0), y->GetDoubleColumn()->GetValues()[row], 1e-12);
      }
    }
  }

  static std::vector<std::array<int, 4>> PostedInts() {
    std::vector<std::array<int, 4>> out;
    for (const VelmorMessage& m : orvex::test::Messages().Delivered()) out.push_back(m.GetInts());
    return out;
  }

  refhost::ReferenceSolutionManager m_solutions;
  rep::SimValueDataCache m_cache{&m_solutions};
  rep::OutputVariableMgr m_user{&m_solutions};
};

TEST_F(TraceExtractionTest, MixedRequestsAreServedInTheirOwnPositions) {
  std::vector<rep::TraceExtractionRequest> requests{Request({L"F", L"mag(S)"}), Request({}),
                                                    Request({L"F", L"nosuch+"}), Request({L"F", L"mag(S)"}, 11),
                                                    Request({L"F", L"mag(S)"})};
  requests[1].m_pointsetDefParams = PointsetDefParams();
  std::vector<OwnedProductData> results;
  EXPECT_FALSE(Extract(results, requests));

  ASSERT_EQ(5u, results.size());
  EXPECT_EQ(nullptr, results[1]);
  EXPECT_EQ(nullptr, results[2]);
  EXPECT_EQ(nullptr, results[3]);
  ASSERT_NE(nullptr, results[0]);
  ASSERT_NE(nullptr, results[4]);
  ExpectRun1Curves(*results[0]);
  ExpectRun1Curves(*results[4]);
  // One temporary manager served the design instance: it gave the two traces different IDs.
  auto* first = dynamic_cast<rep::TraceData*>(results[0].get());
  auto* last = dynamic_cast<rep::TraceData*>(results[4].get());
  ASSERT_TRUE(first && last);
  EXPECT_NE(first->GetTraceDefID(), last->GetTraceDefID());

  const std::vector<std::array<int, 4>> expected{{14, 17018, 0, 6}, {14, 17017, 0, 6}, {0, 24729, 0, 6}};
  EXPECT_EQ(expected, PostedInts());
  const std::vector<VelmorMessage>& delivered = orvex::test::Messages().Delivered();
  ASSERT_EQ(3u, delivered.size());
  EXPECT_EQ(1, delivered[0].GetSeverity());
  EXPECT_TRUE(delivered[0].GetArgs().empty());
  EXPECT_EQ(std::vector<AString>{L"F"}, delivered[1].GetArgs()) << "the request's first expression";
  EXPECT_EQ(std::vector<AString>{L"Run2"}, delivered[2].GetArgs());
  EXPECT_EQ(nullptr, ReportExtractionUtil::GetReportManagerCreator()) << "the creator was put back";
}

TEST_F(TraceExtractionTest, AnEmptyListAnswersTrueWithNoResults) {
  std::vector<OwnedProductData> results;
  EXPECT_TRUE(Extract(results, {}));
  EXPECT_TRUE(results.empty());
  EXPECT_TRUE(orvex::test::Messages().Delivered().empty());
}

TEST_F(TraceExtractionTest, AThrowInOneRequestGives17016AndTheOthersAreServed) {
  m_solutions.SetThrowingDesignInstance(2);
  std::vector<OwnedProductData> results;
  EXPECT_FALSE(Extract(results, {Request({L"F", L"mag(S)"}), Request({L"F", L"mag(S)"}, 10, 2),
                                 Request({L"F", L"mag(S)"})}));
  ASSERT_EQ(3u, results.size());
  EXPECT_EQ(nullptr, results[1]);
  ASSERT_NE(nullptr, results[0]);
  ASSERT_NE(nullptr, results[2]);
  ExpectRun1Curves(*results[2]);
  const std::vector<std::array<int, 4>> expected{{14, 17016, 0, 6}};
  EXPECT_EQ(expected, PostedInts());
}

TEST_F(TraceExtractionTest, AThrowInTheUpdateGives17016AndLeavesNothingBehind) {
  CentralizedUpdateUtility::GetTestScript().throwOnLoad = 0;
  std::vector<OwnedProductData> results;
  EXPECT_FALSE(Extract(results, {Request({L"F", L"mag(S)"}), Request({L"F", L"mag(S)"})}));
  ASSERT_FALSE(PostedInts().empty());
  EXPECT_EQ((std::array<int, 4>{14, 17016, 0, 6}), PostedInts()[0]);
  for (const VelmorMessage& m : orvex::test::Messages().Delivered()) {
    const int id = m.GetMessageID();
    EXPECT_TRUE(id == 17016 || id == 24729) << id;
  }
  // Whatever was handed out is whole; the rest went with the temporary managers.
  for (const OwnedProductData& r : results)
    if (r) {
      EXPECT_GE(r->GetNumCurves(), 1u);
    }
}

TEST_F(TraceExtractionTest, HandedOutDataOutlivesItsManagerAndAssertsOnTheMissingOne) {
  std::vector<OwnedProductData> results;
  ASSERT_TRUE(Extract(results, {Request({L"F", L"mag(S)"})}));
  ASSERT_NE(nullptr, results[0]);
  ExpectRun1Curves(*results[0]);  // every temporary manager is gone by now
  EXPECT_NE(id::invalidID, results[0]->GetVersionIDOfData());
  auto* data = dynamic_cast<rep::TraceData*>(results[0].get());
  ASSERT_NE(nullptr, data);
  EXPECT_EQ(nullptr, data->GetTraceDefinition());
  EXPECT_SOFT_ASSERT("m_mgr");
  EXPECT_EQ(nullptr, data->GetReportDataManager().GetManager());
  EXPECT_SOFT_ASSERT("m_mgr");
}

TEST_F(TraceExtractionTest, TheFactoryExtractsWhateverTheDesktopAnswers) {
  refhost::ReferenceDesktop desktop;
  refhost::ReferenceDesktop::Installed installed(desktop);
  desktop.SetSupportsNewReporter(false);
  std::vector<rep::ITraceDataForProduct*> results;
  EXPECT_TRUE(rep::ReportManagerFactory::Instance().ExtractTraceDataIntoTemporaryReport(
      results, {Request({L"F", L"mag(S)"})}, &m_solutions, &m_user, &m_cache, nullptr, nullptr));
  ASSERT_EQ(1u, results.size());
  OwnedProductData owned(results[0]);
  ASSERT_NE(nullptr, owned);
  ExpectRun1Curves(*owned);
}

// As when another copy of the engine in the process has its creator installed around this call.
TEST_F(TraceExtractionTest, EachCallMakesItsManagersWithThisCopysCreator) {
  static int foreignManagers = 0;
  const ReportExtractionUtil::ReportManagerCreator foreign = [](IReportManagerOwner*) -> rep::IReportManager* {
    ++foreignManagers;
    return nullptr;
  };
  ReportExtractionUtil::InstalledCreator outer(foreign);
  std::vector<OwnedProductData> results;
  EXPECT_TRUE(Extract(results, {Request({L"F", L"mag(S)"})}));
  ASSERT_NE(nullptr, results[0]);
  refhost::ReferenceSolution& s = *m_solutions.FindSolution(10);
  VariableValues at;
  at.SetVariableValue(s.FindVariable(L"F"), Value(2.0, Units::kNoUnit));
  at.SetVariableValue(s.FindVariable(L"L"), Value(2.0, Units::kNoUnit));
  Value result(Units::kNoUnit);
  EXPECT_TRUE(rep::EvaluateOutputVariable(result, L"mag(S)", at, 1, &m_solutions, &m_user,
                                          DesignSolutionDefinition(100, 10, ReportTypeSolutionDefinition(1)),
                                          &m_cache, nullptr));
  EXPECT_NEAR(std::hypot(2.0, 2.0), result.GetValue(), 1e-12);
  EXPECT_EQ(0, foreignManagers);
  EXPECT_EQ(foreign, ReportExtractionUtil::GetReportManagerCreator()) << "the outer creator was put back";
}

TEST_F(TraceExtractionTest, WithoutAnInstalledCreatorTheOwnerHasNoManager) {
  ReportExtractionUtil util(&m_solutions, &m_user, &m_cache, 1);
  EXPECT_SOFT_ASSERT("!\"no report manager creator\"");
  EXPECT_EQ(nullptr, util.GetIReportManagerForEdit());
  EXPECT_EQ(1, util.GetDesignInstanceID());
  EXPECT_TRUE(util.ShouldUpdateTracesOnCommand(nullptr));
  EXPECT_FALSE(util.DoesReportKeepDigitalColumns(1));
}

}  // namespace
