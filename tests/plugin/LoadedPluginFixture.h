// A test that loads the plug-in afresh with dlopen and reaches its factory, with a desktop that says yes.
#pragma once

#include <dlfcn.h>

#include <cstdlib>

#include "Gravik/IReportManagerFactory.h"
#include "RepTest.h"
#include "refhost/ReferenceDesktop.h"

namespace reptest {

class LoadedPluginFixture : public ::testing::Test {
protected:
  using EntryPoint = rep::IReportManagerFactory* (*)();

  void SetUp() override {
    const char* path = std::getenv("REP_PLUGIN");
    ASSERT_NE(nullptr, path) << "REP_PLUGIN names the plug-in to load";
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

}  // namespace reptest
