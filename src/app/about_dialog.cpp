#include "app/about_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/app_icon.h"
#include "app/control_ids.h"
#include "dorvanix/version.h"

namespace dorvanix {

QString aboutMenuText() {
    return QStringLiteral("Dorvanix00a のﾊﾞｰｼﾞｮﾝ情報(&A)...");
}

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(ids::kAboutBox);
    setWindowTitle(QStringLiteral("Dorvanix00aのﾊﾞｰｼﾞｮﾝ情報"));
    auto* icon = new QLabel(this);
    icon->setObjectName(ids::kAboutIcon);
    icon->setPixmap(appIcon().pixmap(32, 32));
    auto* version = new QLabel(QStringLiteral("Dorvanix Version " DORVANIX_VERSION), this);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(ids::kAboutOkButton);
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
