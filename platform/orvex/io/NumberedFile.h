// The numbered files of a managed file service: the folder made when missing, then the empty file
// of the smallest free number, and on failure the reason recorded as a failed save's.
#pragma once

#include <string>

#include "orvex/core/OrvexApi.h"

class FreeFileNumbers;

namespace io {

// Makes `folder` with its parents when missing and in it the empty file `prefix<N>.dat`, N the
// smallest free number, and answers its name. False when the folder or the file cannot be made;
// then LastSaveFailure() names the one refused and the system's reason.
ORVEX_API bool MakeNumberedFile(std::string& outName, FreeFileNumbers& numbers, const std::string& folder,
                                const std::string& prefix);

}  // namespace io
