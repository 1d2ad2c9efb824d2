#include "reports/PointsetDefinition.h"

#include "orvex/core/Assert.h"
#include "postorvex/solution/DesignSolutionDefinition.h"
#include "postorvex/sweeps/AbstractSubsweepDefParams.h"
#include "postorvex/sweeps/PostpSweepUtils.h"
#include "postorvex/sweeps/ReportTraceDefUtils.h"
#include "postorvex/sweeps/SelectableSubsweepDefParams.h"
#include "postorvex/sweeps/SweepBase.h"
#include "postorvex/sweeps/ValidateSubsweepDefParamsVisitor.h"

namespace rep {

namespace {
// Made once: a temporary text per lookup is an allocation per trace read.
const AString kFamilyBlock(L"FamilyBlock");
const AString kSpecifiableIfInFamilies(L"SpecifiableSubsweepsIfInFamilies");
const AString kSubsweeps(SubsweepDefParamsContainer().GetBlockName());
}  // namespace

PointsetDefinition::PointsetDefinition(const SubsweepDefParamsContainer& subsweeps,
                                       const std::vector<VariableValuesDefParams>& families)
    : m_families(families), m_subsweeps(subsweeps) {}

PointsetDefinition::PointsetDefinition(const SubsweepDefParamsContainer& subsweeps,
                                       const std::vector<VariableValuesDefParams>& families,
                                       const SubsweepDefParamsContainer& specifiableIfInFamilies)
    : m_families(families), m_subsweeps(subsweeps), m_specifiableIfInFamilies(specifiableIfInFamilies) {}

PointsetDefinition::PointsetDefinition(const PointsetDefinition& other)
    : IPointsetDefinition(), m_families(other.m_families), m_subsweeps(other.m_subsweeps),
      m_specifiableIfInFamilies(other.m_specifiableIfInFamilies) {}

PointsetDefinition::~PointsetDefinition() = default;

IPointsetDefinition* PointsetDefinition::Clone() const { return new PointsetDefinition(*this); }

void PointsetDefinition::CopyFrom(const IPointsetDefinition& other) {
  const auto* from = dynamic_cast<const PointsetDefinition*>(&other);
  ORVEX_ASSERT(from);
  if (!from || from == this) return;
  m_subsweeps = from->m_subsweeps;
  m_families = from->m_families;
  m_specifiableIfInFamilies = from->m_specifiableIfInFamilies;
}

unsigned PointsetDefinition::GetVariableValuesDefParams(std::vector<VariableValuesDefParams>& out) const {
  out = m_families;
  return static_cast<unsigned>(m_families.size());
}

unsigned PointsetDefinition::GetSweepNames(std::vector<AString>& names) const {
  const size_t before = names.size();
  for (size_t i = 0; i < m_subsweeps.Size(); ++i) names.push_back(m_subsweeps[i]->GetSweepName());
  if (!m_families.empty()) m_families.front().GetVariableNames(names);
  return static_cast<unsigned>(names.size() - before);
}

bool PointsetDefinition::RemoveSweeps(const std::vector<AString>& names) {
  bool removed = false;
  for (const AString& name : names) {
    if (const AbstractSubsweepDefParams* def = m_subsweeps.GetDefParamsFromSweepName(name)) {
      removed = true;
      m_subsweeps.Remove(def);
    }
    for (VariableValuesDefParams& family : m_families)
      if (family.RemoveVariableValue(name)) removed = true;
    if (const AbstractSubsweepDefParams* def = m_specifiableIfInFamilies.GetDefParamsFromSweepName(name)) {
      ORVEX_ASSERT(removed==true);
      m_specifiableIfInFamilies.Remove(def);
    }
  }
  return removed;
}

bool PointsetDefinition::Validate(ISolutionManagerForReports* solMgr, const DesignSolutionDefinition& dsd) const {
  if (m_subsweeps.empty()) return false;
  const ReportTypeSolutionDefinition& rtsd = dsd.GetReportTypeSolutionDefinitionRef();
  std::vector<SweepBase*> sweeps;
  ReportTraceDefUtils::GetSolutionSweeps(sweeps, dsd.GetSolutionID(), solMgr, rtsd.GetSimValueContextRef(),
                                         rtsd.GetReportType());
  for (size_t i = 0; i < m_subsweeps.Size(); ++i) {
    ValidateSubsweepDefParamsVisitor visitor(sweeps);
    m_subsweeps[i]->Accept(visitor);
    if (!visitor.IsValid()) return false;
  }
  if (m_families.empty()) return true;
  std::vector<AString> fixedNames;
  m_families.front().GetVariableNames(fixedNames);
  for (const AString& name : fixedNames) {
    const SweepBase* sweep = postp::FindSweepInVector(sweeps, name);
    if (!sweep || sweep->IsSpecialSweep()) return false;
  }
  return true;
}

std::unique_ptr<SelectableSubsweepDefParams> PointsetDefinition::CreateDefaultSelectableSubsweep(
    const SweepBase& sweep) {
  std::unique_ptr<AbstractSubsweepDefParams> def(sweep.CreateDefaultSubsweepDefParams());
  auto* selectable = dynamic_cast<SelectableSubsweepDefParams*>(def.get());
  if (!selectable) return nullptr;
  def.release();
  return std::unique_ptr<SelectableSubsweepDefParams>(selectable);
}

io::ReadError PointsetDefinition::DoDataExchange(io::CBlock& block, bool read) {
  io::ReadError result = io::kNoError;
  if (!read) {
    io::CBlock subsweeps(m_subsweeps.GetBlockName());
    result = m_subsweeps.DoDataExchange(subsweeps, false);
    block << std::move(subsweeps);
    io::CBlock_func familyBlock(kFamilyBlock);
    for (const VariableValuesDefParams& family : m_families) familyBlock << family.GetVariationKey();
    block << familyBlock;
    if (!m_specifiableIfInFamilies.empty()) {
      io::CBlock specifiable(kSpecifiableIfInFamilies);
      result = m_specifiableIfInFamilies.DoDataExchange(specifiable, false);
      block << std::move(specifiable);
    }
    return result;
  }

  // Sub-blocks are read where they stand: a read changes nothing in them.
  if (io::CBlock* subsweeps = block.FindBlockForEdit(kSubsweeps)) {
    result = m_subsweeps.DoDataExchange(*subsweeps, true);
  } else {
    io::CBlock none;
    result = m_subsweeps.DoDataExchange(none, true);
  }

  if (const io::CBlock_func* familyBlock = block.FindFunc(kFamilyBlock)) {
    AString key;
    size_t cursor = 0;
    while (familyBlock->QueryUnamedValues(key, cursor)) {
      VariableValuesDefParams family;
      if (family.AssignVariationKey(key) > 0) m_families.push_back(family);
    }
  } else {
    block.ResetFound(true);
  }

  m_specifiableIfInFamilies.ClearAll();
  if (io::CBlock* specifiable = block.FindBlockForEdit(kSpecifiableIfInFamilies))
    result = m_specifiableIfInFamilies.DoDataExchange(*specifiable, true);
  return result;
}

}  // namespace rep
