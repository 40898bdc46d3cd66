// The context tree's file: one compact JSON object per tree, the root node followed by the tree's
// header fields. docs/model-file-format.md describes the format for writers of other tools.
//
// Threading: none; a tree is saved and loaded on its caller's thread.
#pragma once

#include <optional>
#include <string>

#include "models/contexttree/context_tree.h"
#include "support/json/json_document.h"
#include "support/json/json_value.h"

namespace Quenmar::Intel {

// How much of a file could be used; the larger of two severities wins.
enum LoadSeverity : int {
  kLoadedFully = 0,  // everything was used
  kRepaired = 1,     // something was repaired or skipped
  kUnusable = 2,     // something required was missing or unusable
};

struct ModelVersion {
  int major = 0;
  int minor = 0;
};

// The deepest tree that a file can hold: a node at level k (the root's children are at level 1)
// has its children's array at the JSON nesting level 2k + 2, and Load refuses text nested deeper
// than cmdpredict::kMaxJsonNesting (so 511 levels).
inline constexpr int kMaxFileTreeHeight = (cmdpredict::kMaxJsonNesting - 2) / 2;

// The deepest tree depth that Load takes from a file. Learning and prediction cost grows with the
// depth, and no useful history is longer.
inline constexpr int kMaxFileDepth = 128;

// The object of a node: "i" (its code), "f" (its frequency), "c" (its children by ascending code).
// Recurses once per level of the subtree.
cmdpredict::JsonValue ToJson(const ContextTree::Node& node);
// The root node's object followed by "schema", "version", "release", "d" and "encodings".
cmdpredict::JsonValue ToJson(const ContextTree& tree);

// The text of the tree's file: the same text as cmdpredict::ToJsonText(ToJson(tree)), written
// straight from the tree, without the JSON object, which takes many times the memory of the text.
// Empty when the tree is deeper than kMaxFileTreeHeight, since Load could not read the file back.
std::optional<std::string> ToFileText(const ContextTree& tree);

// Empties the tree and fills it with what can be used of the value. The tree keeps its depth when
// the value holds no usable one.
LoadSeverity FromJson(ContextTree& tree, cmdpredict::JsonReference value);
// Resets the node and fills it and its children from the value; damaged children are dropped.
LoadSeverity FromJson(ContextTree::Node& node, cmdpredict::JsonReference value);

// What Load makes of a file's text.
struct TextLoad {
  bool isJson = false;  // false: the text is not JSON and the tree was left as it was
  LoadSeverity severity = kLoadedFully;
  ModelVersion version;
  bool backUp = false;  // whether Load backs the file up
};

// Fills the tree from the text of a model file exactly as Load does, without reading or writing
// any file: for tools that look into a model without changing it. A file as Save writes it is read
// straight into the tree (saved_form_reader.h); any other text goes through LoadThroughDocument.
TextLoad LoadFromText(ContextTree& tree, const std::string& text);
// LoadFromText through a JSON document of the whole text, which it grades and repairs: what
// LoadFromText must give for every text.
TextLoad LoadThroughDocument(ContextTree& tree, const std::string& text);

// "major.minor" of the value's "version"; (0, 0) when it is missing or not of that form, or when
// a part does not fit an int.
ModelVersion ReadVersion(cmdpredict::JsonReference value);
// The same of a version's text.
ModelVersion VersionOfText(const std::string& text);
// Whether a file of the version loads without a backup.
bool IsAcceptedVersion(ModelVersion version);

}  // namespace Quenmar::Intel
