#include "postorvex/caches/MinorVVsCache.h"

#include <algorithm>
#include <cstdio>
#include <set>

#include "orvex/core/Assert.h"
#include "orvex/core/IManagedFileService.h"
#include "orvex/core/TestHooks.h"
#include "orvex/io/BlockFile.h"
#include "orvex/io/LongFileName.h"
#include "orvex/io/SavedFile.h"
#include "orvex/io/TokenStream.h"
#include "orvex/values/Value.h"
#include "orvex/values/Variable.h"
#include "orvex/values/VariableNameSpace.h"
#include "orvex/values/VariableValues.h"
#include "orvex/values/VariableValuesContext.h"
#include "postorvex/caches/MinorCacheBinary.h"
#include "postorvex/caches/MinorSweepCache.h"
#include "postorvex/caches/MinorSweepCacheFactory.h"
#include "postorvex/connectivity/CompositeVVObject.h"
#include "postorvex/connectivity/ConnectedVVObject.h"

namespace {

size_t s_invalidations = 0;
size_t s_instances = 0;

void ResetInvalidations() { s_invalidations = 0; }

const bool s_registered = orvex::test::RegisterGlobalState({"minor caches", &ResetInvalidations, nullptr});

const wchar_t kDirectory[] = L"svcache";
const wchar_t kPrefix[] = L"MVC";
const wchar_t kTopBlock[] = L"MinorVVsCache";
const wchar_t kFormatKey[] = L"FormatVersion";
const int kFormatVersion = 1;
const wchar_t kSweepBlock[] = L"SweepConnectivity";
const wchar_t kSweepVariableKey[] = L"SweepVariable";
const wchar_t kVariablesVec[] = L"Variables";
const wchar_t kPointBlock[] = L"Point";
const wchar_t kVariationKey[] = L"Variation";
const wchar_t kSweepCacheBlock[] = L"SweepCache";

// A name of the file: resolved in the current name spaces, then among the intrinsic variables.
Variable* ResolveName(const AString& name) {
  const VariableNameSpace* ns = VariableNameSpace::GetCurrent();
  Variable* v = ns ? ns->ResolveVariable(name) : nullptr;
  return v ? v : Variable::FindIntrinsic(name);
}

bool ReadText(const io::CBlock& block, const wchar_t* key, AString& out) {
  const io::CBlock_named_value* nv = block.FindNamedValue(key);
  return nv && nv->GetValue().Query(out);
}

// The sweep caches and connectivities read so far; they become the cache's only on success.
struct ReadState {
  std::vector<std::pair<const Variable*, std::unique_ptr<ConnectedVVObject>>> sweeps;
  std::vector<std::unique_ptr<MinorSweepCache>> caches;
};

// The point's variation names exactly the tree's variables, each with a value that no other
// variable changes.
bool ReadVariation(const io::CBlock& point, const ConnectedVVObject& tree, VariableValues& variation,
                   AString& error) {
  AString key;
  if (!ReadText(point, kVariationKey, key)) {
    error = L"\"Variation\" missing or not a text";
    return false;
  }
  const int pairs = VariableValues::ResolveVariationKey(variation, key, VariableNameSpace::GetCurrent(), false);
  const std::vector<Variable*>& levels = tree.GetVariables();
  bool ok = static_cast<size_t>(pairs) == levels.size() && variation.size() == levels.size();
  for (const Variable* v : levels) ok = ok && variation.HasVariable(v);
  for (const auto& entry : variation.GetVariableValueMap()) ok = ok && entry.second.IsConstant();
  if (!ok) error = L"\"Variation\" " + key + L" does not give a value to each variable of the connectivity";
  return ok;
}

bool ReadPoint(const io::CBlock& point, const Variable* sweepVariable, ConnectedVVObject& tree,
               IManagedFileService* service, ReadState& state, AString& error,
               const postp::MinorCacheColumns* columns) {
  VariableValues variation;
  if (!ReadVariation(point, tree, variation, error)) return false;
  const io::CBlock* block = point.FindBlock(kSweepCacheBlock);
  if (!block) {
    error = L"\"SweepCache\" missing";
    return false;
  }
  AString name;
  const bool named = ReadText(*block, kSweepVariableKey, name);
  if (!named || (name.empty() ? nullptr : ResolveName(name)) != sweepVariable) {
    error = L"SweepCache: \"SweepVariable\" differs from the connectivity's";
    return false;
  }
  std::unique_ptr<MinorSweepCache> cache = MinorSweepCacheFactory::ReadFromBlock(*block, sweepVariable, service, error, columns);
  if (!cache) return false;
  VariableValuesContext current(variation);
  if (tree.GetLeafDataAtCurrVarVals()) {
    error = L"two points at " + variation.GetVariationKey(true);
    return false;
  }
  tree.AddPointAtCurrVarVals(cache.get(), false);
  state.caches.push_back(std::move(cache));
  return true;
}

bool ReadSweep(const io::CBlock& sweep, IManagedFileService* service, ReadState& state, AString& error,
               const postp::MinorCacheColumns* columns) {
  AString name;
  if (!ReadText(sweep, kSweepVariableKey, name)) {
    error = L"\"SweepVariable\" missing or not a text";
    return false;
  }
  const Variable* sweepVariable = name.empty() ? nullptr : ResolveName(name);
  if (!name.empty() && !sweepVariable) {
    error = L"unknown variable \"" + name + L"\"";
    return false;
  }
  for (const auto& entry : state.sweeps) {
    if (entry.first != sweepVariable) continue;
    error = L"two connectivities for \"" + name + L"\"";
    return false;
  }
  const io::CBlock_vec* names = sweep.FindVec(kVariablesVec);
  if (!names) {
    error = L"\"Variables\" missing";
    return false;
  }
  std::vector<Variable*> levels;
  for (size_t i = 0; i < names->GetCount(); ++i) {
    AString level;
    Variable* v = names->GetItem(i).Query(level) ? ResolveName(level) : nullptr;
    if (!v || std::find(levels.begin(), levels.end(), v) != levels.end()) {
      error = L"\"Variables\": item " + AString::Format(L"%d", i + 1) + L" is not a variable of its own";
      return false;
    }
    levels.push_back(v);
  }
  std::unique_ptr<ConnectedVVObject> tree(ConnectedVVObject::CreateConnectedVVObject(levels));
  size_t points = 0;
  for (size_t i = 0; i < sweep.GetNumItems(); ++i) {
    const io::CBlock* point = sweep.GetBlock(i);
    if (!point || point->GetName() != kPointBlock) continue;
    ++points;
    if (ReadPoint(*point, sweepVariable, *tree, service, state, error, columns)) continue;
    error = AString::Format(L"Point %d: ", points) + error;
    return false;
  }
  state.sweeps.emplace_back(sweepVariable, std::move(tree));
  return true;
}

}  // namespace

