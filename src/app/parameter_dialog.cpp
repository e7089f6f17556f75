#include "app/parameter_dialog.h"

#include <QCheckBox>
#include <QContextMenuEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/about_dialog.h"
#include "app/app_context.h"
#include "app/app_icon.h"
#include "app/dialog_number.h"
#include "app/fiber_list_dialog.h"

namespace dorvanix {

namespace {

QLineEdit* makeEdit(QWidget* parent, const char* id, int width = 60) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(id);
    edit->setFixedWidth(width);
    return edit;
}

QCheckBox* makeCheck(QWidget* parent, const char* id, const QString& caption) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(id);
    return box;
}

QPushButton* makeButton(QWidget* parent, const char* id, const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(id);
    return button;
}

void addNumberRow(QGridLayout* grid, int row, const QString& label, QLineEdit* edit,
                  const QString& bound) {
    grid->addWidget(new QLabel(label), row, 0);
    grid->addWidget(new QLabel(QStringLiteral("=")), row, 1);
    grid->addWidget(edit, row, 2);
    grid->addWidget(new QLabel(bound), row, 3);
}

}  // namespace

ParameterDialog::ParameterDialog(AppContext& context, QWidget* parent)
    : QDialog(parent), context_(context) {
    setObjectName("102");
    setWindowTitle("Dorvanix");
    setWindowIcon(appIcon());
    buildControls();
    resetOptions();
}

ParameterDialog::~ParameterDialog() {
    context_.closeHelp();
}

void ParameterDialog::buildControls() {
    m_ = makeEdit(this, "1001");
    r_ = makeEdit(this, "1002");
    b_ = makeEdit(this, "1003");
    auto* numbers = new QGridLayout;
    addNumberRow(numbers, 0, QStringLiteral("m : multiplicity of core"), m_,
                 QStringLiteral("(>= 2)"));
    addNumberRow(numbers, 1, QStringLiteral("r : self-intersection of core"), r_,
                 QStringLiteral("(>= 2)"));
    addNumberRow(numbers, 2, QStringLiteral("b : number of branches"), b_,
                 QStringLiteral("(>= 3)"));

    auto* options = new QGroupBox(QStringLiteral("Option"), this);
    noDuplicates_ = makeCheck(options, "1033", QStringLiteral("No duplicate branches"));
    simpleCrusts_ = makeCheck(options, "1035", QStringLiteral("# of simple crusts <= 2"));
    genusOption_ = makeCheck(options, "1034", QStringLiteral("genus ="));
    genus_ = makeEdit(options, "1042", 50);
    multiplicityOption_ = makeCheck(options, "1041", QStringLiteral("Option by multiplicities"));
    coreShown_ = makeEdit(options, "1036", 40);
    coreShown_->setReadOnly(true);
    auto* genusRow = new QHBoxLayout;
    genusRow->addWidget(genusOption_);
    genusRow->addWidget(genus_);
    genusRow->addStretch();
    auto* multiplicityRow = new QHBoxLayout;
    multiplicityRow->addWidget(coreShown_);
    multiplicityRow->addWidget(new QLabel(QStringLiteral(";"), options));
    const char* ids[] = {"1037", "1038", "1039", "1040"};
    for (std::size_t i = 0; i < required_.size(); ++i) {
        required_[i] = makeEdit(options, ids[i], 40);
        multiplicityRow->addWidget(required_[i]);
    }
    multiplicityRow->addStretch();
    auto* optionLayout = new QVBoxLayout(options);
    optionLayout->addWidget(noDuplicates_);
    optionLayout->addWidget(simpleCrusts_);
    optionLayout->addLayout(genusRow);
    optionLayout->addWidget(multiplicityOption_);
    optionLayout->addLayout(multiplicityRow);

    auto* ok = makeButton(this, "1007", QStringLiteral("OK >"));
    ok->setDefault(true);
    auto* cancel = makeButton(this, "2", QStringLiteral("< Cancel"));
    auto* help = makeButton(this, "1000", QStringLiteral("Help"));
    help->setAutoDefault(false);
    cancel->setAutoDefault(false);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addStretch();
    buttons->addWidget(help);

    auto* left = new QVBoxLayout;
    auto* title = new QLabel(QStringLiteral("          Dorvanix"), this);
    QFont titleFont = title->font();
    titleFont.setBold(true);
    title->setFont(titleFont);
    left->addWidget(title);
    left->addLayout(numbers);
    left->addWidget(options);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(buttons);

    connect(noDuplicates_, &QCheckBox::clicked, this, &ParameterDialog::onNoDuplicates);
    connect(simpleCrusts_, &QCheckBox::clicked, this, &ParameterDialog::onSimpleCrusts);
    connect(genusOption_, &QCheckBox::clicked, this, &ParameterDialog::onGenusOption);
    connect(genus_, &QLineEdit::textChanged, this, &ParameterDialog::onGenusEdited);
    connect(multiplicityOption_, &QCheckBox::clicked, this, &ParameterDialog::onMultiplicityOption);
    connect(m_, &QLineEdit::textChanged, this, &ParameterDialog::onMultiplicityEdited);
    connect(ok, &QPushButton::clicked, this, &ParameterDialog::onOk);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(help, &QPushButton::clicked, this, [this] { context_.showHelp(2); });
}

