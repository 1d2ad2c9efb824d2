#include <map>
#include <memory>
#include <vector>

#include "RepTest.h"
#include "hostapi/ISolutionForReports.h"
#include "hostapi/ISolutionManagerForReports.h"
#include "postorvex/solution/SimValueContext.h"
#include "postorvex/sweeps/PostpSweepUtils.h"
#include "postorvex/sweeps/ReportTraceDefUtils.h"
#include "postorvex/sweeps/SweepBase.h"

namespace {

// A sweep known only by its name and variable; enough for the lookups.
class NamedSweep : public SweepBase {
public:
  NamedSweep(const AString& name, Variable* variable) : m_name(name), m_variable(variable) {}
  bool IsSpecialSweep() const override { return false; }
  AbstractSubsweepDefParams* CreateDefaultSubsweepDefParams() const override { return nullptr; }
  AString GetValueText(unsigned) const override { return AString(); }
  unsigned GetNumValues() const override { return 0; }
  Variable* GetVariable(unsigned index) const override { return index == 0 ? m_variable : nullptr; }
  AString GetName() const override { return m_name; }

private:
  AString m_name;
  Variable* m_variable;
};

Variable* FakeVariable(int n) { return reinterpret_cast<Variable*>(static_cast<intptr_t>(0x1000 + 16 * n)); }

class SweepsSolution : public ISolutionForReports {
public:
  std::vector<SweepBase*> sweeps;
  SimValueContext askedContext;
  unsigned askedReportType = 0;

  void BuildContextObjects(const ReportTypeSolutionDefinition&, ISolutionContextObject*&,
                           IDerivedDataDefinition*&) override {}
  long GetVersionIDForPostprocessing(const IDerivedDataDefinition&) override { return 0; }
  long GetContextVersionID(const IDerivedDataDefinition&) override { return 0; }
  void GetValidVersionIDs(std::vector<long>&, const IDerivedDataDefinition&) override {}
  void GetVariables(std::vector<Variable*>&, const IDerivedDataDefinition&, long, const VariableValues*) override {}
  void GetSolutionInstances(std::vector<ISolutionInstanceForReports*>&, const IDerivedDataDefinition&, long) override {}
  bool ProvideSweepPoint(const IDerivedDataDefinition&, long, const VariableValues&) override { return false; }
  bool GetQuantityValueState(ValueState&, const AString&, const ReportTypeSolutionDefinition&, long) override {
    return false;
  }
  bool GetQuantityEnumTypeName(AString&, const AString&, const ReportTypeSolutionDefinition&, long) override {
    return false;
  }
  bool GetOutputVariableExpression(AString&, const AString&) override { return false; }
  bool GetSkipVariableClassification(bool) override { return false; }
  AString GetName() const override { return ACHAR("Setup1"); }
  SweepBase* GetSweepOfVariable(const AString&, const SimValueContext&, unsigned) override { return nullptr; }
  void GetSweeps(std::vector<SweepBase*>& out, const SimValueContext& context, unsigned reportType) override {
    askedContext = context;
    askedReportType = reportType;
    out.insert(out.end(), sweeps.begin(), sweeps.end());
  }
  bool IsSimValueQuantity(AString&, const AString&, const ReportTypeSolutionDefinition&) override { return false; }
  bool DidCommandChangeQuantity(const IVelmorCommand*, const AString&, const ReportTypeSolutionDefinition&) override {
    return false;
  }
  bool DidCommandChangeData(const IVelmorCommand*, const ReportTypeSolutionDefinition&) override { return false; }
  bool SupportsReportType(unsigned) override { return true; }
  bool DoesContextFitReportType(const SimValueContext&, unsigned) override { return true; }
  bool DidCommandChangeSweeps(const IVelmorCommand*, const ReportTypeSolutionDefinition&) override { return false; }
  IQuantityTypeProvider* GetQuantityTypeProvider() override { return nullptr; }
  bool GetTextQuantityName(AString&, const AString&, const ReportTypeSolutionDefinition&) override { return false; }
};

class SolutionsByID : public ISolutionManagerForReports {
public:
  std::map<long, ISolutionForReports*> solutions;

