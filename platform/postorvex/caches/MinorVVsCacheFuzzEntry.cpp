#include "postorvex/caches/MinorVVsCacheFuzzEntry.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "orvex/core/Assert.h"
#include "orvex/io/BlockFile.h"
#include "orvex/values/Variable.h"
#include "orvex/values/VariableNameSpace.h"
#include "postorvex/caches/MinorSweepCache.h"
#include "postorvex/caches/MinorVVsCache.h"
#include "postorvex/columns/Column.h"
#include "postorvex/columns/ColumnValueBits.h"
#include "postorvex/connectivity/ConnectedVVObject.h"

namespace postp {

namespace {

// The sweep variables of the cache's connectivities, named in its block as the file names them.
std::vector<const Variable*> SweepVariables(const io::CBlock& written) {
  std::vector<const Variable*> sweeps;
  for (size_t i = 0; i < written.GetNumItems(); ++i) {
    const io::CBlock* sweep = written.GetBlock(i);
    const io::CBlock_named_value* named = sweep ? sweep->FindNamedValue(L"SweepVariable") : nullptr;
    AString name;
    if (!named || !named->GetValue().Query(name)) continue;
    const VariableNameSpace* space = VariableNameSpace::GetCurrent();
    const Variable* v = name.empty() ? nullptr : space ? space->ResolveVariable(name) : nullptr;
    sweeps.push_back(v || name.empty() ? v : Variable::FindIntrinsic(name));
  }
  return sweeps;
}

void AppendColumn(std::string& out, const char* what, const Column* column) {
  out += std::string(" ") + what + " " + (column ? postorvex::ColumnValueBits(*column) : std::string("none")) + "\n";
}

// Every sweep cache of the cache, point by point: its kind, tag and rows, the sweep column, and
// per quantity its values, interpolation orders and pushed rows, the columns by their values' bits.
std::string CacheValues(const MinorVVsCache& cache, const std::vector<const Variable*>& sweeps) {
  std::string out;
  for (const Variable* sweep : sweeps) {
    const ConnectedVVObject* tree = cache.GetConnectivityForSweepVar(sweep);
    out += "sweep " + (sweep ? sweep->GetName().ToUtf8() : std::string()) + (tree ? "\n" : " none\n");
    if (!tree) continue;
    for (const CompositeVVObject* point : tree->GetPoints()) {
      const auto* minor = dynamic_cast<const MinorSweepCache*>(tree->GetDataForCompVVObject(point));
      if (!minor) continue;
      out += "point kind " + std::to_string(minor->GetKind()) + " tag " + minor->GetTag().ToUtf8() + " rows " +
             std::to_string(minor->GetRowCount()) + "\n";
      AppendColumn(out, "sweep", minor->GetSweepColumn());
      std::vector<long> ids;
      minor->GetQuantityIDs(ids);
      for (long id : ids) {
        out += " quantity " + std::to_string(id) + " pushed";
        for (size_t row = 0; row < minor->GetRowCount(); ++row) out += minor->WasPushedAt(id, row) ? " 1" : " 0";
        out += "\n";
        AppendColumn(out, "values", minor->GetQuantityColumn(id));
        AppendColumn(out, "interpolation", minor->GetQuantityInterpOrderColumn(id));
      }
    }
  }
  return out;
}

}  // namespace

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
  // The file holds the very values that were written: a value the writer alters once would
  // otherwise be written alike by both writes above.
  const std::vector<const Variable*> sweeps = SweepVariables(first);
  const std::string values = CacheValues(cache, sweeps);
  const std::string valuesBack = CacheValues(again, sweeps);
  ORVEX_ASSERT(values==valuesBack);
  if (values != valuesBack) std::fprintf(stderr, "written:\n%s\nread back:\n%s\n", values.c_str(), valuesBack.c_str());
  return 1;
}

}  // namespace postp
