#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "RepTest.h"
#include "orvex/centupd/CentralizedLoadUnitInfo.h"
#include "orvex/centupd/CentralizedUpdateUtility.h"
#include "orvex/centupd/ICentralizedUpdateObject.h"
#include "orvex/centupd/IDerivedDataManager.h"
#include "orvex/centupd/RecordingProgressMonitor.h"
#include "orvex/core/IInterfaceQueriable.h"
#include "orvex/values/Variable.h"

namespace {

class Definition : public IDerivedDataDefinition {
public:
  explicit Definition(int reportType) : m_type(reportType) {}
  bool Matches(const ReportTypeSolutionDefinition&) const override { return true; }
  IDerivedDataDefinition* Clone() const override { return new Definition(m_type); }
  bool IsSame(const IDerivedDataDefinition& other) const override {
    auto* o = dynamic_cast<const Definition*>(&other);
    return o && o->m_type == m_type;
  }

private:
  int m_type;
};

class Info : public IExtendedLoadInfo {
public:
  explicit Info(std::string tag) : m_tag(std::move(tag)) {}
  IExtendedLoadInfo* Clone() const override { return new Info(m_tag); }
  IInterfaceQueriable* GetInterfaceQueriable() override { return nullptr; }
  const std::string& Tag() const { return m_tag; }

private:
  std::string m_tag;
};

// Counts itself; asks for units at the given major values of one variable and logs what happens.
class Object : public ICentralizedUpdateObject {
public:
  Object(std::string name, std::vector<double> points, std::vector<std::string>& log, int reportType = 1)
      : m_name(std::move(name)), m_points(std::move(points)), m_log(log), m_type(reportType) {
    ++s_alive;
  }
  ~Object() override { --s_alive; }
  void GetNeededLoadUnits(std::vector<CentralizedLoadUnitInfo>& units) override {
    Definition def(m_type);
    for (double p : m_points) {
      VariableValues major;
      major.SetVariableValue(Var(), Value(p, Units::kNoUnit));
      units.emplace_back(SolutionLoadDefinition(1, 10, &def), 3, major);
      units.back().AddExtendedLoadInfo(Info(m_name));
    }
  }
  void NotifyOnLoad(const CentralizedLoadUnitInfo& unit, IProgressMonitor*) override {
    std::string entry = m_name + " load " + std::to_string(static_cast<int>(unit.GetMajorVariableValues().GetVariableValue(Var())->GetValue()));
    for (size_t i = 0; i < unit.GetNumExtendedLoadInfos(); ++i)
      entry += " " + dynamic_cast<const Info*>(unit.GetExtendedLoadInfo(i))->Tag();
    m_log.push_back(entry);
    if (m_throwOnLoad) throw std::runtime_error("object failure");
  }
  void IgnoreNotification(const void*) override { m_log.push_back(m_name + " ignore"); }
  void NotifyDoneUpdate(IProgressMonitor*) override {
    m_log.push_back(m_name + " done");
    const bool throws = m_throwOnDone;
    delete this;
    if (throws) throw std::runtime_error("object failure when done");
  }
  static Variable* Var() {
    static Variable v(L"L", Units::kNoUnit);
    return &v;
  }
  bool m_throwOnLoad = false;
  bool m_throwOnDone = false;
  static int s_alive;

private:
  std::string m_name;
  std::vector<double> m_points;
  std::vector<std::string>& m_log;
  int m_type;
};
int Object::s_alive = 0;

class Loader : public IDerivedDataManager {
public:
  bool LoadUnit(const CentralizedLoadUnitInfo& unit) override {
    ++loads;
    return unit.GetMajorVariableValues().GetVariableValue(Object::Var())->GetValue() != failAt;
  }
  int loads = 0;
  double failAt = -1;
};

using Log = std::vector<std::string>;

TEST(CentralizedUpdate, SharedUnitsLoadOnceWithEveryInfoAndObjectsEndInListOrder) {
  Log log;
  Loader loader;
  std::vector<ICentralizedUpdateObject*> objects{new Object("A", {1, 2}, log), new Object("B", {2, 3}, log),
                                                 new Object("C", {2}, log, 2)};
  EXPECT_TRUE(CentralizedUpdateUtility::UpdateObjects(&loader, objects, nullptr));
  EXPECT_EQ(0, Object::s_alive);
  EXPECT_EQ(4, loader.loads) << "2 is one unit for A and B, another for C's load definition";
  EXPECT_EQ(Log({"A load 1 A", "B ignore", "C ignore", "A load 2 A B", "B load 2 A B", "C ignore", "A ignore",
                 "B load 3 B", "C ignore", "A ignore", "B ignore", "C load 2 C", "A done", "B done", "C done"}),
            log)
      << "units load in the order of their first request";
}

TEST(CentralizedUpdate, FailedLoadsAbandonAndThrowsStillEndEveryObject) {
  {
    Log log;
    Loader loader;
    loader.failAt = 1;
    EXPECT_FALSE(CentralizedUpdateUtility::UpdateObjects(&loader, {new Object("A", {1, 2}, log)}, nullptr));
    EXPECT_EQ(Log({"A load 2 A", "A done"}), log) << "a unit that fails to load is skipped";
  }
  {
    Log log;
    RecordingProgressMonitor monitor(1);
    EXPECT_FALSE(CentralizedUpdateUtility::UpdateObjects(nullptr, {new Object("A", {1, 2, 3}, log)}, &monitor));
    EXPECT_EQ(Log({"A load 1 A", "A done"}), log) << "abandoned after one unit";
  }
  {
    Log log;
    auto* thrower = new Object("B", {1}, log);
    thrower->m_throwOnLoad = true;
    std::vector<ICentralizedUpdateObject*> objects{new Object("A", {1}, log), thrower, new Object("C", {}, log)};
    EXPECT_THROW(CentralizedUpdateUtility::UpdateObjects(nullptr, objects, nullptr), std::runtime_error);
    EXPECT_EQ(Log({"A load 1 A B", "B load 1 A B", "A done", "B done", "C done"}), log);
  }
  {
    Log log;
    CentralizedUpdateUtility::GetTestScript().throwOnLoad = 1;
    EXPECT_THROW(CentralizedUpdateUtility::UpdateObjects(nullptr, {new Object("A", {1, 2}, log)}, nullptr),
                 std::runtime_error);
    EXPECT_EQ(Log({"A load 1 A", "A done"}), log);
  }
  struct DoneCase {
    const char* why;
    bool alsoOnLoad;
    Log expected;
  };
  const DoneCase doneCases[] = {
      {"on an untroubled run", false, {"A ignore", "B load 1 B", "C ignore", "A done", "B done", "C done"}},
      {"after a throw on load", true, {"A ignore", "B load 1 B", "A done", "B done", "C done"}},
  };
  for (const DoneCase& c : doneCases) {
    SCOPED_TRACE(c.why);
    Log log;
    auto* thrower = new Object("B", {1}, log);
    thrower->m_throwOnDone = true;
    thrower->m_throwOnLoad = c.alsoOnLoad;
    std::vector<ICentralizedUpdateObject*> objects{new Object("A", {}, log), thrower, new Object("C", {}, log)};
    EXPECT_THROW(CentralizedUpdateUtility::UpdateObjects(nullptr, objects, nullptr), std::runtime_error);
    EXPECT_EQ(c.expected, log) << "the objects after the one that throws when done end too";
  }
  EXPECT_EQ(0, Object::s_alive);
}

TEST(CentralizedUpdate, ScriptedDisturbances) {
  struct Case {
    const char* name;
    void (*set)(CentralizedUpdateUtility::TestScript&);
    Log expected;
  } cases[] = {
      {"drop", [](CentralizedUpdateUtility::TestScript& s) { s.dropUnit = 0; }, {"A load 2 A", "B ignore", "A done", "B done"}},
      {"twice", [](CentralizedUpdateUtility::TestScript& s) { s.deliverTwice = 1; },
       {"A load 1 A", "B ignore", "A load 2 A", "B ignore", "A load 2 A", "B ignore", "A done", "B done"}},
      {"everyone", [](CentralizedUpdateUtility::TestScript& s) { s.notifyEveryObject = true; },
       {"A load 1 A", "B load 1 A", "A load 2 A", "B load 2 A", "A done", "B done"}},
      {"reverse", [](CentralizedUpdateUtility::TestScript& s) { s.reverseOrder = true; },
       {"A load 2 A", "B ignore", "A load 1 A", "B ignore", "A done", "B done"}},
  };
  for (const Case& c : cases) {
    CentralizedUpdateUtility::GetTestScript() = CentralizedUpdateUtility::TestScript();
    c.set(CentralizedUpdateUtility::GetTestScript());
    Log log;
    CentralizedUpdateUtility::UpdateObjects(nullptr, {new Object("A", {1, 2}, log), new Object("B", {}, log)}, nullptr);
    EXPECT_EQ(c.expected, log) << c.name;
  }
  EXPECT_EQ(0, Object::s_alive);
}

TEST(CentralizedUpdate, UnitCopiesOwnTheirDefinitionAndInfos) {
  Definition def(1);
  VariableValues major;
  major.SetVariableValue(Object::Var(), Value(1.0, Units::kNoUnit));
  CentralizedLoadUnitInfo unit(SolutionLoadDefinition(1, 10, &def), 3, major);
  unit.AddExtendedLoadInfo(Info("x"));
  CentralizedLoadUnitInfo copy(unit);
  EXPECT_NE(unit.GetDerivedDataDefinition(), copy.GetDerivedDataDefinition());
  EXPECT_TRUE(copy.IsSameUnitAs(unit));
  AutoVectorOfClonablePtrs<IExtendedLoadInfo> infos;
  copy.GetExtendedLoadInfos(infos);
  ASSERT_EQ(1u, infos.size());
  EXPECT_EQ("x", dynamic_cast<Info*>(infos[0])->Tag());
  CentralizedLoadUnitInfo otherVersion(SolutionLoadDefinition(1, 10, &def), 4, major);
  EXPECT_FALSE(otherVersion.IsSameUnitAs(unit));
  copy = otherVersion;
  EXPECT_EQ(4, copy.GetVersionID());
  EXPECT_EQ(0u, copy.GetNumExtendedLoadInfos());
}

}  // namespace
