#include "tracedata/ComputedTraceDataSupport.h"

#include <algorithm>

#include "tracedata/TraceStateData.h"

#include "Gravik/IPointsetDefinition.h"
#include "Gravik/ITraceComponentDefinition.h"
#include "reports/ReportManager.h"
#include "update/SweepsVariableInfoMediator2.h"
#include "reports/TraceDefinition.h"
#include "update/VVConnectivityCreator2.h"
#include "quantities/VersionedQuantityParser.h"
#include "hostapi/ISolutionContextObject.h"
#include "hostapi/ISolutionForReports.h"
#include "hostapi/ISolutionManagerForReports.h"
#include "orvex/centupd/IDerivedDataDefinition.h"
#include "orvex/core/Assert.h"
#include "orvex/core/VelDebug.h"
#include "orvex/values/IVariableNameSpaceSetupper.h"
#include "postorvex/columns/Column.h"
#include "postorvex/columns/ManagedFileService.h"
#include "postorvex/connectivity/SPS2Connectivity.h"
#include "postorvex/quantities/CompositeReferencedPostprocessingQuantityMsg.h"
#include "postorvex/sweeps/SubsweepDefParamsContainer.h"
#include "postorvex/sweeps/SubsweepsAdapter.h"
#include "postorvex/variation/VariableValuesDefParams.h"

