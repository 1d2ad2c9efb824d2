#include "reference/ReferenceVariableNameSpaceSetupper.h"

#include "RepTest.h"
#include "orvex/values/VariableNameSpace.h"
#include "reference/ReferenceSolutionManager.h"

TEST(ReferenceSetupper, NamesTheSolutionsVariablesAsTheyAreNow) {
  refhost::ReferenceSolutionManager solutions;
  EXPECT_EQ(nullptr, solutions.GetVariableNameSpaceSetupper(10));
  refhost::ReferenceSolution& first = solutions.AddSolution(10, L"Run");
  Variable* length = first.AddVariable(L"Length", Value(1.0, 142), true);
  IVariableNameSpaceSetupper* setupper = solutions.GetVariableNameSpaceSetupper(10);
  ASSERT_NE(nullptr, setupper);
  EXPECT_EQ(setupper, solutions.GetVariableNameSpaceSetupper(10));
  {
    VariableNameSpace names(1, 1, 0);
    setupper->Setup(names);
    EXPECT_EQ(length, names.ResolveVariable(L"length"));
  }
  // A solution made again under the same ID: its own variables, never the old ones.
  refhost::ReferenceSolution& second = solutions.AddSolution(10, L"Run again");
  Variable* width = second.AddVariable(L"Width", Value(2.0, 142), true);
  {
    VariableNameSpace names(1, 1, 0);
    setupper->SetupForTextRegeneration(names);
    EXPECT_EQ(width, names.ResolveVariable(L"Width"));
    EXPECT_EQ(nullptr, names.ResolveOwnVariable(L"Length"));
  }
}
