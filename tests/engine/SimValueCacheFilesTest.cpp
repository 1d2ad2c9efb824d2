#include "quantities/SimValueDataCache.h"

#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <map>
#include <set>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "FailingFileService.h"
#include "SimValueCacheFixture.h"
#include "orvex/core/Ids.h"
#include "orvex/core/MessageLog.h"
#include "orvex/io/NamedValue.h"
#include "orvex/io/SavedFile.h"
#include "postorvex/connectivity/ConnectedVVObject.h"

using reptest::CacheTest;

namespace {

class CacheFilesTest : public CacheTest {
protected:
  AString FullPath(const AString& name) const {
    return ManagedFileService::GetInstance()->GetFullPathText(L"svcache", name);
  }
  std::string HeaderText() const { return reptest::ReadFileBytes(FullPath(m_cache.GetHeaderFileName()).ToUtf8()); }
  void SetHeaderText(const std::string& text) {
    reptest::WriteFileBytes(FullPath(m_cache.GetHeaderFileName()).ToUtf8(), text);
  }
  std::string Folder() const { return std::filesystem::path(FullPath(L"x").ToUtf8()).parent_path().string(); }
  // The files of the cache folder, with their bytes.
  std::map<std::string, std::string> FolderFiles() const {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(Folder()))
      files[entry.path().filename().string()] = reptest::ReadFileBytes(entry.path().string());
    return files;
  }
  std::set<std::string> FolderNames() const {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(Folder())) names.insert(entry.path().filename().string());
    return names;
  }
  // The minor files that the header on disk names.
  std::set<std::string> NamedByHeader(const AString& header) const {
    std::set<std::string> names;
    const std::string text = reptest::ReadFileBytes(FullPath(header).ToUtf8());
    const std::string key = "MinorCacheFile = \"";
    for (size_t at = text.find(key); at != std::string::npos; at = text.find(key, at)) {
      at += key.size();
      names.insert(text.substr(at, text.find('"', at) - at));
    }
    return names;
  }
  // Checks that the header on disk names one minor file per major variation, each there, that
  // they read back as one save's, and that a save then leaves nothing beside the header and the
  // files it names. Answers the Gain values read back, the same at every major variation.
  std::vector<double> ExpectOneSaveWhole(const AString& header, const io::CBlock& project,
                                         const std::vector<double>& majors) {
    const std::set<std::string> files = FolderNames();
    const std::set<std::string> named = NamedByHeader(header);
    EXPECT_EQ(majors.size(), named.size());
    for (const std::string& minor : named) EXPECT_TRUE(files.count(minor)) << minor << " is named but gone";
    rep::SimValueDataCache reopened(&m_host);
    reopened.ReadCacheFiles(project);
    const std::vector<double> gain = Values(FindIn(reopened, majors.at(0), 1), m_gain);
    for (double l : majors) EXPECT_EQ(gain, Values(FindIn(reopened, l, 1), m_gain)) << "L=" << l;
    io::CBlock again;
    EXPECT_TRUE(reopened.WriteCacheFiles(again));
    std::set<std::string> expected = NamedByHeader(header);
    expected.insert(header.ToUtf8());
    EXPECT_EQ(expected, FolderNames());
    return gain;
  }
  void PutBackFolder(const std::map<std::string, std::string>& files) const {
    for (const auto& entry : FolderFiles())
      if (!files.count(entry.first)) std::filesystem::remove(Folder() + "/" + entry.first);
    for (const auto& file : files) reptest::WriteFileBytes(Folder() + "/" + file.first, file.second);
  }

  MinorSweepCache* FindIn(rep::SimValueDataCache& cache, double l, double w, long version = 1) const {
    VariableValuesContext current(Major(l, w));
    return cache.GetMinorSweepCacheAtCurrVarVals(m_f, {m_l, m_w}, Dsd(), version);
  }
  static bool SameBits(const std::vector<double>& a, const std::vector<double>& b) {
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0);
  }
  // Every version entry holds points with caches, and nothing else.
  static void ExpectConsistent(const rep::SimValueDataCache& cache) {
    for (const auto& d : cache.GetDesignMap())
      for (const auto& s : d.second)
        for (const auto& c : s.second)
          for (const auto& v : c.second) {
            ASSERT_NE(nullptr, v.second);
            std::list<VVLeafData*> data;
            v.second->GetAllData(data);
            EXPECT_FALSE(data.empty());
            for (VVLeafData* datum : data) EXPECT_NE(nullptr, dynamic_cast<MinorVVsCache*>(datum));
          }
  }
  static size_t NumPoints(const rep::SimValueDataCache& cache) {
    size_t n = 0;
    for (const auto& d : cache.GetDesignMap())
      for (const auto& s : d.second)
        for (const auto& c : s.second)
          for (const auto& v : c.second) {
            std::list<VVLeafData*> data;
            v.second->GetAllData(data);
            n += data.size();
          }
    return n;
  }
  static size_t NumVersionEntries(const rep::SimValueDataCache& cache) {
    size_t n = 0;
    for (const auto& d : cache.GetDesignMap())
      for (const auto& s : d.second)
        for (const auto& c : s.second) n += c.second.size();
    return n;
  }

  reptest::FailingFileService m_failing{*ManagedFileService::GetInstance()};
};

// Values that a text form easily gets wrong.
const std::vector<double> kAwkward = {0.1 + 0.2, -0.0, 1e-308, 4.9e-324, 1.7976931348623157e308,
                                      std::numeric_limits<double>::quiet_NaN(), -1.0 / 3.0};