void ParameterDialog::resetOptions() {
    SharedState& state = context_.state;
    state.atMostTwoSimpleCrusts = 0;
    state.requiredGenus = 0;
    state.noDuplicateBranches = 0;
    noDuplicates_->setChecked(false);
    genusOption_->setChecked(false);
    simpleCrusts_->setChecked(false);
    genus_->setEnabled(false);
    state.multiplicityOption = 0;
    multiplicityOption_->setChecked(false);
    for (QLineEdit* edit : required_) edit->setEnabled(false);
    state.requiredMultiplicities = {};
    state.fiberListOpen = 0;
    state.subdivisorDialogOpen = 0;
    state.pictureOpen = 0;
}

void ParameterDialog::onNoDuplicates() {
    int& flag = context_.state.noDuplicateBranches;
    flag = flag == 0 ? 1 : 0;
    noDuplicates_->setChecked(flag != 0);
}

void ParameterDialog::onSimpleCrusts() {
    int& flag = context_.state.atMostTwoSimpleCrusts;
    flag = flag == 0 ? 1 : 0;
    simpleCrusts_->setChecked(flag != 0);
}

void ParameterDialog::onGenusOption() {
    int& genus = context_.state.requiredGenus;
    if (genus != 0) {
        genus = 0;
    } else {
        // Checking the box always starts the restriction at genus 1; typing in 1042 changes it.
        genus = 1;
    }
    genusOption_->setChecked(genus != 0);
    genus_->setEnabled(genus != 0);
}

void ParameterDialog::onGenusEdited() {
    context_.state.requiredGenus = std::max(1, dialogNumber(genus_->text()));
}

void ParameterDialog::onMultiplicityOption() {
    int& option = context_.state.multiplicityOption;
    option = option == 0 ? 1 : 0;
    multiplicityOption_->setChecked(option != 0);
    for (QLineEdit* edit : required_) edit->setEnabled(option != 0);
    if (option != 0) onMultiplicityEdited();
}

void ParameterDialog::onMultiplicityEdited() {
    if (context_.state.multiplicityOption == 0) return;
    if (dialogNumber(m_->text()) >= 3) coreShown_->setText(m_->text());
}

void ParameterDialog::onOk() {
    SharedState& state = context_.state;
    const int m = std::max(2, dialogNumber(m_->text()));
    const int r = std::max(2, dialogNumber(r_->text()));
    const int b = std::max(3, dialogNumber(b_->text()));
    if (state.multiplicityOption != 0) {
        for (std::size_t i = 0; i < required_.size(); ++i) {
            state.requiredMultiplicities[i] = dialogNumber(required_[i]->text());
        }
    }
    if (state.fiberListOpen != 0) {
        // The open list keeps the fibers it was filled with, and the chosen fiber stays.
        context_.openFiberList()->raise();
        return;
    }
    state.startFiber(m, r, b);
    context_.openFiberList();
}

void ParameterDialog::showAbout() {
    AboutDialog about(this);
    about.exec();
}

void ParameterDialog::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    QAction* about = menu.addAction(aboutMenuText());
    about->setObjectName("16");
    connect(about, &QAction::triggered, this, &ParameterDialog::showAbout);
    menu.exec(event->globalPos());
}

}  // namespace dorvanix
