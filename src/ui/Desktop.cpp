#include "ui/Desktop.h"

#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <cstdio>
#include <functional>
#include <iostream>
#include <optional>

#include "app/Bot.h"
#include "app/Clock.h"
#include "commands/TerrainRights.h"
#include "nox/DemoScene.h"
#include "nox/Embedded.h"
#include "ui/JournalWindow.h"
#include "ui/MainWindow.h"
#include "ui/QtFrontEnd.h"
#include "ui/WorldMapWindow.h"
#include "world/SimWorld.h"

namespace tv {

namespace {

// The demo's users may work with terrain, and so may the map's visitor.
std::string DemoRights() {
    return std::string(DemoScene::kRights) + "," + std::to_string(WorldMapWindow::kVisitorCitizen);
}

// Boxes nobody sees: the screenshots run unattended and every question is answered Yes.
class SilentFrontEnd final : public FrontEnd {
public:
    void ShowError(const std::string& message) override {
        std::cerr << "terravane: " << message << "\n";
    }
    void ShowInformation(const std::string&) override {}
    bool ConfirmYesNo(const std::string&) override { return true; }
};

bool Save(QWidget& widget, const std::filesystem::path& file) {
    widget.show();
    QApplication::processEvents();
    const bool saved = widget.grab().save(QString::fromStdString(file.string()));
    if (!saved) std::cerr << "terravane: cannot write " << file << "\n";
    return saved;
}

// Opens a modal dialog through the window, as the operator would, and lets `shoot` take its
// pictures before it closes (with OK when `shoot` says so).
bool ThroughModal(QAbstractButton* opener, const std::function<bool(QDialog&)>& shoot) {
    bool saved = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        saved = dialog && shoot(*dialog);
        if (dialog && dialog->isVisible()) dialog->reject();
    });
    opener->click();
    return saved;
}

}  // namespace

int RunDesktop(const std::filesystem::path& workDir, bool demo, int quitAfterSeconds) {
    std::filesystem::create_directories(workDir);
    EnsureLanguageFile(workDir);
    EnsureStarterConfig(workDir);
    RealClock clock;
    SimWorld world(clock);
    QtFrontEnd frontEnd;
    Bot bot(world, clock, frontEnd, workDir);
    MainWindow window(bot, &world);
    window.Start();
    PopulateUniverse(world, bot);
    std::optional<DemoScene> scene;
    window.show();
    if (demo && !bot.terminated) {
        scene.emplace(world, bot.options.Login.World);
        scene->Prepare();
        TerrainRightsFromString(bot.rights, DemoRights());
        const int64_t started = clock.MonotonicMs();
        window.beforeTick = [&scene, &clock, started] {
            scene->Advance(clock.MonotonicMs() - started);
        };
        window.ToggleLogin();
        std::cout << "terravane: the demo scene plays on the embedded world; \"World map\" shows "
                     "it, and lets you place a visitor and chat as them."
                  << std::endl;
    }
    if (quitAfterSeconds > 0) {
        QTimer::singleShot(quitAfterSeconds * 1000, &window, [&window, &bot] {
            if (bot.model.Button() == ButtonAction::Logout) window.ToggleLogin();
            window.close();
        });
    }
    return QApplication::exec();
}

namespace {

// The visitor at work on the map: "*x,z" places them on a cell, other lines they say. The world
// holds back its answers to the last command, which is still in flight when the pictures are
// taken.
void PlayVisitor(WorldMapWindow& map, SimWorld& world, const std::function<void(int)>& run) {
    const char* lines[] = {"*-3,2",  "t:begin",         "t:seed",     "t:texture 7", "*-6,2",
                           "t:seed", "t:texture 21,90", "*0,-3",      "t:seed",      "t:hide",
                           "*-3,-2", "t:seed",          "t:texture 5"};
    for (const char* line : lines) {
        int32_t x = 0, z = 0;
        if (std::sscanf(line, "*%d,%d", &x, &z) == 2)
            map.PlaceVisitor(x, z);
        else
            map.Say(QString::fromLatin1(line));
        const bool last = line == lines[std::size(lines) - 1];
        if (last) world.DelayAnswers(1000);
        run(last ? 2 : 24);
    }
}

// The dialogs, opened through the main window's buttons.
bool ShootDialogs(MainWindow& window, const std::filesystem::path& folder) {
    auto button = [&window](const char* name) {
        return window.findChild<QPushButton*>(QString::fromLatin1(name));
    };
    const bool config = ThroughModal(button("btnConfig"), [&](QDialog& dialog) {
        const char* tabs[] = {"config-login.png", "config-restrictions.png",
                              "config-performance.png"};
        bool all = true;
        for (int tab = 0; tab < 3; ++tab) {
            dialog.findChild<QTabWidget*>()->setCurrentIndex(tab);
            all &= Save(dialog, folder / tabs[tab]);
        }
        all &= ThroughModal(dialog.findChild<QToolButton*>("btnEditRights"), [&](QDialog& rights) {
            return Save(rights, folder / "rights-editor.png");
        });
        dialog.accept();
        return all;
    });
    return ThroughModal(button("btnAbout"),
                        [&](QDialog& about) { return Save(about, folder / "about.png"); }) &&
           config;
}

}  // namespace

int RenderScreenshots(const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder);
    std::string pattern =
        (std::filesystem::temp_directory_path() / "terravane-shots-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder");
    const std::filesystem::path workDir = pattern;
    EnsureLanguageFile(workDir);
    EnsureStarterConfig(workDir);

    VirtualClock clock;
    SimWorld world(clock);
    SilentFrontEnd frontEnd;
    Bot bot(world, clock, frontEnd, workDir);
    bool saved = true;
    {
        MainWindow window(bot, &world);
        window.Start();
        PopulateUniverse(world, bot);
        DemoScene scene(world, bot.options.Login.World);
        scene.Prepare();
        TerrainRightsFromString(bot.rights, DemoRights());
        window.beforeTick = [&] { scene.Advance(clock.ElapsedMs()); };
        window.ToggleLogin();
        auto run = [&](int ticks) {
            for (int i = 0; i < ticks; ++i) {
                clock.Advance(MainWindow::kTickMs);
                window.Tick();
            }
        };
        run(4 * 32);  // the whole scene
        WorldMapWindow& map = window.Map();
        map.resize(760, 640);
        MapViewport& view = map.View().Viewport();
        view.cellPixels = 16;
        view.centerX = -1;
        view.centerZ = 1;
        PlayVisitor(map, world, run);

        saved &= Save(window, folder / "main-window.png");
        map.Refresh();
        saved &= Save(map, folder / "world-map.png");
        JournalWindow& journal = window.Journal();
        journal.resize(860, 420);
        journal.Reload();
        saved &= Save(journal, folder / "journal.png");
        saved &= ShootDialogs(window, folder);
        window.close();
    }
    std::error_code ignored;
    std::filesystem::remove_all(workDir, ignored);
    return saved ? 0 : 1;
}

}  // namespace tv
