// Turns a model's prediction map into ranked command identifiers, leaving out excluded commands.
#pragma once

#include <map>
#include <utility>
#include <vector>

#include "cmdpredict/platform_types.h"
#include "models/sequence_model.h"

using RankedCommands = std::vector<std::pair<int, double>>;

// Appends the best predictions to `ranked` as (identifier, probability), best first: descending
// probability, the greater item text first among equals. With count > 0, entries tied with the
// count-th one are kept too; count <= 0 takes all. Entries whose identifier maps to true in
// `excluded` are left out; when that leaves fewer than `count` and there were at least `count` to
// choose from, the choice is made anew from the best count + 2 x (number excluded). Item texts are
// read as std::stoi reads them; a text that is not a number in the range of int is skipped.
void SelectTopPredictions(const Quenmar::Intel::PredictionMap& predictions, int count, RankedCommands& ranked,
                          const std::map<LONG, bool>& excluded);
