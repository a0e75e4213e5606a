#include "ui/ConfigDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/Bot.h"
#include "app/ConfigForm.h"
#include "ui/QtFrontEnd.h"
#include "ui/RightsEditorDialog.h"

namespace tv {

namespace {

// Masks a password with the multiplication sign.
class MaskStyle final : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* data) const override {
        if (hint == SH_LineEdit_PasswordCharacter) return 0x00D7;
        return QProxyStyle::styleHint(hint, option, widget, data);
    }
};

}  // namespace

ConfigDialog::ConfigDialog(Bot& bot, QWidget* parent) : QDialog(parent), bot_(bot) {
    setWindowTitle(QStringLiteral("Terravane Configuration"));
    setFont(WindowFont());
    fields_.resize(ConfigFields().size());
    tabs_ = new QTabWidget(this);
    for (int tab = 0; tab < 3; ++tab)
        tabs_->addTab(BuildTab(tab), QString::fromLatin1(kConfigTabs[tab]));
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("btnOK"));
    ok->setDefault(true);
    buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole)
        ->setObjectName(QStringLiteral("btnCancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(tabs_);
    layout->addWidget(buttons);
    // 329 x 314, wider where the font needs it for the three tab captions.
    setFixedSize(std::max(329, tabs_->tabBar()->sizeHint().width() + 24), 314);
    chooseFile = [this](const QString& folder) {
        return QFileDialog::getOpenFileName(this, QString(), folder);
    };

    const ConfigForm form = FillConfigForm(bot_);
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        if (auto* check = qobject_cast<QCheckBox*>(fields_[i]))
            check->setChecked(form.Checked(ConfigFields()[i].Control));
        else
            static_cast<QLineEdit*>(fields_[i])->setText(ToQt(form.Values[i]));
    }
    tabs_->setCurrentIndex(0);
    if (bot_.sdk.aw_session() != 0) Lock();
}

QWidget* ConfigDialog::BuildTab(int tab) {
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    grid->setContentsMargins(8, 8, 8, 8);
    grid->setVerticalSpacing(3);
    int row = 0;
    for (std::size_t i = 0; i < ConfigFields().size(); ++i) {
        const ConfigField& field = ConfigFields()[i];
        if (field.Tab != tab) continue;
        const QString label = QString::fromLatin1(field.Label);
        if (field.Kind == ConfigFieldKind::Flag) {
            fields_[i] = new QCheckBox(label, page);
            grid->addWidget(fields_[i], row++, 0, 1, 3);
        } else {
            auto* edit = new QLineEdit(page);
            fields_[i] = edit;
            grid->addWidget(new QLabel(label, page), row, 0);
            grid->addWidget(edit, row, 1, 1, field.Kind == ConfigFieldKind::Chooser ? 1 : 2);
            if (field.Kind == ConfigFieldKind::Chooser) {
                edit->setReadOnly(true);
                auto* button = new QToolButton(page);
                const bool language = field.OptionKey != nullptr;
                button->setObjectName(language ? QStringLiteral("btnLangFile")
                                               : QStringLiteral("btnEditRights"));
                button->setIcon(style()->standardIcon(
                    language ? QStyle::SP_DirOpenIcon : QStyle::SP_FileDialogDetailedView));
                connect(button, &QToolButton::clicked, this,
                        [this, language] { language ? ChooseLanguageFile() : EditRights(); });
                grid->addWidget(button, row, 2);
            }
            ++row;
        }
        fields_[i]->setObjectName(QString::fromLatin1(field.Control));
    }
    grid->setRowStretch(row, 1);
    grid->setColumnStretch(1, 1);
    return page;
}

void ConfigDialog::Lock() {
    bot_.frontEnd.ShowInformation(kOnlineNotice);
    for (std::size_t i = 0; i < fields_.size(); ++i)
        if (ConfigFields()[i].LockedOnline) fields_[i]->setEnabled(false);
    auto* password = static_cast<QLineEdit*>(fields_[ConfigFieldIndex("txtPrivPW")]);
    auto* mask = new MaskStyle;
    mask->setParent(this);  // after the fields: deleted once they are gone
    password->setStyle(mask);
    password->setEchoMode(QLineEdit::Password);
}

QString ConfigDialog::FieldText(const char* control) const {
    return static_cast<QLineEdit*>(fields_[ConfigFieldIndex(control)])->text();
}

void ConfigDialog::SetFieldText(const char* control, const QString& text) {
    static_cast<QLineEdit*>(fields_[ConfigFieldIndex(control)])->setText(text);
}

void ConfigDialog::ChooseLanguageFile() {
    const QString folder = QString::fromStdString(bot_.workDir.string());
    const QString file = chooseFile(folder);
    if (!file.isEmpty())
        SetFieldText("txtLangFile", ToQt(RelativeFileName(
                                        bot_.workDir, std::filesystem::path(file.toStdString()))));
}

void ConfigDialog::EditRights() {
    if (bot_.sdk.aw_session() != 0) bot_.frontEnd.ShowInformation(kRightsNotice);
    std::string text = FromQt(FieldText("txtRights"));
    if (ShowRightsEditor(this, bot_.frontEnd, text)) SetFieldText("txtRights", ToQt(text));
}

void ConfigDialog::accept() {
    ConfigForm form;
    for (QWidget* field : fields_) {
        auto* check = qobject_cast<QCheckBox*>(field);
        form.Values.push_back(check ? (check->isChecked() ? "True" : "False")
                                    : FromQt(static_cast<QLineEdit*>(field)->text()));
    }
    std::vector<std::string> problems;
    try {
        problems = ApplyConfigForm(bot_, form);
    } catch (const std::exception& error) {
        // The options are set; only the file could not be written.
        bot_.frontEnd.ShowError(error.what());
    }
    if (!problems.empty()) {
        std::string text;
        for (const std::string& problem : problems) text += (text.empty() ? "" : "\n") + problem;
        bot_.frontEnd.ShowError(text);
        return;
    }
    SetFieldText("txtRights", ToQt(form.Value("txtRights")));
    QDialog::accept();
}

}  // namespace tv
