#include "quantities/SimValueInfoServer.h"

#include <memory>

#include "QuantityHost.h"
#include "orvex/core/Ids.h"
#include "orvex/core/RenameQuantitiesCmdInfo.h"
#include "orvex/core/VelmorCommand.h"
#include "postorvex/quantities/PostpQuantityUtils.h"
#include "postorvex/solution/DesignSolutionDefinition.h"

namespace {

DesignSolutionDefinition Dsd(long solutionID, unsigned reportType = 1) {
  return DesignSolutionDefinition(100, solutionID, ReportTypeSolutionDefinition(reportType));
}

// A command being done that renames the quantity `from` to `to`.
std::unique_ptr<VelmorCommand> RenameCommand(const AString& from, const AString& to) {
  auto cmd = std::make_unique<VelmorCommand>(L"Rename quantity");
  auto* renames = new RenameQuantitiesCmdInfo;
  renames->AddRename(from, to);
  cmd->AddInfo(RenameQuantitiesCmdInfo::kKind, renames);
  return cmd;
}

CompositeQuantityTypeParam Composite(int type, const std::vector<std::pair<AString, const BaseQuantityTypeParam*>>& parts) {
  CompositeQuantityTypeParam c;
  c.SetCompositeType(type);
  for (size_t i = 0; i < parts.size(); ++i) c.SetConstituent(i, parts[i].first, parts[i].second);
  return c;
}

class InfoServerTest : public ::testing::Test {
protected:
  InfoServerTest() : m_server(&m_host) {
    reptest::QuantitySolution& plain = m_host.AddQuantitySolution(10, L"Plain");
    plain.AddQuantity(L"Gain", ValueState(1, 15, 1));
    plain.AddQuantity(L"S11", ValueState(2, 15, 1));
    plain.AddEnumQuantity(L"Mode", L"ModeType");
    reptest::QuantitySolution& other = m_host.AddQuantitySolution(11, L"Other");
    other.AddQuantity(L"gain", ValueState(1, 15, 1));
    other.AddQuantity(L"S11", ValueState(1, 15, 1));  // same name, another state
  }

  reptest::QuantitySolution& Typed() {
    reptest::QuantitySolution& s = m_host.AddQuantitySolution(12, L"Typed");
    reptest::TypeProvider& types = s.UseTypeParameters();
    const QuantityTypeParam re(ValueState(1, 15, 1)), im(ValueState(1, 15, 1));
    types.Set(L"Volt", QuantityTypeParam(ValueState(1, 2, 1)));
    types.Set(L"Pick", EnumQuantityTypeParam(ValueState(15, 15, 1), L"PickType"));
    types.Set(L"BadEnum", QuantityTypeParam(ValueState(15, 15, 1)));
    const CompositeQuantityTypeParam inner = Composite(2, {{L"Re", &re}, {L"Im", &im}});
    types.Set(L"Field", Composite(1, {{L"Inner", &inner}, {L"Volt", &volt}}));
    types.Set(L"Odd", OtherQuantityTypeParam());
    return s;
  }

  reptest::QuantityHost m_host;
  rep::SimValueInfoServer m_server;
  const QuantityTypeParam volt{ValueState(1, 2, 1)};
};

}  // namespace

TEST_F(InfoServerTest, OneIDPerQuantityParameters) {
  SimValueParams params;
  const long gain = m_server.GetSimValueID(params, L"Gain", Dsd(10), 1);
  ASSERT_NE(id::invalidID, gain);
  EXPECT_EQ(AString(L"Gain"), params.GetQuantityText());
  // The same quantity in another solution, version or letter case: the same ID.
  EXPECT_EQ(gain, m_server.GetSimValueID(params, L"gain", Dsd(11), 7));
  EXPECT_EQ(gain, m_server.GetSimValueID(params, L"GAIN", Dsd(10, 2), 1));
  // Another value state: another ID, the next one.
  const long s11 = m_server.GetSimValueID(params, L"S11", Dsd(10), 1);
  const long s11Real = m_server.GetSimValueID(params, L"S11", Dsd(11), 1);
  EXPECT_EQ(gain + 1, s11);
  EXPECT_EQ(gain + 2, s11Real);
  EXPECT_EQ(3u, m_server.GetNumIDs());

  SimValueParams found;
  ASSERT_TRUE(m_server.GetSimValueParams(found, s11Real));
  EXPECT_EQ(1, found.GetValueStateRef().GetParameterType());
  SimValueParams untouched(ValueState(2, 15, 1), L"keep");
  EXPECT_FALSE(m_server.GetSimValueParams(untouched, 999));
  EXPECT_EQ(AString(L"keep"), untouched.GetQuantityText());
}

