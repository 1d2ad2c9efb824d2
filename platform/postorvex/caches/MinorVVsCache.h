// The cached quantity values of one major variation of a solution: per sweep variable, a
// connectivity over the minor variables whose points hold MinorSweepCache objects. It writes
// and reads its own file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "orvex/core/AString.h"
#include "orvex/core/OrvexApi.h"
#include "postorvex/connectivity/VVLeafData.h"

class ConnectedVVObject;
class IManagedFileService;
class Variable;
namespace io {
class CBlock;
}  // namespace io
namespace postp {
class MinorCacheColumns;
}  // namespace postp

// File form: binary (postorvex/caches/MinorCacheBinary.h) around this block, whose column blocks
// then refer to the file's columns; files of block text, the older form, still read. The block:
//   MinorVVsCache { FormatVersion = 1
//     SweepConnectivity { SweepVariable = "name" ("" for none); Variables = [level names, list order]
//       Point { Variation = "variation key of the point"; SweepCache { the sweep cache } } } }
// Sweep cache: Kind (0 regular, 1 special, 2 double special), SweepVariable, Tag, SweepColumn
// (absent when none), and per quantity Quantity { ID; ValuesCol; InterpCol, PrimaryCol and
// PushedCol when present }. Columns are in their block form.
class POSTORVEX_API MinorVVsCache : public VVLeafData {
public:
  explicit MinorVVsCache(IManagedFileService* service);
  // Deletes its sweep connectivities and their sweep caches.
  ~MinorVVsCache() override;
  MinorVVsCache(const MinorVVsCache&) = delete;
  MinorVVsCache& operator=(const MinorVVsCache&) = delete;

  // A null sweep variable is a valid key. Null when none was added.
  ConnectedVVObject* GetConnectivityForSweepVar(const Variable* sweepVariable) const;
  // Takes ownership. One already there for the variable is deleted with its sweep caches.
  void AddConnectivityForSweepVar(const Variable* sweepVariable, ConnectedVVObject* connectivity);
  // In the order added.
  size_t GetNumSweepConnectivities() const { return m_sweeps.size(); }

  // Every ID held by any sweep cache, ascending, once each.
  void GetQuantityIDs(std::list<long>& out) const;
  // Drops that ID's columns from every sweep cache.
  void InvalidateQuantityData(long id);
  // Drops all data and deletes the file it wrote; counted (GetInvalidateCount).
  void Invalidate();

  // Names the file once through the service (folder "svcache", prefix "MVC") and writes it.
  // False when there is no service, no name can be made or the file cannot be written.
  bool Write();
  // Takes `name`, a file just made for this cache that nothing names yet, and writes it there
  // directly: a write cut short leaves only that name, for its maker to remove.
  bool WriteToFreshFile(const AString& name);
  const AString& GetCacheFile() const { return m_file; }
  void SetCacheFile(const AString& name) { m_file = name; }
  // Reads the named file; variables are resolved by name in the current name spaces and among
  // the intrinsic variables. False, and nothing changed, on any failure; `error` then says what.
  bool Read(AString* error = nullptr);

  // The file's bytes, and reading them (what Read does after the file is read): binary, or the
  // older block text.
  void WriteToBytes(std::string& out) const;
  bool ReadFromBytes(const char* data, size_t size, AString* error = nullptr);
  // The block of the file, and reading one; with `columns`, column blocks refer to its columns.
  void WriteToBlock(io::CBlock& block, postp::MinorCacheColumns* columns = nullptr) const;
  bool ReadFromBlock(const io::CBlock& block, AString* error = nullptr,
                     const postp::MinorCacheColumns* columns = nullptr);

  // Invalidations since the last test reset, and caches now alive.
  static size_t GetInvalidateCount();
  static size_t GetInstanceCount();

private:
  struct SweepEntry {
    const Variable* sweepVariable;                // not owned
    std::unique_ptr<ConnectedVVObject> connectivity;  // its data are the sweep caches, owned here
  };
  static void DeleteSweepCaches(const ConnectedVVObject& connectivity);
  void Clear();
  void DeleteFile();
  bool WriteFile(bool fresh);

  IManagedFileService* m_service;  // not owned; may be null
  std::vector<SweepEntry> m_sweeps;  // in the order added, so the file keeps one order
  AString m_file;                  // name of its file, without path; empty until written or set
};
