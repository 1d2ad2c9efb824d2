#include "quantities/SimValueCacheSave.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "orvex/core/IManagedFileService.h"
#include "orvex/io/LongFileName.h"
#include "postorvex/caches/MinorVVsCache.h"

namespace rep {

namespace {

const wchar_t kCacheDirectory[] = L"svcache";
const wchar_t kSuffix[] = L".dat";
const wchar_t kMinorMark[] = L"-MVC";
const wchar_t kEarlierMinorPrefix[] = L"MVC";

bool EndsWith(const AString& s, const AString& end) {
  return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

// The header's name without its ".dat", then a mark no header name made by the file service has.
AString MinorPrefix(const AString& header) {
  const AString stem = EndsWith(header, kSuffix) ? AString(header.substr(0, header.size() - 4)) : header;
  return stem + kMinorMark;
}

// `prefix<N>.dat`, as the file service names files.
bool IsNumbered(const AString& name, const AString& prefix) {
  const size_t suffix = sizeof(kSuffix) / sizeof(kSuffix[0]) - 1;
  if (name.size() <= prefix.size() + suffix || name.compare(0, prefix.size(), prefix) != 0 || !EndsWith(name, kSuffix))
    return false;
  for (size_t i = prefix.size(); i < name.size() - suffix; ++i)
    if (name[i] < L'0' || name[i] > L'9') return false;
  return true;
}

}  // namespace

SimValueCacheSave::SimValueCacheSave(IManagedFileService& files, const AString& header,
                                     const LongFileName& headerPath, const std::set<AString>& onDisk)
    : m_files(files),
      m_header(header),
      m_lock(headerPath.GetDirectory().ToUtf8()),
      m_prefix(MinorPrefix(header)),
      m_onDisk(onDisk) {}

SimValueCacheSave::~SimValueCacheSave() {
  if (m_committed) return;
  for (auto& renamed : m_renamed) renamed.first->SetCacheFile(renamed.second);
  for (const AString& name : m_made) Remove(name);
}

bool SimValueCacheSave::IsOwnMinorFile(const AString& header, const AString& name) {
  return IsNumbered(name, MinorPrefix(header));
}

bool SimValueCacheSave::WriteMinor(MinorVVsCache& minor) {
  AString name;
  do {
    // A file that the header on disk names may have gone (removed by hand, or by an earlier
    // version when its cache was freed): its name is free again, but not for this save.
    if (!m_files.MakeUniqueFileName(name, kCacheDirectory, m_prefix)) return false;
    m_made.push_back(name);
  } while (m_onDisk.count(name));
  m_renamed.emplace_back(&minor, minor.GetCacheFile());
  // The name is this save's alone until the header names it: no file beside it is needed.
  return minor.WriteToFreshFile(name);
}

bool SimValueCacheSave::Commit(const NamesOnDisk& namesOnDisk) {
  m_committed = true;
  LongFileName header;
  m_files.GetFullPath(header, kCacheDirectory, m_header);
  // The files of another save under way are named by no header yet.
  if (!m_lock.Alone()) return false;
  // Another save may have put its header in place since this one did: its files stay.
  std::set<AString> named;
  if (!namesOnDisk(header, named)) return false;
  // A header read from disk may name any file: of those of another naming, only minor files as
  // earlier versions named them go.
  for (const AString& name : m_onDisk)
    if (!named.count(name) && IsNumbered(name, kEarlierMinorPrefix)) Remove(name);
  // Files of this cache's own naming: those of the saves before, names passed over and leftovers
  // of saves that a crash cut short.
  std::vector<AString> leftovers;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(header.GetDirectory().ToUtf8(), ec), end; !ec && it != end;
       it.increment(ec)) {
    const AString name = AString::FromUtf8(it->path().filename().string());
    std::error_code kind;
    if (IsOwnMinorFile(m_header, name) && !named.count(name) && it->is_regular_file(kind)) leftovers.push_back(name);
  }
  for (const AString& name : leftovers) Remove(name);
  return true;
}

void SimValueCacheSave::Remove(const AString& name) {
  LongFileName path;
  m_files.GetFullPath(path, kCacheDirectory, name);
  std::remove(path.ToNarrow().c_str());
}

}  // namespace rep
