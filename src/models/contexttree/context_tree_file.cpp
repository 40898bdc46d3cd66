// Saving and loading the context tree, grading what a load could use, and the backup copies of
// files that could not be used in full.
#include "models/contexttree/context_tree_file.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "models/contexttree/file_keys.h"
#include "models/contexttree/saved_form_reader.h"
#include "support/files/file_contents.h"
#include "support/files/files.h"
#include "support/files/leading_integer.h"
#include "support/files/text.h"
#include "support/json/json_document.h"
#include "support/json/json_text.h"

namespace Quenmar::Intel {

using cmdpredict::JsonReference;
using cmdpredict::JsonType;
using cmdpredict::JsonValue;

namespace {

using file_keys::kChildren;
using file_keys::kDepth;
using file_keys::kEncodings;
using file_keys::Key;
using file_keys::kFrequency;
using file_keys::kItem;
using file_keys::kSchema;
using file_keys::kSchemaKey;
using file_keys::kVersionKey;

JsonReference FindKey(JsonReference object, Key key) {
  const JsonReference found = cmdpredict::FindMember(object, key.shortForm);
  return found.IsNull() ? cmdpredict::FindMember(object, key.fullForm) : found;
}

void AddMember(JsonValue& object, const char* name, JsonValue value) {
  cmdpredict::AddMember(object, name, value);
}

LoadSeverity Worse(LoadSeverity a, LoadSeverity b) { return std::max(a, b); }

// --- Writing ---------------------------------------------------------------------------------

// The text written at a code's index. A code left without a text by a damaged file gets the empty
// text, so that the other texts keep their indexes. When the empty text belongs to a higher code,
// a reader would give it to this code instead and leave that one without; this code then repeats
// the text of code 0, which a reader skips. (Gaps arise from repeated texts, so code 0 has a text.)
std::string EncodingText(const ContextTree& tree, int code) {
  const std::string text = tree.GetItemText(code);  // "" when the code has none
  return tree.FindCode(text) <= code ? text : tree.GetItemText(0);
}

JsonValue EncodingsToJson(const ContextTree& tree) {
  JsonValue encodings = cmdpredict::MakeJsonArray({});
  for (int code = 0; code <= tree.HighestCode(); ++code) {
    JsonValue text(EncodingText(tree, code).c_str());
    cmdpredict::AppendJsonArrayElement(encodings, text);
  }
  return encodings;
}

void AddHeaderMembers(JsonValue& object, const ContextTree& tree) {
  AddMember(object, kSchemaKey.fullForm, JsonValue(kSchema));
  AddMember(object, kVersionKey.fullForm, JsonValue(file_keys::kVersion));
  AddMember(object, file_keys::kReleaseKey, JsonValue(file_keys::kRelease));
  AddMember(object, kDepth.shortForm,
            JsonValue(static_cast<std::int32_t>(static_cast<std::uint32_t>(tree.GetDepth()))));
  AddMember(object, kEncodings.fullForm, EncodingsToJson(tree));
}

// The text of a node's members after its item, up to the opening bracket of its children, for each
// frequency: the JSON layer's text of the number, so that the file keeps the layer's number format.
// A tree repeats few distinct frequencies, so each is formatted once; a tree read from a file may
// hold any number of them, hence the bound.
class FrequencyTexts {
 public:
  const std::string& MembersAfterItem(double frequency) {
    std::uint64_t bits = 0;  // -0.0 and 0.0 are written differently
    std::memcpy(&bits, &frequency, sizeof bits);
    const auto found = m_texts.find(bits);
    if (found != m_texts.end()) return found->second;
    std::string text = ",\"f\":" + cmdpredict::ToJsonText(JsonValue(frequency)) + ",\"c\":[";
    if (m_texts.size() < kMaxRemembered) return m_texts.emplace(bits, std::move(text)).first->second;
    m_unremembered = std::move(text);
    return m_unremembered;
  }