TEST_F(InfoServerTest, UnknownQuantitiesGetNoID) {
  SimValueParams params(ValueState(2, 15, 1), L"before");
  EXPECT_EQ(id::invalidID, m_server.GetSimValueID(params, L"Nothing", Dsd(10), 1));
  EXPECT_EQ(id::invalidID, m_server.GetSimValueID(params, L"Gain", Dsd(99), 1));
  EXPECT_EQ(AString(L"before"), params.GetQuantityText());
  EXPECT_EQ(0u, m_server.GetNumIDs());
  EXPECT_TRUE(m_server.IsQuantityOfSolution(L"gain", Dsd(10)));
  EXPECT_FALSE(m_server.IsQuantityOfSolution(L"Nothing", Dsd(10)));
  EXPECT_FALSE(m_server.IsQuantityOfSolution(L"Gain", Dsd(99)));
}

TEST_F(InfoServerTest, EnumerationsCarryTheirTypeName) {
  SimValueParams params;
  ASSERT_NE(id::invalidID, m_server.GetSimValueID(params, L"Mode", Dsd(10), 1));
  EXPECT_EQ(AString(L"ModeType"), params.GetEnumTypeName());

  Typed();
  ASSERT_NE(id::invalidID, m_server.GetSimValueID(params, L"Pick", Dsd(12), 1));
  EXPECT_EQ(AString(L"PickType"), params.GetEnumTypeName());
  // An enumeration described without its type name still gets an ID.
  ASSERT_NE(id::invalidID, m_server.GetSimValueID(params, L"BadEnum", Dsd(12), 1));
  EXPECT_SOFT_ASSERT("!\"where's the enum-type-name?\"");
  EXPECT_TRUE(params.GetEnumTypeName().empty());
}

TEST_F(InfoServerTest, IDsAreNeverReusedAfterARename) {
  SimValueParams params;
  const long gain = m_server.GetSimValueID(params, L"Gain", Dsd(10), 1);
  const long s11 = m_server.GetSimValueID(params, L"S11", Dsd(10), 1);
  std::unique_ptr<VelmorCommand> rename = RenameCommand(L"gain", L"Gain2");
  EXPECT_TRUE(m_server.DeleteEntriesForCommand(rename.get()));
  EXPECT_FALSE(m_server.GetSimValueParams(params, gain));
  EXPECT_TRUE(m_server.GetSimValueParams(params, s11));
  EXPECT_EQ(1u, m_server.GetNumIDs());

  // The solution now answers to the new name; the new ID is new.
  static_cast<reptest::QuantitySolution*>(m_host.GetSolution(10))->AddQuantity(L"Gain2", ValueState(1, 15, 1));
  const long renamed = m_server.GetSimValueID(params, L"Gain2", Dsd(10), 1);
  EXPECT_GT(renamed, s11);
  const long again = m_server.GetSimValueID(params, L"Gain", Dsd(10), 1);
  EXPECT_GT(again, renamed);
  EXPECT_TRUE(m_server.DeleteEntriesForCommand(nullptr));
  EXPECT_EQ(3u, m_server.GetNumIDs());
}