// The "SimValueCache" tree of the header the rich cache below writes, and of the one read from it.
const std::string kRichTree = R"(SimValueCache {
  DesignMap {
    DesignID = 50
    SolutionMap {
    }
  }
  DesignMap {
    DesignID = 100
    SolutionMap {
      ContextMap {
        SolutionID = 10
        VersionMap {
          ReportTypeSolnDef {
            ReportType = 1
            SimValueContext(1, 2, 3, 4, 0.5, 2.0, 0.25, 8.0)
          }
          MajorVVMap {
            VersionID = 4
            MinorVVMap {
              MajorVariation = "L=3mm, W=1mm"
              MinorCacheFile = "HDR1-MVC1.dat"
            }
          }
        }
        VersionMap {
          ReportTypeSolnDef {
            ReportType = 1
            SimValueContext(3, 0, 2, 0, 1.0, 1.0, 0.0, 0.0)
          }
          MajorVVMap {
            VersionID = 1
            MinorVVMap {
              MajorVariation = "L=1mm, W=1mm"
              MinorCacheFile = "HDR1-MVC2.dat"
            }
            MinorVVMap {
              MajorVariation = "L=2mm, W=1mm"
              MinorCacheFile = "HDR1-MVC3.dat"
            }
          }
          MajorVVMap {
            VersionID = 2
            MinorVVMap {
              MajorVariation = "L=1mm, W=1mm"
              MinorCacheFile = "HDR1-MVC4.dat"
            }
          }
          MajorVVMap {
            VersionID = 7
          }
        }
        VersionMap {
          ReportTypeSolnDef {
            ReportType = 2
            SimValueContext(3, 0, 2, 0, 1.0, 1.0, 0.0, 0.0)
          }
          MajorVVMap {
            VersionID = 1
            MinorVVMap {
              MajorVariation = "L=1mm, W=2mm"
              MinorCacheFile = "HDR1-MVC5.dat"
            }
          }
        }
      }
      ContextMap {
        SolutionID = 11
        VersionMap {
          ReportTypeSolnDef {
            ReportType = 1
            SimValueContext(3, 0, 2, 0, 1.0, 1.0, 0.0, 0.0)
          }
          MajorVVMap {
            VersionID = 1
            MinorVVMap {
              MajorVariation = "L=4mm, W=1mm"
              MinorCacheFile = "HDR1-MVC6.dat"
            }
          }
        }
      }
      ContextMap {
        SolutionID = 12
      }
    }
  }
  DesignMap {
    DesignID = 200
    SolutionMap {
      ContextMap {
        SolutionID = 10
        VersionMap {
          ReportTypeSolnDef {
            ReportType = 3
            SimValueContext(3, 0, 2, 0, 1.0, 1.0, 0.0, 0.0)
          }
          MajorVVMap {
            VersionID = 9
            MinorVVMap {
              MajorVariation = "L=5mm, W=1mm"
              MinorCacheFile = "HDR1-MVC7.dat"
            }
          }
        }
      }
    }
  }
}
)";
const std::string kRichTreeReread = R"(SimValueCache {
  DesignMap {
    DesignID = 50
    SolutionMap {
    }
  }
  DesignMap {
    DesignID = 100
    SolutionMap {
      ContextMap {
        SolutionID = 10
        VersionMap {
          ReportTypeSolnDef {
            ReportType = 1
            SimValueContext(1, 2, 3, 4, 0.5, 2.0, 0.25, 8.0)
          }
          MajorVVMap {
            VersionID = 4
            MinorVVMap {
              MajorVariation = "L=3mm, W=1mm"
              MinorCacheFile = "HDR1-MVC8.dat"
            }
          }
        }
        VersionMap {
          ReportTypeSolnDef {
            ReportType = 1
            SimValueContext(3, 0, 2, 0, 1.0, 1.0, 0.0, 0.0)
          }
          MajorVVMap {
            VersionID = 1
            MinorVVMap {
              MajorVariation = "L=1mm, W=1mm"
              MinorCacheFile = "HDR1-MVC9.dat"
            }
            MinorVVMap {
              MajorVariation = "L=2mm, W=1mm"
              MinorCacheFile = "HDR1-MVC10.dat"
            }
          }
          MajorVVMap {
            VersionID = 2
            MinorVVMap {
              MajorVariation = "L=1mm, W=1mm"
              MinorCacheFile = "HDR1-MVC11.dat"
            }
          }
        }
        VersionMap {
          ReportTypeSolnDef {
            ReportType = 2
            SimValueContext(3, 0, 2, 0, 1.0, 1.0, 0.0, 0.0)
          }
          MajorVVMap {
            VersionID = 1
            MinorVVMap {
              MajorVariation = "L=1mm, W=2mm"
              MinorCacheFile = "HDR1-MVC12.dat"
            }
          }
        }
        VersionMap {
          ReportTypeSolnDef {
            ReportType = 5
            SimValueContext(3, 0, 2, 0, 1.0, 1.0, 0.0, 0.0)
          }
        }
      }
      ContextMap {
        SolutionID = 11
      }
      ContextMap {
        SolutionID = 12
      }
    }
  }
  DesignMap {
    DesignID = 200
    SolutionMap {
      ContextMap {
        SolutionID = 10
        VersionMap {
          ReportTypeSolnDef {
            ReportType = 3
            SimValueContext(3, 0, 2, 0, 1.0, 1.0, 0.0, 0.0)
          }
          MajorVVMap {
            VersionID = 9
            MinorVVMap {
              MajorVariation = "L=5mm, W=1mm"
              MinorCacheFile = "HDR1-MVC13.dat"
            }
          }
        }
      }
    }
  }
}
)";

}  // namespace

