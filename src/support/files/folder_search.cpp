#include "support/files/folder_search.h"

#include <limits>
#include <map>
#include <memory>

#include "platform/env.h"
#include "support/files/files.h"

namespace cmdpredict {
namespace {

struct FolderSearch {
  std::string folder;
  std::unique_ptr<DirectoryReader> reader;  // null until the first NextFolderFile lists the folder
};

struct FolderSearchRegistry {
  std::map<std::int32_t, FolderSearch> searches;
  std::int32_t lastId = 0;  // only grows, so identifiers are never reused
};

// Constructed on first use, so no other static object's initialisation order matters.
FolderSearchRegistry& Registry() {
  static FolderSearchRegistry registry;
  return registry;
}

// Advances the reader to its next regular file; false when none is left.
bool ReadNextRegularFile(DirectoryReader& reader, std::string& fileName) {
  DirectoryEntry found;
  while (reader.Next(found)) {
    if (found.isRegularFile) {
      fileName = found.name;
      return true;
    }
  }
  return false;
}

}  // namespace

int OpenFolderSearch(const char* folder, std::int32_t* searchId) {
  if (folder == nullptr || searchId == nullptr || FileExists(folder) != 0) return 1;
  FolderSearchRegistry& registry = Registry();
  // Refusing beats wrapping round: a wrapped counter would hand out identifiers again.
  if (registry.lastId == std::numeric_limits<std::int32_t>::max()) return 1;
  const std::int32_t id = ++registry.lastId;
  registry.searches[id] = FolderSearch{folder, nullptr};
  *searchId = id;
  return 0;
}

int NextFolderFile(std::int32_t searchId, FolderEntry* entry) {
  if (entry == nullptr) return 1;
  entry->searchId = searchId;
  auto& searches = Registry().searches;
  const auto found = searches.find(searchId);
  if (found == searches.end()) return 1;
  FolderSearch& search = found->second;
  if (!search.reader) {
    search.reader = CurrentEnv().OpenFolder(search.folder);
    if (!search.reader) return 1;
  }
  return ReadNextRegularFile(*search.reader, entry->fileName) ? 0 : 1;
}

void CloseFolderSearch(FolderEntry* entry) {
  if (entry == nullptr) return;
  // A search that never listed its folder is forgotten too, so that no record outlives its search.
  Registry().searches.erase(entry->searchId);
}

}  // namespace cmdpredict
