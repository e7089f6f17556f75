#include "app/fiber_list_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <memory>

#include "app/app_context.h"
#include "app/app_icon.h"
#include "app/background_job.h"
#include "app/control_ids.h"
#include "app/dialog_controls.h"
#include "app/line_list.h"
#include "app/subdivisor_dialog.h"
#include "census/fiber_enumeration.h"
#include "files/list_files.h"
#include "model/divisor_notation.h"
#include "model/fiber_data.h"

namespace dorvanix {

FiberListDialog::FiberListDialog(AppContext& context, QWidget* parent)
    : QDialog(parent),
      context_(context),
      list_(new LineList(this)),
      job_(new BackgroundJob(this, tr("Enumerating the fibers ..."))) {
    setObjectName(ids::kFiberList);
    setWindowTitle("Dorvanix");
    setWindowIcon(appIcon());
    setAttribute(Qt::WA_DeleteOnClose);
    list_->setObjectName(ids::kFiberLines);

    auto* ok = makeButton(this, ids::kFiberOkButton, QStringLiteral("OK >"));
    ok->setDefault(true);
    auto* cancel = makeButton(this, ids::kFiberCancelButton, QStringLiteral("< Cancel"));
    auto* help = makeButton(this, ids::kFiberHelpButton, QStringLiteral("Help"));
    auto* save = makeButton(this, ids::kFiberSaveButton, QStringLiteral("Save list"));
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addStretch();
    buttons->addWidget(save);
    buttons->addWidget(help);
    auto* left = new QVBoxLayout;
    left->addWidget(
        new QLabel(QStringLiteral("Dorvanix: Select the first singular fiber X"), this));
    left->addWidget(list_, 1);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(buttons);
    resize(440, 300);

    connect(list_, &LineList::lineActivated, this, [this](int) { choose(); });
    connect(ok, &QPushButton::clicked, this, &FiberListDialog::choose);
    connect(cancel, &QPushButton::clicked, this, &FiberListDialog::reject);
    connect(save, &QPushButton::clicked, this, &FiberListDialog::saveList);
    connect(help, &QPushButton::clicked, this, [this] { context_.showHelp(4); });
}

FiberListDialog::~FiberListDialog() {
    delete job_;  // waits for the enumeration before anything it writes to goes
    job_ = nullptr;
    context_.state.fiberListOpen = 0;
}

void FiberListDialog::startEnumeration() {
    const SharedState& state = context_.state;
    const int m = state.listM;
    const int r = state.listR;
    const int b = state.listB;
    if (m == 0) return;
    const FiberOptions options = context_.state.fiberOptions();
    // The lines become QStrings on the worker, so that the window only has to take the list.
    auto found = std::make_shared<QStringList>();
    connect(
        job_, &BackgroundJob::finished, this,
        [this, found] {
            list_->setLines(std::move(*found));
            if (list_->count() > 0) list_->setCurrentRow(0);
            emit listed();
        },
        Qt::SingleShotConnection);
    job_->start([m, r, b, options, found](Progress& progress) {
        enumerateFibers(
            m, r, b, options,
            [&found](const FiberEntry& entry) {
                const std::string_view line = entry.line;
                found->append(QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size())));
            },
            &progress);
    });
}

bool FiberListDialog::busy() const {
    return job_ != nullptr && job_->running();
}

void FiberListDialog::choose() {
    SharedState& state = context_.state;
    if (list_->count() == 0) return;
    const int row = list_->currentRow() >= 0 ? list_->currentRow() : 0;
    const std::string line = list_->line(row).toStdString();
    // Everything the sub-divisor dialog shows belongs to its X: another X replaces the dialog,
    // and its selected divisors with it, only when the user says so.
    if (SubdivisorDialog* open = context_.subdivisorDialog();
        open != nullptr && state.subdivisorDialogOpen != 0) {
        const QString question =
            tr("The sub-divisor window works on X = %1.\nClose it, with its selected divisors "
               "and picture, and work on %2 instead?")
                .arg(open->fiberText(), list_->line(row));
        if (context_.ask(this, question, {tr("Work on the new fiber")}) != 0) return;
        open->reject();
    }
    state.startFiber(state.listM, state.listR, state.listB);
    parseFiberLine(state.pool, *state.currentFiber, line);
    const FiberData fiber = fiberDataOf(*state.currentFiber);
    state.currentGenus = fiberGenus(fiber.m, fiber.firstMultiplicities());
    if (state.pictureOpen == 0) context_.openPicture();
    if (state.subdivisorDialogOpen == 0) context_.openSubdivisorDialog();
}

void FiberListDialog::saveList() {
    const SharedState& state = context_.state;
    SaveRequest request;
    request.defaultName =
        QString::fromStdString(fiberListFileName(state.listM, state.listR, state.listB));
    request.defaultSuffix = QStringLiteral("dat");
    request.filter = kListFileFilter;
    // Line by line into the file: a long list is never copied whole into memory.
    const LineList& list = *list_;
    streamWithChooser(this, context_.chooseFile, context_.reportError, request,
                      [&list](std::ostream& out) {
                          for (int row = 0; row < list.count() && out; ++row) {
                              writeFiberListLine(out, list.line(row).toStdString());
                          }
                      });
}

void FiberListDialog::reject() {
    job_->cancel();
    context_.state.fiberListOpen = 0;
    QDialog::reject();
}

}  // namespace dorvanix
