#include "platform/large_buffer.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <memory_resource>
#include <sstream>
#include <string>

namespace kelvane::platform {
namespace {

constexpr std::size_t kMiB = std::size_t{1} << 20;

bool AlignedTo(const void* p, std::size_t alignment) {
  return reinterpret_cast<std::uintptr_t>(p) % alignment == 0;
}

// The flags /proc/self/smaps gives the mapping holding `address`.
std::string MappingFlags(const void* address) {
  std::ifstream smaps("/proc/self/smaps");
  const auto at = reinterpret_cast<std::uintptr_t>(address);
  bool inside = false;
  for (std::string line; std::getline(smaps, line);) {
    std::uintptr_t start = 0, end = 0;
    char dash = 0;
    if (std::istringstream(line) >> std::hex >> start >> dash >> end && dash == '-') {
      inside = start <= at && at < end;
    } else if (inside && line.starts_with("VmFlags:")) {
      return line;
    }
  }
  return "";
}

TEST(LargeBufferResource, GivesWritableMemoryAlignedForItsSize) {
  std::pmr::memory_resource* resource = LargeBufferResource();
  EXPECT_EQ(resource, LargeBufferResource());
  for (std::size_t size : {std::size_t{100}, 2 * kMiB - 1, 2 * kMiB, 3 * kMiB + 5, 4 * kMiB}) {
    SCOPED_TRACE(testing::Message() << size << " bytes");
    auto* bytes = static_cast<unsigned char*>(resource->allocate(size, alignof(std::max_align_t)));
    ASSERT_NE(bytes, nullptr);
    EXPECT_TRUE(AlignedTo(bytes, size >= 2 * kMiB ? 2 * kMiB : alignof(std::max_align_t)));
    std::memset(bytes, 0xa5, size);
    EXPECT_EQ(bytes[0], 0xa5);
    EXPECT_EQ(bytes[size - 1], 0xa5);
    resource->deallocate(bytes, size, alignof(std::max_align_t));
  }
  void* wide = resource->allocate(8 * kMiB, 4 * kMiB);
  EXPECT_TRUE(AlignedTo(wide, 4 * kMiB));
  resource->deallocate(wide, 8 * kMiB, 4 * kMiB);
}

TEST(LargeBufferResource, AdvisesHugePagesForLargeBuffers) {
  if (!std::ifstream("/sys/kernel/mm/transparent_hugepage/enabled")) {
    GTEST_SKIP() << "this kernel has no transparent huge pages";
  }
  void* large = LargeBufferResource()->allocate(4 * kMiB, 8);
  const std::string flags = MappingFlags(large);
  LargeBufferResource()->deallocate(large, 4 * kMiB, 8);
  EXPECT_NE(flags.find(" hg"), std::string::npos) << flags;
}

}  // namespace
}  // namespace kelvane::platform
