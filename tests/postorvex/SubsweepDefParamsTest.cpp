#include <memory>
#include <vector>

#include "RepTest.h"
#include "orvex/core/CUndoableVersion.h"
#include "orvex/io/Block.h"
#include "orvex/io/BlockFile.h"
#include "orvex/values/Units.h"
#include "orvex/values/Variable.h"
#include "postorvex/columns/Column.h"
#include "postorvex/sweeps/RegularSubsweepDefParams.h"
#include "postorvex/sweeps/SpecialSubsweepDefParams.h"
#include "postorvex/sweeps/SpecifiableSubsweepDefParams.h"
#include "postorvex/sweeps/SubsweepDefParamsContainer.h"
#include "postorvex/sweeps/SubsweepDefParamsFactory.h"
#include "postorvex/sweeps/Sweep.h"
#include "postorvex/sweeps/SynchronizedSubsweepDefParams.h"
#include "postorvex/sweeps/SynchronizedSweep.h"
#include "postorvex/sweeps/ValidateSubsweepDefParamsVisitor.h"
#include "postorvex/variation/PointsetDefParams.h"

namespace {

std::unique_ptr<Column> Doubles(Units::FullUnitType units, const std::vector<double>& values) {
  std::unique_ptr<Column> c(Column::CreateColumn(val::kDoubleParam, units));
  c->GetDoubleColumn()->AppendValues(values);
  return c;
}

std::vector<AString> Texts(const Column* c) {
  std::vector<AString> out;
  for (size_t i = 0; c && i < c->GetCount(); ++i) out.push_back(c->GetSingleValueText(i));
  return out;
}

std::vector<AString> W(std::initializer_list<const wchar_t*> texts) {
  std::vector<AString> out;
  for (const wchar_t* t : texts) out.emplace_back(t);
  return out;
}

const Column* SelectionOf(const AbstractSubsweepDefParams* d) {
  if (auto* r = dynamic_cast<const RegularSubsweepDefParams*>(d)) return r->GetSelectedValues();
  if (auto* s = dynamic_cast<const SynchronizedSubsweepDefParams*>(d)) return s->GetSelectedValues();
  return nullptr;
}

const Column* OverridingOf(const AbstractSubsweepDefParams* d) {
  auto* s = dynamic_cast<const SpecifiableSubsweepDefParams*>(d);
  return s ? s->GetOverridingColumnData() : nullptr;
}

// One definition of every kind, with awkward content.
SubsweepDefParamsContainer EveryKind() {
  SubsweepDefParamsContainer c;
  c.PushBackAndOwn(new SpecialSubsweepDefParams(AString(L"Time")));
  auto freq = Doubles(Units::kGHz, {1.0, 1.5, 2.000000000000001});
  c.PushBackAndOwn(new RegularSubsweepDefParams(AString(L"Freq"), rep::kSelectedValuesChoice, freq.get()));
  auto* spec = new SpecifiableSubsweepDefParams(AString(L"len \"quoted\""), rep::kNominalValueChoice,
                                                Doubles(Units::kMm, {3}).get());
  spec->SetOverridingColumnData(Doubles(Units::kMm, {-0.0, 1e-300}).get());
  c.PushBackAndOwn(spec);
  c.PushBackAndOwn(new SynchronizedSubsweepDefParams(AString(L"Sync"), rep::kAllValuesChoice));
  c.PushBackAndOwn(new RegularSubsweepDefParams(AString(L""), rep::kAllValuesChoice));
  return c;
}

void ExpectSameContent(const SubsweepDefParamsContainer& a, const SubsweepDefParamsContainer& b) {
  ASSERT_EQ(a.Size(), b.Size());
  for (size_t i = 0; i < a.Size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(a[i]->GetSubsweepDefParamType(), b[i]->GetSubsweepDefParamType());
    EXPECT_EQ(a[i]->GetSubsweepDefChoiceType(), b[i]->GetSubsweepDefChoiceType());
    EXPECT_EQ(a[i]->GetSweepName(), b[i]->GetSweepName());
    EXPECT_EQ(Texts(SelectionOf(a[i])), Texts(SelectionOf(b[i])));
    EXPECT_EQ(SelectionOf(a[i]) != nullptr, SelectionOf(b[i]) != nullptr);
    EXPECT_EQ(Texts(OverridingOf(a[i])), Texts(OverridingOf(b[i])));
    EXPECT_EQ(OverridingOf(a[i]) != nullptr, OverridingOf(b[i]) != nullptr);
  }
}

}  // namespace

