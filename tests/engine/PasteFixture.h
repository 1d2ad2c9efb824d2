// Two designs of the reference host, each with its own report manager, for copy and paste between them.
#pragma once

#include <memory>
#include <vector>

#include "quantities/OutputVariableMgr.h"
#include "reports/PointsetDefinition.h"
#include "RepTest.h"
#include "reports/ReportDefinition.h"
#include "reports/ReportManager.h"
#include "quantities/SimValueDataCache.h"
#include "reports/TraceDefinition.h"
#include "orvex/core/MessageLog.h"
#include "orvex/core/VelmorCommand.h"
#include "orvex/values/ValueState.h"
#include "postorvex/columns/DoubleColumn.h"
#include "postorvex/sweeps/RegularSubsweepDefParams.h"
#include "postorvex/sweeps/SubsweepDefParamsContainer.h"
#include "refhost/RecordingPasteListener.h"
#include "refhost/ReferenceReportManagerOwner.h"
#include "refhost/ReferenceSolutionManager.h"

namespace reptest {

// One design: its solutions, its owner and output variables, and its report manager.
struct PasteDesign {
  PasteDesign(long designInstanceID, long designID) : designID(designID) {
    solutions.SetDesignOfInstance(designInstanceID, designID);
    owner.SetDesignInstanceID(designInstanceID);
    owner.SetSolutionManager(&solutions);
    owner.SetSimValueCache(&cache);
    owner.SetOutputVariableMgr(&outputVariables);
    mgr = std::make_unique<rep::ReportManager>(&owner, true);
  }

  // A solution sweeping Freq over the values given, knowing S11 (complex) and Gain (double).
  refhost::ReferenceSolution& AddSolution(long id, const AString& name, const std::vector<double>& freqs) {
    refhost::ReferenceSolution& s = solutions.AddSolution(id, name);
    s.AddVariable(L"Freq", Value(freqs.empty() ? 1.0 : freqs.front(), 90), false);
    s.AddQuantity(L"S11", ValueState(2, 15, 1));
    s.AddQuantity(L"Gain", ValueState(1, 15, 1));
    s.AddSweep(s.FindVariable(L"Freq"), freqs);
    return s;
  }

  DesignSolutionDefinition Dsd(long solutionID) const {
    return DesignSolutionDefinition(designID, solutionID, ReportTypeSolutionDefinition(1));
  }

  // A computed trace of the solution over the given subsweep definitions; the caller owns it.
  std::unique_ptr<rep::TraceDefinition> MakeTrace(long solutionID, const AString& name,
                                                  const std::vector<AString>& expressions,
                                                  const SubsweepDefParamsContainer& subsweeps,
                                                  const std::vector<VariableValuesDefParams>& families = {}) {
    rep::PointsetDefinition pointset(subsweeps, families);
    return std::make_unique<rep::TraceDefinition>(*mgr, name, expressions, Dsd(solutionID), pointset, ExtTraceInfo(),
                                                  owner.GetDesignInstanceID(), false, nullptr);
  }

  long AddReport(const AString& name, const std::vector<rep::IBaseTraceDefinition*>& traces) {
    std::unique_ptr<rep::IReportDefinition> report = mgr->CreateReportDefinition(traces, name);
    return mgr->AddReportDefinition(*report, nullptr);
  }

  rep::ReportDefinition& Report(long id) {
    return *dynamic_cast<rep::ReportDefinition*>(mgr->GetReportDefinition(id));
  }

  std::vector<long> ReportIDs() const {
    std::vector<long> ids;
    mgr->GetReportIDs(ids);
    return ids;
  }

  std::vector<AString> ReportNames() const {
    std::vector<AString> names;
    for (long id : ReportIDs()) names.push_back(mgr->GetReportDefinition(id)->GetReportName());
    return names;
  }

  long designID;
  refhost::ReferenceSolutionManager solutions;
  refhost::ReferenceReportManagerOwner owner;
  rep::SimValueDataCache cache{&solutions};
  rep::OutputVariableMgr outputVariables{&solutions};
  std::unique_ptr<rep::ReportManager> mgr;
};

// The selection of a subsweep definition over Freq, in the column's unit.
inline RegularSubsweepDefParams* FreqSelection(const std::vector<double>& values,
                                               int choice = rep::kSelectedValuesChoice, const AString& sweep = L"Freq") {
  DoubleColumn column(90);
  for (double v : values) column.AddValue(v, false);
  return new RegularSubsweepDefParams(sweep, choice, values.empty() ? nullptr : &column);
}

inline SubsweepDefParamsContainer Subsweeps(std::vector<AbstractSubsweepDefParams*> defs) {
  SubsweepDefParamsContainer out;
  for (AbstractSubsweepDefParams* d : defs) out.PushBackAndOwn(d);
  return out;
}

// The texts of a definition's selected values; empty when none.
inline std::vector<AString> SelectedTexts(const AbstractSubsweepDefParams* def) {
  std::vector<AString> texts;
  const auto* regular = dynamic_cast<const RegularSubsweepDefParams*>(def);
  const Column* selected = regular ? regular->GetSelectedValues() : nullptr;
  if (selected)
    for (size_t i = 0; i < selected->GetCount(); ++i) texts.push_back(selected->GetSingleValueText(i));
  return texts;
}

// Message IDs with their arguments, as posted.
inline std::vector<std::vector<AString>> PostedWithArgs() {
  std::vector<std::vector<AString>> out;
  for (const auto& posted : orvex::test::Messages().Posted()) {
    std::vector<AString> entry{AString(std::to_wstring(posted.message.GetMessageID()))};
    for (const AString& a : posted.message.GetArgs()) entry.push_back(a);
    out.push_back(entry);
  }
  return out;
}

}  // namespace reptest
