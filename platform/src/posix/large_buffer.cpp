#include "platform/large_buffer.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <new>

namespace kelvane::platform {
namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;

constexpr std::size_t RoundUp(std::size_t bytes, std::size_t unit) {
  return (bytes + unit - 1) / unit * unit;
}

// Maps `bytes` (a multiple of `alignment`, itself a power of two) at an
// aligned address: maps more than needed and unmaps the ends.
void* MapAligned(std::size_t bytes, std::size_t alignment) {
  const std::size_t mapped = bytes + alignment;
  void* raw = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) throw std::bad_alloc();
  auto* start = static_cast<std::byte*>(raw);
  const auto address = reinterpret_cast<std::uintptr_t>(start);
  std::byte* aligned = start + (RoundUp(address, alignment) - address);
  std::byte* tail = aligned + bytes;
  std::byte* end = start + mapped;
  if (aligned != start) munmap(start, static_cast<std::size_t>(aligned - start));
  if (tail != end) munmap(tail, static_cast<std::size_t>(end - tail));
  return aligned;
}

// Large allocations in whole, aligned huge pages; small ones from the default
// resource.
class LargeBuffers final : public std::pmr::memory_resource {
 private:
  // Half a huge page or more is worth a whole one.
  static bool IsLarge(std::size_t bytes) { return bytes >= kHugePage / 2; }

  void* do_allocate(std::size_t bytes, std::size_t alignment) override {
    if (!IsLarge(bytes)) return std::pmr::new_delete_resource()->allocate(bytes, alignment);
    const std::size_t align = std::max(alignment, kHugePage);
    if (bytes > SIZE_MAX - 2 * align) throw std::bad_alloc();
    void* memory = MapAligned(RoundUp(bytes, align), align);
#ifdef MADV_HUGEPAGE
    madvise(memory, RoundUp(bytes, align), MADV_HUGEPAGE);  // only advice: may be unsupported
#endif
    return memory;
  }

  void do_deallocate(void* memory, std::size_t bytes, std::size_t alignment) override {
    if (!IsLarge(bytes)) {
      std::pmr::new_delete_resource()->deallocate(memory, bytes, alignment);
      return;
    }
    munmap(memory, RoundUp(bytes, std::max(alignment, kHugePage)));
  }

  bool do_is_equal(const std::pmr::memory_resource& other) const noexcept override {
    return this == &other;
  }
};

}  // namespace

std::pmr::memory_resource* LargeBufferResource() {
  static LargeBuffers resource;
  return &resource;
}

}  // namespace kelvane::platform
