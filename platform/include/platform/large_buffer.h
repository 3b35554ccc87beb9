// Memory for large buffers, such as the glyph bitmaps of a big font.
#pragma once

#include <memory_resource>

namespace kelvane::platform {

// A memory resource for buffers of several megabytes: on Linux, allocations of
// 1 MB or more take whole 2 MB pages, aligned and advised to use transparent huge pages,
// which the kernel then maps 2 MB at a time; smaller ones come from the
// default resource. Lives for the whole process.
std::pmr::memory_resource* LargeBufferResource();

}  // namespace kelvane::platform