namespace rep {

void VersionedQuantityParserDeleter::operator()(VersionedQuantityParser* parser) const {
  if (parser) delete parser->GetInterfaceQueriable();
}

OwnedQuantityParser MakeQuantityParserForTrace(ReportManager& manager, const TraceDefinition& td) {
  return OwnedQuantityParser(dynamic_cast<VersionedQuantityParser*>(
      CreateVersionedQuantityParser(manager.GetISolutionManagerForReports(), manager.GetIOutputVariableMgrForEdit(),
                                    manager.GetISimValueInfoCache(), td.GetDesignSolutionDefinition())));
}

std::vector<AString> ComponentExpressionsOf(const TraceDefinition& td) {
  std::vector<AString> out;
  const IBaseTraceDefinition& base = td;
  for (unsigned i = 0; i < base.GetNumComponents(); ++i)
    if (const ITraceComponentDefinition* c = base.GetComponent(i)) out.push_back(c->GetExpression());
  return out;
}

ParserScope::ParserScope(VersionedQuantityParser& parser, const AbstractQuantityInfo* info)
    : names(1, 1, 0), installed(&parser),
      activator(OutputVariablesOf(info), &parser, parser.GetVariableNameSpaceSetupper()) {
  if (IVariableNameSpaceSetupper* setupper = parser.GetVariableNameSpaceSetupper()) setupper->Setup(names);
}

std::vector<ContextVariable*> ParserScope::OutputVariablesOf(const AbstractQuantityInfo* info) {
  std::vector<ContextVariable*> variables;
  if (info) info->GetAllOutputVariables(variables);
  return variables;
}

Column* NewManagedColumn(val::ParameterType type, Units::FullUnitType units) {
  return Column::CreateColumn2(type, units, ManagedFileService::GetInstance(), AString(), AString(), true, true);
}

void EnsureOneDummyPoint(Column* column) {
  if (!column) return;
  column->ClearValues();
  column->AppendInvalidValues(1);
}

bool HasPopulatedCurves(const TraceStateData& state) {
  const SPS2Connectivity* c = state.GetConnectivity();
  return c && c->GetFamilyCount() > 0 && c->GetNumPointsInFamily(0) > 0;
}

unsigned NumCurvesOf(const TraceStateData& state) {
  const SPS2Connectivity* c = state.GetConnectivity();
  return c ? std::max(1u, c->GetFamilyCount()) : 1u;
}

unsigned NumPointsInCurveOf(const TraceStateData& state, unsigned curve) {
  const SPS2Connectivity* c = state.GetConnectivity();
  return c && c->GetFamilyCount() > 0 ? std::max(1u, c->GetNumPointsInFamily(curve)) : 1u;
}

unsigned CurveOffsetOf(const TraceStateData& state, unsigned curve) {
  const SPS2Connectivity* c = state.GetConnectivity();
  return c ? c->GetFamilyOffset(curve) : 0u;
}

AString VariationKeyOf(const TraceStateData& state, VariableValues values, bool onlyNonNominal) {
  if (onlyNonNominal) {
    VariableValues reduced;
    state.AddNonNominalVariableValues(reduced, values);
    values = reduced;
  }
  return values.GetVariationKey("%-.15g", true, nullptr, nullptr, true);
}

AString CurveVariationKeyOf(const TraceStateData& state, unsigned curve, bool onlyNonNominal) {
  const SPS2Connectivity* c = state.GetConnectivity();
  if (!c || c->GetFamilyCount() == 0) return AString();
  VariableValues values;
  c->GetVariableValuesForCurve(values, curve);
  return VariationKeyOf(state, values, onlyNonNominal);
}

CentralizedUpdatePreparation::CentralizedUpdatePreparation() = default;

CentralizedUpdatePreparation::~CentralizedUpdatePreparation() = default;

bool CentralizedUpdatePreparation::Prepare(const TraceDefinition& td, const DesignSolutionDefinition& dsd,
                                           long dataVersionID, ISolutionManagerForReports* solMgr,
                                           bool designForConnectivity, SweepPointsStore* store) {
  if (!td.GetPointsetDefinition()) return false;
  const ReportTypeSolutionDefinition def = td.GetDesignSolutionDefinition().GetReportTypeSolutionDefinition();
  if (solMgr) solMgr->GetSolutionVariation(design, dsd.GetSolutionID(), td.GetDesignInstanceID(), def);

  const IPointsetDefinition& pointset = *td.GetPointsetDefinition();
  std::vector<VariableValuesDefParams> defParams;
  pointset.GetVariableValuesDefParams(defParams);
  IVariableNameSpaceSetupper* ivnss = solMgr ? solMgr->GetVariableNameSpaceSetupper(dsd.GetSolutionID()) : nullptr;
  ORVEX_ASSERT(ivnss);
  std::vector<VariableValues> families;
  for (const VariableValuesDefParams& p : defParams) {
    VariableValues v;
    p.ConvertToVariableValues(v, ivnss);
    families.push_back(v);
  }
  updateVariations = families;
  ISolutionForReports* sde = solMgr ? solMgr->GetSolution(dsd.GetSolutionID()) : nullptr;
  ORVEX_ASSERT(sde);
  if (!updateVariations.empty() && sde) {
    ISolutionContextObject* context = nullptr;
    IDerivedDataDefinition* load = nullptr;
    sde->BuildContextObjects(def, context, load);
    std::unique_ptr<ISolutionContextObject> ownedContext(context);
    std::unique_ptr<IDerivedDataDefinition> ownedLoad(load);
    std::vector<Variable*> listed;
    if (load) sde->GetVariables(listed, *load, dataVersionID);
    for (VariableValues& v : updateVariations)
      for (Variable* variable : listed) v.RemoveVariableValue(variable);
  }
  const SubsweepDefParamsContainer& subsweepDefs = pointset.GetSubsweepDefParamsContainer();
  if (subsweepDefs.Size() == 0 && updateVariations.empty()) return false;
  if (!sde) return false;
  solution = sde;
  VelDebug::Printf(1, L"CoreCentUpd: Info from Product: for DesignID[%d], SolnID[%d], VersID[%d]...",
                   dsd.GetDesignID(), dsd.GetSolutionID(), dataVersionID);

  subsweeps = std::make_unique<SubsweepsAdapter>(subsweepDefs, dsd, td.GetDesignInstanceID(), solMgr, families);
  skipClassification = sde->GetSkipVariableClassification(true);
  mediator =
      std::make_unique<SweepsVariableInfoMediator2>(subsweeps.get(), def, sde, design, skipClassification, store);
  connectivity.reset(VVConnectivityCreator2::CreateSPS2ConnectivityExcludingSpecialsAndPrimaryMinor(
      *mediator, designForConnectivity ? &design : nullptr));
  return true;
}

}  // namespace rep
