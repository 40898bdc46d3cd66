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
// with the last of them. An owner that has established that none of its blocks is used any more
// frees the pool at once (ReleaseOwnerAndAllBlocks), without the blocks being returned one by one.
//
// Marks: each granule's header also holds one bit per kBlockAlignment bytes, set for the address
// of each object that an allocator built with a tracked type constructed there and not yet
// destroyed (the children maps' entries), so that the owner can visit them in address order.
//
// Lanes: a pool fills three granules at a time, one per lane. The few nodes near the root, which
// every prediction reads, are drawn from lanes of their own, so that they lie together instead of
// among the millions of deeper ones: a prediction after the model was last used a while ago then
// misses the cache on a few pages, not on a page per node. The root's children, which every
// prediction walks in full, have the top lane to themselves: they are created in the order of their
// codes, so that walk reads the lane from start to end, which the processor fetches ahead.
//
// Threading: one thread, like the trees. Allocations are made from the pool and lane of the
// innermost NodePool::Scope on the calling thread, or from one process-wide pool when there is none.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <type_traits>
#include <utility>
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
  // The owner is done with the pool and no block of it is in use any more, whatever the count
  // says: the pool is freed now, and no object in it is destroyed.
  void ReleaseOwnerAndAllBlocks();

  std::size_t BlocksInUse() const { return m_blocksInUse; }

  // kTop: the root's children; kShallow: their children; kDeep: every other node.
  enum class Lane { kDeep, kShallow, kTop, kCount };

  // Makes the pool, and the lane when one is given, the ones that allocations on this thread draw
  // from while the scope lives. Outside every scope the lane is the deep one.
  class Scope {
   public:
    explicit Scope(NodePool* pool);
    Scope(NodePool* pool, Lane lane);
    ~Scope();
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

   private:
    NodePool* m_previousPool;
    Lane m_previousLane;
  };

  // A block of the size from the current pool; std::bad_alloc when the size is above kMaxBlockBytes.
  static void* Allocate(std::size_t bytes);
  // Returns a block to the pool it came from.
  static void Deallocate(void* block, std::size_t bytes);

  // Notes in the pool of an object's block that a shared pointer stored there was handed out.
  static void NoteShared(const void* object);
  bool AnyShared() const { return m_shared; }

  // Sets and clears the mark of an object, which lies in a block of any pool.
  static void Mark(const void* object);
  static void Unmark(const void* object);
  // Calls visit(address) for every marked address of this pool, in address order.
  template <typename Visit>
  void ForEachMarked(Visit visit) const;

 private:
  static constexpr std::size_t kSlotsPerGranule = kGranuleBytes / kBlockAlignment;
  // The start of every granule: blocks begin after it.
  struct GranuleHeader {
    NodePool* pool;
    std::uint64_t marks[kSlotsPerGranule / 64];  // bit i: an object marked at slot i
  };
  struct Region {
    std::unique_ptr<char[]> memory;
    char* granules;  // the first granule, aligned to kGranuleBytes
    char* end;       // the end of its granules
  };

  NodePool() = default;
  ~NodePool() = default;

  static GranuleHeader& HeaderOf(const void* address);
  static std::size_t SlotOf(const void* address);
  static int LowestBit(std::uint64_t bits);

  // The unused space of a lane's current granule.
  struct Cursor {
    char* next = nullptr;
    char* end = nullptr;
  };

  void* AllocateHere(std::size_t bytes, Lane lane);
  void DeallocateHere(void* block, std::size_t bytes);
  // Gives the lane the next granule of the current region, or of a new one.
  void StartGranule(Cursor& cursor);

  struct FreeBlock {
    FreeBlock* next;
  };

  std::vector<Region> m_regions;
  std::vector<FreeBlock*> m_free = std::vector<FreeBlock*>(kMaxBlockBytes / kBlockAlignment + 1, nullptr);
  Cursor m_lanes[static_cast<int>(Lane::kCount)];
  char* m_reached = nullptr;    // end of the last granule given to a lane
  char* m_regionEnd = nullptr;  // end of the current region's granules
  std::size_t m_regionBytes = 0;
  std::size_t m_blocksInUse = 0;
  bool m_ownerGone = false;
  bool m_shared = false;
};

template <typename Visit>
void NodePool::ForEachMarked(Visit visit) const {
  for (const Region& region : m_regions) {
    // The granules of the last region end where the pool has reached.
    char* const end = &region == &m_regions.back() ? m_reached : region.end;
    for (char* granule = region.granules; granule < end; granule += kGranuleBytes) {
      const auto& header = *reinterpret_cast<const GranuleHeader*>(granule);
      for (std::size_t word = 0; word < kSlotsPerGranule / 64; ++word) {
        for (std::uint64_t bits = header.marks[word]; bits != 0; bits &= bits - 1) {
          visit(granule + (word * 64 + static_cast<std::size_t>(LowestBit(bits))) * kBlockAlignment);
        }
      }
    }
  }
}

// A stateless allocator over NodePool, for the nodes and children maps of a context tree. The
// objects of type Tracked that it constructs are marked in their pool while they live.
template <typename T, typename Tracked = void>
struct NodeAllocator {
  static_assert(alignof(T) <= NodePool::kBlockAlignment, "blocks are not aligned for this type");
  using value_type = T;
  NodeAllocator() = default;
  template <typename U>
  NodeAllocator(const NodeAllocator<U, Tracked>& /*other*/) {}  // NOLINT: converting, as allocators are

  T* allocate(std::size_t count) { return static_cast<T*>(NodePool::Allocate(count * sizeof(T))); }
  void deallocate(T* block, std::size_t count) { NodePool::Deallocate(block, count * sizeof(T)); }

  template <typename U, typename... Args>
  void construct(U* object, Args&&... args) {
    ::new (static_cast<void*>(object)) U(std::forward<Args>(args)...);
    if constexpr (std::is_same_v<U, Tracked>) NodePool::Mark(object);
  }
  template <typename U>
  void destroy(U* object) {
    if constexpr (std::is_same_v<U, Tracked>) NodePool::Unmark(object);
    object->~U();
  }

  template <typename U>
  bool operator==(const NodeAllocator<U, Tracked>& /*other*/) const {
    return true;  // any block is returned to the pool it came from
  }
  template <typename U>
  bool operator!=(const NodeAllocator<U, Tracked>& /*other*/) const {
    return false;
  }
};

}  // namespace Quenmar::Intel
