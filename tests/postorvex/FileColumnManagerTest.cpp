#include <memory>
#include <set>

#include "RepTest.h"
#include "orvex/core/TestHooks.h"
#include "postorvex/columns/Column.h"
#include "postorvex/columns/FileColumnManager.h"
#include "postorvex/columns/ManagedFileService.h"

namespace {

typedef FileColumnManager::LoadAndOptionallyUnloadCtxt LoadCtxt;

std::unique_ptr<Column> FileColumn() {
  return std::unique_ptr<Column>(Column::CreateColumn2(val::kDoubleParam, 90, ManagedFileService::GetInstance(),
                                                       L"", L"", true, true));
}

}  // namespace

TEST(FileColumnManager, OnlyColumnsWithAServiceAreFileManaged) {
  std::unique_ptr<Column> managed = FileColumn();
  std::unique_ptr<Column> plain(Column::CreateColumn2(val::kDoubleParam, 90, nullptr, L"", L"", true, true));
  std::unique_ptr<Column> memory(Column::CreateColumn(val::kDoubleParam, 90));
  EXPECT_TRUE(managed->IsFileManaged());
  EXPECT_TRUE(managed->IsLoaded());
  EXPECT_FALSE(plain->IsFileManaged());
  EXPECT_FALSE(memory->IsFileManaged());
  memory->Unload();  // an in-memory column is always loaded
  EXPECT_TRUE(memory->IsLoaded());

  managed->Unload();
  std::unique_ptr<Column> clone(managed->CloneColumn());
  EXPECT_TRUE(clone->IsFileManaged());
  EXPECT_TRUE(clone->IsLoaded());
  EXPECT_EQ(ManagedFileService::GetInstance(), clone->GetFileService());
}

TEST(FileColumnManager, NestedContextsLeaveColumnsAsTheyFoundThem) {
  std::unique_ptr<Column> wasUnloaded = FileColumn();
  std::unique_ptr<Column> wasLoaded = FileColumn();
  std::unique_ptr<Column> memory(Column::CreateColumn(val::kDoubleParam, 90));
  wasUnloaded->Unload();
  const size_t loads = FileColumnManager::GetLoadCount();
  const size_t unloads = FileColumnManager::GetUnloadCount();
  {
    std::set<Column*> set{wasUnloaded.get(), wasLoaded.get(), memory.get(), nullptr};
    LoadCtxt outer(set, nullptr);
    EXPECT_TRUE(wasUnloaded->IsLoaded());
    EXPECT_EQ(1u, FileColumnManager::GetOpenContextCount());
    {
      LoadCtxt inner(wasUnloaded.get());
      LoadCtxt none(nullptr);
      EXPECT_EQ(3u, FileColumnManager::GetOpenContextCount());
    }
    EXPECT_TRUE(wasUnloaded->IsLoaded());  // the inner context did not load it, so keeps it loaded
    EXPECT_EQ(loads + 1, FileColumnManager::GetLoadCount());
    EXPECT_EQ(unloads, FileColumnManager::GetUnloadCount());
  }
  EXPECT_FALSE(wasUnloaded->IsLoaded());
  EXPECT_TRUE(wasLoaded->IsLoaded());
  EXPECT_EQ(unloads + 1, FileColumnManager::GetUnloadCount());
  EXPECT_EQ(0u, FileColumnManager::GetOpenContextCount());
}

TEST(FileColumnManager, ReadsOfUnloadedColumnsAreCountedNotRefused) {
  std::unique_ptr<Column> col = FileColumn();
  col->GetDoubleColumn()->AddValue(1.5, true);
  const size_t before = FileColumnManager::GetUnloadedReadCount();
  EXPECT_EQ(1.5, col->GetDoubleColumn()->GetValues()[0]);
  EXPECT_EQ(before, FileColumnManager::GetUnloadedReadCount());
  col->Unload();
  EXPECT_EQ(1.5, col->GetDoubleColumn()->GetValues()[0]);
  EXPECT_EQ(AString(L"1.5"), col->GetSingleValueText(0));
  std::unique_ptr<Column>(col->CloneColumn());
  EXPECT_EQ(before + 3, FileColumnManager::GetUnloadedReadCount());
  {
    LoadCtxt ctxt(col.get());
    col->GetDoubleColumn()->GetValues();
  }
  EXPECT_EQ(before + 3, FileColumnManager::GetUnloadedReadCount());
}

TEST(FileColumnManager, ColumnDeletedInsideAContextIsLeftAlone) {
  std::unique_ptr<Column> col = FileColumn();
  col->Unload();
  const size_t unloads = FileColumnManager::GetUnloadCount();
  {
    LoadCtxt ctxt(col.get());
    col.reset();
    col = FileColumn();  // may take the same address
    col->Unload();
  }
  EXPECT_EQ(unloads + 1, FileColumnManager::GetUnloadCount());  // only the explicit Unload above
  EXPECT_FALSE(col->IsLoaded());
}

TEST(FileColumnManager, ContextChecksWhatItPutsBack) {
  std::unique_ptr<Column> col = FileColumn();
  col->Unload();
  {
    LoadCtxt ctxt(col.get());
    col->Unload();  // taken away under the context's feet
  }
  EXPECT_SOFT_ASSERT("l.column->IsLoaded()");
  EXPECT_FALSE(col->IsLoaded());

  auto first = std::make_unique<LoadCtxt>(col.get());
  auto second = std::make_unique<LoadCtxt>(col.get());
  first.reset();  // ends before the context opened inside it
  EXPECT_SOFT_ASSERT("IsInnermost()");
  second.reset();
  EXPECT_EQ(0u, FileColumnManager::GetOpenContextCount());
}

TEST(FileColumnManager, AContextLeftOpenIsReported) {
  auto leaked = std::make_unique<LoadCtxt>(nullptr);
  const std::string left = orvex::test::CheckGlobalsLeftOpen();
  EXPECT_NE(std::string::npos, left.find("LoadAndOptionallyUnloadCtxt still open")) << left;
  // The report closed the count; ending the context now is out of order.
  leaked.reset();
  EXPECT_SOFT_ASSERT("IsInnermost()");
}
