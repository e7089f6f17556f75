#include <QFileInfo>
#include <QLabel>
#include <QScrollBar>
#include <QSignalSpy>
#include <algorithm>
#include <atomic>
#include <sstream>
#include <thread>

#include "analysis/subdivisor_choice.h"
#include "app/background_job.h"
#include "app/picture_window.h"
#include "model/divisor_notation.h"
#include "picture/layout_relaxation.h"
#include "picture/picture_session.h"

#include "app_test_support.h"
#include "census/subdivisor_line.h"
#include "census/subdivisor_listing.h"
#include "files/list_files.h"
#include "files/quorbel_file.h"
#include "model/fiber_data.h"

namespace dorvanix::testing {
namespace {

const std::string kX = "(3;(2,1),(2,1),(2,1))";
const std::string kCAA = "(2;(2),(1),(1)):: ell = 1 :: type = CAA";
const std::string kBBB = "(1;(1,1),(1,1),(1,1)):: ell = 1 :: type = BBB";
const std::string kBB0 = "(2;(2),(2),()):: ell = 2 :: type = BB0";
const char* const kDocFilter = "Dorvanix files (*.doc);;All files (*.*)";

// Clicks each of the space-separated check boxes once.
void clickEach(QWidget* dialog, const char* ids) {
    for (const QString& id : QString(ids).split(' ', Qt::SkipEmptyParts))
        click(dialog, id.toLatin1().constData());
}

class SubdivisorWindow : public AppSession {
  protected:
    void SetUp() override {
        dialog = chooseFirstFiber("3", "2", "3");
        ASSERT_NE(dialog, nullptr);
    }
    PictureWindow* picture() const { return qobject_cast<PictureWindow*>(context->picture()); }
    // Moves the picture's animation on by `ticks` steps, as its timer would, frame by frame.
    void advanceAnimation(int ticks) {
        PictureWindow* window = picture();
        ASSERT_NE(window, nullptr);
        for (int i = 0; i < ticks; ++i) {
            ASSERT_TRUE(waitUntil([window] { return !window->makingFrame(); }));
            const int shown = window->framesShown();
            window->advance();
            ASSERT_TRUE(waitUntil([&] { return window->framesShown() > shown; }));
        }
    }
    const DivisorNode* firstSelected() const {
        const DivisorNode* holder = context->state.selectedDivisors;
        return holder == nullptr ? nullptr : holder->neighbor(0);
    }
    SubdivisorDialog* dialog = nullptr;
};

TEST_F(SubdivisorWindow, OpensWithXAndItsFourteenLines) {
    EXPECT_EQ(dialog->fiberText().toStdString(), kX);
    EXPECT_EQ(linesOf(dialog->subdivisorList()),
              subdivisorLines(fiberFromParts(3, 2, {2, 2, 2}), SubdivisorOptions{}));
    EXPECT_EQ(dialog->subdivisorList()->count(), 14);
    EXPECT_TRUE(checked(dialog, "1029")) << "only ABC type starts on";
    EXPECT_FALSE(checked(dialog, "1027"));
    EXPECT_FALSE(checked(dialog, "1025"));
    EXPECT_EQ(dialog->selectedList()->count(), 0);
    EXPECT_EQ(control<QLineEdit>(dialog, "1010")->cursorPosition(), 0) << "X shows its core first";
}

TEST_F(SubdivisorWindow, ListsScrollToTheEndOfTheirLongestLine) {
    selectLine(dialog, kBBB);
    selectLine(dialog, kBB0);  // a shorter line last
    for (LineList* list : {dialog->subdivisorList(), dialog->selectedList()}) {
        SCOPED_TRACE(list->objectName().toStdString());
        list->setFixedWidth(120);
        QTest::qWait(50);
        int widest = 0;
        for (const QString& line : list->lines())
            widest = std::max(widest, list->fontMetrics().horizontalAdvance(line));
        EXPECT_GE(list->horizontalScrollBar()->maximum() + list->viewport()->width(), widest);
    }
}

TEST_F(SubdivisorWindow, EscapeAndCloseAskBeforeSelectedDivisorsAreLost) {
    struct Row {
        const char* label;
        bool select, escape;  // escape: Escape pressed; else the window's close
        int answer;           // 0 close, -1 the question closed
        std::size_t questions;
        bool closes;
    };
    const Row rows[] = {
        {"Escape, nothing selected", false, true, -1, 0, true},
        {"close, nothing selected", false, false, -1, 0, true},
        {"Escape, kept", true, true, -1, 1, false},
        {"close, kept", true, false, -1, 1, false},
        {"Escape, closed", true, true, 0, 1, true},
        {"close, closed", true, false, 0, 1, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        if (context->subdivisorDialog() == nullptr) dialog = chooseFiber();
        if (row.select && dialog->selectedList()->count() == 0) selectLine(dialog, kCAA);
        questions.clear();
        answers = {row.answer};
        if (row.escape) {
            QTest::keyClick(dialog, Qt::Key_Escape);
        } else {
            dialog->close();
        }
        EXPECT_EQ(questions.size(), row.questions);
        EXPECT_EQ(dialog->isVisible(), !row.closes);
        if (row.closes) {
            EXPECT_TRUE(waitUntil([this] { return context->subdivisorDialog() == nullptr; }));
        }
    }
}

// Select analyses on a worker: the window answers meanwhile, what needs the answer waits, and an
// answer for a selection or an X no longer shown is dropped.
TEST_F(SubdivisorWindow, SelectAnalysesOffTheInterfaceThreadAndDropsStaleAnswers) {
    struct Row {
        const char* label;
        std::vector<std::string> before;
        std::string select;
        std::function<void()> meanwhile;
        std::vector<std::string> after;
        int chainCount;
    };
    const Row rows[] = {
        {"left alone", {}, kCAA, [] {}, {kCAA}, 2},
        {"cancelled: as before",
         {kCAA},
         kBB0,
         [this] { dialog->analysisJob()->cancel(); },
         {kCAA},
         2},
        {"the line deleted",
         {},
         kCAA,
         [this] {
             dialog->selectedList()->setCurrentRow(0);
             click(dialog, "1017");
         },
         {},
         -1},
        {"another X chosen",
         {kCAA},
         kBB0,
         [this] {
             answers = {0};
             dialog = chooseFiber();
         },
         {},
         -1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        closeSubdivisorDialog();
        dialog = chooseFiber();
        for (const std::string& line : row.before) selectLine(dialog, line);
        auto* figures = control<QLabel>(dialog, "figures");
        const QString shown = figures->text();
        // The gate holds its flag: a cancelled analysis may still be leaving it after this row.
        auto release = std::make_shared<std::atomic<bool>>(false);
        dialog->setAnalysisGate([release](const Progress& progress) {
            while (!*release && !progress.cancelled())
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        });
        const std::vector<std::string> lines = linesOf(dialog->subdivisorList());
        const auto at = std::find(lines.begin(), lines.end(), row.select);
        dialog->subdivisorList()->setCurrentRow(static_cast<int>(at - lines.begin()));
        click(dialog, "1014");
        EXPECT_TRUE(dialog->analysing());
        for (const char* id : {"1014", "1013", "1043"})
            EXPECT_FALSE(control<QWidget>(dialog, id)->isEnabled()) << id;
        EXPECT_EQ(figures->text(), shown) << "the figures wait for the answer";
        row.meanwhile();
        *release = true;
        ASSERT_TRUE(waitUntil([this] { return !dialog->analysing(); }));
        EXPECT_EQ(linesOf(dialog->selectedList()), row.after);
        EXPECT_EQ(context->state.analysisChainCount, row.chainCount);
        EXPECT_TRUE(control<QWidget>(dialog, "1014")->isEnabled());
    }
}

TEST_F(SubdivisorWindow, EllBoxFollowsTheFilterItSets) {
    const struct {
        QString text;
        int filter;
        bool told;  // the user is told why the box stays unticked
    } rows[] = {
        {"2", 2, false},   {"-3", -3, false}, {"100", 100, false}, {"101", 0, true},
        {"-101", 0, true}, {"", 0, false},    {"abc", 0, false},
    };
    for (const auto& [text, filter, told] : rows) {
        SCOPED_TRACE("ell edit \"" + text.toStdString() + "\"");
        type(dialog, "1026", text);
        EXPECT_FALSE(checked(dialog, "1025")) << "editing clears the box";
        EXPECT_EQ(dialog->options().ellFilter, 0);
        errors.clear();
        click(dialog, "1025");
        EXPECT_EQ(dialog->options().ellFilter, filter);
        EXPECT_EQ(checked(dialog, "1025"), filter != 0) << "out of range leaves it unchecked";
        ASSERT_EQ(errors.size(), told ? 1u : 0u);
        if (told) {
            EXPECT_TRUE(errors[0].contains("from -100 to 100")) << errors[0].toStdString();
        }
        if (filter == 0) continue;
        click(dialog, "1025");
        EXPECT_EQ(dialog->options().ellFilter, 0) << "a second click turns it off";
        EXPECT_FALSE(checked(dialog, "1025"));
        click(dialog, "1025");  // left checked: the next row's edit must clear it
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
        {"every ell but 2", "1025", "-2", {-2, false, true}},
        {"everything", "1029", "", {0, false, false}},
        {"except only AB, with '?'", "1027 1029", "", {0, true, false}},
    };
    const FiberData x = fiberFromParts(3, 2, {2, 2, 2});
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        // A fresh dialog for every row, with its opening options.
        closeSubdivisorDialog();
        dialog = chooseFiber();
        ASSERT_NE(dialog, nullptr);
        type(dialog, "1026", row.ell);
        clickEach(dialog, row.clicks);
        EXPECT_EQ(dialog->options(), row.options);
        EXPECT_EQ(linesOf(dialog->subdivisorList()), subdivisorLines(x, SubdivisorOptions{}))
            << "options alone do not re-list";
        // Re-list pressed again while listing: only the second listing's end is shown.
        QSignalSpy listed(dialog, &SubdivisorDialog::listed);
        click(dialog, "1028");
        click(dialog, "1028");
        ASSERT_TRUE(waitForSubdivisors(dialog));
        EXPECT_EQ(linesOf(dialog->subdivisorList()), subdivisorLines(x, row.options));
        EXPECT_EQ(listed.count(), 1);
    }
}

TEST_F(SubdivisorWindow, SelectTwiceAnalysesTheFirstLineAndDeleteRemovesTheCurrentOne) {
    dialog->subdivisorList()->setCurrentIndex({});
    click(dialog, "1014");
    EXPECT_EQ(dialog->selectedList()->count(), 0) << "Select without a current line";
    EXPECT_EQ(context->state.selectedDivisors, nullptr);

    selectLine(dialog, kCAA);
    advanceAnimation(5);
    ASSERT_GE(picture()->animationStep(), 5);
    selectLine(dialog, kBB0);
    EXPECT_EQ(linesOf(dialog->selectedList()), (std::vector<std::string>{kCAA, kBB0}));
    // The picture's clock runs while the analysis is waited for, so it may have ticked since.
    EXPECT_LT(picture()->animationStep(), 5) << "Select starts the animation over";
    const DivisorNode* holder = context->state.selectedDivisors;
    ASSERT_NE(holder, nullptr);
    EXPECT_EQ(holder->degree, 2);
    const DivisorNode* y = firstSelected();
    ASSERT_NE(y, nullptr);
    EXPECT_EQ(printDivisorNotation(*y), "(2;(2),(1),(1))");
    EXPECT_EQ(y->ell, 1);
    EXPECT_EQ(printDivisorNotation(*holder->neighbor(1)), "(2;(2),(2),())");

    dialog->selectedList()->setCurrentIndex({});
    click(dialog, "1017");
    EXPECT_EQ(dialog->selectedList()->count(), 2) << "Delete without a current line";
    dialog->selectedList()->setCurrentRow(0);
    click(dialog, "1017");
    EXPECT_EQ(linesOf(dialog->selectedList()), std::vector<std::string>{kBB0});
    EXPECT_EQ(context->state.analysisChainCount, -1);
    EXPECT_EQ(context->state.analysisGcd, -1);
    EXPECT_EQ(printDivisorNotation(*firstSelected()), "(2;(2),(2),())")
        << "the parsed divisors follow the list at once";
    // The new first line is analysed as Select analyses it, and the picture draws its analysis
    // from step 51 on.
    ASSERT_TRUE(waitUntil([this] { return !dialog->analysing(); }));
    const FiberData x = fiberFromParts(3, 2, {2, 2, 2});
    EXPECT_EQ(context->state.analysisChainCount,
              analysisFigures(x, parseSubdivisorLine(x, kBB0)).chainCount);
    EXPECT_NE(control<QLabel>(dialog, "figures")->text(), "No sub-divisor analysed.");
    EXPECT_EQ(picture()->content(), context->state.analysis);
    advanceAnimation(55);
    EXPECT_GT(picture()->animationStep(), 50);
    EXPECT_FALSE(picture()->frameItems().items.empty()) << "the chain diagram and R are drawn";
    selectLine(dialog, kCAA);
    y = firstSelected();
    EXPECT_EQ(printDivisorNotation(*y), "(2;(2),(2),())") << "now the first line is the one left";
    EXPECT_EQ(y->ell, 2);
}

TEST_F(SubdivisorWindow, ClosingReleasesTheFiberAndDestroysThePicture) {
    selectLine(dialog, kCAA);
    selectLine(dialog, kCAA);
    EXPECT_EQ(dialog->selectedList()->count(), 2) << "the same line may be selected twice";
    ASSERT_NE(context->picture(), nullptr);
    closeSubdivisorDialog();
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
        selectLine(dialog, kCAA);
        selectLine(dialog, kBBB);
        click(context->fiberList(), "1007");  // choose again while the dialog is open
        closeSubdivisorDialog();
        ASSERT_EQ(context->state.pool.inUseCount(), 1u);
        dialog = chooseFiber();
        ASSERT_NE(dialog, nullptr);
    }
    EXPECT_LE(context->state.pool.capacity(), NodePool::kClassicCapacity);
}

TEST_F(SubdivisorWindow, PictureWindowOpensAgainAndRestartsTheAnimation) {
    ASSERT_NE(context->picture(), nullptr);
    context->picture()->close();
    ASSERT_TRUE(waitUntil([this] { return context->picture() == nullptr; }));
    EXPECT_EQ(context->state.pictureOpen, 0);
    selectLine(dialog, kCAA);
    QWidget* opened = nullptr;
    for (const char* round : {"reopened", "raised"}) {
        SCOPED_TRACE(round);
        click(dialog, "1013");
        EXPECT_EQ(context->state.pictureOpen, 1);
        ASSERT_NE(picture(), nullptr);
        EXPECT_EQ(picture()->animationStep(), 0);
        EXPECT_TRUE(opened == nullptr || context->picture() == opened) << "not opened twice";
        opened = context->picture();
        advanceAnimation(60);
        ASSERT_GE(picture()->animationStep(), 60);
    }
}

TEST_F(SubdivisorWindow, SaveListWritesTheHeaderTheLinesAndTheEnd) {
    std::string lines;
    for (const std::string& line : subdivisorLines(fiberFromParts(3, 2, {2, 2, 2}), {}))
        lines += line + "\n\r";
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
        {"options changed but not re-listed: the header keeps the listed ones", "-3", "1025 1027",
         false, head + abc + lines + end},
        {"an empty list says NONE", "7", "1025 1029", true,
         head + "******Subdivisors of ell= 7******\r\nNONE\r\n" + end},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        type(dialog, "1026", row.ell);
        clickEach(dialog, row.clicks);
        if (row.relist) {
            click(dialog, "1028");
            ASSERT_TRUE(waitForSubdivisors(dialog));
        }
        saveRequests.clear();
        saveList(dialog);
        expectSaveRequest("X3-2-2-2.doc", "doc", kDocFilter);
        EXPECT_EQ(readFile(savePath), row.expected);
        clickEach(dialog, row.clicks);  // back to the opening options
        type(dialog, "1026", "");
    }
}

TEST_F(SubdivisorWindow, SaveQuorbelFileWritesThePolynomialsOfTheFirstSelected) {
    EXPECT_FALSE(control<QWidget>(dialog, "1043")->isEnabled()) << "nothing selected";
    selectLine(dialog, kBB0);
    selectLine(dialog, kCAA);
    click(dialog, "1043");
    expectSaveRequest("3222-2220.qpf", "qpf", "Quorbel files (*.qpf);;All files (*.*)");
    EXPECT_EQ(readFile(savePath),
              "*polynomial\r\nx*(x*y*(1-y)-3)^2-2^2\r\n*degenerateloci\r\n0\r\n"
              "*branchpoly\r\n(1*y*(1-y)-1)*y*(1-y)\r\n");
    // After Delete of the first line, name and content both come from the new first line.
    dialog->selectedList()->setCurrentRow(0);
    click(dialog, "1017");
    ASSERT_TRUE(waitUntil([this] { return !dialog->analysing(); }));  // the new first line
    saveRequests.clear();
    click(dialog, "1043");
    const FiberData x = fiberFromParts(3, 2, {2, 2, 2});
    expectSaveRequest("3222-2211.qpf", "qpf", "Quorbel files (*.qpf);;All files (*.*)");
    EXPECT_EQ(readFile(savePath), quorbelFileText(quorbelInputOf(x, parseSubdivisorLine(x, kCAA))));
    QFile::remove(savePath);
    savePath.clear();
    click(dialog, "1043");
    EXPECT_TRUE(QDir(folder.path()).isEmpty()) << "a cancelled save writes nothing";
}

// Past the limit the dialog asks first: all lines (when they fit), the first N, or none. A list
// that is not whole is saved only when asked, and marked as cut short.
TEST_F(SubdivisorWindow, LongListsAreCountedAndOfferedInPart) {
    std::string lines;
    for (const std::string& line : subdivisorLines(fiberFromParts(3, 2, {2, 2, 2}), {}))
        lines += line + "\n\r";
    struct Row {
        const char* label;
        std::vector<int> answers;  // to the listing's question, then to Save list's
        int count;
        std::string fileEnd;  // empty: nothing saved
    };
    const Row rows[] = {
        {"all", {0}, 14, "******End of Subdivisors******\r\n"},
        {"the first 3, saved", {1, 0}, 3, "******List cut short: 3 of 14 subdivisors******\r\n"},
        {"the first 3, not saved", {1, -1}, 3, ""},
        {"none: the question closed",
         {-1, 0},
         0,
         "******List cut short: 0 of 14 subdivisors******\r\n"},
    };
    dialog->setListLimits(5, 3);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        QFile::remove(savePath);
        answers = row.answers;
        offered.clear();
        click(dialog, "1028");
        ASSERT_TRUE(waitForSubdivisors(dialog));
        ASSERT_FALSE(offered.empty());
        EXPECT_EQ(offered[0], QStringList({"List all 14 lines", "List the first 3"}))
            << "one way out: the question's own Cancel";
        EXPECT_EQ(dialog->subdivisorList()->count(), row.count);
        saveList(dialog);
        EXPECT_TRUE(answers.empty()) << "every question asked";
        const std::string file = readFile(savePath);
        if (row.fileEnd.empty()) {
            EXPECT_EQ(file, "<missing>");
            continue;
        }
        const std::size_t end = file.size() - std::min(file.size(), row.fileEnd.size());
        EXPECT_EQ(file.substr(end), row.fileEnd);
        EXPECT_EQ(file.find(lines.substr(0, 40)) != std::string::npos, row.count > 0);
    }
}

