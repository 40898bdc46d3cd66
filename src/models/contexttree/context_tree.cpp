// Structure and learning of the context tree.
#include "models/contexttree/context_tree.h"

#include <new>
#include <utility>
#include <vector>

namespace Quenmar::Intel {
namespace {

// Set while NewNode builds a node in its owner's pool.
thread_local bool t_buildingPooledNode = false;

}  // namespace

// --- Node --------------------------------------------------------------------------------------

ContextTree::Node::Node(ContextTree* owner, Node* parentNode) : Node(owner, parentNode, -1, 0.0) {}

ContextTree::Node::Node(ContextTree* owner, Node* parentNode, int itemCode, double itemFrequency)
    : item(itemCode), frequency(itemFrequency), tree(owner), parent(parentNode) {
  if (owner != nullptr && !t_buildingPooledNode) owner->m_releaseNodeByNode = true;
}

ContextTree::Node::~Node() {
  // A subtree as deep as the tree's depth would otherwise be destroyed one stack frame per level.
  // Nodes that only this subtree owns hand their children to the list before they die, so every
  // node dies with an empty `children` map.
  ReleaseChildren();
}

void ContextTree::Node::ReleaseChildren() {
  std::vector<std::shared_ptr<Node>> released;
  MoveChildrenInto(released);
  while (!released.empty()) {
    std::shared_ptr<Node> node = std::move(released.back());
    released.pop_back();
    // Only a node held elsewhere needs its parent link cleared; the others die here, each
    // visited once.
    if (node.use_count() == 1) {
      node->MoveChildrenInto(released);
    } else {
      node->parent = nullptr;
    }
  }
}

void ContextTree::Node::MoveChildrenInto(std::vector<std::shared_ptr<Node>>& released) {
  for (auto& entry : children) released.push_back(std::move(entry.second));
  children.clear();
}

bool ContextTree::Node::HasChild(int code) const { return children.count(code) != 0; }

bool ContextTree::Node::HasChild(const std::string& text) const {
  const int code = tree->FindCode(text);
  return code != -1 && HasChild(code);
}

std::shared_ptr<ContextTree::Node> ContextTree::Node::GetChild(int code) const {
  const auto found = children.find(code);
  if (found == children.end()) return nullptr;
  // The entry lies in a pool whatever became of the tree; the tree's own pool tells it.
  NodePool::NoteShared(&*found);
  return found->second;
}

std::shared_ptr<ContextTree::Node> ContextTree::Node::GetChild(const std::string& text) const {
  const int code = tree->FindCode(text);
  return code == -1 ? nullptr : GetChild(code);
}

std::shared_ptr<ContextTree::Node> ContextTree::Node::GetOrAddChild(int code) {
  GetOrAddChildNode(code);
  return GetChild(code);
}

ContextTree::Node* ContextTree::Node::GetOrAddChildNode(int code) {
  auto position = children.lower_bound(code);
  if (position == children.end() || position->first != code) {
    const NodePool::Scope scope(PoolOf(tree), LaneOfChildren());
    position = children.emplace_hint(position, code, NewNode(tree, this, code, 0.0));
  }
  return position->second.get();
}

NodePool::Lane ContextTree::Node::LaneOfChildren() const {
  // The first two levels below the root are what a prediction from one item of history reads.
  if (parent == nullptr) return NodePool::Lane::kTop;
  return parent->parent == nullptr ? NodePool::Lane::kShallow : NodePool::Lane::kDeep;
}

std::shared_ptr<ContextTree::Node> ContextTree::Node::GetOrAddChild(const std::string& text) {
  return GetOrAddChild(tree->GetOrAddCode(text));
}

std::shared_ptr<ContextTree::Node> ContextTree::Node::AttachChild(std::shared_ptr<Node> child) {
  if (child->parent != nullptr) {
    child->parent->children.erase(child->item);
    child->parent = nullptr;
  }
  if (child->tree != tree && tree != nullptr) tree->m_releaseNodeByNode = true;
  child->tree = tree;
  const NodePool::Scope scope(PoolOf(tree));
  children[child->item] = child;
  child->parent = this;
  return child;
}

std::shared_ptr<ContextTree::Node> ContextTree::Node::NewChild() {
  const NodePool::Scope scope(PoolOf(tree), LaneOfChildren());
  return NewNode(tree, this);
}

void ContextTree::Node::AttachNewChild(std::shared_ptr<Node> child) {
  const NodePool::Scope scope(PoolOf(tree), LaneOfChildren());
  const int code = child->item;
  // A reader meets the children in ascending order of their codes: the place is at the end.
  children.insert_or_assign(children.end(), code, std::move(child));
}

double ContextTree::Node::AddFrequency(double delta) { return frequency += delta; }

std::string ContextTree::Node::GetItemText() const { return tree->GetItemText(item); }

void ContextTree::Node::SetItemText(const std::string& text) { item = tree->GetOrAddCode(text); }

ContextTree::Node* ContextTree::Node::GetParent() const { return parent; }

// --- Tree --------------------------------------------------------------------------------------

ContextTree::ContextTree(std::uint64_t depth, std::uint64_t historyMargin)
    : m_depth(depth), m_historyMargin(historyMargin) {
  ResetRoot();
}

ContextTree::~ContextTree() {
  m_history.clear();
  if (PoolHoldsTheTreeAlone()) {
    // No node outlives the tree, and a node owns nothing outside the pool: the pool's memory goes
    // at once, instead of each node being visited in tree order, which for a learnt tree is all
    // over its memory. The root pointer is emptied in place, as its node is gone with the pool.
    ::new (&m_root) std::shared_ptr<Node>();
    m_pool->ReleaseOwnerAndAllBlocks();
    return;
  }
  // First, so that the nodes released below are not kept for reuse; nodes that callers still hold
  // keep the pool until they go.
  m_pool->ReleaseOwner();
  m_root.reset();
}

bool ContextTree::PoolHoldsTheTreeAlone() const {
  if (m_releaseNodeByNode || m_pool->AnyShared() || m_root.use_count() != 1) return false;
  // Each entry's node is in the pool (nothing foreign came in). When each is held by its entry
  // alone, the entries and the root hold as many distinct nodes as there are entries plus one; if
  // that is every node of the pool, no node is held from outside. The counts are read in a plain
  // loop, so that their cache misses overlap.
  std::size_t entries = 0;
  std::size_t heldOnce = 0;
  m_pool->ForEachMarked([&entries, &heldOnce](const void* address) {
    ++entries;
    heldOnce +=
        static_cast<std::size_t>(static_cast<const Node::ChildEntry*>(address)->second.use_count() == 1);
  });
  return heldOnce == entries && m_pool->BlocksInUse() == 2 * entries + 1;
}

NodePool* ContextTree::PoolOf(const ContextTree* tree) { return tree != nullptr ? tree->m_pool : nullptr; }

std::shared_ptr<ContextTree::Node> ContextTree::NewNode(ContextTree* owner, Node* parent, int item,
                                                        double frequency) {
  const NodePool::Scope scope(PoolOf(owner));
  t_buildingPooledNode = true;
  struct Reset {
    ~Reset() { t_buildingPooledNode = false; }
  } reset;
  return std::allocate_shared<Node>(NodeAllocator<Node>(), owner, parent, item, frequency);
}

void ContextTree::ResetRoot() {
  m_root = NewNode(this, nullptr);
  m_root->item = GetOrAddCode("");
  m_root->frequency = 0.0;
}

void ContextTree::Clear() {
  ResetRoot();
  m_depth = 0;
  ClearHistory();
  m_encodings.clear();
  m_textOrderStale = true;
}

void ContextTree::ClearHistory() { m_history.clear(); }

void ContextTree::FitToDepth(std::uint64_t depth) {
  if (depth < m_depth) {
    KeepTopLevels(depth);
  } else if (m_history.size() > m_depth) {
    // Entries from position `depth` on hold runs of the step before, which the deeper visits of
    // the next AddItem would extend across the item in between.
    m_history.resize(static_cast<std::size_t>(m_depth));
  }
  m_depth = depth;
}

void ContextTree::KeepTopLevels(std::uint64_t levels) {
  // The kept nodes are copied into a pool of their own, level by level so that nothing recurses;
  // the old pool then goes with the old nodes, instead of keeping their memory for nodes to come.
  NodePool* const previousPool = m_pool;
  m_pool = NodePool::Create();
  std::shared_ptr<Node> root = NewNode(this, nullptr, m_root->item, m_root->frequency);
  const NodePool::Scope scope(m_pool);
  std::vector<std::pair<const Node*, Node*>> level{{m_root.get(), root.get()}};
  std::vector<std::pair<const Node*, Node*>> below;
  for (std::uint64_t reached = 0; reached < levels && !level.empty(); ++reached) {
    below.clear();
    for (const auto& [source, copy] : level) {
      for (const auto& [code, child] : source->children) {
        const auto added = copy->children.emplace_hint(copy->children.end(), code,
                                                       NewNode(this, copy, child->item, child->frequency));
        below.emplace_back(child.get(), added->second.get());
      }
    }
    level.swap(below);
  }
  ClearHistory();
  m_root.swap(root);
  root.reset();
  // A node of the old pool that a caller keeps still names this tree as its owner.
  m_releaseNodeByNode = m_releaseNodeByNode || previousPool->BlocksInUse() != 0;
  previousPool->ReleaseOwner();
}

void ContextTree::AddItem(const std::string& item) {
  m_history.push_front(m_root.get());
  if (m_history.size() > m_depth + m_historyMargin) m_history.pop_back();

  // Each visited entry advances from the run of the last i items to the run of the last i+1
  // items, counting it. The entry at position `depth` is kept unadvanced for RemoveLastItem.
  int code = -1;  // assigned at the first visit, so that depth 0 assigns no code
  bool metEmptyEntry = false;
  std::uint64_t position = 0;
  for (auto entry = m_history.begin(); entry != m_history.end() && position < m_depth; ++entry, ++position) {
    if (*entry == nullptr) {
      metEmptyEntry = true;
      continue;
    }
    if (code == -1) code = GetOrAddCode(item);
    Node* child = (*entry)->GetOrAddChildNode(code);
    child->AddFrequency(1.0);
    *entry = child;
  }
  if (metEmptyEntry) ClearHistory();
}

void ContextTree::AddSequence(const std::vector<std::string>& items) {
  for (const std::string& item : items) AddItem(item);
}

std::string ContextTree::RemoveLastItem() {
  if (m_history.empty()) return std::string();
  const Node* front = m_history.front();
  std::string text = front != nullptr ? front->GetItemText() : std::string();

  std::uint64_t position = 0;
  for (auto entry = m_history.begin(); entry != m_history.end() && position < m_depth; ++entry, ++position) {
    if (*entry == nullptr) continue;
    (*entry)->AddFrequency(-1.0);
    if ((*entry)->parent != nullptr) *entry = (*entry)->parent;
  }
  m_history.pop_front();
  return text;
}

// --- Codes -------------------------------------------------------------------------------------

int ContextTree::FindCode(const std::string& text) const {
  const auto found = m_encodings.left.find(text);
  return found == m_encodings.left.end() ? -1 : found->second;
}

bool ContextTree::HasItem(const std::string& text) const { return FindCode(text) != -1; }

int ContextTree::GetOrAddCode(const std::string& text) {
  const int existing = FindCode(text);
  if (existing != -1) return existing;
  const int code = HighestCode() + 1;
  m_encodings.insert(Encodings::value_type(text, code));
  m_textOrderStale = true;
  return code;
}

std::string ContextTree::GetItemText(int code) const {
  const auto found = m_encodings.right.find(code);
  return found == m_encodings.right.end() ? std::string() : found->second;
}

bool ContextTree::AddEncoding(const std::string& text, int code) {
  const bool added = m_encodings.insert(Encodings::value_type(text, code)).second;
  m_textOrderStale = m_textOrderStale || added;
  return added;
}

int ContextTree::HighestCode() const { return m_encodings.empty() ? -1 : m_encodings.right.rbegin()->first; }

}  // namespace Quenmar::Intel
