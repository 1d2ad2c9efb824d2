#include <filesystem>
#include <memory>
#include <string>

#include "RepTest.h"
#include "orvex/core/Ids.h"
#include "orvex/core/VelmorCommand.h"
#include "orvex/io/LongFileName.h"
#include "orvex/io/SavedFile.h"
#include "orvex/values/VariableNameSpace.h"
#include "orvex/values/VariableValuesContext.h"
#include "postorvex/quantities/QuantityTypeParams.h"
#include "refhost/ReferenceSolutionManager.h"

namespace {

const ValueState kDouble(1, 15, 1);
const ValueState kComplexDB(2, 12, 1);
const ValueState kEnum(15, 15, 1);

// A solution with every kind of quantity, offered for report type 1 only.
struct QuantitiesTest : ::testing::Test {
  QuantitiesTest() : solution(manager.AddSolution(10, L"Run1")) {
    solution.AddSupportedReportType(1);
    length = solution.AddVariable(L"L", Value(2.0, Units::kMm), true);
    solution.AddQuantity(L"S11", kComplexDB, [this](const VariableValues& at) {
      const Value* l = at.GetVariableValue(length);
      return AComplex<double>(l ? l->GetValue() : -1.0, 1.0);
    });
    solution.AddEnumQuantity(L"Mode", kEnum, L"Modes");
    solution.AddQuantity(L"Re", kDouble);
    solution.AddCompositeQuantity(L"Field", 2, {L"Re", L"Mode"});
    solution.AddCompositeQuantity(L"Both", 3, {L"Field", L"S11"});
    solution.AddOtherQuantity(L"Power", kDouble);
  }

  refhost::ReferenceSolutionManager manager;
  refhost::ReferenceSolution& solution;
  Variable* length;
  const ReportTypeSolutionDefinition offered{1};
  const ReportTypeSolutionDefinition other{2};
};

}  // namespace

TEST_F(QuantitiesTest, ValueStatesAndEnumerationNamesFromTheModel) {
  ValueState state;
  EXPECT_TRUE(solution.GetQuantityValueState(state, L"s11", offered, 1));
  EXPECT_EQ(kComplexDB, state);
  EXPECT_TRUE(solution.GetQuantityValueState(state, L"Field", offered, 7));
  EXPECT_EQ(ValueState(), state) << "a composite has no value of its own";
  ValueState untouched(9, 9, 9, Units::kMm);
  EXPECT_FALSE(solution.GetQuantityValueState(untouched, L"S22", offered, 1));
  EXPECT_FALSE(solution.GetQuantityValueState(untouched, L"S11", other, 1)) << "report type not offered";
  EXPECT_EQ(ValueState(9, 9, 9, Units::kMm), untouched);

  AString name;
  EXPECT_TRUE(solution.GetQuantityEnumTypeName(name, L"MODE", offered, 1));
  EXPECT_EQ(AString(L"Modes"), name);
  EXPECT_FALSE(solution.GetQuantityEnumTypeName(name, L"S11", offered, 1));
  EXPECT_EQ(4, solution.GetNumValueStateQueries());
  EXPECT_EQ(2, solution.GetNumEnumTypeNameQueries());

  EXPECT_TRUE(solution.RemoveQuantity(L"mode"));
  EXPECT_FALSE(solution.GetQuantityEnumTypeName(name, L"Mode", offered, 1));
}

TEST_F(QuantitiesTest, QuantityValuesFollowTheCurrentVariableValues) {
  AComplex<double> v;
  EXPECT_TRUE(solution.EvaluateQuantity(L"S11", v));
  EXPECT_EQ(AComplex<double>(-1.0, 1.0), v) << "no current value";
  {
    VariableValues at;
    at.SetVariableValue(length, Value(3.0, Units::kMm));
    VariableValuesContext current(at);
    EXPECT_TRUE(solution.EvaluateQuantity(L"S11", v));
    EXPECT_EQ(AComplex<double>(3.0, 1.0), v);
  }
  EXPECT_FALSE(solution.EvaluateQuantity(L"Re", v)) << "no function";
  EXPECT_FALSE(solution.EvaluateQuantity(L"S22", v));
}

