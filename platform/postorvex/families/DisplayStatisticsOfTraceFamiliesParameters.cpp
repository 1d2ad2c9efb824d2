#include "postorvex/families/DisplayStatisticsOfTraceFamiliesParameters.h"

#include "orvex/io/Block.h"
#include "orvex/values/Function.h"
#include "postorvex/families/TraceFamiliesDisplayParametersVisitor.h"

namespace {

const wchar_t* const kStatFunctionsKey = ACHAR("StatFunctions");

}  // namespace

DisplayStatisticsOfTraceFamiliesParameters::DisplayStatisticsOfTraceFamiliesParameters()
    : m_functionNames{ACHAR("mean"), ACHAR("min"), ACHAR("max")} {}

io::ReadError DisplayStatisticsOfTraceFamiliesParameters::DoDataExchange(io::CBlock& block, bool read) {
  if (!read) {
    io::CBlock_func names(kStatFunctionsKey);
    for (const AString& n : m_functionNames) names << n;
    block << names;
    return io::kNoError;
  }
  const io::CBlock_func* names = block.FindFunc(kStatFunctionsKey);
  if (!names) return 2;
  std::vector<AString> names_read;
  names_read.reserve(names->GetNumArgs());
  for (size_t i = 0; i < names->GetNumArgs(); ++i) {
    AString name;
    if (!names->QueryArg(i, name)) return 1;
    names_read.push_back(name);
  }
  m_functionNames = std::move(names_read);
  return io::kNoError;
}

TraceFamiliesDisplayParameters* DisplayStatisticsOfTraceFamiliesParameters::CloneDisplayParams() const {
  return new DisplayStatisticsOfTraceFamiliesParameters(*this);
}

bool DisplayStatisticsOfTraceFamiliesParameters::AcceptDisplayParametersVisitor(
    TraceFamiliesDisplayParametersVisitor& visitor) const {
  return visitor.Visit(*this);
}

std::vector<const Function*> DisplayStatisticsOfTraceFamiliesParameters::FindFunctions(val::ParameterType type) const {
  std::vector<const Function*> found;
  for (const AString& name : m_functionNames) {
    const Function* f = Function::Find(name);
    if (f && f->IsRanged() && f->ReducesDimension() && f->AcceptsArgumentType(type)) found.push_back(f);
  }
  return found;
}

unsigned DisplayStatisticsOfTraceFamiliesParameters::GetStatFunctionsToDisplay(std::list<const Function*>& out,
                                                                              val::ParameterType type) const {
  std::vector<const Function*> found = FindFunctions(type);
  out.insert(out.end(), found.begin(), found.end());
  return static_cast<unsigned>(found.size());
}

void DisplayStatisticsOfTraceFamiliesParameters::GetStatFunctionNamesToDisplay(std::vector<AString>& out) const {
  for (const Function* f : FindFunctions(val::kDoubleDatasetParam)) out.push_back(f->GetName());
}
