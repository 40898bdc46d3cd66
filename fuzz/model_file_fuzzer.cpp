// Loads arbitrary bytes as a context tree file and checks that whatever was loaded survives a save:
// the saved file loads back in full (no backup is made) into the same tree, before and after the
// loaded tree learns a few items. A Load that fails must leave the tree untouched. Whether or not
// the bytes are in the saved form that is read without a JSON document, loading them must give
// what the general load through a document gives.
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
#include <string>

#include "models/contexttree/context_tree.h"
#include "models/contexttree/context_tree_file.h"
#include "platform/env.h"
#include "support/json/json_document.h"
#include "support/json/json_text.h"
#include "testing/temp_folder.h"

namespace {

using Quenmar::Intel::ContextTree;

constexpr const char* kFileName = "m.ContextTree";

void Require(bool condition, const char* failure) {
  if (condition) return;
  std::fprintf(stderr, "model_file_fuzzer: %s\n", failure);
  std::abort();
}

// The path that Save and Load are given (the model file without its extension), and the file.
std::string ModelPath(const cmdpredict::TempFolder& folder) { return folder.File("m"); }
std::string ModelFile(const cmdpredict::TempFolder& folder) { return folder.File(kFileName); }

// Removes the model file and the backups made since the folder was created or last emptied.
void Empty(const cmdpredict::TempFolder& folder) {
  for (const auto& entry : std::filesystem::directory_iterator(folder.Path()))
    std::filesystem::remove(entry.path());
}

// True when the folder holds the model file and nothing else (no backup was made).
bool HoldsOnlyTheModelFile(const cmdpredict::TempFolder& folder) {
  std::size_t entries = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
    if (entry.path().filename() != kFileName) return false;
    ++entries;
  }
  return entries == 1;
}

bool IsUntouched(const ContextTree& tree) {
  return tree.GetDepth() == 100 && tree.HighestCode() == 0 && tree.GetRoot().item == 0 &&
         tree.GetRoot().children.empty();
}

double ThroughTheJsonLayer(double number) {
  const cmdpredict::JsonDocumentPtr document = cmdpredict::CreateJsonDocument();
  return cmdpredict::GetDouble(
      *document->Parse(cmdpredict::ToJsonText(cmdpredict::JsonValue(number)).c_str()));
}

// Recurses once per level; a tree read from a file has at most Quenmar::Intel::kMaxFileTreeHeight.
void PassFrequenciesThroughTheJsonLayer(ContextTree::Node& node) {
  node.frequency = ThroughTheJsonLayer(node.frequency);
  for (auto& child : node.children) PassFrequenciesThroughTheJsonLayer(*child.second);
}

std::string TextOf(const ContextTree& tree) { return cmdpredict::ToJsonText(Quenmar::Intel::ToJson(tree)); }

void RequireSavedTreeLoadsBackTheSame(const cmdpredict::TempFolder& folder, ContextTree& tree) {
  Empty(folder);
  Require(tree.Save(ModelPath(folder)), "a loaded tree could not be saved");
  std::string saved;
  Require(cmdpredict::CurrentEnv().ReadFile(ModelFile(folder), saved), "the saved file cannot be read");
  Require(saved == TextOf(tree), "Save wrote another text than ToJson");

  ContextTree reloaded(7, 3);
  Require(reloaded.Load(ModelPath(folder)), "a saved file does not load");
  Require(HoldsOnlyTheModelFile(folder), "a saved file loads with a backup");
  PassFrequenciesThroughTheJsonLayer(tree.GetRoot());
  Require(TextOf(reloaded) == TextOf(tree), "a saved file loads another tree");
}

void RequireTheGeneralLoadsOutcome(const std::string& bytes) {
  ContextTree loaded(100, 1);
  ContextTree general(100, 1);
  const Quenmar::Intel::TextLoad got = Quenmar::Intel::LoadFromText(loaded, bytes);
  const Quenmar::Intel::TextLoad expected = Quenmar::Intel::LoadThroughDocument(general, bytes);
  Require(got.isJson == expected.isJson && got.severity == expected.severity &&
              got.backUp == expected.backUp && got.version.major == expected.version.major &&
              got.version.minor == expected.version.minor,
          "the load of the saved form grades a text otherwise than the general load");
  Require(TextOf(loaded) == TextOf(general) && loaded.GetHistory().empty(),
          "the load of the saved form makes another tree than the general load");
}

// Loads the input and checks what became of it; the folder holds the input as the model file.
void CheckInput(const cmdpredict::TempFolder& folder, const std::string& bytes) {
  Require(cmdpredict::CurrentEnv().ReplaceFile(ModelFile(folder), bytes), "cannot write the input file");
  ContextTree tree(100, 1);
  if (!tree.Load(ModelPath(folder))) {
    Require(IsUntouched(tree), "a failed Load changed the tree");
    return;
  }
  RequireSavedTreeLoadsBackTheSame(folder, tree);
  tree.AddSequence({"a", "b", "a", ""});
  RequireSavedTreeLoadsBackTheSame(folder, tree);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // A fresh folder per input, so that an input's backups never meet the next input.
  const cmdpredict::TempFolder folder;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  RequireTheGeneralLoadsOutcome(bytes);
  CheckInput(folder, bytes);
  return 0;
}
