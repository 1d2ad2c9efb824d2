#include "refhost/RecordingPasteListener.h"

#include "Gravik/IPointsetDefinition.h"
#include "orvex/io/Block.h"

namespace refhost {

RecordingPasteListener::RecordingPasteListener() = default;
RecordingPasteListener::~RecordingPasteListener() = default;

void RecordingPasteListener::Log(int op, long first, long second, const AString& text, const AString& secondText) {
  m_calls.push_back({op, first, second, text, secondText});
}

void RecordingPasteListener::SetSourceSolution(long solutionID, const AString& name) {
  Log(3, solutionID, -1, name);
  m_sourceNames[solutionID] = name;
}

void RecordingPasteListener::GetSourceSolutionName(AString& out, long solutionID) {
  auto it = m_sourceNames.find(solutionID);
  out = it == m_sourceNames.end() ? AString() : it->second;
  Log(4, solutionID, -1, out);
}

void RecordingPasteListener::SetProductBlock(long traceID, const io::CBlock& block) {
  Log(5, traceID);
  m_productBlocks[traceID] = std::make_unique<io::CBlock>(block);
}

void RecordingPasteListener::GetProductBlock(io::CBlock& out, long traceID) {
  Log(6, traceID);
  auto it = m_productBlocks.find(traceID);
  out = it == m_productBlocks.end() ? io::CBlock() : *it->second;
}

void RecordingPasteListener::SetNewSolution(long traceID, long solutionID, const SimValueContext& context) {
  Log(7, traceID, solutionID);
  m_newSolutions[traceID] = {solutionID, context};
}

bool RecordingPasteListener::GetNewSolution(long& solutionID, SimValueContext& context, long traceID) {
  Log(8, traceID);
  auto it = m_newSolutions.find(traceID);
  if (it == m_newSolutions.end()) return false;
  solutionID = it->second.first;
  context = it->second.second;
  return true;
}

void RecordingPasteListener::OnTraceIDChanged(long oldID, long newID) { Log(9, oldID, newID); }

void RecordingPasteListener::OnReportIDChanged(long oldID, long newID) { Log(11, oldID, newID); }

void RecordingPasteListener::OnReportNameChanged(const AString& oldName, const AString& newName) {
  Log(13, -1, -1, oldName, newName);
}

void RecordingPasteListener::SetNewPointset(long traceID, rep::IPointsetDefinition* pointset) {
  Log(15, traceID);
  m_pointsets[traceID].reset(pointset);
}

const rep::IPointsetDefinition* RecordingPasteListener::GetNewPointset(long traceID) {
  Log(16, traceID);
  auto it = m_pointsets.find(traceID);
  return it == m_pointsets.end() ? nullptr : it->second.get();
}

std::vector<int> RecordingPasteListener::CallOps() const {
  std::vector<int> ops;
  for (const Call& c : m_calls) ops.push_back(c.op);
  return ops;
}

std::vector<std::pair<long, long>> RecordingPasteListener::IDPairs(int op) const {
  std::vector<std::pair<long, long>> pairs;
  for (const Call& c : m_calls)
    if (c.op == op) pairs.emplace_back(c.first, c.second);
  return pairs;
}

std::vector<std::pair<AString, AString>> RecordingPasteListener::ReportNameChanges() const {
  std::vector<std::pair<AString, AString>> pairs;
  for (const Call& c : m_calls)
    if (c.op == 13) pairs.emplace_back(c.text, c.secondText);
  return pairs;
}

}  // namespace refhost
