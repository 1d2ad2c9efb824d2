#include "reports/TraceDefinitionPasteHelper.h"

#include "Gravik/ITraceComponentDefinition.h"
#include "reports/PointsetDefinition.h"
#include "reports/ReportManager.h"
#include "reports/TraceDefinition.h"
#include "hostapi/IReportPasteListener.h"
#include "hostapi/ISolutionForReports.h"
#include "hostapi/ISolutionManagerForReports.h"
#include "hostapi/ITraceInterpreterLookup.h"
#include "orvex/core/Assert.h"
#include "orvex/core/IMessageManager.h"
#include "orvex/core/Ids.h"
#include "orvex/core/VelmorMessage.h"
#include "orvex/io/Block.h"
#include "orvex/values/VariableValues.h"
#include "postorvex/columns/Column.h"
#include "postorvex/sweeps/RegularSubsweepDefParams.h"
#include "postorvex/sweeps/ReportTraceDefUtils.h"
#include "postorvex/sweeps/SpecifiableSubsweepDefParams.h"
#include "postorvex/sweeps/SubsweepDefParamsContainer.h"
#include "postorvex/sweeps/Sweep.h"
#include "postorvex/sweeps/SweepBase.h"
#include "postorvex/traceinfo/TraceDefParams.h"
#include "postorvex/variation/VariableValuesDefParams.h"

namespace rep {

namespace {

SimValueContext StartContext() { return SimValueContext(3, 0, 2, 0, 1.0, 1.0, 0.0, 0.0); }

// 17012: a sweep's selected values were not all kept; 17013: a sweep was left out.
void PostSweepMessage(int messageID, const AString& sweepName, const AString& traceName) {
  VelmorMessage msg(0, 14, messageID, 0, 6, MessageManagerStrings::kNullStr, MessageManagerStrings::kNullStr, false);
  msg.AddArg(sweepName, 0);
  msg.AddArg(traceName, 1);
  GetGlobalIMessageManager()->PostMessage(msg);
}

bool NamesOneOf(const AString& name, const std::vector<AString>& names) {
  for (const AString& n : names)
    if (n.CompareNoCase(name) == 0) return true;
  return false;
}

// The column of values of a single sweep; null for other kinds.
const Column* SweepValues(SweepBase& sweep) {
  Sweep* single = sweep.GetSweep();
  return single ? single->m_values : nullptr;
}

// The rebuild of one trace's point set against one solution of the target.
class PointsetRebuild {
public:
  PointsetRebuild(const TraceDefinition& trace, long solutionID, const SimValueContext& context,
                  ReportManager& target)
      : m_trace(trace), m_pointset(*trace.GetPointsetDefinition()), m_solutionID(solutionID), m_context(context),
        m_target(target),
        m_reportType(trace.GetDesignSolutionDefinitionRef().GetReportTypeSolutionDefinitionRef().GetReportType()) {}

  std::unique_ptr<PointsetDefinition> Run() {
    std::vector<VariableValuesDefParams> families;
    m_pointset.GetVariableValuesDefParams(families);
    // Families that name a variable the solution does not sweep are dropped whole.
    if (!families.empty() && !FamiliesFit(families)) families.clear();
    SubsweepDefParamsContainer subsweeps;
    if (!BuildSubsweeps(subsweeps, families)) return nullptr;
    return std::make_unique<PointsetDefinition>(subsweeps, families, m_pointset.GetSpecifiableSubsweepsIfInFamilies());
  }

private:
  bool FamiliesFit(const std::vector<VariableValuesDefParams>& families) const {
    std::vector<SweepBase*> sweeps;
    if (!ReportTraceDefUtils::GetSolutionSweeps(
            sweeps, m_solutionID, m_target.GetISolutionManagerForReports(),
            m_trace.GetDesignSolutionDefinitionRef().GetReportTypeSolutionDefinitionRef().GetSimValueContextRef(),
            m_reportType) ||
        sweeps.empty())
      return false;
    std::vector<AString> sweepNames;
    for (SweepBase* s : sweeps) sweepNames.push_back(s->GetName());
    std::vector<AString> variables;
    families.front().GetVariableNames(variables);
    for (const AString& v : variables)
      if (!NamesOneOf(v, sweepNames)) return false;
    return true;
  }

