// The desktop windows' wiring, on the offscreen platform: each test opens the main window over a
// test bot (virtual clock, embedded world, dialogs answered by the recording front end).

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>

#include "app/ConfigForm.h"
#include "commands/TerrainRights.h"
#include "support/TestBot.h"
#include "ui/ConfigDialog.h"
#include "ui/JournalWindow.h"
#include "ui/MainWindow.h"
#include "ui/QtFrontEnd.h"
#include "ui/RightsEditorDialog.h"
#include "ui/WorldMapWindow.h"

namespace tv::test {

struct Desk {
    TestBot tb;
    MainWindow window{tb.Create(), &tb.world};
    Desk() {
        window.Start();
        window.show();
    }
    Bot& bot() { return *tb.bot; }
    template <typename T>
    T* Find(const QWidget& parent, const char* name) {
        T* found = parent.findChild<T*>(QString::fromLatin1(name));
        if (!found) qFatal("no control %s", name);
        return found;
    }
    QString Stat(int row) { return Find<QTableWidget>(window, "lvStats")->item(row, 1)->text(); }
    void Click(const QWidget& parent, const char* name) {
        Find<QAbstractButton>(parent, name)->click();
    }
    void Ticks(int n) {
        for (int i = 0; i < n; ++i) {
            tb.clock.Advance(MainWindow::kTickMs);
            window.Tick();
        }
    }
    bool Saved(const char* element) {
        return tb.dir.Read("config.xml").find(element) != std::string::npos;
    }
    // Acts on the modal dialog that the next call opens.
    void OnModal(const std::function<void(QWidget&)>& act) {
        QTimer::singleShot(0, [act] { act(*QApplication::activeModalWidget()); });
    }
};

class UiTest final : public QObject {
    Q_OBJECT
private slots:
    void LoginLogoutAndClosingAnsweredNo() {
        Desk d;
        // The button, the status, the link row and the tray's hint, as the operator sees them.
        auto shown = [&d] {
            return QStringList{d.Find<QPushButton>(d.window, "btnCtrl")->text(),
                               d.Find<QLabel>(d.window, "lblStatus")->text(), d.Stat(1),
                               d.window.Tray().toolTip()}
                .join('|');
        };
        QCOMPARE(shown(), QString("&Login|Ready||Terravane"));
        d.Click(d.window, "btnCtrl");
        QCOMPARE(shown(), QString("&Logout|Active|Online|Terravane - terra"));
        int ticks = 0;
        d.window.beforeTick = [&ticks] { ++ticks; };
        QTRY_VERIFY(ticks > 0);  // the timer drives the heartbeat

        d.tb.frontEnd.nextAnswer = false;
        QVERIFY(!d.window.close());
        QVERIFY(d.tb.world.aw_session() != 0 && d.window.MainTimer().isActive());
        d.Click(d.window, "btnCtrl");
        QCOMPARE(shown(), QString("&Login|Ready|Offline|Terravane - (offline)"));
        QVERIFY(!d.window.MainTimer().isActive());

        // No system tray here: minimising leaves the window; the tray's click restores it.
        d.window.showMinimized();
        QApplication::processEvents();
        QVERIFY(d.window.isVisible());
        emit d.window.Tray().activated(QSystemTrayIcon::Trigger);
        QVERIFY(!d.window.isMinimized() && !d.window.Tray().isVisible());
    }

    void LogFileControls() {
        Desk d;
        auto* check = d.Find<QCheckBox>(d.window, "chkLogToFile");
        auto* field = d.Find<QLineEdit>(d.window, "txtLogFile");
        QVERIFY(!check->isChecked() && !field->isEnabled());
        check->click();
        QVERIFY(field->isEnabled() && d.Find<QToolButton>(d.window, "btnLogFile")->isEnabled());
        QVERIFY(d.Saved("<EnableLog>True<"));
        const QString chosen = QString::fromStdString((d.tb.dir.Path() / "other.log").string());
        d.window.chooseLogFile = [&chosen](const QString&) { return chosen; };
        d.Click(d.window, "btnLogFile");
        QCOMPARE(field->text(), chosen);
        QCOMPARE(QString::fromStdString(d.bot().options.LogFileName), chosen);
        check->click();
        QVERIFY(!field->isEnabled() && d.Saved("<EnableLog>False<"));
    }