 private:
  static constexpr std::size_t kMaxRemembered = 4096;
  std::unordered_map<std::uint64_t, std::string> m_texts;
  std::string m_unremembered;
};

// The node's members up to the opening bracket of its children, in two appends: a file has
// millions of nodes.
void AppendNodeStart(std::string& text, const ContextTree::Node& node, FrequencyTexts& frequencies) {
  constexpr std::string_view kItemName = "{\"i\":";
  char start[kItemName.size() + 16];
  std::copy(kItemName.begin(), kItemName.end(), start);
  text.append(start, std::to_chars(start + kItemName.size(), std::end(start), node.item).ptr);
  text += frequencies.MembersAfterItem(node.frequency);
}

// Asks the processor to fetch the memory at the address ahead of its use, where the compiler can.
void Prefetch(const void* address) {
#if defined(__GNUC__)
  __builtin_prefetch(address);
#else
  static_cast<void>(address);
#endif
}

// Writes one subtree in the order ToJson builds them, with the nodes still to write kept on the
// heap. A node's children are listed all at once: a learnt tree's nodes lie far apart, and walking
// a children map again after each child's subtree would fetch its entries from memory a second
// time. Each step does one of two things, so that what the next step of the same walk reads is
// fetched while other walks take their steps: opening a node (its object fetched when it was
// listed), or listing the children of the node opened last (its first entry fetched when it was
// opened).
class SubtreeWriter {
 public:
  // `level`: the node's level in the tree, for the height check.
  SubtreeWriter(const ContextTree::Node& node, std::size_t level) : m_openNodes(level) {
    m_pending.push_back(&node);
  }

  const std::string& Text() const { return m_text; }
  // Forgets the text made so far, once it has been handed on.
  void ClearText() { m_text.clear(); }
  bool Done() const { return m_pending.empty() && m_toList == nullptr; }
  // False when a node lies deeper than kMaxFileTreeHeight. The memory that the next step will read
  // is added to `toFetch`.
  bool Step(FrequencyTexts& frequencies, std::vector<const void*>& toFetch) {
    if (m_toList != nullptr) {
      ListChildren(*m_toList, toFetch);
      m_toList = nullptr;
      return true;
    }
    const ContextTree::Node* node = m_pending.back();
    m_pending.pop_back();
    if (node == kCloseNode) {
      m_text += "]}";
      --m_openNodes;
      m_firstChild = false;
      return true;
    }
    if (!m_firstChild) m_text += ',';
    // The node's level is the number of open nodes above it.
    if (m_openNodes > static_cast<std::size_t>(kMaxFileTreeHeight)) return false;
    AppendNodeStart(m_text, *node, frequencies);
    ++m_openNodes;
    m_firstChild = true;
    m_pending.push_back(kCloseNode);
    if (!node->children.empty()) {
      toFetch.push_back(&*node->children.begin());
      m_toList = node;
    }
    return true;
  }

 private:
  static constexpr const ContextTree::Node* kCloseNode = nullptr;  // ends the innermost open node

  void ListChildren(const ContextTree::Node& node, std::vector<const void*>& toFetch) {
    const std::size_t first = m_pending.size();
    for (const auto& entry : node.children) {
      const ContextTree::Node* child = entry.second.get();
      // Its item, frequency and children's header, read when it is opened.
      toFetch.push_back(child);
      toFetch.push_back(reinterpret_cast<const char*>(child) + sizeof(ContextTree::Node) - 1);
      m_pending.push_back(child);
    }
    std::reverse(m_pending.begin() + static_cast<std::ptrdiff_t>(first),
                 m_pending.end());  // lowest code on top
  }

