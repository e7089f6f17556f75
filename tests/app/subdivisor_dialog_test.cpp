#include <QFileInfo>
#include <QLabel>
#include <algorithm>

#include "model/divisor_notation.h"
#include "picture/layout_relaxation.h"

#include "app_test_support.h"
#include "model/fiber_data.h"
#include "subdivisor/subdivisor_listing.h"

namespace dorvanix::testing {
namespace {

const std::string kX = "(3;(2,1),(2,1),(2,1))";
const std::string kCAA = "(2;(2),(1),(1)):: ell = 1 :: type = CAA";

class SubdivisorWindow : public AppSession {
  protected:
    void SetUp() override {
        dialog = chooseFirstFiber("3", "2", "3");
        ASSERT_NE(dialog, nullptr);
    }
    int rowOf(const std::string& line) const {
        const std::vector<std::string> lines = linesOf(dialog->subdivisorList());
        const auto found = std::find(lines.begin(), lines.end(), line);
        return found == lines.end() ? -1 : static_cast<int>(found - lines.begin());
    }
    void selectLine(const std::string& line) {
        const int row = rowOf(line);
        ASSERT_GE(row, 0) << line;
        dialog->subdivisorList()->setCurrentRow(row);
        click(dialog, "1014");
    }
    // Moves the picture's animation on by `ticks` steps, as its timer would.
    void advanceAnimation(int ticks) {
        const RandomSource random = standardRandom();
        for (int i = 0; i < ticks; ++i)
            context->state.animation.tick(context->state.scene(), random);
    }
    const DivisorNode* firstSelected() const {
        const DivisorNode* holder = context->state.selectedDivisors;
        return holder == nullptr ? nullptr : holder->neighbor(0);
    }
    SubdivisorDialog* dialog = nullptr;
};

TEST_F(SubdivisorWindow, OpensWithXAndItsFourteenLines) {
    EXPECT_EQ(dialog->objectName(), "106");
    EXPECT_EQ(dialog->fiberText().toStdString(), kX);
    const FiberData x = fiberFromParts(3, 2, {2, 2, 2});
    EXPECT_EQ(linesOf(dialog->subdivisorList()), subdivisorLines(x, SubdivisorOptions{}));
    EXPECT_EQ(dialog->subdivisorList()->count(), 14);
    EXPECT_TRUE(checked(dialog, "1029")) << "only ABC type starts on";
    EXPECT_FALSE(checked(dialog, "1027"));
    EXPECT_FALSE(checked(dialog, "1025"));
    EXPECT_EQ(dialog->selectedList()->count(), 0);
}

TEST_F(SubdivisorWindow, ControlsCarryTheirIdsAndCaptions) {
    const std::pair<const char*, const char*> rows[] = {
        {"1014", "Select"},        {"1030", "Save list"},         {"1012", "< Cancel"},
        {"1015", "Help "},         {"1025", "only for ell ="},    {"1027", "except 'only AB' type"},
        {"1029", "only ABC type"}, {"1028", "Re-list"},           {"1013", "See picture >"},
        {"1017", "Delete"},        {"1043", "Save Quorbel File"},
    };
    for (const auto& [id, caption] : rows) {
        SCOPED_TRACE(id);
        auto* button = control<QAbstractButton>(dialog, id);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->text().toStdString(), caption);
    }
    for (const char* id : {"1010", "1026"})
        EXPECT_NE(control<QLineEdit>(dialog, id), nullptr) << id;
    for (const char* id : {"1011", "1016"}) EXPECT_NE(control<LineList>(dialog, id), nullptr) << id;
}

TEST_F(SubdivisorWindow, EllBoxFollowsTheFilterItSets) {
    struct Row {
        const char* label;
        QString text;
        int filter;
    };
    const Row rows[] = {
        {"2 turns the filter on", "2", 2},        {"a negative value excludes that ell", "-3", -3},
        {"100 is the largest value", "100", 100}, {"101 is out of range", "101", 0},
        {"-101 is out of range", "-101", 0},      {"an empty edit", "", 0},
        {"text that is no number", "abc", 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        type(dialog, "1026", row.text);
        EXPECT_FALSE(checked(dialog, "1025")) << "editing clears the box";
        EXPECT_EQ(dialog->options().ellFilter, 0);
        click(dialog, "1025");
        EXPECT_EQ(dialog->options().ellFilter, row.filter);
        EXPECT_EQ(checked(dialog, "1025"), row.filter != 0);
        if (row.filter != 0) {
            click(dialog, "1025");
            EXPECT_EQ(dialog->options().ellFilter, 0) << "a second click turns it off";
            EXPECT_FALSE(checked(dialog, "1025"));
            click(dialog, "1025");
            type(dialog, "1026", row.text + "0");
            EXPECT_FALSE(checked(dialog, "1025"));
            EXPECT_EQ(dialog->options().ellFilter, 0);
        }
    }
}

TEST_F(SubdivisorWindow, RelistAppliesTheOptions) {
    struct Row {
        const char* label;
        const char* clicks;  // check boxes clicked before Re-list, each once
        QString ell;
        SubdivisorOptions options;
    };
    const Row rows[] = {
        {"only ell = 2", "1025", "2", {2, false, true}},
        {"every ell but 2", "1025", "-2", {-2, false, true}},
        {"except only AB", "1027", "", {0, true, true}},
        {"everything", "1029", "", {0, false, false}},
        {"except only AB, with '?'", "1027 1029", "", {0, true, false}},
    };
    const FiberData x = fiberFromParts(3, 2, {2, 2, 2});
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        // A fresh dialog for every row, with its opening options.
        click(dialog, "1012");
        QTRY_VERIFY(context->subdivisorDialog() == nullptr);
        click(context->fiberList(), "1007");
        dialog = context->subdivisorDialog();
        ASSERT_TRUE(waitForSubdivisors(dialog));
        type(dialog, "1026", row.ell);
        for (const QString& id : QString(row.clicks).split(' ')) {
            click(dialog, id.toLatin1().constData());
        }
        EXPECT_EQ(dialog->options(), row.options);
        const std::vector<std::string> before = linesOf(dialog->subdivisorList());
        EXPECT_EQ(before, subdivisorLines(x, SubdivisorOptions{}))
            << "options alone do not re-list";
        click(dialog, "1028");
        ASSERT_TRUE(waitForSubdivisors(dialog));
        EXPECT_EQ(linesOf(dialog->subdivisorList()), subdivisorLines(x, row.options));
    }
}

TEST_F(SubdivisorWindow, SelectTwiceAnalysesTheFirstSelectedLine) {
    const std::string second = "(1;(1,1),(1,1),(1,1)):: ell = 1 :: type = BBB";
    selectLine(kCAA);
    advanceAnimation(5);
    ASSERT_EQ(context->state.animation.animationStep(), 5);
    selectLine(second);
    EXPECT_EQ(linesOf(dialog->selectedList()), (std::vector<std::string>{kCAA, second}));
    EXPECT_EQ(context->state.animation.animationStep(), 0) << "Select starts the animation over";
    const DivisorNode* holder = context->state.selectedDivisors;
    ASSERT_NE(holder, nullptr);
    EXPECT_EQ(holder->degree, 2);
    const DivisorNode* y = firstSelected();
    ASSERT_NE(y, nullptr);
    EXPECT_EQ(printDivisorNotation(*y), "(2;(2),(1),(1))");
    EXPECT_EQ(y->ell, 1);
    const std::string letters{y->neighbor(0)->branchType, y->neighbor(1)->branchType,
                              y->neighbor(2)->branchType};
    EXPECT_EQ(letters, "CAA");
    EXPECT_EQ(printDivisorNotation(*holder->neighbor(1)), "(1;(1,1),(1,1),(1,1))");

    selectLine(kCAA);
    EXPECT_EQ(dialog->selectedList()->count(), 3) << "the same line may be selected twice";
    EXPECT_EQ(printDivisorNotation(*firstSelected()), "(2;(2),(1),(1))");
}

TEST_F(SubdivisorWindow, DeleteRemovesTheCurrentSelectedLine) {
    const std::string second = "(2;(2),(2),()):: ell = 2 :: type = BB0";
    selectLine(kCAA);
    selectLine(second);
    dialog->selectedList()->setCurrentRow(0);
    click(dialog, "1017");
    EXPECT_EQ(linesOf(dialog->selectedList()), std::vector<std::string>{second});
    EXPECT_EQ(context->state.analysisChainCount, -1);
    EXPECT_EQ(context->state.analysisGcd, -1);
    EXPECT_EQ(printDivisorNotation(*firstSelected()), "(2;(2),(1),(1))")
        << "the parsed divisors wait for the next Select";
    selectLine(kCAA);
    const DivisorNode* y = firstSelected();
    EXPECT_EQ(y->ell, 2) << "now the first line is the one left";
    EXPECT_EQ(y->neighbor(1)->multiplicity, 2);
    EXPECT_EQ(y->neighbor(2)->multiplicity, 0) << "the empty branch";
    EXPECT_EQ(y->neighbor(2)->branchType, '0');
}

TEST_F(SubdivisorWindow, SelectAndDeleteWithoutACurrentLineDoNothing) {
    dialog->subdivisorList()->setCurrentIndex({});
    click(dialog, "1014");
    EXPECT_EQ(dialog->selectedList()->count(), 0);
    EXPECT_EQ(context->state.selectedDivisors, nullptr);
    selectLine(kCAA);
    dialog->selectedList()->setCurrentIndex({});
    click(dialog, "1017");
    EXPECT_EQ(dialog->selectedList()->count(), 1);
}

TEST_F(SubdivisorWindow, ClosingReleasesTheFiberAndDestroysThePicture) {
    selectLine(kCAA);
    selectLine(kCAA);
    ASSERT_NE(context->picture(), nullptr);
    click(dialog, "1012");
    QTRY_VERIFY(context->subdivisorDialog() == nullptr);
    const SharedState& state = context->state;
    EXPECT_EQ(state.subdivisorDialogOpen, 0);
    EXPECT_EQ(state.pictureOpen, 0);
    EXPECT_EQ(context->picture(), nullptr);
    EXPECT_EQ(state.currentFiber->neighbors.size(), 0u);
    EXPECT_EQ(state.selectedDivisors, nullptr);
    EXPECT_EQ(state.pool.inUseCount(), 1u) << "only the core node is still taken";
    EXPECT_NE(context->fiberList(), nullptr) << "the fiber list stays";
}

TEST_F(SubdivisorWindow, ALongSessionGivesEveryNodeBack) {
    for (int round = 0; round < 30; ++round) {
        SCOPED_TRACE(round);
        selectLine(kCAA);
        selectLine("(1;(1,1),(1,1),(1,1)):: ell = 1 :: type = BBB");
        click(context->fiberList(), "1007");  // choose again while the dialog is open
        click(dialog, "1012");
        QTRY_VERIFY(context->subdivisorDialog() == nullptr);
        ASSERT_EQ(context->state.pool.inUseCount(), 1u);
        click(context->fiberList(), "1007");
        dialog = context->subdivisorDialog();
        ASSERT_TRUE(waitForSubdivisors(dialog));
    }
    EXPECT_LE(context->state.pool.capacity(), NodePool::kClassicCapacity);
}

TEST_F(SubdivisorWindow, PictureWindowOpensAgainAndRestartsTheAnimation) {
    ASSERT_NE(context->picture(), nullptr);
    context->picture()->close();
    QTRY_VERIFY(context->picture() == nullptr);
    EXPECT_EQ(context->state.pictureOpen, 0);
    selectLine(kCAA);
    advanceAnimation(60);
    ASSERT_EQ(context->state.animation.animationStep(), 60);
    click(dialog, "1013");
    EXPECT_EQ(context->state.pictureOpen, 1);
    ASSERT_NE(context->picture(), nullptr);
    EXPECT_EQ(context->picture()->objectName(), "108");
    EXPECT_EQ(context->state.animation.animationStep(), 0);
    QWidget* picture = context->picture();
    advanceAnimation(60);
    click(dialog, "1013");
    EXPECT_EQ(context->picture(), picture) << "an open picture is raised, not opened twice";
    EXPECT_EQ(context->state.animation.animationStep(), 0);
}

TEST_F(SubdivisorWindow, SaveListWritesTheHeaderTheLinesAndTheEnd) {
    const std::string lines = [&] {
        std::string all;
        for (const std::string& line : subdivisorLines(fiberFromParts(3, 2, {2, 2, 2}), {})) {
            all += line + "\n\r";
        }
        return all;
    }();
    struct Row {
        const char* label;
        QString ell;
        const char* clicks;
        bool relist;
        std::string expected;
    };
    const std::string head =
        "******original divisor******\r\n" + kX + "\n\r******List of subdivisors******\r\n";
    const std::string abc = "******Subdivisors which consists of type ABC branches******\r\n";
    const std::string end = "******End of Subdivisors******\r\n";
    const Row rows[] = {
        {"opening options", "", "", false, head + abc + lines + end},
        {"ell = 3 shown though not re-listed", "3", "1025", false,
         head + "******Subdivisors of ell= 3******\r\n" + abc + lines + end},
        {"every ell but 3, except only AB", "-3", "1025 1027", false,
         head + "******Subdivisors of except ell=3******\r\n" +
             "******Subdivisors which don't have type AB branches******\r\n" + abc + lines + end},
        {"an empty list says NONE", "7", "1025 1029", true,
         head + "******Subdivisors of ell= 7******\r\nNONE\r\n" + end},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        type(dialog, "1026", row.ell);
        for (const QString& id : QString(row.clicks).split(' ', Qt::SkipEmptyParts)) {
            click(dialog, id.toLatin1().constData());
        }
        if (row.relist) {
            click(dialog, "1028");
            ASSERT_TRUE(waitForSubdivisors(dialog));
        }
        saveRequests.clear();
        click(dialog, "1030");
        ASSERT_EQ(saveRequests.size(), 1u);
        EXPECT_EQ(saveRequests[0].defaultName, "X3-2-2-2.doc");
        EXPECT_EQ(saveRequests[0].defaultSuffix, "doc");
        EXPECT_EQ(saveRequests[0].filter, "Dorvanixファイル (*.doc);;全てのファイル (*.*)");
        EXPECT_EQ(readFile(savePath), row.expected);
        // Back to the opening options for the next row.
        for (const QString& id : QString(row.clicks).split(' ', Qt::SkipEmptyParts)) {
            click(dialog, id.toLatin1().constData());
        }
        type(dialog, "1026", "");
    }
}

TEST_F(SubdivisorWindow, SaveQuorbelFileWritesThePolynomialsOfTheFirstSelected) {
    click(dialog, "1043");
    EXPECT_TRUE(saveRequests.empty()) << "nothing selected: nothing happens";

    struct Row {
        const char* label;
        std::vector<std::string> select;
        std::string name;
        std::string expected;
    };
    const Row rows[] = {
        {"ell = 1",
         {kCAA},
         "3222-2211.qpf",
         "*polynomial\r\nx*(1-y)*(x^2*y^2*(1-y)-3)-2\r\n*degenerateloci\r\n0\r\n"
         "*branchpoly\r\n(1*y^2-1*(1-y))*y*(1-y)\r\n"},
        {"ell = 2 with an empty branch, selected first",
         {"(2;(2),(2),()):: ell = 2 :: type = BB0", kCAA},
         "3222-2220.qpf",
         "*polynomial\r\nx*(x*y*(1-y)-3)^2-2^2\r\n*degenerateloci\r\n0\r\n"
         "*branchpoly\r\n(1*y*(1-y)-1)*y*(1-y)\r\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        while (dialog->selectedList()->count() > 0) {
            dialog->selectedList()->setCurrentRow(0);
            click(dialog, "1017");
        }
        for (const std::string& line : row.select) selectLine(line);
        saveRequests.clear();
        click(dialog, "1043");
        ASSERT_EQ(saveRequests.size(), 1u);
        EXPECT_EQ(saveRequests[0].defaultName.toStdString(), row.name);
        EXPECT_EQ(saveRequests[0].defaultSuffix, "qpf");
        EXPECT_EQ(saveRequests[0].filter, "Quorbelファイル (*.qpf);;全てのファイル (*.*)");
        EXPECT_EQ(readFile(savePath), row.expected);
    }
}

TEST_F(SubdivisorWindow, ACancelledQuorbelSaveWritesNothing) {
    selectLine(kCAA);
    savePath.clear();
    click(dialog, "1043");
    EXPECT_EQ(saveRequests.size(), 1u);
    EXPECT_TRUE(QDir(folder.path()).isEmpty());
}

}  // namespace
}  // namespace dorvanix::testing

