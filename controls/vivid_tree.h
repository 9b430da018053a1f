#pragma once

#include <QColor>
#include <QImage>
#include <QTreeWidget>

namespace tq260 {

// A tree that paints itself to fit the dark skins: a background (picture, gradient or solid
// colour), a highlight bar for the selected item, expand pictures for items with children
// and white item texts. Items, selection, expansion, keys and scrolling stay the tree's own.
class VividTree final : public QTreeWidget {
  public:
    enum class Background { Picture = 0, Gradient = 1, Solid = 2 };

    static constexpr QRgb kSolidBackground = 0x1E1E1E;
    static constexpr QRgb kHighlightBar = 0x2F2E66;
    static constexpr QRgb kGradientStart = 0xFFFFFF;
    static constexpr QRgb kGradientEnd = 0xE0D5D5;
    static constexpr int kTextShift = 7;

    explicit VividTree(QWidget* parent = nullptr);

    // Loads the background picture (131) and the collapsed and expanded pictures (133, 134).
    void loadPictures();
    Background backgroundMode = Background::Gradient;
    bool horizontalGradient = false;
    bool tilePicture = false;
    // Draw the selection even while the tree does not have the focus.
    void setShowSelectionAlways(bool always) { showSelectionAlways_ = always; }

    // Where the scrolled content lies and how far the background has to reach.
    struct Extent {
        int originX;
        int originY;
        int contentWidth;
        int contentHeight;
    };
    Extent extent() const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void paintBackground(QPainter& painter, const Extent& e) const;
    QRect textRect(QTreeWidgetItem* item) const;

    QImage backgroundPicture_;
    QImage collapsedPicture_;
    QImage expandedPicture_;
    // The density the pictures were loaded for; 0 before loadPictures().
    qreal picturesDensity_ = 0;
    bool showSelectionAlways_ = false;
};

}  // namespace tq260
