#include "quantities/OutputVariableMgr.h"

#include <functional>
#include <memory>
#include <vector>

#include "quantities/ParserForSolution.h"
#include "RepTest.h"
#include "orvex/core/MessageLog.h"
#include "orvex/core/VelmorCommand.h"
#include "orvex/io/Block.h"
#include "orvex/io/BlockFunc.h"
#include "orvex/io/BlockValue.h"
#include "orvex/values/Value.h"
#include "orvex/values/VariableValues.h"
#include "postorvex/outputvars/COutputVarVlmrCmdInfo.h"
#include "postorvex/outputvars/OutputVariable.h"
#include "postorvex/outputvars/OutputVariableDefParams.h"
#include "postorvex/solution/DesignSolutionDefinition.h"
#include "refhost/ReferenceDesign.h"
#include "refhost/ReferenceSolutionManager.h"

namespace {

using orvex::test::Messages;

class OutputVariableMgrTest : public ::testing::Test {
protected:
  OutputVariableMgrTest() {
    refhost::ReferenceSolution& s = m_solutions.AddSolution(10, L"Run1");
    s.AddVariable(L"L", Value(1.0, 142), true);
    s.AddQuantity(L"Gain", ValueState(1, 15, 1));
    s.AddQuantity(L"S11", ValueState(2, 15, 1));
    s.AddQuantity(L"Label", ValueState(10, 15, 1));
    s.AddOutputVariable(L"SolVar", L"Gain*3");
    m_solutions.AddSolution(11, L"Empty");  // no variables
    m_solutions.AddDesignSolutionDefinition(Dsd());
    Messages().Clear();
  }

  static DesignSolutionDefinition Dsd(long solutionID = 10) {
    return DesignSolutionDefinition(100, solutionID, ReportTypeSolutionDefinition(1));
  }

  // Created through the manager under its own command, which is done and dropped.
  OutputVariable* Create(const AString& name, const AString& expression) {
    OutputVariableDefParams def(id::invalidID, name, expression);
    VelmorCommand cmd;
    EXPECT_TRUE(m_mgr.CreateOutputVariable(def, Dsd(), &cmd)) << name.ToUtf8();
    return m_mgr.FindOutputVariable(name);
  }

  // Taken over as it is, without any check.
  OutputVariable* Adopt(const AString& name, const AString& expression, const ValueState& state = ValueState(1, 15, 1)) {
    auto* variable = new OutputVariable(name);
    variable->SetValueBaseText(expression, state);
    EXPECT_TRUE(m_mgr.ChangeOutputVariableID(variable));
    return variable;
  }

  std::vector<AString> Names() const {
    std::vector<OutputVariable*> all;
    m_mgr.GetOutputVariables(all, nullptr);
    std::vector<AString> names;
    for (const OutputVariable* v : all) names.push_back(v->GetName());
    return names;
  }

  // The one message posted since the last call, as (ID, first argument).
  static std::pair<int, AString> TakeMessage() {
    std::pair<int, AString> out{0, AString()};
    const auto& posted = Messages().Posted();
    EXPECT_EQ(1u, posted.size());
    if (!posted.empty()) {
      out.first = posted[0].message.GetMessageID();
      if (!posted[0].message.GetArgs().empty()) out.second = posted[0].message.GetArgs()[0];
    }
    Messages().Clear();
    return out;
  }

  refhost::ReferenceSolutionManager m_solutions;
  rep::OutputVariableMgr m_mgr{&m_solutions};
};

}  // namespace

TEST_F(OutputVariableMgrTest, NamesAreFoundWithoutCaseAndTheLowerIDWins) {
  OutputVariable* first = Adopt(L"vout", L"Gain");
  Adopt(L"VOUT", L"Gain*2");
  EXPECT_EQ(first, m_mgr.FindOutputVariable(L"VOUT"));
  EXPECT_EQ(first, m_mgr.GetOutputVariable(first->GetID()));
  EXPECT_EQ(nullptr, m_mgr.GetOutputVariable(99));
  EXPECT_FALSE(m_mgr.ChangeOutputVariableID(first));  // its ID is held already

  AString name;
  long id = 0;
  IOutputVariableMgrForProducts& products = *m_mgr.GetIOutputVariableMgrForProducts();
  EXPECT_TRUE(products.GetOutputVariableName(name, first->GetID()));
  EXPECT_EQ(AString(L"vout"), name);
  EXPECT_FALSE(products.GetOutputVariableName(name, 99));
  EXPECT_TRUE(products.GetOutputVariableID(id, L"Vout"));
  EXPECT_EQ(first->GetID(), id);
  EXPECT_FALSE(products.GetOutputVariableID(id, L"nothing"));
}

