#pragma once
// TfrmRightsEditor: the terrain rights text edited as a list, one entry a line. The rules (the
// "(everyone)" questions, duplicates, the selection after a removal, the text built on OK) are
// the core's RightsEditorModel; this dialog shows it, filters the keys typed into the input and
// forwards the clicks.

#include <QDialog>
#include <string>

#include "app/RightsEditorModel.h"

class QLineEdit;
class QListWidget;

namespace tv {

class FrontEnd;

class RightsEditorDialog final : public QDialog {
public:
    RightsEditorDialog(const std::string& rightsText, FrontEnd& ui, QWidget* parent);
    // The text built on OK.
    std::string Text() const { return model_.Text(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Add();
    void Render();

    RightsEditorModel model_;
    FrontEnd& ui_;
    QLineEdit* input_ = nullptr;
    QListWidget* list_ = nullptr;
};

// Shows the editor modally with `text`; on OK stores the edited text there and returns true.
bool ShowRightsEditor(QWidget* parent, FrontEnd& ui, std::string& text);

}  // namespace tv
