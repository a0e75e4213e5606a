// terravane-nox: the headless front end. Without arguments it runs the bot in real time on the
// embedded world until SIGINT/SIGTERM; with --script it runs a scenario in virtual time.

#include <unistd.h>

#include <clocale>
#include <csignal>
#include <cstring>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "app/Bot.h"
#include "app/Connection.h"
#include "app/Errors.h"
#include "commands/TerrainRights.h"
#include "nox/DemoScene.h"
#include "nox/Embedded.h"
#include "nox/JournalCli.h"
#include "nox/ScenarioRunner.h"
#include "nox/TickSchedule.h"
#include "nox/Transcript.h"
#include "world/SimWorld.h"

namespace {

volatile std::sig_atomic_t stopRequested = 0;
void RequestStop(int signal) {
    // A second request ends the program at once, also while the logout is still sending.
    if (stopRequested) _exit(128 + signal);
    stopRequested = 1;
}

struct Arguments {
    std::filesystem::path dir;
    std::optional<std::string> script;
    bool demo = false;
    std::optional<std::string> journal;  // --history or --rollback
    std::vector<std::string> journalArgs;
};

void Usage() {
    std::cerr << "usage: terravane-nox [--dir DIR] [--demo]\n"
                 "       terravane-nox [--dir DIR] --script FILE|-\n"
                 "       terravane-nox [--dir DIR] --history [--citizen N] [--since SPAN] "
                 "[--cell X Z] [--world NAME] [--limit N]\n"
                 "       terravane-nox [--dir DIR] --rollback CITIZEN SPAN [--cell X Z] "
                 "[--world NAME]\n";
}

std::optional<Arguments> Parse(int argc, char** argv) {
    Arguments args;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--dir" && i + 1 < argc)
            args.dir = argv[++i];
        else if (arg == "--script" && i + 1 < argc)
            args.script = argv[++i];
        else if (arg == "--demo")
            args.demo = true;
        else if (arg == "--history" || arg == "--rollback") {
            // The rest of the line belongs to the journal's command.
            args.journal = arg;
            args.journalArgs.assign(argv + i + 1, argv + argc);
            break;
        } else
            return std::nullopt;
    }
    return args;
}

int RunScript(const Arguments& args) {
    tv::ScenarioRunner runner(std::cout, args.dir);
    if (*args.script == "-") return runner.Run(std::cin) ? 0 : 1;
    std::ifstream file(*args.script);
    if (!file) {
        std::cerr << "terravane-nox: cannot read " << *args.script << "\n";
        return 2;
    }
    return runner.Run(file) ? 0 : 1;
}

int RunRealTime(const Arguments& args) {
    std::filesystem::path dir = args.dir.empty() ? std::filesystem::current_path() : args.dir;
    std::filesystem::create_directories(dir);
    tv::EnsureLanguageFile(dir);
    tv::EnsureStarterConfig(dir);

    tv::RealClock clock;
    tv::SimWorld world(clock);
    tv::Transcript transcript(std::cout,
                              [&clock] { return tv::LocalDateTimeText(clock.UnixNow()); });
    transcript.showStats = false;
    tv::ScriptedFrontEnd frontEnd(transcript);
    tv::Bot bot(world, clock, frontEnd, dir);
    bot.model.SetObserver(&transcript);
    bot.Start();
    if (bot.terminated) return 1;

    tv::PopulateUniverse(world, bot);
    std::optional<tv::DemoScene> demo;
    if (args.demo) {
        world.SetListener(&transcript);
        demo.emplace(world, bot.options.Login.World);
        demo->Prepare();
        tv::TerrainRightsFromString(bot.rights, tv::DemoScene::kRights);
    }

    try {
        tv::LoginClick(bot);
    } catch (const std::exception& error) {
        transcript.Dialog(error.what());
        return 1;
    }
    if (world.aw_session() == 0) return 1;

    std::signal(SIGINT, RequestStop);
    std::signal(SIGTERM, RequestStop);
    const int64_t started = clock.MonotonicMs();
    tv::TickSchedule schedule(clock, 250);
    while (!stopRequested) {
        schedule.WaitForNext();
        if (demo) demo->Advance(clock.MonotonicMs() - started);
        if (bot.timerEnabled) bot.Tick();
    }
    bot.CloseQuery();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    std::optional<Arguments> args = Parse(argc, argv);
    if (!args) {
        Usage();
        return 2;
    }
    try {
        const std::filesystem::path dir =
            args->dir.empty() ? std::filesystem::current_path() : args->dir;
        if (args->journal == "--history")
            return tv::PrintJournalHistory(dir, args->journalArgs, std::cout, std::cerr);
        if (args->journal == "--rollback")
            return tv::QueueJournalRollback(dir, args->journalArgs, std::cout, std::cerr);
        return args->script ? RunScript(*args) : RunRealTime(*args);
    } catch (const std::exception& error) {
        std::cerr << "terravane-nox: " << error.what() << "\n";
        return 1;
    }
}
