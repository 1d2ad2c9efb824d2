// Gives every distinct simulated quantity one stable ID, kept across save and load.
#pragma once

#include <map>
#include <memory>

#include "Gravik/ISimValueInfoCache.h"
#include "quantities/SimValueInfoServer2.h"
#include "orvex/core/Assert.h"
#include "orvex/core/VelmorIDServer.h"
#include "orvex/io/Block.h"
#include "orvex/io/NamedValue.h"
#include "orvex/io/ReadError.h"
#include "postorvex/quantities/SimValueParams.h"

class BaseQuantityTypeParam;
class DesignSolutionDefinition;
class ISolutionManagerForReports;
class IVelmorCommand;

namespace rep {

// The ID depends only on the quantity's parameters (text without case, value state, enumeration
// type name): the same quantity in two solutions or versions has one ID. IDs are never reused.
class SimValueInfoServer : public ISimValueInfoCache {
public:
  explicit SimValueInfoServer(ISolutionManagerForReports* solMgr);
  ~SimValueInfoServer() override;
  SimValueInfoServer(const SimValueInfoServer&) = delete;
  SimValueInfoServer& operator=(const SimValueInfoServer&) = delete;

  long GetSimValueID(SimValueParams& params, const AString& quantity, const DesignSolutionDefinition& dsd,
                     long versionID) override;

  // Only for solutions that describe their quantities by type parameters; else false.
  bool GetQuantityTypeParam(std::unique_ptr<BaseQuantityTypeParam>& out, const AString& quantity,
                            const DesignSolutionDefinition& dsd, long versionID);
  // Asked of the solution at its current context version.
  bool IsQuantityOfSolution(const AString& quantity, const DesignSolutionDefinition& dsd);
  // False, and `out` untouched, for an ID never issued or since dropped.
  bool GetSimValueParams(SimValueParams& out, long id) const;
  // Drops the quantities that the command renames, and what the type information loses; true.
  bool DeleteEntriesForCommand(const IVelmorCommand* cmd);

  // The content of the "SimValueInfos" block.
  bool WriteToBlock(io::CBlock& block) const;
  // Adds to what is held and answers no error. Damaged entries are skipped: one without
  // "SimValueParams", or with parameters that do not read, after a soft assertion "0"; one
  // without an ID silently. Type-information records that do not read are left out.
  io::ReadError ReadFromBlock(const io::CBlock& block);

  // An enumeration quantity's type name; a refusal is a soft assertion and leaves `params` as
  // they were.
  static void SetEnumTypeName(SimValueParams& params, const AString& enumTypeName);
  // Appends one "SimValue" block: the ID and the parameters. Parameters that report a write
  // error are a soft assertion; their block is added all the same.
  template <class Params>
  static void AppendSimValueBlock(io::CBlock& block, long id, Params& params);

  size_t GetNumIDs() const { return m_paramsByID.size(); }
  const SimValueInfoServer2& GetTypeInformation() const { return m_typeInfo; }
  SimValueInfoServer2& GetTypeInformationForEdit() { return m_typeInfo; }

private:
  static constexpr const wchar_t* kSimValue = L"SimValue";
  static constexpr const wchar_t* kID = L"ID";
  static constexpr const wchar_t* kSimValueParams = L"SimValueParams";

  // Keeps the two maps each other's inverse when an entry replaces others.
  void Record(long id, const SimValueParams& params);

  std::map<SimValueParams, long> m_idsByParams;
  std::map<long, SimValueParams> m_paramsByID;
  SimValueInfoServer2 m_typeInfo;
  ISolutionManagerForReports* m_solMgr;  // not owned
  VelmorIDServer m_idServer;
};

template <class Params>
void SimValueInfoServer::AppendSimValueBlock(io::CBlock& block, long id, Params& params) {
  io::CBlock simValue(kSimValue);
  simValue << io::NamedValue(kID, id);
  io::CBlock paramsBlock(kSimValueParams);
  const io::ReadError svpReadError = params.DoDataExchange(paramsBlock, false);
  ORVEX_ASSERT(svpReadError==io::kNoError);
  simValue << std::move(paramsBlock);
  block << std::move(simValue);
}

}  // namespace rep
