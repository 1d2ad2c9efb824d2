#include "postorvex/caches/MinorCacheBinary.h"

#include <cstring>
#include <type_traits>

#include "orvex/io/Block.h"
#include "orvex/io/BlockFile.h"
#include "postorvex/columns/Column.h"

namespace postp {

namespace {

const char kMagic[4] = {'M', 'V', 'C', 'B'};
const uint32_t kVersion = 2;
const size_t kHeaderBytes = 24;
const size_t kEntryBytes = 24;
const size_t kChecksumBytes = 16;
const wchar_t kColumnKey[] = L"Column";
const wchar_t kEnumNameKey[] = L"EnumName";

bool HostIsLittleEndian() {
  const uint16_t one = 1;
  unsigned char first = 0;
  std::memcpy(&first, &one, 1);
  return first == 1;
}

// Copies n elements of `width` bytes, swapping each on a big-endian host.
void CopyLittleEndian(void* to, const void* from, size_t n, size_t width) {
  std::memcpy(to, from, n * width);
  if (width == 1 || HostIsLittleEndian()) return;
  auto* bytes = static_cast<unsigned char*>(to);
  for (size_t i = 0; i < n; ++i)
    for (size_t j = 0; j < width / 2; ++j) std::swap(bytes[i * width + j], bytes[i * width + width - 1 - j]);
}

template <class T>
void Put(std::string& out, T value) {
  char bytes[sizeof(T)];
  CopyLittleEndian(bytes, &value, 1, sizeof(T));
  out.append(bytes, sizeof(T));
}

template <class T>
T Get(const char* at) {
  T value;
  CopyLittleEndian(&value, at, 1, sizeof(T));
  return value;
}

// Two running sums over little-endian 8-byte words (the tail zero-padded): any one changed
// byte changes the first.
void Checksum(const char* data, size_t size, uint64_t& a, uint64_t& b) {
  a = 0;
  b = 0;
  size_t i = 0;
  if (HostIsLittleEndian()) {
    for (; i + 8 <= size; i += 8) {
      uint64_t word;
      std::memcpy(&word, data + i, 8);
      a += word;
      b += a;
    }
  }
  for (; i + 8 <= size; i += 8) {
    a += Get<uint64_t>(data + i);
    b += a;
  }
  if (i < size) {
    char tail[8] = {};
    std::memcpy(tail, data + i, size - i);
    a += Get<uint64_t>(tail);
    b += a;
  }
}

// The raw entries of a number kind: their address, count and width; false for other kinds.
struct Raw {
  void* data = nullptr;
  size_t width = 0;
};

template <class C>
bool RawOf(C* column, Raw& raw, size_t resize, const char* from) {
  if (!column) return false;
  auto& values = column->GetValues();
  using T = typename std::remove_reference_t<decltype(values)>::value_type;
  if (resize != SIZE_MAX && from && HostIsLittleEndian() && reinterpret_cast<uintptr_t>(from) % alignof(T) == 0) {
    // In bulk, without first clearing what the file then fills.
    const T* first = reinterpret_cast<const T*>(from);
    values.assign(first, first + resize);
  } else if (resize != SIZE_MAX) {
    values.resize(resize);
    if (from) CopyLittleEndian(values.data(), from, resize, sizeof(T));
  }
  raw.data = values.data();
  raw.width = sizeof(values[0]);
  return true;
}

// `resize` SIZE_MAX leaves the entries as they are; otherwise they become `resize` entries read
// from `from`.
bool RawEntries(Column& column, Raw& raw, size_t resize = SIZE_MAX, const char* from = nullptr) {
  return RawOf(column.GetDoubleColumn(), raw, resize, from) || RawOf(column.GetComplexColumn(), raw, resize, from) ||
         RawOf(column.GetIntColumn(), raw, resize, from) || RawOf(column.GetEnumColumn(), raw, resize, from) ||
         RawOf(column.GetCharColumn(), raw, resize, from);
}

size_t Padded(uint64_t bytes) { return static_cast<size_t>((bytes + 7) & ~uint64_t(7)); }

}  // namespace

MinorCacheColumns::MinorCacheColumns() = default;

MinorCacheColumns::~MinorCacheColumns() = default;

void MinorCacheColumns::Keep(std::unique_ptr<Column> column) { m_kept.push_back(std::move(column)); }

bool MinorCacheColumns::IsBinary(const char* data, size_t size) {
  return size >= sizeof kMagic && std::memcmp(data, kMagic, sizeof kMagic) == 0;
}

void MinorCacheColumns::Write(io::CBlock& block, const Column& column) {
  block << io::CBlock_named_value(kColumnKey, io::CBlock_value(static_cast<long>(m_entries.size())));
  AString enumName;
  if (const EnumColumn* e = column.GetEnumColumn(); e && e->GetEnumName(enumName))
    block << io::CBlock_named_value(kEnumNameKey, io::CBlock_value(std::move(enumName)));
  Entry entry;
  entry.type = static_cast<int32_t>(column.GetParameterType());
  entry.units = static_cast<int32_t>(column.GetUnits());
  entry.rows = column.GetCount();
  entry.column = &column;
  m_entries.push_back(entry);
}

void MinorCacheColumns::Encode(const io::CBlock& structure, std::string& out) const {
  const std::string text = io::BlockToText(structure).ToUtf8();
  std::vector<std::string> texts(m_entries.size());
  std::vector<uint64_t> sizes(m_entries.size());
  size_t total = kHeaderBytes + kEntryBytes * m_entries.size() + Padded(text.size()) + kChecksumBytes;
  for (size_t i = 0; i < m_entries.size(); ++i) {
    Raw raw;
    if (RawEntries(const_cast<Column&>(*m_entries[i].column), raw)) {
      sizes[i] = m_entries[i].rows * raw.width;
    } else {
      texts[i] = m_entries[i].column->GetValuesText().ToUtf8();
      sizes[i] = texts[i].size();
    }
    total += Padded(sizes[i]);
  }
  out.clear();
  out.reserve(total);
  out.append(kMagic, sizeof kMagic);
  Put<uint32_t>(out, kVersion);
  Put<uint32_t>(out, static_cast<uint32_t>(m_entries.size()));
  Put<uint32_t>(out, 0);
  Put<uint64_t>(out, text.size());
  for (size_t i = 0; i < m_entries.size(); ++i) {
    Put<int32_t>(out, m_entries[i].type);
    Put<int32_t>(out, m_entries[i].units);
    Put<uint64_t>(out, m_entries[i].rows);
    Put<uint64_t>(out, sizes[i]);
  }
  const char zeros[8] = {};
  out.append(text);
  out.append(zeros, Padded(text.size()) - text.size());
  for (size_t i = 0; i < m_entries.size(); ++i) {
    Raw raw;
    if (!RawEntries(const_cast<Column&>(*m_entries[i].column), raw)) {
      out.append(texts[i]);
    } else if (HostIsLittleEndian()) {
      out.append(static_cast<const char*>(raw.data), static_cast<size_t>(sizes[i]));
    } else {
      const size_t at = out.size();
      out.resize(at + static_cast<size_t>(sizes[i]));
      CopyLittleEndian(&out[at], raw.data, m_entries[i].rows, raw.width);
    }
    out.append(zeros, Padded(sizes[i]) - sizes[i]);
  }
  uint64_t a = 0, b = 0;
  Checksum(out.data(), out.size(), a, b);
  Put<uint64_t>(out, a);
  Put<uint64_t>(out, b);
}

bool MinorCacheColumns::Decode(const char* data, size_t size, io::CBlock& structure, AString& error) {
  m_entries.clear();
  if (!IsBinary(data, size) || size < kHeaderBytes + kChecksumBytes) {
    error = L"not a binary minor-cache file";
    return false;
  }
  uint64_t a = 0, b = 0;
  Checksum(data, size - kChecksumBytes, a, b);
  if (a != Get<uint64_t>(data + size - kChecksumBytes) || b != Get<uint64_t>(data + size - 8)) {
    error = L"damaged file: the checksum differs";
    return false;
  }
  if (Get<uint32_t>(data + 4) != kVersion) {
    error = AString::Format(L"format version %d is not 2", static_cast<long>(Get<uint32_t>(data + 4)));
    return false;
  }
  const uint64_t count = Get<uint32_t>(data + 8);
  const uint64_t textBytes = Get<uint64_t>(data + 16);
  const size_t body = size - kChecksumBytes;
  if (count > (body - kHeaderBytes) / kEntryBytes || textBytes > body - kHeaderBytes - count * kEntryBytes) {
    error = L"damaged file: the counts exceed the file";
    return false;
  }
  size_t at = kHeaderBytes + static_cast<size_t>(count) * kEntryBytes;
  const std::string text(data + at, static_cast<size_t>(textBytes));
  at += Padded(textBytes);
  for (size_t i = 0; i < count; ++i) {
    const char* e = data + kHeaderBytes + i * kEntryBytes;
    Entry entry;
    entry.type = Get<int32_t>(e);
    entry.units = Get<int32_t>(e + 4);
    entry.rows = Get<uint64_t>(e + 8);
    entry.bytes = Get<uint64_t>(e + 16);
    if (at > body || entry.bytes > body - at || Padded(entry.bytes) > body - at) {
      error = AString::Format(L"damaged file: column %d exceeds the file", static_cast<long>(i));
      return false;
    }
    entry.payload = data + at;
    at += Padded(entry.bytes);
    m_entries.push_back(entry);
  }
  if (at != body) {
    error = L"damaged file: bytes after the last column";
    return false;
  }
  AString why;
  if (!io::BlockFromText(AString::FromUtf8(text), structure, &why)) {
    error = L"damaged structure: " + why;
    return false;
  }
  return true;
}

std::unique_ptr<Column> MinorCacheColumns::Read(const io::CBlock& block, IManagedFileService* service,
                                                AString& error) const {
  long index = -1;
  const io::CBlock_named_value* reference = block.FindNamedValue(kColumnKey);
  if (!reference || !reference->GetValue().Query(index) || index < 0 ||
      static_cast<size_t>(index) >= m_entries.size()) {
    error = L"\"Column\" missing or not a column of the file";
    return nullptr;
  }
  const Entry& entry = m_entries[static_cast<size_t>(index)];
  const auto type = static_cast<val::ParameterType>(entry.type);
  std::unique_ptr<Column> column(Column::CreateColumn2(type, entry.units, service, AString(), AString(), true, true));
  if (!column) {
    error = AString::Format(L"column %d: unknown type %d", index, static_cast<long>(entry.type));
    return nullptr;
  }
  Raw raw;
  if (RawEntries(*column, raw)) {
    if (entry.bytes % raw.width != 0 || entry.bytes / raw.width != entry.rows) {
      error = AString::Format(L"column %d: its size does not hold its rows", index);
      return nullptr;
    }
    RawEntries(*column, raw, static_cast<size_t>(entry.rows), entry.payload);
  } else {
    if (entry.rows > entry.bytes + 1) {
      error = AString::Format(L"column %d: its size does not hold its rows", index);
      return nullptr;
    }
    AString why;
    std::unique_ptr<Column> read(Column::CreateFromValuesText(
        type, entry.units, static_cast<size_t>(entry.rows),
        AString::FromUtf8(std::string(entry.payload, static_cast<size_t>(entry.bytes))), why));
    if (!read) {
      error = AString::Format(L"column %d: ", index) + why;
      return nullptr;
    }
    std::vector<unsigned> all(read->GetCount());
    for (size_t i = 0; i < all.size(); ++i) all[i] = static_cast<unsigned>(i);
    if (!column->AppendValuesAt(*read, all)) column = std::move(read);
  }
  AString enumName;
  if (const io::CBlock_named_value* name = block.FindNamedValue(kEnumNameKey)) {
    EnumColumn* e = column->GetEnumColumn();
    if (!e || !name->GetValue().Query(enumName)) {
      error = AString::Format(L"column %d: \"EnumName\" is not the text of an enumeration column", index);
      return nullptr;
    }
    e->InitializeEnumName(enumName);
  }
  return column;
}

}  // namespace postp
