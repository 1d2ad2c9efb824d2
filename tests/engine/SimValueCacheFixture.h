// A solution-value cache on a host with one swept solution, and helpers that push and find values.
#pragma once

#include <memory>
#include <vector>

#include "QuantityHost.h"
#include "quantities/SimValueDataCache.h"
#include "quantities/SimValueInfoServer.h"
#include "orvex/values/Variable.h"
#include "orvex/values/VariableValuesContext.h"
#include "postorvex/caches/MinorDoubleSpecialSweepCache.h"
#include "postorvex/caches/MinorVVsCache.h"
#include "postorvex/columns/DoubleColumn.h"
#include "postorvex/solution/DesignSolutionDefinition.h"

namespace reptest {

const int kMM = 142;  // full unit type of millimetres

class CacheTest : public ::testing::Test {
protected:
  CacheTest() : m_cache(&m_host) {
    QuantitySolution& s = m_host.AddQuantitySolution(10, L"Run1");
    m_l = s.AddVariable(L"L", Value(1.0, kMM), true);
    m_w = s.AddVariable(L"W", Value(1.0, kMM), true);
    m_f = s.AddVariable(L"F", Value(1.0, 113), false);
    s.AddQuantity(L"Gain", ValueState(1, 15, 1));
    s.AddQuantity(L"Loss", ValueState(1, 15, 1));
    m_gain = ID(L"Gain");
    m_loss = ID(L"Loss");
  }

  static DesignSolutionDefinition Dsd(unsigned reportType = 1, long solutionID = 10) {
    return DesignSolutionDefinition(100, solutionID, ReportTypeSolutionDefinition(reportType));
  }
  long ID(const AString& quantity) {
    SimValueParams params;
    return m_cache.GetInfoServer().GetSimValueID(params, quantity, Dsd(), 1);
  }
  VariableValues Major(double l, double w) const {
    VariableValues v;
    v.SetVariableValue(m_l, Value(l, kMM));
    v.SetVariableValue(m_w, Value(w, kMM));
    return v;
  }
  QuantitySolution& Solution() { return *static_cast<QuantitySolution*>(m_host.GetSolution(10)); }

  // Pushes Gain = base + row and Loss = -(base + row) at the primary values 1, 2, 3.
  MinorSweepCache* Push(double l, double w, double base, long version = 1, unsigned reportType = 1) {
    return PushTo(m_cache, l, w, base, version, reportType);
  }
  MinorSweepCache* PushTo(rep::SimValueDataCache& cache, double l, double w, double base, long version = 1,
                          unsigned reportType = 1) {
    VariableValuesContext current(Major(l, w));
    DoubleColumn primary(113), gain, loss;
    primary.AppendValues({1, 2, 3});
    gain.AppendValues({base + 1, base + 2, base + 3});
    loss.AppendValues({-(base + 1), -(base + 2), -(base + 3)});
    return cache.UpdateCacheForMinorSweepAtCurrVarVal(m_f, false, {m_l, m_w}, {}, Dsd(reportType), version, primary,
                                                      {m_gain, m_loss}, {&gain, &loss}, L"push");
  }
  MinorSweepCache* Find(double l, double w, long version = 1, unsigned reportType = 1) {
    VariableValuesContext current(Major(l, w));
    return m_cache.GetMinorSweepCacheAtCurrVarVals(m_f, {m_l, m_w}, Dsd(reportType), version);
  }
  MinorVVsCache* FindMinors(double l, double w, long version = 1, unsigned reportType = 1) {
    VariableValuesContext current(Major(l, w));
    return m_cache.GetMinorVVsCacheAtCurrVarVals({m_l, m_w}, Dsd(reportType), version);
  }
  static std::vector<double> Values(const MinorSweepCache* c, long id) {
    const auto* col = c ? dynamic_cast<const DoubleColumn*>(c->GetQuantityColumn(id)) : nullptr;
    return col ? col->GetValues() : std::vector<double>();
  }
  size_t NumVersionEntries() const {
    size_t n = 0;
    for (const auto& d : m_cache.GetDesignMap())
      for (const auto& s : d.second)
        for (const auto& c : s.second) n += c.second.size();
    return n;
  }

  TempDir m_dir;
  ManagedFileService::RootScope m_files{AString::FromUtf8(m_dir.Path())};
  QuantityHost m_host;
  rep::SimValueDataCache m_cache;
  Variable* m_l;
  Variable* m_w;
  Variable* m_f;
  long m_gain, m_loss;
};


}  // namespace reptest