  bool BuildSubsweeps(SubsweepDefParamsContainer& out, const std::vector<VariableValuesDefParams>& families) {
    if (!ReportTraceDefUtils::GetSolutionSweeps(m_sweeps, m_solutionID, m_target.GetISolutionManagerForReports(),
                                                m_context, m_reportType) ||
        m_sweeps.empty())
      return false;
    if (!CarryOver(out)) return false;
    return AddUncovered(out, families);
  }

  bool CarryOver(SubsweepDefParamsContainer& out) {
    const SubsweepDefParamsContainer& defs = m_pointset.GetSubsweepDefParamsContainer();
    if (defs.empty()) return false;
    out.ClearAll();
    const bool threeComponents = m_trace.GetNumComponents() == 3;
    for (size_t i = 0; i < defs.Size(); ++i) {
      const AbstractSubsweepDefParams* def = defs[i];
      if (!def) return false;
      if (def->GetSubsweepDefParamType() == AbstractSubsweepDefParams::kSpecial) {
        if (i != 0 || !MatchingSweep(*def)) return false;
        out.PushBackCopy(*def);
        continue;
      }
      std::unique_ptr<AbstractSubsweepDefParams> copy(def->CloneDefParams());
      auto* regular = dynamic_cast<RegularSubsweepDefParams*>(copy.get());
      if (!regular) return false;
      SweepBase* sweep = MatchingSweep(*def);
      if (!sweep) {
        // The first sweep, and the second of a surface, carry the trace: without them it is lost.
        if (i == 0 || (threeComponents && defs.Size() > 1 && i == 1)) return false;
        PostSweepMessage(17013, def->GetSweepName(), m_trace.GetName());
        continue;
      }
      switch (def->GetSubsweepDefChoiceType()) {
        case kNominalValueChoice:
          if (!IsVariationVariable(sweep->GetName()) && !SelectFirstValue(*regular, *sweep)) return false;
          break;
        case kAllValuesChoice:
          break;
        default: {
          const unsigned kept = AdaptSelection(*regular, *sweep);
          regular->SetSubsweepDefChoiceType(kept >= 1 ? kSelectedValuesChoice : kAllValuesChoice);
          break;
        }
      }
      out.PushBackAndOwn(copy.release());
    }
    return true;
  }

  // The first sweep of the definition's name, when its default definition is of a kind that
  // the definition can stand for.
  SweepBase* MatchingSweep(const AbstractSubsweepDefParams& def) const {
    const AString name = def.GetSweepName();
    for (SweepBase* sweep : m_sweeps) {
      if (sweep->GetName().CompareNoCase(name) != 0) continue;
      std::unique_ptr<AbstractSubsweepDefParams> byDefault(sweep->CreateDefaultSubsweepDefParams());
      const int defaultKind = byDefault ? byDefault->GetSubsweepDefParamType() : 0;
      const int kind = def.GetSubsweepDefParamType();
      const bool matches = defaultKind == kind || (kind == AbstractSubsweepDefParams::kRegular &&
                                                    defaultKind == AbstractSubsweepDefParams::kSpecifiable);
      return matches ? sweep : nullptr;
    }
    return nullptr;
  }

  // A sweep without values has no first value to take.
  bool SelectFirstValue(RegularSubsweepDefParams& def, SweepBase& sweep) const {
    const Column* values = SweepValues(sweep);
    if (sweep.GetNumValues() == 0 || !values || values->GetCount() == 0) return false;
    std::unique_ptr<Column> first(Column::CreateColumn(values->GetParameterType(), values->GetUnits()));
    if (!first || !first->AppendValuesAt(*values, {0u})) return false;
    def.SetSelectedValues(first.get());
    return true;
  }

