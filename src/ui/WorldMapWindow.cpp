#include "ui/WorldMapWindow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <iterator>
#include <stdexcept>

#include "app/AwSdk.h"
#include "app/Bot.h"
#include "app/Format.h"
#include "terrain/TerrainStruct.h"
#include "ui/QtFrontEnd.h"
#include "world/SimWorld.h"

namespace tv {

MapView::MapView(Bot& bot, QWidget* parent) : QWidget(parent), bot_(bot) {
    setMouseTracking(true);
    setMinimumSize(200, 150);
    setCursor(Qt::CrossCursor);
}

void MapView::Refresh() {
    view_.size = size();
    if (image_.size() != size()) image_ = QImage(size(), QImage::Format_RGB32);
    PaintMap(image_, view_, bot_);
    update();
}

void MapView::Zoom(bool in, QPointF at) {
    const int* step = std::find(std::begin(kZoomSteps), std::end(kZoomSteps), view_.cellPixels);
    if (step == std::end(kZoomSteps)) step = std::begin(kZoomSteps) + 5;
    if (in && step + 1 != std::end(kZoomSteps)) ++step;
    if (!in && step != std::begin(kZoomSteps)) --step;
    const double cellX = view_.CellXAt(at.x()), cellZ = view_.CellZAt(at.y());
    view_.cellPixels = *step;
    view_.centerX = cellX + (at.x() - width() / 2.0) / view_.cellPixels;
    view_.centerZ = cellZ + (at.y() - height() / 2.0) / view_.cellPixels;
    Refresh();
}

void MapView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(0, 0, image_);
    if (!selected_) return;
    const QPointF centre = view_.ToScreen(selected_->first, selected_->second);
    const double half = view_.cellPixels / 2.0 + 1.5;
    painter.setPen(QPen(Qt::white, 2));
    painter.drawRect(QRectF(centre.x() - half, centre.y() - half, 2 * half, 2 * half));
}

void MapView::resizeEvent(QResizeEvent*) {
    Refresh();
}

void MapView::wheelEvent(QWheelEvent* event) {
    if (event->angleDelta().y() != 0) Zoom(event->angleDelta().y() > 0, event->position());
}

void MapView::mousePressEvent(QMouseEvent* event) {
    pressedAt_ = event->position();
    pressedCenterX_ = view_.centerX;
    pressedCenterZ_ = view_.centerZ;
    dragging_ = false;
}

void MapView::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton) {
        const QPointF moved = event->position() - pressedAt_;
        dragging_ = dragging_ || moved.manhattanLength() > 3;
        if (dragging_) {
            view_.centerX = pressedCenterX_ + moved.x() / view_.cellPixels;
            view_.centerZ = pressedCenterZ_ + moved.y() / view_.cellPixels;
            Refresh();
        }
    }
    int32_t cellX = 0, cellZ = 0;
    view_.CellAt(event->position(), cellX, cellZ);
    if (onPointer) onPointer(ToQt(DescribeCell(bot_, cellX, cellZ)));
}

void MapView::mouseReleaseEvent(QMouseEvent* event) {
    if (dragging_ || event->button() != Qt::LeftButton) return;
    int32_t cellX = 0, cellZ = 0;
    view_.CellAt(event->position(), cellX, cellZ);
    selected_ = std::make_pair(cellX, cellZ);
    update();
    if (onSelect) onSelect();
}

WorldMapWindow::WorldMapWindow(Bot& bot, SimWorld* world, QWidget* parent)
    : QWidget(parent, Qt::Window), bot_(bot), world_(world) {
    setWindowTitle(QStringLiteral("World map"));
    setFont(WindowFont());
    resize(720, 600);
    view_ = new MapView(bot_, this);
    pointer_ = new QLabel(
        QStringLiteral("Wheel: zoom \u00B7 drag: pan \u00B7 click: select a cell"), this);
    pointer_->setObjectName(QStringLiteral("lblPointer"));
    view_->onPointer = [this](const QString& text) { pointer_->setText(text); };
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(view_, 1);
    layout->addWidget(BuildLegend());
    layout->addWidget(pointer_);
    QWidget* hand = BuildHand();
    layout->addWidget(hand);
    hand->setVisible(world_ != nullptr);
    refresh_.setInterval(250);
    connect(&refresh_, &QTimer::timeout, this, [this] {
        if (isVisible()) Refresh();
    });
    refresh_.start();
}

