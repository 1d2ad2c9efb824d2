// The sweep values a computed trace plots: families of fixed values and subsweep definitions.
#pragma once

#include <memory>
#include <vector>

#include "Gravik/IPointsetDefinition.h"
#include "orvex/io/Block.h"
#include "postorvex/sweeps/RegularSubsweepDefParams.h"
#include "postorvex/sweeps/SubsweepDefParamsContainer.h"
#include "postorvex/variation/VariableValuesDefParams.h"

class ISolutionManagerForReports;
class DesignSolutionDefinition;
class SelectableSubsweepDefParams;
class SweepBase;

namespace rep {

class PointsetDefinition : public IPointsetDefinition {
public:
  PointsetDefinition() = default;
  PointsetDefinition(const SubsweepDefParamsContainer& subsweeps, const std::vector<VariableValuesDefParams>& families);
  PointsetDefinition(const SubsweepDefParamsContainer& subsweeps, const std::vector<VariableValuesDefParams>& families,
                     const SubsweepDefParamsContainer& specifiableIfInFamilies);
  PointsetDefinition(const PointsetDefinition& other);
  PointsetDefinition& operator=(const PointsetDefinition&) = delete;
  ~PointsetDefinition() override;

  IPointsetDefinition* Clone() const override;
  // Only from another PointsetDefinition; anything else is refused after an assertion.
  void CopyFrom(const IPointsetDefinition& other) override;
  AString GetBlockName() const override { return GetStaticBlockName(); }
  static const AString& GetStaticBlockName() {
    static const AString name(L"PointsetDefinition");
    return name;
  }
  const SubsweepDefParamsContainer& GetSubsweepDefParamsContainer() const override { return m_subsweeps; }
  unsigned GetVariableValuesDefParams(std::vector<VariableValuesDefParams>& out) const override;
  const SubsweepDefParamsContainer& GetSpecifiableSubsweepsIfInFamilies() const override {
    return m_specifiableIfInFamilies;
  }

  unsigned GetSweepNames(std::vector<AString>& names) const;
  bool RemoveSweeps(const std::vector<AString>& names);
  bool Validate(ISolutionManagerForReports* solMgr, const DesignSolutionDefinition& dsd) const;
  io::ReadError DoDataExchange(io::CBlock& block, bool read);

  // The sweep's default subsweep definition when it is a selectable one; null otherwise.
  static std::unique_ptr<SelectableSubsweepDefParams> CreateDefaultSelectableSubsweep(const SweepBase& sweep);

private:
  std::vector<VariableValuesDefParams> m_families;      // one variation of the fixed variables per family
  SubsweepDefParamsContainer m_subsweeps;               // one definition per swept variable
  SubsweepDefParamsContainer m_specifiableIfInFamilies;
};

}  // namespace rep