TEST_F(CacheFilesTest, RoundTripKeepsEveryBit) {
  Push(1, 1, 10);
  Push(2, 1, 20);
  {
    VariableValuesContext current(Major(2, 2));
    DoubleColumn primary(113), awkward;
    for (size_t i = 0; i < kAwkward.size(); ++i) primary.AddValue(static_cast<double>(i), false);
    awkward.AppendValues(kAwkward);
    ASSERT_NE(nullptr, m_cache.UpdateCacheForMinorSweepAtCurrVarVal(m_f, false, {m_l, m_w}, {}, Dsd(), 1, primary,
                                                                     {m_gain}, {&awkward}, L"awkward"));
  }
  io::CBlock project(L"Project");
  ASSERT_TRUE(m_cache.WriteCacheFiles(project));
  AString header;
  ASSERT_TRUE(io::DoDataExchange(project, true, L"CacheHeaderFile", header) == io::kNoError);
  EXPECT_EQ(m_cache.GetHeaderFileName(), header);

  rep::SimValueDataCache fresh(&m_host);
  EXPECT_EQ(0, fresh.ReadCacheFiles(project));
  ExpectConsistent(fresh);
  EXPECT_EQ(1u, NumVersionEntries(fresh));
  for (double l : {1.0, 2.0}) {
    MinorSweepCache* read = FindIn(fresh, l, 1);
    ASSERT_NE(nullptr, read);
    EXPECT_TRUE(SameBits(Values(FindIn(m_cache, l, 1), m_gain), Values(read, m_gain)));
    EXPECT_TRUE(SameBits(Values(FindIn(m_cache, l, 1), m_loss), Values(read, m_loss)));
  }
  EXPECT_TRUE(SameBits(kAwkward, Values(FindIn(fresh, 2, 2), m_gain)));
  EXPECT_EQ(nullptr, FindIn(fresh, 3, 3));

  // The quantity information came along: same IDs, and new ones do not collide.
  SimValueParams params;
  ASSERT_TRUE(fresh.GetInfoServer().GetSimValueParams(params, m_loss));
  EXPECT_EQ(AString(L"Loss"), params.GetQuantityText());
  reptest::QuantitySolution& s = Solution();
  s.AddQuantity(L"Phase", ValueState(1, 15, 1));
  EXPECT_GT(fresh.GetInfoServer().GetSimValueID(params, L"Phase", Dsd(), 1), m_loss);
}

TEST_F(CacheFilesTest, TheHeaderNameIsMadeOnceAndReused) {
  Push(1, 1, 10);
  io::CBlock first, second;
  ASSERT_TRUE(m_cache.WriteCacheFiles(first));
  const AString name = m_cache.GetHeaderFileName();
  Push(2, 1, 20);
  ASSERT_TRUE(m_cache.WriteCacheFiles(second));
  EXPECT_EQ(name, m_cache.GetHeaderFileName());
  rep::SimValueDataCache fresh(&m_host);
  fresh.ReadCacheFiles(second);
  EXPECT_NE(nullptr, FindIn(fresh, 2, 1));
}

TEST_F(CacheFilesTest, AnEmptyCacheWritesAnEmptyTree) {
  rep::SimValueDataCache empty(&m_host);
  io::CBlock project;
  ASSERT_TRUE(empty.WriteCacheFiles(project));
  io::CBlock header;
  const std::string text = reptest::ReadFileBytes(FullPath(empty.GetHeaderFileName()).ToUtf8());
  EXPECT_NE(std::string::npos, text.find("SimValueCacheVersionID = 1.0"));
  EXPECT_NE(std::string::npos, text.find("SimValueInfos {"));
  EXPECT_NE(std::string::npos, text.find("SimValueCache {"));
  rep::SimValueDataCache fresh(&m_host);
  fresh.ReadCacheFiles(project);
  EXPECT_EQ(0u, NumVersionEntries(fresh));
  EXPECT_EQ(0u, fresh.GetInfoServer().GetNumIDs());
}

TEST_F(CacheFilesTest, NothingToReadLeavesTheCacheAlone) {
  Push(1, 1, 10);
  io::CBlock noHeader;
  m_cache.ReadCacheFiles(noHeader);
  io::CBlock emptyName;
  emptyName << io::NamedValue(L"CacheHeaderFile", AString());
  m_cache.ReadCacheFiles(emptyName);
  EXPECT_NE(nullptr, FindIn(m_cache, 1, 1));

  // A header that cannot be opened: the name goes, the data stays.
  io::CBlock project;
  ASSERT_TRUE(m_cache.WriteCacheFiles(project));
  std::filesystem::remove(FullPath(m_cache.GetHeaderFileName()).ToUtf8());
  m_cache.ReadCacheFiles(project);
  EXPECT_TRUE(m_cache.GetHeaderFileName().empty());
  EXPECT_NE(nullptr, FindIn(m_cache, 1, 1));
}

