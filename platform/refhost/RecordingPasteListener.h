// The reference paste listener: remembers what a paste learns and answers the later steps.
#pragma once

#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "hostapi/IReportPasteListener.h"
#include "postorvex/solution/SimValueContext.h"

namespace refhost {

class RecordingPasteListener : public IReportPasteListener {
public:
  RecordingPasteListener();
  ~RecordingPasteListener() override;

  void SetSourceSolution(long solutionID, const AString& name) override { m_sourceNames[solutionID] = name; }
  void GetSourceSolutionName(AString& out, long solutionID) override;
  void SetProductBlock(long traceID, const io::CBlock& block) override;
  void GetProductBlock(io::CBlock& out, long traceID) override;
  void SetNewSolution(long traceID, long solutionID, const SimValueContext& context) override;
  bool GetNewSolution(long& solutionID, SimValueContext& context, long traceID) override;
  void OnTraceIDChanged(long oldID, long newID) override { m_traceIDChanges.emplace_back(oldID, newID); }
  void OnReportIDChanged(long oldID, long newID) override { m_reportIDChanges.emplace_back(oldID, newID); }
  void OnReportNameChanged(const AString& oldName, const AString& newName) override {
    m_reportNameChanges.emplace_back(oldName, newName);
  }
  void SetNewPointset(long traceID, rep::IPointsetDefinition* pointset) override;
  const rep::IPointsetDefinition* GetNewPointset(long traceID) override;

  const std::vector<std::pair<long, long>>& TraceIDChanges() const { return m_traceIDChanges; }
  const std::vector<std::pair<long, long>>& ReportIDChanges() const { return m_reportIDChanges; }
  const std::vector<std::pair<AString, AString>>& ReportNameChanges() const { return m_reportNameChanges; }

private:
  std::map<long, AString> m_sourceNames;
  std::map<long, std::unique_ptr<io::CBlock>> m_productBlocks;
  std::map<long, std::pair<long, SimValueContext>> m_newSolutions;
  std::map<long, std::unique_ptr<rep::IPointsetDefinition>> m_pointsets;  // owned
  std::vector<std::pair<long, long>> m_traceIDChanges;
  std::vector<std::pair<long, long>> m_reportIDChanges;
  std::vector<std::pair<AString, AString>> m_reportNameChanges;
};

}  // namespace refhost
