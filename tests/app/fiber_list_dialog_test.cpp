#include <QAction>
#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QTextBrowser>

#include "app/analysis_text.h"
#include "app/background_job.h"
#include "app/help_window.h"

#include "analysis/subdivisor_choice.h"
#include "app_test_support.h"
#include "model/divisor_notation.h"
#include "model/fiber_data.h"
#include "model/input_check.h"

namespace dorvanix::testing {
namespace {

using FiberList = AppSession;

TEST_F(FiberList, EveryDialogCarriesItsNumberControlIdsAndCaptions) {
    SubdivisorDialog* subdivisors = chooseFirstFiber("3", "2", "3");
    ASSERT_NE(subdivisors, nullptr);
    QWidget* const dialogs[] = {mainWindow.get(), context->fiberList(), subdivisors};
    EXPECT_EQ(dialogs[0]->objectName(), "102");
    EXPECT_EQ(dialogs[1]->objectName(), "101");
    EXPECT_EQ(dialogs[2]->objectName(), "106");
    EXPECT_EQ(dialogs[0]->windowTitle(), "Dorvanix");
    EXPECT_EQ(dialogs[1]->windowTitle(), "Dorvanix");
    struct Row {
        int dialog;
        const char* id;
        const char* caption;  // empty for an edit or a list
    };
    const Row rows[] = {{0, "1033", "No duplicate branches"},
                        {0, "1035", "# of simple crusts <= 2"},
                        {0, "1034", "genus ="},
                        {0, "1041", "Option by multiplicities"},
                        {0, "1007", "OK >"},
                        {0, "2", "< Cancel"},
                        {0, "1000", "Help"},
                        {1, "1007", "OK >"},
                        {1, "1008", "< Cancel"},
                        {1, "1005", "Help"},
                        {1, "1030", "Save list"},
                        {2, "1014", "Select"},
                        {2, "1030", "Save list"},
                        {2, "1012", "< Cancel"},
                        {2, "1015", "Help "},
                        {2, "1025", "only for ell ="},
                        {2, "1027", "except 'only AB' type"},
                        {2, "1029", "only ABC type"},
                        {2, "1028", "Re-list"},
                        {2, "1013", "See picture >"},
                        {2, "1017", "Delete"},
                        {2, "1043", "Save Quorbel File"}};
    for (const Row& row : rows) {
        auto* button = control<QAbstractButton>(dialogs[row.dialog], row.id);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->text().toStdString(), row.caption) << row.id;
    }
    const std::pair<int, const char*> fields[] = {
        {0, "1001 1002 1003 1042 1036 1037 1038 1039 1040"},
        {1, "1006"},
        {2, "1010 1026 1011 1016"}};
    for (const auto& [dialog, ids] : fields) {
        for (const QString& id : QString(ids).split(' ')) {
            QWidget* field = dialogs[dialog]->findChild<QWidget*>(id);
            EXPECT_TRUE(qobject_cast<QLineEdit*>(field) != nullptr ||
                        qobject_cast<LineList*>(field) != nullptr)
                << "no edit or list " << id.toStdString() << " in dialog " << dialog;
        }
    }
}

TEST_F(FiberList, OkWithoutSelectionChoosesTheFirstFiber) {
    FiberListDialog* list = enumerate("3", "2", "3");
    list->list()->clearSelection();
    list->list()->setCurrentIndex({});
    click(list, "1007");
    const SharedState& state = context->state;
    EXPECT_EQ(state.currentGenus, 1);
    EXPECT_EQ(state.pictureOpen, 1);
    EXPECT_EQ(state.subdivisorDialogOpen, 1);
    ASSERT_NE(context->picture(), nullptr);
    EXPECT_EQ(context->picture()->objectName(), "108");
    EXPECT_EQ(context->picture()->windowTitle(), "Dorvanix");
    ASSERT_NE(context->subdivisorDialog(), nullptr);
    EXPECT_EQ(fiberDataOf(*state.currentFiber), fiberFromParts(3, 2, {2, 2, 2}));
}

// The list's context menu copies the label of the current fiber, which reads back to it.
TEST_F(FiberList, CopyLabelPutsTheCurrentFibersLabelOnTheClipboard) {
    FiberListDialog* list = enumerate("5", "2", "3");
    ASSERT_EQ(list->list()->count(), 2);
    auto* copy = list->list()->findChild<QAction*>("copyLabel");
    ASSERT_NE(copy, nullptr);
    list->list()->setCurrentRow(1);
    copy->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "2.5.2.4-3-3");
}

