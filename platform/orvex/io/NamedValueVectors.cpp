#include "orvex/io/NamedValueVectors.h"

namespace io {

namespace {

template <class T>
ReadError ExchangeVector(CBlock& block, bool read, const AString& key, std::vector<T>& values, TExcRq request) {
  if (!read) {
    CBlock_vec vec(key);
    vec.reserve(values.size());
    for (const T& v : values) vec << v;
    block << std::move(vec);
    return kNoError;
  }
  CBlockVecPtr vec(key);
  block >> vec;
  if (!block.Found()) {
    if (request == kThrowCode) throw ReadErrorException{kKeyMissing};
    return kKeyMissing;
  }
  values.clear();
  values.reserve(vec->GetCount());
  ReadError result = kNoError;
  for (size_t i = 0; i < vec->GetCount(); ++i) {
    T v{};
    if (vec->GetItem(i).Query(v))
      values.push_back(v);
    else
      result = kConversionFailed;
  }
  return result;
}

}  // namespace

ReadError DoDataExchange(CBlock& block, bool read, const AString& key, std::vector<unsigned int>& values,
                         TExcRq request) {
  return ExchangeVector(block, read, key, values, request);
}

ReadError DoDataExchange(CBlock& block, bool read, const AString& key, std::vector<AString>& values,
                         TExcRq request) {
  return ExchangeVector(block, read, key, values, request);
}

}  // namespace io
