// How a trace shows its sweep families: all, statistics across them, or a histogram.
#pragma once

#include <memory>

#include "orvex/core/MUndoableObject.h"
#include "orvex/io/Block.h"
#include "orvex/io/StreamioBlockObject.h"

class TraceFamiliesDisplayParameters;

namespace rep {

class TraceFamiliesDisplayDefinition : public MUndoableObject, public io::CStreamio_block_object {
public:
  TraceFamiliesDisplayDefinition();
  TraceFamiliesDisplayDefinition(const TraceFamiliesDisplayDefinition& other);
  TraceFamiliesDisplayDefinition& operator=(const TraceFamiliesDisplayDefinition& other);
  ~TraceFamiliesDisplayDefinition() override;

  MUndoableObject* Clone() const override;
  // Only from another TraceFamiliesDisplayDefinition; anything else is refused after an assertion.
  void Assign(const MUndoableObject& from) override;

  const TraceFamiliesDisplayParameters* GetFamiliesDisplayParams() const { return m_familiesDisplayParams.get(); }
  // Holds a clone; the caller keeps its object.
  void SetFamiliesDisplayParams(const TraceFamiliesDisplayParameters& params);
  AString GetDisplayFamiliesType() const;
  // Null for a name that is none of the three, compared exactly.
  static TraceFamiliesDisplayParameters* CreateFamiliesDisplayParams(const AString& typeName);

  AString GetBlockName() const override { return GetStaticBlockName(); }
  static const AString& GetStaticBlockName() {
    static const AString name(L"TraceFamiliesDisplayDefinition");
    return name;
  }
  io::ReadError DoDataExchange(io::CBlock& block, bool read) override;

private:
  std::unique_ptr<TraceFamiliesDisplayParameters> m_familiesDisplayParams;  // never null
};

}  // namespace rep