MinorVVsCache::MinorVVsCache(IManagedFileService* service) : m_service(service) {
  (void)s_registered;
  ++s_instances;
}

MinorVVsCache::~MinorVVsCache() {
  Clear();
  --s_instances;
}

size_t MinorVVsCache::GetInvalidateCount() { return s_invalidations; }

size_t MinorVVsCache::GetInstanceCount() { return s_instances; }

void MinorVVsCache::DeleteSweepCaches(const ConnectedVVObject& connectivity) {
  std::list<VVLeafData*> caches;
  connectivity.GetAllData(caches);
  for (VVLeafData* cache : caches) delete cache;
}

void MinorVVsCache::Clear() {
  for (SweepEntry& entry : m_sweeps) DeleteSweepCaches(*entry.connectivity);
  m_sweeps.clear();
}

ConnectedVVObject* MinorVVsCache::GetConnectivityForSweepVar(const Variable* sweepVariable) const {
  for (const SweepEntry& entry : m_sweeps)
    if (entry.sweepVariable == sweepVariable) return entry.connectivity.get();
  return nullptr;
}

void MinorVVsCache::AddConnectivityForSweepVar(const Variable* sweepVariable, ConnectedVVObject* connectivity) {
  for (SweepEntry& entry : m_sweeps) {
    if (entry.sweepVariable != sweepVariable) continue;
    if (entry.connectivity.get() == connectivity) return;
    DeleteSweepCaches(*entry.connectivity);
    entry.connectivity.reset(connectivity);
    return;
  }
  m_sweeps.push_back({sweepVariable, std::unique_ptr<ConnectedVVObject>(connectivity)});
}

