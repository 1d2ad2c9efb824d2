#include "quantities/SimValueInfoServer.h"

#include <memory>

#include "QuantityHost.h"
#include "orvex/core/Ids.h"
#include "orvex/io/BlockFile.h"
#include "orvex/io/NamedValue.h"
#include "postorvex/quantities/PostpQuantityUtils.h"
#include "postorvex/solution/DesignSolutionDefinition.h"

namespace {

DesignSolutionDefinition Dsd(long solutionID = 12) {
  return DesignSolutionDefinition(100, solutionID, ReportTypeSolutionDefinition(1));
}

class InfoBlockTest : public ::testing::Test {
protected:
  InfoBlockTest() {
    reptest::QuantitySolution& plain = m_host.AddQuantitySolution(10, L"Plain");
    plain.AddQuantity(L"Gain", ValueState(1, 15, 1));
    plain.AddEnumQuantity(L"Mode", L"ModeType");
    reptest::TypeProvider& types = m_host.AddQuantitySolution(12, L"Typed").UseTypeParameters();
    const QuantityTypeParam re(ValueState(1, 15, 1));
    CompositeQuantityTypeParam field;
    field.SetCompositeType(4);
    field.SetConstituent(0, L"Re", &re);
    field.SetConstituent(1, L"Pick", nullptr);
    types.Set(L"Field", field);
    types.Set(L"Pick", EnumQuantityTypeParam(ValueState(15, 15, 1), L"PickType"));
  }
  static AString Text(const io::CBlock& block) { return io::BlockToText(block); }
  static io::CBlock FromText(const AString& text) {
    io::CBlock block;
    EXPECT_TRUE(io::BlockFromText(text, block));
    return block;
  }

