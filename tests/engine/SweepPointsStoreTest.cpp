#include <memory>

#include "RepTest.h"
#include "quantities/SweepPointsStore.h"
#include "orvex/centupd/IDerivedDataDefinition.h"
#include "hostapi/ISolutionContextObject.h"
#include "refhost/ReferenceSolution.h"

namespace {

TEST(SweepPointsStore, SharedUntilTheSolutionChanges) {
  refhost::ReferenceSolution s(10, L"Run1");
  s.AddSupportedReportType(1);
  Variable* l = s.AddVariable(L"L", Value(1.0, Units::kNoUnit), true);
  VariableValues at;
  at.SetVariableValue(l, Value(1.0, Units::kNoUnit));
  s.AddInstance(at);
  const ReportTypeSolutionDefinition def(1);
  ISolutionContextObject* context = nullptr;
  IDerivedDataDefinition* load = nullptr;
  s.BuildContextObjects(def, context, load);
  std::unique_ptr<ISolutionContextObject> ownedContext(context);
  std::unique_ptr<IDerivedDataDefinition> ownedLoad(load);
  rep::SweepPointsStore store;

  auto first = store.Get(s, *load, def, s.GetVersionIDForPostprocessing(*load));
  ASSERT_EQ(1u, first->GetVariations().size());
  EXPECT_EQ(first, store.Get(s, *load, def, s.GetVersionIDForPostprocessing(*load))) << "read once";
  EXPECT_NE(first, store.Get(s, *load, ReportTypeSolutionDefinition(2), s.GetVersionIDForPostprocessing(*load)))
      << "another definition has points of its own";

  s.NewVersion();
  auto renewed = store.Get(s, *load, def, s.GetVersionIDForPostprocessing(*load));
  EXPECT_NE(first, renewed) << "a new version is read again, though its point objects are the same";
  EXPECT_EQ(1u, first->GetVariations().size()) << "the former points stay with whoever holds them";

  at.SetVariableValue(l, Value(2.0, Units::kNoUnit));
  s.AddInstance(at);
  auto grown = store.Get(s, *load, def, s.GetVersionIDForPostprocessing(*load));
  EXPECT_NE(renewed, grown) << "a point added at the same version";
  ASSERT_EQ(2u, grown->GetVariations().size());
  EXPECT_EQ(at, grown->GetVariations()[1]);

  std::vector<size_t> positions;
  grown->FindPositions(positions, l, 1.5, 2.5);
  EXPECT_EQ(std::vector<size_t>{1}, positions);
  store.Clear();
  EXPECT_NE(grown, store.Get(s, *load, def, s.GetVersionIDForPostprocessing(*load)));
}

}  // namespace
