// Named training sequences: each record is written as a .csv table into the named-sequences folder,
// in a sub-folder per group. The library never reads these files back.
#include <cstdint>
#include <string>

#include "cmdpredict/prediction_command_manager.h"
#include "platform/paths.h"
#include "platform/unicode.h"
#include "support/diagnostics.h"
#include "support/files/file_contents.h"
#include "support/files/file_name_escape.h"
#include "support/files/files.h"
#include "userdata/csv_table.h"

namespace {

using cmdpredict::DiagnosticKind;
using cmdpredict::WString;

// A record of a folder or file that failed, with the system's reason.
cmdpredict::Diagnostics Failure(DiagnosticKind kind, const std::string& path,
                                const cmdpredict::FileResult& failed) {
  cmdpredict::Diagnostics diagnostics;
  cmdpredict::AddDiagnostic(diagnostics, kind, path, failed.FailureReason());
  return diagnostics;
}

// A host-given name as a file or folder name that stays inside its folder.
std::string FileNameOf(const WString& name) {
  return cmdpredict::WideToUtf8Path(cmdpredict::EscapeFileName(name));
}

// The group's folder name. A name of dots and spaces only ("..", ". .") would name the folder
// itself or its parent on some system, so its dots are escaped as well.
std::string GroupFolderName(const WString& group) {
  const std::string name = FileNameOf(group);
  if (name.find_first_not_of(". ") != std::string::npos) return name;
  std::string escaped;
  for (const char c : name) escaped += c == '.' ? "%2E" : " ";
  return escaped;
}

// The start of the group's file names: the sequences folder itself for the empty group, otherwise
// the group's folder and a separator. Creates the group's folder when missing; a failure leaves
// `prefix` naming the folder.
cmdpredict::FileResult PrepareGroupFolder(const std::string& sequencesFolder, const WString& group,
                                          std::string& prefix) {
  prefix = sequencesFolder;
  if (group.empty()) return cmdpredict::FileResult::Success();
  prefix += GroupFolderName(group);
  cmdpredict::FileResult created = cmdpredict::EnsureFolder(prefix);
  if (created) prefix += cmdpredict::kPathSeparator;
  return created;
}

// The first of base.csv, base-2.csv, base-3.csv ... that does not exist yet, so that a record never
// replaces one saved under the same name within the same second.
std::string UnusedCsvPath(const std::string& base) {
  std::string path = base + ".csv";
  for (int n = 2; cmdpredict::FileExists(path) == 0; ++n) path = base + "-" + std::to_string(n) + ".csv";
  return path;
}

}  // namespace

LONG CPredictionCommandManager::SaveNamedTrainingSequence(const WString& group,
                                                          const NamedTrainingCommandSequence& record) {
  if (record.columnNames.size() != record.columns.size()) return E_INVALIDARG;
  if (record.name.empty()) return S_OK;
  const std::int64_t now = cmdpredict::CurrentTimeSeconds();
  const std::string sequencesFolder = cmdpredict::WideToUtf8Path(m_namedSequencesFolder);
  // A folder or file that cannot be written is reported and skipped; the result stays S_OK.
  if (const cmdpredict::FileResult created = cmdpredict::EnsureFolder(sequencesFolder); !created) {
    Report(Failure(DiagnosticKind::kFolderNotCreated, sequencesFolder, created));
    return S_OK;
  }
  std::string prefix;
  if (const cmdpredict::FileResult created = PrepareGroupFolder(sequencesFolder, group, prefix); !created) {
    Report(Failure(DiagnosticKind::kFolderNotCreated, prefix, created));
    return S_OK;
  }

  const std::string path = UnusedCsvPath(prefix + FileNameOf(record.name) + std::to_string(now));
  const cmdpredict::FileResult written =
      cmdpredict::WriteFileAtomically(path, cmdpredict::FormatCsvTable(record.columnNames, record.columns));
  if (!written) Report(Failure(DiagnosticKind::kNamedSequenceNotWritten, path, written));
  return S_OK;
}

void CPredictionCommandManager::SaveNamedTrainingSequences(const NamedTrainingSequenceMap& sequences) {
  if (sequences.empty()) return;
  const std::string sequencesFolder = cmdpredict::WideToUtf8Path(m_namedSequencesFolder);
  if (const cmdpredict::FileResult created = cmdpredict::EnsureFolder(sequencesFolder); !created) {
    Report(Failure(DiagnosticKind::kFolderNotCreated, sequencesFolder, created));
    return;
  }
  for (const auto& [group, records] : sequences) {
    for (const NamedTrainingCommandSequence& record : records) SaveNamedTrainingSequence(group, record);
  }
}

void CPredictionCommandManager::SaveNamedTrainingSequences() {
  SaveNamedTrainingSequences(m_namedTrainingSequences);
}

void CPredictionCommandManager::SetNamedSequencesFolder(const WString& folder) {
  m_namedSequencesFolder = folder;
}

void CPredictionCommandManager::SetNamedTrainingSequences(const NamedTrainingSequenceMap& sequences) {
  m_namedTrainingSequences = sequences;
}
