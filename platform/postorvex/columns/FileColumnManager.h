// Keeps file-managed columns loaded while they are used, and counts loads, unloads and reads of
// unloaded columns.
#pragma once

#include <cstddef>
#include <cstdint>
#include <set>
#include <vector>

#include "orvex/core/OrvexApi.h"

class Column;
class IProgressMonitor;

class POSTORVEX_API FileColumnManager {
public:
  // Loads each file-managed column that is not loaded and unloads exactly those at its end, so
  // nested contexts leave every column as they found it. Null and in-memory columns are
  // ignored, and so is a column deleted while the context is open.
  class POSTORVEX_API LoadAndOptionallyUnloadCtxt {
  public:
    explicit LoadAndOptionallyUnloadCtxt(const Column* column, IProgressMonitor* monitor = nullptr);
    LoadAndOptionallyUnloadCtxt(const std::set<Column*>& columns, IProgressMonitor* monitor);
    ~LoadAndOptionallyUnloadCtxt();
    LoadAndOptionallyUnloadCtxt(const LoadAndOptionallyUnloadCtxt&) = delete;
    LoadAndOptionallyUnloadCtxt& operator=(const LoadAndOptionallyUnloadCtxt&) = delete;

  private:
    struct Loaded {
      const Column* column;
      uint64_t serial;  // tells a deleted column from a new one at the same address
    };
    void Open();
    void LoadIfNeeded(const Column* column);
    // Contexts end in the reverse order of their start.
    bool IsInnermost() const;

    std::vector<Loaded> m_loaded;  // the columns this context loaded
    IProgressMonitor* m_monitor;   // not owned; loading is instant here, so never called
  };

  // Counters since the last test reset.
  static size_t GetLoadCount();
  static size_t GetUnloadCount();
  static size_t GetUnloadedReadCount();
  static size_t GetOpenContextCount();
  // File-managed columns now alive.
  static size_t GetFileColumnCount();
};