  reptest::QuantityHost m_host;
};

// The "InfoServer2" block the rich cache below writes, and the one read from it.
const AString kRichInfo = LR"(InfoServer2 {
  InfoServer2ID = 0.0
  DesignMap {
    DesignID = 100
    SolutionMap {
      ContextMap {
        SolutionID = 10
        VersionMap {
          ReportTypeSolnDef {
            ReportType = 1
            SimValueContext(3, 0, 2, 0, 1.0, 1.0, 0.0, 0.0)
          }
        }
      }
      ContextMap {
        SolutionID = 12
        VersionMap {
          ReportTypeSolnDef {
            ReportType = 1
            SimValueContext(1, 2, 3, 4, 0.5, 2.0, 0.25, 8.0)
          }
          Elem {
            VersionID = 1
            InfoAtCtxtVersion {
              QtyValueStateInfo {
                Pick(15, 15, 1, 90)
              }
              CompQtyInfo {
              }
              EnumQtyInfo {
                Pick("PickType")
              }
              EnumReps {
              }
            }
          }
        }
        VersionMap {
          ReportTypeSolnDef {
            ReportType = 1
            SimValueContext(3, 0, 2, 0, 1.0, 1.0, 0.0, 0.0)
          }
          Elem {
            VersionID = 1
            InfoAtCtxtVersion {
              QtyValueStateInfo {
                Pick(15, 15, 1, 90)
              }
              CompQtyInfo {
              }
              EnumQtyInfo {
                Pick("PickType")
              }
              EnumReps {
              }
            }
          }
          Elem {
            VersionID = 3
            InfoAtCtxtVersion {
              QtyValueStateInfo {
                Pick(15, 15, 1, 90)
                Re(1, 15, 1, 90)
              }
              CompQtyInfo {
                Field(4, ConstituentQs("Re", "Pick"))
              }
              EnumQtyInfo {
                Pick("PickType")
              }
              EnumReps {
              }
            }
          }
        }
        VersionMap {
          ReportTypeSolnDef {
            ReportType = 2
            SimValueContext(3, 0, 2, 0, 1.0, 1.0, 0.0, 0.0)
          }
          Elem {
            VersionID = 1
            InfoAtCtxtVersion {
              QtyValueStateInfo {
                Pick(15, 15, 1, 90)
                Re(1, 15, 1, 90)
              }
              CompQtyInfo {
                Field(4, ConstituentQs("Re", "Pick"))
              }
              EnumQtyInfo {
                Pick("PickType")
              }
              EnumReps {
              }
            }
          }
        }
      }
      ContextMap {
        SolutionID = 99
        VersionMap {
          ReportTypeSolnDef {
            ReportType = 1
            SimValueContext(3, 0, 2, 0, 1.0, 1.0, 0.0, 0.0)
          }
        }
      }
    }
  }
  DesignMap {
    DesignID = 200
    SolutionMap {
      ContextMap {
        SolutionID = 12
        VersionMap {
          ReportTypeSolnDef {
            ReportType = 1
            SimValueContext(3, 0, 2, 0, 1.0, 1.0, 0.0, 0.0)
          }
          Elem {
            VersionID = 2
            InfoAtCtxtVersion {
              QtyValueStateInfo {
                Pick(15, 15, 1, 90)
                Re(1, 15, 1, 90)
              }
              CompQtyInfo {
                Field(4, ConstituentQs("Re", "Pick"))
              }
              EnumQtyInfo {
                Pick("PickType")
              }
              EnumReps {
              }
            }
          }
        }
      }
    }
  }
  DesignMap {
    DesignID = 300
    SolutionMap {
      ContextMap {
        SolutionID = 12
        VersionMap {
          ReportTypeSolnDef {
            ReportType = 4
            SimValueContext(3, 0, 2, 0, 1.0, 1.0, 0.0, 0.0)
          }
          Elem {
            VersionID = 8
            InfoAtCtxtVersion {
              QtyValueStateInfo {
                P(15, 15, 1, 90)
              }
              CompQtyInfo {
              }
              EnumQtyInfo {
                P("PType")
              }
              EnumReps {
                PType("-3" = "minus three", "1" = "one")
              }
            }
          }
        }
      }
    }
  }
}
)";
const AString kRichInfoReread = LR"(InfoServer2 {
  InfoServer2ID = 0.0
  DesignMap {
    DesignID = 100
    SolutionMap {
      ContextMap {
        SolutionID = 10
        VersionMap {
          ReportTypeSolnDef {
            ReportType = 1
            SimValueContext(3, 0, 2, 0, 1.0, 1.0, 0.0, 0.0)
          }
        }
      }
      ContextMap {
        SolutionID = 12
        VersionMap {
          ReportTypeSolnDef {
            ReportType = 1
            SimValueContext(1, 2, 3, 4, 0.5, 2.0, 0.25, 8.0)
          }
          Elem {
            VersionID = 1
            InfoAtCtxtVersion {
              QtyValueStateInfo {
                Pick(15, 15, 1, 90)
              }
              CompQtyInfo {
              }
              EnumQtyInfo {
                Pick("PickType")
              }
              EnumReps {
              }
            }
          }
        }
        VersionMap {
          ReportTypeSolnDef {
            ReportType = 1
            SimValueContext(3, 0, 2, 0, 1.0, 1.0, 0.0, 0.0)
          }
          Elem {
            VersionID = 1
            InfoAtCtxtVersion {
              QtyValueStateInfo {
                Pick(15, 15, 1, 90)
              }
              CompQtyInfo {
              }
              EnumQtyInfo {
                Pick("PickType")
              }
              EnumReps {
              }
            }
          }
          Elem {
            VersionID = 3
            InfoAtCtxtVersion {
              QtyValueStateInfo {
                Pick(15, 15, 1, 90)
                Re(1, 15, 1, 90)
              }
              CompQtyInfo {
                Field(4, ConstituentQs("Re", "Pick"))
              }
              EnumQtyInfo {
                Pick("PickType")
              }
              EnumReps {
              }
            }
          }
        }
        VersionMap {
          ReportTypeSolnDef {
            ReportType = 2
            SimValueContext(3, 0, 2, 0, 1.0, 1.0, 0.0, 0.0)
          }
          Elem {
            VersionID = 1
            InfoAtCtxtVersion {
              QtyValueStateInfo {
                Pick(15, 15, 1, 90)
                Re(1, 15, 1, 90)
              }
              CompQtyInfo {
                Field(4, ConstituentQs("Re", "Pick"))
              }
              EnumQtyInfo {
                Pick("PickType")
              }
              EnumReps {
              }
            }
          }
        }
      }
      ContextMap {
        SolutionID = 99
      }
    }
  }
  DesignMap {
    DesignID = 200
    SolutionMap {
      ContextMap {
        SolutionID = 12
        VersionMap {
          ReportTypeSolnDef {
            ReportType = 1
            SimValueContext(3, 0, 2, 0, 1.0, 1.0, 0.0, 0.0)
          }
          Elem {
            VersionID = 2
            InfoAtCtxtVersion {
              QtyValueStateInfo {
                Pick(15, 15, 1, 90)
                Re(1, 15, 1, 90)
              }
              CompQtyInfo {
                Field(4, ConstituentQs("Re", "Pick"))
              }
              EnumQtyInfo {
                Pick("PickType")
              }
              EnumReps {
              }
            }
          }
        }
      }
    }
  }
  DesignMap {
    DesignID = 300
    SolutionMap {
      ContextMap {
        SolutionID = 12
        VersionMap {
          ReportTypeSolnDef {
            ReportType = 4
            SimValueContext(3, 0, 2, 0, 1.0, 1.0, 0.0, 0.0)
          }
          Elem {
            VersionID = 8
            InfoAtCtxtVersion {
              QtyValueStateInfo {
                P(15, 15, 1, 90)
              }
              CompQtyInfo {
              }
              EnumQtyInfo {
                P("PType")
              }
              EnumReps {
                PType("-3" = "minus three", "1" = "one")
              }
            }
          }
        }
      }
    }
  }
}
)";

}  // namespace

