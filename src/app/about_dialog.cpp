#include "app/about_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/app_icon.h"
#include "dorvanix/version.h"

namespace dorvanix {

QString aboutMenuText() {
    return QStringLiteral("Dorvanix00a のﾊﾞｰｼﾞｮﾝ情報(&A)...");
}

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    setObjectName("100");
    setWindowTitle(QStringLiteral("Dorvanix00aのﾊﾞｰｼﾞｮﾝ情報"));
    auto* icon = new QLabel(this);
    icon->setObjectName("128");
    icon->setPixmap(appIcon().pixmap(32, 32));
    auto* version = new QLabel(QStringLiteral("Dorvanix Version " DORVANIX_VERSION), this);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName("1");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* row = new QHBoxLayout;
    row->addWidget(icon);
    row->addWidget(version, 1);
    row->addWidget(ok);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    setWindowIcon(appIcon());
}

}  // namespace dorvanix
