// The product's trace interpreters, by solution: they place pasted traces on a solution.
#pragma once

#include <utility>
#include <vector>

#include "orvex/core/AString.h"

namespace io { class CBlock; }
class SimValueContext;
class TraceDefParams;

class ITraceInterpreter {
public:
  virtual ~ITraceInterpreter() = default;  // 0
  virtual bool AcceptsContext(const SimValueContext& context, unsigned reportType) = 0;  // 1
  virtual bool WorkOutContext(SimValueContext& out, const TraceDefParams& params, const io::CBlock& productBlock) = 0;  // 2
  virtual void WriteTraceInterpreterBlock(io::CBlock& out, void* productArgument, const TraceDefParams& params) = 0;  // 3
};

class ITraceInterpreterLookup {
public:
  virtual void GetSolutionsForReportType(std::vector<long>& out, unsigned reportType) = 0;  // 0
  virtual ITraceInterpreter* GetTraceInterpreter(long solutionID) = 0;                      // 1
  // May leave the ID at id::invalidID.
  virtual void ChooseSolution(long& solutionID, SimValueContext& context,
                              const std::vector<std::pair<long, SimValueContext>>& candidates,
                              const TraceDefParams& params, const io::CBlock& productBlock) = 0;  // 2

protected:
  virtual ~ITraceInterpreterLookup() = default;  // the host owns the lookup
};