void MinorVVsCache::GetQuantityIDs(std::list<long>& out) const {
  std::set<long> ids;
  std::vector<long> some;
  for (const SweepEntry& entry : m_sweeps) {
    std::list<VVLeafData*> caches;
    entry.connectivity->GetAllData(caches);
    for (VVLeafData* data : caches) {
      const auto* cache = dynamic_cast<const MinorSweepCache*>(data);
      if (!cache) continue;
      some.clear();
      cache->GetQuantityIDs(some);
      ids.insert(some.begin(), some.end());
    }
  }
  out.insert(out.end(), ids.begin(), ids.end());
}

void MinorVVsCache::InvalidateQuantityData(long id) {
  for (const SweepEntry& entry : m_sweeps) {
    std::list<VVLeafData*> caches;
    entry.connectivity->GetAllData(caches);
    for (VVLeafData* data : caches)
      if (auto* cache = dynamic_cast<MinorSweepCache*>(data)) cache->InvalidateQuantityData(id);
  }
}

void MinorVVsCache::Invalidate() {
  ++s_invalidations;
  Clear();
  DeleteFile();
}

void MinorVVsCache::DeleteFile() {
  if (m_file.empty() || !m_service) return;
  LongFileName path;
  m_service->GetFullPath(path, kDirectory, m_file);
  std::remove(path.ToNarrow().c_str());
  m_file.clear();
}

void MinorVVsCache::WriteToBlock(io::CBlock& block, postp::MinorCacheColumns* columns) const {
  block.SetName(kTopBlock);
  block << io::CBlock_named_value(kFormatKey, io::CBlock_value(kFormatVersion));
  for (const SweepEntry& entry : m_sweeps) {
    io::CBlock sweep(kSweepBlock);
    sweep << io::CBlock_named_value(kSweepVariableKey,
                                    io::CBlock_value(entry.sweepVariable ? entry.sweepVariable->GetName() : AString()));
    io::CBlock_vec names(kVariablesVec);
    for (const Variable* v : entry.connectivity->GetVariables()) names << v->GetName();
    sweep << std::move(names);
    for (const CompositeVVObject* point : entry.connectivity->GetPoints()) {
      const auto* cache = dynamic_cast<const MinorSweepCache*>(entry.connectivity->GetDataForCompVVObject(point));
      if (!cache) continue;
      io::CBlock pointBlock(kPointBlock);
      pointBlock << io::CBlock_named_value(kVariationKey, io::CBlock_value(point->GetVariableValues().GetVariationKey(true)));
      io::CBlock cacheBlock(kSweepCacheBlock);
      cache->WriteToBlock(cacheBlock, columns);
      pointBlock << std::move(cacheBlock);
      sweep << std::move(pointBlock);
    }
    block << std::move(sweep);
  }
}