TEST_F(OutputVariableMgrTest, ListsForASolutionLeaveOutInvalidVariablesSilently) {
  Adopt(L"B", L"Gain*2");
  Adopt(L"A", L"Gain+");     // does not parse
  Adopt(L"C", L"Label");     // not a number
  Adopt(L"D", L"S11+B");
  Adopt(L"E", L"SolVar+1");  // over a variable that the solution defines
  EXPECT_EQ((std::vector<AString>{L"B", L"A", L"C", L"D", L"E"}), Names());

  std::vector<AString> names;
  const DesignSolutionDefinition dsd = Dsd();
  m_mgr.GetIOutputVariableMgrForProducts()->GetOutputVariableNames(names, &dsd);
  EXPECT_EQ((std::vector<AString>{L"B", L"D", L"E"}), names);
  std::vector<long> ids;
  m_mgr.GetIOutputVariableMgrForProducts()->GetOutputVariableIDs(ids, &dsd);
  EXPECT_EQ((std::vector<long>{1, 4, 5}), ids);
  std::vector<OutputVariable*> variables;
  m_mgr.GetOutputVariables(variables, &dsd);
  EXPECT_EQ(3u, variables.size());
  EXPECT_TRUE(Messages().Delivered().empty());

  ids = {5};
  m_mgr.GetIOutputVariableMgrForProducts()->GetOutputVariableIDs(ids, nullptr);
  EXPECT_SOFT_ASSERT("outVarIDVec.size() == 0");
  EXPECT_EQ(6u, ids.size());  // appended all the same
  m_mgr.GetIOutputVariableMgrForProducts()->GetOutputVariableNames(names, nullptr);
  EXPECT_SOFT_ASSERT("outVarNamesVec.size() == 0");
}

TEST_F(OutputVariableMgrTest, DefinitionChecksAndTheirMessages) {
  Create(L"Twice", L"Gain*2");
  Messages().Clear();
  struct Case {
    const wchar_t* name;
    long solutionID;
    int message;  // 0: accepted; -1: refused silently
  };
  const Case cases[] = {
      {L"NewName", 10, 0},
      {L"a+b", 10, 24575},    // two labels
      {L"1abc", 10, 24575},   // one label that is not the name
      {L"Gain", 10, 24558},   // a known quantity resolves: no label
      {L"twice", 10, 24558},  // so does an existing variable
      {L"SolVar", 10, 24558}, // and one the solution defines
      {L"NewName", 99, -1},   // no parser for a solution not held
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(AString(c.name).ToUtf8());
    OutputVariableDefParams def(id::invalidID, c.name, L"Gain");
    EXPECT_EQ(c.message == 0, m_mgr.CheckOutputVariableDefinition(def, Dsd(c.solutionID)));
    if (c.message <= 0) {
      EXPECT_TRUE(Messages().Posted().empty());
      continue;
    }
    EXPECT_EQ(std::make_pair(c.message, AString(c.name)), TakeMessage());
  }
}