// Choosing another fiber while the sub-divisor dialog is open asks first: the dialog either keeps
// its X, or goes with its selection and picture and opens again on the new X.
TEST_F(FiberList, ChoosingAgainAsksBeforeTheSubdivisorDialogChangesItsX) {
    const std::string oldX = "(6;(5,4,3,2,1),(5,4,3,2,1),(2))";
    const std::pair<int, std::string> rows[] = {{-1, oldX}, {0, "(6;(5,4,3,2,1),(4,2),(3))"}};
    for (const auto& [answer, expectedX] : rows) {
        SCOPED_TRACE(answer);
        FiberListDialog* list = enumerate("6", "2", "3");
        ASSERT_EQ(list->list()->count(), 2);
        list->list()->setCurrentRow(0);
        SubdivisorDialog* opened = chooseFiber();
        selectLine(opened, linesOf(opened->subdivisorList()).at(0));
        answers = {answer};
        list->list()->setCurrentRow(1);
        emit list->list()->lineActivated(1);
        SubdivisorDialog* now = context->subdivisorDialog();
        ASSERT_TRUE(waitForSubdivisors(now));
        EXPECT_EQ(now->fiberText().toStdString(), expectedX);
        EXPECT_EQ(printDivisorNotation(*context->state.currentFiber), expectedX);
        EXPECT_EQ(now->selectedList()->count(), answer == 0 ? 0 : 1);
        EXPECT_NE(context->picture(), nullptr);
        closeSubdivisorDialog();
        closeFiberList();
        EXPECT_EQ(context->state.pool.inUseCount(), 1u) << "every node went back";
    }
}

// Three fibers of the genus-1 list double-clicked in turn: one sub-divisor window all along, the
// figures it shows and the X the picture draws are those of the X it shows, and windows that close
// or go later never blank it.
TEST_F(FiberList, OneSubdivisorWindowWhoseFiguresBelongToItsX) {
    click(mainWindow.get(), "1034");
    type(mainWindow.get(), "1042", "1");
    FiberListDialog* list = enumerate("", "", "");
    ASSERT_NE(list, nullptr);
    const std::string bb0 = "(3;(3),(3),()):: ell = 3 :: type = BB0";
    struct Row {
        const char* fiber;
        int answer;             // to "work on the new fiber?"
        std::size_t questions;  // asked by this double click
        const char* x;          // the X of the window afterwards
    };
    const Row rows[] = {
        {"((3,2),2,2,2)", -1, 0, "(3;(2,1),(2,1),(2,1))"},
        {"((4,2),3,3,2)", 0, 1, "(4;(3,2,1),(3,2,1),(2))"},
        {"((6,2),5,4,3)", -1, 1, "(4;(3,2,1),(3,2,1),(2))"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.fiber);
        questions.clear();
        answers = {row.answer};
        doubleClickLine(list->list(), row.fiber);
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(questions.size(), row.questions);
        const QWidgetList windows = QApplication::topLevelWidgets();
        EXPECT_EQ(std::count_if(windows.begin(), windows.end(),
                                [](QWidget* w) { return w->objectName() == "106"; }),
                  1);
        SubdivisorDialog* dialog = context->subdivisorDialog();
        ASSERT_TRUE(waitForSubdivisors(dialog));
        EXPECT_EQ(dialog->fiberText().toStdString(), row.x);
        EXPECT_EQ(context->state.subdivisorDialogOpen, 1);
        EXPECT_EQ(printDivisorNotation(*context->state.currentFiber), row.x) << "the picture's X";
    }
    SubdivisorDialog* dialog = context->subdivisorDialog();
    selectLine(dialog, bb0);
    SubdivisorChoice expected(parseFiberText(rows[2].x));
    expected.choose(bb0);
    const auto* figures = control<QLabel>(dialog, "figures");
    const QString shown = figures->text();
    EXPECT_EQ(shown.toStdString(), analysisText(expected.analysis()));
    closeFiberList();
    context->picture()->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(figures->text(), shown) << "closing the other windows leaves the figures";
    EXPECT_EQ(context->state.subdivisorDialogOpen, 1);
}

