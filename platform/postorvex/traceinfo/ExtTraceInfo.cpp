#include "postorvex/traceinfo/ExtTraceInfo.h"

#include "orvex/core/Assert.h"
#include "orvex/io/Block.h"

namespace {

bool SameValue(const Value& a, const Value& b) {
  return a.GetUnits() == b.GetUnits() && a.GetValueText() == b.GetValueText();
}

void WriteValue(io::CBlock& block, const wchar_t* textKey, const wchar_t* unitsKey, const Value& v) {
  block << io::CBlock_named_value(textKey, io::CBlock_value(v.GetValueText()));
  block << io::CBlock_named_value(unitsKey, io::CBlock_value(static_cast<int>(v.GetUnits())));
}

// 0 when the item is missing or read; 1 when it is there and cannot be read.
template <class T>
io::ReadError QueryKey(const io::CBlock& block, const wchar_t* key, T& out, bool& found) {
  io::CBlock_named_value nv(key, io::CBlock_value(T()));
  block >> nv;
  found = block.Found();
  if (!found) return io::kNoError;
  return nv.GetValue().Query(out) ? io::kNoError : 1;
}

io::ReadError ReadValue(const io::CBlock& block, const wchar_t* textKey, const wchar_t* unitsKey, Value& v) {
  AString text = v.GetValueText();
  int units = v.GetUnits();
  bool haveText = false, haveUnits = false;
  io::ReadError result = QueryKey(block, textKey, text, haveText);
  if (result != io::kNoError) return result;
  result = QueryKey(block, unitsKey, units, haveUnits);
  if (result != io::kNoError) return result;
  if (!haveText && !haveUnits) return io::kNoError;
  // A unit that no table knows does not convert: the value would fail wherever it is used.
  if (!Units::GetUnitDef(units)) return 1;
  Value read(units);
  if (!read.SetValueText(text, units)) return 1;
  v = read;
  return io::kNoError;
}

}  // namespace

ExtTraceInfo::ExtTraceInfo()
    : m_sweepValue(0.0, Units::kNoUnit), m_yAxis(rep::kNoYAxis), m_offsetTime(0.0, Units::kNoUnit) {}

ExtTraceInfo::~ExtTraceInfo() = default;

bool ExtTraceInfo::operator==(const ExtTraceInfo& other) const {
  return m_yAxis == other.m_yAxis && SameValue(m_offsetTime, other.m_offsetTime) &&
         SameValue(m_sweepValue, other.m_sweepValue);
}

MUndoableObject* ExtTraceInfo::Clone() const { return new ExtTraceInfo(*this); }

void ExtTraceInfo::Assign(const MUndoableObject& from) {
  const auto* info = dynamic_cast<const ExtTraceInfo*>(&from);
  ORVEX_ASSERT(info);
  if (info && info != this) *this = *info;
}

io::ReadError ExtTraceInfo::Write(io::CBlock& block) const {
  block << io::CBlock_named_value(ACHAR("YAxis"), io::CBlock_value(m_yAxis));
  WriteValue(block, ACHAR("OffsetTime"), ACHAR("OffsetTimeUnits"), m_offsetTime);
  WriteValue(block, ACHAR("SweepValue"), ACHAR("SweepValueUnits"), m_sweepValue);
  return io::kNoError;
}

io::ReadError ExtTraceInfo::Read(const io::CBlock& block) {
  io::ReadError result = io::kNoError;
  auto note = [&result](io::ReadError e) {
    if (result == io::kNoError) result = e;
  };
  int axis = m_yAxis;
  bool found = false;
  io::ReadError axisResult = QueryKey(block, ACHAR("YAxis"), axis, found);
  if (axisResult == io::kNoError && (axis < rep::kNoYAxis || axis > rep::kYAxis2)) axisResult = 1;
  if (axisResult == io::kNoError) m_yAxis = axis;
  note(axisResult);
  note(ReadValue(block, ACHAR("OffsetTime"), ACHAR("OffsetTimeUnits"), m_offsetTime));
  note(ReadValue(block, ACHAR("SweepValue"), ACHAR("SweepValueUnits"), m_sweepValue));
  block.ResetFound(true);
  return result;
}
