#include "orvex/io/SavedFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include <fcntl.h>
#include <grp.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include "ReadOnlyMount.h"
#include "RepTest.h"
#include "orvex/io/BlockFile.h"
#include "orvex/io/FileTokenStream.h"

namespace {

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::set<std::string> NamesIn(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.insert(entry.path().filename().string());
  return names;
}

mode_t ModeOf(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// A block whose text is many times the size of a small file's.
io::CBlock BigBlock() {
  io::CBlock big(L"Project");
  for (int i = 0; i < 20000; ++i) big << io::CBlock_named_value(L"Value", i);
  return big;
}

// The system's writes, refused with ENOSPC once `budget` bytes went through: a disk that fills up.
class SavedFileFailingAfter : public io::SavedFile {
public:
  SavedFileFailingAfter(const std::string& path, size_t budget, Flush flush, Target target = Target::kReplaced)
      : SavedFile(path, flush, target), m_budget(budget) {}

protected:
  ssize_t WriteSome(int fd, const char* data, size_t n) override {
    if (m_budget == 0) {
      errno = ENOSPC;
      return -1;
    }
    const ssize_t put = SavedFile::WriteSome(fd, data, std::min(n, m_budget));
    if (put > 0) m_budget -= static_cast<size_t>(put);
    return put;
  }

private:
  size_t m_budget;
};

TEST(SavedFile, HoldsExactlyWhatWasWritten) {
  struct Case {
    const char* what;
    const char* before;  // null: no file there
    std::string written;
  };
  const Case cases[] = {
      {"a new file", nullptr, "new"},
      {"longer content cut", "0123456789abcdef", "short"},
      {"shorter content grown", "ab", std::string(300000, 'x') + "end"},
      {"emptied", "something", ""},
  };
  for (const Case& c : cases) {
    reptest::TempDir dir;
    const std::string path = dir.File("f.bin");
    if (c.before) WriteFile(path, c.before);
    io::SavedFile out(path);
    ASSERT_TRUE(out.Ok()) << c.what;
    // In two writes, as a buffered stream hands its bytes over.
    const size_t half = c.written.size() / 2;
    EXPECT_TRUE(out.Write(c.written.data(), half)) << c.what;
    EXPECT_TRUE(out.Write(c.written.data() + half, c.written.size() - half)) << c.what;
    EXPECT_TRUE(out.Close()) << c.what;
    EXPECT_TRUE(out.Close()) << c.what << ": a second close answers the first";
    EXPECT_EQ(c.written, reptest::ReadFileBytes(path)) << c.what;
    EXPECT_EQ(std::set<std::string>{"f.bin"}, NamesIn(dir.Path())) << c.what << ": nothing left beside it";
  }
}

TEST(SavedFile, FailuresAreReported) {
  reptest::TempDir dir;
  io::SavedFile absent(dir.File("absent/f.bin"));
  EXPECT_FALSE(absent.Ok());
  EXPECT_FALSE(absent.Write("x", 1));
  EXPECT_FALSE(absent.Close());

  // A device is written where it is, never replaced.
  io::SavedFile device("/dev/null");
  EXPECT_TRUE(device.Write("x", 1));
  EXPECT_TRUE(device.Close());
  struct stat st;
  ASSERT_EQ(0, ::stat("/dev/null", &st));
  EXPECT_TRUE(S_ISCHR(st.st_mode));

  io::SavedFile closed(dir.File("c.bin"));
  EXPECT_TRUE(closed.Close());
  EXPECT_FALSE(closed.Write("x", 1)) << "written after closing";
  EXPECT_FALSE(closed.Close());
}

TEST(SavedFile, BlockFileRewrittenShorterReadsBack) {
  reptest::TempDir dir;
  const LongFileName file(AString::FromUtf8(dir.File("p.txt")));
  ASSERT_EQ(io::kNoError, io::WriteBlockFile(file, BigBlock()));
  io::CBlock small(L"Project");
  small << io::CBlock_named_value(L"Value", 1);
  ASSERT_EQ(io::kNoError, io::WriteBlockFile(file, small));
  io::CBlock read;
  ASSERT_EQ(io::kNoError, io::ReadBlockFile(file, read)) << "no old text after the new block";
  EXPECT_EQ(small, read);
  struct stat st;
  ASSERT_EQ(0, ::stat(file.ToNarrow().c_str(), &st));
  EXPECT_EQ(reptest::ReadFileBytes(file.ToNarrow()).size(), size_t(st.st_size));
}

TEST(SavedFile, KeepsPermissionsAndWritesThroughLinks) {
  reptest::TempDir dir;
  const std::string real = dir.File("real.txt");
  WriteFile(real, "old");
  ASSERT_EQ(0, ::chmod(real.c_str(), 0640));
  ASSERT_EQ(0, ::mkdir(dir.File("sub").c_str(), 0755));
  ASSERT_EQ(0, ::symlink("../real.txt", dir.File("sub/relative").c_str()));
  ASSERT_EQ(0, ::symlink(dir.File("sub/relative").c_str(), dir.File("absolute").c_str()));
  ASSERT_EQ(0, ::symlink("later.txt", dir.File("dangling").c_str()));
  struct Case {
    const char* what;
    std::string path;      // saved through
    std::string replaced;  // the file that gets the bytes
  };
  const Case cases[] = {
      {"the file itself", real, real},
      {"a relative link in a folder of its own", dir.File("sub/relative"), real},
      {"a link to a link", dir.File("absolute"), real},
      {"a link to a file not made yet", dir.File("dangling"), dir.File("later.txt")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string text = std::string("through ") + c.what;
    io::SavedFile out(c.path);
    ASSERT_TRUE(out.Ok());
    EXPECT_TRUE(out.Write(text.data(), text.size()));
    EXPECT_TRUE(out.Close());
    EXPECT_EQ(text, reptest::ReadFileBytes(c.replaced));
    struct stat st;
    ASSERT_EQ(0, ::lstat(c.path.c_str(), &st));
    EXPECT_EQ(c.path != c.replaced, S_ISLNK(st.st_mode)) << "a link stays a link";
  }
  EXPECT_EQ(mode_t(0640), ModeOf(real));
  EXPECT_EQ((std::set<std::string>{"real.txt", "sub", "absolute", "dangling", "later.txt"}), NamesIn(dir.Path()));
  EXPECT_EQ(std::set<std::string>{"relative"}, NamesIn(dir.File("sub")));
  // A loop of links is refused, not replaced by a file.
  ASSERT_EQ(0, ::symlink("loop", dir.File("loop").c_str()));
  io::SavedFile loop(dir.File("loop"));
  EXPECT_FALSE(loop.Ok());
  EXPECT_FALSE(loop.Close());
  struct stat st;
  ASSERT_EQ(0, ::lstat(dir.File("loop").c_str(), &st));
  EXPECT_TRUE(S_ISLNK(st.st_mode));
}

// A disk that fills up in the middle of a save: the old file stays byte for byte, nothing is left
// beside it, and the failure is answered.
TEST(SavedFile, SaveFailingPartWayLeavesTheOldFile) {
  const std::string written(300000, 'n');
  using Flush = io::SavedFile::Flush;
  struct Case {
    const char* before;  // null: no file there
    size_t budget;       // bytes written before the disk is full
    Flush flush;
  };
  const Case cases[] = {
      {"old project text", 0, Flush::kToDisk},          {"old project text", 1, Flush::kToDisk},
      {"old project text", 65536, Flush::kToDisk},      {"old project text", 299999, Flush::kToDisk},
      {nullptr, 4096, Flush::kToDisk},                  {"old cache", 65536, Flush::kLeftToTheSystem},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.budget);
    reptest::TempDir dir;
    const std::string path = dir.File("p.txt");
    if (c.before) WriteFile(path, c.before);
    const std::set<std::string> names = NamesIn(dir.Path());
    SavedFileFailingAfter out(path, c.budget, c.flush);
    ASSERT_TRUE(out.Ok());
    bool all = true;
    for (size_t at = 0; at < written.size(); at += 65536)
      all = out.Write(written.data() + at, std::min<size_t>(65536, written.size() - at)) && all;
    EXPECT_FALSE(all);
    EXPECT_FALSE(out.Ok());
    EXPECT_FALSE(out.Close());
    EXPECT_EQ(path + ": No space left on device" +
                  (c.before ? " (a save needs room for a second copy of the file)" : ""),
              io::LastSaveFailure());
    EXPECT_EQ(names, NamesIn(dir.Path()));
    if (c.before) {
      EXPECT_EQ(c.before, reptest::ReadFileBytes(path));
    }
  }
}

// A full disk asks for room for a second copy only where the new file is written beside one it
// replaces: a new target, a fresh name and a device each take the room of one copy.
TEST(SavedFile, OnlyAReplacedFileNeedsRoomForASecondCopy) {
  using Target = io::SavedFile::Target;
  const std::string note = " (a save needs room for a second copy of the file)";
  struct Case {
    const char* what;
    const char* before;  // null: no file there
    Target target;
    bool noted;
  };
  const Case cases[] = {
      {"a file replaced", "old", Target::kReplaced, true},
      {"a new file", nullptr, Target::kReplaced, false},
      {"a fresh name", "", Target::kFresh, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    reptest::TempDir dir;
    const std::string path = dir.File("f.dat");
    if (c.before) WriteFile(path, c.before);
    SavedFileFailingAfter out(path, 10, io::SavedFile::Flush::kLeftToTheSystem, c.target);
    EXPECT_FALSE(out.Write("more than ten bytes", 19));
    EXPECT_FALSE(out.Close());
    EXPECT_EQ(path + ": No space left on device" + (c.noted ? note : ""), io::LastSaveFailure());
  }
  // A device that is always full, written where it stands.
  struct stat st;
  if (::stat("/dev/full", &st) != 0 || !S_ISCHR(st.st_mode)) GTEST_SKIP() << "no /dev/full here";
  io::SavedFile full("/dev/full");
  ASSERT_TRUE(full.Ok());
  const std::string bytes(100000, 'f');
  EXPECT_FALSE(full.Write(bytes.data(), bytes.size()));
  EXPECT_FALSE(full.Close());
  EXPECT_EQ("/dev/full: No space left on device", io::LastSaveFailure());
}

// A stream that failed for reasons of its own replaces nothing, even with every write accepted.
TEST(SavedFile, FailedStreamReplacesNothing) {
  reptest::TempDir dir;
  const LongFileName file(AString::FromUtf8(dir.File("HDR1.dat")));
  WriteFile(file.ToNarrow(), "old header");
  io::CToken_ostream out(file, io::kTokenStreamCreate);
  out << BigBlock();
  out.SetFail();
  out.Close();
  EXPECT_TRUE(out.Fail());
  EXPECT_EQ(file.ToNarrow() + ": the save was broken off, the file is as it was", io::LastSaveFailure());
  EXPECT_EQ("old header", reptest::ReadFileBytes(file.ToNarrow()));
  EXPECT_EQ(std::set<std::string>{"HDR1.dat"}, NamesIn(dir.Path()));
}

// A save that an exception leaves part way replaces nothing: the stream's end during unwinding
// is no Close.
TEST(SavedFile, SaveLeftByAnExceptionReplacesNothing) {
  reptest::TempDir dir;
  const LongFileName file(AString::FromUtf8(dir.File("project.txt")));
  WriteFile(file.ToNarrow(), "old project");
  try {
    io::CToken_ostream out(file, io::kTokenStreamCreate);
    out << BigBlock();
    throw std::runtime_error("out of memory half way");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ("old project", reptest::ReadFileBytes(file.ToNarrow()));
  EXPECT_EQ(std::set<std::string>{"project.txt"}, NamesIn(dir.Path()));
}

// The size limit of a process: the system refuses bytes past it (EFBIG, with SIGXFSZ ignored), or
// kills the process. Either way the project saved is left as it was.
TEST(SavedFile, SaveOverTheFileSizeLimitLeavesTheOldFile) {
  struct Case {
    const char* what;
    bool killed;  // SIGXFSZ left to its default
  };
  const Case cases[] = {{"write refused", false}, {"process killed", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    reptest::TempDir dir;
    const LongFileName file(AString::FromUtf8(dir.File("p.txt")));
    io::CBlock old(L"Project");
    old << io::CBlock_named_value(L"Name", L"kept");
    ASSERT_EQ(io::kNoError, io::WriteBlockFile(file, old));
    const std::string before = reptest::ReadFileBytes(file.ToNarrow());
    const io::CBlock big = BigBlock();
    const pid_t child = ::fork();
    ASSERT_NE(-1, child);
    if (child == 0) {
      const rlimit limit{65536, 65536};
      if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(100);
      if (!c.killed) std::signal(SIGXFSZ, SIG_IGN);
      ::_exit(io::WriteBlockFile(file, big) == io::kWriteFailed ? 0 : 101);
    }
    int status = 0;
    ASSERT_EQ(child, ::waitpid(child, &status, 0));
    if (c.killed) {
      EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ) << status;
    } else {
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
      EXPECT_EQ(std::set<std::string>{"p.txt"}, NamesIn(dir.Path()));
    }
    EXPECT_EQ(before, reptest::ReadFileBytes(file.ToNarrow()));
  }
}

// Saves into a folder that cannot be written fail with the write error and change nothing.
void ExpectRefusedSave(const std::string& folder, const std::string& path) {
  const std::set<std::string> names = NamesIn(folder);
  const std::string before = reptest::ReadFileBytes(path);
  EXPECT_EQ(io::kWriteFailed, io::WriteBlockFile(LongFileName(AString::FromUtf8(path)), BigBlock()));
  EXPECT_EQ(names, NamesIn(folder));
  EXPECT_EQ(before, reptest::ReadFileBytes(path));
}

TEST(SavedFile, SaveWhereTheFolderIsAFileFails) {
  reptest::TempDir dir;
  WriteFile(dir.File("plain"), "a file, not a folder");
  ExpectRefusedSave(dir.Path(), dir.File("plain/p.txt"));
  EXPECT_EQ("a file, not a folder", reptest::ReadFileBytes(dir.File("plain")));
}

// A folder made read-only; for root, whom permissions do not stop, also immutable where the file
// system allows it.
class ReadOnlyFolder {
public:
  explicit ReadOnlyFolder(const std::string& path) : m_path(path) {
    ::chmod(m_path.c_str(), 0555);
    if (::geteuid() != 0) return;
    m_fd = ::open(m_path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    int flags = 0;
    if (m_fd >= 0 && ::ioctl(m_fd, FS_IOC_GETFLAGS, &flags) == 0) {
      flags |= FS_IMMUTABLE_FL;
      m_immutable = ::ioctl(m_fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
  }
  ~ReadOnlyFolder() {
    if (m_immutable) {
      int flags = 0;
      if (::ioctl(m_fd, FS_IOC_GETFLAGS, &flags) == 0) {
        flags &= ~FS_IMMUTABLE_FL;
        EXPECT_EQ(0, ::ioctl(m_fd, FS_IOC_SETFLAGS, &flags));
      }
    }
    if (m_fd >= 0) ::close(m_fd);
    ::chmod(m_path.c_str(), 0755);
  }
  ReadOnlyFolder(const ReadOnlyFolder&) = delete;
  ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

  // Whether a new file really is refused there.
  bool Holds() const {
    const std::string probe = m_path + "/probe";
    const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return true;
    ::close(fd);
    ::unlink(probe.c_str());
    return false;
  }

private:
  std::string m_path;
  int m_fd = -1;
  bool m_immutable = false;
};

TEST(SavedFile, SaveIntoAReadOnlyFolderFails) {
  reptest::TempDir dir;
  const std::string folder = dir.File("project");
  ASSERT_EQ(0, ::mkdir(folder.c_str(), 0755));
  const std::string path = folder + "/p.txt";
  WriteFile(path, "old project text");
  ReadOnlyFolder readOnly(folder);
  if (!readOnly.Holds()) GTEST_SKIP() << "no folder here refuses a new file";
  ExpectRefusedSave(folder, path);
}

// Runs `body` in a child process and answers its exit code, or -1 when a signal ended it. An alarm
// ends a child that hangs.
int InChild(const std::function<int()>& body) {
  const pid_t child = ::fork();
  if (child == 0) {
    ::alarm(20);
    ::_exit(body());
  }
  int status = 0;
  if (child < 0 || ::waitpid(child, &status, 0) != child) return -2;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Makes a child an ordinary user (from root: nobody), for whom permissions count.
bool BecomeUnprivileged() {
  if (::geteuid() != 0) return true;
  return ::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0;
}

// How a save in a child ended, for the parent to check.
enum SaveEnd { kSaved = 0, kRefusedAsExpected = 1, kRefusedOtherwise = 2, kCannotPrepare = 3 };

// A file the user keeps read-only is not replaced behind the permission, as the rename alone would
// allow; root writes it, as in place.
TEST(SavedFile, ReadOnlyFileIsRefusedAsInPlace) {
  struct Case {
    const char* what;
    bool unprivileged;
  };
  const Case cases[] = {{"an ordinary user", true}, {"root", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (!c.unprivileged && ::geteuid() != 0) continue;
    reptest::TempDir dir;
    if (c.unprivileged && ::geteuid() == 0) {
      ASSERT_EQ(0, ::chown(dir.Path().c_str(), 65534, 65534));
    }
    const std::string path = dir.File("p.txt");
    const int end = InChild([&] {
      if (c.unprivileged && !BecomeUnprivileged()) return int(kCannotPrepare);
      WriteFile(path, "old project");
      if (::chmod(path.c_str(), 0444) != 0) return int(kCannotPrepare);
      io::ForgetSaveFailure();
      if (io::WriteBlockFile(LongFileName(AString::FromUtf8(path)), BigBlock()) == io::kNoError) return int(kSaved);
      return int(io::LastSaveFailure() == path + ": Permission denied" ? kRefusedAsExpected : kRefusedOtherwise);
    });
    EXPECT_EQ(c.unprivileged ? kRefusedAsExpected : kSaved, end);
    EXPECT_EQ(c.unprivileged, reptest::ReadFileBytes(path) == "old project");
    EXPECT_EQ(mode_t(0444), ModeOf(path));
    EXPECT_EQ(std::set<std::string>{"p.txt"}, NamesIn(dir.Path()));
  }
}

// A save killed part way leaves its new file; the next save of that target removes it, but not the
// file of a save still being written, nor what another target's saves left.
TEST(SavedFile, NextSaveRemovesWhatAKilledSaveLeft) {
  reptest::TempDir dir;
  const std::string path = dir.File("p.txt");
  WriteFile(path, "old");
  const std::string others = ".q.txt.save-1-0";
  WriteFile(dir.File(others), "another target's");
  io::SavedFile live(path);
  ASSERT_TRUE(live.Write("live", 4));
  const std::set<std::string> whileLive = NamesIn(dir.Path());
  ASSERT_EQ(3u, whileLive.size());

  int ready[2];
  ASSERT_EQ(0, ::pipe(ready));
  const pid_t child = ::fork();
  ASSERT_NE(-1, child);
  if (child == 0) {
    io::SavedFile killed(path);
    const std::string half(100000, 'k');
    killed.Write(half.data(), half.size());
    (void)!::write(ready[1], "x", 1);
    for (;;) ::pause();
  }
  char got = 0;
  EXPECT_EQ(1, ::read(ready[0], &got, 1));
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
  ::close(ready[0]);
  ::close(ready[1]);
  ASSERT_EQ(4u, NamesIn(dir.Path()).size()) << "the killed save left its file";

  io::SavedFile next(path);
  EXPECT_TRUE(next.Write("next", 4));
  EXPECT_TRUE(next.Close());
  EXPECT_EQ(whileLive, NamesIn(dir.Path()));
  EXPECT_EQ("next", reptest::ReadFileBytes(path));

  EXPECT_TRUE(live.Close()) << "the live save's file was left to it";
  EXPECT_EQ("live", reptest::ReadFileBytes(path));
  EXPECT_EQ((std::set<std::string>{"p.txt", others}), NamesIn(dir.Path()));
}

// What is neither a regular file nor a device at the path is refused at once, by the save and by
// the reader; a FIFO without a writer or reader would hold either forever.
TEST(SavedFile, FifoOrSocketIsRefusedPromptly) {
  reptest::TempDir dir;
  const std::string fifo = dir.File("fifo.txt");
  ASSERT_EQ(0, ::mkfifo(fifo.c_str(), 0644));
  const std::string socket = dir.File("socket.txt");
  const int listening = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  ASSERT_LT(socket.size(), sizeof(address.sun_path));
  std::copy(socket.begin(), socket.end(), address.sun_path);
  ASSERT_EQ(0, ::bind(listening, reinterpret_cast<const sockaddr*>(&address), sizeof(address)));
  const std::string refused = "neither a regular file nor a device";
  for (const std::string& path : {fifo, socket}) {
    SCOPED_TRACE(path);
    const LongFileName file(AString::FromUtf8(path));
    const int end = InChild([&] {
      io::ForgetSaveFailure();
      if (io::WriteBlockFile(file, BigBlock()) == io::kNoError) return int(kSaved);
      return int(io::LastSaveFailure() == path + ": " + refused ? kRefusedAsExpected : kRefusedOtherwise);
    });
    EXPECT_EQ(kRefusedAsExpected, end) << "the save";
    const int read = InChild([&] {
      io::CBlock block;
      AString error;
      if (io::ReadBlockFile(file, block, &error) != io::kKeyMissing) return 4;
      return int(error.ToUtf8() == "line 1: the file '" + path + "' cannot be opened: " + refused ? kRefusedAsExpected
                                                                                         : kRefusedOtherwise);
    });
    EXPECT_EQ(kRefusedAsExpected, read) << "the read";
  }
  ::close(listening);
  struct stat st;
  ASSERT_EQ(0, ::lstat(fifo.c_str(), &st));
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  EXPECT_EQ((std::set<std::string>{"fifo.txt", "socket.txt"}), NamesIn(dir.Path()));
}

// A failed save tells why, with the path: the system's text for what went wrong.
TEST(SavedFile, FailedSaveTellsWhy) {
  reptest::TempDir dir;
  ASSERT_EQ(0, ::mkdir(dir.File("folder").c_str(), 0755));
  WriteFile(dir.File("plain"), "a file, not a folder");
  ASSERT_EQ(0, ::symlink("loop", dir.File("loop").c_str()));
  reptest::ReadOnlyMount readOnly(dir.File("mounted"));
  struct Case {
    std::string path;
    const char* why;
  };
  std::vector<Case> cases = {
      {dir.File("folder"), "Is a directory"},
      {dir.File("plain/p.txt"), "Not a directory"},
      {dir.File("absent/p.txt"), "No such file or directory"},
      {dir.File("loop"), "Too many levels of symbolic links"},
  };
  if (readOnly.Mounted()) cases.push_back({dir.File("mounted/p.txt"), "Read-only file system"});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    io::ForgetSaveFailure();
    EXPECT_EQ(io::kWriteFailed, io::WriteBlockFile(LongFileName(AString::FromUtf8(c.path)), BigBlock()));
    EXPECT_EQ(c.path + ": " + c.why, io::LastSaveFailure());
  }
  // Kept until the next failure: a save of another file in between does not hide it.
  EXPECT_EQ(io::kNoError, io::WriteBlockFile(LongFileName(AString::FromUtf8(dir.File("ok.txt"))), BigBlock()));
  EXPECT_EQ(cases.back().path + ": " + cases.back().why, io::LastSaveFailure());
  if (!readOnly.Mounted()) GTEST_SKIP() << "no read-only file system could be mounted here";
}

}  // namespace