  std::string m_text;
  std::vector<const ContextTree::Node*> m_pending;
  const ContextTree::Node* m_toList = nullptr;
  std::size_t m_openNodes;
  bool m_firstChild = true;
};

// What became of writing a tree's text.
enum class TextWritten {
  kWritten,
  kTooDeep,   // a node lies deeper than kMaxFileTreeHeight
  kNotTaken,  // the sink refused a piece
};

// The root's object with every node below it, but for its closing brace. Walking a learnt tree
// waits on memory at each node, so the subtrees of the root's children are written several at a
// time, one step of each in turn. The text of the first subtree not yet written in full goes to
// `out` as it grows; the others' texts are kept until they come first.
TextWritten WriteNodes(cmdpredict::ContentSink& out, const ContextTree::Node& root) {
  constexpr std::size_t kWalksAtOnce = 16;
  constexpr std::size_t kPieceBytes = 64 * 1024;
  FrequencyTexts frequencies;
  std::string rootStart;
  AppendNodeStart(rootStart, root, frequencies);
  if (!out.Append(rootStart)) return TextWritten::kNotTaken;
  std::deque<SubtreeWriter> walks;         // in the order of the children, until written
  std::vector<SubtreeWriter*> unfinished;  // those of them still walking
  std::vector<const void*> toFetch;
  auto nextChild = root.children.begin();
  bool firstChild = true;
  bool frontStarted = false;  // part of the first walk's text has been handed on
  while (nextChild != root.children.end() || !walks.empty()) {
    while (unfinished.size() < kWalksAtOnce && nextChild != root.children.end()) {
      unfinished.push_back(&walks.emplace_back(*nextChild->second, 1));
      ++nextChild;
    }
    for (SubtreeWriter* walk : unfinished) {
      if (!walk->Step(frequencies, toFetch)) return TextWritten::kTooDeep;
    }
    // Asked for together, so that the fetches, which mostly start with a page-table walk, overlap.
    for (const void* address : toFetch) Prefetch(address);
    toFetch.clear();
    unfinished.erase(std::remove_if(unfinished.begin(), unfinished.end(),
                                    [](const SubtreeWriter* walk) { return walk->Done(); }),
                     unfinished.end());
    while (!walks.empty()) {
      SubtreeWriter& front = walks.front();
      const bool done = front.Done();
      if (!done && front.Text().size() < kPieceBytes) break;
      if (!(firstChild || frontStarted || out.Append(",")) || !out.Append(front.Text()))
        return TextWritten::kNotTaken;
      firstChild = false;
      if (!done) {
        front.ClearText();
        frontStarted = true;
        break;
      }
      walks.pop_front();
      frontStarted = false;
    }
  }
  return out.Append("]") ? TextWritten::kWritten : TextWritten::kNotTaken;
}

// The text of the tree's file, handed to `out` piece by piece.
TextWritten WriteFileText(const ContextTree& tree, cmdpredict::ContentSink& out) {
  const TextWritten nodes = WriteNodes(out, tree.GetRoot());
  if (nodes != TextWritten::kWritten) return nodes;
  // The header members follow the root's own members inside the root's object: the header object's
  // text without its opening brace.
  JsonValue header = cmdpredict::MakeJsonObject();
  AddHeaderMembers(header, tree);
  const std::string headerText = cmdpredict::ToJsonText(header);
  return out.Append(",") && out.Append(std::string_view(headerText).substr(1)) ? TextWritten::kWritten
                                                                               : TextWritten::kNotTaken;
}

// --- Reading ---------------------------------------------------------------------------------

// A depth that is missing, not an integer or outside 1 to kMaxFileDepth leaves the tree's depth as
// it was: a tree of depth 0 would never learn again, and a huge one would exhaust the memory.
LoadSeverity ReadDepth(ContextTree& tree, JsonReference object) {
  const JsonReference depth = FindKey(object, kDepth);
  if (cmdpredict::GetType(depth) != JsonType::Int) return kRepaired;
  const int value = cmdpredict::GetInt(depth);
  if (value < 1 || value > kMaxFileDepth) return kRepaired;
  tree.SetDepth(static_cast<std::uint64_t>(value));
  return kLoadedFully;
}

bool IsConciseSchema(JsonReference object) {
  const JsonReference schema = FindKey(object, kSchemaKey);
  return cmdpredict::GetType(schema) == JsonType::String && cmdpredict::GetString(schema) == kSchema;
}

LoadSeverity ReadEncodings(ContextTree& tree, JsonReference encodings) {
  if (cmdpredict::GetType(encodings) != JsonType::Array) return kUnusable;
  const std::size_t size = cmdpredict::GetArraySize(encodings);
  for (std::size_t index = 0; index < size; ++index) {
    const JsonReference text = cmdpredict::GetArrayElement(encodings, index);
    if (cmdpredict::GetType(text) != JsonType::String) return kUnusable;
    // A text or code met before keeps its first pair.
    tree.AddEncoding(cmdpredict::GetString(text), static_cast<int>(index));
  }
  return kLoadedFully;
}

LoadSeverity ReadHeader(ContextTree& tree, JsonReference object) {
  const LoadSeverity depth = ReadDepth(tree, object);
  const bool concise = IsConciseSchema(object);
  const JsonReference encodings = FindKey(object, kEncodings);
  // Only the concise schema needs "encodings": its nodes name items by code.
  if (encodings.IsNull()) return concise ? kUnusable : depth;
  const LoadSeverity read = ReadEncodings(tree, encodings);
  if (concise) return Worse(read, depth);
  return read == kUnusable ? kRepaired : depth;
}

LoadSeverity ReadItem(ContextTree::Node& node, JsonReference object) {
  const JsonReference item = FindKey(object, kItem);
  switch (cmdpredict::GetType(item)) {
    case JsonType::String:
      if (node.tree == nullptr) return kUnusable;
      node.item = node.tree->GetOrAddCode(cmdpredict::GetString(item));
      return kLoadedFully;
    case JsonType::Int:
      node.item = cmdpredict::GetInt(item);
      return kLoadedFully;
    default:
      return kUnusable;
  }
}

LoadSeverity ReadFrequency(ContextTree::Node& node, JsonReference object) {
  const JsonReference frequency = FindKey(object, kFrequency);
  if (frequency.IsNull()) return kLoadedFully;
  if (cmdpredict::GetType(frequency) != JsonType::Double) return kRepaired;
  const double value = cmdpredict::GetDouble(frequency);
  node.frequency = std::max(value, 0.0);
  return value < 0.0 ? kRepaired : kLoadedFully;
}

LoadSeverity ReadChildren(ContextTree::Node& node, JsonReference children) {
  if (cmdpredict::GetType(children) != JsonType::Array) return kRepaired;
  LoadSeverity severity = kLoadedFully;
  const std::size_t size = cmdpredict::GetArraySize(children);
  for (std::size_t index = 0; index < size; ++index) {
    const JsonReference element = cmdpredict::GetArrayElement(children, index);
    if (cmdpredict::GetType(element) == JsonType::Null) {
      severity = kRepaired;
      continue;
    }
    // The child lies where learning would have put it: the few nodes near the root together.
    auto child = node.NewChild();
    const LoadSeverity childSeverity = FromJson(*child, element);
    if (childSeverity != kLoadedFully) severity = kRepaired;
    // A damaged subtree is cut off where it is damaged; a later sibling with the same code
    // replaces an earlier one.
    if (childSeverity != kUnusable) node.AttachNewChild(std::move(child));
  }
  return severity;
}

// --- Files -----------------------------------------------------------------------------------

std::string FileNameFor(const std::string& path, const std::string& typeName) {
  return cmdpredict::FormatText("%s.%s", path.c_str(), typeName.c_str());
}

// Backups carry the time as the signed decimal of its low 32 bits.
int BackupTime() {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(cmdpredict::CurrentTimeSeconds()));
}

std::string BackupName(const std::string& fileName) {
  return cmdpredict::FormatText("%s_%d%s", fileName.c_str(), BackupTime(), ".backup");
}

std::string BackupName(const std::string& fileName, ModelVersion version) {
  const std::string versionText = cmdpredict::FormatText("%d.%d", version.major, version.minor);
  return cmdpredict::FormatText("%s_%s_%d%s", fileName.c_str(), versionText.c_str(), BackupTime(), ".backup");
}

// Writes the text read from a damaged file beside it, the way every file is written (a temporary
// file renamed over the name): whatever stands at the backup's name, a link included, is replaced
// and never written through.
void BackUp(const std::string& text, const std::string& backupName, cmdpredict::Diagnostics& diagnostics) {
  const cmdpredict::FileResult written = cmdpredict::WriteFileAtomically(backupName, text);
  if (written) {
    cmdpredict::AddDiagnostic(diagnostics, cmdpredict::DiagnosticKind::kBackupWritten, backupName,
                              "copy of a damaged model file");
  } else {
    cmdpredict::AddDiagnostic(diagnostics, cmdpredict::DiagnosticKind::kBackupNotWritten, backupName,
                              written.FailureReason());
  }
}

// A decimal number at the start of the text, read the way std::stoi reads it; false when there is
// none, or one outside the range of int.
bool ReadVersionPart(const std::string& text, int& number) {
  const cmdpredict::LeadingInteger read = cmdpredict::ReadLeadingInteger(text);
  if (read.outcome != cmdpredict::LeadingInteger::Outcome::kNumber) return false;
  number = read.value;
  return true;
}

// What a load that used the file only in part tells the host. Nothing learnt survived when the
// file's required parts were unusable and its root kept no children.
void ReportDamage(const ContextTree& tree, const std::string& fileName, LoadSeverity severity,
                  ModelVersion version, cmdpredict::Diagnostics& diagnostics) {
  std::string reason;
  if (!IsAcceptedVersion(version)) {
    reason = cmdpredict::FormatText("version %d.%d is not accepted", version.major, version.minor);
  } else {
    reason = severity == kUnusable ? "required parts are missing or unusable" : "damaged parts were left out";
  }
  const bool nothingKept = severity == kUnusable && tree.GetRoot().children.empty();
  cmdpredict::AddDiagnostic(diagnostics,
                            nothingKept ? cmdpredict::DiagnosticKind::kModelFileReplaced
                                        : cmdpredict::DiagnosticKind::kModelFileRepaired,
                            fileName, reason);
}

}  // namespace

