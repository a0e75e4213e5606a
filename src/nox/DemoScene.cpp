#include "nox/DemoScene.h"

#include "world/SimWorld.h"

namespace tv {

namespace {
constexpr int32_t kAda = 11, kBram = 12, kCyd = 13;
}

DemoScene::DemoScene(SimWorld& world, std::string worldName)
    : world_(world), worldName_(std::move(worldName)) {
    auto say = [this](int32_t session, std::string text) {
        return [this, session, text] { world_.UserChat(session, text); };
    };
    steps_ = {
        {1000, [this] { world_.UserEnter(kAda, 101, 1200, 0, 800); }},
        {2000, say(kAda, "t:begin")},
        {4000, say(kAda, "t:seed")},
        {5000, [this] { world_.UserMove(kAda, 2100, 0, 1900); }},
        {6000, say(kAda, "t:seed")},
        {8000, say(kAda, "t:texture 12,90")},
        {11000, say(kAda, "t:hide")},
        {14000, say(kAda, "t:show")},
        {15000, [this] { world_.UserEnter(kBram, 102, -3000, 0, 4000); }},
        {16000, say(kBram, "t:begin")},
        {17000,
         [this] {
             SimObjectSpec marker;
             marker.x = -3000;
             marker.z = 4000;
             marker.description = "3";
             world_.UserBuild(kBram, marker);
         }},
        {18000, [this] { world_.UserEnter(kCyd, 103, 5000, 0, 5000); }},
        {19000, say(kCyd, "t:begin")},
    };
    for (int i = 0; i < 11; ++i) steps_.push_back({20000 + i * 400, say(kCyd, "t:version")});
    steps_.push_back({26000, say(kAda, "t:stats")});
    steps_.push_back({28000, say(kAda, "t:end")});
}

void DemoScene::Prepare() {
    world_.AddCitizen(101, "Ada");
    world_.AddCitizen(102, "Bram");
    world_.AddCitizen(103, "Cyd");
    for (int32_t citizen : {101, 102, 103}) world_.SetWorldRight(worldName_, citizen, 50, true);
    world_.SetWorldRight(worldName_, 101, 51, true);
}

void DemoScene::Advance(int64_t elapsedMs) {
    while (next_ < steps_.size() && steps_[next_].atMs <= elapsedMs) steps_[next_++].action();
}

}  // namespace tv
