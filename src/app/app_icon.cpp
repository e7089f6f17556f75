#include "app/app_icon.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace dorvanix {

QIcon appIcon() {
    QSvgRenderer renderer(QStringLiteral(":/icons/128.svg"));
    QIcon icon;
    if (!renderer.isValid()) return icon;
    for (const int size : {16, 24, 32, 48, 64, 128}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        renderer.render(&painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace dorvanix