  // The number of values selected afterwards.
  unsigned AdaptSelection(RegularSubsweepDefParams& def, SweepBase& sweep) const {
    if (def.GetSubsweepDefParamType() == AbstractSubsweepDefParams::kSpecifiable) {
      const auto* specifiable = dynamic_cast<const SpecifiableSubsweepDefParams*>(&def);
      if (specifiable && specifiable->GetOverridingColumnData())
        return static_cast<unsigned>(specifiable->GetOverridingColumnData()->GetCount());
    }
    const Column* selected = def.GetSelectedValues();
    if (!selected) return 0;
    const Column* values = SweepValues(sweep);
    std::unique_ptr<Column> kept(values ? Column::IntersectColumns(*selected, *values) : nullptr);
    if (!kept || kept->GetCount() < selected->GetCount())
      PostSweepMessage(17012, def.GetSweepName(), m_trace.GetName());
    if (!kept) return 0;
    def.SetSelectedValues(kept.get());
    return def.GetNumSelectedValues();
  }

  bool AddUncovered(SubsweepDefParamsContainer& out, const std::vector<VariableValuesDefParams>& families) {
    for (SweepBase* sweep : m_sweeps) {
      const AString name = sweep->GetName();
      if (out.GetDefParamsFromSweepName(name) || IsFixedByFamilies(name, families)) continue;
      if (sweep->IsSpecialSweep()) return false;
      std::unique_ptr<AbstractSubsweepDefParams> def(sweep->CreateDefaultSubsweepDefParams());
      auto* ssw = dynamic_cast<SelectableSubsweepDefParams*>(def.get());
      if (!ssw) {
        ORVEX_ASSERT(ssw);
        return false;
      }
      if (IsVariationVariable(ssw->GetSweepName())) {
        ssw->SetSubsweepDefChoiceType(kNominalValueChoice);
      } else {
        if (sweep->GetNumValues() == 0) return false;
        ssw->SelectValues({sweep->GetValueText(0)});
      }
      out.PushBackAndOwn(def.release());
    }
    return true;
  }

  static bool IsFixedByFamilies(const AString& name, const std::vector<VariableValuesDefParams>& families) {
    for (const VariableValuesDefParams& family : families)
      if (family.GetVariableValue(name)) return true;
    return false;
  }

  bool IsVariationVariable(const AString& name) {
    if (!m_variationKnown) {
      if (ISolutionManagerForReports* solMgr = m_trace.GetManager().GetISolutionManagerForReports())
        solMgr->GetSolutionVariation(m_variation, m_solutionID, m_target.GetDesignInstanceID(),
                                     m_trace.GetDesignSolutionDefinitionRef().GetReportTypeSolutionDefinitionRef());
      m_variationKnown = true;
    }
    return m_variation.DoesVariableExist(name);
  }

