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

  io::CBlock block;
  if (!io::BlockFromText(AString::FromUtf8(std::string(reinterpret_cast<const char*>(data), size)), block)) return 0;
  MinorVVsCache cache(nullptr);
  if (!cache.ReadFromBlock(block)) return 0;
  io::CBlock written;
  cache.WriteToBlock(written);
  MinorVVsCache again(nullptr);
  AString error;
  const bool readBack = again.ReadFromBlock(written, &error);
  ORVEX_ASSERT(readBack);
  io::CBlock rewritten;
  again.WriteToBlock(rewritten);
  const bool same = io::BlockToText(written) == io::BlockToText(rewritten);
  ORVEX_ASSERT(same);
  return 1;
}

}  // namespace postp
