#include <memory>
#include <vector>

#include "RepTest.h"
#include "orvex/values/Units.h"
#include "orvex/values/Variable.h"
#include "postorvex/columns/Column.h"
#include "postorvex/sweeps/PostprocessSweep.h"
#include "postorvex/sweeps/RegularSubsweepDefParams.h"
#include "postorvex/sweeps/SpecialSubsweepDefParams.h"
#include "postorvex/sweeps/Sweep.h"
#include "postorvex/sweeps/SynchronizedSubsweepDefParams.h"
#include "postorvex/sweeps/SynchronizedSweep.h"

namespace {

Column* Doubles(Units::FullUnitType units, const std::vector<double>& values) {
  Column* c = Column::CreateColumn(val::kDoubleParam, units);
  c->GetDoubleColumn()->AppendValues(values);
  return c;
}

std::vector<AString> SelectedTexts(const AbstractSubsweepDefParams& def) {
  std::vector<AString> out;
  const Column* c = nullptr;
  if (auto* r = dynamic_cast<const RegularSubsweepDefParams*>(&def)) c = r->GetSelectedValues();
  if (auto* s = dynamic_cast<const SynchronizedSubsweepDefParams*>(&def)) c = s->GetSelectedValues();
  for (size_t i = 0; c && i < c->GetCount(); ++i) out.push_back(c->GetSingleValueText(i));
  return out;
}

}  // namespace

TEST(Sweep, AnswersThroughItsValuesColumn) {
  Variable freq(AString(L"Freq"), Units::kGHz);
  Sweep s(AString(L"Freq"), &freq, Doubles(Units::kGHz, {1.0, 1.5, 2.0}));
  EXPECT_EQ(&s, s.GetSweep());
  EXPECT_EQ(nullptr, s.GetSynchronizedSweep());
  EXPECT_EQ(nullptr, s.GetPostprocessSweep());
  EXPECT_FALSE(s.IsSpecialSweep());
  EXPECT_EQ(3u, s.GetNumValues());
  EXPECT_EQ(AString(L"1.5GHz"), s.GetValueText(1));
  EXPECT_EQ(&freq, s.GetVariable(0));
  EXPECT_EQ(nullptr, s.GetVariable(1));
  EXPECT_EQ(AString(L"Freq"), s.GetName());
  // The values column is the third member, and the same object as GetValuesColumn.
  EXPECT_EQ(s.GetValuesColumn(), s.m_values);

  Sweep unnamed(AString(), &freq, nullptr);
  EXPECT_EQ(AString(L"Freq"), unnamed.GetName());
  EXPECT_EQ(0u, unnamed.GetNumValues());
}

