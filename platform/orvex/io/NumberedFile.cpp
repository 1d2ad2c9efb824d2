#include "orvex/io/NumberedFile.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "orvex/core/FreeFileNumbers.h"
#include "orvex/io/SavedFile.h"

namespace io {

bool MakeNumberedFile(std::string& outName, FreeFileNumbers& numbers, const std::string& folder,
                      const std::string& prefix) {
  std::error_code made;
  std::filesystem::create_directories(folder, made);
  std::error_code looked;
  if (!std::filesystem::is_directory(folder, looked)) {
    // Some libraries make no error of a file standing in the folder's place.
    SetSaveFailure(folder, made ? made.message() : std::strerror(ENOTDIR));
    return false;
  }
  std::string name;
  if (numbers.CreateFirstFree(name, folder, prefix)) {
    outName = name;
    return true;
  }
  const int error = errno;
  if (name.empty())
    SetSaveFailure(folder, "every name " + prefix + "<N>.dat is taken");
  else
    SetSaveFailure(folder + "/" + name, std::strerror(error));
  return false;
}

}  // namespace io
