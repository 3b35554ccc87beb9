#include "kvn/kvn_check.h"

#include "kvn/kvn_layout.h"
#include "kvn_reader.h"

namespace kelvane::kvn {

static_assert(kHeaderSize == KVN_HEADER_SIZE && kRangeRecordSize == KVN_RANGE_SIZE,
              "the encoder and the device reader must agree on the layout");

std::optional<std::string> ReaderRefusal(std::span<const std::uint8_t> bytes) {
  kvn_font font;
  const kvn_status status = kvn_open(&font, bytes.data(), bytes.size());
  if (status == KVN_OK) return std::nullopt;
  return kvn_status_text(status);
}

}  // namespace kelvane::kvn
