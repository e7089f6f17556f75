#include <QFileInfo>
#include <QPushButton>
#include <QTextBrowser>

#include "app/help_window.h"

#include "app_test_support.h"
#include "model/fiber_data.h"

namespace dorvanix::testing {
namespace {

using FiberList = AppSession;

TEST_F(FiberList, ControlsCarryTheirIdsAndCaptions) {
    FiberListDialog* list = enumerate("3", "2", "3");
    EXPECT_EQ(list->objectName(), "101");
    EXPECT_EQ(list->windowTitle(), "Dorvanix");
    const std::pair<const char*, const char*> rows[] = {
        {"1007", "OK >"}, {"1008", "< Cancel"}, {"1005", "Help"}, {"1030", "Save list"}};
    for (const auto& [id, caption] : rows) {
        SCOPED_TRACE(id);
        auto* button = control<QAbstractButton>(list, id);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->text().toStdString(), caption);
    }
    EXPECT_NE(control<LineList>(list, "1006"), nullptr);
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

TEST_F(FiberList, ChoosingAgainRebuildsTheFiberButOpensNothing) {
    FiberListDialog* list = enumerate("6", "2", "3");
    ASSERT_EQ(list->list()->count(), 2);
    struct Row {
        const char* label;
        int row;
        std::vector<int> parts;
        int genus;
    };
    const Row rows[] = {
        {"second line", 1, {5, 4, 3}, 1},
        {"first line", 0, {5, 5, 2}, 2},
        {"second line again", 1, {5, 4, 3}, 1},
    };
    SubdivisorDialog* opened = nullptr;
    QWidget* picture = nullptr;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        list->list()->setCurrentRow(row.row);
        emit list->list()->lineActivated(row.row);
        const SharedState& state = context->state;
        EXPECT_EQ(fiberDataOf(*state.currentFiber), fiberFromParts(6, 2, row.parts));
        EXPECT_EQ(state.currentGenus, row.genus);
        if (opened == nullptr) {
            opened = context->subdivisorDialog();
            picture = context->picture();
        }
        EXPECT_EQ(context->subdivisorDialog(), opened);
        EXPECT_EQ(context->picture(), picture);
        // The old branches went back to the pool: the core and the new chains only.
        EXPECT_LE(state.pool.inUseCount(), 1u + 3u * 5u);
    }
    EXPECT_EQ(opened->fiberText().toStdString(), "(6;(5,4,3,2,1),(4,2),(3))")
        << "the dialog keeps the fiber it opened with";
}

TEST_F(FiberList, AnEmptyListChoosesNothing) {
    FiberListDialog* list = enumerate("2", "2", "3");
    ASSERT_EQ(list->list()->count(), 0);
    click(list, "1007");
    EXPECT_EQ(context->state.subdivisorDialogOpen, 0);
    EXPECT_EQ(context->subdivisorDialog(), nullptr);
    EXPECT_EQ(context->state.pictureOpen, 0);
}

TEST_F(FiberList, ClosingTheListLeavesTheOtherWindowsOpen) {
    FiberListDialog* list = enumerate("3", "2", "3");
    click(list, "1007");
    click(list, "1008");
    QTRY_VERIFY(context->fiberList() == nullptr);
    EXPECT_EQ(context->state.fiberListOpen, 0);
    EXPECT_NE(context->subdivisorDialog(), nullptr);
    EXPECT_NE(context->picture(), nullptr);
    EXPECT_EQ(context->state.pictureOpen, 1);
    EXPECT_TRUE(context->state.fiberBuilt());
}

TEST_F(FiberList, SaveWritesEveryLineWithLfCr) {
    struct Row {
        const char* label;
        QString m, r, b;
        std::string expectedBytes;
        QString expectedName;
    };
    const Row rows[] = {
        {"two fibers", "6", "2", "3", "((6,2),5,5,2) : 20 (g=2)\n\r((6,2),5,4,3) : 9 (g=1)\n\r",
         "06-2-3.doc"},
        {"an empty list gives an empty file", "2", "2", "3", "", "02-2-3.doc"},
        {"two-digit m", "11", "2", "3", "", "11-2-3.doc"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        FiberListDialog* list = enumerate(row.m, row.r, row.b);
        saveRequests.clear();
        QFile::remove(savePath);
        click(list, "1030");
        ASSERT_EQ(saveRequests.size(), 1u);
        EXPECT_EQ(saveRequests[0].defaultName, row.expectedName);
        EXPECT_EQ(saveRequests[0].defaultSuffix, "dat");
        EXPECT_EQ(saveRequests[0].filter, "Dorvanixファイル (*.doc);;全てのファイル (*.*)");
        if (row.m != "11") {
            EXPECT_TRUE(QFileInfo::exists(savePath));
            EXPECT_EQ(readFile(savePath), row.expectedBytes);
        }
        click(list, "1008");
        QTRY_VERIFY(context->fiberList() == nullptr);
    }
}

TEST_F(FiberList, CancelledOrFailedSavesLeaveNoFile) {
    FiberListDialog* list = enumerate("6", "2", "3");
    savePath.clear();
    click(list, "1030");
    EXPECT_TRUE(QDir(folder.path()).isEmpty()) << "cancel writes nothing";
    EXPECT_TRUE(errors.empty());

    savePath = folder.filePath("no-such-folder/list.doc");
    click(list, "1030");
    EXPECT_EQ(errors.size(), 1u) << "a file that cannot be written is reported";
    EXPECT_FALSE(QFileInfo::exists(savePath));
    EXPECT_TRUE(QDir(folder.path()).isEmpty());
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

}  // namespace
}  // namespace dorvanix::testing

namespace dorvanix::testing {
namespace {

using NewCore = AppSession;

// "OK >" with the fiber list closed starts a new core while the sub-divisor dialog still works on
// the old fiber: the dialog must stay safe, and the Quorbel file needs a built fiber.
TEST_F(NewCore, OkWhileTheSubdivisorDialogIsOpenKeepsItSafe) {
    FiberListDialog* list = enumerate("3", "2", "3");
    click(list, "1007");
    SubdivisorDialog* dialog = context->subdivisorDialog();
    ASSERT_TRUE(waitForSubdivisors(dialog));
    click(list, "1008");
    QTRY_VERIFY(context->fiberList() == nullptr);
    enumerate("5", "2", "3");
    EXPECT_FALSE(context->state.fiberBuilt());
    dialog->subdivisorList()->setCurrentRow(1);
    click(dialog, "1014");
    EXPECT_EQ(dialog->selectedList()->count(), 1);
    EXPECT_EQ(context->state.analysisDivisor, nullptr) << "no fiber, no analysis";
    saveRequests.clear();
    click(dialog, "1043");
    EXPECT_TRUE(saveRequests.empty());
    click(dialog, "1012");
    QTRY_VERIFY(context->subdivisorDialog() == nullptr);
    EXPECT_EQ(context->state.pool.inUseCount(), 1u);
}

}  // namespace
}  // namespace dorvanix::testing
