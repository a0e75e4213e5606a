#pragma once
// The about box: the program's icon, name, version and SDK build, the year and a comment.

#include <QDialog>

namespace tv {

class AboutBox final : public QDialog {
public:
    explicit AboutBox(QWidget* parent);
};

}  // namespace tv
