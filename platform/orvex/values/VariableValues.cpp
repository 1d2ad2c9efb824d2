#include "orvex/values/VariableValues.h"

#include <cmath>

#include "orvex/core/Assert.h"
#include "orvex/values/NumberText.h"
#include "orvex/values/Variable.h"
#include "orvex/values/VariableNameSpace.h"
#include "orvex/values/VariableValuesContext.h"

namespace {

int Sign(int c) { return (c > 0) - (c < 0); }

// NaN first, NaN equal to NaN.
int CompareNumbers(double a, double b) {
  const bool an = std::isnan(a);
  const bool bn = std::isnan(b);
  if (an || bn) return an == bn ? 0 : (an ? -1 : 1);
  return a < b ? -1 : (a > b ? 1 : 0);
}

bool IsTextType(val::ParameterType t) { return t == val::kTextParam || t == val::kStringParam; }

int CompareValues(const Value& a, const Value& b) {
  if (IsTextType(a.GetParameterType()) || IsTextType(b.GetParameterType()))
    return Sign(a.GetValueText().Compare(b.GetValueText()));
  const AComplex<double> x = a.GetSIComplexValue();
  const AComplex<double> y = b.GetSIComplexValue();
  if (int c = CompareNumbers(x.real(), y.real())) return c;
  return CompareNumbers(x.imag(), y.imag());
}

bool NeedsQuotes(const AString& t) {
  if (t.empty()) return false;
  if (t.find_first_of(L",=\"") != AString::npos) return true;
  return std::iswspace(t.front()) || std::iswspace(t.back());
}

AString Quoted(const AString& t) {
  AString out = L"\"";
  for (wchar_t c : t) {
    if (c == L'"' || c == L'\\') out.push_back(L'\\');
    out.push_back(c);
  }
  out.push_back(L'"');
  return out;
}

AString ValueKeyText(const Value& v, const char* format, bool withUnits, bool formatNumbers) {
  const val::ParameterType t = v.GetParameterType();
  if (IsTextType(t) || (v.IsParsedFromText() && !formatNumbers)) return v.GetValueText();
  const char* f = format ? format : "%.17g";
  if (t == val::kComplexParam || t == val::kComplexMatrixParam) return val::FormatComplex(v.GetComplexValue(), f);
  AString text = val::FormatDouble(v.GetValue(), f);
  if (withUnits && v.GetUnits() != Units::kNoUnit) text += Units::GetUnitName(v.GetUnits());
  return text;
}

// One "Name=text" pair of a key; false when the key is malformed.
bool ReadPair(const AString& key, size_t& pos, AString& name, AString& text) {
  size_t eq = key.find(L'=', pos);
  if (eq == AString::npos) return false;
  name = AString(key.substr(pos, eq - pos)).Trimmed();
  size_t p = eq + 1;
  while (p < key.size() && key[p] == L' ') ++p;
  text.clear();
  if (p < key.size() && key[p] == L'"') {
    for (++p;; ++p) {
      if (p >= key.size()) return false;
      wchar_t c = key[p];
      if (c == L'"') break;
      if (c == L'\\' && p + 1 < key.size()) c = key[++p];
      text.push_back(c);
    }
    ++p;
    while (p < key.size() && key[p] == L' ') ++p;
    if (p < key.size() && key[p] != L',') return false;
  } else {
    size_t comma = key.find(L',', p);
    size_t end = comma == AString::npos ? key.size() : comma;
    text = AString(key.substr(p, end - p)).Trimmed();
    p = end;
  }
  pos = p < key.size() ? p + 1 : p;
  return !name.empty();
}

}  // namespace

bool VariableLess::operator()(const Variable* a, const Variable* b) const {
  return VariableValues::CompareVariables(a, b) < 0;
}

int VariableValues::CompareVariables(const Variable* a, const Variable* b) {
  if (a == b) return 0;
  if (!a || !b) return a ? 1 : -1;
  if (int c = a->GetName().CompareNoCase(b->GetName())) return c;
  if (int c = a->GetName().Compare(b->GetName())) return c;
  return a->GetSerial() < b->GetSerial() ? -1 : (a->GetSerial() > b->GetSerial() ? 1 : 0);
}

void VariableValues::SetVariableValue(const Variable* v, const Value& value) {
  auto it = m_values.find(v);
  if (it != m_values.end())
    it->second = value;
  else
    m_values.emplace(v, value);
}

bool VariableValues::RemoveVariableValue(const Variable* v) { return m_values.erase(v) != 0; }