JsonValue ToJson(const ContextTree::Node& node) {
  JsonValue object = cmdpredict::MakeJsonObject();
  AddMember(object, kItem.shortForm, JsonValue(node.item));
  AddMember(object, kFrequency.shortForm, JsonValue(node.frequency));
  JsonValue children = cmdpredict::MakeJsonArray({});
  for (const auto& entry : node.children) {
    JsonValue child = ToJson(*entry.second);
    cmdpredict::AppendJsonArrayElement(children, child);
  }
  AddMember(object, kChildren.shortForm, std::move(children));
  return object;
}

JsonValue ToJson(const ContextTree& tree) {
  JsonValue object = ToJson(tree.GetRoot());
  AddHeaderMembers(object, tree);
  return object;
}

std::optional<std::string> ToFileText(const ContextTree& tree) {
  // Room for the whole text up front: a string that grows holds its old and its new buffer at once,
  // the largest memory a text of a large tree would take. Room left unused is never touched.
  constexpr std::size_t kRoomPerNode = 64;
  cmdpredict::StringSink text;
  text.contents.reserve(tree.PooledNodeCount() * kRoomPerNode);
  if (WriteFileText(tree, text) != TextWritten::kWritten) return std::nullopt;
  return std::move(text.contents);
}

LoadSeverity FromJson(ContextTree& tree, JsonReference value) {
  const std::uint64_t depthBefore = tree.GetDepth();
  tree.Clear();
  tree.SetDepth(depthBefore);  // until the file gives a usable one
  if (cmdpredict::GetType(value) != JsonType::Object) return kUnusable;
  const LoadSeverity header = ReadHeader(tree, value);
  return Worse(header, FromJson(tree.GetRoot(), value));
}