// A fiber with 618,679,078,298 sub-divisors: counted, never listed whole.
TEST_F(AppSession, AListTooLongForMemoryIsOnlyOfferedInPart) {
    answers = {-1};
    SubdivisorDialog* dialog = chooseFirstFiber("2", "20", "40");
    ASSERT_NE(dialog, nullptr);
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_TRUE(questions[0].contains("618,679,078,298")) << questions[0].toStdString();
    EXPECT_TRUE(questions[0].contains("Listing them would take about"))
        << questions[0].toStdString();
    EXPECT_EQ(dialog->subdivisorList()->count(), 0);
    dialog->setListLimits(5, 3);
    answers = {0};
    click(dialog, "1028");
    ASSERT_TRUE(waitForSubdivisors(dialog));
    EXPECT_EQ(dialog->subdivisorList()->count(), 3) << "the first answer is the first N";
    EXPECT_EQ(dialog->job()->fraction(), 1.0) << "the bar counts lines, of the N wanted";
}

// X alone may be drawn, but the chain diagram of Y's analysis is past the picture bound: the
// window shows the core's reason for the analysis it was handed and makes no further frame.
TEST_F(AppSession, APictureOfAChainDiagramPastTheBoundIsDeclined) {
    SubdivisorDialog* dialog = chooseFirstFiber("330", "2", "3");
    ASSERT_NE(dialog, nullptr);
    const FiberData x = fiberFromParts(330, 2, {329, 329, 2});
    const std::string line = "(329;(329),(329),(1)):: ell = 1 :: type = CCA";
    ASSERT_EQ(pictureRefusal(x), "");
    const std::string reason =
        pictureRefusal(x, chainDiagramNodes(x, parseSubdivisorLine(x, line)));
    // In the words of every face and of the help: curves, with grouped digits.
    EXPECT_EQ(reason,
              "the picture would draw a chain diagram of 107,912 curves, more than the 100,000 a "
              "picture draws");
    selectLine(dialog, line);
    auto* window = qobject_cast<PictureWindow*>(context->picture());
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->content(), context->state.analysis);
    EXPECT_TRUE(window->refusal().contains(QString::fromStdString(reason)))
        << window->refusal().toStdString();
    const int shown = window->framesShown();  // X's frames while the analysis ran
    QTest::qWait(300);
    EXPECT_EQ(window->framesShown(), shown);
    EXPECT_FALSE(window->ticking());
}

