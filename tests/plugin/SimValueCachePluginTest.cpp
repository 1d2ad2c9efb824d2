// The solution-value cache as the host gets it from the loaded plug-in: made by the factory,
// filled through its data face, written to files and read back by another cache.
#include <dlfcn.h>

#include <cstdlib>
#include <cstring>
#include <memory>

#include "Gravik/IReportManagerFactory.h"
#include "Gravik/ISimValueCache.h"
#include "RepTest.h"
#include "orvex/io/Block.h"
#include "orvex/values/VariableValuesContext.h"
#include "postorvex/caches/MinorSweepCache.h"
#include "postorvex/columns/DoubleColumn.h"
#include "postorvex/quantities/SimValueParams.h"
#include "postorvex/solution/DesignSolutionDefinition.h"
#include "refhost/ReferenceDesktop.h"
#include "refhost/ReferenceSolutionManager.h"

namespace {

using EntryPoint = rep::IReportManagerFactory* (*)();

class CachePluginTest : public ::testing::Test {
protected:
  void SetUp() override {
    const char* path = std::getenv("REP_PLUGIN");
    ASSERT_NE(nullptr, path);
    m_handle = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(nullptr, m_handle) << dlerror();
  }
  void TearDown() override {
    if (m_handle) dlclose(m_handle);
  }
  rep::IReportManagerFactory& Factory() {
    return *reinterpret_cast<EntryPoint>(dlsym(m_handle, "OrvDllGetFactoryInterface"))();
  }

  void* m_handle = nullptr;
  refhost::ReferenceDesktop m_desktop;
  refhost::ReferenceDesktop::Installed m_installed{m_desktop};
};

}  // namespace

TEST_F(CachePluginTest, TheFactorysCacheKeepsPushedValuesAcrossItsFiles) {
  refhost::ReferenceSolutionManager solutions;
  solutions.UseTempDirFileService();
  refhost::ReferenceSolution& solution = solutions.AddSolution(10, L"Run");
  Variable* length = solution.AddVariable(L"L", Value(1.0, 142), true);
  Variable* freq = solution.AddVariable(L"F", Value(1.0, 113), false);
  solution.AddQuantity(L"Gain", ValueState(1, 15, 1));
  const DesignSolutionDefinition dsd(100, 10, ReportTypeSolutionDefinition(1));

  std::unique_ptr<ISimValueCache> cache(Factory().CreateSimValueCache(&solutions));
  ASSERT_NE(nullptr, cache);
  ASSERT_NE(nullptr, cache->GetISimValueDataCacheForEdit());
  SimValueParams params;
  const long gain = cache->GetISimValueInfoCacheForEdit()->GetSimValueID(params, L"Gain", dsd, 1);
  ASSERT_NE(-1, gain);

  VariableValues major;
  major.SetVariableValue(length, Value(2.0, 142));
  VariableValuesContext current(major);
  DoubleColumn primary(113), values;
  primary.AppendValues({1, 2, 3});
  values.AppendValues({0.1, 1.0 / 3.0, -0.0});
  ASSERT_NE(nullptr, cache->GetISimValueDataCacheForEdit()->UpdateCacheForMinorSweepAtCurrVarVal(
                         freq, false, {length}, {}, dsd, 1, primary, {gain}, {&values}, L"push"));
  io::CBlock project;
  ASSERT_TRUE(cache->WriteCacheFiles(project));

  std::unique_ptr<ISimValueCache> fresh(Factory().CreateSimValueCache(&solutions));
  EXPECT_EQ(0, fresh->ReadCacheFiles(project));
  const MinorSweepCache* read =
      fresh->GetISimValueDataCacheForEdit()->GetMinorSweepCacheAtCurrVarVals(freq, {length}, dsd, 1);
  ASSERT_NE(nullptr, read);
  const auto* column = dynamic_cast<const DoubleColumn*>(read->GetQuantityColumn(gain));
  ASSERT_NE(nullptr, column);
  ASSERT_EQ(3u, column->GetValues().size());
  EXPECT_EQ(0, std::memcmp(values.GetValues().data(), column->GetValues().data(), 3 * sizeof(double)));
}