TEST(SubsweepDefParamsContainer, CopiesAreDeep) {
  const SubsweepDefParamsContainer original = EveryKind();
  SubsweepDefParamsContainer copy(original);
  SubsweepDefParamsContainer assigned;
  assigned.PushBackAndOwn(new SpecialSubsweepDefParams(AString(L"gone")));
  assigned = original;
  for (SubsweepDefParamsContainer* c : {&copy, &assigned}) {
    ExpectSameContent(original, *c);
    for (size_t i = 0; i < c->Size(); ++i) EXPECT_NE(original[i], (*c)[i]);
    // Edit every definition of the copy and one column in place.
    for (size_t i = 0; i < c->Size(); ++i) c->GetForEdit(i)->SetSweepName(AString(L"edited"));
    auto* regular = dynamic_cast<RegularSubsweepDefParams*>(c->GetForEdit(1));
    regular->SetSelectedValues(Doubles(Units::kGHz, {9}).get());
    regular->SetSubsweepDefChoiceType(rep::kNominalValueChoice);
    dynamic_cast<SpecifiableSubsweepDefParams*>(c->GetForEdit(2))->SetOverridingColumnData(nullptr);
    c->Remove(size_t(0));
  }
  ExpectSameContent(EveryKind(), original);

  SubsweepDefParamsContainer moved(std::move(copy));
  EXPECT_EQ(4u, moved.Size());
  EXPECT_TRUE(copy.empty());  // NOLINT: a moved-from container is left empty
}

TEST(SubsweepDefParamsContainer, EditingOperations) {
  SubsweepDefParamsContainer c = EveryKind();
  EXPECT_EQ(c[1], c.GetDefParamsFromSweepName(AString(L"FREQ")));
  EXPECT_EQ(c[4], c.GetDefParamsFromSweepName(AString()));
  EXPECT_EQ(nullptr, c.GetDefParamsFromSweepName(AString(L"Fre")));

  SpecialSubsweepDefParams outside(AString(L"Time"));
  EXPECT_FALSE(c.Remove(&outside));
  EXPECT_FALSE(c.Remove(size_t(5)));
  const AbstractSubsweepDefParams* sync = c[3];
  EXPECT_TRUE(c.Remove(sync));
  EXPECT_EQ(4u, c.Size());
  EXPECT_EQ(AString(), c[3]->GetSweepName());

  c.Replace(0, new RegularSubsweepDefParams(AString(L"new")));
  EXPECT_EQ(AString(L"new"), c[0]->GetSweepName());
  c.Replace(9, new RegularSubsweepDefParams(AString(L"lost")));  // taken and freed
  EXPECT_SOFT_ASSERT("index<Size()");
  EXPECT_EQ(nullptr, c[9]);
  EXPECT_SOFT_ASSERT("index<Size()");
  c.PushBackAndOwn(nullptr);
  EXPECT_SOFT_ASSERT("def");

  RegularSubsweepDefParams mine(AString(L"mine"));
  c.PushBackCopy(mine);
  mine.SetSweepName(AString(L"changed"));
  EXPECT_EQ(AString(L"mine"), c[4]->GetSweepName());

  std::vector<AString> names;
  for (const AbstractSubsweepDefParams* d : c) names.push_back(d->GetSweepName());
  EXPECT_EQ(W({L"new", L"Freq", L"len \"quoted\"", L"", L"mine"}), names);
  c.ClearAll();
  EXPECT_TRUE(c.empty());
}