bool MinorVVsCache::ReadFromBlock(const io::CBlock& block, AString* error,
                                  const postp::MinorCacheColumns* columns) {
  AString why;
  int format = 0;
  const io::CBlock_named_value* formatValue = block.FindNamedValue(kFormatKey);
  if (block.GetName() != kTopBlock) {
    why = L"not a \"MinorVVsCache\" block";
  } else if (!formatValue || !formatValue->GetValue().Query(format) || format != kFormatVersion) {
    why = L"\"FormatVersion\" missing or not 1";
  }
  ReadState state;
  size_t sweeps = 0;
  for (size_t i = 0; why.empty() && i < block.GetNumItems(); ++i) {
    const io::CBlock* sweep = block.GetBlock(i);
    if (!sweep || sweep->GetName() != kSweepBlock) continue;
    ++sweeps;
    if (!ReadSweep(*sweep, m_service, state, why, columns)) why = AString::Format(L"SweepConnectivity %d: ", sweeps) + why;
  }
  if (!why.empty()) {
    if (error) *error = io::EscapeControlChars(why);
    return false;
  }
  Clear();
  for (auto& sweep : state.sweeps) m_sweeps.push_back({sweep.first, std::move(sweep.second)});
  for (auto& cache : state.caches) cache.release();  // now data of the connectivities
  return true;
}

void MinorVVsCache::WriteToBytes(std::string& out) const {
  postp::MinorCacheColumns columns;
  io::CBlock block;
  WriteToBlock(block, &columns);
  columns.Encode(block, out);
}

bool MinorVVsCache::ReadFromBytes(const char* data, size_t size, AString* error) {
  io::CBlock block;
  AString why;
  if (!postp::MinorCacheColumns::IsBinary(data, size)) {
    if (!io::BlockFromText(AString::FromUtf8(std::string(data, size)), block, &why)) {
      if (error) *error = why.empty() ? AString(L"not a minor-cache file") : why;
      return false;
    }
    return ReadFromBlock(block, error);
  }
  postp::MinorCacheColumns columns;
  if (!columns.Decode(data, size, block, why)) {
    if (error) *error = io::EscapeControlChars(why);
    return false;
  }
  return ReadFromBlock(block, error, &columns);
}

bool MinorVVsCache::Write() {
  if (!m_service) return false;
  if (m_file.empty() && !m_service->MakeUniqueFileName(m_file, kDirectory, kPrefix)) {
    m_file.clear();
    return false;
  }
  return WriteFile(false);
}

bool MinorVVsCache::WriteToFreshFile(const AString& name) {
  if (!m_service || name.empty()) return false;
  m_file = name;
  return WriteFile(true);
}

bool MinorVVsCache::WriteFile(bool fresh) {
  LongFileName path;
  m_service->GetFullPath(path, kDirectory, m_file);
  std::string bytes;
  WriteToBytes(bytes);
  // A cache can be made again and a damaged file is refused when read: not waited for on the
  // disk, which for a thousand minor files took many times the writing.
  io::SavedFile out(path.ToNarrow(), io::SavedFile::Flush::kLeftToTheSystem,
                    fresh ? io::SavedFile::Target::kFresh : io::SavedFile::Target::kReplaced);
  out.Write(bytes.data(), bytes.size());
  return out.Close();
}

bool MinorVVsCache::Read(AString* error) {
  if (m_file.empty() || !m_service) {
    if (error) *error = L"no cache file";
    return false;
  }
  LongFileName path;
  m_service->GetFullPath(path, kDirectory, m_file);
  // Unbuffered: the file comes in one read, straight into words, so that the columns' payloads
  // lie aligned.
  std::FILE* f = io::OpenToRead(path.ToNarrow());
  bool read = f && std::setvbuf(f, nullptr, _IONBF, 0) == 0 && std::fseek(f, 0, SEEK_END) == 0;
  const long size = read ? std::ftell(f) : -1;
  read = read && size >= 0 && std::fseek(f, 0, SEEK_SET) == 0;
  std::unique_ptr<uint64_t[]> bytes;
  if (read) {
    bytes.reset(new uint64_t[static_cast<size_t>(size) / 8 + 1]);
    read = std::fread(bytes.get(), 1, static_cast<size_t>(size), f) == static_cast<size_t>(size);
  }
  if (f) std::fclose(f);
  if (!read) {
    if (error) *error = AString(L"cannot read ") + path.GetPath();
    return false;
  }
  return ReadFromBytes(reinterpret_cast<const char*>(bytes.get()), static_cast<size_t>(size), error);
}