TEST_F(FiberList, SaveWritesEveryLineWithLfCrAndReportsFailures) {
    const struct {
        const char* label;
        QString m;
        std::string expectedBytes;
        const char* expectedName;
    } rows[] = {
        {"two fibers", "6", "((6,2),5,5,2) : 20 (g=2)\n\r((6,2),5,4,3) : 9 (g=1)\n\r",
         "06-2-3.doc"},
        {"an empty list gives an empty file", "2", "", "02-2-3.doc"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        FiberListDialog* list = enumerate(row.m, "2", "3");
        saveRequests.clear();
        QFile::remove(savePath);
        saveList(list);
        expectSaveRequest(row.expectedName, "doc", "Dorvanix files (*.doc);;All files (*.*)");
        EXPECT_TRUE(QFileInfo::exists(savePath));
        EXPECT_EQ(readFile(savePath), row.expectedBytes);
        closeFiberList();
    }
    QFile::remove(savePath);
    FiberListDialog* list = enumerate("6", "2", "3");
    savePath.clear();
    saveList(list);
    EXPECT_TRUE(QDir(folder.path()).isEmpty()) << "cancel writes nothing";
    EXPECT_TRUE(errors.empty());
    // A file that cannot be written is reported with the system's reason, also when a write
    // fails halfway through a list longer than one buffer (3,261 lines; full.doc leads to
    // /dev/full), and nothing is left behind.
    closeFiberList();
    list = enumerate("30", "2", "5");
    ASSERT_TRUE(QFile::link("/dev/full", folder.filePath("full.doc")));
    const std::pair<const char*, const char*> failures[] = {
        {"no-such-folder/list.doc", "No such file or directory"},
        {"full.doc", "No space left on device"},
    };
    for (const auto& [name, reason] : failures) {
        SCOPED_TRACE(reason);
        errors.clear();
        savePath = folder.filePath(name);
        saveList(list);
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_TRUE(errors[0].contains(reason)) << errors[0].toStdString();
        EXPECT_EQ(
            QDir(folder.path())
                .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System),
            QStringList{"full.doc"});
    }
    // A bare name gets the ".doc" the filter shows.
    saveRequests.clear();
    savePath = folder.filePath("fibers");
    saveList(list);
    EXPECT_TRUE(QFileInfo::exists(savePath + ".doc"));
    ASSERT_EQ(saveRequests.size(), 1u);
    EXPECT_EQ(saveRequests[0].folder, QDir(folder.path()).absolutePath())
        << "the next save opens where a save last succeeded";
}

