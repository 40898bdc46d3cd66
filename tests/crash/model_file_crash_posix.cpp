// Checks what processes that save model files leave behind (POSIX only; exit status 0 when every
// check held, each failed check printed):
//
// kills: a child saves M models over and over, one more item learnt per save, and is killed with
// SIGKILL at a random moment, N times. After each kill every model file loads in full and holds the
// text of its last save that ended or of the save that the kill interrupted, and no temporary is
// left of a model saved in full since. A last child, not killed, leaves no temporary at all.
//
// writers: W processes save the same M models, each with trees of its own, R times each, all at
// once. Every save succeeds; every model file then loads in full and holds one writer's last save,
// and no temporary is left.
//
// Each child journals a record before and after each save, with the hash of the text it saves.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "models/contexttree/context_tree_file.h"
#include "platform/env.h"
#include "platform/temporary_file_name.h"
#include "testing/temp_folder.h"

namespace {

using Quenmar::Intel::ContextTree;
using Trees = std::vector<std::unique_ptr<ContextTree>>;
using Hash = std::optional<std::uint64_t>;  // of a file's text; none when there is no file

struct Options {
  int kills = 20, writers = 3, rounds = 5;
  std::size_t models = 3, items = 4000;
};

// One journal record, written in one write(2) call, so that a kill leaves it whole or absent.
struct JournalRecord {
  std::uint32_t model;
  std::uint32_t ended;  // 0: the save starts, 1: it ended successfully
  std::uint64_t hash;
};

bool g_failed = false;

void Fail(const std::string& what) {
  std::fprintf(stderr, "FAILED: %s\n", what.c_str());
  g_failed = true;
}

std::uint64_t HashOf(const std::string& text) { return std::hash<std::string>{}(text); }

std::string ModelName(std::size_t model) { return "M" + std::to_string(model) + ".ContextTree"; }

std::string JournalPath(const std::string& folder, int child) {
  return folder + "/journal-" + std::to_string(child);
}

// The trees of one writer: depth 6, learnt from a stream of commands that depends on the writer and
// the model, so that every save has a text of its own.
Trees BuildTrees(const Options& options, int writer) {
  Trees trees;
  for (std::size_t model = 0; model < options.models; ++model) {
    trees.push_back(std::make_unique<ContextTree>(6, 1));
    std::mt19937 stream(static_cast<std::uint32_t>(writer * 1000 + model));
    for (std::size_t item = 0; item < options.items; ++item)
      trees.back()->AddItem(std::to_string(stream() % 300));
  }
  return trees;
}

// Forks a child that saves the trees `rounds` rounds over every model (endlessly when negative),
// each with one more item learnt; it exits 1 when a save fails. Trees are built before, so that
// savers forked one after the other save at the same time.
pid_t StartSaver(Trees& trees, const std::string& models, const std::string& journalPath, int writer,
                 int rounds) {
  const pid_t child = ::fork();
  if (child < 0) Fail("a saver could not start");
  if (child != 0) return child;
  const int journal = ::open(journalPath.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
  if (journal < 0) _exit(2);
  for (int round = 0; rounds < 0 || round < rounds; ++round) {
    for (std::size_t model = 0; model < trees.size(); ++model) {
      trees[model]->AddItem("w" + std::to_string(writer) + "r" + std::to_string(round));
      // What ContextTree::Save does, with the text made once for the journal and the file, so
      // that most kills fall into the writing of the file.
      const std::string text = *Quenmar::Intel::ToFileText(*trees[model]);
      JournalRecord record{static_cast<std::uint32_t>(model), 0, HashOf(text)};
      if (::write(journal, &record, sizeof record) != sizeof record) _exit(2);
      if (!cmdpredict::CurrentEnv().ReplaceFile(models + "/" + ModelName(model), text)) _exit(1);
      record.ended = 1;
      if (::write(journal, &record, sizeof record) != sizeof record) _exit(2);
    }
  }
  _exit(0);
}

bool ExitedCleanly(pid_t child) {
  int status = 0;
  return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::vector<JournalRecord> ReadJournal(const std::string& path) {
  std::string bytes;
  cmdpredict::SystemEnv().ReadFile(path, bytes);
  std::vector<JournalRecord> records(bytes.size() / sizeof(JournalRecord));
  std::copy_n(bytes.data(), records.size() * sizeof(JournalRecord), reinterpret_cast<char*>(records.data()));
  return records;
}

// The hash of the model file's text, after checking that it loads in full.
Hash FileHash(const std::string& models, std::size_t model) {
  std::string text;
  if (!cmdpredict::SystemEnv().ReadFile(models + "/" + ModelName(model), text)) return std::nullopt;
  ContextTree tree;
  const Quenmar::Intel::TextLoad load = Quenmar::Intel::LoadFromText(tree, text);
  if (!load.isJson || load.severity != Quenmar::Intel::kLoadedFully)
    Fail(ModelName(model) + " does not load in full");
  return HashOf(text);
}

// The models that have a temporary in the folder. Any other file than models and their
// temporaries is a failure.
std::set<std::size_t> ModelsWithTemporaries(const std::string& models, std::size_t count) {
  std::set<std::size_t> found;
  for (const auto& entry : std::filesystem::directory_iterator(models)) {
    const std::string name = entry.path().filename().string();
    bool known = false;
    for (std::size_t model = 0; model < count; ++model) {
      const bool temporary = cmdpredict::IsTemporaryNameOf(name, ModelName(model));
      if (temporary) found.insert(model);
      known = known || temporary || name == ModelName(model);
    }
    if (!known) Fail("unexpected file " + name);
  }
  return found;
}

void RunKills(const Options& options, const std::string& folder, const std::string& models) {
  // One round without a kill measures how long a round of saves takes; kills fall within two.
  Trees first = BuildTrees(options, 0);
  const auto start = std::chrono::steady_clock::now();
  if (!ExitedCleanly(StartSaver(first, models, folder + "/journal-first", 0, 1)))
    Fail("the first saver failed");
  const auto round =
      std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
  std::vector<Hash> saved;
  for (std::size_t model = 0; model < options.models; ++model) saved.push_back(FileHash(models, model));

  std::mt19937_64 random{std::random_device{}()};
  int interrupted = 0, leftTemporaries = 0;
  for (int kill = 0; kill <= options.kills && !g_failed; ++kill) {
    const bool last = kill == options.kills;  // the last run ends without a kill
    Trees trees = BuildTrees(options, kill + 1);
    const pid_t child = StartSaver(trees, models, JournalPath(folder, kill), kill + 1, last ? 1 : -1);
    if (last && !ExitedCleanly(child)) Fail("the last saver failed");
    if (!last && child > 0) {
      std::this_thread::sleep_for(std::chrono::microseconds(random() % (2 * round.count() + 1)));
      ::kill(child, SIGKILL);
      ::waitpid(child, nullptr, 0);
    }
    // What the journal says: the last save of each model that ended, and the save that the kill
    // interrupted.
    std::set<std::size_t> savedSince;
    std::optional<JournalRecord> cut;
    for (const JournalRecord& record : ReadJournal(JournalPath(folder, kill))) {
      savedSince.insert(record.model);
      if (record.ended) saved[record.model] = record.hash;
      cut = record.ended ? std::nullopt : std::optional<JournalRecord>(record);
    }
    if (cut) ++interrupted;
    const auto isCut = [&](std::size_t model) { return cut && cut->model == model; };
    for (std::size_t model = 0; model < options.models; ++model) {
      const Hash file = FileHash(models, model);
      if (isCut(model) && file == cut->hash) saved[model] = file;
      if (file != saved[model])
        Fail(ModelName(model) + " after kill " + std::to_string(kill) + " holds neither text");
    }
    const std::set<std::size_t> temporaries = ModelsWithTemporaries(models, options.models);
    for (const std::size_t model : temporaries) {
      if (savedSince.count(model) && !isCut(model))
        Fail("a temporary of " + ModelName(model) + " survived its next save");
    }
    if (last && !temporaries.empty()) Fail("temporaries left after the last saver");
    leftTemporaries += static_cast<int>(temporaries.size());
  }
  std::printf(
      "%d kills, %d during a save, %d temporaries seen after them; one round of saves takes %lld us\n",
      options.kills, interrupted, leftTemporaries, static_cast<long long>(round.count()));
}

void RunWriters(const Options& options, const std::string& folder, const std::string& models) {
  std::vector<Trees> trees;
  for (int writer = 0; writer < options.writers; ++writer) trees.push_back(BuildTrees(options, writer));
  std::vector<pid_t> children;
  for (int writer = 0; writer < options.writers; ++writer)
    children.push_back(
        StartSaver(trees[writer], models, JournalPath(folder, writer), writer, options.rounds));
  for (const pid_t child : children) {
    if (!ExitedCleanly(child)) Fail("a writer failed");
  }
  // The texts of every writer's last save of each model.
  std::map<std::size_t, std::set<std::uint64_t>> lastSaves;
  for (int writer = 0; writer < options.writers; ++writer) {
    std::map<std::size_t, std::uint64_t> last;
    for (const JournalRecord& record : ReadJournal(JournalPath(folder, writer))) {
      if (record.ended) last[record.model] = record.hash;
    }
    for (const auto& [model, hash] : last) lastSaves[model].insert(hash);
  }
  for (std::size_t model = 0; model < options.models; ++model) {
    const Hash file = FileHash(models, model);
    if (!file || lastSaves[model].count(*file) == 0) Fail(ModelName(model) + " is no writer's last save");
  }
  if (!ModelsWithTemporaries(models, options.models).empty()) Fail("temporaries left by the writers");
  std::printf("%d writers saved %zu models %d times each at once\n", options.writers, options.models,
              options.rounds);
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app("Kills processes that save model files, and runs several at once into one folder.");
  app.require_subcommand(1);
  Options options;
  CLI::App* kills = app.add_subcommand("kills", "kill a saving process at random moments");
  kills->add_option("--kills", options.kills, "number of kills")->check(CLI::NonNegativeNumber);
  CLI::App* writers = app.add_subcommand("writers", "let several processes save into one folder at once");
  writers->add_option("--writers", options.writers, "number of processes")->check(CLI::PositiveNumber);
  writers->add_option("--rounds", options.rounds, "saves of each model by each process")
      ->check(CLI::PositiveNumber);
  for (CLI::App* command : {kills, writers}) {
    command->add_option("--models", options.models, "model files")->check(CLI::PositiveNumber);
    command->add_option("--items", options.items, "items learnt by each tree")->check(CLI::PositiveNumber);
  }
  CLI11_PARSE(app, argc, argv);

  const cmdpredict::TempFolder folder;
  const std::string models = folder.Path() + "/models";
  std::filesystem::create_directory(models);
  kills->parsed() ? RunKills(options, folder.Path(), models) : RunWriters(options, folder.Path(), models);
  return g_failed ? 1 : 0;
}
