// Records kept per design, solution, report-type context and context version, owned by the cache,
// and the block form of those four levels.
#pragma once

#include <map>
#include <memory>

#include "postorvex/solution/ReportTypeSolutionDefinition.h"

namespace io {
class CBlock;
}
class ISolutionManagerForReports;
class VariableNameSpace;

namespace rep {

class SimValueInfoServer2;

// Keys of the four levels, the same in every block form of the tree.
namespace contextversion {
inline constexpr wchar_t kDesignMap[] = L"DesignMap";
inline constexpr wchar_t kDesignID[] = L"DesignID";
inline constexpr wchar_t kSolutionMap[] = L"SolutionMap";
inline constexpr wchar_t kContextMap[] = L"ContextMap";
inline constexpr wchar_t kSolutionID[] = L"SolutionID";
inline constexpr wchar_t kVersionMap[] = L"VersionMap";
inline constexpr wchar_t kReportTypeSolnDef[] = L"ReportTypeSolnDef";
inline constexpr wchar_t kReportType[] = L"ReportType";
inline constexpr wchar_t kVersionID[] = L"VersionID";
}  // namespace contextversion

// How the cache lets go of a record. A record type that owns more than itself, or that must give
// up outside resources when its entry is freed, comes with traits of its own.
template <class R>
struct ContextVersionRecordTraits {
  // The cache is destroyed.
  static void Destroy(R* record) { delete record; }
  // The entry is freed while the cache lives on.
  static void Free(R* record) { delete record; }
};

// R is the record type. Lookups create the design, solution and context levels on the way; a
// version entry exists only while it holds a record.
template <class R, class Traits = ContextVersionRecordTraits<R>>
class ContextVersionCacheT {
public:
  struct DestroyRecord {
    void operator()(R* record) const { Traits::Destroy(record); }
  };
  typedef std::unique_ptr<R, DestroyRecord> Owned;
  typedef std::map<long, Owned> VersionMap;
  typedef std::map<ReportTypeSolutionDefinition, VersionMap> ContextMap;
  typedef std::map<long, ContextMap> SolutionMap;
  typedef std::map<long, SolutionMap> DesignMap;

  // What the owners' block forms of the tree do differently.
  struct TreeForm {
    const wchar_t* versionKey;  // the name of a version's block
    bool byPosition;            // readers take every child block whatever its name, else those named exactly
    bool skipWithoutID;         // readers skip an entry without its ID key, else its ID stays -1
    SimValueContext context;    // what a context is read into
  };

  // Walks every record: design, solution, context and version ascending.
  class Iterator {
  public:
    bool operator==(const Iterator& o) const;
    bool operator!=(const Iterator& o) const { return !(*this == o); }
    // At the end: raises an assertion and stays there.
    Iterator& operator++();
    bool AtEnd() const { return m_design == m_cache->m_designs.end(); }
    R* GetRecord() const { return m_version->second.get(); }
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

  // The owner is the server that holds this cache; null for other owners.
  ContextVersionCacheT(ISolutionManagerForReports* solMgr, SimValueInfoServer2* owner);
  ~ContextVersionCacheT() = default;
  ContextVersionCacheT(const ContextVersionCacheT&) = delete;
  ContextVersionCacheT& operator=(const ContextVersionCacheT&) = delete;

  // The record at that version, or null; the upper levels are created when missing.
  R* FindRecord(long designID, long solutionID, const ReportTypeSolutionDefinition& rtsd, long versionID);
  // Takes ownership; a record already there is freed.
  void StoreRecord(long designID, long solutionID, const ReportTypeSolutionDefinition& rtsd, long versionID,
                   R* record);
  // The versions of a context, created when missing.
  VersionMap& GetVersionMap(long designID, long solutionID, const ReportTypeSolutionDefinition& rtsd);
  // The solutions of a design, created when missing.
  SolutionMap& GetSolutionMap(long designID) { return m_designs[designID]; }

  // Freeing erases the entry and frees every record below it.
  void FreeVersion(VersionMap& versions, typename VersionMap::iterator version);
  void EraseContext(ContextMap& contexts, typename ContextMap::iterator context);
  void FreeSolution(SolutionMap& solutions, typename SolutionMap::iterator solution);
  // Frees every solution; the designs stay.
  void FreeAllSolutions();

  // Visits each entry of a level in ascending order; `keep(key, entry)` answering false frees it.
  template <class Keep>
  void SweepSolutions(Keep keep);
  template <class Keep>
  void SweepContexts(ContextMap& contexts, Keep keep);
  template <class Keep>
  void SweepVersions(VersionMap& versions, Keep keep);

  // Adds the four levels under `parent`, empty ones included; `writeVersion(block, record)` fills
  // each version's block after its ID.
  template <class WriteVersion>
  void WriteTree(io::CBlock& parent, const wchar_t* versionKey, WriteVersion writeVersion) const;
  // Reads the four levels under `parent`, adding to what is held. A context is read only for a
  // solution that gives a name-space setter; `readVersion(block, names, held)` answers the Owned
  // record of a version's block (null: nothing stored), `held` being the record there so far.
  template <class ReadVersion>
  void ReadTree(const io::CBlock& parent, const TreeForm& form, ReadVersion readVersion);

  bool IsEmpty() const { return m_designs.empty(); }
  const DesignMap& GetDesignMap() const { return m_designs; }
  DesignMap& GetDesignMapForEdit() { return m_designs; }
  ISolutionManagerForReports* GetSolutionManager() const { return m_solMgr; }
  SimValueInfoServer2* GetOwner() const { return m_owner; }

  Iterator Begin() const { return Iterator(this, false); }
  Iterator End() const { return Iterator(this, true); }

private:
  ISolutionManagerForReports* m_solMgr;  // not owned
  SimValueInfoServer2* m_owner;          // the server that holds this cache, or null
  DesignMap m_designs;
};

}  // namespace rep