LoadSeverity FromJson(ContextTree::Node& node, JsonReference value) {
  node.item = -1;
  node.frequency = 0.0;
  node.children.clear();
  if (cmdpredict::GetType(value) != JsonType::Object) return kUnusable;
  if (ReadItem(node, value) == kUnusable) return kUnusable;
  const LoadSeverity frequency = ReadFrequency(node, value);
  const JsonReference children = FindKey(value, kChildren);
  if (children.IsNull()) return frequency;
  return Worse(frequency, ReadChildren(node, children));
}

bool IsAcceptedVersion(ModelVersion version) { return version.major >= 1 && version.minor >= 0; }

ModelVersion ReadVersion(JsonReference value) {
  if (cmdpredict::GetType(value) != JsonType::Object) return {};
  const JsonReference version = FindKey(value, kVersionKey);
  if (cmdpredict::GetType(version) != JsonType::String) return {};
  return VersionOfText(cmdpredict::GetString(version));
}

ModelVersion VersionOfText(const std::string& text) {
  std::vector<std::string> parts;
  cmdpredict::SplitText(text, ".", parts);
  ModelVersion read;
  if (parts.size() != 2 || !ReadVersionPart(parts[0], read.major) || !ReadVersionPart(parts[1], read.minor))
    return {};
  return read;
}

