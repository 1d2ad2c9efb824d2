#include "orvex/core/CUndoableVersion.h"
#include "orvex/io/Block.h"

#include "RepTest.h"

TEST(CUndoableVersion, BlockRoundTripAndOlderBlocks) {
  CUndoableVersion v;
  v.Increment();
  v.Increment();
  io::CBlock block(L"TraceDef");
  EXPECT_EQ(io::kNoError, v.DoDataExchange(block, false));
  CUndoableVersion read;
  EXPECT_EQ(io::kNoError, read.DoDataExchange(block, true));
  EXPECT_EQ(2u, read.GetVersion());

  io::CBlock older(L"TraceDef");
  EXPECT_EQ(io::kNoError, read.DoDataExchange(older, true));
  EXPECT_EQ(2u, read.GetVersion());

  io::CBlock damaged(L"TraceDef");
  damaged << io::CBlock_named_value(L"UndoableVersion", io::CBlock_value(AString(L"two")));
  EXPECT_EQ(io::kConversionFailed, read.DoDataExchange(damaged, true));
  EXPECT_EQ(2u, read.GetVersion());
}
