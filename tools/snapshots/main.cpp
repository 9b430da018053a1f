// Renders the skins and the skinned controls, in both languages, to PNG files for people to
// look at: the main window's skin composed as the program lays it out, each dialog with its
// buttons and lists, the splash screen and each control on its own.
#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QScrollBar>
#include <cstdio>

#include "controls/bit_slider.h"
#include "controls/resource_bitmaps.h"
#include "controls/skin_folder.h"
#include "controls/skin_image.h"
#include "controls/transparent_list_box.h"
#include "controls/vivid_tree.h"
#include "keys/key_picture.h"

using namespace tq260;

namespace {

struct Texts {
    bool chinese;
    QString operator()(const char* english, const char* chinese) const {
        return this->chinese ? QString::fromUtf8(chinese) : QString::fromUtf8(english);
    }
};

void copyRect(QPainter& p, const QImage& from, const KeyRectangle& r) {
    const QRect area(QPoint(r.left, r.top), QPoint(r.right, r.bottom));
    p.drawImage(area.translated(kKeyboardPictureX, kKeyboardPictureY).topLeft(), from, area);
}

// The slider's track as the main window draws it: filled to the thumb, empty after it.
void sliderTrack(QPainter& p, QPoint at, int value, int maximum, const QString& folder) {
    const QImage filled = resourceBitmap(kSliderChannelFilled);
    const QImage empty = resourceBitmap(kSliderChannelEmpty);
    const int x = std::clamp(value * (220 - 15) / std::max(1, maximum), 0, 205);
    p.drawImage(at, filled, QRect(0, 0, x + 7, 17));
    p.drawImage(at + QPoint(x + 7, 0), empty, QRect(x + 7, 0, 220 - x - 7, 17));
    drawSkinImage(p, folder, QStringLiteral("Thumb.png"), at.x() + x, at.y() + 2);
}

QImage mainWindow(const QString& app, Language language) {
    const Texts t{language == Language::Chinese};
    const QString folder = skinFolder(app, SkinWindow::Main, language);
    QImage image = SkinImage::load(folder + "main.png").image();
    QPainter p(&image);
    drawSkinImage(p, folder, "button-help-normal.png", 936, 5);
    drawSkinImage(p, folder, "button-min-normal.png", 957, 5);
    drawSkinImage(p, folder, "button-close-over.png", 978, 5);
    drawSkinImage(p, folder, "logo.png", 19, 32);
    drawSkinImage(p, folder, "kb_BK.png", kKeyboardPictureX, kKeyboardPictureY);
    const QImage lit = SkinImage::load(folder + "kb_hl.png").image();
    for (int key : {1, 63, 64, 65, 66, 98}) copyRect(p, lit, KeyRectangleTable[key]);

    // Every section open.
    const int hL = 200;
    drawSkinImage(p, folder, "itemBK.png", 19, 110);
    drawLabel(p, t("Light", "灯光"), 30, 112, 15);
    drawSkinImage(p, folder, "LEDEffect_open.png", 19, 130);
    drawLabel(p, t("Effect", "效果"), 28, 137, 15);
    drawSkinImage(p, folder, "Light_Item.png", 28, 158);
    drawLabel(p, t("Wave", "波浪"), 28, 158, 14);
    drawLabel(p, t("Direction", "方向"), 29, 177, 15);
    drawSkinImage(p, folder, "Direction-T-Disable.png", 29, 197);
    drawSkinImage(p, folder, "Direction-B-Disable.png", 79, 197);
    drawSkinImage(p, folder, "Direction-R-Enable.png", 129, 197);
    drawSkinImage(p, folder, "Direction-L-Disable.png", 179, 197);
    drawLabel(p, t("Brightness", "亮度"), 28, 217, 13);
    sliderTrack(p, QPoint(28, 231), 35, 50, folder);
    drawLabel(p, t("Dark", "黑"), 28, 244, 13);
    drawLabel(p, t("Bright", "亮"), 230, 244, 13);
    drawLabel(p, t("Speed", "速度"), 28, 265, 13);
    sliderTrack(p, QPoint(28, 279), 6, 9, folder);
    drawLabel(p, t("Slow", "慢"), 28, 292, 13);
    drawLabel(p, t("Fast", "快"), 230, 292, 13);
    const int macroY = hL + 110;
    drawSkinImage(p, folder, "MacroManagementBK.png", 19, macroY + 5);
    drawSkinImage(p, folder, "MacroButton3.png", 19, macroY + 15);
    drawLabel(p, t("Macro Management", "宏管理器"), 21, macroY + 17, 15);
    const int yG = hL + 158;
    drawSkinImage(p, folder, "gamemode_open.png", 19, yG);
    drawLabel(p, t("Game Mode", "游戏模式"), 30, yG + 2, 15);
    drawSkinImage(p, folder, "Enable.png", 27, yG + 33);
    drawSkinImage(p, folder, "Disable.png", 78, yG + 33);
    drawLabel(p, t("ON", "开启"), 51, yG + 31, 15);
    drawLabel(p, t("OFF", "关闭"), 105, yG + 31, 15);
    const int yR = yG + 80;
    drawSkinImage(p, folder, "responsetime_open.png", 19, yR);
    drawLabel(p, t("Response Time", "按键响应时间"), 30, yR + 2, 15);
    drawSkinImage(p, folder, "Light_Item.png", 28, yR + 28);
    drawLabel(p, "14 ms", 100, yR + 28, 15);
    const int yP = yR + 80;
    drawSkinImage(p, folder, "reportrate_Open.png", 19, yP);
    drawLabel(p, t("USB Report Rate", "USB报告率"), 30, yP + 2, 15);
    sliderTrack(p, QPoint(28, yP + 23), 3, 3, folder);
    drawSkinImage(p, folder, "125Hz.png", 31, yP + 45);

    drawSkinImage(p, folder, "button-cancel-normal.png", 800, 605);
    drawSkinImage(p, folder, "button-cancel-over.png", 862, 605);
    drawSkinImage(p, folder, "button-save-normal.png", 924, 605);
    drawSkinImage(p, folder, "Config.png", 17, 603);
    if (!t.chinese) drawLabel(p, "Profile", 45, 610, 16);
    drawLabel(p, t("Return", "恢复"), 810, 612, 16);
    drawLabel(p, t("Cancel", "取消"), 872, 612, 16);
    drawLabel(p, t("Save", "保存"), t.chinese ? 934 : 937, 612, 16);
    return image;
}

QImage helpAndLists(const QString& app, Language language) {
    const Texts t{language == Language::Chinese};
    const QString folder = skinFolder(app, SkinWindow::Main, language);
    QImage image = mainWindow(app, language);
    QPainter p(&image);
    drawSkinImage(p, folder, "HelpWindow.png", 830, 22);
    drawLabel(p, "www.example-maker.com", 850, 25, 15);
    drawLabel(p, t("Update Firmware", "驱动更新"), 850, 50, 15);
    drawLabel(p, "Ver1.0", 850, 75, 15);
    // The effect list open over the lighting section.
    const char* english[] = {
        "Static", "Breathing", "Reactive", "Ripple", "Raindrop", "Wave", "Running water run mode",
        "DIY1",   "DIY2",      "DIY3"};
    const char* chinese[] = {"全亮", "呼吸",     "反应模式",  "涟漪",      "雨滴",
                             "波浪", "流水跑马", "录制图片1", "录制图片2", "录制图片3"};
    for (int row = 0; row < 10; ++row) {
        const QRect r(28, 173 + row * 20, 221, 20);
        p.fillRect(r, row == 5 ? QColor(0x50, 0, 0) : QColor(0x3B, 0x3B, 0x3B));
        drawLabel(p, t(english[row], chinese[row]), 28, r.top(), 18);
    }
    return image;
}

QImage keyAssignment(const QString& app, Language language) {
    const Texts t{language == Language::Chinese};
    const QString folder = skinFolder(app, SkinWindow::KeyAssignment, language);
    QImage image = SkinImage::load(folder + "MainBK.png").image();
    QPainter p(&image);
    drawSkinImage(p, folder, "large_button.png", 0, 31);
    drawSkinImage(p, folder, "large_button.png", 108, 31);
    drawSkinImage(p, folder, "large_button.png", 224, 31);
    drawSkinImage(p, folder, "单键-组合键-功能选项.png", 0, 30);
    drawSkinImage(p, folder, "cursor.png", 4, 54);
    drawSkinImage(p, folder, "button-close-normal.png", 303, 2);
    drawLabel(p, t("Current Key:", "当前按键:") + "A ", 8, 6, 15);
    drawLabel(p, t("Single", "单键"), t.chinese ? 45 : 40, 39, 15);
    drawLabel(p, t("Macro", "宏"), t.chinese ? 160 : 155, 39, 15);
    drawLabel(p, t("Basic", "基本功能"), t.chinese ? 250 : 255, 39, 15);
    drawSkinImage(p, folder, "Disable.png", 19, 251);
    drawLabel(p, t("Disable", "禁用按键"), 34, 249, 15);
    drawSkinImage(p, folder, "button-cancel-normal.png", 156, 246);
    drawSkinImage(p, folder, "button-cancel-over.png", 210, 246);
    drawSkinImage(p, folder, "button-save-normal.png", 264, 246);
    drawLabel(p, t("Default", "初始值"), 158, 248, 15);
    drawLabel(p, t("Cancel", "取消"), t.chinese ? 218 : 214, 248, 15);
    drawLabel(p, t("Save", "保存"), 272, 248, 15);
    // The function page's tree in place.
    VividTree tree;
    tree.loadPictures();
    tree.backgroundMode = VividTree::Background::Solid;
    tree.setShowSelectionAlways(true);
    tree.resize(295, 160);
    const char* english[] = {"Media Player", "Prev", "Next", "Play/Pause",
                             "Stop",         "Vol+", "Vol-", "Mute"};
    const char* chinese[] = {"多媒体播放器", "上一曲", "下一曲", "暂停-播放",
                             "停止",         "音量+",  "音量-",  "静音"};
    for (int i = 0; i < 8; ++i) new QTreeWidgetItem(&tree, QStringList(t(english[i], chinese[i])));
    tree.setCurrentItem(tree.topLevelItem(5));
    p.drawImage(10, 60, tree.grab().toImage());
    return image;
}

QImage macroManager(const QString& app, Language language) {
    const Texts t{language == Language::Chinese};
    const QString folder = skinFolder(app, SkinWindow::MacroManager, language);
    QImage image = SkinImage::load(folder + "MacroManagement.png").image();
    QPainter p(&image);
    drawLabel(p, t("Macro Manager", "宏管理器"), 16, 9, 18);
    drawLabel(p, t("Select Macro", "选择宏"), 39, 60, 15);
    drawLabel(p, t("Keystrobe Sequence", "按键系列"), 151, 60, 15);
    drawLabel(p, t("Options", "录制选项"), 311, 60, 15);
    drawSkinImage(p, folder, "Record-over.png", 290, 100);
    drawLabel(p, t("Start Recording", "开始录制"), t.chinese ? 310 : 291, 103, 15);
    drawSkinImage(p, folder, "PaneMakingTick.png", 368, 168);
    drawSkinImage(p, folder, "Pane.png", 296, 315);
    if (t.chinese) {
        drawLabel(p, "记录按键动作", 290, 168, 15);
        drawLabel(p, "间的延迟", 290, 184, 15);
    } else {
        drawLabel(p, "Record Delay", 290, 153, 15);
        drawLabel(p, "between", 290, 168, 15);
        drawLabel(p, "keystrokes", 290, 183, 15);
    }
    drawLabel(p, t("Number of Loops", "循环次数"), 295, 300, 15);
    drawLabel(p, "1", 300, 332, 15);
    drawSkinImage(p, folder, "button-new-normal.png", 20, 368);
    drawSkinImage(p, folder, "button-new-over.png", 80, 368);
    drawSkinImage(p, folder, "button-new-normal.png", 280, 400);
    drawSkinImage(p, folder, "button-new-normal.png", 340, 400);
    drawLabel(p, t("New", "新建"), 35, 372, 15);
    drawLabel(p, t("Delete", "删除"), t.chinese ? 95 : 92, 372, 15);
    drawLabel(p, t("OK", "确定"), 300, 404, 15);
    drawLabel(p, t("Cancel", "取消"), 352, 404, 15);

    const auto list = [&](int x, int mode, const QStringList& rows, int selected) {
        CTransparentListBox box;
        box.listMode = mode;
        box.configure(16, "Arial", Qt::white, QColor(0, 255, 255), true, 2, Qt::black);
        box.resize(113, 275);
        for (const QString& row : rows) box.addRow(row);
        box.setCurrentRow(selected);
        p.drawImage(x, 80, box.grab().toImage());
    };
    list(20, CTransparentListBox::PlainRows, {"Combo", "Reload", "Sprint"}, 0);
    list(150, CTransparentListBox::EventRows,
         {"A  dn", "5 ms", "A  up", "B  dn", "200 ms", "B  up"}, 4);
    return image;
}

// The profile dialog's own painting, which its list shows through.
class ProfileDialogStandIn final : public QWidget {
  public:
    ProfileDialogStandIn(const QString& folder, Language language)
        : folder_(folder), chinese_(language == Language::Chinese) {
        resize(SkinImage::load(folder_ + "Config.png").size());
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        const Texts t{chinese_};
        QImage image = SkinImage::load(folder_ + "Config.png").image();
        QPainter p(&image);
        drawLabel(p, t("Profile", "配置"), 10, 10, 15);
        drawSkinImage(p, folder_, "button-close-normal.png", 247, 10);
        drawSkinImage(p, folder_, "New.png", 13, 575);
        drawLabel(p, t("New", "新建"), 30, 578, 16);
        drawSkinImage(p, folder_, "Delete.png", 183, 575);
        drawLabel(p, t("Delete", "删除"), 200, 578, 16);
        p.end();
        QPainter(this).drawImage(0, 0, image);
    }

