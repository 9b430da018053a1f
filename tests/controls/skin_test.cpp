#include <gmock/gmock.h>

#include <QApplication>
#include <QFileInfo>
#include <QFontMetrics>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

#include "controls/bitmap_strip.h"
#include "controls/button_image_set.h"
#include "controls/edit_helper.h"
#include "controls/resource_bitmaps.h"
#include "controls/skin_folder.h"
#include "controls/skin_image.h"
#include "controls/skin_image_cache.h"
#include "controls/splash_screen.h"
#include "message_recorder.h"

namespace tq260 {
namespace {

using ::testing::ElementsAre;
using testing::MessageRecorder;
using testing::ReceivedMessage;

TEST(SkinImage, MissingOrUndecodableFilesGiveAnEmptyImage) {
    QTemporaryDir folder;
    EXPECT_TRUE(SkinImage::load(folder.filePath("absent.png")).isEmpty());
    QFile broken(folder.filePath("broken.png"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("not a picture");
    broken.close();
    const SkinImage image = SkinImage::load(broken.fileName());
    EXPECT_TRUE(image.isEmpty());
    EXPECT_EQ(image.size(), QSize(0, 0));

    QImage canvas(10, 10, QImage::Format_RGB32);
    canvas.fill(Qt::red);
    QPainter p(&canvas);
    drawSkinImage(p, folder.path() + "/", "absent.png", 0, 0);  // draws nothing, no error
    p.end();
    EXPECT_EQ(canvas.pixel(5, 5), qRgb(255, 0, 0));
}

TEST(SkinImage, TransparentPixelsAreDrawnWithTheirOwnColour) {
    QTemporaryDir folder;
    QImage source(4, 1, QImage::Format_ARGB32);
    source.setPixel(0, 0, qRgba(10, 20, 30, 0));
    source.setPixel(1, 0, qRgba(200, 100, 50, 128));
    source.setPixel(2, 0, qRgba(1, 2, 3, 255));
    source.setPixel(3, 0, qRgba(250, 250, 250, 0));
    const QString path = folder.filePath("alpha.png");
    ASSERT_TRUE(source.save(path));

    QImage canvas(6, 3, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    QPainter p(&canvas);
    SkinImage::load(path).draw(p, 1, 1);
    p.end();
    EXPECT_EQ(canvas.pixel(1, 1), qRgb(10, 20, 30));  // nothing shows through
    EXPECT_EQ(canvas.pixel(2, 1), qRgb(200, 100, 50));
    EXPECT_EQ(canvas.pixel(3, 1), qRgb(1, 2, 3));
    EXPECT_EQ(canvas.pixel(4, 1), qRgb(250, 250, 250));
    EXPECT_EQ(canvas.pixel(0, 0), qRgb(255, 255, 255));
}

TEST(SkinImage, LabelsAreWhiteOnATransparentBackground) {
    QImage canvas(80, 30, QImage::Format_RGB32);
    canvas.fill(QColor(0x35, 0x35, 0x35));
    QPainter p(&canvas);
    drawLabel(p, "Save", 5, 5, 16);
    p.end();
    int white = 0;
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 80; ++x) white += QColor(canvas.pixel(x, y)).lightness() > 200;
    }
    EXPECT_GT(white, 10);
    EXPECT_EQ(canvas.pixel(79, 29), qRgb(0x35, 0x35, 0x35));
    EXPECT_EQ(canvas.pixel(2, 2), qRgb(0x35, 0x35, 0x35));  // nothing above or left of (5, 5)
}

// A label height is the character cell, ascent plus descent, not the em size: the largest
// font whose cell fits, in both languages' faces.
TEST(SkinImage, ALabelsHeightIsItsCharacterCell) {
    for (int height : {9, 13, 14, 15, 16, 18}) {
        QFont font = labelFont(height);
        EXPECT_LE(QFontMetrics(font).height(), height) << height;
        font.setPixelSize(font.pixelSize() + 1);
        EXPECT_GT(QFontMetrics(font).height(), height) << height;
        EXPECT_LT(labelFont(height).pixelSize(), height) << height;
    }
}

TEST(SkinImageCache, DecodesOnceAndAgainWhenTheFileChanges) {
    QTemporaryDir folder;
    const QString path = folder.filePath("button.png");
    SkinImageCache cache;
    EXPECT_TRUE(cache.image(path).isEmpty());

    QImage small(4, 4, QImage::Format_RGB32);
    small.fill(Qt::red);
    ASSERT_TRUE(small.save(path));
    EXPECT_EQ(cache.image(path).size(), QSize(4, 4));  // a file that appears is noticed
    const QImage* first = &cache.image(path).image();
    EXPECT_EQ(&cache.image(path).image(), first);  // kept, not decoded again

    QImage larger(8, 6, QImage::Format_RGB32);
    larger.fill(Qt::green);
    ASSERT_TRUE(larger.save(path));
    EXPECT_EQ(cache.image(path).size(), QSize(8, 6));
    QImage canvas(8, 6, QImage::Format_RGB32);
    QPainter p(&canvas);
    cache.draw(p, folder.path() + "/", "button.png", 0, 0);
    p.end();
    EXPECT_EQ(canvas.pixel(7, 5), qRgb(0, 255, 0));

    QFile::remove(path);
    EXPECT_TRUE(cache.image(path).isEmpty());
}

// A skin picture replaced by another of the same size, in pixels and in bytes: only its
// time tells it apart, and the new picture is what shows.
TEST(SkinImageCache, AReplacedImageOfTheSameSizeShowsTheNewPicture) {
    QTemporaryDir folder;
    const QString path = folder.filePath("button.png");
    const auto writeFilled = [&](QColor colour, const QDateTime& time) {
        QImage picture(4, 4, QImage::Format_RGB32);
        picture.fill(colour);
        ASSERT_TRUE(picture.save(path, "PNG", 100));  // stored, not compressed
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(time, QFileDevice::FileModificationTime));
    };
    const QDateTime first = QDateTime::currentDateTime().addSecs(-60);
    SkinImageCache cache;
    ASSERT_NO_FATAL_FAILURE(writeFilled(Qt::red, first));
    const qint64 bytes = QFileInfo(path).size();
    EXPECT_EQ(cache.image(path).image().pixel(1, 1), qRgb(255, 0, 0));

    ASSERT_NO_FATAL_FAILURE(writeFilled(Qt::blue, first.addSecs(1)));
    ASSERT_EQ(QFileInfo(path).size(), bytes) << "the two pictures must match in size";
    EXPECT_EQ(cache.image(path).image().pixel(1, 1), qRgb(0, 0, 255));
}

// On a dense screen the @2x twin is drawn, in the same logical place and size, with all of
// its pixels; a file without a twin is drawn as it is.
TEST(SkinImageCache, ADenseScreenGetsTheTwinWithTwiceThePixels) {
    QTemporaryDir folder;
    const auto write = [&](const QString& name, int side, QColor colour) {
        QImage picture(side, side, QImage::Format_RGB32);
        picture.fill(colour);
        ASSERT_TRUE(picture.save(folder.filePath(name)));
    };
    write("button.png", 4, Qt::red);
    write("button@2x.png", 8, Qt::green);
    write("plain.png", 4, Qt::blue);
    SkinImageCache cache;
    const QString path = folder.filePath("button.png");
    EXPECT_EQ(cache.image(path).image().size(), QSize(4, 4));
    cache.setDevicePixelRatio(1.5);
    EXPECT_EQ(cache.image(path).size(), QSize(4, 4));
    EXPECT_EQ(cache.image(path).image().size(), QSize(8, 8));

    QImage canvas(20, 20, QImage::Format_RGB32);
    canvas.setDevicePixelRatio(2);
    canvas.fill(Qt::black);
    QPainter p(&canvas);
    cache.draw(p, folder.path() + "/", "button.png", 2, 2);
    cache.draw(p, folder.path() + "/", "plain.png", 6, 2);
    p.end();
    EXPECT_EQ(canvas.pixel(4, 4), qRgb(0, 255, 0));    // logical (2, 2): the twin
    EXPECT_EQ(canvas.pixel(11, 11), qRgb(0, 255, 0));  // its last pixel, at logical 5
    EXPECT_EQ(canvas.pixel(12, 4), qRgb(0, 0, 255));   // logical 6: the plain file, scaled
    EXPECT_EQ(canvas.pixel(19, 11), qRgb(0, 0, 255));
}

TEST(SkinFolder, ChosenByWindowAndLanguage) {
    EXPECT_EQ(skinFolder("/opt/tq", SkinWindow::Main, Language::English), "/opt/tq/png/english/");
    EXPECT_EQ(skinFolder("/opt/tq/", SkinWindow::KeyAssignment, Language::Chinese),
              "/opt/tq/png/chinese/Custom/");
    EXPECT_EQ(skinFolder("/opt/tq", SkinWindow::MacroManager, Language::English),
              "/opt/tq/png/english/MacroManagement/");
    EXPECT_EQ(skinFolder("/opt/tq", SkinWindow::Profiles, Language::Chinese),
              "/opt/tq/png/chinese/Config/");
    EXPECT_EQ(splashScreenPath("/opt/tq", Language::Chinese),
              "/opt/tq/png/chinese/SplashScreen.png");
}

TEST(ButtonImageSets, SetITakesRectangleIAndNameSlots3iTo3iPlus2) {
    const ButtonRect rects[] = {{290, 100, 379, 124}, {0, 0, 0, 0}};
    const ButtonNameSlot names[] = {nameSlot(u"Record-normal.png"), nameSlot(u"Record-over.png"),
                                    nameSlot(u"Record-leave.png"),  nameSlot(u"large_button.png"),
                                    nameSlot(u"large_button.png"),  nameSlot(u"")};
    const auto sets = buildButtonImageSets(rects, names);
    ASSERT_EQ(sets.size(), 2U);
    EXPECT_EQ(sets[0].rect, QRect(QPoint(290, 100), QPoint(379, 124)));
    EXPECT_EQ(sets[0].normal, "Record-normal.png");
    EXPECT_EQ(sets[0].over, "Record-over.png");
    EXPECT_EQ(sets[0].leave, "Record-leave.png");
    EXPECT_EQ(sets[0].state, 0);
    EXPECT_TRUE(sets[0].hit(QPoint(379, 124)));  // edges count
    EXPECT_FALSE(sets[0].hit(QPoint(380, 124)));
    EXPECT_FALSE(sets[1].hit(QPoint(0, 0)));  // the empty rectangle is never hit
    EXPECT_EQ(sets[1].leave, "");
}

TEST(ButtonImageSets, ChineseNamesSurviveTheSlots) {
    const ButtonRect rects[] = {{28, 158, 248, 173}};
    const ButtonNameSlot names[] = {nameSlot(u"灯光选项条.png"), nameSlot(u"灯光模式选中.png"),
                                    nameSlot(u"灯光选项条.png")};
    EXPECT_EQ(buildButtonImageSets(rects, names)[0].over, QString::fromUtf8("灯光模式选中.png"));
}

TEST(BitmapStrip, FramesSideBySideOrStacked) {
    QImage wide(60, 10, QImage::Format_RGB32);
    wide.fill(Qt::black);
    wide.setPixel(25, 5, qRgb(255, 0, 0));
    BitmapStrip strip(wide, 20, 10);
    EXPECT_FALSE(strip.isVertical());
    EXPECT_EQ(strip.frameCount(), 3);
    QImage target(20, 10, QImage::Format_RGB32);
    target.fill(Qt::white);
    QPainter p(&target);
    strip.draw(p, 1);
    strip.draw(p, 3);  // beyond the frames: nothing
    p.end();
    EXPECT_EQ(target.pixel(5, 5), qRgb(255, 0, 0));

    QImage tall(10, 45, QImage::Format_RGB32);
    const BitmapStrip stacked(tall, 0, 20);
    EXPECT_TRUE(stacked.isVertical());
    EXPECT_EQ(stacked.frameCount(), 2);
    EXPECT_EQ(stacked.frameRect(1), QRect(0, 20, 10, 20));

    // A dense strip: the same logical frames, each device pixel copied to its own place.
    QImage dense(120, 20, QImage::Format_RGB32);
    dense.setDevicePixelRatio(2);
    dense.fill(Qt::black);
    dense.setPixel(51, 11, qRgb(0, 255, 0));  // frame 1, logical (5.5, 5.5)
    BitmapStrip denseStrip(dense, 20, 10);
    EXPECT_EQ(denseStrip.frameCount(), 3);
    EXPECT_EQ(denseStrip.bitmapSize(), QSize(60, 10));
    QImage denseTarget(40, 20, QImage::Format_RGB32);
    denseTarget.setDevicePixelRatio(2);
    denseTarget.fill(Qt::white);
    QPainter dp(&denseTarget);
    denseStrip.draw(dp, 1);
    dp.end();
    EXPECT_EQ(denseTarget.pixel(11, 11), qRgb(0, 255, 0));
    EXPECT_EQ(denseTarget.pixel(39, 19), qRgb(0, 0, 0));  // the frame fills the target
}

TEST(ResourceBitmaps, EveryPictureHasTheSizeItsControlNeedsAndATwiceAsDenseTwin) {
    const struct {
        int id;
        QSize size;
    } pictures[] = {
        {kSliderChannelEmpty, {220, 17}}, {kSliderChannelFilled, {220, 17}},
        {kSliderThumb, {15, 14}},         {kPressIcon, {10, 14}},
        {kReleaseIcon, {10, 14}},         {kDelayIcon, {14, 14}},
        {kCollapsedPicture, {9, 9}},      {kExpandedPicture, {9, 9}},
        {kListBackground, {127, 305}},    {kApplicationIcon, {64, 64}},
    };
    for (const auto& picture : pictures) {
        SCOPED_TRACE(picture.id);
        EXPECT_EQ(resourceBitmap(picture.id).size(), picture.size);
        // 1.5 takes the twin too: scaled down it is sharper than the plain one scaled up.
        for (const qreal density : {1.5, 2.0}) {
            const QImage dense = resourceBitmap(picture.id, density);
            EXPECT_EQ(dense.size(), picture.size * 2);
            EXPECT_EQ(dense.deviceIndependentSize().toSize(), picture.size);
        }
    }
    EXPECT_TRUE(resourceBitmap(999).isNull());
    EXPECT_TRUE(resourceBitmap(999, 2).isNull());
}

TEST(EditHelper, EnterAndFocusLossCommitEscapeCancelsOnRelease) {
    MessageRecorder list;
    CEditHelper editor(&list, &list);
    list.show();
    QApplication::setActiveWindow(&list);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&list));
    editor.setFocus();
    QTest::keyPress(&editor, Qt::Key_Return);
    EXPECT_TRUE(list.received.empty());  // nothing until the key goes up
    QTest::keyRelease(&editor, Qt::Key_Return);
    QTest::keyRelease(&editor, Qt::Key_Escape);
    QTest::keyRelease(&editor, Qt::Key_A);
    EXPECT_THAT(list.received, ElementsAre(ReceivedMessage{WM_INPLACE_EDIT_END, 1, 0},
                                           ReceivedMessage{WM_INPLACE_EDIT_END, 0, 0}));
    list.received.clear();
    list.setFocus();
    editor.clearFocus();
    QApplication::processEvents();
    EXPECT_THAT(list.received, ElementsAre(ReceivedMessage{WM_INPLACE_EDIT_END, 1, 0}));
}

