#include "ui/AboutBox.h"

#include <QDate>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>

#include "app/AwSdk.h"
#include "app/Bot.h"
#include "app/Format.h"
#include "ui/QtFrontEnd.h"

namespace tv {

AboutBox::AboutBox(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About Terravane"));
    setFont(WindowFont());
    auto* layout = new QGridLayout(this);
    auto* icon = new QLabel(this);
    icon->setPixmap(ProgramIcon().pixmap(32, 32));
    layout->addWidget(icon, 0, 0, 4, 1, Qt::AlignTop);
    auto* name = new QLabel(QStringLiteral("Terravane Terrain Editor"), this);
    QFont bold = font();
    bold.setBold(true);
    name->setFont(bold);
    layout->addWidget(name, 0, 1);
    layout->addWidget(
        new QLabel(ToQt(Format("Version %d.%d.%d (SDK build %d)",
                               {kVersionMajor, kVersionMinor, kVersionRelease, kSdkBuild})),
                   this),
        1, 1);
    layout->addWidget(
        new QLabel(QStringLiteral("Copyright \u00A9 %1").arg(QDate::currentDate().year()), this), 2,
        1);
    layout->addWidget(new QLabel(QStringLiteral("The terrain service of one world: markers in,\n"
                                                "terrain out, paced so the server keeps up."),
                                 this),
                      3, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons, 4, 0, 1, 2);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace tv
