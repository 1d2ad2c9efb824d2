// The factory's extraction slot of the loaded plug-in serves requests whatever the desktop answers.
#include <memory>
#include <vector>

#include "Gravik/IOutputVariableMgr.h"
#include "Gravik/ISimValueCache.h"
#include "Gravik/ITraceDataInterfaces.h"
#include "Gravik/TraceExtractionRequest.h"
#include "LoadedPluginFixture.h"
#include "RepTest.h"
#include "postorvex/columns/Column.h"
#include "postorvex/columns/DoubleColumn.h"
#include "postorvex/sweeps/SweepBase.h"
#include "refhost/ReferenceSolutionManager.h"

namespace {

class ExtractionPluginTest : public reptest::LoadedPluginFixture {};

TEST_F(ExtractionPluginTest, ExtractsWhenTheDesktopRefusesTheNewReporter) {
  refhost::ReferenceSolutionManager solutions;
  solutions.SetDesignOfInstance(1, 100);
  refhost::ReferenceSolution& s = solutions.AddSolution(10, L"Run1");
  s.AddSupportedReportType(1);
  Variable* f = s.AddVariable(L"F", Value(1.0, Units::kNoUnit), false);
  Variable* l = s.AddVariable(L"L", Value(1.0, Units::kNoUnit), true);
  s.AddQuantity(L"Y", ValueState(1, 15, 1), [f, l](const VariableValues& at) {
    return AComplex<double>(at.GetVariableValue(f)->GetValue() * at.GetVariableValue(l)->GetValue(), 0);
  });
  s.AddSweep(f, {1, 2, 3});
  s.AddSweep(l, {2});
  VariableValues point;
  point.SetVariableValue(l, Value(2.0, Units::kNoUnit));
  s.AddInstance(point);

  std::unique_ptr<ISimValueCache> cache(Factory().CreateSimValueCache(&solutions));
  std::unique_ptr<IOutputVariableMgr> outputVariables(Factory().CreateOutputVariableMgr(&solutions));
  ASSERT_TRUE(cache && outputVariables);
  m_desktop.SetSupportsNewReporter(false);

  rep::TraceExtractionRequest request;
  request.m_expressions = {L"F", L"Y"};
  request.m_solutionID = 10;
  request.m_designInstanceID = 1;
  request.m_reportTypeSolutionDefinition = ReportTypeSolutionDefinition(1);
  for (const wchar_t* name : {L"F", L"L"})
    request.m_pointsetDefParams.GetSubsweepDefParamsContainerForEdit().PushBackAndOwn(
        s.GetSweepOfVariable(name, SimValueContext(), 1)->CreateDefaultSubsweepDefParams());
  std::vector<rep::ITraceDataForProduct*> results;
  ASSERT_TRUE(Factory().ExtractTraceDataIntoTemporaryReport(results, {request}, &solutions, outputVariables.get(),
                                                            cache.get(), nullptr, nullptr));
  ASSERT_EQ(1u, results.size());
  std::unique_ptr<rep::ITraceDataForProduct> data(results[0]);
  ASSERT_NE(nullptr, data);
  ASSERT_EQ(1u, data->GetNumCurves());
  ASSERT_EQ(3u, data->GetNumPointsInCurve(0));
  std::unique_ptr<Column> y(data->CloneDataColumn(1));
  ASSERT_TRUE(y && y->GetDoubleColumn());
  EXPECT_EQ((std::vector<double>{2, 4, 6}), y->GetDoubleColumn()->GetValues());
}

}  // namespace
