#include "postorvex/variation/VariableValuesDefParams.h"

#include <algorithm>

#include "orvex/core/Assert.h"
#include "orvex/values/IVariableNameSpaceSetupper.h"
#include "orvex/values/Variable.h"
#include "orvex/values/VariableNameSpace.h"
#include "orvex/values/VariableValues.h"

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

bool NeedsQuotes(const AString& text) {
  if (text.empty()) return false;
  if (IsBlank(text.front()) || IsBlank(text.back())) return true;
  return text.find_first_of(L",=\"") != AString::npos;
}

AString Quoted(const AString& text) {
  AString out(1, L'"');
  for (wchar_t c : text) {
    if (c == L'"' || c == L'\\') out += L'\\';
    out += c;
  }
  out += L'"';
  return out;
}

// Reads the pairs of a key; false for any malformed part.
class KeyReader {
public:
  explicit KeyReader(const AString& key) : m_key(key) {}

  bool Read(std::vector<std::pair<AString, AString>>& pairs) {
    SkipBlanks();
    if (AtEnd()) return false;
    while (true) {
      AString name, text;
      if (!ReadName(name) || !ReadText(text)) return false;
      pairs.emplace_back(name.Trimmed(), text);
      SkipBlanks();
      if (AtEnd()) return true;
      if (m_key[m_pos] != L',') return false;
      ++m_pos;
    }
  }

private:
  bool AtEnd() const { return m_pos >= m_key.size(); }
  void SkipBlanks() {
    while (!AtEnd() && IsBlank(m_key[m_pos])) ++m_pos;
  }

  bool ReadName(AString& name) {
    size_t eq = m_key.find(L'=', m_pos);
    if (eq == AString::npos) return false;
    name = AString(m_key.substr(m_pos, eq - m_pos));
    if (name.Trimmed().empty() || name.find_first_of(L",\"") != AString::npos) return false;
    m_pos = eq + 1;
    return true;
  }

  bool ReadText(AString& text) {
    SkipBlanks();
    if (!AtEnd() && m_key[m_pos] == L'"') return ReadQuoted(text);
    size_t end = m_key.find_first_of(L",=\"", m_pos);
    if (end == AString::npos) end = m_key.size();
    if (end < m_key.size() && m_key[end] != L',') return false;
    text = AString(m_key.substr(m_pos, end - m_pos)).Trimmed();
    m_pos = end;
    return !text.empty();
  }

  bool ReadQuoted(AString& text) {
    for (++m_pos; !AtEnd(); ++m_pos) {
      wchar_t c = m_key[m_pos];
      if (c == L'"') {
        ++m_pos;
        return true;
      }
      if (c == L'\\') {
        if (++m_pos >= m_key.size()) return false;
        c = m_key[m_pos];
      }
      text += c;
    }
    return false;
  }

  const AString& m_key;
  size_t m_pos = 0;
};

}  // namespace

std::vector<VariableValuesDefParams::Entry>::iterator VariableValuesDefParams::Find(const AString& name) {
  return std::find_if(m_entries.begin(), m_entries.end(),
                      [&name](const Entry& e) { return e.first.CompareNoCase(name) == 0; });
}

std::vector<VariableValuesDefParams::Entry>::const_iterator VariableValuesDefParams::Find(const AString& name) const {
  return std::find_if(m_entries.begin(), m_entries.end(),
                      [&name](const Entry& e) { return e.first.CompareNoCase(name) == 0; });
}

void VariableValuesDefParams::AddVariableValue(const Variable* variable, const Value& value) {
  ORVEX_ASSERT(variable);
  if (variable) AddVariableValue(variable->GetName(), value);
}

void VariableValuesDefParams::AddVariableValue(const AString& name, const Value& value) {
  auto it = Find(name);
  if (it != m_entries.end()) {
    it->second = value;
    return;
  }
  m_entries.emplace_back(name, value);
}

bool VariableValuesDefParams::RemoveVariableValue(const AString& name) {
  auto it = Find(name);
  if (it == m_entries.end()) return false;
  m_entries.erase(it);
  return true;
}

bool VariableValuesDefParams::DoesVariableExist(const AString& name) const { return Find(name) != m_entries.end(); }

const Value* VariableValuesDefParams::GetVariableValue(const AString& name) const {
  auto it = Find(name);
  return it == m_entries.end() ? nullptr : &it->second;
}

void VariableValuesDefParams::GetVariableNames(std::vector<AString>& out) const {
  for (const Entry& e : m_entries) out.push_back(e.first);
}

AString VariableValuesDefParams::GetVariationKey() const {
  AString key;
  for (const Entry& e : m_entries) {
    if (!key.empty()) key += ACHAR(", ");
    AString text = e.second.GetValueText();
    key += e.first + L"=" + (NeedsQuotes(text) ? Quoted(text) : text);
  }
  return key;
}

unsigned VariableValuesDefParams::AssignVariationKey(const AString& key) {
  std::vector<std::pair<AString, AString>> pairs;
  if (!KeyReader(key).Read(pairs)) return 0;
  VariableValuesDefParams read;
  for (const auto& p : pairs) {
    Value v(Units::kNoUnit);
    v.SetValueText(p.second, Units::kNoUnit);  // a name that does not resolve here still keeps its text
    read.AddVariableValue(p.first, v);
  }
  m_entries = std::move(read.m_entries);
  return static_cast<unsigned>(m_entries.size());
}

bool VariableValuesDefParams::ConvertToVariableValues(VariableValues& out, IVariableNameSpaceSetupper* setupper) const {
  VariableNameSpace space(1, 1, 0);
  if (setupper) setupper->Setup(space);
  bool all = true;
  for (const Entry& e : m_entries) {
    Variable* variable = space.ResolveVariable(e.first);
    Value value(variable ? variable->GetUnits() : Units::kNoUnit);
    if (!variable || !value.SetValueText(e.second.GetValueText(), variable->GetUnits())) {
      all = false;
      continue;
    }
    out.SetVariableValue(variable, value);
  }
  return all;
}

void VariableValuesDefParams::ConvertToVariableValuesDefParams(const std::vector<VariableValues>& in,
                                                               std::vector<VariableValuesDefParams>& out) {
  for (const VariableValues& vv : in) {
    VariableValuesDefParams params;
    for (const auto& entry : vv.GetVariableValueMap()) params.AddVariableValue(entry.first, entry.second);
    out.push_back(std::move(params));
  }
}

bool VariableValuesDefParams::operator==(const VariableValuesDefParams& other) const {
  if (m_entries.size() != other.m_entries.size()) return false;
  for (size_t i = 0; i < m_entries.size(); ++i) {
    const Entry& a = m_entries[i];
    const Entry& b = other.m_entries[i];
    if (a.first.CompareNoCase(b.first) != 0 || a.second.GetUnits() != b.second.GetUnits() ||
        a.second.GetValueText() != b.second.GetValueText())
      return false;
  }
  return true;
}
