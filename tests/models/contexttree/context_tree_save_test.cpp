// Saving writes the file's text as it is made, piece by piece, through the atomic replacement of
// files: a piece that cannot be written leaves the previous file as it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "models/contexttree/context_tree.h"
#include "models/contexttree/context_tree_file.h"
#include "platform/env.h"
#include "testing/forwarding_env.h"
#include "testing/temp_folder.h"

namespace Quenmar::Intel {
namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// Passes each piece on to the system's sink and counts it; refuses the piece numbered
// `refusedPiece` (from 1; 0: none).
class CountingSink final : public cmdpredict::ContentSink {
 public:
  CountingSink(cmdpredict::ContentSink& system, int refusedPiece)
      : m_system(system), m_refused(refusedPiece) {}
  bool Append(std::string_view piece) override { return ++pieces != m_refused && m_system.Append(piece); }
  int pieces = 0;

 private:
  cmdpredict::ContentSink& m_system;
  int m_refused;
};

// The system's services, with the pieces of each replaced file counted on their way.
class PieceCountingEnv final : public cmdpredict::ForwardingEnv {
 public:
  explicit PieceCountingEnv(int refusedPiece = 0) : m_refusedPiece(refusedPiece) {}
  bool ReplaceFileFrom(const std::string& path, const cmdpredict::ContentWriter& write) override {
    return cmdpredict::SystemEnv().ReplaceFileFrom(path, [this, &write](cmdpredict::ContentSink& system) {
      CountingSink counting(system, m_refusedPiece);
      const bool written = write(counting);
      pieces += counting.pieces;
      return written;
    });
  }
  int pieces = 0;

 private:
  int m_refusedPiece;
};

ContextTree& LearnAbcd(ContextTree& tree) {
  tree.AddSequence({"a", "b", "c", "d", "a", "c"});
  return tree;
}

TEST(ContextTreeSave, HandsTheTextToTheFileInPiecesThatMakeTheWholeText) {
  const cmdpredict::TempFolder folder;
  ContextTree tree(3, 1);
  PieceCountingEnv env;
  const cmdpredict::ScopedEnv scoped(env);
  ASSERT_TRUE(LearnAbcd(tree).Save(folder.File("E")));
  EXPECT_GT(env.pieces, 1);
  EXPECT_EQ(ReadFile(folder.File("E.ContextTree")), *ToFileText(tree));
}

TEST(ContextTreeSave, LeavesThePreviousFileAndNoTemporaryWhenAPieceCannotBeWritten) {
  const cmdpredict::TempFolder folder;
  ContextTree before(3, 1);
  ASSERT_TRUE(before.Save(folder.File("E")));
  const std::string previous = ReadFile(folder.File("E.ContextTree"));
  ContextTree tree(3, 1);
  PieceCountingEnv env(3);
  const cmdpredict::ScopedEnv scoped(env);
  EXPECT_FALSE(LearnAbcd(tree).Save(folder.File("E")));
  EXPECT_EQ(ReadFile(folder.File("E.ContextTree")), previous);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 1);
}

}  // namespace
}  // namespace Quenmar::Intel