TEST_F(OutputVariableMgrTest, ExpressionValidationAndItsMessages) {
  Create(L"Twice", L"Gain*2");
  Adopt(L"Broken", L"Gain+");
  Messages().Clear();
  struct Case {
    const wchar_t* name;
    const wchar_t* expression;
    long solutionID;
    int message;
    const wchar_t* argument;
  };
  const Case cases[] = {
      {L"X", L"Gain*2+S11", 10, 0, L""},
      {L"X", L"Twice+1", 10, 0, L""},
      {L"X", L"SolVar*2", 10, 0, L""},               // a variable that the solution defines
      {L"solvar", L"SolVar*2", 10, 24576, L"solvar"},
      {L"X", L"Gain+", 10, 24559, L"Gain+"},
      {L"X", L"Label", 10, 24559, L"Label"},         // a text, not a number
      {L"X", L"Broken*2", 10, 24559, L"Broken*2"},   // uses a variable that does not parse
      {L"twice", L"Twice*2", 10, 24576, L"twice"},   // refers to itself
      {L"X", L"Gain", 99, 24559, L"Gain"},           // no such solution
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(AString(c.expression).ToUtf8());
    OutputVariableDefParams def(id::invalidID, c.name, c.expression);
    EXPECT_EQ(c.message == 0, m_mgr.ValidateOutputVariableExpression(def, Dsd(c.solutionID)));
    if (c.message == 0) {
      EXPECT_TRUE(Messages().Posted().empty());
      continue;
    }
    EXPECT_EQ(std::make_pair(c.message, AString(c.argument)), TakeMessage());
  }
}