// A list that is not whole (cut to the first N, not listed, cancelled) says so under the list, is
// saved only when asked, and its file ends with the cut-short mark. OK and Save list wait for the
// run to end.
TEST_F(FiberList, UnfinishedListsSaySoAndAreSavedMarked) {
    struct Row {
        const char* label;
        std::vector<int> answers;  // to "up to 3 fibers?", then to Save list's question
        bool cancel;
        int lines;
        const char* status;
        bool usable;  // OK > and Save list enabled afterwards
    };
    const Row rows[] = {
        {"all", {0}, false, 2, "2 fibers", true},
        {"the first one, saved", {1, 0}, false, 1, "The first 1 fiber.", true},
        {"the first one, not saved", {1, -1}, false, 1, "The first 1 fiber.", true},
        {"not listed: the question closed", {-1}, false, 0, "Not listed: up to 3 fibers.", false},
        {"cancelled", {0}, true, 0, "Cancelled after 0 fibers.", true},
    };
    FiberListDialog* list = enumerate("6", "2", "3");
    list->setListLimits(2, 1);
    auto* ok = control<QPushButton>(list, "1007");
    auto* save = control<QPushButton>(list, "1030");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        QFile::remove(savePath);
        answers = row.answers;
        offered.clear();
        list->startEnumeration();
        EXPECT_FALSE(ok->isEnabled() || save->isEnabled()) << "disabled while it runs";
        if (row.cancel) list->job()->cancel();
        ASSERT_TRUE(waitForFiberList(list));
        if (!row.cancel) {
            // One way out: the question's own Cancel lists nothing.
            ASSERT_FALSE(offered.empty());
            EXPECT_EQ(offered[0], QStringList({"List them all", "List the first 1"}));
        }
        EXPECT_EQ(ok->isEnabled(), row.usable);
        EXPECT_EQ(save->isEnabled(), row.usable);
        EXPECT_EQ(list->list()->count(), row.lines);
        // The first N lines measure against N, not against the whole list they are cut from.
        if (row.lines > 0) {
            EXPECT_EQ(list->job()->fraction(), 1.0);
        }
        EXPECT_TRUE(control<QLabel>(list, "status")->text().startsWith(row.status))
            << control<QLabel>(list, "status")->text().toStdString();
        saveList(list);
        EXPECT_TRUE(answers.empty()) << "every question asked";
        const std::string file = readFile(savePath);
        const std::string mark =
            "******List cut short after " + std::to_string(row.lines) + " fibers******\r\n";
        const bool marked = file.size() >= mark.size() && file.ends_with(mark);
        EXPECT_EQ(marked, row.answers.back() == 0 && row.lines < 2) << file;
    }
}

TEST_F(FiberList, HelpButtonsOpenTheirPages) {
    FiberListDialog* list = enumerate("3", "2", "3");
    struct Row {
        QWidget* dialog;
        const char* id;
        const char* page;
    };
    click(list, "1007");
    const Row rows[] = {
        {mainWindow.get(), "1000", "main_window.html"},
        {list, "1005", "fiber_list.html"},
        {context->subdivisorDialog(), "1015", "subdivisors.html"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.page);
        click(row.dialog, row.id);
        ASSERT_NE(context->help(), nullptr);
        auto* browser = context->help()->findChild<QTextBrowser*>("helpBrowser");
        ASSERT_NE(browser, nullptr);
        EXPECT_TRUE(browser->source().toString().endsWith(row.page));
        EXPECT_GT(browser->toPlainText().size(), 500) << "the page has real text";
    }
    QPointer<QWidget> help = context->help();
    mainWindow.reset();
    EXPECT_TRUE(help.isNull()) << "the help goes with the main window";
}

using NewCore = AppSession;

// Closing the fiber list leaves the other windows open; "OK >" then starts a new core while the
// sub-divisor dialog still works on the old fiber: the dialog must stay safe, and the Quorbel file
// needs a built fiber.
TEST_F(NewCore, OkWhileTheSubdivisorDialogIsOpenKeepsItSafe) {
    SubdivisorDialog* dialog = chooseFirstFiber("3", "2", "3");
    ASSERT_NE(dialog, nullptr);
    closeFiberList();
    EXPECT_EQ(context->state.fiberListOpen, 0);
    EXPECT_EQ(context->subdivisorDialog(), dialog);
    EXPECT_NE(context->picture(), nullptr);
    EXPECT_EQ(context->state.pictureOpen, 1);
    enumerate("5", "2", "3");
    EXPECT_TRUE(context->state.fiberBuilt()) << "the dialog keeps its X";
    dialog->subdivisorList()->setCurrentRow(1);
    click(dialog, "1014");
    ASSERT_TRUE(waitUntil([dialog] { return !dialog->analysing(); }));
    EXPECT_EQ(dialog->selectedList()->count(), 1);
    EXPECT_NE(context->state.analysisDivisor, nullptr) << "Select goes on working";
    saveRequests.clear();
    click(dialog, "1043");
    EXPECT_EQ(saveRequests.size(), 1u);
    closeSubdivisorDialog();
    EXPECT_EQ(context->state.pool.inUseCount(), 1u);
}

}  // namespace
}  // namespace dorvanix::testing
