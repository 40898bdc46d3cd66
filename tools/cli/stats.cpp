#include "stats.h"

#include <cstdio>
#include <set>
#include <vector>

#include "json_output.h"

namespace cmdpredict::cli {
namespace {

struct Counts {
  std::size_t events = 0;
  std::size_t repeats = 0;  // events whose command is that of the environment's previous event
  std::set<LONG> commands;

  double RepeatShare() const {
    return events == 0 ? 0.0 : static_cast<double>(repeats) / static_cast<double>(events);
  }
};

std::string Percent(double share) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f%%", 100.0 * share);
  return text;
}

std::string CountsText(const Counts& counts) {
  return std::to_string(counts.events) + " events, " + std::to_string(counts.commands.size()) +
         " distinct commands, " + Percent(counts.RepeatShare()) + " repeats\n";
}

void AppendCountsJson(std::string& json, const Counts& counts) {
  json += "\"events\":" + std::to_string(counts.events) +
          ",\"distinct_commands\":" + std::to_string(counts.commands.size()) +
          ",\"repeats\":" + std::to_string(counts.repeats) + ",\"repeat_share\":";
  AppendJsonDouble(json, counts.RepeatShare());
}

}  // namespace

std::string LogStatistics(const CommandLog& log, bool json) {
  Counts total;
  std::vector<Counts> environments(log.environments.size());
  std::vector<const LogEvent*> previous(log.environments.size(), nullptr);
  for (const LogEvent& event : log.events) {
    const bool repeat =
        previous[event.environment] != nullptr && previous[event.environment]->command == event.command;
    previous[event.environment] = &event;
    for (Counts* counts : {&total, &environments[event.environment]}) {
      ++counts->events;
      counts->repeats += repeat ? 1 : 0;
      counts->commands.insert(event.command);
    }
  }

  if (!json) {
    std::string text =
        "total  " + std::to_string(log.environments.size()) + " environments, " + CountsText(total);
    for (std::size_t e = 0; e < environments.size(); ++e) {
      AppendJsonString(text, log.environments[e]);
      text += "  " + CountsText(environments[e]);
    }
    return text;
  }
  std::string out = "{";
  AppendCountsJson(out, total);
  out += ",\"environments\":" + std::to_string(log.environments.size()) + ",\"per_env\":[";
  for (std::size_t e = 0; e < environments.size(); ++e) {
    out += e > 0 ? ",{\"env\":" : "{\"env\":";
    AppendJsonString(out, log.environments[e]);
    out += ",";
    AppendCountsJson(out, environments[e]);
    out += "}";
  }
  return out + "]}\n";
}

}  // namespace cmdpredict::cli
