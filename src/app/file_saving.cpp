#include "app/file_saving.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QSaveFile>

namespace dorvanix {

QString chooseFileWithDialog(QWidget* parent, const SaveRequest& request) {
    QFileDialog dialog(parent, QObject::tr("Save as"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(request.filter.split(QStringLiteral(";;")));
    dialog.setDefaultSuffix(request.defaultSuffix);
    dialog.selectFile(request.defaultName);
    if (dialog.exec() != QDialog::Accepted) return {};
    const QStringList files = dialog.selectedFiles();
    return files.isEmpty() ? QString() : files.first();
}

void reportWithMessageBox(QWidget* parent, const QString& message) {
    QMessageBox::warning(parent, QStringLiteral("Dorvanix"), message);
}

QString writeFileAtomically(const QString& path, const std::string& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return file.errorString();
    const qint64 size = static_cast<qint64>(bytes.size());
    if (file.write(bytes.data(), size) != size) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return reason;
    }
    if (!file.commit()) return file.errorString();
    return {};
}

bool saveWithChooser(QWidget* parent, const FileChooser& choose, const ErrorReporter& report,
                     const SaveRequest& request, const std::function<std::string()>& bytes) {
    const QString path = choose(parent, request);
    if (path.isEmpty()) return false;
    const QString failure = writeFileAtomically(path, bytes());
    if (failure.isEmpty()) return true;
    report(parent, QObject::tr("The file %1 could not be written:\n%2").arg(path, failure));
    return false;
}

}  // namespace dorvanix