TEST(SplashScreen, ClosesOnThe52ndTickAndNeverResetsItsCounter) {
    QTemporaryDir folder;
    CSplashScreen splash(folder.path(), Language::English);
    splash.show();
    for (int tick = 1; tick <= 51; ++tick) {
        splash.tick();
        ASSERT_TRUE(splash.isVisible()) << "closed on tick " << tick;
    }
    splash.tick();
    EXPECT_FALSE(splash.isVisible());
    EXPECT_EQ(splash.result(), QDialog::Accepted);
    // A missing picture gives a 0 x 0 dialog.
    EXPECT_EQ(splash.size(), QSize(0, 0));

    splash.show();
    splash.tick();  // the counter is already past 50
    EXPECT_FALSE(splash.isVisible());
}

TEST(SplashScreen, PictureOfTheLanguageSetsTheSize) {
    QTemporaryDir folder;
    QDir().mkpath(folder.filePath("png/chinese"));
    QImage picture(120, 60, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    ASSERT_TRUE(picture.save(folder.filePath("png/chinese/SplashScreen.png")));
    CSplashScreen chinese(folder.path(), Language::Chinese);
    chinese.show();
    EXPECT_EQ(chinese.size(), QSize(120, 60));
    EXPECT_EQ(chinese.grab().toImage().pixel(60, 30), qRgb(0, 0, 255));
    CSplashScreen english(folder.path(), Language::English);
    english.show();
    EXPECT_EQ(english.size(), QSize(0, 0));
}

}  // namespace
}  // namespace tq260