TEST_F(CacheFilesTest, DamagedHeadersLeaveAnEmptyConsistentCache) {
  Push(1, 1, 10);
  Push(2, 1, 20);
  io::CBlock project;
  ASSERT_TRUE(m_cache.WriteCacheFiles(project));
  const std::string good = HeaderText();
  // The first `from` after `anchor`.
  auto replacedAfter = [&](const std::string& anchor, const std::string& from, const std::string& to) {
    std::string t = good;
    const size_t at = t.find(from, t.find(anchor));
    EXPECT_NE(std::string::npos, at) << from;
    return at == std::string::npos ? t : t.replace(at, from.size(), to);
  };
  auto replaced = [&](const std::string& from, const std::string& to) { return replacedAfter("", from, to); };
  struct Case {
    std::string text;
    const char* why;
    size_t points;  // major variations that read back
  };
  const Case cases[] = {
      {good, "the file as written", 2},
      {replaced("= 1.0", "= 1.0000000000000009"), "a version within the tolerance", 2},
      {replaced("= 1.0", "= 1.1"), "another version", 0},
      {replaced("SimValueCacheVersionID = 1.0\n", ""), "no version", 0},
      {replaced("SimValueCacheVersionID", "CacheVersion"), "another version key", 0},
      {replaced("SimValueInfos {", "Infos {"), "quantity information under another name", 0},
      {good.substr(0, good.size() / 2), "cut in the middle", 0},
      {good.substr(0, good.find("SimValueCache {")), "cut before the tree", 0},
      {good.substr(0, good.size() - 3), "cut before the last braces", 0},
      {"", "empty file", 0},
      {"\x01\xff garbage {{{", "garbage", 0},
      {replaced("ContextMap", "Whatever"), "children are taken by position", 2},
      {replaced("MinorCacheFile = \"HDR1-MVC1.dat\"", "MinorCacheFile = \"missing.dat\""), "a minor file missing", 1},
      {replaced("MajorVariation = \"L=1mm, W=1mm\"", "MajorVariation = \"Q=1mm\""), "an unknown variable", 1},
      {replacedAfter("MajorVVMap", "VersionID = 1", "VersionID = \"one\""), "a version ID that is no number", 0},
  };
  const size_t minorsBefore = MinorVVsCache::GetInstanceCount();
  // Each case's write replaces the files that the next case reads.
  const std::map<std::string, std::string> written = FolderFiles();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    PutBackFolder(written);
    SetHeaderText(c.text);
    rep::SimValueDataCache fresh(&m_host);
    EXPECT_EQ(0, fresh.ReadCacheFiles(project));
    ExpectConsistent(fresh);
    EXPECT_EQ(c.points, NumPoints(fresh));
    // The quantity information is read unless the file as a whole is refused.
    const bool refused = c.points == 0 && std::string(c.why) != "a version ID that is no number";
    EXPECT_EQ(refused ? 0u : 2u, fresh.GetInfoServer().GetNumIDs());
    // Writing again works from whatever was read.
    io::CBlock again;
    EXPECT_TRUE(fresh.WriteCacheFiles(again));
  }
  EXPECT_EQ(minorsBefore, MinorVVsCache::GetInstanceCount());

  // A minor file whose content is damaged is not installed; the others are.
  PutBackFolder(written);
  reptest::WriteFileBytes(FullPath(L"HDR1-MVC1.dat").ToUtf8(), "MinorVVsCache { FormatVersion = 1 SweepConnectivity {");
  rep::SimValueDataCache partial(&m_host);
  partial.ReadCacheFiles(project);
  ExpectConsistent(partial);
  EXPECT_EQ(nullptr, FindIn(partial, 1, 1));
  EXPECT_NE(nullptr, FindIn(partial, 2, 1));
}

TEST_F(CacheFilesTest, ABadFileClearsWhatWasThereBefore) {
  Push(1, 1, 10);
  io::CBlock project;
  ASSERT_TRUE(m_cache.WriteCacheFiles(project));
  SetHeaderText("SimValueCacheVersionID = 2.0\n");
  m_cache.ReadCacheFiles(project);
  EXPECT_EQ(0u, NumVersionEntries(m_cache));
  EXPECT_EQ(0u, m_cache.GetInfoServer().GetNumIDs());
}

TEST_F(CacheFilesTest, ReadingOverHeldEntriesReplacesThem) {
  Push(1, 1, 10);
  Push(2, 1, 20);
  io::CBlock project;
  ASSERT_TRUE(m_cache.WriteCacheFiles(project));
  Push(1, 1, 50);  // held now, older on disk
  const size_t minors = MinorVVsCache::GetInstanceCount();
  m_cache.ReadCacheFiles(project);
  EXPECT_EQ(minors, MinorVVsCache::GetInstanceCount());
  EXPECT_EQ((std::vector<double>{11, 12, 13}), Values(FindIn(m_cache, 1, 1), m_gain));
  ExpectConsistent(m_cache);

  // The replaced caches had written the very files now read: those files stay.
  EXPECT_TRUE(std::filesystem::exists(FullPath(L"HDR1-MVC1.dat").ToUtf8()));
  rep::SimValueDataCache reopened(&m_host);
  reopened.ReadCacheFiles(project);
  EXPECT_EQ((std::vector<double>{11, 12, 13}), Values(FindIn(reopened, 1, 1), m_gain));
  EXPECT_EQ((std::vector<double>{21, 22, 23}), Values(FindIn(reopened, 2, 1), m_gain));
}

TEST_F(CacheFilesTest, ASaveFailingAtAnyFileLeavesThePreviousSaveWhole) {
  m_host.SetManagedFileService(&m_failing);
  // A save asks for the header's path, then for those of its two minor files.
  struct Case {
    int failingPath;
    const char* why;
  };
  const Case cases[] = {
      {1, "the header fails"},
      {2, "the first minor file fails"},
      {3, "the second minor file fails"},
      {0, "nothing fails"},
  };
  double base = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    base += 100;
    Push(1, 1, base);
    Push(2, 1, base);
    io::CBlock previous;
    ASSERT_TRUE(m_cache.WriteCacheFiles(previous));
    Push(1, 1, base + 50);
    Push(2, 1, base + 50);
    m_failing.FailPathNumber(c.failingPath);
    io::CBlock project;
    const bool saved = m_cache.WriteCacheFiles(project);
    m_failing.FailPathNumber(0);
    EXPECT_EQ(c.failingPath == 0, saved);
    if (!saved) {
      EXPECT_SOFT_ASSERT("!\"Could not write simvalue cache2 file\"");
    }

    // The project saved after the cache reads back one save, whole.
    rep::SimValueDataCache reopened(&m_host);
    reopened.ReadCacheFiles(project);
    const double expected = saved ? base + 50 : base;
    for (double l : {1.0, 2.0})
      EXPECT_EQ((std::vector<double>{expected + 1, expected + 2, expected + 3}), Values(FindIn(reopened, l, 1), m_gain))
          << "L=" << l;
    // Nothing is left but the header and the minor files it names.
    EXPECT_EQ(3u, FolderFiles().size());
  }
  m_host.SetManagedFileService(ManagedFileService::GetInstance());
}

