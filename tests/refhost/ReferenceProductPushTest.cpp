#include <cmath>
#include <memory>
#include <stdexcept>
#include <vector>

#include "Gravik/ITraceExtendedLoadInfo.h"
#include "RepTest.h"
#include "hostapi/ISolutionContextObject.h"
#include "orvex/centupd/RecordingProgressMonitor.h"
#include "postorvex/ISimValueQuantityValueContainer.h"
#include "postorvex/columns/Column.h"
#include "postorvex/solution/DesignSolutionDefinition.h"
#include "postorvex/sweeps/AbstractSubsweepDefParams.h"
#include "postorvex/sweeps/SubsweepDefParamsContainer.h"
#include "postorvex/sweeps/SubsweepsAdapter.h"
#include "postorvex/sweeps/SweepBase.h"
#include "postorvex/sweeps/SweepsAbstraction.h"
#include "postorvex/sweeps/SweepsIterator.h"
#include "refhost/ReferenceSolutionManager.h"

namespace {

// What the engine's container would receive.
struct Push {
  VariableValues minor;
  std::vector<long> ids;
  std::vector<std::vector<AComplex<double>>> values;
  std::vector<double> primary;
  int kind;
  std::vector<std::shared_ptr<Column>> columns;  // copies of what arrived
};

class RecordingContainer : public ISimValueQuantityValueContainer {
public:
  void SetQuantityValues(const VariableValues& minor, const std::vector<long>& ids,
                         const std::vector<const Column*>& values, Column& primary, const AString&) override {
    Record(minor, ids, values, primary, 2);
  }
  void SetQuantityValuesWithInterpolationOrders(const VariableValues& minor, const std::vector<long>& ids,
                                                const std::map<long, const CharColumn*>& orders,
                                                const std::vector<const Column*>& values, Column& primary,
                                                const AString&) override {
    EXPECT_EQ(ids.size(), orders.size());
    Record(minor, ids, values, primary, 1);
  }
  void Record(const VariableValues& minor, const std::vector<long>& ids, const std::vector<const Column*>& values,
              Column& primary, int kind) {
    Push p{minor, ids, {}, {}, kind, {}};
    for (const Column* c : values) {
      p.columns.emplace_back(c->CloneColumn());
      std::vector<AComplex<double>> v;
      for (size_t i = 0; i < c->GetCount(); ++i) {
        AComplex<double> si;
        v.push_back(c->GetEntryComplexSI(i, si) ? si : AComplex<double>(NAN, NAN));
      }
      p.values.push_back(v);
    }
    for (size_t i = 0; i < primary.GetCount(); ++i) {
      AComplex<double> si;
      p.primary.push_back(primary.GetEntryComplexSI(i, si) ? si.real() : NAN);
    }
    pushes.push_back(p);
  }
  std::vector<Push> pushes;
};

// The info of a trace over the primary subsweep only: no minor variables.
class Info : public rep::ITraceExtendedLoadInfo {
public:
  Info(rep::SubsweepsAdapter* subsweeps, rep::QuantityIDMap quantities)
      : m_subsweeps(subsweeps), m_quantities(std::move(quantities)) {}
  IExtendedLoadInfo* Clone() const override { return new Info(m_subsweeps, m_quantities); }
  IInterfaceQueriable* GetInterfaceQueriable() override { return this; }
  unsigned GetQuantityMap(rep::QuantityIDMap& out) const override {
    out = m_quantities;
    return static_cast<unsigned>(out.size());
  }
  long GetTraceDefinitionID() const override { return 7; }
  rep::SubsweepsAdapter* GetSubsweeps() const override { return m_subsweeps; }
  std::unique_ptr<ISolutionContextObject> CloneSolutionContext() const override { return nullptr; }
  unsigned GetVariableValuesList(std::vector<VariableValues>& out) const override {
    out.clear();
    return 0;
  }
  std::unique_ptr<SweepsIteratorBase> CreateMinorSweepsIteratorExcludingSpecialsAndPrimary() const override {
    return std::make_unique<SweepsIterator>(std::vector<bool>{}, nullptr);
  }
  const Column* GetPrimarySweepColumn() const override {
    return m_subsweeps->size() ? (*m_subsweeps)[0].GetColumn() : nullptr;
  }

private:
  rep::SubsweepsAdapter* m_subsweeps;
  rep::QuantityIDMap m_quantities;
};

// S(f, L) = L + i*f over a frequency sweep (minor) and a length (major).
struct PushTest : ::testing::Test {
  PushTest() : solution(manager.AddSolution(10, L"Run1")) {
    solution.AddSupportedReportType(1);
    length = solution.AddVariable(L"L", Value(2.0, Units::kNoUnit), true);
    freq = solution.AddVariable(L"F", Value(1.0, Units::kNoUnit), false);
    solution.AddQuantity(L"S", ValueState(2, 15, 1), [this](const VariableValues& at) {
      return AComplex<double>(at.GetVariableValue(length)->GetValue(), at.GetVariableValue(freq)->GetValue());
    });
    solution.AddQuantity(L"Re", ValueState(1, 15, 1), [this](const VariableValues& at) {
      return AComplex<double>(at.GetVariableValue(length)->GetValue() * 10, 0);
    });
    solution.AddSweep(freq, {1, 2, 3});
    solution.AddSweep(length, {2, 4});
    manager.SetDesignOfInstance(1, 100);
  }
  std::unique_ptr<rep::SubsweepsAdapter> Subsweeps(std::vector<const wchar_t*> sweepNames) {
    SubsweepDefParamsContainer defs;
    for (const wchar_t* name : sweepNames)
      defs.PushBackAndOwn(solution.GetSweepOfVariable(name, SimValueContext(), 1)->CreateDefaultSubsweepDefParams());
    return std::make_unique<rep::SubsweepsAdapter>(defs, DesignSolutionDefinition(100, 10, ReportTypeSolutionDefinition(1)),
                                                   1, &manager, std::vector<VariableValues>{});
  }
  VariableValues AtLength(double l) {
    VariableValues v;
    v.SetVariableValue(length, Value(l, Units::kNoUnit));
    return v;
  }

