#include <gtest/gtest.h>
#include <QLabel>
#include <QPushButton>
#include <algorithm>

#include "app/about_dialog.h"
#include "app/app_context.h"
#include "app/app_icon.h"
#include "dorvanix/version.h"

namespace dorvanix {
namespace {

TEST(AboutDialog, ShowsTheVersionOkAndTheIconDrawnAtEverySize) {
    initAppResources();
    AboutDialog about;
    EXPECT_EQ(about.objectName(), "100");
    EXPECT_EQ(about.windowTitle(), QStringLiteral("Dorvanix00aのﾊﾞｰｼﾞｮﾝ情報"));
    EXPECT_EQ(aboutMenuText(), QStringLiteral("Dorvanix00a のﾊﾞｰｼﾞｮﾝ情報(&A)..."));
    auto* ok = about.findChild<QPushButton*>("1");
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->text(), "OK");
    const QList<QLabel*> labels = about.findChildren<QLabel*>();
    EXPECT_TRUE(std::any_of(labels.begin(), labels.end(), [](QLabel* label) {
        return label->text() == "Dorvanix Version " DORVANIX_VERSION;
    }));
    auto* iconLabel = about.findChild<QLabel*>("128");
    ASSERT_NE(iconLabel, nullptr);
    EXPECT_FALSE(iconLabel->pixmap().isNull());
    const QIcon icon = appIcon();
    for (const int size : {16, 32, 128}) {
        SCOPED_TRACE(size);
        const QImage image = icon.pixmap(size, size).toImage();
        // Not blank: the core and its branches leave coloured pixels.
        int coloured = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                if (c.alpha() > 0 && (c.red() != c.green() || c.green() != c.blue())) ++coloured;
            }
        }
        EXPECT_GT(coloured, size * size / 20);
    }
}

}  // namespace
}  // namespace dorvanix
