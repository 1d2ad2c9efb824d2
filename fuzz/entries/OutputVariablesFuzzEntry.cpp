#include "OutputVariablesFuzzEntry.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "quantities/OutputVariableMgr.h"
#include "orvex/core/Assert.h"
#include "orvex/core/Ids.h"
#include "orvex/io/Block.h"
#include "orvex/io/BlockFile.h"
#include "postorvex/outputvars/OutputVariable.h"

namespace rep {

namespace {

std::vector<OutputVariable*> Held(const OutputVariableMgr& mgr) {
  std::vector<OutputVariable*> held;
  mgr.GetOutputVariables(held, nullptr);
  return held;
}

// Every variable read comes back from its written form, one by one, in the same place: its ID,
// name, expression and value state. Comparing a written form only with the next would miss a
// variable that the writer loses once.
void ExpectSameVariables(const OutputVariableMgr& read, const OutputVariableMgr& readBack) {
  const std::vector<OutputVariable*> held = Held(read);
  const std::vector<OutputVariable*> back = Held(readBack);
  ORVEX_ASSERT(held.size()==back.size());
  if (held.size() != back.size())
    std::fprintf(stderr, "%zu variables read, %zu read back\n", held.size(), back.size());
  for (size_t i = 0; i < held.size() && i < back.size(); ++i) {
    const OutputVariable& a = *held[i];
    const OutputVariable& b = *back[i];
    const bool same = a.GetID() == b.GetID() && a.GetName() == b.GetName() &&
                      a.GetValueBaseText() == b.GetValueBaseText() && a.GetValueState() == b.GetValueState();
    ORVEX_ASSERT(same);
    if (!same)
      std::fprintf(stderr, "variable %zu: read %ld %s = %s, read back %ld %s = %s\n", i, a.GetID(),
                   a.GetName().ToUtf8().c_str(), a.GetValueBaseText().ToUtf8().c_str(), b.GetID(),
                   b.GetName().ToUtf8().c_str(), b.GetValueBaseText().ToUtf8().c_str());
  }
}

}  // namespace

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
  ExpectSameVariables(mgr, again);
  io::CBlock rewritten(L"Project");
  again.DoDataExchange(rewritten, false);
  ORVEX_ASSERT(written == rewritten);

  const std::vector<OutputVariable*> held = Held(mgr);
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