TEST_F(CacheFilesTest, FreedEntriesKeepTheirFilesUntilTheNextSaveCommits) {
  Push(1, 1, 10);
  Push(2, 1, 20);
  io::CBlock project;
  ASSERT_TRUE(m_cache.WriteCacheFiles(project));
  const std::map<std::string, std::string> saved = FolderFiles();
  ASSERT_EQ(3u, saved.size());

  // The project on disk still names this header: its files must stay whole.
  m_cache.DeleteSolutionData(100, 10);
  EXPECT_EQ(saved, FolderFiles());
  rep::SimValueDataCache reopened(&m_host);
  reopened.ReadCacheFiles(project);
  EXPECT_EQ((std::vector<double>{21, 22, 23}), Values(FindIn(reopened, 2, 1), m_gain));

  io::CBlock again;
  ASSERT_TRUE(m_cache.WriteCacheFiles(again));
  EXPECT_EQ(1u, FolderFiles().size()) << "only the header, which names no file now";
}

TEST_F(CacheFilesTest, ASaveRemovesWhatItsHeaderNoLongerNamesAndLeftoversOfItsOwnNamingOnly) {
  Push(1, 1, 10);
  Push(2, 1, 20);
  io::CBlock project;
  ASSERT_TRUE(m_cache.WriteCacheFiles(project));
  // As earlier versions named the minor files, and names of files that are no minor files.
  std::string header = HeaderText();
  for (const char* name : {"HDR1-MVC1.dat", "HDR1-MVC2.dat"}) {
    const std::string old = std::string("MVC") + (name + 8);
    std::filesystem::rename(Folder() + "/" + name, Folder() + "/" + old);
    header.replace(header.find(name), std::strlen(name), old);
  }
  const std::string outside = std::filesystem::path(Folder()).parent_path().string() + "/outside.dat";
  reptest::WriteFileBytes(outside, "not the cache's");
  std::string noMinorFiles;
  for (const char* name : {"../outside.dat", "HDR2.dat", "HDR1.dat"})
    noMinorFiles += std::string("MinorVVMap {\nMajorVariation = \"L=3mm, W=1mm\"\nMinorCacheFile = \"") + name + "\"\n}\n";
  const std::string lastMinor = "            }\n          }\n";
  ASSERT_NE(std::string::npos, header.find(lastMinor));
  header.insert(header.find(lastMinor) + 14, noMinorFiles);
  SetHeaderText(header);
  rep::SimValueDataCache reopened(&m_host);
  reopened.ReadCacheFiles(project);
  EXPECT_EQ((std::vector<double>{11, 12, 13}), Values(FindIn(reopened, 1, 1), m_gain));
  EXPECT_EQ((std::vector<double>{21, 22, 23}), Values(FindIn(reopened, 2, 1), m_gain));

  // Leftovers of saves a crash cut short, beside files of other caches and of other names.
  const std::vector<std::string> leftovers = {"HDR1-MVC7.dat", "HDR1-MVC12.dat"};
  const std::vector<std::string> others = {"HDR12-MVC1.dat", "HDR2-MVC1.dat", "HDR2.dat",  "HDR1-MVC.dat",      "HDR1-MVC1x.dat",
                                           "MVC9.dat",       "HDR1-MVCx.dat", "HDR1-MVC3.dat.bak", "notes.txt"};
  for (const auto& names : {leftovers, others})
    for (const std::string& name : names) reptest::WriteFileBytes(Folder() + "/" + name, "x");
  io::CBlock again;
  ASSERT_TRUE(reopened.WriteCacheFiles(again));
  const std::map<std::string, std::string> files = FolderFiles();
  for (const std::string& name : others) EXPECT_TRUE(files.count(name)) << name;
  for (const char* name : {"MVC1.dat", "MVC2.dat", "HDR1-MVC7.dat", "HDR1-MVC12.dat"})
    EXPECT_FALSE(files.count(name)) << name;
  EXPECT_EQ(others.size() + 3, files.size()) << "the header, its two minor files and the others";
  EXPECT_TRUE(std::filesystem::exists(outside));
  rep::SimValueDataCache third(&m_host);
  third.ReadCacheFiles(again);
  EXPECT_EQ((std::vector<double>{21, 22, 23}), Values(FindIn(third, 2, 1), m_gain));
}

