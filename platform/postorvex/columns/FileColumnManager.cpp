#include "postorvex/columns/FileColumnManager.h"

#include <algorithm>
#include <string>
#include <unordered_map>

#include "orvex/core/Assert.h"
#include "orvex/core/TestHooks.h"
#include "postorvex/columns/Column.h"
#include "postorvex/columns/ColumnImpl.h"

namespace {

struct LoadState {
  std::unordered_map<const Column*, uint64_t> alive;  // file-managed columns and their serials
  uint64_t nextSerial = 1;
  size_t loads = 0;
  size_t unloads = 0;
  size_t unloadedReads = 0;
  std::vector<const FileColumnManager::LoadAndOptionallyUnloadCtxt*> open;  // innermost last
};

LoadState& State() {
  static LoadState s;
  return s;
}

bool IsAlive(const Column* column, uint64_t serial) {
  auto it = State().alive.find(column);
  return it != State().alive.end() && it->second == serial;
}

void ResetCounters() {
  LoadState& s = State();
  s.loads = s.unloads = s.unloadedReads = 0;
  s.open.clear();
}

std::string ContextsLeftOpen() {
  const size_t open = State().open.size();
  if (open == 0) return std::string();
  State().open.clear();
  return std::to_string(open) + " FileColumnManager::LoadAndOptionallyUnloadCtxt still open";
}

const bool s_registered = orvex::test::RegisterGlobalState({"file column loads", &ResetCounters, &ContextsLeftOpen});

}  // namespace

namespace postorvex {
namespace columns {

uint64_t RegisterFileColumn(const Column* column) {
  const uint64_t serial = State().nextSerial++;
  State().alive[column] = serial;
  return serial;
}

void UnregisterFileColumn(const Column* column, uint64_t serial) {
  auto it = State().alive.find(column);
  if (it != State().alive.end() && it->second == serial) State().alive.erase(it);
}

void CountLoad() { ++State().loads; }
void CountUnload() { ++State().unloads; }
void CountUnloadedRead() { ++State().unloadedReads; }

}  // namespace columns
}  // namespace postorvex

FileColumnManager::LoadAndOptionallyUnloadCtxt::LoadAndOptionallyUnloadCtxt(const Column* column,
                                                                             IProgressMonitor* monitor)
    : m_monitor(monitor) {
  Open();
  LoadIfNeeded(column);
}

FileColumnManager::LoadAndOptionallyUnloadCtxt::LoadAndOptionallyUnloadCtxt(const std::set<Column*>& columns,
                                                                             IProgressMonitor* monitor)
    : m_monitor(monitor) {
  Open();
  for (const Column* c : columns) LoadIfNeeded(c);
}

FileColumnManager::LoadAndOptionallyUnloadCtxt::~LoadAndOptionallyUnloadCtxt() {
  for (const Loaded& l : m_loaded) {
    if (!IsAlive(l.column, l.serial)) continue;
    // Someone unloaded it inside this context: what it found cannot be restored by it.
    ORVEX_ASSERT(l.column->IsLoaded());
    l.column->Unload();
  }
  ORVEX_ASSERT(IsInnermost());
  auto& open = State().open;
  auto it = std::find(open.begin(), open.end(), this);
  if (it != open.end()) open.erase(it);
}

void FileColumnManager::LoadAndOptionallyUnloadCtxt::Open() {
  (void)m_monitor;
  State().open.push_back(this);
}

bool FileColumnManager::LoadAndOptionallyUnloadCtxt::IsInnermost() const {
  return !State().open.empty() && State().open.back() == this;
}

void FileColumnManager::LoadAndOptionallyUnloadCtxt::LoadIfNeeded(const Column* column) {
  if (!column || !column->IsFileManaged() || column->IsLoaded()) return;
  column->Load();
  m_loaded.push_back({column, column->m_serial});
}

size_t FileColumnManager::GetLoadCount() { return State().loads; }
size_t FileColumnManager::GetUnloadCount() { return State().unloads; }
size_t FileColumnManager::GetUnloadedReadCount() { return State().unloadedReads; }
size_t FileColumnManager::GetOpenContextCount() { return State().open.size(); }
size_t FileColumnManager::GetFileColumnCount() { return State().alive.size(); }
