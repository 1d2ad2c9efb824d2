#include <memory>
#include <vector>

#include "RepTest.h"
#include "orvex/values/ContextVariable.h"
#include "orvex/values/ReferencedMessages.h"
#include "postorvex/outputvars/OutputVariable.h"
#include "postorvex/outputvars/OutputVariableActivator2.h"
#include "postorvex/quantities/CompositeReferencedPostprocessingQuantityMsg.h"

namespace {

using Names = std::vector<AString>;

TEST(QuantityRecord, PartsByTextWithoutCaseAndUnionsInPartOrder) {
  ContextVariable a(L"A"), b(L"B");
  CompositeReferencedPostprocessingQuantityMsg msg(nullptr, nullptr, false);
  ReferencedPostprocessingQuantityMsg& first = msg.GetMsgForExprForEdit(L"S11+S21");
  first.AddSimValueQuantity(L"S11");
  first.AddSimValueQuantity(L"S21");
  first.AddOutputVariable(&a);
  first.AddSimDatasetValue(7);
  ReferencedPostprocessingQuantityMsg& second = msg.GetMsgForExprForEdit(L"s21*Field");
  second.AddSimValueQuantity(L"s21");
  second.AddSimValueQuantity(L"Gain");
  second.AddCompositeQuantity(L"Field");
  second.AddOutputVariable(&a);
  second.AddOutputVariable(&b);
  second.AddSimDatasetValue(7);
  second.AddSimDatasetValue(3);
  EXPECT_EQ(&first, &msg.GetMsgForExprForEdit(L"s11+s21")) << "one part per text without case";

  Names names{L"kept"};
  msg.GetAllSimValueQuantities(names);
  EXPECT_EQ(Names({L"kept", L"S11", L"S21", L"Gain"}), names) << "appends, first-seen order, no duplicates";
  names.clear();
  msg.GetAllCompositeQuantities(names);
  EXPECT_EQ(Names({L"Field"}), names);
  std::vector<ContextVariable*> vars;
  msg.GetAllOutputVariables(vars);
  EXPECT_EQ(std::vector<ContextVariable*>({&a, &b}), vars);
  std::vector<long> ids;
  msg.GetAllSimDatasetValues(ids);
  EXPECT_EQ(std::vector<long>({7, 3}), ids);

  names.clear();
  msg.GetSimValueQuantitiesForExpr(L"Unknown", names);
  msg.GetCompositeQuantitiesForExpr(L"S11+S21", names);
  EXPECT_TRUE(names.empty());

  msg.SetSimDatasetDependencyInfo(7, {3});
  ids.clear();
  msg.GetSimDatasetDependencyInfo(7, ids);
  msg.GetSimDatasetDependencyInfo(3, ids);
  EXPECT_EQ(std::vector<long>({3}), ids);
}

TEST(OutputVariableActivator2, ActivatesForItsLifetimeAndReportsFailures) {
  OutputVariable good(L"Good"), bad(L"Bad");
  good.SetValueBaseText(L"2*3", ValueState(1, 15, 1));
  bad.SetValueBaseText(L"2*", ValueState(1, 15, 1));
  good.Activate(nullptr, nullptr);  // already active once: the scope adds one and takes it back
  {
    OutputVariableActivator2 scope({&good, &bad, nullptr}, nullptr, nullptr);
    EXPECT_TRUE(scope.DidActivationSucceedForOutputVariable(&good));
    EXPECT_FALSE(scope.DidActivationSucceedForOutputVariable(&bad));
    EXPECT_FALSE(scope.DidActivationSucceedForOutputVariable(nullptr));
    EXPECT_TRUE(scope.AnyActivationFailed());
    EXPECT_EQ(2, good.GetActivationCount());
    EXPECT_DOUBLE_EQ(6.0, good.GetValue());
  }
  EXPECT_EQ(1, good.GetActivationCount());
  EXPECT_FALSE(bad.IsActive());
  good.Deactivate();
  OutputVariableActivator2 empty({}, nullptr, nullptr);
  EXPECT_FALSE(empty.AnyActivationFailed());
}

}  // namespace