TEST_F(CacheFilesTest, TheHeaderTreeIsWrittenAsItAlwaysWas) {
  // Designs, solutions, contexts and versions in several numbers, with empty levels between.
  Push(1, 1, 10);
  Push(2, 1, 20);
  Push(1, 1, 30, 2);
  Push(1, 2, 40, 1, 2);
  auto pushAt = [&](const DesignSolutionDefinition& dsd, double l, long version) {
    VariableValuesContext current(Major(l, 1));
    DoubleColumn primary(113), gain;
    primary.AppendValues({1, 2});
    gain.AppendValues({l, -l});
    return m_cache.UpdateCacheForMinorSweepAtCurrVarVal(m_f, false, {m_l, m_w}, {}, dsd, version, primary, {m_gain},
                                                        {&gain}, L"at");
  };
  const ReportTypeSolutionDefinition shifted(1, SimValueContext(1, 2, 3, 4, 0.5, 2.0, 0.25, 8.0));
  ASSERT_NE(nullptr, pushAt(DesignSolutionDefinition(100, 10, shifted), 3, 4));
  ASSERT_NE(nullptr, pushAt(DesignSolutionDefinition(100, 11, ReportTypeSolutionDefinition(1)), 4, 1));
  ASSERT_NE(nullptr, pushAt(DesignSolutionDefinition(200, 10, ReportTypeSolutionDefinition(3)), 5, 9));
  FindMinors(6, 6, 7);                       // a version without points
  m_cache.DeleteSolutionData(50, 1);         // a design without solutions
  m_cache.DeleteDataForVariableValues(100, 12, 1, 1, Major(1, 1));  // a solution without contexts

  io::CBlock project;
  ASSERT_TRUE(m_cache.WriteCacheFiles(project));
  const std::string tree = HeaderText().substr(HeaderText().find("SimValueCache {"));
  EXPECT_EQ(kRichTree, tree);

  // Read back and written again: the solution the host does not know is skipped, as are versions
  // without points; a context without versions stays.
  const std::string anchor = "        VersionMap {\n          ReportTypeSolnDef {\n            ReportType = 2";
  std::string header = HeaderText();
  ASSERT_NE(std::string::npos, header.find(anchor));
  header.insert(header.find(anchor), "VersionMap { ReportTypeSolnDef { ReportType = 5 } }\n");
  SetHeaderText(header);
  rep::SimValueDataCache fresh(&m_host);
  fresh.ReadCacheFiles(project);
  io::CBlock again;
  ASSERT_TRUE(fresh.WriteCacheFiles(again));
  const std::string reread =
      reptest::ReadFileBytes(FullPath(fresh.GetHeaderFileName()).ToUtf8());
  EXPECT_EQ(kRichTreeReread, reread.substr(reread.find("SimValueCache {")));
}

TEST_F(CacheFilesTest, AHeaderThatCannotBeNamedOrOpenedFailsTheWrite) {
  Push(1, 1, 10);
  // No file service, then a folder "svcache" that cannot be made: no header name.
  m_host.SetManagedFileService(nullptr);
  io::CBlock project;
  EXPECT_FALSE(m_cache.WriteCacheFiles(project));
  EXPECT_SOFT_ASSERT("!\"Unable to create cache header file\"");
  m_host.SetManagedFileService(ManagedFileService::GetInstance());
  const std::string folder = std::filesystem::path(FullPath(L"x").ToUtf8()).parent_path().string();
  std::filesystem::remove_all(folder);
  reptest::WriteFileBytes(folder, "in the way");
  EXPECT_FALSE(m_cache.WriteCacheFiles(project));
  EXPECT_SOFT_ASSERT("!\"Unable to create cache header file\"");
  EXPECT_EQ(AString(), m_cache.GetHeaderFileName());
  EXPECT_EQ(0u, project.GetNumItems());

  // A named header that cannot be opened: the project block goes on naming it, the next write can.
  std::filesystem::remove(folder);
  ASSERT_TRUE(m_cache.WriteCacheFiles(project));
  const AString name = m_cache.GetHeaderFileName();
  const std::string header = FullPath(name).ToUtf8();
  std::filesystem::remove(header);
  std::filesystem::create_directory(header);
  io::CBlock failed;
  EXPECT_FALSE(m_cache.WriteCacheFiles(failed));
  EXPECT_SOFT_ASSERT("!\"Could not write simvalue cache2 file\"");
  AString named;
  EXPECT_TRUE(io::DoDataExchange(failed, true, L"CacheHeaderFile", named) == io::kNoError);
  EXPECT_EQ(name, named);
  EXPECT_EQ(name, m_cache.GetHeaderFileName());
  std::filesystem::remove(header);
  io::CBlock again;
  ASSERT_TRUE(m_cache.WriteCacheFiles(again));
  rep::SimValueDataCache fresh(&m_host);
  fresh.ReadCacheFiles(again);
  EXPECT_EQ(std::vector<double>({11, 12, 13}), Values(FindIn(fresh, 1, 1), m_gain));
}

namespace {

// A file service that fails without a reason, as a host's own may.
class SilentFileService : public IManagedFileService {
public:
  bool MakeUniqueFileName(AString&, const AString&, const AString&) override { return false; }
  void GetFullPath(LongFileName& outPath, const AString& directory, const AString& name) override {
    ManagedFileService::GetInstance()->GetFullPath(outPath, directory, name);
  }
};

// Lets this process act as an ordinary user, for whom permissions count, while it lives: from root,
// as nobody (the effective IDs only, given back at the end), the folder made nobody's first.
class AsOrdinaryUser {
public:
  explicit AsOrdinaryUser(const std::string& folder) {
    if (::geteuid() != 0) return;
    const uid_t nobody = 65534;
    EXPECT_EQ(0, ::chown(folder.c_str(), nobody, nobody));
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
      EXPECT_EQ(0, ::lchown(entry.path().c_str(), nobody, nobody));
    m_group = ::setegid(nobody) == 0;
    m_user = m_group && ::seteuid(nobody) == 0;
    EXPECT_TRUE(m_user);
  }
  ~AsOrdinaryUser() {
    if (m_user) {
      EXPECT_EQ(0, ::seteuid(0));
    }
    if (m_group) {
      EXPECT_EQ(0, ::setegid(0));
    }
  }
  AsOrdinaryUser(const AsOrdinaryUser&) = delete;
  AsOrdinaryUser& operator=(const AsOrdinaryUser&) = delete;

private:
  bool m_group = false;
  bool m_user = false;
};

}  // namespace

