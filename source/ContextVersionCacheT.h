// Records kept per design, solution, report-type context and context version, owned by the cache.
#pragma once

#include <map>

#include "postorvex/solution/ReportTypeSolutionDefinition.h"

class ISolutionManagerForReports;

namespace rep {

class SimValueInfoServer2;

// R is the record type. Lookups create the design, solution and context levels on the way; a
// version entry exists only while it holds a record.
template <class R>
class ContextVersionCacheT {
public:
  typedef std::map<long, R*> VersionMap;  // records owned
  typedef std::map<ReportTypeSolutionDefinition, VersionMap> ContextMap;
  typedef std::map<long, ContextMap> SolutionMap;
  typedef std::map<long, SolutionMap> DesignMap;

  // Walks every record: design, solution, context and version ascending.
  class Iterator {
  public:
    bool operator==(const Iterator& o) const;
    bool operator!=(const Iterator& o) const { return !(*this == o); }
    // At the end: raises an assertion and stays there.
    Iterator& operator++();
    bool AtEnd() const { return m_design == m_cache->m_designs.end(); }
    R* GetRecord() const { return m_version->second; }
    long GetVersionID() const { return m_version->first; }
    long GetSolutionID() const { return m_solution->first; }
    long GetDesignID() const { return m_design->first; }
    const ReportTypeSolutionDefinition& GetReportTypeSolutionDefinition() const { return m_context->first; }

  private:
    friend class ContextVersionCacheT;
    Iterator(const ContextVersionCacheT* cache, bool atEnd);
    // From the current positions onwards, the first position that holds a record.
    void Settle();

    const ContextVersionCacheT* m_cache;
    typename DesignMap::const_iterator m_design;
    typename SolutionMap::const_iterator m_solution;
    typename ContextMap::const_iterator m_context;
    typename VersionMap::const_iterator m_version;
  };

  ContextVersionCacheT(ISolutionManagerForReports* solMgr, SimValueInfoServer2* owner);
  ~ContextVersionCacheT();
  ContextVersionCacheT(const ContextVersionCacheT&) = delete;
  ContextVersionCacheT& operator=(const ContextVersionCacheT&) = delete;

  // The record at that version, or null; the upper levels are created when missing.
  R* FindRecord(long designID, long solutionID, const ReportTypeSolutionDefinition& rtsd, long versionID);
  // Takes ownership; a record already there is deleted.
  void StoreRecord(long designID, long solutionID, const ReportTypeSolutionDefinition& rtsd, long versionID,
                   R* record);
  // The versions of a context, created when missing.
  VersionMap& GetVersionMap(long designID, long solutionID, const ReportTypeSolutionDefinition& rtsd);
  // Deletes the context's records and erases it.
  void EraseContext(ContextMap& contexts, typename ContextMap::iterator context);

  bool IsEmpty() const { return m_designs.empty(); }
  const DesignMap& GetDesignMap() const { return m_designs; }
  DesignMap& GetDesignMapForEdit() { return m_designs; }
  ISolutionManagerForReports* GetSolutionManager() const { return m_solMgr; }
  SimValueInfoServer2* GetOwner() const { return m_owner; }

  Iterator Begin() const { return Iterator(this, false); }
  Iterator End() const { return Iterator(this, true); }

private:
  ISolutionManagerForReports* m_solMgr;  // not owned
  SimValueInfoServer2* m_owner;          // the server that holds this cache
  DesignMap m_designs;
};

}  // namespace rep