TEST(SubsweepDefParamsContainer, BlockRoundTripOfEveryKindThroughAFile) {
  SubsweepDefParamsContainer written = EveryKind();
  io::CBlock block(written.GetBlockName());
  EXPECT_EQ(AString(L"SubsweepDefParams"), block.GetName());
  ASSERT_EQ(io::kNoError, written.DoDataExchange(block, false));
  EXPECT_EQ(5u, block.GetNumItems());

  reptest::TempDir dir;
  LongFileName file(AString::FromUtf8(dir.File("subsweeps.txt")));
  ASSERT_EQ(io::kNoError, io::WriteBlockFile(file, block));
  io::CBlock fromFile;
  ASSERT_EQ(io::kNoError, io::ReadBlockFile(file, fromFile));

  SubsweepDefParamsContainer read;
  read.PushBackAndOwn(new SpecialSubsweepDefParams(AString(L"replaced by the read")));
  EXPECT_EQ(io::kNoError, read.DoDataExchange(fromFile, true));
  ExpectSameContent(written, read);
  // The doubles read back bit for bit.
  const Column* overriding = OverridingOf(read[2]);
  ASSERT_NE(nullptr, overriding);
  EXPECT_TRUE(std::signbit(overriding->GetDoubleColumn()->GetValues()[0]));
  EXPECT_EQ(1e-300, overriding->GetDoubleColumn()->GetValues()[1]);
  EXPECT_EQ(2.000000000000001, SelectionOf(read[1])->GetDoubleColumn()->GetValues()[2]);
  EXPECT_EQ(Units::kGHz, SelectionOf(read[1])->GetUnits());

  // Written again, the block is the same.
  io::CBlock again(read.GetBlockName());
  read.DoDataExchange(again, false);
  EXPECT_EQ(block, again);
}

