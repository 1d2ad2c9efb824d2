#include "OutputVariablesFuzzEntry.h"

#include <cstdint>
#include <string>
#include <vector>

#include "quantities/OutputVariableMgr.h"
#include "orvex/core/Assert.h"
#include "orvex/core/Ids.h"
#include "orvex/io/Block.h"
#include "orvex/io/BlockFile.h"
#include "postorvex/outputvars/OutputVariable.h"

namespace rep {

int FuzzOutputVariables(const uint8_t* data, size_t size) {
  io::CBlock block;
  if (!io::BlockFromText(AString::FromUtf8(std::string(reinterpret_cast<const char*>(data), size)), block)) return 0;
  OutputVariableMgr mgr(nullptr);
  const io::ReadError read = mgr.DoDataExchange(block, true);

  io::CBlock written(L"Project");
  mgr.DoDataExchange(written, false);
  OutputVariableMgr again(nullptr);
  const io::ReadError reread = again.DoDataExchange(written, true);
  ORVEX_ASSERT(reread == io::kNoError);
  io::CBlock rewritten(L"Project");
  again.DoDataExchange(rewritten, false);
  ORVEX_ASSERT(written == rewritten);

  std::vector<OutputVariable*> held;
  mgr.GetOutputVariables(held, nullptr);
  auto* added = new OutputVariable(L"Added");
  if (mgr.ChangeOutputVariableID(added)) {
    ORVEX_ASSERT(held.empty() || added->GetID() > held.back()->GetID());
    ORVEX_ASSERT(added->GetID() >= id::initialID && added->GetID() < INT32_MAX);
  } else {
    delete added;
  }
  return read == io::kNoError ? 1 : 0;
}

}  // namespace rep
