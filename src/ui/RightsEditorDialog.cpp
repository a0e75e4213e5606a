#include "ui/RightsEditorDialog.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "app/Bot.h"
#include "ui/QtFrontEnd.h"

namespace tv {

namespace {

QPushButton* Button(QWidget* parent, const char* name, const char* caption, int y) {
    auto* button = new QPushButton(QString::fromLatin1(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(144, y, 73, 24);
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

}  // namespace

RightsEditorDialog::RightsEditorDialog(const std::string& rightsText, FrontEnd& ui, QWidget* parent)
    : QDialog(parent), model_(rightsText), ui_(ui) {
    setWindowTitle(QStringLiteral("Terrain Rights"));
    setFont(WindowFont());
    setFixedSize(225, 241);
    input_ = new QLineEdit(this);
    input_->setObjectName(QStringLiteral("txtInput"));
    input_->setGeometry(8, 8, 128, 22);
    input_->installEventFilter(this);
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("lbData"));
    list_->setGeometry(8, 35, 128, 198);
    list_->setCursor(Qt::PointingHandCursor);
    connect(list_, &QListWidget::currentRowChanged, this, [this](int row) { model_.Select(row); });
    connect(Button(this, "btnAdd", "&Add", 7), &QPushButton::clicked, this, [this] { Add(); });
    connect(Button(this, "btnRemove", "&Remove", 35), &QPushButton::clicked, this, [this] {
        model_.Remove();
        Render();
    });
    QPushButton* ok = Button(this, "btnOK", "&OK", 181);
    ok->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button(this, "btnCancel", "&Cancel", 209), &QPushButton::clicked, this,
            &QDialog::reject);
    Render();
}

void RightsEditorDialog::Add() {
    if (!model_.Add(FromQt(input_->text()), ui_)) return;
    Render();
    input_->clear();
    input_->setFocus();
}

void RightsEditorDialog::Render() {
    const QSignalBlocker quiet(list_);
    list_->clear();
    for (const std::string& line : model_.Lines()) list_->addItem(ToQt(line));
    list_->setCurrentRow(model_.Selected());
    if (model_.Selected() < 0) list_->clearSelection();
}

bool RightsEditorDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == input_ && event->type() == QEvent::KeyPress) {
        const QString text = static_cast<QKeyEvent*>(event)->text();
        if (!text.isEmpty() &&
            (text[0].unicode() > 255 || !RightsEditorModel::KeyAccepted(text[0].toLatin1()))) {
            QApplication::beep();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

bool ShowRightsEditor(QWidget* parent, FrontEnd& ui, std::string& text) {
    RightsEditorDialog editor(text, ui, parent);
    if (editor.exec() != QDialog::Accepted) return false;
    text = editor.Text();
    return true;
}

}  // namespace tv
