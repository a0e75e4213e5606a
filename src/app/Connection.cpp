#include "app/Connection.h"

#include <stdexcept>

namespace tv {

void LoginClick(Bot& bot) { throw std::logic_error("not built yet: LoginClick"); }
bool Login(Bot& bot) { throw std::logic_error("not built yet: Login"); }
void LogoutClick(Bot& bot) { throw std::logic_error("not built yet: LogoutClick"); }
void OnWorldAttributes(Bot& bot) { throw std::logic_error("not built yet: OnWorldAttributes"); }
void OnWorldDisconnect(Bot& bot) { throw std::logic_error("not built yet: OnWorldDisconnect"); }

}  // namespace tv
