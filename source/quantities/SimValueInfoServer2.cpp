#include "quantities/SimValueInfoServer2.h"

#include <vector>

#include "quantities/ContextVersionCacheT.tmpl_impl"
#include "reports/GravikUtils.h"
#include "quantities/NearlyEqual.h"
#include "hostapi/IQuantityTypeProvider.h"
#include "hostapi/ISolutionForReports.h"
#include "hostapi/ISolutionManagerForReports.h"
#include "orvex/core/Assert.h"
#include "orvex/core/I18n.h"
#include "orvex/io/Block.h"
#include "orvex/io/NamedValue.h"
#include "postorvex/quantities/PostpQuantityUtils.h"
#include "postorvex/quantities/QuantityTypeParams.h"
#include "postorvex/solution/DesignSolutionDefinition.h"

namespace rep {

template class ContextVersionCacheT<QuantityInfoAtContextVersion>;

namespace {

const wchar_t kInfoServer2ID[] = L"InfoServer2ID";
const wchar_t kElem[] = L"Elem";
const wchar_t kInfoAtCtxtVersion[] = L"InfoAtCtxtVersion";
const wchar_t kQtyValueStateInfo[] = L"QtyValueStateInfo";
const wchar_t kCompQtyInfo[] = L"CompQtyInfo";
const wchar_t kEnumQtyInfo[] = L"EnumQtyInfo";
const wchar_t kEnumReps[] = L"EnumReps";
const wchar_t kConstituentQs[] = L"ConstituentQs";

// Records a solution's answer under a quantity name; constituents under their own names.
class QuantityInfoTranslator : public QuantityTypeParamVisitor {
public:
  QuantityInfoTranslator(QuantityInfoAtContextVersion& record, const AString& name) : m_record(record), m_name(name) {}
  ~QuantityInfoTranslator() override;

