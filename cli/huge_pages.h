// Lets a large conversion's glyph store be mapped in huge pages.
#pragma once

#include <string>
#include <vector>

namespace kelvane {

// When the inputs are large and the platform allows it, restarts this program
// once with glibc's allocator set to ask for transparent huge pages; otherwise
// returns and the program goes on as it is.
void RestartWithHugePagesIfWorthwhile(char** argv, const std::vector<std::string>& files);

}  // namespace kelvane
