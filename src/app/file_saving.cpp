#include "app/file_saving.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <algorithm>
#include <filesystem>
#include <vector>

#include "files/atomic_file.h"

namespace dorvanix {

namespace {

constexpr char kSaveFolderKey[] = "files/saveFolder";

QString chosenPath(QWidget* parent, const FileChooser& choose, SaveRequest request) {
    request.folder = QSettings().value(kSaveFolderKey).toString();
    QString path = choose(parent, request);
    if (path.isEmpty()) return path;
    if (!request.defaultSuffix.isEmpty() && QFileInfo(path).suffix().isEmpty()) {
        path += QLatin1Char('.') + request.defaultSuffix;
    }
    QSettings().setValue(kSaveFolderKey, QFileInfo(path).absolutePath());
    return path;
}

}  // namespace

QString chooseFileWithDialog(QWidget* parent, const SaveRequest& request) {
    QFileDialog dialog(parent, QObject::tr("Save as"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(request.filter.split(QStringLiteral(";;")));
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.folder.isEmpty()) dialog.setDirectory(request.folder);
    dialog.selectFile(request.defaultName);
    if (dialog.exec() != QDialog::Accepted) return {};
    const QStringList files = dialog.selectedFiles();
    return files.isEmpty() ? QString() : files.first();
}

int askWithMessageBox(QWidget* parent, const QString& question, const QStringList& answers) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("Dorvanix"), question,
                    QMessageBox::NoButton, parent);
    std::vector<QAbstractButton*> buttons;
    for (const QString& answer : answers)
        buttons.push_back(box.addButton(answer, QMessageBox::AcceptRole));
    box.addButton(QMessageBox::Cancel);
    box.exec();
    const auto chosen = std::find(buttons.begin(), buttons.end(), box.clickedButton());
    return chosen == buttons.end() ? -1 : static_cast<int>(chosen - buttons.begin());
}

void reportWithMessageBox(QWidget* parent, const QString& message) {
    QMessageBox::warning(parent, QStringLiteral("Dorvanix"), message);
}

QString writeFileAtomically(const QString& path, std::string_view bytes) {
    try {
        writeFileAtomically(std::filesystem::path(QFile::encodeName(path).toStdString()), bytes);
    } catch (const FileWriteError& failed) {
        return QString::fromLocal8Bit(failed.what());
    }
    return {};
}

bool streamWithChooser(QWidget* parent, const FileChooser& choose, const ErrorReporter& report,
                       const SaveRequest& request,
                       const std::function<void(std::ostream&)>& write) {
    const QString path = chosenPath(parent, choose, request);
    if (path.isEmpty()) return false;
    try {
        AtomicFile file(std::filesystem::path(QFile::encodeName(path).toStdString()));
        write(file.stream());
        if (!file.stream()) throw FileWriteError(path.toStdString() + ": a write failed");
        file.commit();
    } catch (const FileWriteError& failed) {
        report(
            parent,
            QObject::tr("The file was not saved.\n%1").arg(QString::fromLocal8Bit(failed.what())));
        return false;
    }
    return true;
}

bool saveWithChooser(QWidget* parent, const FileChooser& choose, const ErrorReporter& report,
                     const SaveRequest& request, const std::function<std::string()>& bytes) {
    const QString path = chosenPath(parent, choose, request);
    if (path.isEmpty()) return false;
    const QString failure = writeFileAtomically(path, bytes());
    if (failure.isEmpty()) return true;
    report(parent, QObject::tr("The file was not saved.\n%1").arg(failure));
    return false;
}

}  // namespace dorvanix
