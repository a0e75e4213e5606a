#pragma once
// The world map: the terrain cache as a picture (MapPainter), zoomed with the wheel and panned by
// dragging, with the cell and marker under the pointer, a legend, and a refresh at most four
// times a second. On the embedded world it also lends the operator a hand: a simulated visitor
// placed on the selected cell, whose chat lines the operator types and whose replies it shows.

#include <QImage>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <optional>
#include <utility>

#include "ui/MapPainter.h"

class QLabel;
class QLineEdit;
class QListWidget;

namespace tv {

class Bot;
class SimWorld;

class MapView final : public QWidget {
public:
    static constexpr int kZoomSteps[] = {1, 2, 3, 4, 6, 8, 12, 16, 24, 32};

    MapView(Bot& bot, QWidget* parent);
    MapViewport& Viewport() { return view_; }
    const QImage& Image() const { return image_; }
    std::optional<std::pair<int32_t, int32_t>> Selected() const { return selected_; }
    // Paints the picture again from the cache.
    void Refresh();
    // Zooms one step in (or out) keeping the cell under `at` in place.
    void Zoom(bool in, QPointF at);

    std::function<void(const QString&)> onPointer;  // the cell under the pointer, described
    std::function<void()> onSelect;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    Bot& bot_;
    MapViewport view_;
    QImage image_;
    std::optional<std::pair<int32_t, int32_t>> selected_;
    QPointF pressedAt_;
    double pressedCenterX_ = 0, pressedCenterZ_ = 0;
    bool dragging_ = false;
};

class WorldMapWindow final : public QWidget {
public:
    static constexpr int32_t kVisitorSession = 900;
    static constexpr int32_t kVisitorCitizen = 900;

    // Without an embedded world there is no hand.
    WorldMapWindow(Bot& bot, SimWorld* world, QWidget* parent);
    MapView& View() { return *view_; }
    // The hand: the visitor enters on (or moves to) a cell, and says a line.
    void PlaceVisitor(int32_t cellX, int32_t cellZ);
    void Say(const QString& text);
    // The picture and the visitor's console, now.
    void Refresh();

private:
    QWidget* BuildLegend();
    QWidget* BuildHand();
    void Console(const QString& line);

    Bot& bot_;
    SimWorld* world_;
    MapView* view_ = nullptr;
    QLabel* pointer_ = nullptr;
    QLineEdit* chat_ = nullptr;
    QListWidget* console_ = nullptr;
    QTimer refresh_;
    bool visitorIn_ = false;
    std::size_t consoleSeen_ = 0;
};

}  // namespace tv
