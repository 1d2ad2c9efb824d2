#include "reports/ExtTraceInfoReadMemo.h"

#include <charconv>

namespace rep {

namespace {

// One decimal number and nothing else: no name that a solution could resolve its own way.
bool IsPlainNumber(const AString& text) {
  char narrow[64];
  if (text.empty() || text.size() >= sizeof narrow) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    const wchar_t c = text[i];
    const bool numeric = (c >= L'0' && c <= L'9') || c == L'.' || c == L'-' || c == L'+' || c == L'e' || c == L'E';
    if (!numeric) return false;
    narrow[i] = char(c);
  }
  const char* const end = narrow + text.size();
  double number = 0;
  const std::from_chars_result r = std::from_chars(narrow, end, number);
  return r.ec == std::errc() && r.ptr == end;
}

bool IsPlainNumberValue(const Value& v) {
  return v.IsParsedFromText() && v.IsValidText() && IsPlainNumber(v.GetValueText());
}

// Everything a value holds, its root by identity: what an assignment from the other would leave.
bool IsSameValue(const Value& a, const Value& b) {
  return a.GetValueBase() == b.GetValueBase() && a.GetParameterType() == b.GetParameterType() &&
         a.GetGivenUnits() == b.GetGivenUnits() && a.IsParsedFromText() == b.IsParsedFromText() &&
         a.IsValidText() == b.IsValidText() && a.GetValueText() == b.GetValueText();
}

}  // namespace

ExtTraceInfoReadMemo::ExtTraceInfoReadMemo() = default;

ExtTraceInfoReadMemo::~ExtTraceInfoReadMemo() = default;

io::ReadError ExtTraceInfoReadMemo::Read(const io::CBlock& block, ExtTraceInfo& info) {
  if (Find(block)) {
    --m_sharesLeft;
    if (!HoldsCopyOfKept(info)) info = m_info;
    block.ResetFound(true);
    return io::kNoError;
  }
  const io::ReadError result = info.Read(block);
  const bool reusable = result == io::kNoError && CanReuse(block, info);
  block.ResetFound(true);  // as the read left it: the lookups above moved it
  if (!reusable) return result;
  m_block = block;
  m_info = info;
  m_sharesLeft = kMaxShares;
  return result;
}

const ExtTraceInfo* ExtTraceInfoReadMemo::Find(const io::CBlock& block) const {
  return m_sharesLeft > 0 && block == m_block ? &m_info : nullptr;
}

bool ExtTraceInfoReadMemo::HoldsCopyOfKept(const ExtTraceInfo& info) const {
  return info.GetYAxis() == m_info.GetYAxis() && IsSameValue(info.GetOffsetTime(), m_info.GetOffsetTime()) &&
         IsSameValue(info.GetSweepValue(), m_info.GetSweepValue());
}

bool ExtTraceInfoReadMemo::CanReuse(const io::CBlock& block, const ExtTraceInfo& read) {
  static const AString kNumberKeys[] = {L"YAxis", L"OffsetTimeUnits", L"SweepValueUnits"};
  static const AString kTextKeys[] = {L"OffsetTime", L"SweepValue"};
  for (const AString& key : kNumberKeys)
    if (!block.FindNamedValue(key)) return false;
  // Equal blocks must mean equal texts: a number standing for a text would compare 0 and -0 alike.
  for (const AString& key : kTextKeys) {
    const io::CBlock_named_value* nv = block.FindNamedValue(key);
    if (!nv || nv->GetValue().GetKind() != io::CBlock_value::kString) return false;
  }
  return IsPlainNumberValue(read.GetOffsetTime()) && IsPlainNumberValue(read.GetSweepValue());
}

}  // namespace rep
