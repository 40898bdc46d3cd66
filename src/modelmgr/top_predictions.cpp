#include "modelmgr/top_predictions.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>

#include "support/files/leading_integer.h"

namespace {

using Entry = const Quenmar::Intel::PredictionMap::value_type*;

// A function object rather than a function, so that the sorts inline the comparison.
struct RanksBefore {
  bool operator()(Entry left, Entry right) const {
    if (left->second != right->second) return left->second > right->second;
    return left->first > right->first;
  }
};

// The best `limit` entries in rank order, followed by every further entry tied with the last of
// them; every entry when limit <= 0 or there are no more than `limit`.
std::vector<Entry> TakeBest(const Quenmar::Intel::PredictionMap& predictions, std::int64_t limit) {
  std::vector<Entry> entries;
  entries.reserve(predictions.size());
  for (const auto& entry : predictions) entries.push_back(&entry);
  if (limit <= 0 || limit >= static_cast<std::int64_t>(entries.size())) {
    std::sort(entries.begin(), entries.end(), RanksBefore());
    return entries;
  }
  const auto boundary = entries.begin() + limit;
  std::partial_sort(entries.begin(), boundary, entries.end(), RanksBefore());
  const double last = (*(boundary - 1))->second;
  const auto tiedEnd =
      std::partition(boundary, entries.end(), [last](Entry entry) { return entry->second == last; });
  std::sort(boundary, tiedEnd, RanksBefore());
  entries.erase(tiedEnd, entries.end());
  return entries;
}

// The identifier that the item text names, read as std::stoi reads an int; none when the text does
// not start with a number in the range of int.
std::optional<int> ReadIdentifier(const std::string& text) {
  const cmdpredict::LeadingInteger read = cmdpredict::ReadLeadingInteger(text);
  if (read.outcome != cmdpredict::LeadingInteger::Outcome::kNumber) return std::nullopt;
  return read.value;
}

bool IsExcluded(const std::map<LONG, bool>& excluded, int identifier) {
  const auto found = excluded.find(identifier);
  return found != excluded.end() && found->second;
}

// Appends the entries that are not excluded; returns how many were excluded.
std::int64_t AppendKept(const std::vector<Entry>& entries, const std::map<LONG, bool>& excluded,
                        RankedCommands& ranked) {
  std::int64_t excludedCount = 0;
  for (const Entry entry : entries) {
    const std::optional<int> identifier = ReadIdentifier(entry->first);
    if (!identifier) continue;
    if (IsExcluded(excluded, *identifier)) {
      ++excludedCount;
    } else {
      ranked.emplace_back(*identifier, entry->second);
    }
  }
  return excludedCount;
}

}  // namespace

void SelectTopPredictions(const Quenmar::Intel::PredictionMap& predictions, int count, RankedCommands& ranked,
                          const std::map<LONG, bool>& excluded) {
  const std::size_t start = ranked.size();
  const std::vector<Entry> best = TakeBest(predictions, count);
  const std::int64_t excludedCount = AppendKept(best, excluded, ranked);
  if (excludedCount == 0) return;

  const auto kept = static_cast<std::int64_t>(ranked.size() - start);
  if (kept < count && static_cast<std::int64_t>(best.size()) >= count) {
    // Excluded commands took places at the top: choose again from a deeper ranking.
    ranked.resize(start);
    AppendKept(TakeBest(predictions, count + 2 * excludedCount), excluded, ranked);
  }
}
