// Makes `prefix<N>.dat` files, N the smallest free number, without trying every number from 1
// each time: per folder and prefix a hint of where the free numbers start, lowered again by a
// watch on the folder when a file goes away. Without a watch it tries from 1, as before.
#pragma once

#include <map>
#include <string>
#include <unordered_map>

#include "orvex/core/OrvexApi.h"

class ORVEX_API FreeFileNumbers {
public:
  FreeFileNumbers() = default;
  ~FreeFileNumbers();
  FreeFileNumbers(const FreeFileNumbers&) = delete;
  FreeFileNumbers& operator=(const FreeFileNumbers&) = delete;

  // Creates the empty file folder/prefix<N>.dat by exclusive create (the folder must exist) and
  // answers its name; false when no such file can be made, with errno the system's reason and
  // `outName` the name refused (EEXIST and an empty name: every number is taken).
  bool CreateFirstFree(std::string& outName, const std::string& folder, const std::string& prefix);

private:
  struct Folder {
    int watch = -1;
    std::map<std::string, unsigned long> firstMaybeFree;  // by prefix: all below are taken
  };
  // The folder's hints, or null when the folder cannot be watched.
  Folder* Watched(const std::string& folder);
  void ReadEvents();

  int m_fd = -2;  // the watch's descriptor; -2 before first use, -1 when none can be had
  std::unordered_map<std::string, Folder> m_folders;  // by folder path
  std::unordered_map<int, std::string> m_folderOfWatch;
};