QWidget* WorldMapWindow::BuildLegend() {
    auto* legend = new QWidget(this);
    auto* row = new QHBoxLayout(legend);
    row->setContentsMargins(0, 0, 0, 0);
    auto swatch = [&](QRgb colour, bool striped, const char* text) {
        QPixmap pixmap(14, 14);
        pixmap.fill(QColor(colour));
        if (striped) {
            QPainter painter(&pixmap);
            for (int y = 1; y < 14; y += 2) painter.fillRect(0, y, 14, 1, QColor(0, 0, 0, 150));
        }
        auto* box = new QLabel(legend);
        box->setPixmap(pixmap);
        row->addWidget(box);
        row->addWidget(new QLabel(QString::fromLatin1(text), legend));
        row->addSpacing(6);
    };
    swatch(MapColourOf(MapColour::Unknown), false, "not cached");
    swatch(MapColourOf(MapColour::NoMarker), false, "no marker");
    swatch(TextureColour(0), false, "texture 0");
    swatch(TextureColour(5), false, "texture 5");
    swatch(TextureColour(5), true, "hidden");
    swatch(MapColourOf(MapColour::Hole), false, "hole");
    swatch(MapColourOf(MapColour::Busy), false, "command in flight");
    row->addStretch(1);
    return legend;
}

QWidget* WorldMapWindow::BuildHand() {
    auto* hand = new QWidget(this);
    auto* column = new QVBoxLayout(hand);
    column->setContentsMargins(0, 0, 0, 0);
    auto* row = new QHBoxLayout;
    auto* place = new QPushButton(QStringLiteral("Place visitor"), hand);
    place->setObjectName(QStringLiteral("btnPlace"));
    place->setToolTip(QStringLiteral("Places a simulated visitor on the selected cell"));
    place->setEnabled(false);
    chat_ = new QLineEdit(hand);
    chat_->setObjectName(QStringLiteral("txtChat"));
    chat_->setPlaceholderText(QStringLiteral("Say as the visitor: t:begin, t:seed, t:texture 5"));
    auto* say = new QPushButton(QStringLiteral("Say"), hand);
    row->addWidget(place);
    row->addWidget(chat_, 1);
    row->addWidget(say);
    column->addLayout(row);
    console_ = new QListWidget(hand);
    console_->setObjectName(QStringLiteral("lbConsole"));
    console_->setFixedHeight(84);
    console_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    console_->setWordWrap(true);
    column->addWidget(console_);
    view_->onSelect = [place] { place->setEnabled(true); };
    connect(place, &QPushButton::clicked, this, [this] {
        if (auto cell = view_->Selected()) PlaceVisitor(cell->first, cell->second);
    });
    auto speak = [this] {
        Say(chat_->text());
        chat_->clear();
    };
    connect(say, &QPushButton::clicked, this, speak);
    connect(chat_, &QLineEdit::returnPressed, this, speak);
    return hand;
}

void WorldMapWindow::PlaceVisitor(int32_t cellX, int32_t cellZ) {
    if (!world_) return;
    const int32_t x = CellAnchor(cellX), z = CellAnchor(cellZ);
    int result = 0;
    if (visitorIn_) {
        result = world_->UserMove(kVisitorSession, x, 0, z);
    } else {
        world_->AddCitizen(kVisitorCitizen, "Visitor");
        try {
            world_->SetWorldRight(bot_.options.Login.World, kVisitorCitizen, right::Terrain, true);
        } catch (const std::invalid_argument& error) {
            Console(ToQt(error.what()));
            return;
        }
        result = world_->UserEnter(kVisitorSession, kVisitorCitizen, x, 0, z, std::nullopt,
                                   std::string("Visitor"));
        visitorIn_ = result == 0;
    }
    Console(result == 0 ? ToQt("Visitor is at " + CoordText(x, z))
                        : ToQt(Format("The visitor cannot go there (reason %d)", {result})));
    Refresh();
}

void WorldMapWindow::Say(const QString& text) {
    if (!world_ || text.isEmpty()) return;
    Console(QStringLiteral("Visitor: ") + text);
    const int result = world_->UserChat(kVisitorSession, FromQt(text));
    if (result != 0)
        Console(ToQt(Format("(not heard: reason %d; place the visitor first)", {result})));
}

void WorldMapWindow::Refresh() {
    view_->Refresh();
    if (!world_) return;
    const auto& log = world_->ConsoleLog();
    for (; consoleSeen_ < log.size(); ++consoleSeen_) {
        if (log[consoleSeen_].session != kVisitorSession) continue;
        QString line = ToQt(log[consoleSeen_].text);
        Console(line.replace(QLatin1Char('\t'), QLatin1Char(' ')));
    }
}

void WorldMapWindow::Console(const QString& line) {
    console_->addItem(line);
    console_->scrollToBottom();
}

}  // namespace tv