// Save list writes on a worker while the windows go on: Cancel leaves no file (an earlier file of
// that name stays as it was), and a save to the end writes every line.
TEST_F(AppSession, SaveListRunsInTheBackgroundAndCancelLeavesTheFileAsItWas) {
    answers = {-1};
    SubdivisorDialog* dialog = chooseFirstFiber("2", "20", "40");
    ASSERT_NE(dialog, nullptr);
    dialog->setListLimits(5, 100'000);
    answers = {0};  // the first 100,000
    click(dialog, "1028");
    ASSERT_TRUE(waitForSubdivisors(dialog));
    ASSERT_EQ(dialog->subdivisorList()->count(), 100'000);
    std::ostringstream whole;
    SubdivisorListWriter writer(whole, dialog->fiberText().toStdString(), dialog->options());
    for (const QString& line : dialog->subdivisorList()->lines()) writer.line(line.toStdString());
    writeCutShortMark(whole, 100'000, 618'679'078'298, "subdivisors");
    const struct {
        const char* label;
        const char* before;  // the file there before, none when null
        bool cancel;
        std::string after;
    } rows[] = {
        {"cancelled, no file before", nullptr, true, "<missing>"},
        {"cancelled over an earlier file", "earlier", true, "earlier"},
        {"to the end", "earlier", false, whole.str()},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        QFile::remove(savePath);
        if (row.before != nullptr) {
            QFile file(savePath);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(row.before);
        }
        answers = {0};  // save it marked as cut short
        click(dialog, "1030");
        EXPECT_TRUE(dialog->saving());
        EXPECT_FALSE(control<QWidget>(dialog, "1030")->isEnabled()) << "one save at a time";
        EXPECT_TRUE(control<QWidget>(dialog, "1014")->isEnabled()) << "the window goes on";
        if (row.cancel) dialog->saveJob()->cancel();
        ASSERT_TRUE(waitUntil([dialog] { return !dialog->saving(); }));
        EXPECT_TRUE(readFile(savePath) == row.after) << readFile(savePath).substr(0, 200);
        EXPECT_TRUE(control<QWidget>(dialog, "1030")->isEnabled());
    }
    EXPECT_TRUE(errors.empty());
}

using AnalysisFigures = AppSession;

TEST_F(AnalysisFigures, SelectShowsTheFiguresOfTheFirstSelectedLine) {
    struct Row {
        const char* label;
        QString m;
        std::string fiberLine;
        std::string select;
        int chainCount, gcd;
        std::string text;
    };
    const Row rows[] = {
        {"two chains", "3", "((3,2),2,2,2) : 14 (g=1)", kCAA, 2, 1,
         "N = 2 chains, gcd d = 1, genus of the joining curve h = 0 "
         "(d N \u2212 (a + \u03c7(X) \u2212 \u03c7(R)) = 0)"},
        {"a count that is not the genus of J", "6", "((6,2),5,5,2) : 20 (g=2)",
         "(5;(5),(4,3,2,1),(1)):: ell = 1 :: type = CAA", 5, 1,
         "N = 5 chains, gcd d = 1, d N \u2212 (a + \u03c7(X) \u2212 \u03c7(R)) = 0. h: the "
         "formula gives 0, which is not the genus of J: adjunction on R's dual graph, R a fiber "
         "of genus 2, gives J genus 1."},
        {"a proportional branch", "4", "((4,2),3,3,2) : 12 (g=1)",
         "(2;(2,2),(1),(1)):: ell = 1 :: type = CAA", -1, -1,
         "Y is proportional to X on a branch: the analysis ends there, without chain diagram "
         "(N, d and h are undefined)."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        FiberListDialog* list = enumerate(row.m, "2", "3");
        const std::vector<std::string> fibers = linesOf(list->list());
        const auto fiber = std::find(fibers.begin(), fibers.end(), row.fiberLine);
        ASSERT_NE(fiber, fibers.end());
        list->list()->setCurrentRow(static_cast<int>(fiber - fibers.begin()));
        SubdivisorDialog* dialog = chooseFiber();
        ASSERT_NE(dialog, nullptr);
        auto* figures = control<QLabel>(dialog, "figures");
        selectLine(dialog, row.select);
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

        closeSubdivisorDialog();
        EXPECT_EQ(state.pool.inUseCount(), 1u) << "the analysis went back to the pool";
        closeFiberList();
    }
}

}  // namespace
}  // namespace dorvanix::testing
