#pragma once
// What must hold between the bot and the embedded world. Each check returns the violations it
// found, one readable line each, and none when everything holds.
//
// Steady (cheap; they hold on every tick): MarkerCount and QueriedCells equal a recount of the
// cache, the bot built no cell over and over (SoakWatch), and after every save or load config.xml
// is well-formed and holds the terrain rights in force.
//
// Settled (once the bot is quiet, faults healed and users idle): the steady ones, plus nothing
// left in progress (pending requests, queued cells and commands, cells waiting to be reconciled,
// repairs, unsent messages to users present), every cached cell agrees with the marker object
// standing on its anchor in the world (id, number, description, visibility, owner; none when the
// cache holds none), every marked cell's terrain is its marker's, no marker built or deleted by a
// user without an enabled session survives, no message to a user still present was lost, and every
// cell the bot asked about is known.

#include <string>
#include <vector>

namespace tv {

class Bot;
class SimWorld;
class SoakWatch;

std::vector<std::string> CheckSteady(Bot& bot, SoakWatch& watch);
std::vector<std::string> CheckSettled(Bot& bot, SimWorld& world, SoakWatch& watch);
// Messages still queued for users present in the world (a user who left is nobody's reader).
int64_t MessagesForPresentUsers(Bot& bot, SimWorld& world);

}  // namespace tv
