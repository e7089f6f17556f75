#include "app_test_support.h"

#include <QFile>
#include <QSettings>

#include <algorithm>

namespace dorvanix::testing {

void click(QWidget* dialog, const char* id) {
    auto* button = control<QAbstractButton>(dialog, id);
    if (button != nullptr) QTest::mouseClick(button, Qt::LeftButton);
}

void type(QWidget* dialog, const char* id, const QString& text) {
    auto* edit = control<QLineEdit>(dialog, id);
    if (edit == nullptr) return;
    edit->clear();
    // Keys exist for ASCII only; other text is pasted.
    const bool ascii =
        std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 128; });
    if (ascii && !text.isEmpty()) QTest::keyClicks(edit, text);
    if (!ascii) edit->insert(text);
}

bool checked(QWidget* dialog, const char* id) {
    auto* box = control<QCheckBox>(dialog, id);
    return box != nullptr && box->isChecked();
}

std::vector<std::string> linesOf(const LineList* list) {
    std::vector<std::string> lines;
    for (const QString& line : list->lines()) lines.push_back(line.toStdString());
    return lines;
}

std::string readFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return "<missing>";
    return file.readAll().toStdString();
}

void selectLine(SubdivisorDialog* dialog, const std::string& line) {
    const std::vector<std::string> lines = linesOf(dialog->subdivisorList());
    const auto found = std::find(lines.begin(), lines.end(), line);
    if (found == lines.end()) {
        ADD_FAILURE() << "no line " << line;
        return;
    }
    dialog->subdivisorList()->setCurrentRow(static_cast<int>(found - lines.begin()));
    click(dialog, "1014");
    EXPECT_TRUE(waitUntil([dialog] { return !dialog->analysing(); }));
}

void doubleClickLine(LineList* list, const std::string& start) {
    const std::vector<std::string> lines = linesOf(list);
    const auto found = std::find_if(lines.begin(), lines.end(), [&start](const std::string& line) {
        return line.starts_with(start);
    });
    if (found == lines.end()) {
        ADD_FAILURE() << "no line " << start;
        return;
    }
    const QModelIndex index = list->model()->index(static_cast<int>(found - lines.begin()), 0);
    list->scrollTo(index);
    const QPoint at = list->visualRect(index).center();
    // A double click is a press, a release and a second press and release at the same place.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

AppSession::AppSession()
    : context(std::make_unique<AppContext>()), mainWindow(std::make_unique<MainWindow>(*context)) {
    savePath = folder.filePath("saved.txt");
    context->chooseFile = [this](QWidget*, const SaveRequest& request) {
        saveRequests.push_back(request);
        return savePath;
    };
    context->reportError = [this](QWidget*, const QString& message) { errors.push_back(message); };
    context->ask = [this](QWidget*, const QString& question, const QStringList& choices) {
        questions.push_back(question);
        offered.push_back(choices);
        if (answers.empty()) return -1;
        const int answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    };
    mainWindow->show();
}

AppSession::~AppSession() {
    mainWindow.reset();
    context.reset();
    QSettings().clear();  // the next test starts as a first run
}

bool AppSession::waitForFiberList(FiberListDialog* list) {
    return list != nullptr && waitUntil([list] { return !list->busy(); });
}

bool AppSession::waitForSubdivisors(SubdivisorDialog* dialog) {
    return dialog != nullptr && waitUntil([dialog] { return !dialog->busy(); });
}

FiberListDialog* AppSession::enumerate(const QString& m, const QString& r, const QString& b) {
    type(mainWindow.get(), "1001", m);
    type(mainWindow.get(), "1002", r);
    type(mainWindow.get(), "1003", b);
    click(mainWindow.get(), "1007");
    FiberListDialog* list = context->fiberList();
    EXPECT_TRUE(waitForFiberList(list));
    return list;
}

SubdivisorDialog* AppSession::chooseFirstFiber(const QString& m, const QString& r,
                                               const QString& b) {
    return enumerate(m, r, b) == nullptr ? nullptr : chooseFiber();
}

SubdivisorDialog* AppSession::chooseFiber() {
    click(context->fiberList(), "1007");
    SubdivisorDialog* dialog = context->subdivisorDialog();
    EXPECT_TRUE(waitForSubdivisors(dialog));
    return dialog;
}

void AppSession::saveList(QWidget* dialog) {
    click(dialog, "1030");
    const auto saving = [dialog] {
        if (auto* list = qobject_cast<FiberListDialog*>(dialog)) return list->saving();
        auto* subdivisors = qobject_cast<SubdivisorDialog*>(dialog);
        return subdivisors != nullptr && subdivisors->saving();
    };
    EXPECT_TRUE(waitUntil([&saving] { return !saving(); }));
}

void AppSession::closeFiberList() {
    click(context->fiberList(), "1008");
    EXPECT_TRUE(waitUntil([this] { return context->fiberList() == nullptr; }));
}

void AppSession::closeSubdivisorDialog() {
    click(context->subdivisorDialog(), "1012");
    EXPECT_TRUE(waitUntil([this] { return context->subdivisorDialog() == nullptr; }));
}

void AppSession::expectSaveRequest(const char* name, const char* suffix, const char* filter) const {
    ASSERT_EQ(saveRequests.size(), 1u);
    EXPECT_EQ(saveRequests[0].defaultName.toStdString(), name);
    EXPECT_EQ(saveRequests[0].defaultSuffix.toStdString(), suffix);
    EXPECT_EQ(saveRequests[0].filter.toStdString(), filter);
}

}  // namespace dorvanix::testing
