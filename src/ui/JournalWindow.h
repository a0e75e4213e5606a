#pragma once
// The journal window: the terrain journal's entries, newest first, filtered by citizen, by the
// cells around one cell and by time, and a rollback of the selected entries (each cell goes back
// to its state before the first selected change there, unless a change not selected came after).
// A thin view: the entries come from the bot's journal, the rollback is the core's.

#include <QWidget>
#include <cstdint>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace tv {

class Bot;

class JournalWindow final : public QWidget {
public:
    static constexpr int kRowLimit = 500;

    JournalWindow(Bot& bot, QWidget* parent);
    // The entries that match the filters, again.
    void Reload();
    // Rolls back the selected entries once the operator agreed.
    void RollBackSelection();

private:
    QLineEdit* Filter(const char* name, const char* placeholder);

    Bot& bot_;
    QLineEdit* citizen_ = nullptr;
    QLineEdit* cellX_ = nullptr;
    QLineEdit* cellZ_ = nullptr;
    QLineEdit* span_ = nullptr;
    QTableWidget* table_ = nullptr;
    QPushButton* rollback_ = nullptr;
    QLabel* status_ = nullptr;
    std::vector<int64_t> ids_;  // the entry of each row
};

}  // namespace tv
