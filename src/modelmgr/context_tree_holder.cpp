#include "modelmgr/context_tree_holder.h"

#include "platform/paths.h"
#include "platform/unicode.h"
#include "support/files/file_name_escape.h"
#include "support/files/leading_integer.h"

namespace {

std::string ItemText(int commandId) { return std::to_string(commandId); }

// Reads the text as a formatted stream extraction of an int does: 0 when no digit can be read, and
// the end of int's range on the number's side when it lies beyond.
int ReadCommandId(const std::string& text) { return cmdpredict::ReadLeadingInteger(text).value; }

}  // namespace

CContextTree::CContextTree() : m_tree(m_depth, m_historyMargin) {}

CContextTree::CContextTree(const WString& modelFolder, const WString& environment)
    : m_modelName(environment), m_modelFolder(modelFolder), m_tree(m_depth, m_historyMargin) {}

CContextTree::~CContextTree() = default;

std::string CContextTree::ModelPath() const {
  WString path = m_modelFolder;
  path.push_back(static_cast<WString::value_type>(cmdpredict::kPathSeparator));
  path += cmdpredict::EscapeFileName(m_modelName);
  return cmdpredict::WideToUtf8Path(path);
}

bool CContextTree::LoadModel(cmdpredict::Diagnostics& diagnostics) {
  if (m_modelFolder.empty()) return false;
  // A file whose depth is not used leaves the tree as deep as a file may be, so that fitting it to
  // the set depth drops whatever the file holds below that.
  if (m_depthSetByHost) m_tree.SetDepth(kMaxDepth);
  const std::size_t first = diagnostics.size();
  const bool loaded = m_tree.Load(ModelPath(), diagnostics);
  StampEnvironment(diagnostics, first);
  if (m_depthSetByHost) m_tree.FitToDepth(m_depth);
  return loaded;
}

void CContextTree::SetModelDepth(std::uint64_t depth) {
  m_depth = depth;
  m_depthSetByHost = true;
  m_tree.FitToDepth(depth);
}

bool CContextTree::SaveModel(cmdpredict::Diagnostics& diagnostics) {
  if (m_modelFolder.empty()) return false;
  const std::size_t first = diagnostics.size();
  const bool saved = m_tree.Save(ModelPath(), diagnostics);
  StampEnvironment(diagnostics, first);
  return saved;
}

void CContextTree::StampEnvironment(cmdpredict::Diagnostics& diagnostics, std::size_t first) const {
  for (std::size_t i = first; i < diagnostics.size(); ++i) diagnostics[i].environment = m_modelName;
}

void CContextTree::RecordCommand(LONG commandId) { m_tree.AddItem(ItemText(commandId)); }

int CContextTree::RemoveLastCommand() { return ReadCommandId(m_tree.RemoveLastItem()); }

Quenmar::Intel::PredictionMap CContextTree::PredictNextCommands(const std::vector<int>& history) {
  Quenmar::Intel::PredictionMap predictions;
  PredictNextCommands(history, predictions);
  return predictions;
}

void CContextTree::PredictNextCommands(const std::vector<int>& history,
                                       Quenmar::Intel::PredictionMap& predictions) {
  std::vector<std::string> items;
  items.reserve(history.size());
  for (const int commandId : history) items.push_back(ItemText(commandId));
  m_tree.PredictInto(items, predictions);
}