// The default definition decides what a new trace plots and how its definitions validate.
TEST(Sweep, DefaultDefinitionOfEachKind) {
  Variable v(AString(L"x"), Units::kMm);
  struct Case {
    const char* why;
    std::unique_ptr<SweepBase> sweep;
    int kind;
    int choice;
    size_t selected;
  };
  std::vector<Case> cases;
  cases.push_back({"regular", std::make_unique<Sweep>(AString(L"x"), &v, Doubles(Units::kMm, {1, 2, 3})), 2, 3, 3});
  cases.push_back({"specifiable", std::make_unique<Sweep>(AString(L"x"), &v, Doubles(Units::kMm, {1, 2}), false, 3),
                   3, 3, 2});
  cases.push_back({"special whatever its kind",
                   std::make_unique<Sweep>(AString(L"x"), &v, Doubles(Units::kMm, {1, 2}), true, 3), 1, 1, 0});
  cases.push_back({"postprocess, specifiable",
                   std::make_unique<PostprocessSweep>(AString(L"x"), &v, Doubles(Units::kMm, {4}), 3), 3, 3, 1});
  cases.push_back({"postprocess, regular",
                   std::make_unique<PostprocessSweep>(AString(L"x"), &v, Doubles(Units::kMm, {4}), 2), 2, 3, 1});
  cases.push_back({"postprocess, special kind",
                   std::make_unique<PostprocessSweep>(AString(L"x"), &v, Doubles(Units::kMm, {4}), 1), 1, 1, 0});
  for (Case& c : cases) {
    SCOPED_TRACE(c.why);
    std::unique_ptr<AbstractSubsweepDefParams> def(c.sweep->CreateDefaultSubsweepDefParams());
    ASSERT_NE(nullptr, def);
    EXPECT_EQ(c.kind, def->GetSubsweepDefParamType());
    EXPECT_EQ(c.choice, def->GetSubsweepDefChoiceType());
    EXPECT_EQ(AString(L"x"), def->GetSweepName());
    EXPECT_EQ(c.selected, SelectedTexts(*def).size());
  }

  // The selection is a copy of the values: the sweep keeps its own column.
  Sweep s(AString(L"x"), &v, Doubles(Units::kMm, {1, 2}));
  std::unique_ptr<AbstractSubsweepDefParams> def(s.CreateDefaultSubsweepDefParams());
  auto* regular = dynamic_cast<RegularSubsweepDefParams*>(def.get());
  ASSERT_NE(nullptr, regular);
  EXPECT_NE(s.GetValuesColumn(), regular->GetSelectedValues());
  EXPECT_EQ((std::vector<AString>{AString(L"1mm"), AString(L"2mm")}), SelectedTexts(*def));

  s.SetMakesNoDefaultDefinition(true);
  EXPECT_EQ(nullptr, s.CreateDefaultSubsweepDefParams());
}

TEST(Sweep, UnknownDefaultKindAssertsAndFallsBackToRegular) {
  Sweep s(AString(L"x"), nullptr, nullptr, false, 7);
  EXPECT_SOFT_ASSERT("IsKind(defaultKind)");
  std::unique_ptr<AbstractSubsweepDefParams> def(s.CreateDefaultSubsweepDefParams());
  ASSERT_NE(nullptr, def);
  EXPECT_EQ(2, def->GetSubsweepDefParamType());
}

TEST(SynchronizedSweep, MembersStepTogether) {
  Variable a(AString(L"a"), Units::kMm), b(AString(L"b"), Units::kDeg);
  SynchronizedSweep sync({new Sweep(AString(L"a"), &a, Doubles(Units::kMm, {1, 2})),
                          new Sweep(AString(L"b"), &b, Doubles(Units::kDeg, {10, 20}))});
  EXPECT_EQ(&sync, sync.GetSynchronizedSweep());
  EXPECT_EQ(nullptr, sync.GetSweep());
  EXPECT_EQ(AString(L"a"), sync.GetName());
  EXPECT_EQ(&a, sync.GetVariable(0));
  EXPECT_EQ(&b, sync.GetVariable(1));
  EXPECT_EQ(nullptr, sync.GetVariable(2));
  EXPECT_EQ(2u, sync.GetNumValues());
  EXPECT_EQ(AString(L"2mm"), sync.GetValueText(1));
  std::vector<const Sweep*> members(sync.begin(), sync.end());
  ASSERT_EQ(2u, members.size());
  EXPECT_EQ(AString(L"b"), members[1]->GetName());

  std::unique_ptr<AbstractSubsweepDefParams> def(sync.CreateDefaultSubsweepDefParams());
  ASSERT_NE(nullptr, def);
  EXPECT_EQ(4, def->GetSubsweepDefParamType());
  EXPECT_EQ(3, def->GetSubsweepDefChoiceType());
  EXPECT_EQ(2u, SelectedTexts(*def).size());

  SynchronizedSweep uneven({new Sweep(AString(L"a"), &a, Doubles(Units::kMm, {1, 2})),
                            new Sweep(AString(L"b"), &b, Doubles(Units::kDeg, {10}))});
  EXPECT_SOFT_ASSERT("m_members.empty()||HaveEqualCounts(m_members)");
}
