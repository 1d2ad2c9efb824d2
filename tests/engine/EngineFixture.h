// A design of the reference host with one report manager, for tests of the engine's definitions.
#pragma once

#include <memory>
#include <vector>

#include "reports/PointsetDefinition.h"
#include "RepTest.h"
#include "reports/ReportDefinition.h"
#include "reports/ReportManager.h"
#include "reports/TraceDefinition.h"
#include "orvex/core/VelmorCommand.h"
#include "refhost/ReferenceDesktop.h"
#include "refhost/ReferenceReportManagerOwner.h"
#include "refhost/ReferenceSolutionManager.h"

namespace reptest {

class EngineFixture : public ::testing::Test {
protected:
  EngineFixture() {
    m_solutions.AddSolution(10, L"Run1");
    m_solutions.AddSolution(11, L"Run2");
    m_solutions.SetDesignOfInstance(1, 100);
    m_owner.SetDesignInstanceID(1);
    m_owner.SetSolutionManager(&m_solutions);
    m_mgr = std::make_unique<rep::ReportManager>(&m_owner, true);
  }

  rep::ReportManager& Mgr() { return *m_mgr; }

  // A computed trace of solution 10, not yet in any report; the caller owns it.
  std::unique_ptr<rep::TraceDefinition> MakeTrace(const std::vector<AString>& expressions,
                                                  const AString& name = AString()) {
    DesignSolutionDefinition dsd(100, 10, ReportTypeSolutionDefinition(1));
    rep::PointsetDefinition pointset;
    if (name.empty())
      return std::make_unique<rep::TraceDefinition>(*m_mgr, expressions, dsd, pointset, ExtTraceInfo(), 1, nullptr);
    return std::make_unique<rep::TraceDefinition>(*m_mgr, name, expressions, dsd, pointset, ExtTraceInfo(), 1, false,
                                                  nullptr);
  }

  // Adds a report holding copies of the given traces, without undo; answers its ID.
  long AddReport(const AString& name, const std::vector<rep::IBaseTraceDefinition*>& traces = {}) {
    std::unique_ptr<rep::IReportDefinition> report = m_mgr->CreateReportDefinition(traces, name);
    return m_mgr->AddReportDefinition(*report, nullptr);
  }

  rep::ReportDefinition& Report(long id) { return *dynamic_cast<rep::ReportDefinition*>(m_mgr->GetReportDefinition(id)); }

  std::vector<AString> TraceNames(long reportID) {
    std::vector<AString> names;
    for (const rep::BaseTraceDefinition* t : Report(reportID).GetTraces()) names.push_back(t->GetName());
    return names;
  }

  refhost::ReferenceDesktop m_desktop;
  refhost::ReferenceReportManagerOwner m_owner;
  refhost::ReferenceSolutionManager m_solutions;
  std::unique_ptr<rep::ReportManager> m_mgr;
};

}  // namespace reptest
