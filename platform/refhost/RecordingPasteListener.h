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

  void SetSourceSolution(long solutionID, const AString& name) override;
  void GetSourceSolutionName(AString& out, long solutionID) override;
  void SetProductBlock(long traceID, const io::CBlock& block) override;
  void GetProductBlock(io::CBlock& out, long traceID) override;
  void SetNewSolution(long traceID, long solutionID, const SimValueContext& context) override;
  bool GetNewSolution(long& solutionID, SimValueContext& context, long traceID) override;
  void OnTraceIDChanged(long oldID, long newID) override;
  void OnReportIDChanged(long oldID, long newID) override;
  void OnReportNameChanged(const AString& oldName, const AString& newName) override;
  void SetNewPointset(long traceID, rep::IPointsetDefinition* pointset) override;
  const rep::IPointsetDefinition* GetNewPointset(long traceID) override;

  // One entry per call of any operation, in the order of the calls: the operation's position,
  // its long arguments in their order (none: -1) and its texts (the name it answered for 4).
  struct Call {
    int op;
    long first;
    long second;
    AString text;
    AString secondText;
  };
  const std::vector<Call>& Calls() const { return m_calls; }
  // The positions of the calls, in order.
  std::vector<int> CallOps() const;
  void ClearCalls() { m_calls.clear(); }

  // The pairs told through operations 9, 11 and 13, in order.
  std::vector<std::pair<long, long>> TraceIDChanges() const { return IDPairs(9); }
  std::vector<std::pair<long, long>> ReportIDChanges() const { return IDPairs(11); }
  std::vector<std::pair<AString, AString>> ReportNameChanges() const;

private:
  std::map<long, AString> m_sourceNames;
  std::map<long, std::unique_ptr<io::CBlock>> m_productBlocks;
  std::map<long, std::pair<long, SimValueContext>> m_newSolutions;
  std::map<long, std::unique_ptr<rep::IPointsetDefinition>> m_pointsets;  // owned
  std::vector<Call> m_calls;

  std::vector<std::pair<long, long>> IDPairs(int op) const;
  void Log(int op, long first, long second = -1, const AString& text = AString(),
           const AString& secondText = AString());
};

}  // namespace refhost
