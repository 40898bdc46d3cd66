// A file as Save writes it is read straight into the tree, to what the general load makes of it;
// every other text is left to the general load, with the tree as it was.
#include "models/contexttree/saved_form_reader.h"

#include <gtest/gtest.h>

#include <string>

#include "models/contexttree/context_tree_file.h"
#include "support/json/json_text.h"

namespace Quenmar::Intel {
namespace {

std::string TextOf(const ContextTree& tree) { return cmdpredict::ToJsonText(ToJson(tree)); }

// A file in the saved form whose root holds the children.
std::string Saved(const std::string& children, const std::string& codes = R"("","a","b")") {
  return R"({"i":0,"f":0.0,"c":[)" + children +
         R"(],"schema":"concise","version":"1.0","release":"221.0.0.0","d":3,"encodings":[)" + codes + "]}";
}

const std::string kChildren = R"({"i":1,"f":2.0,"c":[{"i":2,"f":1.0,"c":[]}]},{"i":2,"f":1.0,"c":[]})";

// `text` with the first `from` replaced by `to`.
std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  return text.replace(text.find(from), from.size(), to);
}

struct Row {
  const char* name;
  std::string text;
};

TEST(SavedFormReader, ReadsTheSavedFormAsTheGeneralLoadDoes) {
  ContextTree learnt(4, 1);
  learnt.AddSequence({"a", "b\"\\", "a", "\xC3\xA9", "a", "b\"\\", "c"});
  const Row rows[] = {
      {"what Save wrote", *ToFileText(learnt)},
      {"a later sibling with the code of an earlier one",
       Saved(R"({"i":1,"f":2.0,"c":[]},{"i":1,"f":3.0,"c":[]})")},
      {"a frequency of -0.0", Saved(R"({"i":1,"f":-0.0,"c":[]})")},
      {"a text given twice and a code without text", Saved(R"({"i":3,"f":1.0,"c":[]})", R"("","a","a")")},
  };
  for (const auto& [name, text] : rows) {
    SCOPED_TRACE(name);
    ContextTree read(100, 1);
    ContextTree general(100, 1);
    ModelVersion version;
    ASSERT_TRUE(ReadSavedForm(read, text, version));
    const TextLoad expected = LoadThroughDocument(general, text);
    EXPECT_EQ(expected.severity, kLoadedFully);
    EXPECT_EQ(TextOf(read), TextOf(general));
    EXPECT_EQ(read.GetHistory().size(), general.GetHistory().size());
    EXPECT_EQ(version.major, expected.version.major);
    EXPECT_EQ(version.minor, expected.version.minor);
  }
}

TEST(SavedFormReader, LeavesEveryOtherTextToTheGeneralLoadWithTheTreeAsItWas) {
  const std::string saved = Saved(kChildren);
  const Row rows[] = {
      {"a long key", Replaced(saved, R"({"i":1,)", R"({"item":1,)")},
      {"members in another order", Replaced(saved, R"("f":2.0,"c":[{"i":2,"f":1.0,"c":[]}]})",
                                            R"("c":[{"i":2,"f":1.0,"c":[]}],"f":2.0})")},
      {"another member", Replaced(saved, R"("schema")", R"("s":"concise","schema")")},
      {"an item that is a text",
       Replaced(saved, R"({"i":2,"f":1.0,"c":[]}])", R"({"i":"b","f":1.0,"c":[]}])")},
      {"an item beyond 32 bits", Replaced(saved, R"({"i":1,)", R"({"i":4294967297,)")},
      {"a whole frequency", Replaced(saved, R"("f":2.0)", R"("f":2)")},
      {"a negative frequency", Replaced(saved, R"("f":2.0)", R"("f":-2.0)")},
      {"a null child", Replaced(saved, R"("c":[{"i":1)", R"("c":[null,{"i":1)")},
      {"a version not accepted", Replaced(saved, R"("1.0")", R"("0.9")")},
      {"a depth out of range", Replaced(saved, R"("d":3)", R"("d":129)")},
      {"a NUL byte in a text", Replaced(saved, R"("a","b"])", R"("a\u0000","b"])")},
      {"text that is not JSON", saved.substr(0, saved.size() - 1)},
  };
  for (const auto& [name, text] : rows) {
    SCOPED_TRACE(name);
    ContextTree tree(2, 1);
    tree.AddSequence({"x", "y", "x"});
    const std::string before = TextOf(tree);
    ModelVersion version;
    EXPECT_FALSE(ReadSavedForm(tree, text, version));
    EXPECT_EQ(TextOf(tree), before);
    EXPECT_EQ(tree.GetHistory().size(), 3U);
  }
}

}  // namespace
}  // namespace Quenmar::Intel
