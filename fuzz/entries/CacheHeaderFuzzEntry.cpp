#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "CacheHeaderFuzzEntry.h"
#include "ConcreteTraceDataFuzzEntry.h"
#include "Gravik/ISimValueCache.h"
#include "reports/ReportManagerFactory.h"
#include "orvex/core/Assert.h"
#include "orvex/io/Block.h"
#include "orvex/io/LongFileName.h"
#include "orvex/io/NamedValue.h"
#include "orvex/io/StreamioBlockObject.h"
#include "orvex/values/Value.h"
#include "refhost/ReferenceDesktop.h"
#include "refhost/ReferenceSolutionManager.h"

namespace repfuzz {

namespace {

const wchar_t kCacheDirectory[] = L"svcache";

bool WriteFile(refhost::TempDirManagedFileService& files, const wchar_t* prefix, const std::string& bytes,
               AString& name) {
  if (!files.MakeUniqueFileName(name, kCacheDirectory, prefix)) return false;
  LongFileName path;
  files.GetFullPath(path, kCacheDirectory, name);
  std::FILE* f = std::fopen(path.ToNarrow().c_str(), "wb");
  if (!f) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && written;
}

std::string ReadFile(refhost::TempDirManagedFileService& files, const AString& name) {
  LongFileName path;
  files.GetFullPath(path, kCacheDirectory, name);
  std::string bytes;
  if (std::FILE* f = std::fopen(path.ToNarrow().c_str(), "rb")) {
    char buf[4096];
    for (size_t got; (got = std::fread(buf, 1, sizeof buf, f)) > 0;) bytes.append(buf, got);
    std::fclose(f);
  }
  return bytes;
}

// What the cache readers raise by design on a damaged header or minor cache file.
const std::vector<rep::NamedAssert> kDamagedCacheAsserts = {
    {"SimValueInfoServer", "0"},
};

// Writes the cache into a project block and answers the text of the header file it names, without
// the names of the minor files: each save gives them new ones.
std::string WrittenHeader(ISimValueCache& cache, refhost::TempDirManagedFileService& files, io::CBlock& project) {
  cache.WriteCacheFiles(project);
  AString header;
  io::DoDataExchange(project, true, L"CacheHeaderFile", header);
  std::string text = header.empty() ? std::string() : ReadFile(files, header);
  const std::string key = "MinorCacheFile = \"";
  for (size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + key.size()))
    text.erase(at + key.size(), text.find('"', at + key.size()) - (at + key.size()));
  return text;
}

}  // namespace

int FuzzCacheHeader(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const size_t nul = bytes.find('\0');

  refhost::ReferenceDesktop desktop;
  refhost::ReferenceDesktop::Installed installed(desktop);
  // The solution of the demo: a length swept as major variable over a frequency sweep.
  refhost::ReferenceSolutionManager solutions;
  refhost::ReferenceSolution& solution = solutions.AddSolution(10, L"Setup1 : Sweep");
  solutions.SetDesignOfInstance(1, 100);
  solution.AddVariable(L"L", Value(1.0, 142), true);
  solution.AddVariable(L"F", Value(1.0, 113), false);
  solution.AddQuantity(L"Gain", ValueState(1, 12, 1, 200));
  refhost::TempDirManagedFileService& files = solutions.UseTempDirFileService();

  AString header, minor;
  if (!WriteFile(files, L"HDR", bytes.substr(0, nul), header)) return 0;
  if (nul != std::string::npos && !WriteFile(files, L"MVC", bytes.substr(nul + 1), minor)) return 0;

  rep::IReportManagerFactory& factory = rep::ReportManagerFactory::Instance();
  io::CBlock project(L"Project");
  project << io::NamedValue(L"CacheHeaderFile", header);
  std::unique_ptr<ISimValueCache> first(factory.CreateSimValueCache(&solutions));
  const size_t before = orvex::test::Asserts().Count();
  first->ReadCacheFiles(project);
  rep::ForgetNamedAsserts(before, kDamagedCacheAsserts);

  io::CBlock written(L"Project");
  const std::string second = WrittenHeader(*first, files, written);
  std::unique_ptr<ISimValueCache> fresh(factory.CreateSimValueCache(&solutions));
  fresh->ReadCacheFiles(written);
  io::CBlock rewritten(L"Project");
  const std::string third = WrittenHeader(*fresh, files, rewritten);
  ORVEX_ASSERT(second==third);
  // Read whole: a minor cache came through.
  return second.find("MinorCacheFile") != std::string::npos ? 1 : 0;
}

}  // namespace repfuzz
