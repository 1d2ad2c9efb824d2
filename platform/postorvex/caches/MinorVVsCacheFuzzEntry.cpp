#include "postorvex/caches/MinorVVsCacheFuzzEntry.h"

#include <memory>
#include <string>

#include "orvex/core/Assert.h"
#include "orvex/io/BlockFile.h"
#include "orvex/values/Variable.h"
#include "orvex/values/VariableNameSpace.h"
#include "postorvex/caches/MinorVVsCache.h"

namespace postp {

int FuzzMinorVVsCache(const uint8_t* data, size_t size) {
  Variable length(L"L", Units::kMm);
  Variable width(L"W", Units::kMm);
  Variable mode(L"Mode", Units::kNoUnit, val::kTextParam);
  VariableNameSpace names(1, 1, 0);
  names.AddVariable(&length);
  names.AddVariable(&width);
  names.AddVariable(&mode);

  MinorVVsCache cache(nullptr);
  if (!cache.ReadFromBytes(reinterpret_cast<const char*>(data), size)) return 0;
  // The binary form must read back and write the same bytes again, and its block the same text.
  std::string written;
  cache.WriteToBytes(written);
  MinorVVsCache again(nullptr);
  AString error;
  const bool readBack = again.ReadFromBytes(written.data(), written.size(), &error);
  ORVEX_ASSERT(readBack);
  std::string rewritten;
  again.WriteToBytes(rewritten);
  ORVEX_ASSERT(written == rewritten);
  io::CBlock first, second;
  cache.WriteToBlock(first);
  again.WriteToBlock(second);
  const bool same = io::BlockToText(first) == io::BlockToText(second);
  ORVEX_ASSERT(same);
  return 1;
}

}  // namespace postp