TEST_F(InfoBlockTest, RoundTripOfIDsAndTypeInformation) {
  rep::SimValueInfoServer server(&m_host);
  SimValueParams params;
  const long gain = server.GetSimValueID(params, L"Gain", Dsd(10), 1);
  const long mode = server.GetSimValueID(params, L"Mode", Dsd(10), 1);
  std::unique_ptr<BaseQuantityTypeParam> field;
  ASSERT_TRUE(server.GetQuantityTypeParam(field, L"Field", Dsd(), 3));
  io::CBlock written(L"SimValueInfos");
  EXPECT_TRUE(server.WriteToBlock(written));
  EXPECT_NE(nullptr, written.FindBlock(L"InfoServer2"));

  rep::SimValueInfoServer read(&m_host);
  EXPECT_EQ(io::kNoError, read.ReadFromBlock(FromText(Text(written))));
  ASSERT_TRUE(read.GetSimValueParams(params, mode));
  EXPECT_EQ(AString(L"ModeType"), params.GetEnumTypeName());
  EXPECT_EQ(gain, read.GetSimValueID(params, L"gain", Dsd(10), 5));
  // The type information answers without asking the solution again.
  std::unique_ptr<BaseQuantityTypeParam> again;
  ASSERT_TRUE(read.GetQuantityTypeParam(again, L"Field", Dsd(), 3));
  EXPECT_EQ(1, static_cast<reptest::QuantitySolution*>(m_host.GetSolution(12))->UseTypeParameters().Asked(L"Field"));
  io::CBlock rewritten(L"SimValueInfos");
  read.WriteToBlock(rewritten);
  EXPECT_EQ(Text(written), Text(rewritten));
  // The next ID continues after what was read.
  static_cast<reptest::QuantitySolution*>(m_host.GetSolution(10))->AddQuantity(L"New", ValueState(1, 15, 1));
  EXPECT_GT(read.GetSimValueID(params, L"New", Dsd(10), 1), mode);
}

// A cache header naming IDs beyond 32 bits: such an entry is dropped and such a state ignored, so
// that the next ID issued is one that a later read takes back. A server read at the end of the
// range issues none.
TEST_F(InfoBlockTest, IDsBeyondThirtyTwoBitsAreDamage) {
  struct Case {
    const wchar_t* next;
    const wchar_t* entryID;
    long heldIDs;
    long issued;
  };
  const Case cases[] = {
      {L"9", L"3", 1, 9},
      {L"9", L"9223372036854775807", 0, 9},
      {L"9", L"2147483647", 0, 9},
      {L"9223372036854775807", L"3", 1, 4},
      {L"2147483648", L"3", 1, 4},
      {L"2147483647", L"3", 1, id::invalidID},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(AString(c.next).ToUtf8() + " " + AString(c.entryID).ToUtf8());
    rep::SimValueInfoServer server(&m_host);
    EXPECT_EQ(io::kNoError, server.ReadFromBlock(FromText(
                                AString(L"SimValueInfos {\n NextUniqueID = ") + c.next + L"\n SimValue { ID = " +
                                c.entryID + L" SimValueParams { QuantityText = \"A\" ValueState(1, 15, 1, 90) } }\n}\n")));
    EXPECT_EQ(static_cast<size_t>(c.heldIDs), server.GetNumIDs());
    SimValueParams params;
    EXPECT_EQ(c.issued, server.GetSimValueID(params, L"Gain", Dsd(10), 1));
  }
}

