// The DP list reader and loader, on small exports written for each rule.
#include <gtest/gtest.h>

#include <sstream>

#include "tools/DpListReader.hpp"

namespace trel::quorlinsrv {
namespace {

const std::string kTypes = "# DpType\nTypeName\n";
const std::string kDps = "# Datapoint/DpId\nDpName\tTypeName\tID\n";
const std::string kAliases = "# Aliases/Comments\nAliasId\tAliasName\tCommentName\n";

// Reads and loads `texts` as lists "l0.dpl", "l1.dpl", ...; `error` is empty on success.
struct Loaded {
  DpConfiguration config;
  std::vector<DpListSummary> summaries;
  std::string error;
};
std::unique_ptr<Loaded> load(const std::vector<std::string>& texts) {
  auto loaded = std::make_unique<Loaded>();
  std::vector<DpList> lists(texts.size());
  for (std::size_t i = 0; i < texts.size(); ++i) {
    std::istringstream in(texts[i]);
    if (!readDpList(in, "l" + std::to_string(i) + ".dpl", lists[i], loaded->error))
      return loaded;
  }
  loadDpLists(lists, loaded->config, loaded->summaries, loaded->error);
  return loaded;
}

// The element type of `name`, or -1 when the configuration has no such element.
int typeOf(const DpConfiguration& config, const std::string& name) {
  DpIdentifier id;
  DpElementType type;
  if (!config.findElement(name, id) || !config.findElementType(id, type))
    return -1;
  return type;
}

struct ElementCase {
  const char* what;
  std::string text;
  std::vector<std::pair<std::string, int>> elements;  // -1: must not exist
};

void PrintTo(const ElementCase& c, std::ostream* os) {
  *os << c.what;
}

class DpListElements : public testing::TestWithParam<ElementCase> {};

TEST_P(DpListElements, ReachesExactlyTheseElements) {
  auto loaded = load({GetParam().text});
  ASSERT_EQ(loaded->error, "");
  for (const auto& [name, type] : GetParam().elements) {
    SCOPED_TRACE(name);
    EXPECT_EQ(typeOf(loaded->config, name), type);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DpListElements,
    testing::Values(
        ElementCase{"nesting by leading TABs, a leaf root, roots without id",
                    kTypes + "S.S\t1#1\n\ta\t21#2\n\tb\t1#3\n\t\tc\t23#4\n\td\t6#5\n" +
                        "L.L\t21#1\nR\t1\n\tx\t22\n\ty\t25#\n" + kDps +
                        "s1\tS\t7\nl1\tL\nr1\tR\t\n",
                    {{"s1.a", 21},
                     {"s1.b", 1},
                     {"s1.b.c", 23},
                     {"s1.d", 6},
                     {"s1.c", -1},
                     {"l1.", 21},
                     {"r1.x", 22},
                     {"r1.y", 25}}},
        ElementCase{"CRLF, trailing TABs and blanks, comments and a second type section",
                    "# ascii dump of database\r\n" + kTypes + "S.S\t1#1\t\r\n# stray\r\n" +
                        "\ta\t21#2  \r\n\n# DpType\nTypeName\nT.T\t1#1\n\tb\t22#2\n" + kDps +
                        "s\tS\t1\r\nt\tT\t2\r\n",
                    {{"s.a", 21}, {"t.b", 22}}},
        ElementCase{"names are bytes: Latin-1 and UTF-8 kept as read",
                    kTypes + "K\xfchler.K\xfchler\t1#1\n\tTemp\xc2\xb0\t22#2\n" + kDps +
                        "K1\tK\xfchler\t1\n",
                    {{"K1.Temp\xc2\xb0", 22}}},
        ElementCase{"type references reach the referenced elements; unknown ones none",
                    kTypes + "R.R\t1#1\n\tmin\t22#2\nS.S\t1#1\n\tr\t41#2:R\n\tq\t41:R\n" +
                        "\tu\t41#4:Unknown\n" + kDps + "s\tS\t1\n",
                    {{"s.r", 41}, {"s.r.min", 22}, {"s.q.min", 22}, {"s.u", 41}}},
        ElementCase{"other tables are skipped, quoted values followed across lines",
                    kTypes + "S.S\t1#1\n\ta\t21#2\n# DpValue\nElementName\tTypeName\tv\n" +
                        "s.a\tS\t\"x\ny \\\"q\\\"\nDpName\tTypeName\tID\nn\tS\t9\"\n" +
                        "n2\tS\t5\nManager/User\tx\n" + kDps + "s\tS\t1\n",
                    {{"s.a", 21}, {"n.", -1}, {"n2.", -1}}}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

struct ErrorCase {
  std::string text;
  unsigned line;
  const char* fragment;
};

void PrintTo(const ErrorCase& c, std::ostream* os) {
  *os << "line " << c.line << ": " << c.fragment;
}

class DpListErrors : public testing::TestWithParam<ErrorCase> {};

TEST_P(DpListErrors, NameFileAndLine) {
  auto loaded = load({GetParam().text});
  std::string prefix = "l0.dpl:" + std::to_string(GetParam().line) + ": error: ";
  EXPECT_EQ(loaded->error.substr(0, prefix.size()), prefix) << loaded->error;
  EXPECT_NE(loaded->error.find(GetParam().fragment), std::string::npos) << loaded->error;
}

INSTANTIATE_TEST_SUITE_P(
    Lines, DpListErrors,
    testing::Values(
        ErrorCase{"# x\nS\tT\t1\n", 2, "outside any table"},
        ErrorCase{kTypes + "\ta\t21#1\n", 3, "before any type's root"},
        ErrorCase{kTypes + "S.S\t1#1\n\t\ta\t21#2\n", 4, "more than one level"},
        ErrorCase{kTypes + "S.S\t1#1\n\ta\t21#2\n\t\tb\t21#3\n", 5, "not a structure"},
        ErrorCase{kTypes + "L.L\t21#1\n\tb\t21#3\n", 4, "not a structure"},
        ErrorCase{kTypes + "S.S\t1#1\n\tr\t41#2:S\n\t\tb\t21#3\n", 5, "no child lines"},
        ErrorCase{kTypes + "S.S\tabc\n", 3, "decimal CODE"},
        ErrorCase{kTypes + "S.S\t1#x\n", 3, "not a decimal"},
        ErrorCase{kTypes + "S.S\t1#1\n\tr\t41#2\n", 4, "names no type"},
        ErrorCase{kTypes + "S.S\t1#1\n\tr\t21#2:T\n", 4, "only code 41"},
        ErrorCase{kTypes + "A.B\t1#1\n", 3, "TYPE.TYPE"},
        ErrorCase{kTypes + "S.S\t1#1\n\ta\t\t21#2\n", 4, "NAME<TAB>CODE"},
        ErrorCase{kTypes + "S.S\t1#1\n\ta\t21#2\n\ta\t22#3\n", 5, "appears twice"},
        ErrorCase{kTypes + "S.S\t1#1\n\ta.b\t21#2\n", 4, "contains '.'"},
        ErrorCase{kDps + "only\n", 3, "DPNAME<TAB>TYPE"},
        ErrorCase{kDps + "a\tT\t1\tx\n", 3, "DPNAME<TAB>TYPE"},
        ErrorCase{kDps + "a\tT\tx1\n", 3, "not a decimal"},
        ErrorCase{kDps + "a\t\t1\n", 3, "is empty"},
        ErrorCase{kAliases + "a.b\tnoquotes\tlt:1\n", 3, "double quotes"},
        ErrorCase{kAliases + "a.b\t\"x\" \"y\"\tlt:1\n", 3, "double quotes"},
        ErrorCase{kAliases + "ab\t\"x\"\tlt:1\n", 3, "DP.ELEMENT"},
        ErrorCase{kAliases + "a.b\t\"x\tlt:1\nmore\n", 3, "not closed"},
        // Cross-list rules, reported at the second definition.
        ErrorCase{kTypes + "S.S\t1#1\n\tr\t41#2:T\nT.T\t1#1\n\ts\t41#2:S\n", 6, "cycle"},
        ErrorCase{kTypes + "S.S\t1#1\n\ta\t21#2\nS.S\t1#1\n\ta\t22#2\n", 5, "first at l0.dpl:3"},
        ErrorCase{kTypes + "S.S\t1#1\n" + kDps + "d\tS\t1\nd\tT\t2\n", 7, "first at l0.dpl:6"},
        ErrorCase{kTypes + "S.S\t1#1\n" + kDps + "d\tS\t1\n" + kAliases +
                      "d.\t\"x\"\tlt:1\nd.a\t\"x\"\tlt:1\n",
                  10, "first at l0.dpl:9"}));

TEST(DpListLoader, AliasesKeepTheirElementWithoutSystemPrefix) {
  auto loaded = load({kTypes + "S.S\t1#1\n\ta\t21#2\n" + kDps + "System1:s\tS\t1\n" + kAliases +
                      "System1:s.\t\"root\"\tlt:1 LANG:10001 \"c\"\n" +
                      "s.a\t\"say \\\"a\\\"\"\tlt:1 LANG:10001 \"\"\ns.a\t\"\"\tlt:1\n"});
  ASSERT_EQ(loaded->error, "");
  std::string element;
  EXPECT_TRUE(loaded->config.findAlias("root", element));
  EXPECT_EQ(element, "s.");
  EXPECT_TRUE(loaded->config.findAlias("say \"a\"", element));
  EXPECT_EQ(element, "s.a");
  EXPECT_EQ(loaded->config.getAliasCount(), 2u);
}

TEST(DpListLoader, TypesOfOneListServeAnotherAndUnknownTypesAreLeftOut) {
  auto loaded =
      load({kTypes + "S.S\t1#1\n\tr\t41#2:R\n" + kDps + "s\tS\t1\n_mp_x\t_X\t2\n" +
                "_dt_y\t_Y\t3\nplain\tNoType\t4\n",
            kTypes + "R.R\t1#1\n\tv\t22#2\nS.S\t1#1\n\tr\t41#2:R\n" + kDps + "s\tS\t1\n"});
  ASSERT_EQ(loaded->error, "");
  EXPECT_EQ(typeOf(loaded->config, "s.r.v"), 22);
  EXPECT_EQ(loaded->config.getDataPointCount(), 1u);
  ASSERT_EQ(loaded->summaries.size(), 2u);
  EXPECT_EQ(loaded->summaries[0].leftOutInternal, 2u);
  EXPECT_EQ(loaded->summaries[0].leftOutOther, std::vector<std::string>{"plain"});
  EXPECT_EQ(loaded->summaries[1].types, 1u);
  EXPECT_EQ(loaded->summaries[1].repeatedRows, 2u);  // type S and data point s again
}

TEST(DpListLoader, NotesAReferenceToATypeNoListDefines) {
  auto loaded = load({kTypes + "S.S\t1#1\n\tu\t41#2:Missing\n"});
  ASSERT_EQ(loaded->error, "");
  ASSERT_EQ(loaded->summaries[0].notes.size(), 1u);
  EXPECT_EQ(loaded->summaries[0].notes[0].substr(0, 15), "l0.dpl:4: note:");
}

}  // namespace
}  // namespace trel::quorlinsrv