  private:
    QString folder_;
    bool chinese_;
};

QImage profiles(const QString& app, Language language) {
    ProfileDialogStandIn dialog(skinFolder(app, SkinWindow::Profiles, language), language);
    auto* box = new CTransparentListBox(&dialog);
    box->listMode = CTransparentListBox::RenameRows;
    box->setSorted(true);
    // 0xFFFF00 as the platform writes colours (blue, green, red) is cyan.
    box->configure(15, "Arial", Qt::white, QColor(0x00, 0xFF, 0xFF), true, 2, Qt::black);
    box->setGeometry(1, 34, 260, 540);
    for (const char* name : {"Raid night", "Default", "Office", "Arena"}) box->addRow(name);
    box->setCurrentRow(1);
    return dialog.grab().toImage();
}

QImage controlsSheet(const QString& app, Language language) {
    QImage sheet(520, 380, QImage::Format_RGB32);
    sheet.fill(QColor(0x0b, 0x0d, 0x12));
    QPainter p(&sheet);
    const QString folder = skinFolder(app, SkinWindow::Main, language);
    drawLabel(p, "CBitSlider track (brightness 0, 25, 50)", 10, 8, 13);
    for (int i = 0; i < 3; ++i) sliderTrack(p, QPoint(10, 28 + i * 24), i * 25, 50, folder);
    drawLabel(p, "VividTree: solid, highlighted, expandable", 260, 8, 13);
    VividTree tree;
    tree.loadPictures();
    tree.backgroundMode = VividTree::Background::Solid;
    tree.setShowSelectionAlways(true);
    tree.resize(240, 120);
    auto* media = new QTreeWidgetItem(&tree, QStringList("Media"));
    for (const char* name : {"Vol+", "Vol-", "Mute"}) new QTreeWidgetItem(media, QStringList(name));
    new QTreeWidgetItem(&tree, QStringList("Shortcut"));
    tree.expandItem(media);
    tree.setCurrentItem(media->child(1));
    p.drawImage(260, 28, tree.grab().toImage());
    drawLabel(p, "CTransparentListBox: event rows, disabled list", 10, 160, 13);
    CTransparentListBox events;
    events.listMode = CTransparentListBox::EventRows;
    events.configure(16, "Arial", Qt::white, QColor(0, 255, 255), true, 2, Qt::black);
    events.resize(113, 180);
    for (const char* row : {"Q  dn", "80 ms", "Q  up", "E  dn", "E  up"}) events.addRow(row);
    events.setCurrentRow(1);
    p.drawImage(10, 180, events.grab().toImage());
    CTransparentListBox disabled;
    disabled.configure(16, "Arial", Qt::white, QColor(0, 255, 255), true, 2, Qt::black);
    disabled.resize(113, 180);
    for (const char* row : {"Combo", "Reload"}) disabled.addRow(row);
    disabled.setEnabled(false);
    p.drawImage(140, 180, disabled.grab().toImage());
    return sheet;
}

void write(const QImage& image, const QString& path) {
    if (!image.save(path)) std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    std::printf("%s\n", qPrintable(path));
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: tq260_snapshots <application folder> <output folder>\n");
        return 2;
    }
    const QString app = QString::fromLocal8Bit(argv[1]);
    const QString out = QDir(QString::fromLocal8Bit(argv[2])).absolutePath() + "/";
    QDir().mkpath(out);
    for (const Language language : {Language::English, Language::Chinese}) {
        const QString suffix = language == Language::Chinese ? "-chinese.png" : "-english.png";
        write(mainWindow(app, language), out + "main-window" + suffix);
        write(helpAndLists(app, language), out + "main-window-menus" + suffix);
        write(keyAssignment(app, language), out + "key-assignment" + suffix);
        write(macroManager(app, language), out + "macro-manager" + suffix);
        write(profiles(app, language), out + "profiles" + suffix);
        write(SkinImage::load(splashScreenPath(app, language)).image(), out + "splash" + suffix);
        write(controlsSheet(app, language), out + "controls" + suffix);
    }
    return 0;
}
