#include "postorvex/columns/FileColumnManager.h"

#include <algorithm>
#include <string>
#include <vector>

#include "orvex/core/Assert.h"
#include "orvex/core/TestHooks.h"
#include "postorvex/columns/ColumnBase.h"
#include "postorvex/columns/ColumnImpl.h"

using namespace postorvex::columns;

namespace {

// Contexts now open, innermost last.
std::vector<const FileColumnManager::LoadAndOptionallyUnloadCtxt*>& OpenContexts() {
  static std::vector<const FileColumnManager::LoadAndOptionallyUnloadCtxt*> open;
  return open;
}

void ForgetOpenContexts() { OpenContexts().clear(); }

std::string ContextsLeftOpen() {
  const size_t open = OpenContexts().size();
  if (open == 0) return std::string();
  OpenContexts().clear();
  return std::to_string(open) + " FileColumnManager::LoadAndOptionallyUnloadCtxt still open";
}

const bool s_registered = orvex::test::RegisterGlobalState({"file column loads", &ForgetOpenContexts, &ContextsLeftOpen});

}  // namespace

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
    if (!IsFileColumnAlive(l.column, l.serial)) continue;
    // Someone unloaded it inside this context: what it found cannot be restored by it.
    ORVEX_ASSERT(l.column->IsLoaded());
    l.column->Unload();
  }
  ORVEX_ASSERT(IsInnermost());
  auto& open = OpenContexts();
  auto it = std::find(open.begin(), open.end(), this);
  if (it != open.end()) open.erase(it);
}

void FileColumnManager::LoadAndOptionallyUnloadCtxt::Open() {
  (void)m_monitor;
  OpenContexts().push_back(this);
}

bool FileColumnManager::LoadAndOptionallyUnloadCtxt::IsInnermost() const {
  return !OpenContexts().empty() && OpenContexts().back() == this;
}

void FileColumnManager::LoadAndOptionallyUnloadCtxt::LoadIfNeeded(const Column* column) {
  if (!column || !column->IsFileManaged() || column->IsLoaded()) return;
  column->Load();
  m_loaded.push_back({column, column->m_serial});
}

size_t FileColumnManager::GetLoadCount() { return LoadCount(); }
size_t FileColumnManager::GetUnloadCount() { return UnloadCount(); }
size_t FileColumnManager::GetUnloadedReadCount() { return UnloadedReadCount(); }
size_t FileColumnManager::GetOpenContextCount() { return OpenContexts().size(); }
size_t FileColumnManager::GetFileColumnCount() { return FileColumnCount(); }
