// The memory of a context tree's nodes: each tree draws its nodes (shared-pointer control block and
// node in one block) and the entries of their children maps from a pool of its own.
//
// Why: a learnt tree holds millions of nodes. From a pool they lie close together, without the
// heap's per-block header, and a released tree returns its memory in a few large pieces instead of
// millions of small ones.
//
// Layout invariants: the pool carves blocks from granules of kGranuleBytes, aligned to that size,
// whose first bytes name the pool; so a block's pool is found from its address alone and the
// allocator needs no state (the control blocks and maps that store a copy of it stay as small as
// with the standard one). A granule holds blocks of any size class; a freed block goes to the free
// list of its class and is reused by the next block of that class.
//
// Lifetime: the tree owns its pool until it is destroyed (ReleaseOwner); blocks still in use then
// (a node that a caller holds through a shared pointer) keep the pool alive, and the pool is freed
// with the last of them.
//
// Threading: one thread, like the trees. Allocations are made from the pool of the innermost
// NodePool::Scope on the calling thread, or from one process-wide pool when there is none.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

namespace Quenmar::Intel {

class NodePool {
 public:
  static constexpr std::size_t kGranuleBytes = 64 * 1024;
  static constexpr std::size_t kMaxBlockBytes = 256;
  // Blocks are aligned to this, which covers the nodes and map entries.
  static constexpr std::size_t kBlockAlignment = 8;

  // A pool owned by its caller until ReleaseOwner.
  static NodePool* Create();
  // The owner is done with the pool: it is freed now, or with its last block in use.
  void ReleaseOwner();

  std::size_t BlocksInUse() const { return m_blocksInUse; }

  // Makes the pool the one that allocations on this thread draw from while the scope lives.
  class Scope {
   public:
    explicit Scope(NodePool* pool);
    ~Scope();
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

   private:
    NodePool* m_previous;
  };

  // A block of the size from the current pool; std::bad_alloc when the size is above kMaxBlockBytes.
  static void* Allocate(std::size_t bytes);
  // Returns a block to the pool it came from.
  static void Deallocate(void* block, std::size_t bytes);

 private:
  NodePool() = default;
  ~NodePool() = default;

  void* AllocateHere(std::size_t bytes);
  void DeallocateHere(void* block, std::size_t bytes);
  // Moves to the next granule of the current region, or of a new one.
  void StartGranule();

  struct FreeBlock {
    FreeBlock* next;
  };

  std::vector<std::unique_ptr<char[]>> m_regions;
  std::vector<FreeBlock*> m_free = std::vector<FreeBlock*>(kMaxBlockBytes / kBlockAlignment + 1, nullptr);
  char* m_next = nullptr;  // unused space of the current granule
  char* m_end = nullptr;
  char* m_regionEnd = nullptr;  // end of the current region's granules
  std::size_t m_regionBytes = 0;
  std::size_t m_blocksInUse = 0;
  bool m_ownerGone = false;
};

// A stateless allocator over NodePool, for the nodes and children maps of a context tree.
template <typename T>
struct NodeAllocator {
  static_assert(alignof(T) <= NodePool::kBlockAlignment, "blocks are not aligned for this type");
  using value_type = T;
  NodeAllocator() = default;
  template <typename U>
  NodeAllocator(const NodeAllocator<U>& /*other*/) {}  // NOLINT: converting, as allocators are

  T* allocate(std::size_t count) { return static_cast<T*>(NodePool::Allocate(count * sizeof(T))); }
  void deallocate(T* block, std::size_t count) { NodePool::Deallocate(block, count * sizeof(T)); }

  template <typename U>
  bool operator==(const NodeAllocator<U>& /*other*/) const {
    return true;  // any block is returned to the pool it came from
  }
  template <typename U>
  bool operator!=(const NodeAllocator<U>& /*other*/) const {
    return false;
  }
};

}  // namespace Quenmar::Intel