TEST_F(InfoServerTest, TypeInformationIsAskedOncePerContextVersion) {
  reptest::TypeProvider& types = Typed().UseTypeParameters();
  SimValueParams params;
  const long volt = m_server.GetSimValueID(params, L"Volt", Dsd(12), 1);
  ASSERT_NE(id::invalidID, volt);
  EXPECT_EQ(volt, m_server.GetSimValueID(params, L"volt", Dsd(12), 1));
  std::unique_ptr<BaseQuantityTypeParam> out;
  EXPECT_TRUE(m_server.GetQuantityTypeParam(out, L"Volt", Dsd(12), 1));
  EXPECT_EQ(1, types.Asked(L"Volt"));
  // A new version of the context asks again, once.
  EXPECT_EQ(volt, m_server.GetSimValueID(params, L"Volt", Dsd(12), 2));
  EXPECT_EQ(volt, m_server.GetSimValueID(params, L"Volt", Dsd(12), 2));
  EXPECT_EQ(2, types.Asked(L"Volt"));
  EXPECT_EQ(1, types.AskedAt(2));
  // Another report type is another context.
  m_server.GetSimValueID(params, L"Volt", Dsd(12, 5), 2);
  EXPECT_EQ(3, types.Asked(L"Volt"));
}

TEST_F(InfoServerTest, CompositesKeepTheirShapeAndGetNoID) {
  reptest::TypeProvider& types = Typed().UseTypeParameters();
  SimValueParams params(ValueState(2, 15, 1), L"before");
  EXPECT_EQ(id::invalidID, m_server.GetSimValueID(params, L"Field", Dsd(12), 1));
  EXPECT_EQ(AString(L"before"), params.GetQuantityText());

  // Built from the record, with the same structure and constituent order, without asking again.
  std::unique_ptr<BaseQuantityTypeParam> built;
  ASSERT_TRUE(m_server.GetQuantityTypeParam(built, L"field", Dsd(12), 1));
  EXPECT_EQ(1, types.Asked(L"Field"));
  const auto* field = dynamic_cast<const CompositeQuantityTypeParam*>(built.get());
  ASSERT_NE(nullptr, field);
  EXPECT_EQ(1, field->GetCompositeType());
  ASSERT_EQ(2u, field->GetNumConstituents());
  EXPECT_EQ(AString(L"Inner"), field->GetConstituentQuantityName(0));
  EXPECT_EQ(AString(L"Volt"), field->GetConstituentQuantityName(1));
  const auto* inner = dynamic_cast<const CompositeQuantityTypeParam*>(field->GetConstituentQuantityTypeParam(0));
  ASSERT_NE(nullptr, inner);
  EXPECT_EQ(2, inner->GetCompositeType());
  EXPECT_EQ(AString(L"Im"), inner->GetConstituentQuantityName(1));
  std::vector<AString> leaves;
  postp::GetLeafConstituentQuantities(*field, leaves);
  EXPECT_EQ((std::vector<AString>{L"Re", L"Im", L"Volt"}), leaves);
  // Constituents were recorded under their own names.
  ASSERT_NE(id::invalidID, m_server.GetSimValueID(params, L"Re", Dsd(12), 1));
  EXPECT_EQ(0, types.Asked(L"Re"));
}

TEST_F(InfoServerTest, AnswersThatCannotBeBuiltEnd) {
  reptest::TypeProvider& types = Typed().UseTypeParameters();
  SimValueParams params;
  // An answer of a kind the translator does not record: asked once, nothing built.
  EXPECT_EQ(id::invalidID, m_server.GetSimValueID(params, L"Odd", Dsd(12), 1));
  EXPECT_SOFT_ASSERT("!\"I don't handle this type\"");
  EXPECT_EQ(1, types.Asked(L"Odd"));

  // A composite that contains itself, and a pair that contains each other.
  const QuantityTypeParam plain(ValueState(1, 15, 1));
  types.Set(L"Loop", Composite(3, {{L"Loop", &plain}}));
  types.Set(L"PairA", Composite(3, {{L"PairB", nullptr}}));
  types.Set(L"PairB", Composite(3, {{L"PairA", nullptr}}));
  std::unique_ptr<BaseQuantityTypeParam> built;
  EXPECT_FALSE(m_server.GetQuantityTypeParam(built, L"Loop", Dsd(12), 1));
  EXPECT_FALSE(m_server.GetQuantityTypeParam(built, L"PairA", Dsd(12), 1));
  EXPECT_EQ(nullptr, built);
  EXPECT_LE(types.Asked(L"PairA"), 2);
  EXPECT_LE(types.Asked(L"PairB"), 2);

  // A solution that does not use type parameters has none to give.
  EXPECT_FALSE(m_server.GetQuantityTypeParam(built, L"Gain", Dsd(10), 1));
}