  const TraceDefinition& m_trace;
  const IPointsetDefinition& m_pointset;
  long m_solutionID;
  SimValueContext m_context;
  ReportManager& m_target;
  unsigned m_reportType;
  std::vector<SweepBase*> m_sweeps;  // the solution's, not owned
  VariableValues m_variation;
  bool m_variationKnown = false;
};

}  // namespace

bool TraceDefinitionPasteHelper::FixUpPastedTraceDefinition(ReportManager& target, IReportPasteListener* listener,
                                                            IVelmorCommand*) {
  // A trace read from a damaged clipboard may lack its point set (reading leaves an empty one):
  // there is nothing to rebuild, and no solution is reported for it.
  const IPointsetDefinition* pointset = m_trace->GetPointsetDefinition();
  if (!listener || !pointset || pointset->GetSubsweepDefParamsContainer().empty()) return false;
  std::vector<Candidate> candidates;
  CollectCandidates(candidates, target, *listener);
  if (candidates.empty()) return false;
  long solutionID = id::invalidID;
  SimValueContext context = StartContext();
  ChooseTargetSolution(solutionID, context, candidates, *listener);
  if (solutionID == id::invalidID) return true;
  listener->SetNewSolution(m_trace->GetID(), solutionID, context);
  std::unique_ptr<PointsetDefinition> rebuilt = RebuildPointset(solutionID, context, target);
  if (!rebuilt) return false;
  listener->SetNewPointset(m_trace->GetID(), rebuilt.release());
  return true;
}

void TraceDefinitionPasteHelper::CollectCandidates(std::vector<Candidate>& out, ReportManager& target,
                                                   IReportPasteListener& listener) const {
  const ReportTypeSolutionDefinition& rtsd =
      m_trace->GetDesignSolutionDefinitionRef().GetReportTypeSolutionDefinitionRef();
  ISolutionManagerForReports* targetSolutions = target.GetISolutionManagerForReports();
  ITraceInterpreterLookup* lookup = targetSolutions ? targetSolutions->GetTraceInterpreterLookup() : nullptr;
  if (!lookup) return;
  std::vector<long> ids;
  lookup->GetSolutionsForReportType(ids, rtsd.GetReportType());

  std::vector<Candidate> firstPass;
  for (long id : ids) {
    ITraceInterpreter* interpreter = lookup->GetTraceInterpreter(id);
    if (!interpreter) {
      ORVEX_ASSERT(0);
      continue;
    }
    if (!interpreter->AcceptsContext(rtsd.GetSimValueContextRef(), rtsd.GetReportType())) continue;
    TraceDefParams params;
    m_trace->GetTraceDefParams(params);
    io::CBlock productBlock;
    listener.GetProductBlock(productBlock, m_trace->GetID());
    SimValueContext context = StartContext();
    if (interpreter->WorkOutContext(context, params, productBlock)) firstPass.emplace_back(id, context);
  }

  ReportManager& own = m_trace->GetManagerForEdit();
  const bool threeComponents = m_trace->GetNumComponents() == 3;
  for (const Candidate& c : firstPass) {
    if (ReportTraceDefUtils::DoesSolutionSupportNonFamilySweeps(c.first, c.second, m_trace->GetID(), own,
                                                                own.GetISolutionManagerForReports(), threeComponents) &&
        ReportTraceDefUtils::DoesSolutionSupportTraceExpressions(c.first, c.second, m_trace->GetID(), own))
      out.push_back(c);
  }
}

void TraceDefinitionPasteHelper::ChooseTargetSolution(long& solutionID, SimValueContext& context,
                                                      const std::vector<Candidate>& candidates,
                                                      IReportPasteListener& listener) const {
  AString sourceName;
  listener.GetSourceSolutionName(sourceName, m_trace->GetDesignSolutionDefinitionRef().GetSolutionID());
  ISolutionManagerForReports* solutions = m_trace->GetManager().GetISolutionManagerForReports();
  for (const Candidate& c : candidates) {
    ISolutionForReports* solution = solutions ? solutions->GetSolution(c.first) : nullptr;
    if (!solution) {
      ORVEX_ASSERT(0);
      continue;
    }
    if (solution->GetName().CompareNoCase(sourceName) == 0) {
      solutionID = c.first;
      context = c.second;
      return;
    }
  }
  ITraceInterpreterLookup* lookup = solutions ? solutions->GetTraceInterpreterLookup() : nullptr;
  if (!lookup) return;
  TraceDefParams params;
  m_trace->GetTraceDefParams(params);
  io::CBlock productBlock;
  listener.GetProductBlock(productBlock, m_trace->GetID());
  lookup->ChooseSolution(solutionID, context, candidates, params, productBlock);
}

std::unique_ptr<PointsetDefinition> TraceDefinitionPasteHelper::RebuildPointset(long solutionID,
                                                                                const SimValueContext& context,
                                                                                ReportManager& target) const {
  return PointsetRebuild(*m_trace, solutionID, context, target).Run();
}

}  // namespace rep