  ISolutionForReports* GetSolution(long id) const override {
    auto it = solutions.find(id);
    return it == solutions.end() ? nullptr : it->second;
  }
  void GetSolutionsForReportType(std::vector<long>&, unsigned) override {}
  IVariableNameSpaceSetupper* GetVariableNameSpaceSetupper(long) override { return nullptr; }
  void GetSolutionVariation(VariableValues&, long, long, const ReportTypeSolutionDefinition&) override {}
  long GetDesignID(long) override { return 1; }
  void GetVariableChanges(std::vector<AString>&, std::vector<AString>&, std::vector<AString>&, const IVelmorCommand*,
                          long, const ReportTypeSolutionDefinition&, long) override {}
  void GetSourceDescription(AString&, const DesignSolutionDefinition&) override {}
  IManagedFileService* GetManagedFileService() override { return nullptr; }
  void GetDesignSolutionDefinitions(std::vector<DesignSolutionDefinition>&) override {}
  ITraceInterpreterLookup* GetTraceInterpreterLookup() override { return nullptr; }
  IAlienTokenParser* GetAlienTokenParser() override { return nullptr; }
};

}  // namespace

TEST(FindSweepInVector, ByNameIgnoresCaseAndTakesTheFirst) {
  NamedSweep freq(ACHAR("Freq"), FakeVariable(1)), len(ACHAR("Länge"), FakeVariable(2)),
      freq2(ACHAR("FREQ"), FakeVariable(3));
  std::vector<SweepBase*> sweeps{nullptr, &freq, &len, &freq2};
  struct Case {
    const wchar_t* name;
    SweepBase* expected;
  };
  const Case cases[] = {
      {L"freq", &freq}, {L"FREQ", &freq}, {L"LÄNGE", &len}, {L"Fre", nullptr}, {L"", nullptr}, {L"Freq ", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(AString(c.name).ToUtf8());
    EXPECT_EQ(c.expected, postp::FindSweepInVector(sweeps, AString(c.name)));
  }
  EXPECT_EQ(nullptr, postp::FindSweepInVector(std::vector<SweepBase*>(), AString(L"Freq")));
}

TEST(FindSweepInVector, ByVariableComparesIdentity) {
  NamedSweep a(ACHAR("a"), FakeVariable(1)), b(ACHAR("b"), FakeVariable(2)), none(ACHAR("c"), nullptr);
  std::vector<SweepBase*> sweeps{&none, &a, &b};
  EXPECT_EQ(&b, postp::FindSweepInVector(sweeps, static_cast<const Variable*>(FakeVariable(2))));
  EXPECT_EQ(&a, postp::FindSweepInVector(sweeps, static_cast<const Variable*>(FakeVariable(1))));
  EXPECT_EQ(nullptr, postp::FindSweepInVector(sweeps, static_cast<const Variable*>(FakeVariable(7))));
  // A sweep without variable is not found by a null variable.
  EXPECT_EQ(nullptr, postp::FindSweepInVector(sweeps, static_cast<const Variable*>(nullptr)));
}

TEST(ReportTraceDefUtils, GetSolutionSweepsAppendsAndPassesContext) {
  NamedSweep a(ACHAR("a"), nullptr), b(ACHAR("b"), nullptr), kept(ACHAR("kept"), nullptr);
  SweepsSolution solution;
  solution.sweeps = {&a, &b};
  SolutionsByID mgr;
  mgr.solutions[5] = &solution;

  std::vector<SweepBase*> out{&kept};
  SimValueContext ctx(1, 2, 3, 4, 5.0, 6.0, 7.0, 8.0);
  EXPECT_TRUE(ReportTraceDefUtils::GetSolutionSweeps(out, 5, &mgr, ctx, 77u));
  EXPECT_EQ((std::vector<SweepBase*>{&kept, &a, &b}), out);
  EXPECT_EQ(ctx, solution.askedContext);
  EXPECT_EQ(77u, solution.askedReportType);

  out.clear();
  EXPECT_FALSE(ReportTraceDefUtils::GetSolutionSweeps(out, 6, &mgr, ctx, 77u));
  EXPECT_TRUE(out.empty());

  EXPECT_FALSE(ReportTraceDefUtils::GetSolutionSweeps(out, 5, nullptr, ctx, 77u));
  EXPECT_SOFT_ASSERT("solMgr");
}
