// The reference product's trace interpreters and their lookup: answers from tables, with the calls recorded.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <utility>
#include <vector>

#include "hostapi/ITraceInterpreterLookup.h"
#include "orvex/core/Ids.h"
#include "orvex/io/Block.h"
#include "postorvex/solution/SimValueContext.h"

class ISolutionManagerForReports;

namespace refhost {

class ReferenceTraceInterpreter : public ITraceInterpreter {
public:
  ReferenceTraceInterpreter(long solutionID, const AString& solutionName)
      : m_solutionID(solutionID), m_solutionName(solutionName) {}
  ~ReferenceTraceInterpreter() override;

  // Every context unless refused.
  bool AcceptsContext(const SimValueContext& context, unsigned reportType) override;
  // The trace's own context unless another one is set; false once SetWorksOut(false).
  bool WorkOutContext(SimValueContext& out, const TraceDefParams& params, const io::CBlock& productBlock) override;
  // Puts "Solution" (the solution's name) and "TraceName" into the block.
  void WriteTraceInterpreterBlock(io::CBlock& out, void* productArgument, const TraceDefParams& params) override;

  void SetAcceptsContext(bool accepts) { m_accepts = accepts; }
  void SetWorksOut(bool works) { m_worksOut = works; }
  void SetWorkedOutContext(const SimValueContext& context) {
    m_workedOut = context;
    m_hasWorkedOut = true;
  }
  long GetSolutionID() const { return m_solutionID; }
  // The product blocks that WorkOutContext was given, in order.
  const std::vector<io::CBlock>& ProductBlocksSeen() const { return m_blocksSeen; }
  // The product arguments that the write operation was given, in order.
  const std::vector<void*>& ProductArgumentsSeen() const { return m_argumentsSeen; }

private:
  long m_solutionID;
  AString m_solutionName;
  bool m_accepts = true;
  bool m_worksOut = true;
  bool m_hasWorkedOut = false;
  SimValueContext m_workedOut;
  std::vector<io::CBlock> m_blocksSeen;
  std::vector<void*> m_argumentsSeen;
};

class ReferenceTraceInterpreterLookup : public ITraceInterpreterLookup {
public:
  explicit ReferenceTraceInterpreterLookup(ISolutionManagerForReports& solutions) : m_solutions(solutions) {}
  ~ReferenceTraceInterpreterLookup() override;
  ReferenceTraceInterpreterLookup(const ReferenceTraceInterpreterLookup&) = delete;
  ReferenceTraceInterpreterLookup& operator=(const ReferenceTraceInterpreterLookup&) = delete;

  // The solution manager's answer (op 2) unless a list is set.
  void GetSolutionsForReportType(std::vector<long>& out, unsigned reportType) override;
  // One interpreter per solution the manager knows, made on first request; null for an unknown
  // solution or one set to have none.
  ITraceInterpreter* GetTraceInterpreter(long solutionID) override;
  // Chooses the candidate of the solution set with SetChoice; none (the ID left as it is) by default.
  void ChooseSolution(long& solutionID, SimValueContext& context,
                      const std::vector<std::pair<long, SimValueContext>>& candidates, const TraceDefParams& params,
                      const io::CBlock& productBlock) override;

  void SetOfferedSolutions(const std::vector<long>& ids) {
    m_offered = ids;
    m_hasOffered = true;
  }
  void SetHasNoInterpreter(long solutionID) { m_without.insert(solutionID); }
  // The interpreter of a solution, made when missing (also for one set to have none).
  ReferenceTraceInterpreter& Interpreter(long solutionID);
  void SetChoice(long solutionID) { m_choice = solutionID; }
  // The candidate lists ChooseSolution was given, in order.
  const std::vector<std::vector<std::pair<long, SimValueContext>>>& ChoicesAsked() const { return m_choicesAsked; }

private:
  ISolutionManagerForReports& m_solutions;
  std::vector<long> m_offered;
  bool m_hasOffered = false;
  std::set<long> m_without;
  std::map<long, std::unique_ptr<ReferenceTraceInterpreter>> m_interpreters;
  long m_choice = id::invalidID;
  std::vector<std::vector<std::pair<long, SimValueContext>>> m_choicesAsked;
};

}  // namespace refhost
