#include "app/OperatorModel.h"

#include <stdexcept>

namespace tv {

const char* ActivityCategoryName(ActivityCategory) { throw std::logic_error("not built yet"); }
std::string ActivityEntry::PrivilegeText() const { throw std::logic_error("not built yet"); }
const char* StatusText(StatusIndex) { throw std::logic_error("not built yet"); }
const char* LinkText(LinkIndex) { throw std::logic_error("not built yet"); }
std::string FormatByteSize(uint32_t) { throw std::logic_error("not built yet"); }
void OperatorModel::SetStatus(StatusIndex) { throw std::logic_error("not built yet"); }
void OperatorModel::SetStatusText(const std::string&) { throw std::logic_error("not built yet"); }
void OperatorModel::SetLinkText(LinkIndex) { throw std::logic_error("not built yet"); }
void OperatorModel::SetStat(int, const std::string&) { throw std::logic_error("not built yet"); }
const std::string& OperatorModel::Stat(int) const { throw std::logic_error("not built yet"); }
void OperatorModel::SetButton(ButtonAction, bool) { throw std::logic_error("not built yet"); }
void OperatorModel::SetButtonEnabled(bool) { throw std::logic_error("not built yet"); }
const char* OperatorModel::ButtonCaption() const { throw std::logic_error("not built yet"); }
void OperatorModel::AddActivityEntry(ActivityEntry) { throw std::logic_error("not built yet"); }
void OperatorModel::RefreshSessionList(const std::vector<std::string>&) { throw std::logic_error("not built yet"); }
std::string OperatorModel::SessionListHeader() const { throw std::logic_error("not built yet"); }
void OperatorModel::AddTraffic(uint32_t, uint32_t) { throw std::logic_error("not built yet"); }

}  // namespace tv
