#pragma once
// TFrmConfig: three tabs with a labelled control per field of the core's ConfigForm table, OK and
// Cancel. It fills itself from the form model, locks the login and time-out edits while the bot
// is connected (the password then masked with the multiplication sign), and on OK hands the
// texts back to the model: any problem is shown, naming its field, and the dialog stays open
// with every option as it was.

#include <QDialog>
#include <functional>
#include <vector>

class QTabWidget;

namespace tv {

class Bot;

class ConfigDialog final : public QDialog {
public:
    ConfigDialog(Bot& bot, QWidget* parent);

    QTabWidget& Tabs() { return *tabs_; }
    // The open dialog of the language file, started in `folder`; empty when cancelled.
    std::function<QString(const QString& folder)> chooseFile;

    void accept() override;

private:
    QWidget* BuildTab(int tab);
    void Lock();
    void ChooseLanguageFile();
    void EditRights();
    QString FieldText(const char* control) const;
    void SetFieldText(const char* control, const QString& text);

    Bot& bot_;
    QTabWidget* tabs_ = nullptr;
    std::vector<QWidget*> fields_;  // one per ConfigFields() row: a QLineEdit or a QCheckBox
};

}  // namespace tv
