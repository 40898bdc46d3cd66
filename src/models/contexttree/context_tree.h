// The context tree: a variable-order model over items, stored as a tree of counted contexts.
//
// Each node below the root stands for a run of consecutive items as they were learnt; the path
// from the root spells the run in learning order (the root's child for a is the run (a), that
// node's child for b the run (a, b)). A node's frequency counts how often its run was learnt, less
// the times it was taken back; its children are the items that followed the run.
//
// Learning is in context_tree.cpp, prediction in context_tree_prediction.cpp, the file in
// context_tree_file.cpp. Threading: one thread; nothing is synchronised.
#pragma once

#include <boost/bimap.hpp>
#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "models/contexttree/node_pool.h"
#include "models/sequence_model.h"
#include "support/diagnostics.h"

namespace Quenmar::Intel {

class ContextTree : public ISequencePredictionModel {
 public:
  // One counted context. Invariants: every node of a tree has that tree as `tree`; a node is owned
  // by its parent's `children` (the root by the tree); `parent` and `tree` never own; a child is
  // keyed by its own `item`.
  class Node {
   public:
    Node(ContextTree* owner, Node* parentNode);
    Node(ContextTree* owner, Node* parentNode, int itemCode, double itemFrequency);
    // Clears the parent link of each child before releasing it. Releases the subtree without
    // recursion, so that destroying a deep tree cannot exhaust the stack.
    ~Node();
    Node(const Node&) = delete;
    Node& operator=(const Node&) = delete;

    bool HasChild(int code) const;
    // False when the text has no code in the tree; never assigns a code.
    bool HasChild(const std::string& text) const;
    std::shared_ptr<Node> GetChild(int code) const;
    // Empty when the text has no code or there is no such child; never assigns a code.
    std::shared_ptr<Node> GetChild(const std::string& text) const;
    // The child for the code, created with frequency 0.0 when missing.
    std::shared_ptr<Node> GetOrAddChild(int code);
    // The child for the text, which receives a code first when it has none.
    std::shared_ptr<Node> GetOrAddChild(const std::string& text);
    // Moves `child` under this node (out of its former parent), replacing any child with its code.
    std::shared_ptr<Node> AttachChild(std::shared_ptr<Node> child);
    // A new node (item -1, frequency 0.0) with this node as its parent, drawn from where this node's
    // children lie, but not yet among them: for a reader that fills it, then attaches it with
    // AttachNewChild or drops it.
    std::shared_ptr<Node> NewChild();
    // AttachChild for a node from NewChild of this node, which has no former parent's entry to leave:
    // stored under its code, replacing any child with that code, without a copy of its pointer.
    void AttachNewChild(std::shared_ptr<Node> child);
    // Adds delta to the frequency and returns the new value.
    double AddFrequency(double delta);
    // The tree's text for this node's code ("" when the code has none).
    std::string GetItemText() const;
    // Gives the node the code of the text, assigning one when the text has none.
    void SetItemText(const std::string& text);
    Node* GetParent() const;
    // Drops every child, clearing its parent link; a subtree that nobody else holds is released
    // without recursion.
    void ReleaseChildren();

    // An entry of `children`.
    using ChildEntry = std::pair<const int, std::shared_ptr<Node>>;

    int item = -1;           // code of the item that ends this node's run; -1: none
    double frequency = 0.0;  // times the run was learnt, less the times it was taken back
    std::map<int, std::shared_ptr<Node>, std::less<int>, NodeAllocator<ChildEntry, ChildEntry>>
        children;  // by item code, ascending; entries from the tree's pool, marked there
    ContextTree* tree = nullptr;
    Node* parent = nullptr;  // null for the root

   private:
    friend class ContextTree;
    // GetOrAddChild, without handing out a shared pointer.
    Node* GetOrAddChildNode(int code);
    // The lane of the tree's pool that this node's new children are drawn from.
    NodePool::Lane LaneOfChildren() const;
    void MoveChildrenInto(std::vector<std::shared_ptr<Node>>& released);
  };

  // `depth`: the longest run learnt as a context; `historyMargin`: how many entries the history
  // keeps beyond `depth`. The registry creates trees with the defaults.
  explicit ContextTree(std::uint64_t depth = 0, std::uint64_t historyMargin = 1);
  ~ContextTree() override;
  ContextTree(const ContextTree&) = delete;
  ContextTree& operator=(const ContextTree&) = delete;

  using ISequencePredictionModel::Predict;
  PredictionMap Predict(const std::vector<std::string>& history) override;
  // Predict, replacing the content of `predictions`. The entries of items that the map holds
  // already are reused, so predicting again into the same map allocates next to nothing.
  void PredictInto(const std::vector<std::string>& history, PredictionMap& predictions);
  void AddItem(const std::string& item) override;
  void AddSequence(const std::vector<std::string>& items) override;
  std::string RemoveLastItem() override;
  void ClearHistory() override;
  bool Save(const std::string& path) override;
  bool Load(const std::string& path) override;
  // Save and Load, adding a record to `diagnostics` for a file that was not written, a file that
  // was repaired or could not be used, and each backup written or not written.
  bool Save(const std::string& path, cmdpredict::Diagnostics& diagnostics);
  bool Load(const std::string& path, cmdpredict::Diagnostics& diagnostics);

  // A new node (item -1 unless given, frequency 0.0 unless given, no children) drawn from the
  // owner's pool; one without an owner comes from the pool that nodes without a tree share.
  static std::shared_ptr<Node> NewNode(ContextTree* owner, Node* parent, int item = -1,
                                       double frequency = 0.0);

