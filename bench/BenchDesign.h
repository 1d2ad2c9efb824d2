// A design for benchmarks of traces: solution 10 sweeps Freq and knows Gain and S11; the user's
// output variables OV0, OV1, ... are Gain*1, Gain*2, ...; all wired to one report manager.
#pragma once

#include <memory>
#include <string>

#include "quantities/OutputVariableMgr.h"
#include "reports/PointsetDefinition.h"
#include "reports/ReportManager.h"
#include "quantities/SimValueDataCache.h"
#include "orvex/values/Value.h"
#include "postorvex/outputvars/OutputVariable.h"
#include "postorvex/sweeps/RegularSubsweepDefParams.h"
#include "postorvex/sweeps/SubsweepDefParamsContainer.h"
#include "refhost/ReferenceReportManagerOwner.h"
#include "refhost/ReferenceSolutionManager.h"

inline AString Numbered(const wchar_t* prefix, int n) { return AString(prefix) + AString::FromUtf8(std::to_string(n)); }

class BenchDesign {
public:
  explicit BenchDesign(int outputVariables) : m_cache(&m_solutions), m_variables(&m_solutions) {
    refhost::ReferenceSolution& s = m_solutions.AddSolution(10, L"Run");
    s.AddSweep(s.AddVariable(L"Freq", Value(1.0, 113), false), {1, 2, 3});
    s.AddQuantity(L"Gain", ValueState(1, 15, 1));
    s.AddQuantity(L"S11", ValueState(2, 15, 1));
    m_solutions.SetDesignOfInstance(1, 100);
    m_owner.SetDesignInstanceID(1);
    m_owner.SetSolutionManager(&m_solutions);
    m_owner.SetSimValueCache(&m_cache);
    m_owner.SetOutputVariableMgr(&m_variables);
    for (int k = 0; k < outputVariables; ++k) {
      auto* v = new OutputVariable(Numbered(L"OV", k));
      v->SetValueBaseText(Numbered(L"Gain*", k + 1), ValueState(1, 15, 1));
      m_variables.ChangeOutputVariableID(v);
    }
    m_mgr = std::make_unique<rep::ReportManager>(&m_owner, true);
  }

  // Every value of Freq.
  static rep::PointsetDefinition FreqPointset() {
    SubsweepDefParamsContainer subsweeps;
    subsweeps.PushBackAndOwn(new RegularSubsweepDefParams(L"Freq", 1));
    return rep::PointsetDefinition(subsweeps, {});
  }
  static DesignSolutionDefinition Dsd() { return DesignSolutionDefinition(100, 10, ReportTypeSolutionDefinition(1)); }

  refhost::ReferenceSolutionManager m_solutions;
  refhost::ReferenceReportManagerOwner m_owner;
  rep::SimValueDataCache m_cache;
  rep::OutputVariableMgr m_variables;
  std::unique_ptr<rep::ReportManager> m_mgr;
};
