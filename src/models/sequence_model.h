// The interface through which every learning and prediction call reaches a model, and the types
// that cross it. Models treat items as opaque text; they know nothing of commands or environments.
//
// Threading: models are used from one thread; nothing here is synchronised.
#pragma once

#include <functional>
#include <list>
#include <map>
#include <string>
#include <vector>

namespace Quenmar::Intel {

// Item text -> score, ordered by item text (bytewise). A map answered by Predict holds positive
// probabilities that add up to 1 (within rounding), or is empty.
using PredictionMap = std::map<std::string, double>;

// Combines two scores of one item into one (the incoming score first).
using ScoreCombiner = std::function<double(double, double)>;

// Maps an item and its score to a new score.
using ScoreMapper = std::function<double(std::string, double)>;

class ISequencePredictionModel {
 public:
  virtual ~ISequencePredictionModel() = default;

  // The probabilities of the item that follows `history` (oldest first). Only reads the model.
  virtual PredictionMap Predict(const std::list<std::string>& history);
  virtual PredictionMap Predict(const std::vector<std::string>& history) = 0;
  // Learns that `item` follows the items learnt before it.
  virtual void AddItem(const std::string& item);
  // Learns the items in order, as if each were given to AddItem.
  virtual void AddSequence(const std::vector<std::string>& items) = 0;
  // Takes the most recently learnt item back out of the model; the empty text when there is none.
  virtual std::string RemoveLastItem() = 0;
  // Forgets the recent-item history, so that the next item starts a new sequence.
  virtual void ClearHistory() = 0;
  // Writes the model to the file or folder derived from `path`.
  virtual bool Save(const std::string& path) = 0;
  // Replaces the model by the one stored at the file or folder derived from `path`.
  virtual bool Load(const std::string& path) = 0;
  // The name of the most-derived class without namespaces; also its registry name and extension.
  virtual std::string GetTypeName() const;
};

}  // namespace Quenmar::Intel