TextLoad LoadFromText(ContextTree& tree, const std::string& text) {
  TextLoad loaded;
  if (ReadSavedForm(tree, text, loaded.version)) {
    loaded.isJson = true;
    return loaded;
  }
  return LoadThroughDocument(tree, text);
}

TextLoad LoadThroughDocument(ContextTree& tree, const std::string& text) {
  TextLoad loaded;
  const cmdpredict::JsonDocumentPtr document = cmdpredict::CreateJsonDocument();
  const JsonValue* root = document->Parse(text.c_str());
  if (document->HasParseError()) {
    loaded.backUp = true;
    return loaded;
  }
  loaded.isJson = true;
  loaded.severity = FromJson(tree, JsonReference(*root));
  loaded.version = ReadVersion(JsonReference(*root));
  loaded.backUp = !IsAcceptedVersion(loaded.version) || loaded.severity != kLoadedFully;
  return loaded;
}

bool ContextTree::Save(const std::string& path) {
  cmdpredict::Diagnostics ignored;
  return Save(path, ignored);
}

bool ContextTree::Load(const std::string& path) {
  cmdpredict::Diagnostics ignored;
  return Load(path, ignored);
}

bool ContextTree::Save(const std::string& path, cmdpredict::Diagnostics& diagnostics) {
  const std::string fileName = FileNameFor(path, GetTypeName());
  // The text goes to the file as it is made, instead of being held whole first (for a large tree,
  // tens of megabytes more at the moment of the save). A tree too deep for Load is not written:
  // the previous file stays readable.
  TextWritten text = TextWritten::kWritten;
  const cmdpredict::FileResult written =
      cmdpredict::WriteFileAtomically(fileName, [this, &text](cmdpredict::ContentSink& out) {
        text = WriteFileText(*this, out);
        return text == TextWritten::kWritten;
      });
  if (text == TextWritten::kTooDeep) {
    cmdpredict::AddDiagnostic(diagnostics, cmdpredict::DiagnosticKind::kModelNotSaved, fileName,
                              "the tree is deeper than a model file can hold");
    return false;
  }
  if (!written) {
    cmdpredict::AddDiagnostic(diagnostics, cmdpredict::DiagnosticKind::kModelNotSaved, fileName,
                              written.FailureReason());
    return false;
  }
  return true;
}

bool ContextTree::Load(const std::string& path, cmdpredict::Diagnostics& diagnostics) {
  const std::string typeName = GetTypeName();
  const bool hasExtension = cmdpredict::EndsWith(path, cmdpredict::FormatText(".%s", typeName.c_str()));
  const std::string fileName = hasExtension ? path : FileNameFor(path, typeName);
  std::string text;
  if (cmdpredict::FileExists(fileName) != 0) return false;
  const cmdpredict::FileResult read = cmdpredict::ReadWholeFile(fileName, text);
  if (!read) {
    // The model starts anew, and its next save replaces whatever stands there.
    cmdpredict::AddDiagnostic(diagnostics, cmdpredict::DiagnosticKind::kModelFileReplaced, fileName,
                              read.FailureReason());
    return false;
  }

  const TextLoad loaded = LoadFromText(*this, text);
  if (!loaded.isJson) {
    cmdpredict::AddDiagnostic(diagnostics, cmdpredict::DiagnosticKind::kModelFileReplaced, fileName,
                              "not JSON text");
    BackUp(text, BackupName(fileName), diagnostics);
    return false;
  }
  if (loaded.backUp) {
    ReportDamage(*this, fileName, loaded.severity, loaded.version, diagnostics);
    BackUp(text,
           IsAcceptedVersion(loaded.version) ? BackupName(fileName) : BackupName(fileName, loaded.version),
           diagnostics);
  }
  return true;
}

}  // namespace Quenmar::Intel
