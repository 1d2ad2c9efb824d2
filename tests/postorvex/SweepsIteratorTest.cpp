#include <memory>
#include <set>
#include <vector>

#include "RepTest.h"
#include "orvex/values/Variable.h"
#include "postorvex/sweeps/SweepsAbstraction.h"
#include "postorvex/sweeps/SweepsIterator.h"

namespace {

// Variables with plain double values, optionally with explicit families.
class Sweeps : public SweepsValuesInfoAbstraction {
public:
  Variable* Add(const wchar_t* name, std::vector<double> values) {
    m_vars.push_back(std::make_unique<Variable>(name, Units::kNoUnit));
    m_values.push_back(std::move(values));
    return m_vars.back().get();
  }
  unsigned GetNumSweepVariables() const override { return static_cast<unsigned>(m_vars.size()); }
  unsigned GetNumValues(unsigned var) const override { return static_cast<unsigned>(m_values[var].size()); }
  Variable* GetSweepVariable(unsigned var) const override { return m_vars[var].get(); }
  bool GetValue(Value& out, unsigned var, unsigned k, const VariableValues*) const override {
    out = Value(m_values[var][k], Units::kNoUnit);
    return true;
  }
  const std::vector<VariableValues>* GetExplicitFamiliesIfAny() const override {
    return m_families.empty() ? nullptr : &m_families;
  }
  bool IsSpecialVariable(const Variable*) const override { return false; }

  std::vector<VariableValues> m_families;

private:
  std::vector<std::unique_ptr<Variable>> m_vars;
  std::vector<std::vector<double>> m_values;
};

VariableValues Point(std::vector<std::pair<Variable*, double>> values) {
  VariableValues v;
  for (auto& p : values) v.SetVariableValue(p.first, Value(p.second, Units::kNoUnit));
  return v;
}

std::vector<std::vector<double>> Walk(SweepsIteratorBase& it, const std::vector<Variable*>& vars) {
  std::vector<std::vector<double>> steps;
  for (it.Begin(); !it.End(); it.Advance()) {
    std::vector<double> step;
    for (Variable* v : vars) {
      const Value* value = it.GetVariableValues().GetVariableValue(v);
      step.push_back(value ? value->GetValue() : -1);
    }
    steps.push_back(step);
  }
  return steps;
}

TEST(SweepsIterator, ProductWithTheFirstActiveFastest) {
  Sweeps s;
  Variable* a = s.Add(L"a", {1, 2});
  Variable* b = s.Add(L"b", {10, 20, 30});
  Variable* c = s.Add(L"c", {7});
  SweepsIterator it({true, true, false, true}, &s);
  EXPECT_FALSE(it.End()) << "not empty before Begin";
  EXPECT_EQ((std::vector<std::vector<double>>{{1, 10, -1}, {2, 10, -1}, {1, 20, -1}, {2, 20, -1}, {1, 30, -1},
                                               {2, 30, -1}}),
            Walk(it, {a, b, c}));

  s.Add(L"d", {});
  SweepsIterator empty({true, false, false, true}, &s);
  EXPECT_TRUE(empty.End()) << "an active variable without values empties the space";
  SweepsIterator none({false, false, false}, &s);
  EXPECT_TRUE(none.End());

  DegeneracyAwareSweepsIterator once(std::make_unique<SweepsIterator>(std::vector<bool>{false}, &s));
  EXPECT_EQ(1u, Walk(once, {a}).size());
  EXPECT_TRUE(once.GetVariableValues().empty());
}

TEST(SweepsIterator, ConstituentsMatchValuesNearlyExactly) {
  Sweeps s;
  Variable* a = s.Add(L"a", {1, 2});
  Variable* b = s.Add(L"b", {0.1, 0.3});
  Variable* other = s.Add(L"x", {5});
  SweepsIterator it({true, true}, &s);
  struct Case {
    VariableValues point;
    bool constituent;
  } cases[] = {
      {Point({{a, 2}, {b, 0.1 * 3}}), true},        // 0.30000000000000004
      {Point({{a, 2}, {b, 0.3}, {other, 9}}), true},  // other variables do not matter
      {Point({{a, 2}, {b, 0.3 * (1 + 1e-9)}}), false},
      {Point({{a, 2}}), false},                       // b missing
  };
  for (const Case& c : cases) {
    VariableValues constant;
    EXPECT_EQ(c.constituent, it.IsConstituent(c.point, constant, nullptr)) << c.point.GetVariationKey(false).ToUtf8();
    if (c.constituent) {
      EXPECT_EQ(2u, constant.size());
    }
  }
}

TEST(SweepsAndFamiliesIterator, FamiliesSlowestFreeVariablesInIndexOrder) {
  Sweeps s;
  Variable* f = s.Add(L"f", {1, 2, 3});
  Variable* w = s.Add(L"w", {});
  Variable* l = s.Add(L"l", {});
  Variable* unused = s.Add(L"u", {});
  s.m_families = {Point({{w, 1}, {l, 5}, {unused, 0}}), Point({{w, 2}, {l, 5}, {unused, 1}}),
                  Point({{w, 1}, {l, 5}, {unused, 2}})};
  SweepsAndFamiliesIterator it({l, w, f}, &s);
  EXPECT_EQ((std::vector<std::vector<double>>{{1, 1, 5}, {2, 1, 5}, {3, 1, 5}, {1, 2, 5}, {2, 2, 5}, {3, 2, 5}}),
            Walk(it, {f, w, l}))
      << "families equal on the active variables count once";

  VariableValues constant;
  EXPECT_TRUE(it.IsConstituent(Point({{f, 3}, {w, 2}, {l, 5}}), constant, nullptr));
  EXPECT_EQ(3u, constant.size());
  EXPECT_FALSE(it.IsConstituent(Point({{f, 3}, {w, 2}, {l, 6}}), constant, nullptr)) << "no such family";
  EXPECT_FALSE(it.IsConstituent(Point({{f, 4}, {w, 2}, {l, 5}}), constant, nullptr));
}

}  // namespace
