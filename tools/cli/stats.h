// `cmdpredict stats`: what a command log holds, before anything is replayed.
#pragma once

#include <string>

#include "command_log.h"

namespace cmdpredict::cli {

// Events, environments, distinct commands and the share of events that repeat the previous command
// of their environment, in total and per environment; as text or one JSON object.
std::string LogStatistics(const CommandLog& log, bool json);

}  // namespace cmdpredict::cli
