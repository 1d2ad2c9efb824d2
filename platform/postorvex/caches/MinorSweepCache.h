// The cached quantity values of one minor point of a solution along one sweep: rows keyed by the
// sweep's values, one column per quantity ID.
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "orvex/core/AString.h"
#include "orvex/core/OrvexApi.h"
#include "postorvex/connectivity/PostpValueKey.h"
#include "postorvex/connectivity/PostpValueKeyIndex.h"
#include "postorvex/connectivity/VVLeafData.h"

class CharColumn;
class Column;
class IManagedFileService;
class Value;
class Variable;
namespace io {
class CBlock;
}  // namespace io
namespace postp {
class MinorCacheColumns;
}  // namespace postp

// Rows are merged, never dropped: traces on one solution, variation and primary share one cache,
// and every push lands before any trace reads. Each row records which IDs were pushed at it, so
// a pushed NaN counts as a value. Quantity columns are made with the cache's file service.
class POSTORVEX_API MinorSweepCache : public VVLeafData {
public:
  // The number written as "Kind" in the cache file.
  enum Kind { kRegular = 0, kSpecial = 1, kDoubleSpecial = 2 };

  // A null sweep variable is allowed: rows are then keyed by the primary's values.
  MinorSweepCache(const Variable* sweepVariable, IManagedFileService* service);
  ~MinorSweepCache() override;
  MinorSweepCache(const MinorSweepCache&) = delete;
  MinorSweepCache& operator=(const MinorSweepCache&) = delete;

  virtual void Reserved1();
  virtual void Reserved2();
  virtual void Reserved3();
  virtual void Reserved4();
  virtual void Reserved5();
  virtual void Reserved6();
  virtual void Reserved7();
  virtual void Reserved8();
  virtual void Reserved9();
  virtual void Reserved10();
  virtual void Reserved11();
  virtual void Reserved12();
  virtual void Reserved13();

  Kind GetKind() const { return m_kind; }
  const Variable* GetSweepVariable() const { return m_sweepVariable; }
  // The row keys; null when none.
  const Column* GetSweepColumn() const { return m_sweepColumn.get(); }
  // Null when the ID has no values here.
  Column* GetQuantityColumn(long id) const;
  Column* GetQuantityInterpOrderColumn(long id) const;
  // The tag of the last update; stored and written, never interpreted.
  const AString& GetTag() const { return m_tag; }
  // Rows of the sweep column; 0 without one.
  size_t GetRowCount() const;
  // Ascending.
  void GetQuantityIDs(std::vector<long>& out) const;
  bool HasQuantity(long id) const { return m_quantities.count(id) != 0; }
  // Whether `id` was pushed at `row` (of its own primary when it has one).
  bool WasPushedAt(long id, size_t row) const;

  // With a sweep variable: the row whose key equals the variable's current value (relative
  // 1e-12); without one, row 0 when the cache has a row. `defaultRow` otherwise.
  int GetRowForCurrentVariation(int defaultRow) const;
  // Every value of `primary` has a row, and every ID was pushed at each such row. An ID with its
  // own primary column is looked up there. With no ID: every value has a row of the sweep column.
  bool DoesCacheHaveValuesForQuantities(const std::set<long>& ids, const Column& primary) const;

  // The point update. Minor (`majorPrimary` false): each primary value keys a row, found or
  // appended; row i of each given column goes there. Major: one row per call, keyed by the sweep
  // variable's current value, else by the primary's first value; row 0 of each column goes there.
  // Other quantities keep their columns (invalid at new rows). IDs and columns pair by position;
  // a null column leaves its ID as it was, rows beyond a short column count as not pushed.
  void Update(Column& primaryValues, bool majorPrimary, const std::vector<long>& ids,
              const std::vector<const Column*>& values, const AString& tag);

  // Drops that ID's columns.
  void InvalidateQuantityData(long id);