  bool VisitComposite(const CompositeQuantityTypeParam& param) override {
    if (m_record.m_composites.count(m_name)) return true;
    QuantityInfoAtContextVersion::CompositeInfo& info = m_record.m_composites[m_name];
    info.m_type = param.GetCompositeType();
    info.m_constituents.clear();
    for (size_t i = 0; i < param.GetNumConstituents(); ++i) {
      const AString& constituent = param.GetConstituentQuantityName(i);
      if (const BaseQuantityTypeParam* cp = param.GetConstituentQuantityTypeParam(i)) {
        QuantityInfoTranslator inner(m_record, constituent);
        cp->Accept(inner);
      }
      // The map may have grown meanwhile; the entry itself stays where it is.
      m_record.m_composites[m_name].m_constituents.push_back(constituent);
    }
    return true;
  }
  bool VisitEnum(const EnumQuantityTypeParam& param) override {
    if (m_record.m_enumTypeNames.count(m_name)) return true;
    m_record.m_enumTypeNames[m_name] = param.GetEnumTypeName();
    if (!m_record.m_valueStates.count(m_name)) m_record.m_valueStates[m_name] = param.GetValueState();
    return true;
  }
  bool VisitPlain(const QuantityTypeParam& param) override {
    if (m_record.m_enumTypeNames.count(m_name)) return true;
    m_record.m_valueStates[m_name] = param.GetValueState();
    return true;
  }
  bool VisitOther(const BaseQuantityTypeParam&) override {
    ORVEX_ASSERT(!"I don't handle this type");
    return false;
  }

private:
  QuantityInfoAtContextVersion& m_record;
  AString m_name;
};

QuantityInfoTranslator::~QuantityInfoTranslator() = default;

// Keeps a name on the build path while its constituents are built.
class BuildingScope {
public:
  BuildingScope(std::set<AString, AString::NoCaseLess>& names, const AString& name) : m_names(names), m_name(name) {
    m_names.insert(m_name);
  }
  ~BuildingScope() { m_names.erase(m_name); }
  BuildingScope(const BuildingScope&) = delete;
  BuildingScope& operator=(const BuildingScope&) = delete;

private:
  std::set<AString, AString::NoCaseLess>& m_names;
  AString m_name;
};

template <class Map>
void EraseObsolete(Map& entries, const IVelmorCommand* cmd, ISolutionForReports& solution,
                   const ReportTypeSolutionDefinition& context) {
  for (auto it = entries.begin(); it != entries.end();) {
    if (IsQuantityRenamedByCommand(cmd, it->first) || solution.DidCommandChangeQuantity(cmd, it->first, context))
      it = entries.erase(it);
    else
      ++it;
  }
}

// ---- Block form of one record

bool WriteRecord(io::CBlock& elem, const QuantityInfoAtContextVersion* record) {
  if (!record) {
    ORVEX_ASSERT(!"No quantity info at version!");
    return false;
  }
  io::CBlock info(kInfoAtCtxtVersion);

  io::CBlock states(kQtyValueStateInfo);
  for (const auto& entry : record->m_valueStates) {
    io::CBlock_func f(entry.first);
    postp::WriteValueState(f, entry.second);
    states << std::move(f);
  }
  info << std::move(states);

  io::CBlock composites(kCompQtyInfo);
  for (const auto& entry : record->m_composites) {
    io::CBlock_func f(entry.first);
    f << entry.second.m_type;
    io::CBlock_func constituents(kConstituentQs);
    for (const AString& c : entry.second.m_constituents) constituents << c;
    f << std::move(constituents);
    composites << std::move(f);
  }
  info << std::move(composites);

  io::CBlock enums(kEnumQtyInfo);
  for (const auto& entry : record->m_enumTypeNames) {
    io::CBlock_func f(entry.first);
    f << entry.second;
    enums << std::move(f);
  }
  info << std::move(enums);

  io::CBlock reps(kEnumReps);
  for (const auto& entry : record->m_enumReps) {
    io::CBlock_func f(entry.first);
    for (const auto& rep : entry.second)
      f << io::CBlock_named_value(i18n::MakeNumberString(rep.first), io::CBlock_value(rep.second));
    reps << std::move(f);
  }
  info << std::move(reps);

  elem << std::move(info);
  return true;
}

const io::CBlock_value* FirstUnnamedValue(const io::CBlock_func& f) {
  for (size_t i = 0; i < f.GetNumArgs(); ++i)
    if (const io::CBlock_value* v = f.GetUnnamedValue(i)) return v;
  return nullptr;
}

void ReadValueStates(const io::CBlock& block, QuantityInfoAtContextVersion& record) {
  for (size_t i = 0; i < block.GetNumItems(); ++i) {
    const io::CBlock_func* f = block.GetFunc(i);
    if (!f) continue;
    ValueState state;
    if (postp::ReadValueState(*f, state)) record.m_valueStates[f->GetName()] = state;
  }
}

void ReadComposites(const io::CBlock& block, QuantityInfoAtContextVersion& record) {
  for (size_t i = 0; i < block.GetNumItems(); ++i) {
    const io::CBlock_func* f = block.GetFunc(i);
    if (!f) continue;
    const io::CBlock_value* typeValue = FirstUnnamedValue(*f);
    unsigned int type = 0;
    if (!typeValue || !typeValue->Query(type)) continue;
    QuantityInfoAtContextVersion::CompositeInfo info;
    info.m_type = static_cast<int>(type);
    if (const io::CBlock_func* constituents = f->FindFunc(kConstituentQs)) {
      for (size_t a = 0; a < constituents->GetNumArgs(); ++a) {
        const io::CBlock_value* v = constituents->GetUnnamedValue(a);
        AString name;
        if (v && v->Query(name) && !name.empty()) info.m_constituents.push_back(name);
      }
    }
    if (info.m_type == 0 || info.m_constituents.empty()) continue;
    record.m_composites[f->GetName()] = std::move(info);
  }
}

void ReadEnumTypeNames(const io::CBlock& block, QuantityInfoAtContextVersion& record) {
  for (size_t i = 0; i < block.GetNumItems(); ++i) {
    const io::CBlock_func* f = block.GetFunc(i);
    if (!f) continue;
    const io::CBlock_value* v = FirstUnnamedValue(*f);
    AString enumTypeName;
    if (v && v->Query(enumTypeName)) record.m_enumTypeNames[f->GetName()] = enumTypeName;
  }
}

void ReadEnumReps(const io::CBlock& block, QuantityInfoAtContextVersion& record) {
  for (size_t i = 0; i < block.GetNumItems(); ++i) {
    const io::CBlock_func* f = block.GetFunc(i);
    if (!f) continue;
    std::map<int, AString>& reps = record.m_enumReps[f->GetName()];
    reps.clear();
    for (const io::CBlock_named_value* nv : f->GetNamedValues()) {
      long value = 0;
      AString text;
      if (!nv->GetKey().IsNumber(10, &value) || !nv->GetValue().Query(text)) continue;
      reps[static_cast<int>(value)] = text;
    }
  }
}

// Null when a sub-block is missing.
std::unique_ptr<QuantityInfoAtContextVersion> ReadRecord(const io::CBlock& elem) {
  const io::CBlock* info = elem.FindBlock(kInfoAtCtxtVersion);
  const io::CBlock* states = info ? info->FindBlock(kQtyValueStateInfo) : nullptr;
  const io::CBlock* composites = info ? info->FindBlock(kCompQtyInfo) : nullptr;
  const io::CBlock* enums = info ? info->FindBlock(kEnumQtyInfo) : nullptr;
  const io::CBlock* reps = info ? info->FindBlock(kEnumReps) : nullptr;
  if (!states || !composites || !enums || !reps) {
    elem.ResetFound();
    return nullptr;
  }
  auto record = std::make_unique<QuantityInfoAtContextVersion>();
  ReadValueStates(*states, *record);
  ReadComposites(*composites, *record);
  ReadEnumTypeNames(*enums, *record);
  ReadEnumReps(*reps, *record);
  return record;
}

}  // namespace

SimValueInfoServer2::SimValueInfoServer2(ISolutionManagerForReports* solMgr) : m_cache(solMgr, this), m_solMgr(solMgr) {}

SimValueInfoServer2::~SimValueInfoServer2() = default;

bool SimValueInfoServer2::GetQuantityTypeParam(std::unique_ptr<BaseQuantityTypeParam>& out, const AString& quantity,
                                               const DesignSolutionDefinition& dsd, long versionID) {
  BaseQuantityTypeParam* built = CreateQuantityTypeParam(quantity, dsd, versionID, nullptr);
  if (!built) return false;
  if (out.get() != built) out.reset(built);
  return true;
}

BaseQuantityTypeParam* SimValueInfoServer2::CreateQuantityTypeParam(const AString& quantity,
                                                                    const DesignSolutionDefinition& dsd, long versionID,
                                                                    QuantityInfoAtContextVersion* record) {
  BuildGuard guard;
  return Build(quantity, dsd, versionID, record, guard);
}

BaseQuantityTypeParam* SimValueInfoServer2::Build(const AString& quantity, const DesignSolutionDefinition& dsd,
                                                  long versionID, QuantityInfoAtContextVersion* record,
                                                  BuildGuard& guard) {
  // A composite that contains itself cannot be built.
  if (guard.building.count(quantity)) return nullptr;
  if (!record)
    record = m_cache.FindRecord(dsd.GetDesignID(), dsd.GetSolutionID(), dsd.GetReportTypeSolutionDefinitionRef(),
                                versionID);
  if (record && (record->m_composites.count(quantity) || record->m_valueStates.count(quantity)))
    return BuildFromRecord(quantity, dsd, versionID, *record, guard);

  // The solution is asked once per name: an answer that recorded nothing for it ends here.
  if (!guard.asked.insert(quantity).second) return nullptr;
  if (!AskSolutionAndRecord(quantity, dsd, versionID, record)) return nullptr;
  if (!record->m_composites.count(quantity) && !record->m_valueStates.count(quantity)) return nullptr;
  return BuildFromRecord(quantity, dsd, versionID, *record, guard);
}

BaseQuantityTypeParam* SimValueInfoServer2::BuildFromRecord(const AString& quantity, const DesignSolutionDefinition& dsd,
                                                            long versionID, QuantityInfoAtContextVersion& record,
                                                            BuildGuard& guard) {
  auto dit = record.m_composites.find(quantity);
  if (dit != record.m_composites.end()) {
    auto* composite = new CompositeQuantityTypeParam();
    ORVEX_ASSERT(dit->second.m_type!=rep::kInvalidCompositeType);
    composite->SetCompositeType(dit->second.m_type);
    // Building constituents may record new entries; keep a copy of the list.
    const std::vector<AString> constituents = dit->second.m_constituents;
    BuildingScope building(guard.building, quantity);
    for (size_t i = 0; i < constituents.size(); ++i) {
      BaseQuantityTypeParam* constituent = Build(constituents[i], dsd, versionID, &record, guard);
      if (!constituent) {
        delete composite;
        return nullptr;
      }
      composite->SetConstituent(i, constituents[i], constituent);
      delete constituent;
    }
    return composite;
  }

  auto vs = record.m_valueStates.find(quantity);
  if (vs == record.m_valueStates.end()) return nullptr;
  if (vs->second.GetParameterType() != val::kEnumParam) return new QuantityTypeParam(vs->second);
  AString enumTypeName;
  auto en = record.m_enumTypeNames.find(quantity);
  if (en == record.m_enumTypeNames.end())
    ORVEX_ASSERT(!"where's the enum-type-name?");
  else
    enumTypeName = en->second;
  return new EnumQuantityTypeParam(vs->second, enumTypeName);
}

bool SimValueInfoServer2::AskSolutionAndRecord(const AString& quantity, const DesignSolutionDefinition& dsd,
                                               long versionID, QuantityInfoAtContextVersion*& record) {
  ISolutionForReports* solution = m_solMgr ? m_solMgr->GetSolution(dsd.GetSolutionID()) : nullptr;
  IQuantityTypeProvider* provider = solution ? solution->GetQuantityTypeProvider() : nullptr;
  if (!provider) return false;
  std::unique_ptr<BaseQuantityTypeParam> answer;
  if (!provider->GetQuantityTypeParam(answer, quantity, dsd.GetReportTypeSolutionDefinitionRef(), versionID) ||
      !answer)
    return false;
  if (!record) {
    record = new QuantityInfoAtContextVersion;
    m_cache.StoreRecord(dsd.GetDesignID(), dsd.GetSolutionID(), dsd.GetReportTypeSolutionDefinitionRef(), versionID,
                        record);
  }
  QuantityInfoTranslator translator(*record, quantity);
  answer->Accept(translator);
  return true;
}

bool SimValueInfoServer2::DeleteEntriesForCommand(const IVelmorCommand* cmd) {
  if (!cmd) return true;
  m_cache.SweepSolutions([&](long solutionID, Cache::ContextMap& contexts) {
    ISolutionForReports* solution = m_solMgr ? m_solMgr->GetSolution(solutionID) : nullptr;
    if (solution)
      m_cache.SweepContexts(contexts, [&](const ReportTypeSolutionDefinition& context, Cache::VersionMap&) {
        return !solution->DidCommandChangeData(cmd, context);
      });
    return true;
  });
  for (Cache::Iterator it = m_cache.Begin(); it != m_cache.End(); ++it) {
    ISolutionForReports* solution = m_solMgr ? m_solMgr->GetSolution(it.GetSolutionID()) : nullptr;
    QuantityInfoAtContextVersion* record = it.GetRecord();
    if (!solution || !record) continue;
    const ReportTypeSolutionDefinition& context = it.GetReportTypeSolutionDefinition();
    EraseObsolete(record->m_enumTypeNames, cmd, *solution, context);
    EraseObsolete(record->m_composites, cmd, *solution, context);
    EraseObsolete(record->m_valueStates, cmd, *solution, context);
  }
  return true;
}

bool SimValueInfoServer2::WriteToBlock(io::CBlock& block) const {
  block << io::NamedValue(kInfoServer2ID, 0.0);
  m_cache.WriteTree(block, kElem,
                    [](io::CBlock& elem, const QuantityInfoAtContextVersion* record) { WriteRecord(elem, record); });
  return true;
}

io::ReadError SimValueInfoServer2::ReadFromBlock(const io::CBlock& block) {
  double marker = -1.0;
  block >> io::NamedValue(kInfoServer2ID, marker);
  if (!block.Found()) return io::kNoError;
  // Only 0.0 passes: with no absolute tolerance, every other value fails the relative test.
  if (!IsNearlyEqual(0.0, marker, 1e-14, 0.0)) return io::kNoError;

  const Cache::TreeForm form{kElem, false, false, SimValueContext(3, 0, 2, 0, 1.0, 1.0, 0.0, 0.0)};
  bool recordFailed = false;
  m_cache.ReadTree(block, form, [&](const io::CBlock& elem, const VariableNameSpace&, QuantityInfoAtContextVersion*) {
    Cache::Owned record(ReadRecord(elem).release());
    if (!record) recordFailed = true;
    return record;
  });
  return recordFailed ? io::kMissingBlock : io::kNoError;
}

}  // namespace rep