TEST_F(InfoBlockTest, EmptyLevelsAreWrittenAndReadBack) {
  rep::SimValueInfoServer server(&m_host);
  io::CBlock none(L"SimValueInfos");
  server.WriteToBlock(none);
  EXPECT_EQ(nullptr, none.FindBlock(L"InfoServer2"));

  // One request that found nothing leaves the upper levels behind.
  std::unique_ptr<BaseQuantityTypeParam> param;
  EXPECT_FALSE(server.GetQuantityTypeParam(param, L"Nothing", Dsd(), 1));
  io::CBlock written(L"SimValueInfos");
  server.WriteToBlock(written);
  const io::CBlock* info2 = written.FindBlock(L"InfoServer2");
  ASSERT_NE(nullptr, info2);
  const io::CBlock* versionMap =
      info2->FindBlock(L"DesignMap")->FindBlock(L"SolutionMap")->FindBlock(L"ContextMap")->FindBlock(L"VersionMap");
  ASSERT_NE(nullptr, versionMap);
  EXPECT_NE(nullptr, versionMap->FindBlock(L"ReportTypeSolnDef"));
  EXPECT_EQ(nullptr, versionMap->FindBlock(L"Elem"));

  rep::SimValueInfoServer read(&m_host);
  read.ReadFromBlock(written);
  EXPECT_FALSE(read.GetTypeInformation().IsEmpty());
  io::CBlock rewritten(L"SimValueInfos");
  read.WriteToBlock(rewritten);
  EXPECT_EQ(Text(written), Text(rewritten));
}

