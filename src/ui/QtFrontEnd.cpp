#include "ui/QtFrontEnd.h"

#include <QApplication>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>

#include "config/Cp1252.h"

namespace tv {

void QtFrontEnd::ShowError(const std::string& message) {
    QMessageBox::critical(QApplication::activeWindow(), QApplication::applicationName(),
                          ToQt(message));
}

void QtFrontEnd::ShowInformation(const std::string& message) {
    QMessageBox::information(QApplication::activeWindow(), QApplication::applicationName(),
                             ToQt(message));
}

bool QtFrontEnd::ConfirmYesNo(const std::string& message) {
    return QMessageBox::question(QApplication::activeWindow(), QApplication::applicationName(),
                                 ToQt(message), QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

void QtFrontEnd::ProcessPendingMessages() {
    QApplication::processEvents();
}

QString ToQt(const std::string& text) {
    return QString::fromStdString(Cp1252ToUtf8(text));
}

std::string FromQt(const QString& text) {
    return Utf8ToCp1252(text.toStdString());
}

QFont WindowFont() {
    QFont font(QStringLiteral("Microsoft Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    return font;
}

QIcon ProgramIcon() {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor tiles[] = {QColor(86, 150, 70), QColor(196, 170, 102), QColor(70, 120, 180),
                            QColor(120, 176, 88)};
    for (int i = 0; i < 4; ++i)
        painter.fillRect(2 + (i % 2) * 14, 2 + (i / 2) * 14, 13, 13, tiles[i]);
    painter.setPen(QPen(QColor(40, 40, 40), 2));
    painter.drawRect(QRectF(1, 1, 29, 29));
    return QIcon(pixmap);
}

}  // namespace tv