    // The working users' header and list and the figures (rows 2 to 7) follow the bot, and are
    // true at once when the world is lost or after a logout (no tick follows either).
    void WorkingUsersAndFigures() {
        Desk d;
        auto shown = [&d] {
            QStringList all{d.Find<QLabel>(d.window, "lbSessionListHdr")->text()};
            auto* list = d.Find<QListWidget>(d.window, "lbSessionList");
            for (int i = 0; i < list->count(); ++i) all << list->item(i)->text();
            for (int row = 2; row <= 7; ++row) all << d.Stat(row);
            return all.join('|');
        };
        d.window.ToggleLogin();
        d.tb.world.PlaceObject(TestBot::kWorld, Shape(1000, 1000, "3"));
        d.tb.Enter(20, 102, 1000, 1000);
        d.Ticks(2);
        d.tb.world.UserChat(20, "t:begin");
        d.Ticks(8);
        QCOMPARE(shown(),
                 QString("1 user with active terrain sessions.|user102|16|0|3.628118%|1|1|1"));
        d.tb.world.Disconnect();
        d.bot().sdk.aw_wait(0);
        QCOMPARE(shown(), QString("0 users with active terrain sessions.|16|0|3.628118%|1|0|0"));
        d.tb.world.Reconnect();
        d.Ticks(2);
        d.window.ToggleLogin();
        QCOMPARE(shown(), QString("0 users with active terrain sessions.|0|0|0.000000%|0|0|0"));
    }

    // Neither a wrong field nor Cancel after the rights editor changes anything; the field by
    // field rules are the form model's tests.
    void ConfigurationDialogChangesNothingUntilOK() {
        Desk d;
        ConfigDialog dialog(d.bot(), &d.window);
        auto edit = [&](const char* name) { return d.Find<QLineEdit>(dialog, name); };
        QCOMPARE(edit("txtPrivPW")->echoMode(), QLineEdit::Normal);
        dialog.show();
        d.OnModal([&d](QWidget& editor) {
            d.Find<QLineEdit>(editor, "txtInput")->setText("7");
            d.Click(editor, "btnAdd");
            d.Click(editor, "btnOK");
        });
        d.Click(dialog, "btnEditRights");
        QCOMPARE(edit("txtRights")->text(), QString("7"));
        dialog.chooseFile = [&d](const QString&) {
            return QString::fromStdString((d.tb.dir.Path() / "lang" / "de.xml").string());
        };
        d.Click(dialog, "btnLangFile");
        QCOMPARE(edit("txtLangFile")->text(), QString("lang/de.xml"));
        edit("txtUniPort")->setText("66x");
        const std::string file = d.tb.dir.Read("config.xml");
        d.Click(dialog, "btnOK");
        QVERIFY(dialog.isVisible());
        QCOMPARE(d.tb.frontEnd.errors.back(), "Universe Port: '66x' is not a valid integer value");
        dialog.reject();
        QCOMPARE(TerrainRightsToString(d.bot().rights), std::string("*"));
        QCOMPARE(d.tb.dir.Read("config.xml"), file);
    }

    void LockedWhileConnectedAndOK() {
        Desk d;
        d.window.ToggleLogin();
        ConfigDialog dialog(d.bot(), &d.window);
        QCOMPARE(d.tb.frontEnd.information.back(), kOnlineNotice);
        for (const char* name : {"txtUniHost", "txtUniPort", "txtCitNum", "txtPrivPW",
                                 "txtLocation", "txtWarnTime", "txtDisableTime"})
            QVERIFY2(!d.Find<QLineEdit>(dialog, name)->isEnabled(), name);
        auto* password = d.Find<QLineEdit>(dialog, "txtPrivPW");
        QCOMPARE(password->echoMode(), QLineEdit::Password);
        QCOMPARE(
            password->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, password),
            0x00D7);
        d.OnModal([&d](QWidget& editor) { d.Click(editor, "btnCancel"); });
        d.Click(dialog, "btnEditRights");
        QCOMPARE(d.tb.frontEnd.information.back(), kRightsNotice);
        d.Find<QLineEdit>(dialog, "txtDefHeight")->setText("-20");
        d.Click(dialog, "btnOK");
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(d.Saved("<DefaultHeight>-20<"));
        QCOMPARE(d.bot().options.Login.PrivilegePassword, std::string("secret"));
    }