TEST_F(InfoServerTest, CommandsDropObsoleteTypeInformation) {
  reptest::QuantitySolution& typed = Typed();
  reptest::TypeProvider& types = typed.UseTypeParameters();
  SimValueParams params;
  m_server.GetSimValueID(params, L"Volt", Dsd(12), 1);
  m_server.GetSimValueID(params, L"Volt", Dsd(12, 2), 1);
  m_server.GetSimValueID(params, L"Pick", Dsd(12), 1);
  ASSERT_EQ(2, types.Asked(L"Volt"));

  // A rename drops the quantity in every context.
  std::unique_ptr<VelmorCommand> rename = RenameCommand(L"Volt", L"Volt2");
  m_server.DeleteEntriesForCommand(rename.get());
  m_server.GetSimValueID(params, L"Volt", Dsd(12), 1);
  m_server.GetSimValueID(params, L"Volt", Dsd(12, 2), 1);
  EXPECT_EQ(4, types.Asked(L"Volt"));
  m_server.GetSimValueID(params, L"Pick", Dsd(12), 1);
  EXPECT_EQ(1, types.Asked(L"Pick"));

  // The solution flags one quantity, then one whole context.
  VelmorCommand edit(L"Edit");
  typed.m_changedQuantities.insert(L"pick");
  m_server.DeleteEntriesForCommand(&edit);
  typed.m_changedQuantities.clear();
  m_server.GetSimValueID(params, L"Pick", Dsd(12), 1);
  EXPECT_EQ(2, types.Asked(L"Pick"));
  typed.m_changedContexts.insert(ReportTypeSolutionDefinition(2));
  m_server.DeleteEntriesForCommand(&edit);
  m_server.GetSimValueID(params, L"Volt", Dsd(12), 1);
  m_server.GetSimValueID(params, L"Volt", Dsd(12, 2), 1);
  EXPECT_EQ(5, types.Asked(L"Volt"));
}

TEST_F(InfoServerTest, ARefusedEnumerationTypeNameIsReportedAndChangesNothing) {
  // The server sets names on enumerations only, which take any name, an empty one too.
  SimValueParams mode(ValueState(15, 15, 1), L"Mode");
  rep::SimValueInfoServer::SetEnumTypeName(mode, AString());
  EXPECT_NO_SOFT_ASSERT();
  SimValueParams gain(ValueState(1, 15, 1), L"Gain");
  rep::SimValueInfoServer::SetEnumTypeName(gain, L"ModeType");
  EXPECT_SOFT_ASSERT("setRetVal");
  EXPECT_EQ(AString(), gain.GetEnumTypeName());
}

TEST_F(InfoServerTest, ACompositeRecordedWithoutTypeIsReportedAndStillBuilt) {
  reptest::TypeProvider& types = Typed().UseTypeParameters();
  types.Set(L"Untyped", Composite(0, {{L"Volt", &volt}}));
  std::unique_ptr<BaseQuantityTypeParam> built;
  ASSERT_TRUE(m_server.GetQuantityTypeParam(built, L"Untyped", Dsd(12), 1));
  EXPECT_SOFT_ASSERT("dit->second.m_type!=rep::kInvalidCompositeType");
  const auto* untyped = dynamic_cast<const CompositeQuantityTypeParam*>(built.get());
  ASSERT_NE(nullptr, untyped);
  EXPECT_EQ(0, untyped->GetCompositeType());
  ASSERT_EQ(1u, untyped->GetNumConstituents());
  EXPECT_EQ(AString(L"Volt"), untyped->GetConstituentQuantityName(0));

  // Built again from the record, with the report again; as a composite it gets no ID.
  SimValueParams params;
  EXPECT_EQ(id::invalidID, m_server.GetSimValueID(params, L"Untyped", Dsd(12), 1));
  EXPECT_SOFT_ASSERT("dit->second.m_type!=rep::kInvalidCompositeType");
  EXPECT_EQ(1, types.Asked(L"Untyped"));
}
