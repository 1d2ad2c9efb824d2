// The host's owner of one design's report manager: command infos, solutions, variables, cache.
#pragma once

class IVelmorCommand;
class VelmorCommandInfo;
class ISolutionManagerForReports;
class IOutputVariableMgr;
class ISimValueCache;

class IReportManagerOwner {
public:
  virtual ~IReportManagerOwner() = default;                                          // 0
  virtual long GetDesignInstanceID() const = 0;                                       // 1
  // The key under which report command infos live on a command.
  virtual int GetCmdInfoSourceForReports() const = 0;                                 // 2
  // The command takes ownership of the info.
  virtual void AddContextedInfoToCmd(IVelmorCommand* cmd, VelmorCommandInfo* info, int source) = 0;  // 3
  virtual VelmorCommandInfo* GetContextedInfoFromCmd(IVelmorCommand* cmd, int source) const = 0;  // 4
  virtual const ISolutionManagerForReports* GetISolutionManagerForReports() const = 0;  // 5
  virtual ISolutionManagerForReports* GetISolutionManagerForReportsForEdit() = 0;       // 6
  virtual const IOutputVariableMgr* GetIOutputVariableMgr() const = 0;                  // 7
  virtual IOutputVariableMgr* GetIOutputVariableMgrForEdit() = 0;                       // 8
  virtual const ISimValueCache* GetISimValueCache() const = 0;                          // 9
  virtual ISimValueCache* GetISimValueCacheForEdit() = 0;                               // 10
  virtual bool ShouldUpdateTracesOnCommand(IVelmorCommand*) { return true; }            // 11
  // True: that report's traces keep digital columns.
  virtual bool DoesReportKeepDigitalColumns(long /*reportID*/) { return false; }        // 12
};
