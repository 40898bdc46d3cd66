// CContextTree: the learnt model of one environment. It owns the environment's context tree and
// translates between the model manager's vocabulary (command identifiers, UTF-16 names and
// folders) and the model's (item texts, UTF-8 paths).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cmdpredict/platform_types.h"
#include "models/contexttree/context_tree.h"
#include "models/contexttree/context_tree_file.h"
#include "support/diagnostics.h"

class CContextTree {
 public:
  using WString = cmdpredict::WString;

  // The depth a holder gives its tree until a host sets one, and the deepest a host may set: the
  // deepest a model file may give.
  static constexpr std::uint64_t kWrittenDepth = 100;
  static constexpr std::uint64_t kMaxDepth = Quenmar::Intel::kMaxFileDepth;

  CContextTree();
  // The form the model manager uses: an empty tree of depth 100 for the environment's file.
  CContextTree(const WString& modelFolder, const WString& environment);
  virtual ~CContextTree();
  CContextTree(const CContextTree&) = delete;
  CContextTree& operator=(const CContextTree&) = delete;

  // Reads the environment's file into the tree; true when it was found and held JSON. Without a
  // model folder nothing is read and the result is false. A repair, a file that could not be used
  // and each backup add a record, with this environment, to `diagnostics`. The tree takes the
  // file's depth, or, once SetModelDepth was called, is fitted to that depth (FitToDepth).
  bool LoadModel(cmdpredict::Diagnostics& diagnostics);
  // Writes the tree to the environment's file; true when it was written. Without a model folder
  // nothing is written and the result is false. A file that was not written adds a record.
  bool SaveModel(cmdpredict::Diagnostics& diagnostics);
  // Teaches the model the command, as the decimal text of its identifier.
  void RecordCommand(LONG commandId);
  // Takes the most recent command back out of the model; its identifier, or 0 when there was none.
  int RemoveLastCommand();
  // The probabilities of the next command's item text after the history (oldest first).
  Quenmar::Intel::PredictionMap PredictNextCommands(const std::vector<int>& history);
  // The same, replacing the content of `predictions` and reusing its entries.
  void PredictNextCommands(const std::vector<int>& history, Quenmar::Intel::PredictionMap& predictions);

  // Fixes the depth of the model from now on, fitting the tree to it at once and after each load.
  void SetModelDepth(std::uint64_t depth);

  // The path the model is saved under, without extension: the folder, the separator and the
  // environment name with the characters that file names cannot hold escaped.
  std::string ModelPath() const;
  const Quenmar::Intel::ContextTree& GetTree() const { return m_tree; }

 private:
  // Names this environment in the records added to `diagnostics` from `first` on.
  void StampEnvironment(cmdpredict::Diagnostics& diagnostics, std::size_t first) const;

  std::uint64_t m_depth = kWrittenDepth;
  std::uint64_t m_historyMargin = 1;
  bool m_depthSetByHost = false;  // until then loading replaces the tree's depth with the file's
  WString m_modelName = CMDPREDICT_WIDE("AnythingGoes");
  WString m_modelFolder;
  Quenmar::Intel::ContextTree m_tree;
};
