// The binary form of a minor-cache file. Every number little-endian:
//   "MVCB" | u32 format version (2) | u32 column count | u32 0 | u64 structure bytes
//   per column: i32 parameter type | i32 units | u64 rows | u64 payload bytes
//   structure: UTF-8 block text of the cache, each column block holding "Column" = its index
//   payloads, each padded to 8 bytes: the entries themselves for doubles, complex numbers,
//   integers, enumerations and characters; the values text for every other kind
//   u64 a | u64 b: running sums over the 8-byte words of everything before them
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "orvex/core/AString.h"
#include "orvex/core/OrvexApi.h"

class Column;
class IManagedFileService;
namespace io {
class CBlock;
}  // namespace io

namespace postp {

class POSTORVEX_API MinorCacheColumns {
public:
  MinorCacheColumns();
  ~MinorCacheColumns();
  MinorCacheColumns(const MinorCacheColumns&) = delete;
  MinorCacheColumns& operator=(const MinorCacheColumns&) = delete;

  // Whether the bytes start as a binary minor-cache file does.
  static bool IsBinary(const char* data, size_t size);

  // Writing: the column goes to the table, `block` refers to it.
  void Write(io::CBlock& block, const Column& column);
  // Holds a column written only for the file until the file is made.
  void Keep(std::unique_ptr<Column> column);
  // The whole file around the structure block.
  void Encode(const io::CBlock& structure, std::string& out) const;

  // Reading: checks every byte, then fills `structure` and this table, which refers into `data`
  // (kept alive by the caller while columns are made). False, with `error`, for a damaged file.
  bool Decode(const char* data, size_t size, io::CBlock& structure, AString& error);
  // A new column for the block's reference, file-managed when `service` is given; null, with
  // `error`, for a damaged reference.
  std::unique_ptr<Column> Read(const io::CBlock& block, IManagedFileService* service, AString& error) const;

private:
  struct Entry {
    int32_t type = 0;
    int32_t units = 0;
    uint64_t rows = 0;
    uint64_t bytes = 0;
    const char* payload = nullptr;  // reading only
    const Column* column = nullptr;  // writing only
  };
  std::vector<Entry> m_entries;
  std::vector<std::unique_ptr<Column>> m_kept;
};

}  // namespace postp
