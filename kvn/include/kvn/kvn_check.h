// Whether bytes are a KVN font the device reader opens.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace kelvane::kvn {

// Why the device reader refuses these bytes (its status text), or nullopt
// when it opens them.
std::optional<std::string> ReaderRefusal(std::span<const std::uint8_t> bytes);

}  // namespace kelvane::kvn
