#pragma once

#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <string>
#include <vector>

#include "app/app_context.h"
#include "app/fiber_list_dialog.h"
#include "app/line_list.h"
#include "app/main_window.h"
#include "app/subdivisor_dialog.h"
#include "work_wait.h"

namespace dorvanix::testing {

// A control of a dialog by its id; fails the test when it is missing.
template <typename T>
T* control(QWidget* dialog, const char* id) {
    T* widget = dialog->findChild<T*>(QString::fromLatin1(id));
    EXPECT_NE(widget, nullptr) << "no control " << id << " in dialog "
                               << dialog->objectName().toStdString();
    return widget;
}

void click(QWidget* dialog, const char* id);
// Types `text` into an edit, or pastes it when it is not ASCII.
void type(QWidget* dialog, const char* id, const QString& text);
bool checked(QWidget* dialog, const char* id);
std::vector<std::string> linesOf(const LineList* list);
std::string readFile(const QString& path);
// Makes `line` the current line of a sub-divisor list, presses Select and waits for the analysis.
void selectLine(SubdivisorDialog* dialog, const std::string& line);
// Double-clicks the line of `list` that starts with `start`, as a user would.
void doubleClickLine(LineList* list, const std::string& start);

// One run of the program: the shared context and its main window, with the save dialog replaced
// by a file in a temporary folder and the error box by a list of messages.
class AppSession : public ::testing::Test {
  protected:
    AppSession();
    ~AppSession() override;

    // Types m, r, b into the main window and presses "OK >"; waits for the fiber list.
    FiberListDialog* enumerate(const QString& m, const QString& r, const QString& b);
    // Waits until a dialog's worker is done.
    static bool waitForFiberList(FiberListDialog* list);
    static bool waitForSubdivisors(SubdivisorDialog* dialog);
    // Enumerates m, r, b, chooses the first fiber and waits for the sub-divisor dialog.
    SubdivisorDialog* chooseFirstFiber(const QString& m, const QString& r, const QString& b);
    // Presses "OK >" on the open fiber list and waits for the sub-divisor dialog.
    SubdivisorDialog* chooseFiber();
    // Presses "Save list" of the fiber list or the sub-divisor dialog and waits for the file.
    static void saveList(QWidget* dialog);
    // Press "< Cancel" and wait until the window is gone.
    void closeFiberList();
    void closeSubdivisorDialog();
    // Checks the one save request made since `saveRequests` was last cleared.
    void expectSaveRequest(const char* name, const char* suffix, const char* filter) const;

    std::unique_ptr<AppContext> context;
    std::unique_ptr<MainWindow> mainWindow;
    QTemporaryDir folder;
    QString savePath;  // what the replaced save dialog answers; empty means Cancel
    std::vector<SaveRequest> saveRequests;
    std::vector<QString> errors;
    // The questions asked, and the answers given to them in turn (-1, closed, when none is left).
    std::vector<QString> questions;
    std::vector<QStringList> offered;  // the answers each question offered, besides Cancel
    std::vector<int> answers;
};

}  // namespace dorvanix::testing
