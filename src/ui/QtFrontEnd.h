#pragma once
// The desktop's side of the bot's dialogs (error box, information box, yes/no question with No
// as the default), the conversions between the core's Windows-1252 text and QString, the window
// font and the program's icon.

#include <QFont>
#include <QIcon>
#include <QString>
#include <string>

#include "app/Bot.h"

class QWidget;

namespace tv {

class QtFrontEnd final : public FrontEnd {
public:
    void ShowError(const std::string& message) override;
    void ShowInformation(const std::string& message) override;
    bool ConfirmYesNo(const std::string& message) override;
    void ProcessPendingMessages() override;
};

QString ToQt(const std::string& text);
std::string FromQt(const QString& text);

// The windows' font: 11 pixels high, the named face where it exists, else the default sans-serif.
QFont WindowFont();
// A small drawn terrain tile: window, tray and about-box icon.
QIcon ProgramIcon();

}  // namespace tv