// A header that cannot be named leaves the reason of a failed save: the service's own, or, from a
// service that gives none, the header that was to be made.
TEST_F(CacheFilesTest, AHeaderThatCannotBeNamedTellsWhy) {
  Push(1, 1, 10);
  std::filesystem::remove_all(Folder());
  reptest::WriteFileBytes(Folder(), "in the way");
  SilentFileService silent;
  struct Case {
    IManagedFileService* service;
    std::string failure;
  };
  const Case cases[] = {
      {nullptr, "svcache/HDR<N>.dat: no file service makes its name"},
      {ManagedFileService::GetInstance(), Folder() + ": Not a directory"},
      {&silent, Folder() + "/HDR<N>.dat: the file service could not make its name"},
      {ManagedFileService::GetInstance(), Folder() + ": Not a directory"},
      // The same failure again is still the service's own.
      {ManagedFileService::GetInstance(), Folder() + ": Not a directory"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.failure);
    m_host.SetManagedFileService(c.service);
    io::CBlock project;
    EXPECT_FALSE(m_cache.WriteCacheFiles(project));
    EXPECT_SOFT_ASSERT("!\"Unable to create cache header file\"");
    EXPECT_EQ(c.failure, io::LastSaveFailure());
    EXPECT_EQ(0u, project.GetNumItems());
  }
  m_host.SetManagedFileService(ManagedFileService::GetInstance());
  std::filesystem::remove(Folder());
}

// A header that is there but cannot be read is told, with its path and why. Its name is kept: the
// project goes on naming it, a save fails as over a file that cannot be replaced, and its minor
// files stay until it reads again or a save replaces it.
TEST_F(CacheFilesTest, AHeaderThatCannotBeReadIsToldAndItsFilesKept) {
  struct Case {
    const char* what;
    bool fifo;  // else a file its user may not read
    const char* why;
  };
  const Case cases[] = {
      {"a FIFO in the header's place", true, "neither a regular file nor a device"},
      {"a header of mode 000", false, "Permission denied"},
  };
  Push(1, 1, 10);
  Push(2, 1, 20);
  io::CBlock project;
  ASSERT_TRUE(m_cache.WriteCacheFiles(project));
  const AString name = m_cache.GetHeaderFileName();
  const std::string header = FullPath(name).ToUtf8();
  const std::map<std::string, std::string> written = FolderFiles();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PutBackFolder(written);
    if (c.fifo) {
      ASSERT_EQ(0, ::unlink(header.c_str()));
      ASSERT_EQ(0, ::mkfifo(header.c_str(), 0644));
    } else {
      ASSERT_EQ(0, ::chmod(header.c_str(), 0));
    }
    const std::set<std::string> unreadable = FolderNames();
    AsOrdinaryUser user(m_dir.Path());

    orvex::test::Messages().Clear();
    rep::SimValueDataCache reader(&m_host);
    EXPECT_EQ(0, reader.ReadCacheFiles(project));
    const AString told = L"The cache file \"" + FullPath(name) + L"\" could not be read: " + AString::FromUtf8(c.why) +
                         L". The values it holds are computed again when needed; the cache is not saved while that "
                         L"file cannot be replaced.";
    const auto& posted = orvex::test::Messages().Posted();
    ASSERT_EQ(1u, posted.size());
    EXPECT_EQ(24464, posted[0].message.GetMessageID());
    EXPECT_EQ(VelmorMessage::kWarning, posted[0].message.GetSeverity());
    EXPECT_EQ(std::vector<AString>{told}, posted[0].message.GetArgs());
    orvex::test::Messages().Clear();
    EXPECT_EQ(name, reader.GetHeaderFileName());
    EXPECT_EQ(0u, NumPoints(reader));

    // The save fails with the reason, and the project block still names the header.
    ASSERT_NE(nullptr, PushTo(reader, 3, 1, 30));
    io::ForgetSaveFailure();
    io::CBlock failed;
    EXPECT_FALSE(reader.WriteCacheFiles(failed));
    EXPECT_SOFT_ASSERT("!\"Could not write simvalue cache2 file\"");
    EXPECT_EQ(header + ": " + c.why, io::LastSaveFailure());
    AString named;
    EXPECT_TRUE(io::DoDataExchange(failed, true, L"CacheHeaderFile", named) == io::kNoError);
    EXPECT_EQ(name, named);
    EXPECT_EQ(unreadable, FolderNames());

    if (c.fifo) {
      ASSERT_EQ(0, ::unlink(header.c_str()));
    } else {
      // Readable again: the cache saved before is all there.
      ASSERT_EQ(0, ::chmod(header.c_str(), 0644));
      rep::SimValueDataCache reopened(&m_host);
      reopened.ReadCacheFiles(failed);
      EXPECT_EQ((std::vector<double>{11, 12, 13}), Values(FindIn(reopened, 1, 1), m_gain));
      EXPECT_EQ((std::vector<double>{21, 22, 23}), Values(FindIn(reopened, 2, 1), m_gain));
      EXPECT_TRUE(orvex::test::Messages().Posted().empty());
    }
    // A save that can replace the header leaves nothing that it does not name.
    io::CBlock saved;
    ASSERT_TRUE(reader.WriteCacheFiles(saved));
    EXPECT_EQ(name, reader.GetHeaderFileName());
    const std::set<std::string> minors = NamedByHeader(name);
    EXPECT_EQ(1u, minors.size());
    std::set<std::string> expected = minors;
    expected.insert(name.ToUtf8());
    EXPECT_EQ(expected, FolderNames());
  }
}

namespace {

// A file service that stops the save of this process at one of its steps until told to go on, so
// that another process saves meanwhile: while it writes its minor files (at the path of its second
// one), or once its header is in place (at the first path asked after the header on disk changed).
class StoppingFileService : public IManagedFileService {
public:
  enum class Step { kWritingMinorFiles, kHeaderInPlace };

  StoppingFileService(IManagedFileService& real, const AString& header, int stoppedFd, int goOnFd)
      : m_real(real), m_header(header), m_stoppedFd(stoppedFd), m_goOnFd(goOnFd) {}

