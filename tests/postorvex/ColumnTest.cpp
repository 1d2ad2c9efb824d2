#include "RepTest.h"
#include "postorvex/columns/Column.h"

TEST(Column, Smoke) {
  std::unique_ptr<Column> c(Column::CreateColumn(val::kDoubleParam, 90));
  ASSERT_TRUE(c);
}