  // The content of the "SweepCache" block of the cache file, written into `block`. With
  // `columns`, column blocks only refer to the columns, which go to that table.
  void WriteToBlock(io::CBlock& block, postp::MinorCacheColumns* columns = nullptr) const;
  // The block's "Kind"; false, with `error` saying what is wrong, when it is missing or unknown.
  // MinorSweepCacheFactory makes the cache of that kind.
  static bool ReadKind(const io::CBlock& block, Kind& kind, AString& error);
  // Fills a new cache from the rest of the block; false, with `error` saying what is wrong, for
  // a damaged block. With `columns`, column blocks refer to the columns of that table.
  bool ReadContent(const io::CBlock& block, AString& error, const postp::MinorCacheColumns* columns = nullptr);

  // Caches now alive, for leak checks.
  static size_t GetInstanceCount();

protected:
  MinorSweepCache(const Variable* sweepVariable, IManagedFileService* service, Kind kind);

  // The minor point update with, when given, interpolation orders merged the same way.
  void MergeUpdate(const Column& primaryValues, bool majorPrimary, const std::vector<long>& ids,
                   const std::vector<const Column*>& values, const std::map<long, const CharColumn*>* orders,
                   const AString& tag);
  // The given IDs' columns become copies of the given ones, with their own primaries; the row
  // keys become a copy of `commonPrimary` when it holds values, else none.
  void ReplaceWithPerQuantityPrimaries(const Column& commonPrimary, const std::vector<long>& ids,
                                       const std::map<long, Column*>& primaries,
                                       const std::vector<const Column*>& values, const AString& tag);
  const Column* GetQuantityPrimary(long id) const;

private:
  struct QuantityData {
    std::unique_ptr<Column> values;
    std::unique_ptr<Column> orders;   // a CharColumn, or null
    std::unique_ptr<Column> primary;  // its own row keys, or null: the sweep column's rows
    std::vector<char> pushed;         // per row of `values`, unless allPushed
    size_t allPushed = 0;             // rows all pushed, with `pushed` empty: read without flags

    bool IsPushed(size_t row) const { return row < allPushed || (row < pushed.size() && pushed[row]); }
    size_t PushedRows() const { return allPushed > pushed.size() ? allPushed : pushed.size(); }
    // The flag of every row, made now when all were pushed.
    std::vector<char>& Flags();
  };
  // Target row in the cache, source row in the pushed columns.
  using RowMap = std::vector<std::pair<size_t, size_t>>;

  bool MapMinorRows(const Column& primaryValues, RowMap& rows);
  bool MapMajorRow(const Column& primaryValues, RowMap& rows);
  // The row of `key`, or the row appended for it; the sweep column gains the entry.
  size_t FindOrAppendRow(const postp::ValueKey& key, const Column* source, size_t sourceRow, const Value* value);
  int FindRow(const postp::ValueKey& key) const;
  // The keys of every row, those of rows added since the last lookup made now: a file's rows
  // are read in bulk and few caches are searched.
  const postp::ValueKeyIndex& RowKeys() const;
  void PadQuantities();
  // Copies the mapped rows of `source` into `target`, made or remade with the source's kind.
  void AssignRows(std::unique_ptr<Column>& target, const Column& source, const RowMap& rows,
                  std::vector<char>* pushed) const;
  std::unique_ptr<Column> MakeColumn(const Column& like) const;
  std::unique_ptr<Column> CopyColumn(const Column& source) const;
  bool HasAnyRow() const;
  bool QuantityHasValueFor(const QuantityData& q, const postp::ValueKey& key) const;

  const Variable* m_sweepVariable;  // not owned; null: rows keyed by the primary's values
  IManagedFileService* m_service;   // not owned; may be null
  Kind m_kind;
  std::unique_ptr<Column> m_sweepColumn;
  mutable postp::ValueKeyIndex m_rowKeys;  // keys of the sweep column's first rows, see RowKeys
  std::map<long, QuantityData> m_quantities;
  AString m_tag;
};
