#include "model_overview.h"

#include <algorithm>
#include <filesystem>
#include <vector>

#include "exit_status.h"
#include "input_file.h"
#include "json_output.h"
#include "model_files.h"
#include "models/contexttree/context_tree_file.h"
#include "support/files/text.h"

namespace cmdpredict::cli {
namespace {

using Quenmar::Intel::ContextTree;
using Node = ContextTree::Node;

// A context and the command that followed it, as one node at level 2 or deeper.
struct Context {
  const Node* node;
  std::size_t order;  // in the walk, which visits children by ascending code
};

struct ModelSummary {
  Quenmar::Intel::TextLoad load;
  std::uint64_t depth = 0;
  std::uint64_t nodes = 0;            // below the root
  std::size_t distinctCommands = 0;   // the root's children
  std::vector<const Node*> commands;  // the most frequent of them, most frequent first
  std::vector<Context> contexts;      // strongest first
  double totalCount = 0.0;
};

bool MoreFrequent(const Node* left, const Node* right) { return left->frequency > right->frequency; }

// Walks the tree without recursion (a file may hold a deep one), counting nodes and collecting
// every node at level 2 or deeper.
void Walk(const Node& root, ModelSummary& summary) {
  struct Open {
    const Node* node;
    std::map<int, std::shared_ptr<Node>>::const_iterator next;
  };
  std::vector<Open> open{{&root, root.children.begin()}};
  while (!open.empty()) {
    Open& top = open.back();
    if (top.next == top.node->children.end()) {
      open.pop_back();
      continue;
    }
    const Node* child = (top.next++)->second.get();
    ++summary.nodes;
    if (open.size() >= 2) summary.contexts.push_back({child, summary.contexts.size()});
    open.push_back({child, child->children.begin()});
  }
}

ModelSummary Summarize(ContextTree& tree, const std::string& text, int top) {
  ModelSummary summary;
  summary.load = Quenmar::Intel::LoadFromText(tree, text);
  summary.depth = tree.GetDepth();
  Walk(tree.GetRoot(), summary);
  for (const auto& entry : tree.GetRoot().children) {
    summary.commands.push_back(entry.second.get());
    summary.totalCount += entry.second->frequency;
  }
  summary.distinctCommands = summary.commands.size();
  const std::size_t keep = static_cast<std::size_t>(std::max(top, 0));
  std::stable_sort(summary.commands.begin(), summary.commands.end(), MoreFrequent);
  if (summary.commands.size() > keep) summary.commands.resize(keep);
  const auto stronger = [](const Context& left, const Context& right) {
    if (left.node->frequency != right.node->frequency) return left.node->frequency > right.node->frequency;
    return left.order < right.order;
  };
  const auto end =
      summary.contexts.begin() + static_cast<std::ptrdiff_t>(std::min(keep, summary.contexts.size()));
  std::partial_sort(summary.contexts.begin(), end, summary.contexts.end(), stronger);
  summary.contexts.erase(end, summary.contexts.end());
  return summary;
}

// The items of the run that leads to the node, from level 1 to its parent.
std::vector<std::string> ContextItems(const Node& node) {
  std::vector<std::string> items;
  for (const Node* at = node.GetParent(); at != nullptr && at->GetParent() != nullptr; at = at->GetParent()) {
    items.push_back(at->GetItemText());
  }
  std::reverse(items.begin(), items.end());
  return items;
}

double SiblingTotal(const Node& node) {
  double total = 0.0;
  for (const auto& entry : node.GetParent()->children) total += entry.second->frequency;
  return total;
}

double Share(const Node& node) {
  const double total = SiblingTotal(node);
  return total > 0.0 ? node.frequency / total : 0.0;
}

std::string LoadVerdict(const Quenmar::Intel::TextLoad& load) {
  if (!load.isJson) return "not JSON: loading backs the file up and starts an empty model";
  if (load.severity == Quenmar::Intel::kUnusable)
    return "unusable: loading backs the file up and keeps what it can";
  if (load.backUp) return "damaged: loading repairs it in memory and backs the file up";
  return "loads fully";
}

std::string Number(double value) {
  std::string text;
  AppendJsonDouble(text, value);
  return text;
}

std::string VersionText(const Quenmar::Intel::ModelVersion& version) {
  return std::to_string(version.major) + "." + std::to_string(version.minor);
}

std::string QuotedText(const std::string& text) {
  std::string quoted;
  AppendJsonString(quoted, text);
  return quoted;
}

std::string SummaryText(const std::string& file, const ModelSummary& summary) {
  std::string text = file + "\n";
  text += "  load               " + LoadVerdict(summary.load) + "\n";
  if (!summary.load.isJson) return text;
  text += "  version            " + VersionText(summary.load.version) + "\n";
  text += "  depth              " + std::to_string(summary.depth) + "\n";
  text += "  nodes              " + std::to_string(summary.nodes) + "\n";
  text += "  distinct commands  " + std::to_string(summary.distinctCommands) + "\n";
  text += "  total count        " + Number(summary.totalCount) + "\n";
  text += "  most frequent\n";
  for (const Node* command : summary.commands) {
    text += "    " + QuotedText(command->GetItemText()) + "  " + Number(command->frequency) + "\n";
  }
  text += "  strongest contexts\n";
  for (const Context& context : summary.contexts) {
    text += "   ";
    for (const std::string& item : ContextItems(*context.node)) text += " " + QuotedText(item);
    text += " -> " + QuotedText(context.node->GetItemText()) + "  " + Number(context.node->frequency) + " (" +
            Number(Share(*context.node)) + ")\n";
  }
  return text;
}

std::string SummaryJson(const std::string& file, const ModelSummary& summary) {
  std::string json = "{\"file\":";
  AppendJsonString(json, file);
  json += ",\"load\":{\"json\":" + std::string(summary.load.isJson ? "true" : "false") +
          ",\"severity\":" + std::to_string(summary.load.severity) +
          ",\"backup\":" + (summary.load.backUp ? "true" : "false") + "}";
  if (summary.load.isJson) {
    json += ",\"version\":" + QuotedText(VersionText(summary.load.version));
    json += ",\"depth\":" + std::to_string(summary.depth) + ",\"nodes\":" + std::to_string(summary.nodes);
    json += ",\"distinct_commands\":" + std::to_string(summary.distinctCommands);
    json += ",\"total_count\":" + Number(summary.totalCount) + ",\"most_frequent\":[";
    for (std::size_t i = 0; i < summary.commands.size(); ++i) {
      json += (i > 0 ? ",[" : "[") + QuotedText(summary.commands[i]->GetItemText()) + "," +
              Number(summary.commands[i]->frequency) + "]";
    }
    json += "],\"strongest_contexts\":[";
    for (std::size_t i = 0; i < summary.contexts.size(); ++i) {
      const Node& node = *summary.contexts[i].node;
      json += i > 0 ? ",{\"context\":[" : "{\"context\":[";
      const std::vector<std::string> items = ContextItems(node);
      for (std::size_t k = 0; k < items.size(); ++k) json += (k > 0 ? "," : "") + QuotedText(items[k]);
      json += "],\"next\":" + QuotedText(node.GetItemText()) + ",\"count\":" + Number(node.frequency) +
              ",\"share\":" + Number(Share(node)) + "}";
    }
    json += "]";
  }
  return json + "}";
}

// The model files the path names, sorted; false with `reason` when there are none.
bool FindModelFiles(const std::string& path, std::vector<std::string>& files, std::string& reason) {
  std::error_code error;
  if (!std::filesystem::is_directory(std::filesystem::u8path(path), error)) {
    files.push_back(path);
    return true;
  }
  std::filesystem::path folder = std::filesystem::u8path(path);
  if (std::filesystem::is_directory(folder / "ModelPrediction", error)) folder /= "ModelPrediction";
  for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
       entry.increment(error)) {
    if (entry->is_regular_file(error) && EndsWith(entry->path().filename().u8string(), kModelFileExtension)) {
      files.push_back(entry->path().u8string());
    }
  }
  if (error) {
    reason = error.message();
    return false;
  }
  std::sort(files.begin(), files.end());
  if (files.empty()) reason = "no model files (*.ContextTree) in " + folder.u8string();
  return !files.empty();
}

}  // namespace

int Inspect(const InspectOptions& options, std::FILE* out) {
  std::vector<std::string> files;
  std::string reason;
  if (!FindModelFiles(options.path, files, reason)) {
    std::fprintf(stderr, "%s: cannot inspect: %s\n", options.path.c_str(), reason.c_str());
    return kExitFileError;
  }
  std::string output = options.json ? "{\"models\":[" : "";
  for (std::size_t i = 0; i < files.size(); ++i) {
    std::string text;
    if (!ReadInputFile(files[i], text, reason)) {
      std::fprintf(stderr, "%s: cannot read the model: %s\n", files[i].c_str(), reason.c_str());
      return kExitFileError;
    }
    ContextTree tree(kHolderDepth, kHolderHistoryMargin);
    const ModelSummary summary = Summarize(tree, text, options.top);
    if (options.json) {
      output += (i > 0 ? "," : "") + SummaryJson(files[i], summary);
    } else {
      output += (i > 0 ? "\n" : "") + SummaryText(files[i], summary);
    }
  }
  if (options.json) output += "]}\n";
  std::fwrite(output.data(), 1, output.size(), out);
  return kExitOk;
}

}  // namespace cmdpredict::cli