TEST(SubsweepDefParamsContainer, ReadingDamagedBlocksLeavesTheBadDefinitionsOut) {
  auto sub = [](std::initializer_list<io::CBlock_named_value> items) {
    io::CBlock b(ACHAR("Subsweep"));
    for (const auto& nv : items) b << nv;
    return b;
  };
  auto nv = [](const wchar_t* k, const io::CBlock_value& v) { return io::CBlock_named_value(k, v); };
  const io::CBlock good = sub({nv(L"Kind", 1), nv(L"SweepName", AString(L"ok")), nv(L"ChoiceType", 1)});
  io::CBlock badSelection = sub({nv(L"Kind", 2), nv(L"SweepName", AString(L"s")), nv(L"ChoiceType", 3)});
  io::CBlock selection(ACHAR("Selection"));
  selection << nv(L"ColumnType", 1);
  badSelection << selection;

  struct Case {
    const char* why;
    io::CBlock bad;
    io::ReadError expected;
  };
  const Case cases[] = {
      {"unknown kind", sub({nv(L"Kind", 9), nv(L"SweepName", AString(L"x")), nv(L"ChoiceType", 1)}), 1},
      {"no kind", sub({nv(L"SweepName", AString(L"x")), nv(L"ChoiceType", 1)}), 2},
      {"kind as text", sub({nv(L"Kind", AString(L"2")), nv(L"SweepName", AString(L"x"))}), 1},
      {"no sweep name", sub({nv(L"Kind", 2), nv(L"ChoiceType", 3)}), 2},
      {"choice out of range", sub({nv(L"Kind", 2), nv(L"SweepName", AString(L"x")), nv(L"ChoiceType", 4)}), 1},
      {"no choice", sub({nv(L"Kind", 3), nv(L"SweepName", AString(L"x"))}), 2},
      {"damaged selection", badSelection, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    io::CBlock block(ACHAR("SubsweepDefParams"));
    block << good << c.bad << good;
    block << io::CBlock_named_value(ACHAR("Subsweep"), io::CBlock_value(3));  // not a block: ignored
    SubsweepDefParamsContainer read;
    EXPECT_EQ(c.expected, read.DoDataExchange(block, true));
    ASSERT_EQ(2u, read.Size());
    EXPECT_EQ(AString(L"ok"), read[1]->GetSweepName());
  }

  SubsweepDefParamsContainer held = EveryKind();
  io::CBlock empty;
  EXPECT_EQ(io::kNoError, held.DoDataExchange(empty, true));
  EXPECT_TRUE(held.empty());
}

TEST(SubsweepDefParams, ReadingADamagedBlockKeepsTheDefinition) {
  auto before = Doubles(Units::kGHz, {1, 2});
  RegularSubsweepDefParams def(AString(L"Freq"), rep::kNominalValueChoice, before.get());
  io::CBlock b(ACHAR("Subsweep"));
  b << io::CBlock_named_value(ACHAR("SweepName"), io::CBlock_value(AString(L"Other")));
  b << io::CBlock_named_value(ACHAR("ChoiceType"), io::CBlock_value(0));
  EXPECT_EQ(1, def.DoDataExchange(b, true));
  EXPECT_EQ(AString(L"Freq"), def.GetSweepName());
  EXPECT_EQ(rep::kNominalValueChoice, def.GetSubsweepDefChoiceType());
  EXPECT_EQ(W({L"1GHz", L"2GHz"}), Texts(def.GetSelectedValues()));

  io::CBlock otherKind(ACHAR("Subsweep"));
  SpecifiableSubsweepDefParams(AString(L"x")).DoDataExchange(otherKind, false);
  EXPECT_EQ(1, def.DoDataExchange(otherKind, true));
  EXPECT_EQ(AString(L"Freq"), def.GetSweepName());
}

TEST(SubsweepDefParams, SnapshotsAndAssignment) {
  auto sel = Doubles(Units::kMm, {1, 2});
  SpecifiableSubsweepDefParams def(AString(L"len"), rep::kSelectedValuesChoice, sel.get());
  def.SetOverridingColumnData(sel.get());
  std::unique_ptr<MUndoableObject> snapshot(def.Clone());
  def.SetSubsweepDefChoiceType(rep::kAllValuesChoice);
  def.SetSelectedValues(nullptr);
  def.SetOverridingColumnData(nullptr);
  def.AssignForUndoFrom(*snapshot);
  EXPECT_EQ(rep::kSelectedValuesChoice, def.GetSubsweepDefChoiceType());
  EXPECT_EQ(W({L"1mm", L"2mm"}), Texts(def.GetSelectedValues()));
  EXPECT_EQ(W({L"1mm", L"2mm"}), Texts(def.GetOverridingColumnData()));
  EXPECT_NE(sel.get(), def.GetSelectedValues());  // setters copy

  CUndoableVersion foreign;
  def.Assign(foreign);
  EXPECT_SOFT_ASSERT("def");
  SpecialSubsweepDefParams special;
  special.Assign(def);
  EXPECT_SOFT_ASSERT("def");

  std::unique_ptr<AbstractSubsweepDefParams> copy(def.CloneDefParams());
  ASSERT_NE(nullptr, dynamic_cast<SpecifiableSubsweepDefParams*>(copy.get()));

  def.SetSubsweepDefChoiceType(0);
  EXPECT_SOFT_ASSERT("IsValidChoiceType(choiceType)");
  EXPECT_EQ(rep::kSelectedValuesChoice, def.GetSubsweepDefChoiceType());
  EXPECT_EQ(rep::kAllValuesChoice, SpecialSubsweepDefParams().GetSubsweepDefChoiceType());
}

TEST(SubsweepDefParams, SelectValuesParsesTextsInUnit90) {
  RegularSubsweepDefParams def(AString(L"Freq"));
  EXPECT_TRUE(def.SelectValues(W({L"1GHz", L"2500MHz"})));
  EXPECT_EQ(2u, def.GetNumSelectedValues());
  ASSERT_NE(nullptr, def.GetSelectedValues());
  EXPECT_EQ(Units::kGHz, def.GetSelectedValues()->GetUnits());
  EXPECT_EQ(W({L"1GHz", L"2.5GHz"}), Texts(def.GetSelectedValues()));

  EXPECT_FALSE(def.SelectValues(W({L"3GHz", L"three"})));
  EXPECT_FALSE(def.SelectValues(W({L"3GHz", L"1+2i"})));
  EXPECT_EQ(W({L"1GHz", L"2.5GHz"}), Texts(def.GetSelectedValues()));

  EXPECT_TRUE(def.SelectValues(W({L"7"})));
  EXPECT_EQ(W({L"7"}), Texts(def.GetSelectedValues()));
  EXPECT_TRUE(def.SelectValues({}));
  EXPECT_EQ(0u, def.GetNumSelectedValues());
  EXPECT_EQ(nullptr, def.GetSelectedValues());
}

TEST(PointsetDefParams, HoldsItsSubsweeps) {
  PointsetDefParams p;
  EXPECT_EQ(0u, p.SubsweepsSize());
  p.GetSubsweepDefParamsContainerForEdit().PushBackAndOwn(new RegularSubsweepDefParams(AString(L"a")));
  PointsetDefParams copy = p;
  p.GetSubsweepDefParamsContainerForEdit().ClearAll();
  EXPECT_EQ(1u, copy.SubsweepsSize());
  EXPECT_EQ(AString(L"a"), copy.GetSubsweepDefParamsContainer()[0]->GetSweepName());
}

namespace {

// The sweeps a validation looks at: one of each default kind, and an empty one.
struct SweepSet {
  Variable freq{AString(L"Freq"), Units::kGHz};
  Variable len{AString(L"len"), Units::kMm};
  Variable time{AString(L"Time"), Units::kNs};
  Variable a{AString(L"a"), Units::kMm};
  Variable b{AString(L"b"), Units::kMm};
  Variable none{AString(L"none"), Units::kMm};
  Sweep regular{AString(L"Freq"), &freq, Doubles(Units::kGHz, {1, 2}).release()};
  Sweep specifiable{AString(L"len"), &len, Doubles(Units::kMm, {1, 2}).release(), false, 3};
  Sweep special{AString(L"Time"), &time, Doubles(Units::kNs, {1, 2}).release(), true};
  SynchronizedSweep sync{{new Sweep(AString(L"a"), &a, Doubles(Units::kMm, {1}).release()),
                          new Sweep(AString(L"b"), &b, Doubles(Units::kMm, {2}).release())}};
  Sweep noDefault{AString(L"none"), &none, Doubles(Units::kMm, {1}).release()};
  std::vector<SweepBase*> all{&regular, &specifiable, &special, &sync, &noDefault};

  SweepSet() { noDefault.SetMakesNoDefaultDefinition(true); }
};

}  // namespace

// A definition made to select values on is the sweep's default but for the values it carries.
TEST(SubsweepDefParamsFactory, DefaultSelectingNothingIsTheDefaultWithoutValues) {
  SweepSet sweeps;
  for (SweepBase* sweep : sweeps.all) {
    SCOPED_TRACE(sweep->GetName().c_str());
    std::unique_ptr<AbstractSubsweepDefParams> byDefault(sweep->CreateDefaultSubsweepDefParams());
    std::unique_ptr<AbstractSubsweepDefParams> empty(SubsweepDefParamsFactory::CreateDefaultSelectingNothing(*sweep));
    ASSERT_EQ(byDefault == nullptr, empty == nullptr);
    if (!empty) continue;
    EXPECT_EQ(byDefault->GetSubsweepDefParamType(), empty->GetSubsweepDefParamType());
    EXPECT_EQ(byDefault->GetSweepName(), empty->GetSweepName());
    EXPECT_EQ(byDefault->GetSubsweepDefChoiceType(), empty->GetSubsweepDefChoiceType());
    const auto* selectable = dynamic_cast<const SelectableSubsweepDefParams*>(empty.get());
    EXPECT_EQ(0u, selectable ? selectable->GetNumSelectedValues() : 0u);
  }
}

TEST(ValidateSubsweepDefParamsVisitor, ValidationTable) {
  SweepSet sweeps;
  auto one = Doubles(Units::kMm, {1});
  struct Case {
    const char* why;
    int kind;
    const wchar_t* sweep;
    int choice;
    bool selected;
    bool valid;
  };
  const Case cases[] = {
      {"regular on a regular sweep", 2, L"Freq", 3, true, true},
      {"name without case", 2, L"FREQ", 3, true, true},
      {"no such sweep", 2, L"Fre", 3, true, false},
      {"choice 3 needs a selection", 2, L"Freq", 3, false, false},
      {"all values need none", 2, L"Freq", 1, false, true},
      {"nominal needs none", 2, L"Freq", 2, false, true},
      {"regular on a specifiable sweep", 2, L"len", 3, true, true},
      {"specifiable on a specifiable sweep", 3, L"len", 3, true, true},
      {"specifiable on a regular sweep", 3, L"Freq", 3, true, false},
      {"regular on a special sweep", 2, L"Time", 3, true, false},
      {"special on a special sweep", 1, L"Time", 1, false, true},
      {"special on a regular sweep", 1, L"Freq", 1, false, false},
      {"synchronized on a synchronized sweep", 4, L"a", 3, true, true},
      {"synchronized by a member's name", 4, L"b", 3, true, false},
      {"regular on a synchronized sweep", 2, L"a", 3, true, false},
      {"synchronized on a regular sweep", 4, L"Freq", 3, true, false},
      {"a sweep that makes no default", 2, L"none", 3, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    std::unique_ptr<AbstractSubsweepDefParams> def(
        SubsweepDefParamsFactory::Create(c.kind, AString(c.sweep), c.selected ? one.get() : nullptr));
    ASSERT_NE(nullptr, def);
    if (auto* s = dynamic_cast<SelectableSubsweepDefParams*>(def.get())) s->SetSubsweepDefChoiceType(c.choice);
    ValidateSubsweepDefParamsVisitor v(sweeps.all);
    EXPECT_FALSE(v.IsValid());
    EXPECT_EQ(c.valid, def->Accept(v));
    EXPECT_EQ(c.valid, v.IsValid());
  }
}

TEST(ValidateSubsweepDefParamsVisitor, OverridingValuesStandForTheSelection) {
  SweepSet sweeps;
  SpecifiableSubsweepDefParams def(AString(L"len"), rep::kSelectedValuesChoice);
  ValidateSubsweepDefParamsVisitor v(sweeps.all);
  EXPECT_FALSE(def.Accept(v));
  def.SetOverridingColumnData(Doubles(Units::kMm, {5}).get());
  EXPECT_TRUE(def.Accept(v));
  // A later invalid definition resets the answer.
  EXPECT_FALSE(SpecialSubsweepDefParams(AString(L"Freq")).Accept(v));
  EXPECT_FALSE(v.IsValid());
}

TEST(ValidateSubsweepDefParamsVisitor, SpecifiableSweeps) {
  SweepSet sweeps;
  ValidateSubsweepDefParamsVisitor v(sweeps.all);
  EXPECT_TRUE(v.IsSpecifiableSweep(&sweeps.specifiable));
  EXPECT_FALSE(v.IsSpecifiableSweep(&sweeps.regular));
  EXPECT_FALSE(v.IsSpecifiableSweep(&sweeps.special));
  EXPECT_FALSE(v.IsSpecifiableSweep(&sweeps.noDefault));
  EXPECT_FALSE(v.IsSpecifiableSweep(nullptr));
}
