// Records what a paste learns and answers the later paste steps.
#pragma once

#include "orvex/core/AString.h"

namespace io { class CBlock; }
namespace rep { class IPointsetDefinition; }
class SimValueContext;

class IReportPasteListener {
public:
  virtual ~IReportPasteListener() = default;  // 0
  virtual void Reserved1() {}                 // 1
  virtual void Reserved2() {}                 // 2
  virtual void SetSourceSolution(long solutionID, const AString& name) = 0;              // 3
  virtual void GetSourceSolutionName(AString& out, long solutionID) = 0;                 // 4
  virtual void SetProductBlock(long traceID, const io::CBlock& block) = 0;               // 5
  virtual void GetProductBlock(io::CBlock& out, long traceID) = 0;                       // 6
  virtual void SetNewSolution(long traceID, long solutionID, const SimValueContext& context) = 0;  // 7
  virtual bool GetNewSolution(long& solutionID, SimValueContext& context, long traceID) = 0;       // 8
  virtual void OnTraceIDChanged(long oldID, long newID) = 0;                             // 9
  virtual void Reserved10() {}                                                           // 10
  virtual void OnReportIDChanged(long oldID, long newID) = 0;                            // 11
  virtual void Reserved12() {}                                                           // 12
  virtual void OnReportNameChanged(const AString& oldName, const AString& newName) = 0;  // 13
  virtual void Reserved14() {}                                                           // 14
  // Takes ownership of the point set.
  virtual void SetNewPointset(long traceID, rep::IPointsetDefinition* pointset) = 0;     // 15
  virtual const rep::IPointsetDefinition* GetNewPointset(long traceID) = 0;              // 16
};
