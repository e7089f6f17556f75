#include "app/main_window.h"

#include <QCheckBox>
#include <QContextMenuEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QVBoxLayout>
#include <algorithm>

#include "app/about_dialog.h"
#include "app/app_context.h"
#include "app/app_icon.h"
#include "app/control_ids.h"
#include "app/dialog_controls.h"
#include "app/fiber_list_dialog.h"
#include "app/line_list.h"
#include "app/subdivisor_dialog.h"
#include "model/input_check.h"

namespace dorvanix {

namespace {

void addNumberRow(QGridLayout* grid, int row, const QString& label, QLineEdit* edit,
                  const QString& bound) {
    grid->addWidget(new QLabel(label), row, 0);
    grid->addWidget(new QLabel(QStringLiteral("=")), row, 1);
    grid->addWidget(edit, row, 2);
    grid->addWidget(new QLabel(bound), row, 3);
}

}  // namespace

MainWindow::MainWindow(AppContext& context, QWidget* parent)
    : GuardedDialog(parent), context_(context) {
    setObjectName(ids::kMainWindow);
    setWindowTitle("Dorvanix");
    setWindowIcon(appIcon());
    buildControls();
    resetOptions();
    restoreInput();
}

MainWindow::~MainWindow() {
    context_.closeHelp();
}

void MainWindow::buildControls() {
    mEdit_ = makeEdit(this, ids::kMEdit);
    rEdit_ = makeEdit(this, ids::kREdit);
    bEdit_ = makeEdit(this, ids::kBEdit);
    auto* numbers = new QGridLayout;
    addNumberRow(numbers, 0, QStringLiteral("m : multiplicity of core"), mEdit_,
                 QStringLiteral("(>= 2)"));
    addNumberRow(numbers, 1, QStringLiteral("r : self-intersection of core"), rEdit_,
                 QStringLiteral("(>= 2)"));
    addNumberRow(numbers, 2, QStringLiteral("b : number of branches"), bEdit_,
                 QStringLiteral("(>= 3)"));

    auto* options = new QGroupBox(QStringLiteral("Option"), this);
    noDuplicatesBox_ =
        makeCheck(options, ids::kNoDuplicatesBox, QStringLiteral("No duplicate branches"));
    simpleCrustsBox_ =
        makeCheck(options, ids::kSimpleCrustsBox, QStringLiteral("# of simple crusts <= 2"));
    genusBox_ = makeCheck(options, ids::kGenusBox, QStringLiteral("genus ="));
    genusEdit_ = makeEdit(options, ids::kGenusEdit, 50);
    multiplicityBox_ =
        makeCheck(options, ids::kMultiplicityBox, QStringLiteral("Option by multiplicities"));
    coreShownEdit_ = makeEdit(options, ids::kCoreShownEdit, 40);
    coreShownEdit_->setReadOnly(true);
    auto* genusRow = new QHBoxLayout;
    genusRow->addWidget(genusBox_);
    genusRow->addWidget(genusEdit_);
    genusRow->addStretch();
    auto* multiplicityRow = new QHBoxLayout;
    multiplicityRow->addWidget(coreShownEdit_);
    multiplicityRow->addWidget(new QLabel(QStringLiteral(";"), options));
    for (std::size_t i = 0; i < requiredEdits_.size(); ++i) {
        requiredEdits_[i] = makeEdit(options, ids::kRequiredEdits[i], 40);
        multiplicityRow->addWidget(requiredEdits_[i]);
    }
    multiplicityRow->addStretch();
    auto* optionLayout = new QVBoxLayout(options);
    optionLayout->addWidget(noDuplicatesBox_);
    optionLayout->addWidget(simpleCrustsBox_);
    optionLayout->addLayout(genusRow);
    optionLayout->addWidget(multiplicityBox_);
    optionLayout->addLayout(multiplicityRow);

    auto* ok = makeButton(this, ids::kMainOkButton, QStringLiteral("OK >"));
    ok->setDefault(true);
    auto* cancel = makeButton(this, ids::kMainCancelButton, QStringLiteral("< Cancel"));
    auto* help = makeButton(this, ids::kMainHelpButton, QStringLiteral("Help"));
    auto* about = makeButton(this, ids::kAboutAction, QStringLiteral("About..."));
    help->setAutoDefault(false);
    about->setAutoDefault(false);
    cancel->setAutoDefault(false);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addStretch();
    buttons->addWidget(help);
    buttons->addWidget(about);

    auto* left = new QVBoxLayout;
    auto* title = new QLabel(QStringLiteral("          Dorvanix"), this);
    QFont titleFont = title->font();
    titleFont.setBold(true);
    title->setFont(titleFont);
    left->addWidget(title);
    left->addLayout(numbers);
    left->addWidget(options);
    auto* layout = new QHBoxLayout(scrollingContent(this));
    layout->addLayout(left, 1);
    layout->addLayout(buttons);

    connect(noDuplicatesBox_, &QCheckBox::clicked, this, &MainWindow::onNoDuplicates);
    connect(simpleCrustsBox_, &QCheckBox::clicked, this, &MainWindow::onSimpleCrusts);
    connect(genusBox_, &QCheckBox::clicked, this, &MainWindow::onGenusOption);
    connect(genusEdit_, &QLineEdit::textChanged, this, &MainWindow::onGenusEdited);
    connect(multiplicityBox_, &QCheckBox::clicked, this, &MainWindow::onMultiplicityOption);
    connect(mEdit_, &QLineEdit::textChanged, this, &MainWindow::onMultiplicityEdited);
    connect(ok, &QPushButton::clicked, this, &MainWindow::onOk);
    // "< Cancel" ends the run as the window's close does, asking first when something is open.
    connect(cancel, &QPushButton::clicked, this, &QWidget::close);
    connect(help, &QPushButton::clicked, this, [this] { context_.showHelp(2); });
    connect(about, &QPushButton::clicked, this, &MainWindow::showAbout);
}

void MainWindow::resetOptions() {
    SharedState& state = context_.state;
    state.atMostTwoSimpleCrusts = 0;
    state.requiredGenus = 0;
    state.noDuplicateBranches = 0;
    noDuplicatesBox_->setChecked(false);
    genusBox_->setChecked(false);
    simpleCrustsBox_->setChecked(false);
    genusEdit_->setEnabled(false);
    state.multiplicityOption = 0;
    multiplicityBox_->setChecked(false);
    for (QLineEdit* edit : requiredEdits_) edit->setEnabled(false);
    state.requiredMultiplicities = {};
    state.fiberListOpen = 0;
    state.subdivisorDialogOpen = 0;
    state.pictureOpen = 0;
}

namespace {

constexpr char kInputGroup[] = "mainWindow";

}  // namespace

std::vector<std::pair<QString, QLineEdit*>> MainWindow::rememberedFields() const {
    std::vector<std::pair<QString, QLineEdit*>> fields = {
        {"m", mEdit_}, {"r", rEdit_}, {"b", bEdit_}, {"genus", genusEdit_}};
    for (std::size_t i = 0; i < requiredEdits_.size(); ++i) {
        fields.emplace_back(QStringLiteral("multiplicity%1").arg(i + 1), requiredEdits_[i]);
    }
    return fields;
}

// The options are switched on again through the handlers of their boxes, so that the state, the
// marks and the enabled fields agree as after a click.
const std::array<MainWindow::RememberedOption, 4> MainWindow::kRememberedOptions = {{
    {"noDuplicates", &SharedState::noDuplicateBranches, &MainWindow::onNoDuplicates},
    {"simpleCrusts", &SharedState::atMostTwoSimpleCrusts, &MainWindow::onSimpleCrusts},
    {"genusOption", &SharedState::requiredGenus, &MainWindow::onGenusOption},
    {"multiplicityOption", &SharedState::multiplicityOption, &MainWindow::onMultiplicityOption},
}};

void MainWindow::restoreInput() {
    QSettings settings;
    settings.beginGroup(kInputGroup);
    for (const auto& [key, edit] : rememberedFields())
        edit->setText(settings.value(key).toString());
    context_.state.requiredGenus = 0;  // the genus field's text counts only once ticked
    for (const RememberedOption& option : kRememberedOptions) {
        if (settings.value(option.key).toBool()) (this->*option.switchOn)();
    }
    // Typing replaces the remembered m instead of adding to it.
    mEdit_->selectAll();
    mEdit_->setFocus();
}

void MainWindow::rememberInput() const {
    QSettings settings;
    settings.beginGroup(kInputGroup);
    for (const auto& [key, edit] : rememberedFields()) settings.setValue(key, edit->text());
    for (const RememberedOption& option : kRememberedOptions) {
        settings.setValue(option.key, context_.state.*option.flag != 0);
    }
}

void MainWindow::onNoDuplicates() {
    int& flag = context_.state.noDuplicateBranches;
    flag = flag == 0 ? 1 : 0;
    noDuplicatesBox_->setChecked(flag != 0);
}

void MainWindow::onSimpleCrusts() {
    int& flag = context_.state.atMostTwoSimpleCrusts;
    flag = flag == 0 ? 1 : 0;
    simpleCrustsBox_->setChecked(flag != 0);
}

void MainWindow::onGenusOption() {
    int& genus = context_.state.requiredGenus;
    // Ticking the box restricts to the genus the field shows (1 when it shows none).
    genus = genus != 0 ? 0 : genusRequirement(fieldNumber(genusEdit_));
    genusBox_->setChecked(genus != 0);
    genusEdit_->setEnabled(genus != 0);
}

void MainWindow::onGenusEdited() {
    context_.state.requiredGenus = genusRequirement(fieldNumber(genusEdit_));
}

void MainWindow::onMultiplicityOption() {
    int& option = context_.state.multiplicityOption;
    option = option == 0 ? 1 : 0;
    multiplicityBox_->setChecked(option != 0);
    for (QLineEdit* edit : requiredEdits_) edit->setEnabled(option != 0);
    if (option != 0) onMultiplicityEdited();
}

// The read-only field before the ";" repeats m as it is typed, so it never shows another m.
void MainWindow::onMultiplicityEdited() {
    coreShownEdit_->setText(mEdit_->text());
}

// "genus =" ticked with m left empty asks for every fiber of that genus, whatever m, r and b.
bool MainWindow::wholeGenus() const {
    return context_.state.requiredGenus != 0 && mEdit_->text().trimmed().isEmpty();
}

// Numbers below their bounds are raised to them, so that empty fields list the least fibers;
// numbers above what the core takes are refused with the range, so that nothing runs away with
// time or memory.
bool MainWindow::withinBounds() {
    struct Field {
        const char* name;
        const QLineEdit* edit;
        int lowest;
        bool used;
    };
    const bool multiplicities = context_.state.multiplicityOption != 0;
    const bool numbers = !wholeGenus();
    const Field fields[] = {
        {"m", mEdit_, kLeastCoreMultiplicity, numbers},
        {"r", rEdit_, kLeastSelfIntersection, numbers},
        {"b", bEdit_, kLeastBranchCount, numbers},
        {"genus", genusEdit_, 1, genusBox_->isChecked()},
        {"multiplicity 1", requiredEdits_[0], 0, multiplicities},
        {"multiplicity 2", requiredEdits_[1], 0, multiplicities},
        {"multiplicity 3", requiredEdits_[2], 0, multiplicities},
        {"multiplicity 4", requiredEdits_[3], 0, multiplicities},
    };
    for (const Field& field : fields) {
        if (!field.used || fieldNumber(field.edit) <= kMaxInputNumber) continue;
        // Quoted as every face quotes typed text: a pasted number of any length shows its first
        // 60 characters, escaped.
        const std::string typed = asciiNumberText(field.edit->text()).toStdString();
        context_.reportError(this, tr("%1 = %2 is too large: %1 goes from %3 to %4.")
                                       .arg(QString::fromLatin1(field.name),
                                            QString::fromStdString(quoteInput(typed)))
                                       .arg(field.lowest)
                                       .arg(kMaxInputNumber));
        return false;
    }
    if (!multiplicities) return true;
    // The required multiplicities follow the rules every face applies, with their messages.
    std::array<int, 4> required{};
    for (std::size_t i = 0; i < requiredEdits_.size(); ++i)
        required[i] = fieldNumber(requiredEdits_[i]);
    try {
        requiredMultiplicities(required);
    } catch (const InputError& refused) {
        QString message = QString::fromStdString(refused.what());
        if (!message.isEmpty()) message[0] = message[0].toUpper();
        context_.reportError(this, message + QLatin1Char('.'));
        return false;
    }
    return true;
}

namespace {

bool sameOptions(const FiberOptions& a, const FiberOptions& b) {
    return a.noDuplicateBranches == b.noDuplicateBranches && a.requiredGenus == b.requiredGenus &&
           a.multiplicityOption == b.multiplicityOption &&
           (!a.multiplicityOption || a.requiredMultiplicities == b.requiredMultiplicities) &&
           a.atMostTwoSimpleCrusts == b.atMostTwoSimpleCrusts;
}

QString listDescription(int m, int r, int b, int genus) {
    if (genus != 0) return QObject::tr("every fiber of genus %1").arg(genus);
    return QObject::tr("the fibers of m = %1, r = %2, b = %3").arg(m).arg(r).arg(b);
}

}  // namespace

void MainWindow::onOk() {
    if (!withinBounds()) return;
    // What was accepted comes back in the next run; text that was refused never does.
    rememberInput();
    SharedState& state = context_.state;
    const int m = std::max(kLeastCoreMultiplicity, fieldNumber(mEdit_));
    const int r = std::max(kLeastSelfIntersection, fieldNumber(rEdit_));
    const int b = std::max(kLeastBranchCount, fieldNumber(bEdit_));
    const int genus = wholeGenus() ? state.requiredGenus : 0;
    if (state.multiplicityOption != 0) {
        for (std::size_t i = 0; i < requiredEdits_.size(); ++i) {
            state.requiredMultiplicities[i] = fieldNumber(requiredEdits_[i]);
        }
    }
    const FiberOptions options = state.fiberOptions();
    if (FiberListDialog* open = context_.fiberList(); open != nullptr && state.fiberListOpen != 0) {
        const bool same =
            genus == state.listGenus && sameOptions(options, state.listOptions) &&
            (genus != 0 || (m == state.listM && r == state.listR && b == state.listB));
        // The open list is never replaced without a word: the same list is brought forward, and
        // another one is made in its place only when the user says so.
        const QString question =
            tr("The fiber list shows %1%2.\nList %3%4 in its place?")
                .arg(listDescription(state.listM, state.listR, state.listB, state.listGenus),
                     open->list()->count() > 0 ? tr(" (its fibers will be lost)") : QString(),
                     listDescription(m, r, b, genus),
                     sameOptions(options, state.listOptions) ? QString()
                                                             : tr(" with the options now ticked"));
        if (same || context_.ask(this, question, {tr("List anew")}) != 0) {
            open->raise();
            open->activateWindow();
            return;
        }
        open->reject();
    }
    // The sub-divisor dialog keeps working on its own X; only the list's numbers change.
    state.listGenus = genus;
    state.listM = m;
    state.listR = r;
    state.listB = b;
    state.listOptions = options;
    context_.openFiberList();
}

void MainWindow::showAbout() {
    AboutDialog about(this);
    about.exec();
}

void MainWindow::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    QAction* about = menu.addAction(aboutMenuText());
    about->setObjectName(ids::kAboutAction);
    connect(about, &QAction::triggered, this, &MainWindow::showAbout);
    menu.exec(event->globalPos());
}