  // From now on, stops once at `step`.
  void StopAt(Step step) {
    m_step = step;
    m_armed = true;
    m_headerBefore = HeaderFile();
  }
  bool MakeUniqueFileName(AString& outName, const AString& directory, const AString& prefix) override {
    return m_real.MakeUniqueFileName(outName, directory, prefix);
  }
  void GetFullPath(LongFileName& outPath, const AString& directory, const AString& name) override {
    m_real.GetFullPath(outPath, directory, name);
    if (!m_armed) return;
    const bool stop = m_step == Step::kWritingMinorFiles ? name != m_header && ++m_minorPaths == 2
                                                         : HeaderFile() != m_headerBefore;
    if (!stop) return;
    m_armed = false;
    char go = 0;
    if (::write(m_stoppedFd, "s", 1) != 1 || ::read(m_goOnFd, &go, 1) != 1) ::_exit(3);
  }

private:
  ino_t HeaderFile() {
    LongFileName path;
    m_real.GetFullPath(path, L"svcache", m_header);
    struct stat st;
    return ::stat(path.ToNarrow().c_str(), &st) == 0 ? st.st_ino : 0;
  }

  IManagedFileService& m_real;
  AString m_header;
  int m_stoppedFd;
  int m_goOnFd;
  Step m_step = Step::kWritingMinorFiles;
  bool m_armed = false;
  int m_minorPaths = 0;
  ino_t m_headerBefore = 0;
};

}  // namespace

// Two desktops that opened one project save its cache at the same time: whatever the order of the
// two saves' steps, the header left on disk names only files that are there, and a later save
// leaves nothing beside what its header names.
TEST_F(CacheFilesTest, TwoProcessesSavingAtOnceLeaveAHeaderWhoseFilesAreThere) {
  using Step = StoppingFileService::Step;
  struct Case {
    Step step;
    const char* why;
  };
  const Case cases[] = {
      {Step::kWritingMinorFiles, "the other saves whole while one writes its minor files"},
      {Step::kHeaderInPlace, "the other saves whole between one's header and its removal of files"},
  };
  const std::vector<double> majors = {1, 2, 3};
  for (double l : majors) Push(l, 1, 10 * l);
  io::CBlock project;
  ASSERT_TRUE(m_cache.WriteCacheFiles(project));
  const AString name = m_cache.GetHeaderFileName();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    int stopped[2], goOn[2];
    ASSERT_EQ(0, ::pipe(stopped));
    ASSERT_EQ(0, ::pipe(goOn));
    const pid_t child = ::fork();
    ASSERT_NE(-1, child);
    if (child == 0) {
      ::alarm(20);
      StoppingFileService stopping(*ManagedFileService::GetInstance(), name, stopped[1], goOn[0]);
      m_host.SetManagedFileService(&stopping);
      rep::SimValueDataCache desktop(&m_host);
      desktop.ReadCacheFiles(project);
      for (double l : majors) PushTo(desktop, l, 1, 500);
      stopping.StopAt(c.step);
      io::CBlock saved;
      ::_exit(desktop.WriteCacheFiles(saved) ? 0 : 1);
    }
    ::close(stopped[1]);
    ::close(goOn[0]);
    char got = 0;
    const bool wasStopped = ::read(stopped[0], &got, 1) == 1;
    EXPECT_TRUE(wasStopped) << "the first save never reached its step";
    if (wasStopped) {
      rep::SimValueDataCache desktop(&m_host);
      desktop.ReadCacheFiles(project);
      for (double l : majors) PushTo(desktop, l, 1, 700);
      io::CBlock saved;
      EXPECT_TRUE(desktop.WriteCacheFiles(saved));
      EXPECT_EQ(1, ::write(goOn[1], "g", 1));
    }
    int status = 0;
    ASSERT_EQ(child, ::waitpid(child, &status, 0));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    ::close(stopped[0]);
    ::close(goOn[1]);

    const std::vector<double> gain = ExpectOneSaveWhole(name, project, majors);
    EXPECT_TRUE(gain == std::vector<double>({501, 502, 503}) || gain == std::vector<double>({701, 702, 703}));
  }
}

// The same with no stops: two processes saving one cache 40 times each, at once.
TEST_F(CacheFilesTest, TwoProcessesSavingManyTimesAtOnceLeaveAHeaderWhoseFilesAreThere) {
  const std::vector<double> majors = {1, 2, 3};
  for (double l : majors) Push(l, 1, 10 * l);
  io::CBlock project;
  ASSERT_TRUE(m_cache.WriteCacheFiles(project));
  const AString name = m_cache.GetHeaderFileName();
  const int saves = 40;
  auto saveMany = [&](double base) {
    rep::SimValueDataCache desktop(&m_host);
    desktop.ReadCacheFiles(project);
    bool all = true;
    for (int i = 0; i < saves; ++i) {
      for (double l : majors) PushTo(desktop, l, 1, base + i);
      io::CBlock saved;
      all = desktop.WriteCacheFiles(saved) && all;
    }
    return all;
  };
  int start[2];
  ASSERT_EQ(0, ::pipe(start));
  const pid_t child = ::fork();
  ASSERT_NE(-1, child);
  if (child == 0) {
    ::alarm(20);
    char go = 0;
    if (::read(start[0], &go, 1) != 1) ::_exit(3);
    ::_exit(saveMany(1000) ? 0 : 1);
  }
  EXPECT_EQ(1, ::write(start[1], "g", 1));
  EXPECT_TRUE(saveMany(2000));
  int status = 0;
  ASSERT_EQ(child, ::waitpid(child, &status, 0));
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  ::close(start[0]);
  ::close(start[1]);

  // The header committed last is the last save of one of the two.
  const std::vector<double> gain = ExpectOneSaveWhole(name, project, majors);
  const double last = gain.empty() ? 0 : gain[0] - 1;
  EXPECT_TRUE(last == 1000 + saves - 1 || last == 2000 + saves - 1) << last;
  EXPECT_EQ((std::vector<double>{last + 1, last + 2, last + 3}), gain);
}
