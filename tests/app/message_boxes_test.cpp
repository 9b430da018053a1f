// The program's message boxes: its dark look, and Qt's own button texts in Chinese when the
// interface is Chinese.
#include <gmock/gmock.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QTimer>

#include "app/qt_platform.h"
#include "app/qt_translations.h"

namespace tq260 {
namespace {

TEST(MessageBoxes, AChineseInterfaceGetsChineseButtons) {
    EXPECT_EQ(loadQtTranslations(Language::English), nullptr);
    const auto translator = loadQtTranslations(Language::Chinese);
    ASSERT_NE(translator, nullptr) << "Debian's qt6-translations-l10n is not installed";
    ASSERT_TRUE(QCoreApplication::installTranslator(translator.get()));
    const auto box = makeMessageBox(nullptr, u"确认恢复至出厂设置吗？", u"出厂设置", BoxKind::Ask);
    EXPECT_EQ(box->button(QMessageBox::Ok)->text().remove('&'), QStringLiteral("确定"));
    EXPECT_EQ(box->button(QMessageBox::Cancel)->text().remove('&'), QStringLiteral("取消"));
    QCoreApplication::removeTranslator(translator.get());

    const auto english = makeMessageBox(nullptr, u"Confirm?", u"Factory Setting", BoxKind::Ask);
    EXPECT_EQ(english->button(QMessageBox::Ok)->text().remove('&'), QStringLiteral("OK"));
    EXPECT_EQ(makeMessageBox(nullptr, u"Saved", u"Caption", BoxKind::Tell)->buttons().size(), 1);
}

TEST(MessageBoxes, HaveTheProgramsDarkLook) {
    const auto box =
        makeMessageBox(nullptr, u"The keyboard is not answering.", u"TQ260", BoxKind::Warn);
    box->show();
    const QImage picture = box->grab().toImage();
    box->hide();
    ASSERT_FALSE(picture.isNull());
    EXPECT_LT(QColor(picture.pixel(2, 2)).lightness(), 60);
    EXPECT_LT(QColor(picture.pixel(picture.width() - 3, picture.height() - 3)).lightness(), 60);
}

// A failure shows the warning icon; news the information icon.
TEST(MessageBoxes, FailuresShowTheWarningIcon) {
    QtMessageBoxes boxes;
    std::vector<QMessageBox::Icon> icons;
    QTimer answering;
    answering.setInterval(5);
    QObject::connect(&answering, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            icons.push_back(box->icon());
            box->done(QMessageBox::Ok);
        }
    });
    answering.start();
    boxes.warn(u"The keyboard cannot be reached.", u"TQ260");
    boxes.tell(u"Version 1.0", u"About");
    EXPECT_THAT(icons, ::testing::ElementsAre(QMessageBox::Warning, QMessageBox::Information));
}

}  // namespace
}  // namespace tq260
