#include "models/contexttree/node_pool.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <utility>

#if defined(__SANITIZE_ADDRESS__)
#define CMDPREDICT_POOL_POISONING 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define CMDPREDICT_POOL_POISONING 1
#endif
#endif
#ifdef CMDPREDICT_POOL_POISONING
#include <sanitizer/asan_interface.h>
#endif

namespace Quenmar::Intel {
namespace {

// Under AddressSanitizer a block that is not in use is poisoned, so that a use after its release
// is reported as it would be for the heap.
void MarkUnused(void* block, std::size_t bytes) {
#ifdef CMDPREDICT_POOL_POISONING
  ASAN_POISON_MEMORY_REGION(block, bytes);
#else
  static_cast<void>(block);
  static_cast<void>(bytes);
#endif
}

void MarkInUse(void* block, std::size_t bytes) {
#ifdef CMDPREDICT_POOL_POISONING
  ASAN_UNPOISON_MEMORY_REGION(block, bytes);
#else
  static_cast<void>(block);
  static_cast<void>(bytes);
#endif
}

constexpr std::size_t kFirstRegionBytes = 2 * NodePool::kGranuleBytes;
constexpr std::size_t kLargestRegionBytes = 64 * NodePool::kGranuleBytes;

thread_local NodePool* t_currentPool = nullptr;
thread_local NodePool::Lane t_currentLane = NodePool::Lane::kDeep;

// Allocations outside every scope (a node built without a tree, say) share one pool that is
// never freed.
NodePool* SharedPool() {
  static NodePool* const pool = NodePool::Create();
  return pool;
}

std::size_t ClassOf(std::size_t bytes) {
  return (bytes + NodePool::kBlockAlignment - 1) / NodePool::kBlockAlignment;
}

}  // namespace

NodePool* NodePool::Create() { return new NodePool(); }

void NodePool::ReleaseOwner() {
  m_ownerGone = true;
  if (m_blocksInUse == 0) delete this;
}

void NodePool::ReleaseOwnerAndAllBlocks() { delete this; }

NodePool::GranuleHeader& NodePool::HeaderOf(const void* address) {
  const auto granule = reinterpret_cast<std::uintptr_t>(address) & ~(std::uintptr_t{kGranuleBytes} - 1);
  return *reinterpret_cast<GranuleHeader*>(granule);
}

std::size_t NodePool::SlotOf(const void* address) {
  return (reinterpret_cast<std::uintptr_t>(address) & (std::uintptr_t{kGranuleBytes} - 1)) / kBlockAlignment;
}

void NodePool::NoteShared(const void* object) { HeaderOf(object).pool->m_shared = true; }

void NodePool::Mark(const void* object) {
  const std::size_t slot = SlotOf(object);
  HeaderOf(object).marks[slot / 64] |= std::uint64_t{1} << (slot % 64);
}

void NodePool::Unmark(const void* object) {
  const std::size_t slot = SlotOf(object);
  HeaderOf(object).marks[slot / 64] &= ~(std::uint64_t{1} << (slot % 64));
}

int NodePool::LowestBit(std::uint64_t bits) {
#if defined(__GNUC__)
  return __builtin_ctzll(bits);
#else
  int bit = 0;
  for (; (bits & 1) == 0; bits >>= 1) ++bit;
  return bit;
#endif
}

NodePool::Scope::Scope(NodePool* pool) : Scope(pool, t_currentLane) {}

NodePool::Scope::Scope(NodePool* pool, Lane lane)
    : m_previousPool(t_currentPool), m_previousLane(t_currentLane) {
  t_currentPool = pool;
  t_currentLane = lane;
}

NodePool::Scope::~Scope() {
  t_currentPool = m_previousPool;
  t_currentLane = m_previousLane;
}

void* NodePool::Allocate(std::size_t bytes) {
  if (bytes == 0 || bytes > kMaxBlockBytes) throw std::bad_alloc();
  return (t_currentPool != nullptr ? t_currentPool : SharedPool())->AllocateHere(bytes, t_currentLane);
}

void NodePool::Deallocate(void* block, std::size_t bytes) {
  HeaderOf(block).pool->DeallocateHere(block, bytes);
}

void* NodePool::AllocateHere(std::size_t bytes, Lane lane) {
  const std::size_t sizeClass = ClassOf(bytes);
  FreeBlock*& free = m_free[sizeClass];
  void* block = nullptr;
  if (free != nullptr) {
    block = free;
    MarkInUse(block, sizeof(FreeBlock));
    free = free->next;
  } else {
    const std::size_t blockBytes = sizeClass * kBlockAlignment;
    Cursor& cursor = m_lanes[static_cast<int>(lane)];
    if (static_cast<std::size_t>(cursor.end - cursor.next) < blockBytes) StartGranule(cursor);
    block = cursor.next;
    cursor.next += blockBytes;
  }
  ++m_blocksInUse;
  MarkInUse(block, bytes);
  return block;
}

void NodePool::DeallocateHere(void* block, std::size_t bytes) {
  --m_blocksInUse;
  MarkUnused(block, bytes);
  if (m_ownerGone) {
    // Nothing is allocated from the pool any more: the block need not be kept for reuse.
    if (m_blocksInUse == 0) delete this;
    return;
  }
  FreeBlock*& free = m_free[ClassOf(bytes)];
  MarkInUse(block, sizeof(FreeBlock));
  free = ::new (block) FreeBlock{free};
  MarkUnused(block, bytes);
}

void NodePool::StartGranule(Cursor& cursor) {
  if (m_reached == m_regionEnd) {
    // A new region, each twice as large as the one before up to a bound; it is allocated one
    // granule larger than it holds, so that its first granule can start at a multiple of the size.
    m_regionBytes = m_regions.empty() ? kFirstRegionBytes : std::min(2 * m_regionBytes, kLargestRegionBytes);
    Region region;
    region.memory.reset(new char[m_regionBytes + kGranuleBytes]);  // not zeroed: pages stay untouched
    MarkUnused(region.memory.get(), m_regionBytes + kGranuleBytes);
    const auto start = reinterpret_cast<std::uintptr_t>(region.memory.get());
    region.granules =
        reinterpret_cast<char*>((start + kGranuleBytes - 1) & ~(std::uintptr_t{kGranuleBytes} - 1));
    region.end = region.granules + m_regionBytes;
    m_reached = region.granules;
    m_regionEnd = region.end;
    m_regions.push_back(std::move(region));
  }
  cursor.next = m_reached;
  cursor.end = m_reached + kGranuleBytes;
  m_reached = cursor.end;
  MarkInUse(cursor.next, sizeof(GranuleHeader));
  ::new (cursor.next) GranuleHeader{this, {}};  // no marks yet
  cursor.next += (sizeof(GranuleHeader) + kBlockAlignment - 1) / kBlockAlignment * kBlockAlignment;
}

}  // namespace Quenmar::Intel
