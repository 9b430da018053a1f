#include "controls/vivid_tree.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPainter>
#include <QScrollBar>
#include <QTest>

#include "controls/resource_bitmaps.h"

namespace tq260 {
namespace {

class VividTreeTest : public ::testing::Test {
  protected:
    VividTreeTest() {
        tree.loadPictures();
        tree.backgroundMode = VividTree::Background::Solid;
        tree.resize(295, 160);
    }

    QImage picture() { return tree.viewport()->grab().toImage(); }

    int rowMiddle(QTreeWidgetItem* item) { return tree.visualItemRect(item).center().y(); }

    VividTree tree;
};

TEST_F(VividTreeTest, EmptyTreePaintsOnlyTheBackground) {
    const QImage image = picture();
    for (int y = 0; y < image.height(); y += 7) {
        for (int x = 0; x < image.width(); x += 7) {
            ASSERT_EQ(image.pixel(x, y), QColor(VividTree::kSolidBackground).rgb());
        }
    }
}

TEST_F(VividTreeTest, SelectedItemGetsTheHighlightBarOnlyWhenShown) {
    auto* first = new QTreeWidgetItem(&tree, QStringList("Vol+"));
    new QTreeWidgetItem(&tree, QStringList("Vol-"));
    tree.setCurrentItem(first);
    // Without focus and without show-selection-always it looks like any other item.
    EXPECT_EQ(picture().pixel(1, rowMiddle(first)), QColor(VividTree::kSolidBackground).rgb());
    tree.setShowSelectionAlways(true);
    EXPECT_EQ(picture().pixel(1, rowMiddle(first)), QColor(VividTree::kHighlightBar).rgb());
}

TEST_F(VividTreeTest, ItemsWithChildrenGetTheirExpandPicture) {
    auto* media = new QTreeWidgetItem(&tree, QStringList("Media"));
    new QTreeWidgetItem(media, QStringList("Vol+"));
    auto* plain = new QTreeWidgetItem(&tree, QStringList("Stop"));
    // Also run at twice the density, where the pictures' @2x twins are drawn pixel for pixel.
    const qreal density = tree.devicePixelRatioF();
    const auto pictureArea = [&](QTreeWidgetItem* item) {
        const int textLeft = tree.visualItemRect(item).left() + VividTree::kTextShift;
        const int top = tree.visualItemRect(item).top() + 4;
        const QRect area(textLeft - 9 - 2, top, 9, 9);
        return picture().copy(
            QRectF(QPointF(area.topLeft()) * density, QSizeF(area.size()) * density).toRect());
    };
    const QImage collapsed = pictureArea(media);
    EXPECT_EQ(collapsed,
              resourceBitmap(kCollapsedPicture, density).convertToFormat(collapsed.format()));
    tree.expandItem(media);
    const QImage expanded = pictureArea(media);
    EXPECT_EQ(expanded,
              resourceBitmap(kExpandedPicture, density).convertToFormat(expanded.format()));
    const QImage none = pictureArea(plain);
    EXPECT_EQ(none.pixel(4, 4), QColor(VividTree::kSolidBackground).rgb());
}

TEST_F(VividTreeTest, TheBackgroundPictureIsTiledFromTheTopLeftAtTheScreensDensity) {
    tree.backgroundMode = VividTree::Background::Picture;
    tree.tilePicture = true;
    const qreal density = tree.devicePixelRatioF();
    const QImage tile = resourceBitmap(kPressIcon, density);
    QImage expected(tile.size(), QImage::Format_RGB32);
    expected.setDevicePixelRatio(tile.devicePixelRatio());
    expected.fill(Qt::black);
    QPainter(&expected).drawImage(0, 0, tile);
    const QImage drawn = picture().copy(QRect(QPoint(0, 0), tile.size()));
    EXPECT_EQ(drawn.convertToFormat(QImage::Format_RGB32), expected);
}

TEST_F(VividTreeTest, TextIsWhiteAndShiftedSevenPixels) {
    auto* item = new QTreeWidgetItem(&tree, QStringList("WWWW"));
    const QImage image = picture();
    const QRect row = tree.visualItemRect(item);
    const int textLeft = row.left() + VividTree::kTextShift;
    int white = 0;
    int whiteBeforeText = 0;
    for (int y = row.top(); y <= row.bottom(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            const bool isWhite = c.red() > 200 && c.green() > 200 && c.blue() > 200;
            white += isWhite;
            whiteBeforeText += isWhite && x < textLeft;
        }
    }
    EXPECT_GT(white, 10);
    EXPECT_EQ(whiteBeforeText, 0);
}

TEST_F(VividTreeTest, GradientAndAScrollRangeOfExactly0To100) {
    tree.backgroundMode = VividTree::Background::Gradient;
    const QImage image = picture();
    EXPECT_EQ(image.pixel(0, 0), QColor(VividTree::kGradientStart).rgb());
    tree.verticalScrollBar()->setRange(0, 100);
    EXPECT_EQ(tree.extent().contentHeight, tree.viewport()->height());
    EXPECT_EQ(tree.extent().originY, 0);
}

}  // namespace
}  // namespace tq260