namespace dorvanix::testing {
namespace {

using AnalysisFigures = AppSession;

TEST_F(AnalysisFigures, SelectShowsTheFiguresOfTheFirstSelectedLine) {
    struct Row {
        const char* label;
        QString m;
        std::string fiberLine;
        std::vector<std::string> select;
        int chainCount, gcd;
        std::string text;
    };
    const Row rows[] = {
        {"two chains",
         "3",
         "((3,2),2,2,2) : 14 (g=1)",
         {kCAA},
         2,
         1,
         "N = 2 chains, gcd d = 1, genus of the joining curve h = 0"},
        {"a joining curve of genus 1",
         "5",
         "((5,2),4,3,3) : 18 (g=2)",
         {"(3;(2,1),(2,1),(2,1)):: ell = 1 :: type = ABB"},
         3,
         1,
         "N = 3 chains, gcd d = 1, genus of the joining curve h = 1"},
        {"a proportional branch",
         "4",
         "((4,2),3,3,2) : 12 (g=1)",
         {"(2;(2,2),(1),(1)):: ell = 1 :: type = CAA"},
         -1,
         -1,
         "Y is proportional to X on a branch: the analysis ends there, without chain diagram "
         "(N and d are undefined)."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        FiberListDialog* list = enumerate(row.m, "2", "3");
        const std::vector<std::string> fibers = linesOf(list->list());
        const auto fiber = std::find(fibers.begin(), fibers.end(), row.fiberLine);
        ASSERT_NE(fiber, fibers.end());
        list->list()->setCurrentRow(static_cast<int>(fiber - fibers.begin()));
        click(list, "1007");
        SubdivisorDialog* dialog = context->subdivisorDialog();
        ASSERT_TRUE(waitForSubdivisors(dialog));
        auto* figures = control<QLabel>(dialog, "figures");
        for (const std::string& line : row.select) {
            const std::vector<std::string> lines = linesOf(dialog->subdivisorList());
            const auto found = std::find(lines.begin(), lines.end(), line);
            ASSERT_NE(found, lines.end()) << line;
            dialog->subdivisorList()->setCurrentRow(static_cast<int>(found - lines.begin()));
            click(dialog, "1014");
        }
        const SharedState& state = context->state;
        EXPECT_EQ(state.analysisChainCount, row.chainCount);
        EXPECT_EQ(state.analysisGcd, row.gcd);
        EXPECT_NE(state.analysisDivisor, nullptr);
        EXPECT_EQ(state.analysisChains == nullptr, row.chainCount < 0);
        EXPECT_EQ(figures->text().toStdString(), row.text);

        dialog->selectedList()->setCurrentRow(0);
        click(dialog, "1017");
        EXPECT_EQ(state.analysisDivisor, nullptr);
        EXPECT_EQ(state.analysisChainCount, -1);
        EXPECT_EQ(figures->text().toStdString(), "No sub-divisor analysed.");

        click(dialog, "1012");
        QTRY_VERIFY(context->subdivisorDialog() == nullptr);
        EXPECT_EQ(state.pool.inUseCount(), 1u) << "the analysis went back to the pool";
        click(list, "1008");
        QTRY_VERIFY(context->fiberList() == nullptr);
    }
}

}  // namespace
}  // namespace dorvanix::testing