TEST_F(QuantitiesTest, ProviderHandsOutEveryKindOnlyWhenSwitchedOn) {
  EXPECT_EQ(nullptr, solution.GetQuantityTypeProvider());
  solution.SetDescribesQuantitiesByTypeParams(true);
  IQuantityTypeProvider* provider = solution.GetQuantityTypeProvider();
  ASSERT_NE(nullptr, provider);

  std::unique_ptr<BaseQuantityTypeParam> param;
  ASSERT_TRUE(provider->GetQuantityTypeParam(param, L"Both", offered, 1));
  const auto* both = dynamic_cast<const CompositeQuantityTypeParam*>(param.get());
  ASSERT_NE(nullptr, both);
  EXPECT_EQ(3, both->GetCompositeType());
  const auto* field = dynamic_cast<const CompositeQuantityTypeParam*>(both->GetConstituentQuantityTypeParam(0));
  ASSERT_NE(nullptr, field) << "a composite constituent of a composite";
  EXPECT_EQ(AString(L"Mode"), field->GetConstituentQuantityName(1));
  const auto* mode = dynamic_cast<const EnumQuantityTypeParam*>(field->GetConstituentQuantityTypeParam(1));
  ASSERT_NE(nullptr, mode);
  EXPECT_EQ(AString(L"Modes"), mode->GetEnumTypeName());
  const auto* s11 = dynamic_cast<const QuantityTypeParam*>(both->GetConstituentQuantityTypeParam(1));
  ASSERT_NE(nullptr, s11);
  EXPECT_EQ(kComplexDB, s11->GetValueState());

  ASSERT_TRUE(provider->GetQuantityTypeParam(param, L"Power", offered, 1));
  EXPECT_NE(nullptr, dynamic_cast<const OtherQuantityTypeParam*>(param.get()));

  BaseQuantityTypeParam* held = param.get();
  solution.AddCompositeQuantity(L"Broken", 1, {L"Re", L"Missing"});
  solution.AddCompositeQuantity(L"Loop", 1, {L"Loop"});
  for (const wchar_t* refused : {L"S22", L"Broken", L"Loop"}) {
    SCOPED_TRACE(AString(refused).ToUtf8());
    EXPECT_FALSE(provider->GetQuantityTypeParam(param, refused, offered, 1));
    EXPECT_EQ(held, param.get()) << "the caller's object is untouched";
  }
  EXPECT_FALSE(provider->GetQuantityTypeParam(param, L"S11", other, 1));
  EXPECT_EQ(6, solution.GetReferenceQuantityTypeProvider().GetNumQueries());
}

TEST_F(QuantitiesTest, OutputVariablesAndPerCommandAnswers) {
  solution.AddOutputVariable(L"Gain", L"dB(S21)");
  AString expression;
  EXPECT_TRUE(solution.GetOutputVariableExpression(expression, L"gain"));
  EXPECT_EQ(AString(L"dB(S21)"), expression);
  EXPECT_FALSE(solution.GetOutputVariableExpression(expression, L"Loss"));

  VelmorCommand rename, resolve, unrelated;
  solution.SetCommandChangesQuantity(&rename, L"S11");
  solution.SetCommandChangesData(&resolve, &offered);
  EXPECT_TRUE(solution.DidCommandChangeQuantity(&rename, L"s11", offered));
  EXPECT_FALSE(solution.DidCommandChangeQuantity(&rename, L"Re", offered));
  EXPECT_FALSE(solution.DidCommandChangeQuantity(&unrelated, L"S11", offered));
  EXPECT_TRUE(solution.DidCommandChangeData(&resolve, offered));
  EXPECT_FALSE(solution.DidCommandChangeData(&resolve, other));
  solution.SetCommandChangesData(&resolve);
  EXPECT_TRUE(solution.DidCommandChangeData(&resolve, other)) << "without a definition: every one";
  EXPECT_FALSE(solution.DidCommandChangeData(nullptr, offered));
  EXPECT_EQ(3, solution.GetNumQuantityChangeQueries());
  EXPECT_EQ(4, solution.GetNumDataChangeQueries());

  manager.SetVariableChanges(&resolve, 10, {L"W"}, {}, {L"L"});
  std::vector<AString> added, deleted, changed;
  manager.GetVariableChanges(added, deleted, changed, &resolve, 10, offered, id::invalidID);
  manager.GetVariableChanges(added, deleted, changed, &resolve, 11, offered, id::invalidID);
  manager.GetVariableChanges(added, deleted, changed, &unrelated, 10, offered, id::invalidID);
  EXPECT_EQ(std::vector<AString>{L"W"}, added);
  EXPECT_TRUE(deleted.empty());
  EXPECT_EQ(std::vector<AString>{L"L"}, changed);
  EXPECT_EQ(3, manager.GetNumVariableChangeQueries());
}

