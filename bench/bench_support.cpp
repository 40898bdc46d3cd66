#include "bench_support.h"

#include <random>

namespace cmdpredict::bench {

std::vector<std::string> MakeCommandStream(std::size_t length, int distinct, std::uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<double> weights;
  for (int rank = 1; rank <= distinct; ++rank) weights.push_back(1.0 / rank);
  std::discrete_distribution<int> pick(weights.begin(), weights.end());

  // Twenty habits of three to eight commands each.
  std::vector<std::vector<int>> habits(20);
  std::uniform_int_distribution<int> habitLength(3, 8);
  for (auto& habit : habits) {
    habit.resize(static_cast<std::size_t>(habitLength(random)));
    for (int& command : habit) command = pick(random);
  }
  std::uniform_int_distribution<std::size_t> whichHabit(0, habits.size() - 1);
  std::bernoulli_distribution startsHabit(0.05);

  std::vector<std::string> stream;
  stream.reserve(length);
  while (stream.size() < length) {
    if (startsHabit(random)) {
      for (int command : habits[whichHabit(random)]) {
        if (stream.size() < length) stream.push_back(std::to_string(100 + command));
      }
    } else {
      stream.push_back(std::to_string(100 + pick(random)));
    }
  }
  return stream;
}

}  // namespace cmdpredict::bench
