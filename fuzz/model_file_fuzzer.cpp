// Loads arbitrary bytes as a context tree file and checks that whatever was loaded survives a save:
// the saved file loads back in full (no backup is made) into the same tree, before and after the
// loaded tree learns a few items. A Load that fails must leave the tree untouched.
//
// "The same tree" allows for one thing: the JSON layer reads numbers in RapidJSON's normal
// precision, which misses some long or huge doubles by an ulp (never the whole numbers that
// learning counts), so a frequency comes back as the layer's reading of the layer's text of it.
//
// Aborts, beyond what the sanitizers catch, when any of those checks fails, when a loaded tree
// cannot be saved, or when the saved text differs from ToJsonText(ToJson(tree)).
//
// The model file lives in a folder of its own under the system's temporary folder ($TMPDIR); every
// save flushes its file to the disk, so a memory file system (TMPDIR=/dev/shm) keeps fuzzing fast.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "models/contexttree/context_tree.h"
#include "models/contexttree/context_tree_file.h"
#include "platform/env.h"
#include "support/json/json_document.h"
#include "support/json/json_text.h"

namespace {

using Quenmar::Intel::ContextTree;

constexpr const char* kFileName = "m.ContextTree";

void Require(bool condition, const char* failure) {
  if (condition) return;
  std::fprintf(stderr, "model_file_fuzzer: %s\n", failure);
  std::abort();
}

// A folder of its own under the system's temporary folder, created afresh for each input and
// removed after it, so that an input's backups never meet the next input and a crash leaves the
// crashing input's files behind for a look.
class ScratchFolder {
 public:
  ScratchFolder()
      : m_path(std::filesystem::temp_directory_path() /
               ("cmdpredict-model-file-fuzz-" + std::to_string(std::random_device{}()))) {
    std::filesystem::create_directories(m_path);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // The path that Save and Load are given: the model file without its extension.
  std::string ModelPath() const { return (m_path / "m").string(); }
  std::string ModelFile() const { return (m_path / kFileName).string(); }

  // Removes the model file and the backups made since the folder was created or last emptied.
  void Empty() const {
    for (const auto& entry : std::filesystem::directory_iterator(m_path)) std::filesystem::remove(entry.path());
  }

  // True when the folder holds the model file and nothing else (no backup was made).
  bool HoldsOnlyTheModelFile() const {
    std::size_t entries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(m_path)) {
      if (entry.path().filename() != kFileName) return false;
      ++entries;
    }
    return entries == 1;
  }

 private:
  std::filesystem::path m_path;
};

bool IsUntouched(const ContextTree& tree) {
  return tree.GetDepth() == 100 && tree.HighestCode() == 0 && tree.GetRoot().item == 0 &&
         tree.GetRoot().children.empty();
}

double ThroughTheJsonLayer(double number) {
  const cmdpredict::JsonDocumentPtr document = cmdpredict::CreateJsonDocument();
  return cmdpredict::GetDouble(*document->Parse(cmdpredict::ToJsonText(cmdpredict::JsonValue(number)).c_str()));
}

// Recurses once per level; a tree read from a file has at most Quenmar::Intel::kMaxFileTreeHeight.
void PassFrequenciesThroughTheJsonLayer(ContextTree::Node& node) {
  node.frequency = ThroughTheJsonLayer(node.frequency);
  for (auto& child : node.children) PassFrequenciesThroughTheJsonLayer(*child.second);
}

std::string TextOf(const ContextTree& tree) { return cmdpredict::ToJsonText(Quenmar::Intel::ToJson(tree)); }

void RequireSavedTreeLoadsBackTheSame(const ScratchFolder& folder, ContextTree& tree) {
  folder.Empty();
  Require(tree.Save(folder.ModelPath()), "a loaded tree could not be saved");
  std::string saved;
  Require(cmdpredict::CurrentEnv().ReadFile(folder.ModelFile(), saved), "the saved file cannot be read");
  Require(saved == TextOf(tree), "Save wrote another text than ToJson");

  ContextTree reloaded(7, 3);
  Require(reloaded.Load(folder.ModelPath()), "a saved file does not load");
  Require(folder.HoldsOnlyTheModelFile(), "a saved file loads with a backup");
  PassFrequenciesThroughTheJsonLayer(tree.GetRoot());
  Require(TextOf(reloaded) == TextOf(tree), "a saved file loads another tree");
}

// Loads the input and checks what became of it; the folder holds the input as the model file.
void CheckInput(const ScratchFolder& folder, const std::string& bytes) {
  Require(cmdpredict::CurrentEnv().ReplaceFile(folder.ModelFile(), bytes), "cannot write the input file");
  ContextTree tree(100, 1);
  if (!tree.Load(folder.ModelPath())) {
    Require(IsUntouched(tree), "a failed Load changed the tree");
    return;
  }
  RequireSavedTreeLoadsBackTheSame(folder, tree);
  tree.AddSequence({"a", "b", "a", ""});
  RequireSavedTreeLoadsBackTheSame(folder, tree);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const ScratchFolder folder;
  CheckInput(folder, std::string(reinterpret_cast<const char*>(data), size));
  return 0;
}
