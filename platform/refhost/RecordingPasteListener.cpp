#include "refhost/RecordingPasteListener.h"

#include "Gravik/IPointsetDefinition.h"
#include "orvex/io/Block.h"

namespace refhost {

RecordingPasteListener::RecordingPasteListener() = default;
RecordingPasteListener::~RecordingPasteListener() = default;

void RecordingPasteListener::GetSourceSolutionName(AString& out, long solutionID) {
  auto it = m_sourceNames.find(solutionID);
  out = it == m_sourceNames.end() ? AString() : it->second;
}

void RecordingPasteListener::SetProductBlock(long traceID, const io::CBlock& block) {
  m_productBlocks[traceID] = std::make_unique<io::CBlock>(block);
}

void RecordingPasteListener::GetProductBlock(io::CBlock& out, long traceID) {
  auto it = m_productBlocks.find(traceID);
  out = it == m_productBlocks.end() ? io::CBlock() : *it->second;
}

void RecordingPasteListener::SetNewSolution(long traceID, long solutionID, const SimValueContext& context) {
  m_newSolutions[traceID] = {solutionID, context};
}

bool RecordingPasteListener::GetNewSolution(long& solutionID, SimValueContext& context, long traceID) {
  auto it = m_newSolutions.find(traceID);
  if (it == m_newSolutions.end()) return false;
  solutionID = it->second.first;
  context = it->second.second;
  return true;
}

void RecordingPasteListener::SetNewPointset(long traceID, rep::IPointsetDefinition* pointset) {
  m_pointsets[traceID].reset(pointset);
}

const rep::IPointsetDefinition* RecordingPasteListener::GetNewPointset(long traceID) {
  auto it = m_pointsets.find(traceID);
  return it == m_pointsets.end() ? nullptr : it->second.get();
}

}  // namespace refhost