bool VariableValues::RemoveVariableValue(const AString& name) {
  for (auto it = m_values.begin(); it != m_values.end(); ++it) {
    if (it->first->GetName().CompareNoCase(name) == 0) {
      m_values.erase(it);
      return true;
    }
  }
  return false;
}

bool VariableValues::DoesVariableExist(const AString& name) const {
  for (const auto& kv : m_values)
    if (kv.first->GetName().CompareNoCase(name) == 0) return true;
  return false;
}

const Value* VariableValues::GetVariableValue(const Variable* v) const {
  auto it = m_values.find(v);
  return it == m_values.end() ? nullptr : &it->second;
}

bool VariableValues::GetVariableValue(const AString& name, Value& out) const {
  for (const auto& kv : m_values) {
    if (kv.first->GetName().CompareNoCase(name) == 0) {
      out = kv.second;
      return true;
    }
  }
  return false;
}

void VariableValues::CopyVarValuesFrom(const std::vector<Variable*>& vars) {
  for (const Variable* v : vars) {
    Value current;
    if (v && v->GetCurrentValue(current)) SetVariableValue(v, current);
  }
}

void VariableValues::Merge(const VariableValues& other, bool otherWins) {
  for (const auto& kv : other.m_values)
    if (otherWins || !HasVariable(kv.first)) SetVariableValue(kv.first, kv.second);
}

int VariableValues::Compare(const VariableValues& a, const VariableValues& b) {
  auto i = a.m_values.begin();
  auto j = b.m_values.begin();
  for (; i != a.m_values.end() && j != b.m_values.end(); ++i, ++j)
    if (int c = CompareVariables(i->first, j->first)) return c;
  if (a.m_values.size() != b.m_values.size()) return a.m_values.size() < b.m_values.size() ? -1 : 1;
  for (i = a.m_values.begin(), j = b.m_values.begin(); i != a.m_values.end(); ++i, ++j)
    if (int c = CompareValues(i->second, j->second)) return c;
  return 0;
}

AString VariableValues::GetVariationKey(bool withUnits, const NameMap* names, const UnitMap* units) const {
  return GetVariationKey(nullptr, withUnits, names, units, false);
}

AString VariableValues::GetVariationKey(const char* numberFormat, bool withUnits, const NameMap* names,
                                        const UnitMap* units, bool formatNumbers) const {
  ORVEX_ASSERT(!names&&!units);
  AString key;
  for (const auto& kv : m_values) {
    if (!key.empty()) key += L", ";
    AString text = ValueKeyText(kv.second, numberFormat, withUnits, formatNumbers);
    key += kv.first->GetName() + L"=" + (NeedsQuotes(text) ? Quoted(text) : text);
  }
  return key;
}

int VariableValues::ResolveVariationKey(VariableValues& out, const AString& key, const VariableNameSpace* ns, bool) {
  out.clear();
  int count = 0;
  size_t pos = 0;
  while (pos < key.size()) {
    while (pos < key.size() && std::iswspace(key[pos])) ++pos;
    if (pos >= key.size()) break;
    AString name, text;
    if (!ReadPair(key, pos, name, text)) {
      out.clear();
      return 0;
    }
    Variable* v = ns ? ns->ResolveVariable(name) : nullptr;
    if (!v) v = Variable::FindIntrinsic(name);
    Value value(v ? v->GetUnits() : Units::kNoUnit);
    const bool ok = v && (IsTextType(v->GetParameterType()) ? value.SetStringValueText(text)
                                                             : value.SetValueText(text, v->GetUnits()));
    if (!ok) {
      out.clear();
      return 0;
    }
    out.SetVariableValue(v, value);
    ++count;
  }
  return count;
}

VariableValuesContext::VariableValuesContext(const VariableValues& values) {
  for (const auto& kv : values.GetVariableValueMap())
    if (kv.first) m_pushed.emplace_back(kv.first, kv.first->PushCurrentValue(kv.second));
}

VariableValuesContext::~VariableValuesContext() {
  for (auto it = m_pushed.rbegin(); it != m_pushed.rend(); ++it) it->first->PopCurrentValue(it->second);
}

VariableValueContext::VariableValueContext(const Variable* variable, const Value& value) : m_variable(variable) {
  ORVEX_ASSERT(variable);
  if (m_variable) m_token = m_variable->PushCurrentValue(value);
}

VariableValueContext::VariableValueContext(const Variable* variable, const IVariableValueSource* source)
    : m_variable(variable) {
  ORVEX_ASSERT(variable);
  if (m_variable) m_token = m_variable->PushCurrentSource(source);
}

VariableValueContext::~VariableValueContext() {
  if (m_variable) m_variable->PopCurrentValue(m_token);
}
