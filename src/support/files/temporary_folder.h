// Fresh folders in the system's temporary folder, for tools and tests that need scratch space.
#pragma once

#include <string>

namespace cmdpredict {

// Creates a new, empty folder named `prefix` followed by a random number in the system's temporary
// folder and returns its path; throws std::runtime_error when none can be created.
std::string CreateTemporaryFolder(const std::string& prefix);

}  // namespace cmdpredict
