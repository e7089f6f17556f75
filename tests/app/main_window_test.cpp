#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QScrollArea>
#include <QTimer>
#include <algorithm>
#include <functional>

#include "app/background_job.h"
#include "app_test_support.h"
#include "census/fiber_enumeration.h"
#include "census/genus_census.h"
#include "model/fiber_data.h"

namespace dorvanix::testing {
namespace {

using MainWindow = AppSession;

// Every line shows whole, in a list narrower than the lines: its row is as wide as its text.
void expectWhole(LineList* list) {
    list->window()->resize(list->window()->minimumSizeHint());
    for (int row = 0; row < list->count(); ++row) {
        const QString line = list->line(row);
        EXPECT_GE(list->visualRect(list->model()->index(row, 0)).width(),
                  list->fontMetrics().horizontalAdvance(line))
            << line.toStdString();
    }
}

// The edits are read as atoi reads them, then raised to m >= 2, r >= 2, b >= 3; numbers above
// 10000 are refused with the range (expected m of 0).
TEST_F(MainWindow, TypedTextIsReadAsNumbersAndRaisedToItsBounds) {
    struct Row {
        const char* label;
        QString m, r, b;
        int expectedM, expectedR, expectedB;
    };
    const Row rows[] = {
        {"empty edits", "", "", "", 2, 2, 3},
        {"negative values", "-4", "0", "1", 2, 2, 3},
        {"text after digits", "3x", "2 ", "3abc", 3, 2, 3},
        {"non-numeric text", "m", "r", "b", 2, 2, 3},
        {"a negative number two thousand digits long", "-" + QString(2000, '9'), "2", "3", 2, 2, 3},
        {"values above the bounds are kept", "5", "3", "4", 5, 3, 4},
        {"line 39 is longer than the first", "12", "2", "4", 12, 2, 4},
        {"fullwidth digits pasted", QStringLiteral("５"), QStringLiteral("２"),
         QStringLiteral("３"), 5, 2, 3},
        {"Arabic-Indic digits", QStringLiteral("\u0667"), QStringLiteral("\u0662"),
         QStringLiteral("\u0663"), 7, 2, 3},
        {"m beyond the core's bound", "99999999999", "2", "3", 0, 0, 0},
        {"b beyond the core's bound", "3", "2", "99999999999", 0, 0, 0},
        {"200,000 digits pasted", QString(200000, QChar(0xFF17)), "2", "3", 0, 0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        errors.clear();
        if (row.expectedM == 0) {
            type(mainWindow.get(), "1001", row.m);
            type(mainWindow.get(), "1003", row.b);
            click(mainWindow.get(), "1007");
            EXPECT_EQ(context->fiberList(), nullptr);
            ASSERT_EQ(errors.size(), 1u);
            EXPECT_TRUE(errors[0].contains("10000")) << errors[0].toStdString();
            // The number is quoted as the tool quotes it: its first 60 characters.
            const QString& typed = row.m.size() > 1 ? row.m : row.b;
            const QString quoted =
                typed.size() > 60 ? '"' + QString(60, '7') + "...\"" : '"' + typed + '"';
            EXPECT_TRUE(errors[0].contains(quoted)) << errors[0].toStdString();
            EXPECT_LT(errors[0].size(), 120);
            continue;
        }
        FiberListDialog* list = enumerate(row.m, row.r, row.b);
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(context->state.listM, row.expectedM);
        EXPECT_EQ(context->state.listR, row.expectedR);
        EXPECT_EQ(context->state.listB, row.expectedB);
        EXPECT_EQ(linesOf(list->list()),
                  fiberLines(row.expectedM, row.expectedR, row.expectedB, FiberOptions{}));
        expectWhole(list->list());
        closeFiberList();
        EXPECT_EQ(context->state.fiberListOpen, 0);
    }
}

// An empty list says why it is empty; OK > there chooses nothing.
TEST_F(MainWindow, EmptyListsSayWhyAndOkThereChoosesNothing) {
    struct Row {
        QString m, r, b;
        const char* option;  // a box ticked in the main window, or none
        const char* status;
    };
    const Row rows[] = {
        {"", "", "", nullptr,
         "0 fibers. There is no fiber with m = 2, r = 2, b = 3: its 3 first multiplicities, each "
         "at most m - 1 = 1, add up to at most 3, less than m r = 4."},
        {"2", "2", "5", nullptr,
         "0 fibers. There is no fiber with m = 2, r = 2, b = 5: its 5 first multiplicities, each "
         "at least 1, would add up to more than m r = 4."},
        {"3", "2", "3", "1035",
         "0 fibers. No fiber with m = 3, r = 2, b = 3 passes the options ticked in the main "
         "window."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.status);
        if (row.option != nullptr) click(mainWindow.get(), row.option);
        FiberListDialog* list = enumerate(row.m, row.r, row.b);
        ASSERT_EQ(list->list()->count(), 0);
        EXPECT_EQ(control<QLabel>(list, "status")->text().toStdString(), row.status);
        click(list, "1007");
        EXPECT_EQ(context->state.subdivisorDialogOpen, 0);
        EXPECT_EQ(context->subdivisorDialog(), nullptr);
        EXPECT_EQ(context->state.pictureOpen, 0);
        closeFiberList();
        if (row.option != nullptr) click(mainWindow.get(), row.option);
    }
}

TEST_F(MainWindow, OptionBoxesFlipTheirFlagAndMark) {
    const std::pair<const char*, int SharedState::*> rows[] = {
        {"1033", &SharedState::noDuplicateBranches},
        {"1035", &SharedState::atMostTwoSimpleCrusts},
        {"1041", &SharedState::multiplicityOption},
    };
    for (const auto& [id, flag] : rows) {
        SCOPED_TRACE(id);
        for (const int expected : {1, 0}) {
            click(mainWindow.get(), id);
            EXPECT_EQ(context->state.*flag, expected);
            EXPECT_EQ(checked(mainWindow.get(), id), expected == 1);
        }
    }
}

TEST_F(MainWindow, GenusOptionTakesAtLeastOneAndRestrictsTheList) {
    auto* genusEdit = control<QLineEdit>(mainWindow.get(), "1042");
    EXPECT_FALSE(genusEdit->isEnabled());
    click(mainWindow.get(), "1034");
    EXPECT_EQ(context->state.requiredGenus, 1) << "checked without a value";
    EXPECT_TRUE(genusEdit->isEnabled());
    const std::pair<QString, int> rows[] = {{"0", 1}, {"-3", 1}, {"", 1}, {"7z", 7}, {"2", 2}};
    for (const auto& [text, expected] : rows) {
        type(mainWindow.get(), "1042", text);
        EXPECT_EQ(context->state.requiredGenus, expected) << text.toStdString();
    }
    EXPECT_EQ(linesOf(enumerate("6", "2", "3")->list()),
              std::vector<std::string>{"((6,2),5,5,2) : 20 (g=2)"});
    click(mainWindow.get(), "1034");
    EXPECT_EQ(context->state.requiredGenus, 0);
    EXPECT_FALSE(genusEdit->isEnabled());
    click(mainWindow.get(), "1034");
    EXPECT_EQ(context->state.requiredGenus, 2) << "checked again with 2 still in the edit";
}

TEST_F(MainWindow, MultiplicityOptionShowsTheCoreAndFiltersTheList) {
    auto* core = control<QLineEdit>(mainWindow.get(), "1036");
    auto* first = control<QLineEdit>(mainWindow.get(), "1037");
    // The read-only field repeats m as typed, with the option off or on, so it never goes stale.
    for (const char* m : {"1000", "5", "2", "7"}) {
        type(mainWindow.get(), "1001", m);
        EXPECT_EQ(core->text(), m);
        if (!first->isEnabled()) click(mainWindow.get(), "1041");
    }
    EXPECT_TRUE(first->isEnabled());
    struct Row {
        const char* label;
        QString first, fourth;
        std::array<int, 4> required;
    };
    const Row rows[] = {
        {"first branch 4", "4", "", {4, 0, 0, 0}},
        {"a fourth branch with three branches lists nothing", "", "1", {0, 0, 0, 1}},
        {"a negative requirement is refused", "-3", "", {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        type(mainWindow.get(), "1037", row.first);
        type(mainWindow.get(), "1040", row.fourth);
        errors.clear();
        if (row.required == std::array<int, 4>{}) {
            click(mainWindow.get(), "1007");
            EXPECT_EQ(context->fiberList(), nullptr);
            ASSERT_EQ(errors.size(), 1u);
            EXPECT_EQ(errors[0].toStdString(), "A required multiplicity cannot be negative: -3.");
            continue;
        }
        FiberListDialog* list = enumerate("5", "2", "3");
        FiberOptions options;
        options.multiplicityOption = true;
        options.requiredMultiplicities = row.required;
        EXPECT_EQ(context->state.requiredMultiplicities, row.required);
        EXPECT_EQ(linesOf(list->list()), fiberLines(5, 2, 3, options));
        closeFiberList();
    }
    click(mainWindow.get(), "1041");
    EXPECT_FALSE(first->isEnabled());
}

// What "OK >" accepted comes back in the next run; text it refused never does. The m field comes
// back selected, so that typing replaces it.
TEST_F(MainWindow, AcceptedFieldsAndOptionsComeBackInTheNextRun) {
    type(mainWindow.get(), "1001", "7");
    type(mainWindow.get(), "1003", "4");
    click(mainWindow.get(), "1034");
    type(mainWindow.get(), "1042", "3");
    click(mainWindow.get(), "1041");
    type(mainWindow.get(), "1037", "5");
    ASSERT_TRUE(waitForFiberList(enumerate("7", "", "4")));
    closeFiberList();
    type(mainWindow.get(), "1001", "29999999999931000000603");
    click(mainWindow.get(), "1007");
    ASSERT_EQ(errors.size(), 1u) << "refused";
    mainWindow.reset();
    context->state.requiredGenus = context->state.multiplicityOption = 0;
    mainWindow = std::make_unique<dorvanix::MainWindow>(*context);
    const std::pair<const char*, QString> fields[] = {{"1001", "7"}, {"1002", ""},  {"1003", "4"},
                                                      {"1042", "3"}, {"1036", "7"}, {"1037", "5"}};
    for (const auto& [id, text] : fields) {
        EXPECT_EQ(control<QLineEdit>(mainWindow.get(), id)->text(), text) << id;
    }
    EXPECT_EQ(context->state.requiredGenus, 3);
    EXPECT_TRUE(control<QLineEdit>(mainWindow.get(), "1042")->isEnabled());
    EXPECT_EQ(context->state.multiplicityOption, 1);
    EXPECT_FALSE(checked(mainWindow.get(), "1033"));
    EXPECT_EQ(context->state.noDuplicateBranches, 0);
    QTest::keyClicks(control<QLineEdit>(mainWindow.get(), "1001"), "3");
    EXPECT_EQ(control<QLineEdit>(mainWindow.get(), "1001")->text(), "3") << "typing replaces";
}

TEST_F(MainWindow, AboutButtonShowsTheAboutBox) {
    QString shown;
    QTimer::singleShot(0, [&shown] {
        QWidget* box = QApplication::activeModalWidget();
        if (box != nullptr) shown = box->objectName();
        if (box != nullptr) box->close();
    });
    click(mainWindow.get(), "16");
    EXPECT_EQ(shown, "100");
}

// "genus =" with m left empty lists every fiber of that genus, as the census does; a fiber chosen
// there becomes X with the m and r of its line.
TEST_F(MainWindow, GenusWithEmptyMListsTheWholeGenus) {
    click(mainWindow.get(), "1034");
    const struct {
        const char* label;
        int genus;
        int row;  // the fiber chosen, -1 for none
        FiberData x;
    } rows[] = {
        {"genus 2, its first fiber", 2, 0, fiberFromParts(2, 3, {1, 1, 1, 1, 1, 1})},
        {"genus 2, a fiber with m = 5", 2, 4, fiberFromParts(5, 2, {4, 3, 3})},
        {"genus 20, thousands of fibers", 20, -1, {}},
    };
    std::vector<std::string> census;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        type(mainWindow.get(), "1042", QString::number(row.genus));
        FiberListDialog* list = enumerate("", "4", "3");
        census.clear();
        censusByGenus(row.genus, [&](const CensusFiber& f) { census.emplace_back(f.line); });
        EXPECT_EQ(linesOf(list->list()), census);
        EXPECT_EQ(control<QLabel>(list, "status")->text(),
                  QLocale().toString(static_cast<qint64>(census.size())) + " fibers");
        if (row.row >= 0) {
            list->list()->setCurrentRow(row.row);
            ASSERT_NE(chooseFiber(), nullptr);
            EXPECT_EQ(fiberDataOf(*context->state.currentFiber), row.x);
            EXPECT_EQ(context->state.currentGenus, row.genus);
            closeSubdivisorDialog();
        }
        closeFiberList();
    }
    // Past the limit a genus is counted only that far, and only its first lines are offered.
    FiberListDialog* list = enumerate("", "", "");
    list->setListLimits(100, 5);
    answers = {0};
    list->startEnumeration();
    ASSERT_TRUE(waitForFiberList(list));
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_TRUE(questions[0].contains("more than 100 fibers")) << questions[0].toStdString();
    // The estimate reads "Listing them would take ...", or "... at that pace listing them would
    // take ..." when not one fiber was found in its first second (a slow build on a busy machine).
    EXPECT_TRUE(questions[0].contains("listing them would take", Qt::CaseInsensitive))
        << questions[0].toStdString();
    census.resize(5);
    EXPECT_EQ(linesOf(list->list()), census);
}

// "OK >" with the fiber list open never opens a second list: the same numbers bring it forward,
// other numbers ask before the list is made anew in its place.
TEST_F(MainWindow, OkWithTheListOpenOpensOneListAndSaysWhenItIsAnother) {
    FiberListDialog* first = enumerate("3", "2", "3");
    struct Row {
        const char* label;
        QString m;
        int answer;
        std::size_t questions;
        std::vector<std::string> lines;
    };
    const Row rows[] = {
        {"the same numbers", "3", -1, 0, fiberLines(3, 2, 3, {})},
        {"other numbers, kept", "6", -1, 1, fiberLines(3, 2, 3, {})},
        {"other numbers, listed anew", "6", 0, 1, fiberLines(6, 2, 3, {})},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        questions.clear();
        answers = {row.answer};
        FiberListDialog* list = enumerate(row.m, "2", "3");
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(questions.size(), row.questions);
        const QWidgetList windows = QApplication::topLevelWidgets();
        EXPECT_EQ(std::count_if(windows.begin(), windows.end(),
                                [](QWidget* w) { return w->objectName() == "101"; }),
                  1);
        EXPECT_EQ(list == first, row.answer != 0);
        EXPECT_EQ(linesOf(list->list()), row.lines);
    }
}

TEST_F(MainWindow, CancelOnALongEnumerationKeepsTheProgramUsable) {
    type(mainWindow.get(), "1001", "120");  // minutes of work
    type(mainWindow.get(), "1002", "2");
    type(mainWindow.get(), "1003", "6");
    answers = {0};  // asked how many lines there may be: list them all
    click(mainWindow.get(), "1007");
    FiberListDialog* list = context->fiberList();
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(list->busy());
    // The question comes after the count and a short timed run; then the listing shows progress.
    ASSERT_TRUE(waitUntil(
        [&] { return questions.size() == 1 && list->job()->progressDialog() != nullptr; }));
    QProgressDialog* progress = list->job()->progressDialog();
    EXPECT_TRUE(progress->isVisible());
    answers = {-1};  // the end of the run kept
    mainWindow->close();
    ASSERT_EQ(questions.size(), 2u);
    EXPECT_EQ(questions[1].toStdString(),
              "End Dorvanix?\nThe fiber list, which is still being made, will be closed.");
    QTest::mouseClick(progress->findChild<QPushButton*>(), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([list] { return !list->busy(); }));
    EXPECT_TRUE(list->job()->cancelled());
    // What was found before Cancel stays listed.
    for (const std::string& line : linesOf(list->list()))
        EXPECT_EQ(line.rfind("((120,2),", 0), 0u) << line;
    closeFiberList();
    EXPECT_EQ(enumerate("3", "2", "3")->list()->count(), 1) << "the program goes on";
}

// Every fiber of genus 10000 (m left empty) is counted for minutes before it is listed: Cancel,
// or closing the list, ends the count at once.
TEST_F(MainWindow, CancelAndCloseEndTheCountOfALargeGenus) {
    click(mainWindow.get(), "1034");
    type(mainWindow.get(), "1042", "10000");
    for (const bool closeList : {false, true}) {
        SCOPED_TRACE(closeList ? "the list closed" : "Cancel in the progress window");
        click(mainWindow.get(), "1007");
        FiberListDialog* list = context->fiberList();
        ASSERT_NE(list, nullptr);
        ASSERT_TRUE(waitUntil([list] { return list->job()->progressDialog() != nullptr; }));
        ASSERT_TRUE(list->busy());
        // No share of the count is known: a busy bar, and the fibers counted in words.
        QProgressDialog* progress = list->job()->progressDialog();
        EXPECT_TRUE(waitUntil([progress] {
            return progress->maximum() == 0 && progress->labelText().contains("counted so far");
        })) << progress->labelText().toStdString();
        if (closeList) {
            answers = {0};
            list->close();
            QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            EXPECT_EQ(context->fiberList(), nullptr);
            EXPECT_TRUE(waitUntil([] { return BackgroundJob::unfinishedWorkers() == 0; }));
        } else {
            QTest::mouseClick(progress->findChild<QPushButton*>(), Qt::LeftButton);
            EXPECT_TRUE(waitUntil([list] { return !list->busy(); }));
            EXPECT_TRUE(list->job()->cancelled());
            closeFiberList();
        }
    }
}

// A 1024 x 600 screen at twice the scale offers 512 x 300 (here less a usual window frame): every
// window can be made that small, and each of its controls scrolled into view.
TEST_F(MainWindow, EveryControlCanBeReachedOnASmallScreen) {
    SubdivisorDialog* dialog = chooseFirstFiber("3", "2", "3");
    ASSERT_NE(dialog, nullptr);
    selectLine(dialog, "(2;(2),(1),(1)):: ell = 1 :: type = CAA");
    const QSize screen(512 - 16, 300 - 40);
    for (QWidget* window :
         {static_cast<QWidget*>(mainWindow.get()), static_cast<QWidget*>(context->fiberList()),
          static_cast<QWidget*>(dialog)}) {
        SCOPED_TRACE(window->objectName().toStdString());
        const QSize least = window->minimumSizeHint();
        EXPECT_TRUE(least.width() <= screen.width() && least.height() <= screen.height())
            << least.width() << " x " << least.height();
        window->resize(screen);
        EXPECT_EQ(window->size(), screen);
        QApplication::processEvents();
        auto* area = window->findChild<QScrollArea*>();
        QWidgetList controls;
        for (QWidget* control : window->findChildren<QWidget*>()) {
            if (qobject_cast<QAbstractButton*>(control) || qobject_cast<QLineEdit*>(control) ||
                qobject_cast<LineList*>(control) || control->objectName() == "figures") {
                if (control->isVisibleTo(window)) controls << control;
            }
        }
        EXPECT_GE(controls.size(), 5);
        for (QWidget* control : controls) {
            if (area != nullptr) {
                const QRect place(control->mapTo(area->widget(), QPoint()), control->size());
                area->ensureVisible(place.center().x(), place.center().y(), place.width() / 2 + 1,
                                    place.height() / 2 + 1);
            }
            const QRect view = area == nullptr ? window->rect()
                                               : QRect(area->viewport()->mapTo(window, QPoint()),
                                                       area->viewport()->size());
            const QRect shown(control->mapTo(window, QPoint()), control->size());
            const QRect seen = shown.intersected(view);
            // Whole where it fits; a list larger than the window shows a few lines.
            const int lines = 3 * control->fontMetrics().height();
            EXPECT_TRUE(seen == shown || (seen.height() >= std::min(lines, view.height()) &&
                                          seen.width() >= std::min(shown.width(), view.width())))
                << control->objectName().toStdString() << " not in view";
        }
    }
}

// The question before a list of millions says how long it would take, guessed from a short run.
TEST_F(MainWindow, TheQuestionBeforeALongListSaysHowLongItWouldTake) {
    answers = {-1};  // the question closed: nothing listed
    FiberListDialog* list = enumerate("10000", "2", "3");
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_TRUE(questions[0].contains("8,333,333 fibers")) << questions[0].toStdString();
    EXPECT_TRUE(questions[0].contains("listing them would take more than"))
        << questions[0].toStdString();
    EXPECT_EQ(list->list()->count(), 0);
}

// With every window open and a divisor selected, ending the run asks once, naming everything
// that would be lost: End closes every window, Cancel keeps them all.
TEST_F(MainWindow, EndAsksOnceAndClosesEveryWindow) {
    struct Row {
        const char* label;
        std::function<void()> end;
        int answer;  // 0 End, -1 the question closed
    };
    const Row rows[] = {
        {"Escape, kept", [this] { QTest::keyClick(mainWindow.get(), Qt::Key_Escape); }, -1},
        {"the close button, kept", [this] { mainWindow->close(); }, -1},
        {"< Cancel, kept", [this] { click(mainWindow.get(), "2"); }, -1},
        {"Escape, ended", [this] { QTest::keyClick(mainWindow.get(), Qt::Key_Escape); }, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        if (context->subdivisorDialog() == nullptr) {
            SubdivisorDialog* dialog = chooseFirstFiber("3", "2", "3");
            ASSERT_NE(dialog, nullptr);
            selectLine(dialog, "(2;(2),(1),(1)):: ell = 1 :: type = CAA");
        }
        questions.clear();
        answers = {row.answer};
        row.end();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ASSERT_EQ(questions.size(), 1u);
        EXPECT_EQ(questions[0].toStdString(),
                  "End Dorvanix?\nThe fiber list with its 1 fiber, the sub-divisor window with its "
                  "selected divisor and the picture will be closed.");
        const bool ended = row.answer == 0;
        EXPECT_EQ(mainWindow->isVisible(), !ended);
        for (QWidget* window :
             {static_cast<QWidget*>(context->fiberList()),
              static_cast<QWidget*>(context->subdivisorDialog()), context->picture()}) {
            EXPECT_EQ(window != nullptr && window->isVisible(), !ended);
        }
    }
    const QWidgetList windows = QApplication::topLevelWidgets();
    EXPECT_TRUE(std::none_of(windows.begin(), windows.end(), [](QWidget* w) {
        return w->isVisible();
    })) << "no window is left to keep the program running";
}

// Escape or the close of the main window ends the program and of the fiber list throws its
// fibers away: with something to lose, they ask first.
TEST_F(MainWindow, EscapeAndCloseAskBeforeWindowsAndListsAreLost) {
    struct Row {
        const char* label;
        bool fiberList;  // the fiber list is open
        bool onList;     // the key or close goes to the fiber list, else to the main window
        bool escape;     // Escape pressed; else the window's close
        int answer;      // 0 end or close, -1 the question closed
        std::size_t questions;
        bool closes;
    };
    const Row rows[] = {
        {"main, Escape, nothing open", false, false, true, -1, 0, true},
        {"main, Escape, list open, kept", true, false, true, -1, 1, false},
        {"main, close, list open, kept", true, false, false, -1, 1, false},
        {"main, Escape, list open, ended", true, false, true, 0, 1, true},
        {"list, Escape, kept", true, true, true, -1, 1, false},
        {"list, close, kept", true, true, false, -1, 1, false},
        {"list, Escape, closed", true, true, true, 0, 1, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        mainWindow->show();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);  // windows End closed
        if (row.fiberList && context->fiberList() == nullptr) enumerate("5", "2", "3");
        if (!row.fiberList && context->fiberList() != nullptr) closeFiberList();
        QWidget* window = row.onList ? static_cast<QWidget*>(context->fiberList())
                                     : static_cast<QWidget*>(mainWindow.get());
        questions.clear();
        answers = {row.answer};
        if (row.escape) {
            QTest::keyClick(window, Qt::Key_Escape);
        } else {
            window->close();
        }
        EXPECT_EQ(questions.size(), row.questions);
        EXPECT_EQ(window->isVisible(), !row.closes);
    }
}

}  // namespace
}  // namespace dorvanix::testing
