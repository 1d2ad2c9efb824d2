// One trace whose data the host asks for without any report of the project holding it.
#pragma once

#include <vector>

#include "orvex/core/AString.h"
#include "orvex/core/Ids.h"
#include "postorvex/solution/ReportTypeSolutionDefinition.h"
#include "postorvex/variation/PointsetDefParams.h"

namespace rep {

struct TraceExtractionRequest {
  std::vector<AString> m_expressions;  // one per dimension; the first names the request in messages
  long m_solutionID = id::invalidID;
  long m_designInstanceID = id::invalidID;
  ReportTypeSolutionDefinition m_reportTypeSolutionDefinition;
  PointsetDefParams m_pointsetDefParams;  // only its subsweep definitions are used
};

}  // namespace rep
