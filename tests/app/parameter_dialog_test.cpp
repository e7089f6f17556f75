#include <QCheckBox>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <algorithm>

#include "app/background_job.h"
#include "app_test_support.h"
#include "model/fiber_enumeration.h"

namespace dorvanix::testing {
namespace {

using MainWindow = AppSession;

TEST_F(MainWindow, ControlsCarryTheirIdsAndCaptions) {
    struct Row {
        const char* id;
        const char* caption;
    };
    const Row rows[] = {
        {"1033", "No duplicate branches"},
        {"1035", "# of simple crusts <= 2"},
        {"1034", "genus ="},
        {"1041", "Option by multiplicities"},
        {"1007", "OK >"},
        {"2", "< Cancel"},
        {"1000", "Help"},
    };
    EXPECT_EQ(mainWindow->objectName(), "102");
    EXPECT_EQ(mainWindow->windowTitle(), "Dorvanix");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.id);
        auto* button = control<QAbstractButton>(mainWindow.get(), row.id);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->text().toStdString(), row.caption);
    }
    for (const char* id :
         {"1001", "1002", "1003", "1042", "1036", "1037", "1038", "1039", "1040"}) {
        SCOPED_TRACE(id);
        EXPECT_NE(control<QLineEdit>(mainWindow.get(), id), nullptr);
    }
}

TEST_F(MainWindow, EmptyEditsEnumerateTheSmallestFibers) {
    FiberListDialog* list = enumerate("", "", "");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(linesOf(list->list()), fiberLines(2, 2, 3, FiberOptions{}));
    // Three branches of multiplicity 1 cannot sum to 2 r = 4: the list is empty, and says so.
    EXPECT_EQ(list->list()->count(), 0);
    const DivisorNode* core = context->state.currentFiber;
    ASSERT_NE(core, nullptr);
    EXPECT_EQ(core->multiplicity, 2);
    EXPECT_EQ(core->selfIntersection, 2);
    EXPECT_EQ(core->degree, 3);
}

TEST_F(MainWindow, ValuesBelowTheirBoundsAreRaisedAndTextIsReadAsNumbers) {
    struct Row {
        const char* label;
        QString m, r, b;
        int expectedM, expectedR, expectedB;
    };
    const Row rows[] = {
        {"negative values", "-4", "0", "1", 2, 2, 3},
        {"text after digits", "3x", "2 ", "3abc", 3, 2, 3},
        {"non-numeric text", "m", "r", "b", 2, 2, 3},
        {"values above the bounds are kept", "5", "3", "4", 5, 3, 4},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        FiberListDialog* list = enumerate(row.m, row.r, row.b);
        ASSERT_NE(list, nullptr);
        const DivisorNode* core = context->state.currentFiber;
        EXPECT_EQ(core->multiplicity, row.expectedM);
        EXPECT_EQ(core->selfIntersection, row.expectedR);
        EXPECT_EQ(core->degree, row.expectedB);
        EXPECT_EQ(linesOf(list->list()),
                  fiberLines(row.expectedM, row.expectedR, row.expectedB, FiberOptions{}));
        click(list, "1008");
        QTRY_VERIFY(context->fiberList() == nullptr);
        EXPECT_EQ(context->state.fiberListOpen, 0);
    }
}

TEST_F(MainWindow, ThreeTwoThreeListsItsOneFiber) {
    FiberListDialog* list = enumerate("3", "2", "3");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(linesOf(list->list()), std::vector<std::string>{"((3,2),2,2,2) : 14 (g=1)"});
}

TEST_F(MainWindow, OptionBoxesFlipTheirFlagAndMark) {
    struct Row {
        const char* id;
        int SharedState::*flag;
    };
    const Row rows[] = {
        {"1033", &SharedState::noDuplicateBranches},
        {"1035", &SharedState::atMostTwoSimpleCrusts},
        {"1041", &SharedState::multiplicityOption},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.id);
        EXPECT_EQ(context->state.*row.flag, 0);
        EXPECT_FALSE(checked(mainWindow.get(), row.id));
        click(mainWindow.get(), row.id);
        EXPECT_EQ(context->state.*row.flag, 1);
        EXPECT_TRUE(checked(mainWindow.get(), row.id));
        click(mainWindow.get(), row.id);
        EXPECT_EQ(context->state.*row.flag, 0);
        EXPECT_FALSE(checked(mainWindow.get(), row.id));
    }
}