    // The editor's buttons and key filter reach its model (whose list rules are tested there).
    void RightsEditor() {
        RecordingFrontEnd ui;
        RightsEditorDialog editor("12,5,7", ui, nullptr);
        auto* list = editor.findChild<QListWidget*>("lbData");
        auto* input = editor.findChild<QLineEdit*>("txtInput");
        QTest::keyClicks(input, "7a,");  // the key filter drops the letter and the comma
        QCOMPARE(input->text(), QString("7"));
        editor.findChild<QPushButton*>("btnAdd")->click();
        QCOMPARE(ui.information.back(), "\"7\" is already in the list.");
        QCOMPARE(list->currentRow(), 1);
        editor.findChild<QPushButton*>("btnRemove")->click();
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->item(1)->text() + " " + QString::fromStdString(editor.Text()),
                 QString("12 5,12"));
    }

    void MapShowsATextureChange() {
        Desk d;
        d.window.ToggleLogin();
        d.Click(d.window, "btnMap");
        WorldMapWindow& map = d.window.Map();
        map.resize(480, 420);
        MapView& view = map.View();
        view.Viewport().cellPixels = 24;
        map.Refresh();
        const QPoint pressed = view.Viewport().ToScreen(2, 3).toPoint();
        QTest::mouseClick(&view, Qt::LeftButton, {}, pressed);
        QCOMPARE(view.Selected(), std::make_optional(std::make_pair(2, 3)));
        d.Click(map, "btnPlace");
        auto* chat = d.Find<QLineEdit>(map, "txtChat");
        for (const char* line : {"t:begin", "t:seed", "t:texture 5"}) {
            d.Ticks(12);
            QTest::keyClicks(chat, line);
            QTest::keyClick(chat, Qt::Key_Return);
        }
        d.Ticks(12);
        map.Refresh();
        QCOMPARE(view.Image().pixel(pressed - QPoint(8, 8)), TextureColour(5));
        QVERIFY(d.Find<QListWidget>(map, "lbConsole")->count() > 3);

        QTest::mousePress(&view, Qt::LeftButton, {}, pressed);
        QTest::mouseMove(&view, pressed + QPoint(48, 0));
        QTest::mouseRelease(&view, Qt::LeftButton, {}, pressed + QPoint(48, 0));
        QCOMPARE(view.Viewport().centerX, 2.0);
        QCOMPARE(d.Find<QLabel>(map, "lblPointer")->text(), QString("3N 2W: texture 5, owner 900"));
        QWheelEvent wheel(pressed, view.mapToGlobal(pressed), {}, {0, -120}, Qt::NoButton, {},
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(&view, &wheel);
        QCOMPARE(view.Viewport().cellPixels, 16);
    }

    void JournalWindowRollsBackTheSelection() {
        Desk d;
        d.window.ToggleLogin();
        d.tb.Enter(20, 7);
        d.tb.world.UserChat(20, "t:begin");
        d.Ticks(8);
        d.tb.world.UserBuild(20, Shape(0, 0, "5"));
        d.Ticks(4);
        d.tb.world.UserDelete(20, 0, 0);
        d.Ticks(4);
        d.Click(d.window, "btnJournal");
        JournalWindow& journal = d.window.Journal();
        QTest::keyClicks(d.Find<QLineEdit>(journal, "txtCitizen"), "7");
        d.Click(journal, "btnShow");
        auto* table = d.Find<QTableWidget>(journal, "tblEntries");
        QCOMPARE(table->rowCount(), 2);
        QCOMPARE(table->item(0, 4)->text() + " " + table->item(0, 5)->text(),
                 QString("delete 5 #7 (5/0)"));
        table->selectRow(0);
        d.Click(journal, "btnRollback");
        QCOMPARE(d.tb.frontEnd.questions.back(), std::string("Roll back the 1 selected changes?"));
        QCOMPARE(d.Find<QLabel>(journal, "lblJournalStatus")->text(),
                 QString("1 cells queued for rollback, 0 skipped (changed since)"));
        d.Ticks(8);
        QCOMPARE(d.tb.world.ObjectAt(TestBot::kWorld, 0, 0)->description, std::string("5"));
    }

    // The desktop's boxes: each is shown modal and a question gives the button clicked.
    void MessageBoxes() {
        QtFrontEnd boxes;
        auto answer = [](QMessageBox::StandardButton button) {
            QTimer::singleShot(0, [button] {
                qobject_cast<QMessageBox*>(QApplication::activeModalWidget())
                    ->button(button)
                    ->click();
            });
        };
        for (auto button : {QMessageBox::Yes, QMessageBox::No}) {
            answer(button);
            QCOMPARE(boxes.ConfirmYesNo("Sure?"), button == QMessageBox::Yes);
        }
        answer(QMessageBox::Ok);
        boxes.ShowError("Broken");
        answer(QMessageBox::Ok);
        boxes.ShowInformation("Noted");
    }
};

}  // namespace tv::test

QTEST_MAIN(tv::test::UiTest)
#include "ui_test.moc"