bool MainWindow::mayClose() {
    // One question names everything the end of the run would lose; End closes it all at once, so
    // that no window asks again, and Cancel keeps it all.
    QStringList lost;
    if (const FiberListDialog* list = context_.fiberList();
        list != nullptr && context_.state.fiberListOpen != 0) {
        const int count = list->list()->count();
        lost << (list->busy() ? tr("the fiber list, which is still being made,")
                 : count == 0 ? tr("the fiber list")
                 : count == 1 ? tr("the fiber list with its 1 fiber")
                              : tr("the fiber list with its %1 fibers")
                                    .arg(QLocale().toString(static_cast<qint64>(count))));
    }
    if (const SubdivisorDialog* dialog = context_.subdivisorDialog();
        dialog != nullptr && context_.state.subdivisorDialogOpen != 0) {
        const int count = dialog->selectedList()->count();
        lost << (count == 0 ? tr("the sub-divisor window")
                 : count == 1
                     ? tr("the sub-divisor window with its selected divisor")
                     : tr("the sub-divisor window with its %1 selected divisors").arg(count));
    }
    if (context_.picture() != nullptr && context_.state.pictureOpen != 0) lost << tr("the picture");
    if (lost.isEmpty()) return true;
    // "A, B and C"; a clause set off by commas keeps its closing comma and takes no second one.
    QString closed;
    for (qsizetype i = 0; i < lost.size(); ++i) {
        if (i + 1 == lost.size() && i > 0) {
            closed += tr(" and ");
        } else if (i > 0) {
            closed +=
                closed.endsWith(QLatin1Char(',')) ? QStringLiteral(" ") : QStringLiteral(", ");
        }
        closed += lost[i];
    }
    closed[0] = closed[0].toUpper();
    const QString question = tr("End Dorvanix?\n%1 will be closed.").arg(closed);
    if (context_.ask(this, question, {tr("End")}) != 0) return false;
    context_.closeWindows();
    return true;
}

}  // namespace dorvanix
