// The reference owner of a design's report manager: answers from settable members, records calls.
#pragma once

#include <map>

#include "hostapi/IReportManagerOwner.h"

namespace refhost {

class ReferenceReportManagerOwner : public IReportManagerOwner {
public:
  // Outside the command-info kinds that the engine looks up by number.
  static constexpr int kReportsInfoSource = 35600;

  ReferenceReportManagerOwner();
  ~ReferenceReportManagerOwner() override;

  long GetDesignInstanceID() const override { return m_designInstanceID; }
  int GetCmdInfoSourceForReports() const override { return kReportsInfoSource; }
  void AddContextedInfoToCmd(IVelmorCommand* cmd, VelmorCommandInfo* info, int source) override;
  VelmorCommandInfo* GetContextedInfoFromCmd(IVelmorCommand* cmd, int source) const override;
  const ISolutionManagerForReports* GetISolutionManagerForReports() const override { return m_solMgr; }
  ISolutionManagerForReports* GetISolutionManagerForReportsForEdit() override { return m_solMgr; }
  const IOutputVariableMgr* GetIOutputVariableMgr() const override { return m_outputVariables; }
  IOutputVariableMgr* GetIOutputVariableMgrForEdit() override { return m_outputVariables; }
  const ISimValueCache* GetISimValueCache() const override { return m_cache; }
  ISimValueCache* GetISimValueCacheForEdit() override { return m_cache; }
  bool ShouldUpdateTracesOnCommand(IVelmorCommand*) override { return m_updateTracesOnCommand; }
  bool DoesReportKeepDigitalColumns(long reportID) override;

  void SetDesignInstanceID(long id) { m_designInstanceID = id; }
  void SetSolutionManager(ISolutionManagerForReports* solMgr) { m_solMgr = solMgr; }
  void SetOutputVariableMgr(IOutputVariableMgr* mgr) { m_outputVariables = mgr; }
  void SetSimValueCache(ISimValueCache* cache) { m_cache = cache; }
  void SetUpdateTracesOnCommand(bool update) { m_updateTracesOnCommand = update; }
  void SetReportKeepsDigitalColumns(long reportID, bool keeps) { m_keepsDigital[reportID] = keeps; }
  int GetNumInfosAdded() const { return m_infosAdded; }

private:
  long m_designInstanceID = 1;
  ISolutionManagerForReports* m_solMgr = nullptr;  // not owned
  IOutputVariableMgr* m_outputVariables = nullptr;  // not owned
  ISimValueCache* m_cache = nullptr;               // not owned
  bool m_updateTracesOnCommand = true;
  std::map<long, bool> m_keepsDigital;
  int m_infosAdded = 0;
};

}  // namespace refhost
