#include "reports/TraceFamiliesDisplayDefinition.h"

#include "orvex/core/Assert.h"
#include "postorvex/families/DisplayAllTraceFamiliesParameters.h"
#include "postorvex/families/DisplayHistogramAcrossTraceFamiliesParameters.h"
#include "postorvex/families/DisplayStatisticsOfTraceFamiliesParameters.h"
#include "postorvex/families/TraceFamiliesDisplayParameters.h"

namespace rep {

namespace {
const AString kDisplayFamiliesType(L"DisplayFamiliesType");
const wchar_t* const kDisplayAll = L"DisplayAll";
const wchar_t* const kDisplayStatistics = L"DisplayStatistics";
const wchar_t* const kDisplayHistogram = L"DisplayHistogram";
}  // namespace

TraceFamiliesDisplayDefinition::TraceFamiliesDisplayDefinition()
    : m_familiesDisplayParams(new DisplayAllTraceFamiliesParameters) {
  ReadUndoableFromStorage();
}

TraceFamiliesDisplayDefinition::TraceFamiliesDisplayDefinition(const TraceFamiliesDisplayDefinition& other)
    : MUndoableObject(), io::CStreamio_block_object(),
      m_familiesDisplayParams(other.m_familiesDisplayParams->CloneDisplayParams()) {
  ReadUndoableFromStorage();
}

TraceFamiliesDisplayDefinition& TraceFamiliesDisplayDefinition::operator=(const TraceFamiliesDisplayDefinition& other) {
  if (&other != this) Assign(other);
  return *this;
}

TraceFamiliesDisplayDefinition::~TraceFamiliesDisplayDefinition() = default;

MUndoableObject* TraceFamiliesDisplayDefinition::Clone() const { return new TraceFamiliesDisplayDefinition(*this); }

void TraceFamiliesDisplayDefinition::Assign(const MUndoableObject& from) {
  const auto* fromDefn = dynamic_cast<const TraceFamiliesDisplayDefinition*>(&from);
  ORVEX_ASSERT(fromDefn);
  if (!fromDefn || fromDefn == this) return;
  SetFamiliesDisplayParams(*fromDefn->m_familiesDisplayParams);
}

void TraceFamiliesDisplayDefinition::SetFamiliesDisplayParams(const TraceFamiliesDisplayParameters& params) {
  m_familiesDisplayParams.reset(params.CloneDisplayParams());
}

AString TraceFamiliesDisplayDefinition::GetDisplayFamiliesType() const {
  const TraceFamiliesDisplayParameters* p = m_familiesDisplayParams.get();
  if (dynamic_cast<const DisplayAllTraceFamiliesParameters*>(p)) return kDisplayAll;
  if (dynamic_cast<const DisplayStatisticsOfTraceFamiliesParameters*>(p)) return kDisplayStatistics;
  if (dynamic_cast<const DisplayHistogramAcrossTraceFamiliesParameters*>(p)) return kDisplayHistogram;
  ORVEX_ASSERT(0);
  return AString();
}

TraceFamiliesDisplayParameters* TraceFamiliesDisplayDefinition::CreateFamiliesDisplayParams(const AString& typeName) {
  if (typeName == kDisplayAll) return new DisplayAllTraceFamiliesParameters;
  if (typeName == kDisplayStatistics) return new DisplayStatisticsOfTraceFamiliesParameters;
  if (typeName == kDisplayHistogram) return new DisplayHistogramAcrossTraceFamiliesParameters;
  ORVEX_ASSERT(0);
  return nullptr;
}

io::ReadError TraceFamiliesDisplayDefinition::DoDataExchange(io::CBlock& block, bool read) {
  io::CReadError err;
  AString typeName;
  if (!read) {
    ORVEX_ASSERT(m_familiesDisplayParams);
    typeName = GetDisplayFamiliesType();
  }
  io::ReadError typeRead = io::DoDataExchange(block, read, kDisplayFamiliesType, typeName, io::kReturnCode);
  err += typeRead;
  if (read) {
    // Unknown or missing kind: keep the parameters held so far, so they are never null, and
    // report the block as unreadable.
    const bool known = typeName == kDisplayAll || typeName == kDisplayStatistics || typeName == kDisplayHistogram;
    std::unique_ptr<TraceFamiliesDisplayParameters> created(
        typeRead == io::kNoError && known ? CreateFamiliesDisplayParams(typeName) : nullptr);
    if (created)
      m_familiesDisplayParams = std::move(created);
    else
      err += typeRead != io::kNoError ? typeRead : io::ReadError(1);
  }
  err += m_familiesDisplayParams->DoDataExchange(block, read);
  RecordError(err);
  return err;
}

}  // namespace rep
