#include "app/help_window.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace dorvanix {

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent), browser_(new QTextBrowser(this)) {
    setObjectName("help");
    setWindowTitle(tr("Dorvanix Help"));
    browser_->setObjectName("helpBrowser");
    browser_->setOpenLinks(true);
    browser_->setOpenExternalLinks(false);

    auto* contents = new QPushButton(tr("Contents"), this);
    auto* back = new QPushButton(tr("Back"), this);
    connect(contents, &QPushButton::clicked, this, [this] { showContext(0); });
    connect(back, &QPushButton::clicked, browser_, &QTextBrowser::backward);
    connect(browser_, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    back->setEnabled(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(contents);
    buttons->addWidget(back);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(browser_);
    resize(640, 560);
}

QString HelpWindow::pageOf(int helpContext) {
    switch (helpContext) {
        case 2:
            return QStringLiteral("qrc:/help/main_window.html");
        case 4:
            return QStringLiteral("qrc:/help/fiber_list.html");
        case 5:
            return QStringLiteral("qrc:/help/subdivisors.html");
        default:
            return QStringLiteral("qrc:/help/index.html");
    }
}

void HelpWindow::showContext(int helpContext) {
    browser_->setSource(QUrl(pageOf(helpContext)));
}

}  // namespace dorvanix