  refhost::ReferenceSolutionManager manager;
  refhost::ReferenceSolution& solution;
  Variable* length;
  Variable* freq;
};

TEST_F(PushTest, MinorPrimaryPushesTheModelAtEveryPrimaryValue) {
  auto subsweeps = Subsweeps({L"F"});
  ASSERT_EQ(1u, subsweeps->size());
  EXPECT_EQ(3u, (*subsweeps)[0].GetValueCount());
  EXPECT_EQ(freq, (*subsweeps)[0].GetVariable(0));
  Info info(subsweeps.get(), {{L"S", 5}, {L"Re", 6}});
  refhost::ReferenceSolutionInstance& instance = solution.AddInstance(AtLength(4));
  RecordingContainer container;
  EXPECT_TRUE(instance.PopulateQuantityValues(&container, &info, nullptr));
  ASSERT_EQ(1u, container.pushes.size());
  const Push& p = container.pushes[0];
  EXPECT_TRUE(p.minor.empty()) << "the minor variation never holds the primary";
  EXPECT_EQ(std::vector<double>({1, 2, 3}), p.primary);
  ASSERT_EQ(std::vector<long>({6, 5}), p.ids) << "quantities in the map's order";
  for (size_t row = 0; row < 3; ++row) {
    EXPECT_EQ(AComplex<double>(40, 0), p.values[0][row]);
    EXPECT_EQ(AComplex<double>(4, row + 1.0), p.values[1][row]);
  }
}

TEST_F(PushTest, MajorPrimaryPushesOneRow) {
  auto subsweeps = Subsweeps({L"L"});
  Info info(subsweeps.get(), {{L"S", 5}});
  RecordingContainer container;
  EXPECT_TRUE(solution.AddInstance(AtLength(2)).PopulateQuantityValues(&container, &info, nullptr));
  ASSERT_EQ(1u, container.pushes.size());
  EXPECT_EQ(std::vector<double>({2}), container.pushes[0].primary);
  EXPECT_EQ(AComplex<double>(2, 1), container.pushes[0].values[0][0]) << "F at its nominal value";
}

TEST_F(PushTest, DigitalQuantitiesArriveInTheirOwnKind) {
  auto number = [this](const VariableValues& at) {
    return 10 * at.GetVariableValue(length)->GetValue() + at.GetVariableValue(freq)->GetValue();
  };
  // Rounded to the nearest whole number; what a kind cannot hold arrives as its invalid marker.
  solution.AddEnumQuantity(L"Mode", ValueState(val::kEnumParam, 15, 1), L"Modes",
                           [=](const VariableValues& at) { return AComplex<double>(number(at) + 0.4, 0); });
  solution.AddQuantity(L"Count", ValueState(val::kIntParam, 15, 1), [=](const VariableValues& at) {
    return AComplex<double>(number(at) < 43 ? -number(at) - 0.6 : NAN, 0);
  });
  solution.AddQuantity(L"Flag", ValueState(val::kCharParam, 15, 1), [=](const VariableValues& at) {
    return AComplex<double>(100 * (number(at) - 40), 0);
  });
  auto subsweeps = Subsweeps({L"F"});
  Info info(subsweeps.get(), {{L"Mode", 5}, {L"Count", 6}, {L"Flag", 7}});
  RecordingContainer container;
  EXPECT_TRUE(solution.AddInstance(AtLength(4)).PopulateQuantityValues(&container, &info, nullptr));
  ASSERT_EQ(1u, container.pushes.size());
  const Push& p = container.pushes[0];
  ASSERT_EQ(std::vector<long>({6, 7, 5}), p.ids);
  const EnumColumn* mode = p.columns[2]->GetEnumColumn();
  const IntColumn* count = p.columns[0]->GetIntColumn();
  const CharColumn* flag = p.columns[1]->GetCharColumn();
  ASSERT_TRUE(mode && count && flag);
  EXPECT_EQ(std::vector<int32_t>({41, 42, 43}), mode->GetValues());
  EXPECT_EQ(std::vector<int32_t>({-42, -43, IntColumn::kInvalidValue}), count->GetValues());
  EXPECT_EQ(std::vector<char>({100, static_cast<char>(200), CharColumn::kInvalidValue}), flag->GetValues())
      << "300 is out of a character's range";
}

TEST_F(PushTest, FailuresAndAbandon) {
  auto subsweeps = Subsweeps({L"F"});
  Info info(subsweeps.get(), {{L"S", 5}});
  RecordingContainer container;
  refhost::ReferenceSolutionInstance& instance = solution.AddInstance(AtLength(2));
  EXPECT_FALSE(instance.PopulateQuantityValues(&container, nullptr, nullptr)) << "no trace info";
  instance.SetPushFailure(refhost::ReferenceSolutionInstance::PushFailure::kAnswerFalse);
  EXPECT_FALSE(instance.PopulateQuantityValues(&container, &info, nullptr));
  instance.SetPushFailure(refhost::ReferenceSolutionInstance::PushFailure::kThrow);
  EXPECT_THROW(instance.PopulateQuantityValues(&container, &info, nullptr), std::runtime_error);
  instance.SetPushFailure(refhost::ReferenceSolutionInstance::PushFailure::kWrongLength);
  EXPECT_TRUE(instance.PopulateQuantityValues(&container, &info, nullptr));
  ASSERT_EQ(1u, container.pushes.size());
  EXPECT_EQ(4u, container.pushes[0].values[0].size());
  instance.SetPushFailure(refhost::ReferenceSolutionInstance::PushFailure::kNone);
  RecordingProgressMonitor abandoned(0);
  EXPECT_TRUE(instance.PopulateQuantityValues(&container, &info, &abandoned));
  EXPECT_EQ(1u, container.pushes.size()) << "an abandoned push pushes nothing and leaves the abandon to the caller";
}

// A non-primary special sweep: one push per value of its own, with the value current and in the
// minor variation.
TEST_F(PushTest, NonPrimarySpecialSweepPushesOncePerValue) {
  Variable* h = solution.AddVariable(L"H", Value(0.0, Units::kNoUnit), false);
  solution.AddSweep(h, {5, 6}, true);
  solution.AddQuantity(L"T", ValueState(1, 15, 1), [this, h](const VariableValues& at) {
    return AComplex<double>(100 * at.GetVariableValue(h)->GetValue() + at.GetVariableValue(freq)->GetValue(), 0);
  });
  auto subsweeps = Subsweeps({L"F", L"H"});
  Info info(subsweeps.get(), {{L"T", 3}});
  RecordingContainer container;
  EXPECT_TRUE(solution.AddInstance(AtLength(2)).PopulateQuantityValues(&container, &info, nullptr));
  ASSERT_EQ(2u, container.pushes.size());
  for (size_t k = 0; k < 2; ++k) {
    const Push& p = container.pushes[k];
    const double hv = 5.0 + k;
    ASSERT_NE(nullptr, p.minor.GetVariableValue(h));
    EXPECT_EQ(hv, p.minor.GetVariableValue(h)->GetValue());
    EXPECT_EQ(nullptr, p.minor.GetVariableValue(freq));
    EXPECT_EQ(std::vector<double>({1, 2, 3}), p.primary);
    for (size_t row = 0; row < 3; ++row) EXPECT_EQ(AComplex<double>(100 * hv + row + 1, 0), p.values[0][row]);
  }
}

}  // namespace
