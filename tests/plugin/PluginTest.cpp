// The engine as the host loads it: through dlopen and its one exported entry point.
#include <dlfcn.h>

#include <cstdlib>

#include "Gravik/IReportManager.h"
#include "Gravik/IReportManagerFactory.h"
#include "RepTest.h"
#include "refhost/ReferenceDesktop.h"
#include "refhost/ReferenceReportManagerOwner.h"
#include "refhost/ReferenceSolutionManager.h"

namespace {

using EntryPoint = rep::IReportManagerFactory* (*)();

class PluginTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    const char* path = std::getenv("REP_PLUGIN");
    ASSERT_NE(nullptr, path) << "REP_PLUGIN names the plug-in to load";
    s_handle = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(nullptr, s_handle) << dlerror();
  }
  static void TearDownTestSuite() {
    if (s_handle) dlclose(s_handle);
    s_handle = nullptr;
  }
  static EntryPoint Entry() {
    return reinterpret_cast<EntryPoint>(dlsym(s_handle, "OrvDllGetFactoryInterface"));
  }

  static void* s_handle;
  refhost::ReferenceDesktop m_desktop;
  refhost::ReferenceDesktop::Installed m_installed{m_desktop};
  refhost::ReferenceReportManagerOwner m_owner;
};

void* PluginTest::s_handle = nullptr;

TEST_F(PluginTest, OneFactoryForTheLibrary) {
  EntryPoint entry = Entry();
  ASSERT_NE(nullptr, entry);
  rep::IReportManagerFactory* factory = entry();
  ASSERT_NE(nullptr, factory);
  EXPECT_EQ(factory, entry());
  EXPECT_EQ(nullptr, factory->QueryInterface(typeid(rep::IReportManagerFactory)));
}

TEST_F(PluginTest, OnlyTheEntryPointIsExported) {
  // Engine classes stay inside the plug-in.
  EXPECT_EQ(nullptr, dlsym(s_handle, "_ZN3rep13ReportManager13GetNewUniqueIDEv"));
}

TEST_F(PluginTest, CreatesAManagerWhenTheDesktopSaysYes) {
  refhost::ReferenceSolutionManager solutions;
  solutions.SetDesignOfInstance(1, 7);
  m_owner.SetSolutionManager(&solutions);
  std::unique_ptr<rep::IReportManager> mgr = Entry()()->CreateReportManager(&m_owner);
  ASSERT_NE(nullptr, mgr);
  EXPECT_EQ(AString(L"Report"), mgr->GetUniqueReportName(L"Report"));
  std::vector<long> ids;
  mgr->GetReportIDs(ids);
  EXPECT_TRUE(ids.empty());
  EXPECT_NE(nullptr, mgr->GetReportDataManager());
}

TEST_F(PluginTest, RefusesWhenTheDesktopSaysNo) {
  m_desktop.SetSupportsNewReporter(false);
  rep::IReportManagerFactory* factory = Entry()();
  EXPECT_EQ(nullptr, factory->CreateReportManager(&m_owner));
  EXPECT_SOFT_ASSERT(
      "!\"Product does'nt support new reporter rewrite and plots, so should'nt try and get a ReportManager\"");
  EXPECT_EQ(nullptr, factory->CreateSimValueCache(nullptr));
  EXPECT_SOFT_ASSERT(
      "!\"Product does'nt support new reporter rewrite and plots, so should'nt try and get an ISimValueCache\"");
  EXPECT_EQ(nullptr, factory->CreateOutputVariableMgr(nullptr));
  EXPECT_EQ(1u, orvex::test::Asserts().Count());
  orvex::test::Asserts().Clear();

  // Asked afresh every time.
  m_desktop.SetSupportsNewReporter(true);
  EXPECT_NE(nullptr, factory->CreateReportManager(&m_owner));
  EXPECT_EQ(4, m_desktop.GetNumQuestions());

  m_desktop.SetSupportsNewReporter(false);
  IgnoreAllAsserts_G = true;
  EXPECT_EQ(nullptr, factory->CreateReportManager(&m_owner));
  EXPECT_EQ(nullptr, factory->CreateSimValueCache(nullptr));
  IgnoreAllAsserts_G = false;
  EXPECT_EQ(0u, orvex::test::Asserts().Count());
}

}  // namespace
