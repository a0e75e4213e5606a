#pragma once
// The one world connection: logging in and entering, checking the bot's own rights, losing and
// regaining the world, logging out with a flush of the outgoing messages.

#include <string>

namespace tv {

class Bot;

// The Login button: runs Login, starts the timer, updates the window. Errors reach the caller
// (the front end shows them) after the clean-up.
void LoginClick(Bot& bot);
// The login sequence; raises EMethodFailed when an SDK step fails.
bool Login(Bot& bot);
// The Logout button, also run by the close request.
void LogoutClick(Bot& bot);
// What leaving the world forgets, after a logout and after a stop for missing rights alike: the
// features flag, the cache and its figures, the per-world lists and the session table.
void ForgetWorldState(Bot& bot);

// World attributes (event 11) and world disconnect (event 13).
void OnWorldAttributes(Bot& bot);
void OnWorldDisconnect(Bot& bot);

}  // namespace tv
