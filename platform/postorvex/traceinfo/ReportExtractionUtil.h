// The owner of one temporary report manager, for trace data that no report of the project holds.
#pragma once

#include <memory>

#include "hostapi/IReportManagerOwner.h"
#include "orvex/core/OrvexApi.h"

namespace rep {
class IReportManager;
}

class POSTORVEX_API ReportExtractionUtil : public IReportManagerOwner {
public:
  // Makes an engine report manager for the owner; the caller owns the answer.
  using ReportManagerCreator = rep::IReportManager* (*)(IReportManagerOwner* owner);

  // Installs a creator for the scope's life and puts the previous one back, so that two copies
  // of the engine in one process each make their own managers.
  class InstalledCreator {
  public:
    explicit InstalledCreator(ReportManagerCreator creator);
    ~InstalledCreator();
    InstalledCreator(const InstalledCreator&) = delete;
    InstalledCreator& operator=(const InstalledCreator&) = delete;

  private:
    ReportManagerCreator m_previous;  // put back when the scope ends
    ReportManagerCreator m_mine;
  };
  // Answers the creator installed so far.
  static ReportManagerCreator SetReportManagerCreator(ReportManagerCreator creator);
  static ReportManagerCreator GetReportManagerCreator();

  // Makes the temporary manager with the installed creator; without one, the manager is null.
  ReportExtractionUtil(ISolutionManagerForReports* solMgr, IOutputVariableMgr* outputVariables, ISimValueCache* cache,
                       long designInstanceID);
  ReportExtractionUtil(const ReportExtractionUtil&) = delete;
  ReportExtractionUtil& operator=(const ReportExtractionUtil&) = delete;
  // Destroys the manager with its reports, traces and the trace data not handed out.
  ~ReportExtractionUtil() override;

  rep::IReportManager* GetIReportManagerForEdit() { return m_mgr.get(); }

  // IReportManagerOwner
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
  bool ShouldUpdateTracesOnCommand(IVelmorCommand*) override { return true; }
  bool DoesReportKeepDigitalColumns(long) override { return false; }

  // Outside the command-info kinds that the engine looks up by number.
  static constexpr int kReportsInfoSource = 35600;

private:
  ISolutionManagerForReports* m_solMgr;    // not owned
  IOutputVariableMgr* m_outputVariables;  // not owned
  ISimValueCache* m_cache;                // not owned
  long m_designInstanceID;
  std::unique_ptr<rep::IReportManager> m_mgr;  // last: destroyed while the services above are still set
};