TEST_F(OutputVariableMgrTest, EditsWithUndoRedoAndTheCommandsEnd) {
  enum Op { kCreate, kEdit, kDelete };
  enum Step { kUndo, kRedo };
  struct Case {
    Op op;
    std::vector<Step> steps;
    std::vector<AString> namesAfter;
    const wchar_t* textOfKeptAfter;  // expression of "Kept" after the steps
    unsigned subType;
    const char* why;
  };
  const Case cases[] = {
      {kCreate, {}, {L"Kept", L"New"}, L"Gain", 16, "create"},
      {kCreate, {kUndo}, {L"Kept"}, L"Gain", 16, "create, undo: the command deletes the variable"},
      {kCreate, {kUndo, kRedo}, {L"Kept", L"New"}, L"Gain", 16, "create, undo, redo"},
      {kEdit, {}, {L"Kept"}, L"S11*2", 4, "edit"},
      {kEdit, {kUndo}, {L"Kept"}, L"Gain", 4, "edit, undo"},
      {kEdit, {kUndo, kRedo}, {L"Kept"}, L"S11*2", 4, "edit, undo, redo"},
      {kDelete, {}, {}, nullptr, 8, "delete: the command deletes the variable"},
      {kDelete, {kUndo}, {L"Kept"}, L"Gain", 8, "delete, undo"},
      {kDelete, {kUndo, kRedo}, {}, nullptr, 8, "delete, undo, redo"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    rep::OutputVariableMgr mgr(&m_solutions);
    auto* kept = new OutputVariable(L"Kept");
    kept->SetValueBaseText(L"Gain", ValueState(1, 15, 1));
    ASSERT_TRUE(mgr.ChangeOutputVariableID(kept));
    const long keptID = kept->GetID();
    {
      VelmorCommand cmd;
      OutputVariableDefParams def(keptID, L"Kept", L"S11*2");
      if (c.op == kCreate) def = OutputVariableDefParams(id::invalidID, L"New", L"Gain*2");
      const bool done = c.op == kCreate   ? mgr.CreateOutputVariable(def, Dsd(), &cmd)
                        : c.op == kEdit   ? mgr.EditOutputVariable(def, Dsd(), &cmd)
                                          : mgr.DeleteOutputVariable(def, &cmd);
      ASSERT_TRUE(done);
      auto* info = dynamic_cast<COutputVarVlmrCmdInfo*>(cmd.GetInfo(26));
      ASSERT_NE(nullptr, info);
      EXPECT_EQ(2u, info->GetFlagWord(0));
      EXPECT_EQ(c.subType, info->GetFlagWord(1));
      cmd.EndDo();
      for (Step s : c.steps) s == kUndo ? cmd.Undo() : cmd.Redo();
      // The command is destroyed here, taking what lies outside the map with it.
    }
    std::vector<OutputVariable*> all;
    mgr.GetOutputVariables(all, nullptr);
    std::vector<AString> names;
    for (const OutputVariable* v : all) names.push_back(v->GetName());
    EXPECT_EQ(c.namesAfter, names);
    const OutputVariable* keptAfter = mgr.GetOutputVariable(keptID);
    if (c.textOfKeptAfter) {
      ASSERT_EQ(kept, keptAfter);  // the same object, edited in place
      EXPECT_EQ(AString(c.textOfKeptAfter), keptAfter->GetValueBaseText());
      if (c.op == kEdit) {
        EXPECT_EQ(c.steps.size() == 1 ? 1 : 2, keptAfter->GetParameterType());
      }
    } else {
      EXPECT_EQ(nullptr, keptAfter);
    }
  }
}

TEST_F(OutputVariableMgrTest, TheFirstChangeNamesTheInfoAndOthersAddToIt) {
  VelmorCommand cmd;
  OutputVariableDefParams def(id::invalidID, L"New", L"Gain*2");
  ASSERT_TRUE(m_mgr.CreateOutputVariable(def, Dsd(), &cmd));
  const long id = m_mgr.FindOutputVariable(L"New")->GetID();
  def = OutputVariableDefParams(id, L"New", L"Gain*3");
  ASSERT_TRUE(m_mgr.EditOutputVariable(def, Dsd(), &cmd));
  auto* info = dynamic_cast<COutputVarVlmrCmdInfo*>(cmd.GetInfo(26));
  ASSERT_NE(nullptr, info);
  EXPECT_EQ(16u, info->GetFlagWord(1));
  EXPECT_TRUE(info->IsNewElement(id));
  EXPECT_TRUE(info->IsEditedElement(id));
  EXPECT_TRUE(info->IsOutputVarEdited(L"NEW"));
  EXPECT_FALSE(info->IsOutputVarEdited(L"Other"));
  cmd.EndDo();
}

TEST_F(OutputVariableMgrTest, NothingChangesWithoutACommandOrAValidDefinition) {
  OutputVariable* kept = Create(L"Kept", L"Gain");
  OutputVariableDefParams create(id::invalidID, L"New", L"Gain*2");
  OutputVariableDefParams edit(kept->GetID(), L"Kept", L"S11");
  EXPECT_FALSE(m_mgr.CreateOutputVariable(create, Dsd(), nullptr));
  EXPECT_FALSE(m_mgr.EditOutputVariable(edit, Dsd(), nullptr));
  EXPECT_FALSE(m_mgr.DeleteOutputVariable(edit, nullptr));

  VelmorCommand cmd;
  OutputVariableDefParams broken(id::invalidID, L"New", L"Gain+");
  EXPECT_FALSE(m_mgr.CreateOutputVariable(broken, Dsd(), &cmd));
  broken.SetID(kept->GetID());
  EXPECT_FALSE(m_mgr.EditOutputVariable(broken, Dsd(), &cmd));
  EXPECT_FALSE(m_mgr.CreateOutputVariable(create, Dsd(99), &cmd));  // no parser for it
  OutputVariableDefParams missing(77, L"Gone", L"Gain");
  EXPECT_FALSE(m_mgr.EditOutputVariable(missing, Dsd(), &cmd));
  EXPECT_SOFT_ASSERT("outvar");
  EXPECT_FALSE(m_mgr.DeleteOutputVariable(missing, &cmd));
  EXPECT_EQ(0u, cmd.GetNumDeltaStates());
  EXPECT_EQ(0u, cmd.GetNumUndoables());
  EXPECT_EQ(nullptr, cmd.GetInfo(26));
  EXPECT_EQ(std::vector<AString>{L"Kept"}, Names());
  EXPECT_EQ(AString(L"Gain"), kept->GetValueBaseText());
  cmd.EndDo();
}

TEST_F(OutputVariableMgrTest, AVariableInUseIsNotDeleted) {
  OutputVariable* used = Create(L"Used", L"Gain");
  auto holder = std::make_unique<Value>(Units::kNoUnit);
  {
    rep::ParserForSolution parser(&m_solutions, &m_mgr, nullptr, Dsd());
    parser.OpenNameSpace();
    parser.Install();
    ASSERT_TRUE(holder->SetValueText(L"Used*3", Units::kNoUnit));
  }
  Messages().Clear();
  VelmorCommand cmd;
  OutputVariableDefParams def(used->GetID(), L"Used", L"Gain");
  EXPECT_FALSE(m_mgr.DeleteOutputVariable(def, &cmd));
  EXPECT_EQ(std::make_pair(17032, AString(L"Used")), TakeMessage());
  EXPECT_EQ(used, m_mgr.GetOutputVariable(used->GetID()));
  holder.reset();
  EXPECT_TRUE(m_mgr.DeleteOutputVariable(def, &cmd));
  cmd.EndDo();
}

TEST_F(OutputVariableMgrTest, PastePreparationDropsKeepsAndRenumbers) {
  rep::OutputVariableMgr target(&m_solutions);
  for (const wchar_t* name : {L"T1", L"T2", L"T3"}) {
    auto* v = new OutputVariable(name);
    v->SetValueBaseText(L"Gain", ValueState(1, 15, 1));
    target.ChangeOutputVariableID(v);
  }
  auto* x = new OutputVariable(L"X");
  x->SetValueBaseText(L"S11", ValueState(2, 15, 1));
  target.ChangeOutputVariableID(x);

  Adopt(L"keep", L"Gain");                         // ID 1
  Adopt(L"t2", L"Gain*2");                          // ID 2: the target's T2 stands for it
  Adopt(L"x", L"Gain", ValueState(1, 15, 1));       // ID 3: the target's X is complex
  EXPECT_TRUE(m_mgr.PrepareForPaste(target));
  // A second variable of a name the target holds would make the name stand for two: dropped.
  EXPECT_SOFT_ASSERT("0");
  std::vector<OutputVariable*> all;
  m_mgr.GetOutputVariables(all, nullptr);
  ASSERT_EQ(1u, all.size());
  EXPECT_EQ(AString(L"keep"), all[0]->GetName());
  EXPECT_EQ(5, all[0]->GetID());  // the target's next ID
  EXPECT_EQ(all[0], m_mgr.GetOutputVariable(5));
}

TEST_F(OutputVariableMgrTest, TheBlockRoundTrips) {
  Adopt(L"Seven", L"Gain*7");
  Adopt(L"Three", L"S11", ValueState(2, 15, 1));
  io::CBlock block(L"Project");
  m_mgr.DoDataExchange(block, false);
  const io::CBlock* sub = block.FindBlock(L"OutputVariables");
  ASSERT_NE(nullptr, sub);
  ASSERT_EQ(2u, sub->GetNumItems());
  EXPECT_EQ(AString(L"Seven"), sub->GetItemName(0));

  rep::OutputVariableMgr back(&m_solutions);
  EXPECT_EQ(io::kNoError, back.DoDataExchange(block, true));
  for (long id : {1L, 2L}) {
    const OutputVariable* a = m_mgr.GetOutputVariable(id);
    const OutputVariable* b = back.GetOutputVariable(id);
    ASSERT_NE(nullptr, b);
    EXPECT_EQ(a->GetName(), b->GetName());
    EXPECT_EQ(a->GetValueBaseText(), b->GetValueBaseText());
    EXPECT_EQ(a->GetValueState(), b->GetValueState());
  }
  io::CBlock again(L"Project");
  back.DoDataExchange(again, false);
  EXPECT_EQ(block, again);  // names, expressions, IDs and the next ID

  rep::OutputVariableMgr empty(&m_solutions);
  io::CBlock emptyBlock(L"Project");
  empty.DoDataExchange(emptyBlock, false);
  EXPECT_EQ(1u, emptyBlock.GetNumItems());  // only the next ID
  EXPECT_EQ(nullptr, emptyBlock.FindBlock(L"OutputVariables"));
  EXPECT_EQ(io::kNoError, back.DoDataExchange(emptyBlock, true));
}

TEST_F(OutputVariableMgrTest, DamagedBlocksLoadEveryReadableVariable) {
  const auto item = [](const wchar_t* name, long id, const wchar_t* text) {
    OutputVariable v(name);
    v.SetID(id);
    v.SetValueBaseText(text, ValueState(1, 15, 1));
    io::CBlock_func f(name);
    v.WriteToFunc(f);
    return f;
  };
  struct Case {
    std::function<void(io::CBlock&)> damage;
    std::vector<AString> namesRead;
    const char* why;
  };
  const Case cases[] = {
      {[](io::CBlock& b) { b << io::CBlock_named_value(L"Plain", io::CBlock_value(3L)); }, {L"A", L"B"},
       "a plain value among the functions"},
      {[](io::CBlock& b) { b << io::CBlock_func(L"NoArgs"); }, {L"A", L"B"}, "a function without arguments"},
      {[&](io::CBlock& b) { b << item(L"Again", 1, L"Gain*9"); }, {L"A", L"B"}, "an ID repeated: the first stays"},
      {[&](io::CBlock& b) { b << item(L"Zero", 0, L"Gain"); }, {L"A", L"B"}, "an ID that no server issues"},
      {[&](io::CBlock& b) { b << item(L"Huge", 4000000000L, L"Gain"); }, {L"A", L"B"}, "an ID beyond 32 bits"},
      {[](io::CBlock& b) { b << io::CBlock(L"Nested"); }, {L"A", L"B"}, "a sub-block"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    io::CBlock sub(L"OutputVariables");
    sub << item(L"A", 1, L"Gain");
    c.damage(sub);
    sub << item(L"B", 40, L"Gain*2");
    io::CBlock block(L"Project");
    block << io::CBlock_named_value(L"NextUniqueID", io::CBlock_value(3L));  // stale
    block << sub;
    rep::OutputVariableMgr mgr(&m_solutions);
    EXPECT_EQ(1, mgr.DoDataExchange(block, true));
    std::vector<OutputVariable*> all;
    mgr.GetOutputVariables(all, nullptr);
    std::vector<AString> names;
    for (const OutputVariable* v : all) names.push_back(v->GetName());
    EXPECT_EQ(c.namesRead, names);
    EXPECT_EQ(AString(L"Gain"), mgr.GetOutputVariable(1)->GetValueBaseText());
    // New IDs come after every ID read.
    auto* added = new OutputVariable(L"Added");
    ASSERT_TRUE(mgr.ChangeOutputVariableID(added));
    EXPECT_EQ(41, added->GetID());
  }
}

TEST_F(OutputVariableMgrTest, ADamagedNextIDGivesWayToUsableIDs) {
  struct Case {
    long next;
    long variableID;  // 0: none
    long expected;
  };
  const Case cases[] = {{-5, 0, 1}, {0, 0, 1}, {9000000000L, 3, 4}, {2, 3, 4}, {10, 3, 10}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.next);
    io::CBlock block(L"Project");
    block << io::CBlock_named_value(L"NextUniqueID", io::CBlock_value(c.next));
    if (c.variableID != 0) {
      OutputVariable v(L"Kept");
      v.SetID(c.variableID);
      v.SetValueBaseText(L"Gain", ValueState(1, 15, 1));
      io::CBlock sub(L"OutputVariables");
      io::CBlock_func item(L"Kept");
      v.WriteToFunc(item);
      sub << item;
      block << sub;
    }
    rep::OutputVariableMgr mgr(&m_solutions);
    EXPECT_EQ(io::kNoError, mgr.DoDataExchange(block, true));
    auto* added = new OutputVariable(L"Added");
    ASSERT_TRUE(mgr.ChangeOutputVariableID(added));
    EXPECT_EQ(c.expected, added->GetID());
  }
}

TEST_F(OutputVariableMgrTest, ReadingOverAHeldIDKeepsTheHeldObject) {
  OutputVariable* held = Adopt(L"Old", L"Gain");
  io::CBlock block(L"Project");
  {
    rep::OutputVariableMgr other(&m_solutions);
    auto* v = new OutputVariable(L"New");
    v->SetValueBaseText(L"S11", ValueState(2, 15, 1));
    other.ChangeOutputVariableID(v);
    other.DoDataExchange(block, false);
  }
  EXPECT_EQ(io::kNoError, m_mgr.DoDataExchange(block, true));
  EXPECT_EQ(held, m_mgr.GetOutputVariable(held->GetID()));
  EXPECT_EQ(AString(L"New"), held->GetName());
  EXPECT_EQ(AString(L"S11"), held->GetValueBaseText());
  EXPECT_EQ(2, held->GetParameterType());
}

TEST_F(OutputVariableMgrTest, EvaluationChecksAndTheirMessages) {
  Create(L"Twice", L"Gain*2");
  Adopt(L"Text", L"Gain", ValueState(10, 15, 1));  // stored as another type than its text gives
  Messages().Clear();
  refhost::ReferenceDesign design;
  struct Case {
    const wchar_t* name;
    const wchar_t* key;
    long solutionID;
    bool withDesign;
    int message;  // 0: no message; with a design the evaluation is reached and finds no sweep of L
    const wchar_t* argument;
  };
  const Case cases[] = {
      {L"", L"", 10, true, 24583, L""},
      {L"Nobody", L"", 10, true, 24555, L"Nobody"},
      {L"Text", L"", 10, true, 24618, L"Text"},
      {L"Twice", L"L=3mm", 10, false, 0, L""},  // no design object
      {L"Twice", L"Q=3mm", 10, true, 24605, L"Q=3mm"},
      {L"Twice", L"", 10, true, 0, L""},
      {L"Twice", L"L=3mm", 10, true, 0, L""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(AString(c.name).ToUtf8() + " " + AString(c.key).ToUtf8());
    Value result;
    OutputVariableDefParams def(id::invalidID, c.name, L"Gain*2");
    EXPECT_FALSE(m_mgr.EvaluateOutputVariable(result, c.key, def, Dsd(c.solutionID), c.withDesign ? &design : nullptr));
    if (c.message == 0) {
      EXPECT_TRUE(Messages().Posted().empty());
      if (c.withDesign) {
        EXPECT_SOFT_ASSERT("subsweepDef.Size()>0");
      }
      continue;
    }
    EXPECT_EQ(std::make_pair(c.message, AString(c.argument)), TakeMessage());
  }

  // A solution without variables gives no values to evaluate at.
  m_solutions.FindSolution(11)->AddQuantity(L"Gain", ValueState(1, 15, 1));
  Value result;
  OutputVariableDefParams def(id::invalidID, L"Twice", L"Gain*2");
  EXPECT_FALSE(m_mgr.EvaluateOutputVariable(result, L"", def, Dsd(11), &design));
  EXPECT_EQ(std::make_pair(24748, AString(L"Twice")), TakeMessage());

  IOutputVariableMgrForProducts& products = *m_mgr.GetIOutputVariableMgrForProducts();
  EXPECT_FALSE(products.EvaluateOutputVariable(result, L"Nobody", VariableValues(), Dsd(), &design));
  EXPECT_EQ(std::make_pair(24555, AString(L"Nobody")), TakeMessage());
  EXPECT_FALSE(products.EvaluateOutputVariable(result, L"Twice", VariableValues(), Dsd(11), &design));
  EXPECT_EQ(std::make_pair(24748, AString(L"Twice")), TakeMessage());
  EXPECT_FALSE(products.EvaluateOutputVariable(result, L"Twice", VariableValues(), Dsd(), nullptr));
  EXPECT_FALSE(products.EvaluateOutputVariable(result, L"Twice", VariableValues(), Dsd(), &design));
  EXPECT_SOFT_ASSERT("subsweepDef.Size()>0");
  EXPECT_TRUE(Messages().Posted().empty());

  // An expression over a variable that the solution defines is validated and reaches the evaluation.
  Create(L"FromSolution", L"SolVar*2");
  OutputVariableDefParams fromSolution(id::invalidID, L"FromSolution", L"SolVar*2");
  EXPECT_FALSE(m_mgr.EvaluateOutputVariable(result, L"", fromSolution, Dsd(), &design));
  EXPECT_SOFT_ASSERT("subsweepDef.Size()>0");
  EXPECT_TRUE(Messages().Posted().empty());
}

// A variable held at the top of the range leaves no ID that a read would take back: nothing new
// gets one, and what is saved reads back whole.
TEST_F(OutputVariableMgrTest, NoIDIsHandedOutThatAReadRefuses) {
  OutputVariable top(L"Top");
  top.SetID(2147483646);
  top.SetValueBaseText(L"Gain", ValueState(1, 15, 1));
  io::CBlock sub(L"OutputVariables");
  io::CBlock_func item(L"Top");
  top.WriteToFunc(item);
  sub << item;
  io::CBlock block(L"Project");
  block << sub;
  ASSERT_EQ(io::kNoError, m_mgr.DoDataExchange(block, true));
  ASSERT_NE(nullptr, m_mgr.GetOutputVariable(2147483646));

  OutputVariableDefParams def(id::invalidID, L"New", L"Gain*2");
  VelmorCommand cmd;
  EXPECT_FALSE(m_mgr.CreateOutputVariable(def, Dsd(), &cmd));
  EXPECT_EQ(std::make_pair(24464, AString(L"No ID is left for the output variable \"New\".")), TakeMessage());
  auto* other = new OutputVariable(L"Other");
  EXPECT_FALSE(m_mgr.ChangeOutputVariableID(other));
  delete other;

  rep::OutputVariableMgr pasted(&m_solutions);
  auto* p = new OutputVariable(L"Pasted");
  p->SetValueBaseText(L"Gain", ValueState(1, 15, 1));
  ASSERT_TRUE(pasted.ChangeOutputVariableID(p));
  EXPECT_TRUE(pasted.PrepareForPaste(m_mgr));
  EXPECT_EQ(std::make_pair(24464, AString(L"No ID is left for the output variable \"Pasted\".")), TakeMessage());
  std::vector<OutputVariable*> left;
  pasted.GetOutputVariables(left, nullptr);
  EXPECT_TRUE(left.empty());

  io::CBlock saved(L"Project");
  m_mgr.DoDataExchange(saved, false);
  rep::OutputVariableMgr back(&m_solutions);
  EXPECT_EQ(io::kNoError, back.DoDataExchange(saved, true));
  EXPECT_EQ(Names(), (std::vector<AString>{L"Top"}));
  ASSERT_NE(nullptr, back.GetOutputVariable(2147483646));
}

TEST_F(OutputVariableMgrTest, ValueStateOfAnExpressionTheSolutionDefines) {
  ValueState state;
  AString expression;
  EXPECT_TRUE(m_mgr.GetSolutionExpressionValueState(L"solvar", state, expression, Dsd()));
  EXPECT_EQ(AString(L"Gain*3"), expression);
  EXPECT_EQ(1, state.GetParameterType());
  EXPECT_FALSE(m_mgr.GetSolutionExpressionValueState(L"Undefined", state, expression, Dsd()));
  EXPECT_FALSE(m_mgr.GetSolutionExpressionValueState(L"SolVar", state, expression, Dsd(99)));
  EXPECT_SOFT_ASSERT("isde");
}

TEST_F(OutputVariableMgrTest, ReparsingFollowsQuantityRenamesWithUndo) {
  m_solutions.FindSolution(10)->AddQuantity(L"Power", ValueState(1, 15, 1));
  OutputVariable* v = Create(L"Twice", L"Gain*2");
  OutputVariable* other = Create(L"Other", L"S11");
  const IOutputVariableMgr::QuantityRenames renames{{L"GAIN", L"Power"}};

  m_mgr.ReparseOutputVariables(renames, nullptr);
  EXPECT_EQ(AString(L"Gain*2"), v->GetValueBaseText());  // nothing without a command

  VelmorCommand cmd;
  m_mgr.ReparseOutputVariables(renames, &cmd);
  EXPECT_EQ(AString(L"Power*2"), v->GetValueBaseText());
  EXPECT_EQ(AString(L"S11"), other->GetValueBaseText());
  EXPECT_EQ(1u, cmd.GetNumUndoables());
  cmd.EndDo();
  cmd.Undo();
  EXPECT_EQ(AString(L"Gain*2"), v->GetValueBaseText());

  // No design solution under which the text parses.
  refhost::ReferenceSolutionManager none;
  rep::OutputVariableMgr lonely(&none);
  auto* orphan = new OutputVariable(L"Orphan");
  orphan->SetValueBaseText(L"Gain", ValueState(1, 15, 1));
  lonely.ChangeOutputVariableID(orphan);
  VelmorCommand cmd2;
  lonely.ReparseOutputVariables(renames, &cmd2);
  EXPECT_SOFT_ASSERT("ovParsed");
  cmd2.EndDo();
}
