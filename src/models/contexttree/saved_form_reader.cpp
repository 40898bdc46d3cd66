#include "models/contexttree/saved_form_reader.h"

#include <algorithm>
#include <memory>
#include <string_view>
#include <vector>

#include "models/contexttree/file_keys.h"
#include "support/json/json_events.h"

namespace Quenmar::Intel {
namespace {

using Node = ContextTree::Node;

// Follows the text event by event through the form Save writes, building the nodes under a root of
// its own; the first event out of that form stops the reading. The header comes after the nodes in
// the text, so it is kept aside and given to the tree with the nodes once the whole text was read.
class SavedFormReader final : public cmdpredict::JsonEventHandler {
 public:
  explicit SavedFormReader(ContextTree& tree) { m_open.push_back(ContextTree::NewNode(&tree, nullptr)); }

  bool StartObject() override {
    if (m_next == Next::kRoot) return Expect(Next::kItemKey);
    if (m_next != Next::kChildOrEnd) return false;
    m_open.push_back(m_open.back()->NewChild());
    return Expect(Next::kItemKey);
  }

  bool Key(std::string_view name) override {
    switch (m_next) {
      case Next::kItemKey:
        return name == file_keys::kItem.shortForm && Expect(Next::kItem);
      case Next::kFrequencyKey:
        return name == file_keys::kFrequency.shortForm && Expect(Next::kFrequency);
      case Next::kChildrenKey:
        return name == file_keys::kChildren.shortForm && Expect(Next::kChildren);
      case Next::kSchemaKey:
        return name == file_keys::kSchemaKey.fullForm && Expect(Next::kSchema);
      case Next::kVersionKey:
        return name == file_keys::kVersionKey.fullForm && Expect(Next::kVersion);
      case Next::kReleaseKey:
        return name == file_keys::kReleaseKey && Expect(Next::kRelease);
      case Next::kDepthKey:
        return name == file_keys::kDepth.shortForm && Expect(Next::kDepth);
      case Next::kEncodingsKey:
        return name == file_keys::kEncodings.fullForm && Expect(Next::kEncodings);
      default:
        return false;
    }
  }

  bool EndObject() override {
    if (m_next == Next::kRootEnd) return Expect(Next::kDone);
    if (m_next != Next::kNodeEnd) return false;
    std::shared_ptr<Node> node = std::move(m_open.back());
    m_open.pop_back();
    m_open.back()->AttachNewChild(std::move(node));
    return Expect(Next::kChildOrEnd);
  }

  bool StartArray() override {
    if (m_next == Next::kChildren) return Expect(Next::kChildOrEnd);
    return m_next == Next::kEncodings && Expect(Next::kEncodingOrEnd);
  }

  bool EndArray() override {
    if (m_next == Next::kEncodingOrEnd) return Expect(Next::kRootEnd);
    if (m_next != Next::kChildOrEnd) return false;
    return Expect(m_open.size() == 1 ? Next::kSchemaKey : Next::kNodeEnd);
  }

  bool String(std::string_view text) override {
    // The general load reads a string up to its first NUL byte.
    if (text.find('\0') != std::string_view::npos) return false;
    switch (m_next) {
      case Next::kSchema:
        return text == file_keys::kSchema && Expect(Next::kVersionKey);
      case Next::kVersion:
        m_version = VersionOfText(std::string(text));
        return IsAcceptedVersion(m_version) && Expect(Next::kReleaseKey);
      case Next::kRelease:
        return Expect(Next::kDepthKey);
      case Next::kEncodingOrEnd:
        m_encodings.emplace_back(text);
        return true;
      default:
        return false;
    }
  }

  bool Int(int number) override {
    if (m_next == Next::kItem) {
      m_open.back()->item = number;
      return Expect(Next::kFrequencyKey);
    }
    if (m_next != Next::kDepth || number < 1 || number > kMaxFileDepth) return false;
    m_depth = number;
    return Expect(Next::kEncodingsKey);
  }

  bool Double(double number) override {
    // A negative frequency is a repair.
    if (m_next != Next::kFrequency || number < 0.0) return false;
    m_open.back()->frequency = std::max(number, 0.0);  // -0.0 stays, as in the general load
    return Expect(Next::kChildrenKey);
  }

  bool OtherValue(cmdpredict::JsonType /*type*/) override { return false; }

  ModelVersion Version() const { return m_version; }

  // Gives the tree what was read, the way the general load does: cleared, then the header, then
  // the nodes.
  void MoveInto(ContextTree& tree) {
    tree.Clear();
    tree.SetDepth(static_cast<std::uint64_t>(m_depth));
    for (std::size_t code = 0; code < m_encodings.size(); ++code)
      tree.AddEncoding(m_encodings[code], static_cast<int>(code));
    Node& read = *m_open.front();
    Node& root = tree.GetRoot();
    root.item = read.item;
    root.frequency = read.frequency;
    root.children = std::move(read.children);
    for (auto& entry : root.children) entry.second->parent = &root;
  }

 private:
  // What the next event must be.
  enum class Next {
    kRoot,
    kItemKey,
    kItem,
    kFrequencyKey,
    kFrequency,
    kChildrenKey,
    kChildren,
    kChildOrEnd,
    kNodeEnd,
    kSchemaKey,
    kSchema,
    kVersionKey,
    kVersion,
    kReleaseKey,
    kRelease,
    kDepthKey,
    kDepth,
    kEncodingsKey,
    kEncodings,
    kEncodingOrEnd,
    kRootEnd,
    kDone,
  };

  bool Expect(Next next) {
    m_next = next;
    return true;
  }

  Next m_next = Next::kRoot;
  std::vector<std::shared_ptr<Node>> m_open;  // the root read, then each node open below it
  ModelVersion m_version;
  int m_depth = 0;
  std::vector<std::string> m_encodings;
};

}  // namespace

bool ReadSavedForm(ContextTree& tree, const std::string& text, ModelVersion& version) {
  SavedFormReader reader(tree);
  // A text read whole ended with the root's object: any other value stops the reader at once.
  if (!cmdpredict::ReadJsonEvents(text.c_str(), reader)) return false;
  reader.MoveInto(tree);
  version = reader.Version();
  return true;
}

}  // namespace Quenmar::Intel