TEST_F(InfoBlockTest, ReadingIsStrictWhereTheFormatIs) {
  const AString base =
      L"SimValueInfos {\n NextUniqueID = 9\n"
      L" simvalue { ID = 3 SimValueParams { QuantityText = \"A\" ValueState(1, 15, 1, 90) } }\n"
      L" SimValue { SimValueParams { QuantityText = \"NoID\" ValueState(1, 15, 1, 90) } }\n"
      L" SimValue { ID = 4 }\n"
      L" SimValue { ID = 5 SimValueParams { QuantityText = \"BadState\" } }\n";
  struct Case {
    AString infoServer2;
    const char* why;
    bool typeInfo;
  };
  const AString design = L"DesignMap { DesignID = 100 SolutionMap { ContextMap { SolutionID = 12 VersionMap {"
                         L" ReportTypeSolnDef { ReportType = 1 SimValueContext(3, 0, 2, 0, 1.0, 1.0, 0.0, 0.0) }"
                         L" Elem { VersionID = 1 InfoAtCtxtVersion { QtyValueStateInfo { Q(1, 15, 1, 90) }"
                         L" CompQtyInfo { } EnumQtyInfo { } EnumReps { } } } } } } }";
  const Case cases[] = {
      {L"InfoServer2 { InfoServer2ID = 0.0 " + design + L" }", "a written marker", true},
      {L"InfoServer2 { InfoServer2ID = -0.0 " + design + L" }", "a negative zero", true},
      {L"InfoServer2 { InfoServer2ID = 1e-20 " + design + L" }", "only zero passes", false},
      {L"InfoServer2 { " + design + L" }", "no marker", false},
      {L"InfoServer2 { InfoServer2ID = 0.0 " + AString(design).replace(0, 9, L"designmap") + L" }",
       "the design level is matched exactly", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    rep::SimValueInfoServer server(&m_host);
    EXPECT_EQ(io::kNoError, server.ReadFromBlock(FromText(base + c.infoServer2 + L"\n}\n")));
    // The entries without parameters and with a state that does not read.
    EXPECT_SOFT_ASSERT("0");
    EXPECT_SOFT_ASSERT("0");
    // Only the complete entry is recorded; no entry takes another's ID.
    SimValueParams params;
    EXPECT_EQ(1u, server.GetNumIDs());
    ASSERT_TRUE(server.GetSimValueParams(params, 3));
    EXPECT_EQ(AString(L"A"), params.GetQuantityText());
    EXPECT_FALSE(server.GetSimValueParams(params, 4));
    EXPECT_FALSE(server.GetSimValueParams(params, 5));
    std::unique_ptr<BaseQuantityTypeParam> q;
    EXPECT_EQ(c.typeInfo, server.GetTypeInformation().GetCache().Begin() != server.GetTypeInformation().GetCache().End());
  }
}

TEST_F(InfoBlockTest, RecordsKeepWhatReadsAndDropWhatDoesNot) {
  const AString text =
      L"InfoServer2 { InfoServer2ID = 0.0 DesignMap { DesignID = 100 SolutionMap { ContextMap { SolutionID = 12"
      L" VersionMap { ReportTypeSolnDef { ReportType = 1 SimValueContext(3, 0, 2, 0, 1.0, 1.0, 0.0, 0.0) }"
      L" Elem { VersionID = 1 InfoAtCtxtVersion {"
      L"  QtyValueStateInfo { Q(1, 15, 1, 90) Bad(\"x\") E(15, 15, 1, 90) }"
      L"  CompQtyInfo { C(2, ConstituentQs(\"Q\", \"\", \"E\")) Zero(0, ConstituentQs(\"Q\")) Empty(3, ConstituentQs()) }"
      L"  EnumQtyInfo { E(\"EType\") }"
      L"  EnumReps { EType(\"2\" = \"two\", \"10\" = \"ten\", x = \"skipped\") } } }"
      L" Elem { VersionID = 2 InfoAtCtxtVersion { QtyValueStateInfo { } } } } } } } }";
  rep::SimValueInfoServer2 types(&m_host);
  EXPECT_NE(io::kNoError, types.ReadFromBlock(FromText(text)));  // version 2 lacks sub-blocks

  io::CBlock written(L"InfoServer2");
  types.WriteToBlock(written);
  const AString out = Text(written);
  EXPECT_NE(AString::npos, out.find(L"C(2, ConstituentQs(\"Q\", \"E\"))"));
  EXPECT_EQ(AString::npos, out.find(L"Zero("));
  EXPECT_EQ(AString::npos, out.find(L"Empty("));
  EXPECT_EQ(AString::npos, out.find(L"Bad("));
  EXPECT_NE(AString::npos, out.find(L"EType(\"2\" = \"two\", \"10\" = \"ten\")"));
  EXPECT_EQ(AString::npos, out.find(L"VersionID = 2"));

  std::unique_ptr<BaseQuantityTypeParam> c;
  ASSERT_TRUE(types.GetQuantityTypeParam(c, L"c", DesignSolutionDefinition(100, 12, ReportTypeSolutionDefinition(1)), 1));
  ASSERT_EQ(2u, dynamic_cast<CompositeQuantityTypeParam*>(c.get())->GetNumConstituents());
  const auto* e = dynamic_cast<const EnumQuantityTypeParam*>(
      dynamic_cast<CompositeQuantityTypeParam*>(c.get())->GetConstituentQuantityTypeParam(1));
  ASSERT_NE(nullptr, e);
  EXPECT_EQ(AString(L"EType"), e->GetEnumTypeName());
}

TEST_F(InfoBlockTest, TheTypeInformationIsWrittenAsItAlwaysWas) {
  rep::SimValueInfoServer2 types(&m_host);
  // Enumeration texts only come from a block.
  ASSERT_EQ(io::kNoError,
            types.ReadFromBlock(FromText(
                L"InfoServer2 { InfoServer2ID = 0.0 DesignMap { DesignID = 300 SolutionMap { ContextMap {"
                L" SolutionID = 12 VersionMap { ReportTypeSolnDef { ReportType = 4 } Elem { VersionID = 8"
                L" InfoAtCtxtVersion { QtyValueStateInfo { P(15, 15, 1, 90) } CompQtyInfo { } EnumQtyInfo {"
                L" P(\"PType\") } EnumReps { PType(\"1\" = \"one\", \"-3\" = \"minus three\") } } } } } } } }")));
  // Designs, solutions, contexts and versions in several numbers; a solution without type
  // information and one the host does not know leave empty levels.
  const ReportTypeSolutionDefinition shifted(1, SimValueContext(1, 2, 3, 4, 0.5, 2.0, 0.25, 8.0));
  const struct {
    DesignSolutionDefinition dsd;
    long version;
    const wchar_t* quantity;
  } asked[] = {
      {Dsd(), 3, L"Field"},
      {Dsd(), 1, L"Pick"},
      {DesignSolutionDefinition(100, 12, ReportTypeSolutionDefinition(2)), 1, L"Field"},
      {DesignSolutionDefinition(100, 12, shifted), 1, L"Pick"},
      {DesignSolutionDefinition(200, 12, ReportTypeSolutionDefinition(1)), 2, L"Field"},
      {Dsd(10), 1, L"Field"},
      {Dsd(99), 1, L"Field"},
  };
  for (const auto& a : asked) {
    std::unique_ptr<BaseQuantityTypeParam> param;
    types.GetQuantityTypeParam(param, a.quantity, a.dsd, a.version);
  }
  io::CBlock written(L"InfoServer2");
  ASSERT_TRUE(types.WriteToBlock(written));
  EXPECT_EQ(kRichInfo, Text(written));

  // Read back and written again: what the host's unknown solution held is skipped.
  rep::SimValueInfoServer2 read(&m_host);
  EXPECT_EQ(io::kNoError, read.ReadFromBlock(FromText(Text(written))));
  io::CBlock rewritten(L"InfoServer2");
  read.WriteToBlock(rewritten);
  EXPECT_EQ(kRichInfoReread, Text(rewritten));
}

TEST_F(InfoBlockTest, WhatCannotBeWrittenIsReportedAndTheRestIsKept) {
  rep::SimValueInfoServer server(&m_host);
  std::unique_ptr<BaseQuantityTypeParam> field;
  ASSERT_TRUE(server.GetQuantityTypeParam(field, L"Field", Dsd(), 3));
  // A version without record: its "Elem" keeps only the version ID.
  server.GetTypeInformationForEdit().GetCacheForEdit().StoreRecord(100, 12, ReportTypeSolutionDefinition(1), 4,
                                                                   nullptr);
  io::CBlock written(L"SimValueInfos");
  EXPECT_TRUE(server.WriteToBlock(written));
  EXPECT_SOFT_ASSERT("!\"No quantity info at version!\"");
  EXPECT_NE(AString::npos, Text(written).find(L"Elem {\n"));
  EXPECT_NE(AString::npos, Text(written).find(L"VersionID = 4\n"));

  // Parameters that fail to write: their block is added all the same, and skipped on reading.
  struct UnwritableParams {
    io::ReadError DoDataExchange(io::CBlock&, bool) { return io::kWriteFailed; }
  } unwritable;
  rep::SimValueInfoServer::AppendSimValueBlock(written, 7, unwritable);
  EXPECT_SOFT_ASSERT("svpReadError==io::kNoError");
  const io::CBlock* simValue = written.GetBlock(written.GetNumItems() - 1);
  ASSERT_NE(nullptr, simValue);
  EXPECT_EQ(AString(L"SimValue"), simValue->GetName());
  EXPECT_NE(nullptr, simValue->FindBlock(L"SimValueParams"));

  rep::SimValueInfoServer read(&m_host);
  EXPECT_EQ(io::kNoError, read.ReadFromBlock(written)) << "the record and the entry are left out silently";
  EXPECT_SOFT_ASSERT("0");
  SimValueParams params;
  EXPECT_FALSE(read.GetSimValueParams(params, 7));
  io::CBlock rewritten(L"SimValueInfos");
  read.WriteToBlock(rewritten);
  EXPECT_EQ(AString::npos, Text(rewritten).find(L"VersionID = 4"));
  std::unique_ptr<BaseQuantityTypeParam> again;
  EXPECT_TRUE(read.GetQuantityTypeParam(again, L"Field", Dsd(), 3));
}
