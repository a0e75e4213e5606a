#include "soak/SoakPlan.h"

#include <stdexcept>

#include "app/Format.h"

namespace tv {

uint64_t SoakRandom::Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

int32_t SoakRandom::Between(int32_t low, int32_t high) {
    const uint64_t span = static_cast<uint64_t>(int64_t{high} - low) + 1;
    return static_cast<int32_t>(low + static_cast<int64_t>(Next() % span));
}

bool SoakRandom::Chance(double probability) {
    return static_cast<double>(Next() >> 11) * 0x1.0p-53 < probability;
}

const std::vector<SoakUser>& SoakUsers() {
    static const std::vector<SoakUser> users = {
        {11, 1, "", 0}, {12, 2, "", 0},     {13, 3, "", 0},      {14, 4, "", 3},
        {15, 5, "", 0}, {16, 0, "'Tom", 0}, {17, 6, "[Mech", 0},
    };
    return users;
}

std::vector<std::string> SoakUniverse(int32_t worldSize) {
    return {"world terra " + std::to_string(worldSize),
            "botcitizen 1 secret",
            "citizen 1 Keeper rights 50,51,68",
            "citizen 2 Ada rights 50,51",
            "citizen 3 Bob rights 50",
            "citizen 4 Cyd rights 50",
            "citizen 5 Dee",
            "citizen 6 Eli rights 50,68"};
}

namespace {

std::string Flag(SoakRandom& random, double probability) {
    return random.Chance(probability) ? "True" : "False";
}

std::string DrawRights(SoakRandom& random) {
    if (random.Chance(0.35)) return "*";
    static const std::vector<std::string> others = {"2", "3", "4", "5", "6", "2~4", "3~6", "0"};
    std::string text = random.Chance(0.9) ? "1" : "";
    for (const std::string& entry : others)
        if (random.Chance(0.5)) text += (text.empty() ? "" : ",") + entry;
    return text;
}

double DrawRate(SoakRandom& random, double usual) {
    static const std::vector<double> scale = {0, 0.5, 1, 1, 2};
    return usual * random.Pick(scale);
}

}  // namespace

SoakPlan DrawPlan(SoakRandom& random) {
    SoakPlan plan;
    plan.worldSize = random.Between(2, 10);
    Options& o = plan.options;
    SetOptionDefaults(o);
    o.Login = {"terra", 1, kDefaultUniverseHost, 6670, "secret"};
    o.WarnTime = random.Between(5, 120);
    o.DisableTime = random.Between(5, 300);
    o.DefaultHeight = random.Between(-500, 500);
    o.TextureMin = random.Between(0, 10);
    o.TextureMax = o.TextureMin + random.Between(0, 600);
    o.DefaultTexture = random.Between(o.TextureMin, o.TextureMax);
    o.MaxQueries = random.Between(1, 12);
    o.MaxCommands = random.Between(1, 12);
    // Mostly a window of a few seconds; now and then one above 50 hundredths, which counts none.
    const int32_t window = random.Chance(0.85) ? random.Between(1, 10) : random.Between(11, 99);
    o.FloodCommands = random.Between(2, 12) + window / 100.0;
    o.FloodEjectDuration = random.Between(0, 300);
    SetOptionText(o, "AllowBots", Flag(random, 0.7));
    SetOptionText(o, "AllowTourists", Flag(random, 0.7));
    SetOptionText(o, "AlwaysEnabled", Flag(random, 0.15));
    SetOptionText(o, "EnableLog", Flag(random, 0.1));
    SetOptionText(o, "RightsNotify", Flag(random, 0.7));
    SetOptionText(o, "UseSectorBox", Flag(random, 0.15));
    if (const auto problems = OptionProblems(o); !problems.empty())
        throw std::logic_error("soak options out of range: " + problems.front());
    plan.rights = DrawRights(random);
    plan.faults = {DrawRate(random, 0.25), DrawRate(random, 3), DrawRate(random, 1.5),
                   DrawRate(random, 0.5)};
    return plan;
}

std::vector<std::string> ConfigFileLines(const SoakPlan& plan) {
    std::vector<std::string> lines = {"file config.xml", "<?xml version=\"1.0\"?>",
                                      "<TerravaneConfig>", "  <Login>"};
    auto group = [&](std::span<const OptionDescriptor> rows) {
        for (const OptionDescriptor& row : rows)
            lines.push_back(
                Format("    <%s>%s</%s>", {row.Key, *OptionText(plan.options, row.Key), row.Key}));
    };
    group(LoginOptions());
    lines.insert(lines.end(), {"  </Login>", "  <Options>"});
    group(GeneralOptions());
    lines.insert(lines.end(), {"    <TerrainRights>" + plan.rights + "</TerrainRights>",
                               "  </Options>", "</TerravaneConfig>", "end"});
    return lines;
}

std::string PlanSummary(const SoakPlan& plan) {
    std::string text = "world " + std::to_string(plan.worldSize);
    for (const OptionDescriptor& row : GeneralOptions())
        if (row.Range.Bounded || row.Kind == OptionKind::Flag)
            text += ", " + std::string(row.Key) + " " + *OptionText(plan.options, row.Key);
    return text + ", rights \"" + plan.rights + "\"" +
           Format(", faults %.2f/%.2f/%.2f/%.2f per minute",
                  {plan.faults.outages, plan.faults.refusals, plan.faults.silences,
                   plan.faults.delays});
}

namespace {

const std::vector<std::string> kTextures = {
    "5",  "12,90", "7,180", "3,270", "hole", "HOLE", "0",    "abc",   "600",        "5,45",
    "-3", "255",   "256",   "1000",  "5,",   ",90",  "0x10", "16383", "99999999999"};
const std::vector<std::string> kCitizens = {"1",     "2",        "3",        "4",    "5",
                                            "6",     "0",        "99",       "-1",   "'ada'",
                                            "'bob'", "'keeper'", "'nobody'", "'tom'"};
const std::vector<std::string> kAreaArguments = {"",   " ed",    " all",   " ed all",  " all ed",
                                                 " 3", " 3 all", " 'ada'", " 'nobody'"};
const std::vector<std::string> kRightsTargets = {"2",     "3",     "4", "5", "6", "7", "2~4",
                                                 "'ada'", "'eli'", "1", "0", "x", "5~"};

// Bytes a chat line can carry: anything but line ends.
std::string Noise(SoakRandom& random, int length) {
    std::string text;
    for (int i = 0; i < length; ++i) {
        char c = static_cast<char>(random.Between(1, 255));
        text += c == '\n' || c == '\r' ? '?' : c;
    }
    return text;
}

std::string Command(SoakRandom& random) {
    static const std::vector<std::string> area = {"show", "hide", "delete", "detach"};
    switch (random.Between(0, 14)) {
        case 0:
        case 1:
            return random.Chance(0.3) ? "begin detach" : "begin";
        case 2:
            return "end";
        case 3:
        case 4:
        case 5:
            return random.Pick(area) + random.Pick(kAreaArguments);
        case 6:
        case 7:
            return "texture " + random.Pick(kTextures) + (random.Chance(0.2) ? " all" : "");
        case 8:
            return random.Chance(0.6) ? "seed" : "seed as " + random.Pick(kCitizens);
        case 9:
            return "clickmode" + random.Pick(std::vector<std::string>{
                                     "", " hide", " show", " delete", " detach", " texture"});
        case 10:
            return random.Pick(std::vector<std::string>{"sessions", "stats", "version", "help"});
        case 11:
            return random.Chance(0.3) ? "rights"
                                      : (random.Chance(0.5) ? "rights add " : "rights remove ") +
                                            random.Pick(kRightsTargets);
        case 12:
            return "clearcache";
        case 13:
            return random.Pick(std::vector<std::string>{
                "texture", "texture 5,", "seed as", "rights add", "rights add 'x",
                "rights remove 2147483648", " show", "show  3", "show 99999999999", "foo", "SHOW",
                "begin\tdetach"});
        default:
            // Long lines: overflowing numbers, endless words, raw bytes.
            return random.Pick(area) + " " +
                   std::string(static_cast<std::size_t>(random.Between(20, 10000)), '9');
    }
}

}  // namespace

std::string ChatText(SoakRandom& random) {
    if (random.Chance(0.05)) return Noise(random, random.Between(1, 80));
    if (random.Chance(0.02)) return "t:" + Noise(random, 10240);
    const std::string prefix = random.Chance(0.1) ? "T:" : "t:";
    return prefix + Command(random);
}

std::string MarkerDescription(SoakRandom& random) {
    if (random.Chance(0.05)) return "";
    return random.Pick(kTextures);
}

}  // namespace tv
