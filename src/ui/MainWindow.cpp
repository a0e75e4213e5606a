#include "ui/MainWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFileDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTableWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <algorithm>

#include "app/Bot.h"
#include "app/ConfigForm.h"
#include "app/Connection.h"
#include "ui/AboutBox.h"
#include "ui/ConfigDialog.h"
#include "ui/JournalWindow.h"
#include "ui/QtFrontEnd.h"
#include "ui/WorldMapWindow.h"

namespace tv {

namespace {

constexpr const char* kStatCaptions[OperatorModel::kStatRows] = {
    "World:",   "Connection:", "Cells cached:", "Commands:",    "World cached:",
    "Markers:", "Users:",      "Sessions:",     "World cells:", "Traffic:"};

QPushButton* Button(QWidget* parent, const char* name, const char* caption, int y) {
    auto* button = new QPushButton(QString::fromLatin1(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(312, y, 84, 24);
    return button;
}

}  // namespace

MainWindow::MainWindow(Bot& bot, SimWorld* world) : bot_(bot), world_(world) {
    setFont(WindowFont());
    setWindowIcon(ProgramIcon());
    setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(638, 457);
    setStyleSheet(QStringLiteral("QGroupBox { font-weight: bold; }"));
    BuildEventLog();
    BuildStatus();
    tray_ = new QSystemTrayIcon(ProgramIcon(), this);
    connect(tray_, &QSystemTrayIcon::activated, this, [this] { RestoreFromTray(); });
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, [this] { OnTimer(); });
    chooseLogFile = [this](const QString& folder) {
        return QFileDialog::getSaveFileName(
            this, QString(), folder, QStringLiteral("Text files (*.txt *.log);;All files (*)"));
    };
    if (const QScreen* screen = QApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    bot_.model.SetObserver(this);
    RenderAll();
}

MainWindow::~MainWindow() {
    bot_.model.SetObserver(nullptr);
}

void MainWindow::BuildEventLog() {
    auto* group = new QGroupBox(QStringLiteral("Event Log"), this);
    group->setGeometry(4, 2, 630, 225);
    chkLogToFile_ = new QCheckBox(QStringLiteral("Log To File:"), group);
    chkLogToFile_->setObjectName(QStringLiteral("chkLogToFile"));
    chkLogToFile_->setGeometry(10, 20, 90, 20);
    txtLogFile_ = new QLineEdit(group);
    txtLogFile_->setObjectName(QStringLiteral("txtLogFile"));
    txtLogFile_->setReadOnly(true);
    txtLogFile_->setGeometry(102, 19, 490, 22);
    btnLogFile_ = new QToolButton(group);
    btnLogFile_->setObjectName(QStringLiteral("btnLogFile"));
    btnLogFile_->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    btnLogFile_->setGeometry(596, 18, 26, 24);
    connect(chkLogToFile_, &QCheckBox::clicked, this, [this] { LogToFileClick(); });
    connect(btnLogFile_, &QToolButton::clicked, this, [this] { LogFileClick(); });

    lvActivityLog_ = new QTreeWidget(group);
    lvActivityLog_->setObjectName(QStringLiteral("lvActivityLog"));
    lvActivityLog_->setGeometry(8, 48, 614, 169);
    lvActivityLog_->setHeaderLabels({QStringLiteral("Date/Time"), QStringLiteral("Privilege"),
                                     QStringLiteral("Name"), QStringLiteral("Message")});
    lvActivityLog_->setRootIsDecorated(false);
    lvActivityLog_->setUniformRowHeights(true);
    lvActivityLog_->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvActivityLog_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvActivityLog_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    lvActivityLog_->header()->setSectionsClickable(false);
    lvActivityLog_->header()->setSectionsMovable(false);
    // The named widths, the first two widened where the font needs it, at the name's expense.
    const QFontMetrics metrics(font());
    const int dateTime =
        std::max(130, metrics.horizontalAdvance(QStringLiteral("0000-00-00 00:00:00")) + 28);
    const int privilege = std::max(55, metrics.horizontalAdvance(QStringLiteral("Privilege")) + 16);
    int column = 0;
    for (int width : {dateTime, privilege, 220 - (dateTime - 130) - (privilege - 55), 197})
        lvActivityLog_->setColumnWidth(column++, width);
}

void MainWindow::BuildStatus() {
    auto* group = new QGroupBox(QStringLiteral("Status"), this);
    group->setGeometry(4, 229, 630, 226);
    lblStatus_ = new QLabel(group);
    lblStatus_->setObjectName(QStringLiteral("lblStatus"));
    lblStatus_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    lblStatus_->setIndent(4);
    lblStatus_->setGeometry(8, 20, 296, 20);

    lvStats_ = new QTableWidget(OperatorModel::kStatRows, 2, group);
    lvStats_->setObjectName(QStringLiteral("lvStats"));
    lvStats_->setGeometry(8, 44, 296, 172);
    lvStats_->horizontalHeader()->hide();
    lvStats_->verticalHeader()->hide();
    lvStats_->verticalHeader()->setMinimumSectionSize(10);
    lvStats_->verticalHeader()->setDefaultSectionSize(17);
    lvStats_->setColumnWidth(0, 107);
    lvStats_->horizontalHeader()->setStretchLastSection(true);
    lvStats_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvStats_->setSelectionMode(QAbstractItemView::NoSelection);
    lvStats_->setFocusPolicy(Qt::NoFocus);
    lvStats_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    lvStats_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    for (int row = 0; row < OperatorModel::kStatRows; ++row) {
        lvStats_->setItem(row, 0, new QTableWidgetItem(QString::fromLatin1(kStatCaptions[row])));
        auto* value = new QTableWidgetItem;
        value->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        lvStats_->setItem(row, 1, value);
    }

    btnCtrl_ = Button(group, "btnCtrl", "&Login", 20);
    auto* close = Button(group, "btnClose", "&Close", 48);
    auto* config = Button(group, "btnConfig", "Configure", 76);
    auto* about = Button(group, "btnAbout", "About", 104);
    auto* map = Button(group, "btnMap", "World &map", 132);
    auto* journal = Button(group, "btnJournal", "&Journal", 160);
    connect(btnCtrl_, &QPushButton::clicked, this, [this] { ToggleLogin(); });
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    connect(config, &QPushButton::clicked, this, [this] { ShowConfig(); });
    connect(about, &QPushButton::clicked, this, [this] { AboutBox(this).exec(); });
    connect(map, &QPushButton::clicked, this, [this] {
        Map().show();
        Map().raise();
    });
    connect(journal, &QPushButton::clicked, this, [this] {
        Journal().show();
        Journal().raise();
        Journal().Reload();
    });

    lbSessionListHdr_ = new QLabel(group);
    lbSessionListHdr_->setObjectName(QStringLiteral("lbSessionListHdr"));
    lbSessionListHdr_->setGeometry(404, 20, 218, 18);
    lbSessionList_ = new QListWidget(group);
    lbSessionList_->setObjectName(QStringLiteral("lbSessionList"));
    lbSessionList_->setGeometry(404, 42, 218, 174);
}

void MainWindow::RenderAll() {
    setWindowTitle(ToQt(bot_.model.Caption()));
    OnStatus(bot_.model.Status());
    for (int row = 0; row < OperatorModel::kStatRows; ++row) OnStat(row, bot_.model.Stat(row));
    lvActivityLog_->clear();
    const auto& activity = bot_.model.Activity();
    std::for_each(activity.rbegin(), activity.rend(),
                  [this](const ActivityEntry& entry) { OnActivity(entry); });
    OnSessionList();
    OnButton();
    RefreshTray();
}

void MainWindow::Start() {
    Run([this] { bot_.Start(); });
    setWindowTitle(ToQt(bot_.model.Caption()));
    const bool enabled = bot_.options.Flag(OptionFlag::EnableLog);
    chkLogToFile_->setChecked(enabled);
    txtLogFile_->setText(ToQt(bot_.options.LogFileName));
    txtLogFile_->setEnabled(enabled);
    btnLogFile_->setEnabled(enabled);
}

void MainWindow::ToggleLogin() {
    Run([this] {
        if (bot_.model.Button() == ButtonAction::Logout) {
            LogoutClick(bot_);
            return;
        }
        QApplication::setOverrideCursor(Qt::WaitCursor);
        try {
            LoginClick(bot_);
        } catch (...) {
            QApplication::restoreOverrideCursor();
            throw;
        }
        QApplication::restoreOverrideCursor();
    });
    RefreshTray();
    SyncTimer();
}

void MainWindow::Tick() {
    Run([this] {
        if (!bot_.timerEnabled) return;
        if (beforeTick) beforeTick();
        bot_.Tick();
    });
    RefreshTray();
}

void MainWindow::SyncTimer() {
    if (!bot_.timerEnabled) {
        timer_.stop();
    } else if (!timer_.isActive()) {
        schedule_.start();
        tickIndex_ = 1;
        timer_.start(kTickMs);
    }
}

void MainWindow::OnTimer() {
    Tick();
    if (!bot_.timerEnabled) return;
    // Tick n is due n * 250 ms after the timer started; ticks whose time has passed while this
    // one ran are skipped rather than run in a burst.
    const qint64 elapsed = schedule_.elapsed();
    tickIndex_ = std::max(tickIndex_ + 1, elapsed / kTickMs + 1);
    timer_.start(static_cast<int>(tickIndex_ * kTickMs - elapsed));
}

void MainWindow::RefreshTray() {
    const std::string& hint = bot_.model.TrayHint();
    tray_->setToolTip(hint.empty() ? QStringLiteral("Terravane") : ToQt(hint));
}

void MainWindow::ShowConfig() {
    ConfigDialog dialog(bot_, this);
    if (dialog.exec() == QDialog::Accepted)
        AddActivity(bot_, ActivityCategory::Message, "Updated configuration");
}

void MainWindow::LogToFileClick() {
    const bool enabled = chkLogToFile_->isChecked();
    Run([&] { StoreLogOptions(bot_, FromQt(txtLogFile_->text()), enabled); });
    btnLogFile_->setEnabled(enabled);
    txtLogFile_->setEnabled(enabled);
}

void MainWindow::LogFileClick() {
    const QString file = chooseLogFile(QString::fromStdString(bot_.workDir.string()));
    if (file.isEmpty()) return;
    txtLogFile_->setText(file);
    Run([this] {
        StoreLogOptions(bot_, FromQt(txtLogFile_->text()), chkLogToFile_->isChecked());
        AddActivity(bot_, ActivityCategory::Message, "Updated configuration");
    });
}

WorldMapWindow& MainWindow::Map() {
    if (!map_) map_ = new WorldMapWindow(bot_, world_, this);
    return *map_;
}

JournalWindow& MainWindow::Journal() {
    if (!journal_) journal_ = new JournalWindow(bot_, this);
    return *journal_;
}

void MainWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange || !isMinimized() ||
        !QSystemTrayIcon::isSystemTrayAvailable())
        return;
    // Hidden once the minimise has finished: hiding inside the state change confuses some
    // window managers.
    QTimer::singleShot(0, this, [this] {
        hide();
        tray_->show();
    });
}

void MainWindow::RestoreFromTray() {
    tray_->hide();
    showNormal();
    raise();
    activateWindow();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    bool allowed = false;
    Run([&] { allowed = bot_.CloseQuery(); });
    SyncTimer();
    if (!allowed) {
        event->ignore();
        return;
    }
    tray_->hide();
    if (map_) map_->close();
    if (journal_) journal_->close();
    event->accept();
}

void MainWindow::Run(const std::function<void()>& action) {
    try {
        action();
    } catch (const std::exception& error) {
        bot_.frontEnd.ShowError(error.what());
    }
}

void MainWindow::OnActivity(const ActivityEntry& entry) {
    auto* item = new QTreeWidgetItem(
        {ToQt(entry.dateTime), ToQt(entry.PrivilegeText()), ToQt(entry.name), ToQt(entry.message)});
    lvActivityLog_->insertTopLevelItem(0, item);
    while (lvActivityLog_->topLevelItemCount() > static_cast<int>(OperatorModel::kActivityLimit))
        delete lvActivityLog_->takeTopLevelItem(lvActivityLog_->topLevelItemCount() - 1);
}

void MainWindow::OnStatus(const std::string& text) {
    lblStatus_->setText(ToQt(text));
}

void MainWindow::OnStat(int row, const std::string& text) {
    lvStats_->item(row, 1)->setText(ToQt(text));
}

void MainWindow::OnSessionList() {
    lbSessionList_->clear();
    for (const std::string& name : bot_.model.SessionList()) lbSessionList_->addItem(ToQt(name));
    lbSessionListHdr_->setText(ToQt(bot_.model.SessionListHeader()));
}

void MainWindow::OnButton() {
    btnCtrl_->setText(QString::fromLatin1(bot_.model.ButtonCaption()));
    btnCtrl_->setEnabled(bot_.model.ButtonEnabled());
}

}  // namespace tv