TEST_F(MainWindow, GenusOptionTakesAtLeastOne) {
    auto* genusEdit = control<QLineEdit>(mainWindow.get(), "1042");
    EXPECT_FALSE(genusEdit->isEnabled());
    click(mainWindow.get(), "1034");
    EXPECT_EQ(context->state.requiredGenus, 1) << "checked without a value";
    EXPECT_TRUE(genusEdit->isEnabled());
    struct Row {
        QString text;
        int expected;
    };
    for (const Row& row : {Row{"0", 1}, Row{"-3", 1}, Row{"2", 2}, Row{"", 1}, Row{"7z", 7}}) {
        SCOPED_TRACE(row.text.toStdString());
        type(mainWindow.get(), "1042", row.text);
        EXPECT_EQ(context->state.requiredGenus, row.expected);
    }
    click(mainWindow.get(), "1034");
    EXPECT_EQ(context->state.requiredGenus, 0);
    EXPECT_FALSE(checked(mainWindow.get(), "1034"));
    EXPECT_FALSE(genusEdit->isEnabled());
    click(mainWindow.get(), "1034");
    EXPECT_EQ(context->state.requiredGenus, 1) << "checked again with 7 still in the edit";
}

TEST_F(MainWindow, GenusOptionRestrictsTheList) {
    click(mainWindow.get(), "1034");
    type(mainWindow.get(), "1042", "2");
    FiberListDialog* list = enumerate("6", "2", "3");
    const std::vector<std::string> expected{"((6,2),5,5,2) : 20 (g=2)"};
    EXPECT_EQ(linesOf(list->list()), expected);
    for (const std::string& line : expected)
        EXPECT_NE(line.find("(g=2)"), std::string::npos) << line;
}

TEST_F(MainWindow, MultiplicityOptionShowsTheCoreAndEnablesTheEdits) {
    auto* core = control<QLineEdit>(mainWindow.get(), "1036");
    auto* first = control<QLineEdit>(mainWindow.get(), "1037");
    type(mainWindow.get(), "1001", "5");
    EXPECT_EQ(core->text(), "") << "copied only while the option is on";
    click(mainWindow.get(), "1041");
    EXPECT_EQ(core->text(), "5");
    EXPECT_TRUE(first->isEnabled());
    type(mainWindow.get(), "1001", "2");
    EXPECT_EQ(core->text(), "5") << "values below 3 leave it as it was";
    type(mainWindow.get(), "1001", "7");
    EXPECT_EQ(core->text(), "7");
    click(mainWindow.get(), "1041");
    EXPECT_FALSE(first->isEnabled());
}

TEST_F(MainWindow, RequiredMultiplicitiesFilterTheList) {
    struct Row {
        const char* label;
        QString first, fourth;
        std::array<int, 4> required;
    };
    const Row rows[] = {
        {"first branch 4", "4", "", {4, 0, 0, 0}},
        {"a fourth branch with three branches lists nothing", "", "1", {0, 0, 0, 1}},
    };
    click(mainWindow.get(), "1041");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        type(mainWindow.get(), "1037", row.first);
        type(mainWindow.get(), "1040", row.fourth);
        FiberListDialog* list = enumerate("5", "2", "3");
        FiberOptions options;
        options.multiplicityOption = true;
        options.requiredMultiplicities = row.required;
        EXPECT_EQ(context->state.requiredMultiplicities, row.required);
        EXPECT_EQ(linesOf(list->list()), fiberLines(5, 2, 3, options));
        click(list, "1008");
        QTRY_VERIFY(context->fiberList() == nullptr);
    }
}

TEST_F(MainWindow, OkTwiceOpensOneList) {
    FiberListDialog* first = enumerate("3", "2", "3");
    FiberListDialog* second = enumerate("3", "2", "3");
    EXPECT_EQ(first, second);
    const QWidgetList windows = QApplication::topLevelWidgets();
    EXPECT_EQ(std::count_if(windows.begin(), windows.end(),
                            [](QWidget* w) { return w->objectName() == "101"; }),
              1);
}

TEST_F(MainWindow, CancelOnALongEnumerationKeepsTheProgramUsable) {
    type(mainWindow.get(), "1001", "60");
    type(mainWindow.get(), "1002", "2");
    type(mainWindow.get(), "1003", "5");
    click(mainWindow.get(), "1007");
    FiberListDialog* list = context->fiberList();
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(list->busy());
    QTRY_VERIFY_WITH_TIMEOUT(list->job()->progressDialog() != nullptr, 5000);
    QProgressDialog* progress = list->job()->progressDialog();
    EXPECT_TRUE(progress->isVisible());
    QTest::mouseClick(progress->findChild<QPushButton*>(), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!list->busy(), 5000);
    EXPECT_TRUE(list->job()->cancelled());
    // What was found before Cancel stays listed.
    for (const std::string& line : linesOf(list->list())) {
        EXPECT_EQ(line.rfind("((60,2),", 0), 0u) << line;
    }
    // The program goes on: close the list and enumerate something small.
    click(list, "1008");
    QTRY_VERIFY(context->fiberList() == nullptr);
    FiberListDialog* next = enumerate("3", "2", "3");
    EXPECT_EQ(next->list()->count(), 1);
}

}  // namespace
}  // namespace dorvanix::testing