  // The next-item distribution of one node: its children's frequencies, normalised.
  PredictionMap GetDistribution(const Node& node) const;

  std::uint64_t GetDepth() const { return m_depth; }
  void SetDepth(std::uint64_t depth) { m_depth = depth; }
  std::uint64_t GetHistoryMargin() const { return m_historyMargin; }
  void SetHistoryMargin(std::uint64_t historyMargin) { m_historyMargin = historyMargin; }

  // Empties the tree before loading: new root, depth 0, empty history, no codes.
  void Clear();
  // Makes the tree `depth` levels deep. Lowered: every node below level `depth` is dropped, the
  // nodes above it are kept as copies in fresh memory (so the memory of the dropped ones is
  // returned; a node that a caller holds is no longer the tree's) and the history is cleared.
  // Raised: the history keeps the runs that the next item extends, and deeper runs are learnt from
  // then on. Counts and codes stay.
  void FitToDepth(std::uint64_t depth);

  // About the number of nodes of the tree, from its pool (a node takes two blocks: itself and its
  // entry among its parent's children); for sizing buffers.
  std::size_t PooledNodeCount() const { return m_pool->BlocksInUse() / 2 + 1; }

  Node& GetRoot() { return *m_root; }
  const Node& GetRoot() const { return *m_root; }
  // The active contexts, most recent run first (non-owning).
  const std::list<Node*>& GetHistory() const { return m_history; }

  // Item codes. A new text receives one more than the highest code in use (0 for the first), so
  // codes run 0, 1, 2, ... for a tree built by learning and existing codes keep their texts after
  // a load whose codes have gaps.
  int FindCode(const std::string& text) const;  // -1 when the text has no code
  bool HasItem(const std::string& text) const;
  int GetOrAddCode(const std::string& text);
  std::string GetItemText(int code) const;  // "" when no text has the code
  // Records the pair unless the text or the code has one already; true when it was recorded.
  bool AddEncoding(const std::string& text, int code);
  // The highest code that has a text, or -1 when there is none.
  int HighestCode() const;

 private:
  using Encodings = boost::bimap<std::string, int>;

  // The texts of the codes in ascending order, so that prediction can sum and merge scores in
  // text order by comparing small integers instead of texts. A code's rank is the position of its
  // text; the empty text, and every code without a text (which predicts under the empty text),
  // has rank 0.
  struct TextOrder {
    std::vector<int> rankOfCode;                 // by code, for codes 0 to the highest
    std::vector<const std::string*> textOfRank;  // into m_encodings
    int RankOf(int code) const;
  };
  // One score per rank, in ascending rank (that is, text) order.
  struct RankedScore {
    int rank;
    double score;
  };
  using RankedScores = std::vector<RankedScore>;
  // Working memory of prediction, kept from one call to the next: once it has grown to the tree's
  // number of items, a prediction allocates nothing of its own.
  struct PredictionBuffers {
    std::vector<double> scoreByRank;  // the blend of all contexts
    std::vector<char> scorePresent;
    std::vector<double> frequencyByRank;  // one node's children, placed by rank
    std::vector<char> frequencyPresent;
    std::vector<std::uint64_t> rankKeys;  // one node's children, sorted by rank
    std::vector<double> frequencies;
    std::vector<int> contextCodes;  // the codes of the history's items
    RankedScores distribution;
  };

  // The tree's pool; none (the shared pool) without a tree.
  static NodePool* PoolOf(const ContextTree* tree);
  // Whether the tree's pool holds nothing but the tree: every node in it held once, by the root
  // pointer or by an entry of a node of the tree. Visits the children entries in address order.
  bool PoolHoldsTheTreeAlone() const;
  // Makes a new node the root, releasing the old tree; the history is left alone.
  void ResetRoot();
  // Drops every node below the level and clears the history (which may point into what was dropped).
  void KeepTopLevels(std::uint64_t levels);
  // The text order of the current codes, rebuilt when codes were added or cleared since.
  const TextOrder& GetTextOrder() const;
  // GetDistribution in rank form.
  void RankedDistribution(const Node& node, const TextOrder& order, RankedScores& distribution) const;
  void CollectFrequenciesByRank(const Node& node, const TextOrder& order, RankedScores& frequencies) const;
  // Makes `map` hold exactly the scores (in ascending rank order) under their texts. Entries of
  // items that stay are updated in place; when items come, the map is copied afresh.
  static void AssignInTextOrder(const RankedScores& scores, const TextOrder& order, PredictionMap& map);

  // Owned until the destructor hands it back; declared first, so that it is there for the root.
  NodePool* m_pool = NodePool::Create();
  std::shared_ptr<Node> m_root;
  std::uint64_t m_depth;
  std::uint64_t m_historyMargin;
  Encodings m_encodings;
  // Entry i is the node of the run made of the last i+1 learnt items, for i below the depth; at
  // most depth + historyMargin entries. Emptied whenever the root is replaced.
  std::list<Node*> m_history;
  // Set once the pool's blocks may be used outside the tree in a way that counting cannot see, so
  // that the tree is released node by node: a node that does not lie in the pool had this tree as
  // owner (built outside NewNode, moved in from elsewhere, or kept by a caller from a pool this
  // tree gave up), whose children entries come from the pool. So is a tree whose pool notes that a
  // shared pointer to a node was handed out (GetChild, GetOrAddChild): a caller may have made a
  // weak pointer from it.
  bool m_releaseNodeByNode = false;
  mutable TextOrder m_textOrder;
  mutable bool m_textOrderStale = true;
  mutable PredictionBuffers m_buffers;
};

}  // namespace Quenmar::Intel
