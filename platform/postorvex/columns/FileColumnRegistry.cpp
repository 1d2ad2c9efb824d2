// The load registry: file-managed columns known by serial, and the load, unload and unloaded-read
// counters. The columns and FileColumnManager both use it; it uses neither.
#include <cstddef>
#include <cstdint>
#include <unordered_map>

#include "orvex/core/TestHooks.h"
#include "postorvex/columns/ColumnImpl.h"

namespace {

struct Registry {
  std::unordered_map<const Column*, uint64_t> alive;  // file-managed columns and their serials
  uint64_t nextSerial = 1;
  size_t loads = 0;
  size_t unloads = 0;
  size_t unloadedReads = 0;
};

Registry& State() {
  static Registry s;
  return s;
}

void ResetCounters() {
  Registry& s = State();
  s.loads = s.unloads = s.unloadedReads = 0;
}

const bool s_registered = orvex::test::RegisterGlobalState({"file column counters", &ResetCounters, nullptr});

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

bool IsFileColumnAlive(const Column* column, uint64_t serial) {
  auto it = State().alive.find(column);
  return it != State().alive.end() && it->second == serial;
}

void CountLoad() { ++State().loads; }
void CountUnload() { ++State().unloads; }
void CountUnloadedRead() { ++State().unloadedReads; }

size_t LoadCount() { return State().loads; }
size_t UnloadCount() { return State().unloads; }
size_t UnloadedReadCount() { return State().unloadedReads; }
size_t FileColumnCount() { return State().alive.size(); }

}  // namespace columns
}  // namespace postorvex