TEST(ReferenceSolutionManager, OwnFileServiceAndAlienParser) {
  std::string root;
  {
    refhost::ReferenceSolutionManager manager;
    EXPECT_EQ(nullptr, manager.GetManagedFileService());
    EXPECT_NE(nullptr, manager.GetAlienTokenParser());
    manager.SetAlienTokenParser(nullptr);
    EXPECT_EQ(nullptr, manager.GetAlienTokenParser());

    refhost::TempDirManagedFileService& service = manager.UseTempDirFileService();
    EXPECT_EQ(&service, manager.GetManagedFileService());
    EXPECT_EQ(&service, &manager.UseTempDirFileService()) << "one service per manager";
    root = service.GetRoot().ToUtf8();
    AString a, b;
    ASSERT_TRUE(service.MakeUniqueFileName(a, L"svcache", L"HDR"));
    ASSERT_TRUE(service.MakeUniqueFileName(b, L"svcache", L"HDR"));
    EXPECT_EQ(AString(L"HDR1.dat"), a);
    EXPECT_EQ(AString(L"HDR2.dat"), b);
    EXPECT_EQ(2, service.GetNumNamesMade());
    LongFileName path;
    service.GetFullPath(path, L"svcache", a);
    EXPECT_EQ(root + "/svcache/HDR1.dat", path.ToNarrow());
    EXPECT_EQ(1, path.Exists());

    reptest::WriteFileBytes(root + "/blocked", "a file, not a folder");
    EXPECT_FALSE(service.MakeUniqueFileName(a, L"blocked", L"HDR"));
    EXPECT_EQ(AString(L"HDR1.dat"), a);
    EXPECT_EQ(root + "/blocked: Not a directory", io::LastSaveFailure());
  }
  EXPECT_FALSE(std::filesystem::exists(root)) << "the folder goes with the manager";
}

TEST_F(QuantitiesTest, VariablesThatStandForQuantities) {
  solution.AddVariable(L"Re", Value(1.0, Units::kNoUnit), false);
  solution.AddVariable(L"Port", Value(1.0, Units::kNoUnit), false);
  AString name = L"untouched";
  EXPECT_FALSE(solution.IsSimValueQuantity(name, L"L", offered)) << "a variable without a quantity";
  EXPECT_FALSE(solution.IsSimValueQuantity(name, L"S11", offered)) << "a quantity that is no variable";
  EXPECT_FALSE(solution.IsSimValueQuantity(name, L"Port", offered));
  EXPECT_EQ(AString(L"untouched"), name);
  EXPECT_TRUE(solution.IsSimValueQuantity(name, L" re ", offered));
  EXPECT_EQ(AString(L"Re"), name);
  solution.SetVariableQuantity(L"port", L"S11");
  EXPECT_TRUE(solution.IsSimValueQuantity(name, L"Port", offered));
  EXPECT_EQ(AString(L"S11"), name);
  EXPECT_FALSE(solution.IsSimValueQuantity(name, L"Port", other)) << "report type not offered";
}

TEST(ReferenceSolution, DestroysVariablesDefinedByOneAnother) {
  for (bool laterFirst : {false, true}) {
    SCOPED_TRACE(laterFirst ? "defined by a later variable" : "defined by an earlier variable");
    auto s = std::make_unique<refhost::ReferenceSolution>(10, L"Run1");
    Variable* a = s->AddVariable(L"A", Value(1.0, Units::kNoUnit), true);
    Variable* b = s->AddVariable(L"B", Value(2.0, Units::kNoUnit), false);
    Variable* dependent = laterFirst ? a : b;
    dependent->SetDependent(true);
    {
      VariableNameSpace names(1, 1, 0);
      s->GetNameSpaceSetupper().Setup(names);
      dependent->SetDefinition(laterFirst ? L"2*B" : L"2*A");
    }
    ASSERT_NE(nullptr, dependent->GetDefinition());
    s.reset();  // AddressSanitizer reports a read of a freed variable
  }
}
