#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "BlockFileFuzzEntry.h"
#include "orvex/core/Assert.h"
#include "orvex/io/BlockFile.h"
#include "orvex/io/TokenStream.h"

namespace repfuzz {

namespace {

// The file reader takes 64 KiB at a time.
constexpr size_t kRefill = size_t(1) << 16;

// The memory reader's answer, as ReadBlockFile gives it for a file.
bool ReadFromMemory(const std::string& bytes, io::CBlock& out, AString& error) {
  io::CStringToken_istream in(bytes.data(), bytes.size());
  io::CBlock read;
  in >> read;
  if (!in.Fail() && !in.AtEndOfInput()) in.SetFail(L"text follows the end of block '" + read.GetName() + L"'");
  if (in.Fail()) {
    error = in.ErrorText().empty() ? AString(L"the text could not be read") : in.ErrorText();
    return false;
  }
  out = std::move(read);
  return true;
}

}  // namespace

int FuzzBlockFile(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  // Blanks move the text onto the refill; a comment line would move the line numbers alike.
  std::string bytes(kRefill - data[0], ' ');
  bytes.append(reinterpret_cast<const char*>(data) + 1, size - 1);

  static const std::string path =
      (std::filesystem::temp_directory_path() / ("rep-blockfile-fuzz-" + std::to_string(getpid()) + ".txt")).string();
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return 0;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  if (std::fclose(f) != 0 || !written) return 0;

  io::CBlock fromFile, fromMemory;
  AString fileError, memoryError;
  const bool fileRead = io::ReadBlockFile(LongFileName(AString::FromUtf8(path)), fromFile, &fileError) == io::kNoError;
  const bool memoryRead = ReadFromMemory(bytes, fromMemory, memoryError);
  std::remove(path.c_str());

  ORVEX_ASSERT(fileRead==memoryRead);
  ORVEX_ASSERT(fromFile==fromMemory);
  ORVEX_ASSERT(fileError==memoryError);
  return fileRead ? 1 : 0;
}

}  // namespace repfuzz
