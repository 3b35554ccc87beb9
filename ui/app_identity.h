// The name and version the application reports about itself.
#pragma once

namespace kelvane {

// Sets QCoreApplication's name and version from the build.
void SetApplicationIdentity();

}  // namespace kelvane
