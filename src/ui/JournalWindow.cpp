#include "ui/JournalWindow.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <set>

#include "app/Bot.h"
#include "app/Format.h"
#include "journal/Journal.h"
#include "journal/Rollback.h"
#include "terrain/TerrainStruct.h"
#include "ui/QtFrontEnd.h"

namespace tv {

namespace {

constexpr int32_t kAroundCell = 2;

QString StateText(const CellState& state) {
    std::string text = state.marker
                           ? DescribeMarker(state.marker) + Format(" #%d", {state.marker->owner})
                           : std::string("none");
    if (state.terrain) text += Format(" (%d/%d)", {state.terrain->value, state.terrain->height});
    return ToQt(text);
}

}  // namespace

JournalWindow::JournalWindow(Bot& bot, QWidget* parent) : QWidget(parent, Qt::Window), bot_(bot) {
    setWindowTitle(QStringLiteral("Journal"));
    setObjectName(QStringLiteral("JournalWindow"));
    setFont(WindowFont());
    resize(820, 480);
    auto* filters = new QHBoxLayout;
    filters->addWidget(new QLabel(QStringLiteral("Citizen:"), this));
    citizen_ = Filter("txtCitizen", "any");
    filters->addWidget(citizen_);
    filters->addWidget(new QLabel(QStringLiteral("Around cell:"), this));
    cellX_ = Filter("txtCellX", "x");
    cellZ_ = Filter("txtCellZ", "z");
    filters->addWidget(cellX_);
    filters->addWidget(cellZ_);
    filters->addWidget(new QLabel(QStringLiteral("Within:"), this));
    span_ = Filter("txtSpan", "2h, 3d");
    filters->addWidget(span_);
    auto* show = new QPushButton(QStringLiteral("Show"), this);
    show->setObjectName(QStringLiteral("btnShow"));
    filters->addWidget(show);
    filters->addStretch(1);

    table_ = new QTableWidget(0, 7, this);
    table_->setObjectName(QStringLiteral("tblEntries"));
    table_->setHorizontalHeaderLabels(
        {"Time (UTC)", "Cell", "Citizen", "Name", "Action", "Before", "After"});
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);

    auto* actions = new QHBoxLayout;
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("lblJournalStatus"));
    rollback_ = new QPushButton(QStringLiteral("Roll back selection"), this);
    rollback_->setObjectName(QStringLiteral("btnRollback"));
    actions->addWidget(status_, 1);
    actions->addWidget(rollback_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filters);
    layout->addWidget(table_, 1);
    layout->addLayout(actions);
    connect(show, &QPushButton::clicked, this, [this] { Reload(); });
    for (QLineEdit* edit : {citizen_, cellX_, cellZ_, span_})
        connect(edit, &QLineEdit::returnPressed, this, [this] { Reload(); });
    connect(rollback_, &QPushButton::clicked, this, [this] { RollBackSelection(); });
}

QLineEdit* JournalWindow::Filter(const char* name, const char* placeholder) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setPlaceholderText(QString::fromLatin1(placeholder));
    edit->setMaximumWidth(90);
    return edit;
}

void JournalWindow::Reload() {
    table_->setRowCount(0);
    ids_.clear();
    JournalFlush(bot_);
    if (!JournalOn(bot_)) {
        status_->setText(QStringLiteral("The journal is off."));
        return;
    }
    JournalQuery query;
    query.world = bot_.options.Login.World;
    int32_t number = 0, x = 0, z = 0;
    if (TryStrToInt(FromQt(citizen_->text()), number)) query.citizen = number;
    if (TryStrToInt(FromQt(cellX_->text()), x) && TryStrToInt(FromQt(cellZ_->text()), z))
        query.area =
            JournalArea{x - kAroundCell, x + kAroundCell, z - kAroundCell, z + kAroundCell};
    if (const auto span = ParseSpan(FromQt(span_->text())))
        query.since = bot_.clock.UnixNow() - *span;
    int64_t total = 0;
    std::vector<JournalEntry> entries;
    try {
        entries = JournalDb(bot_).Latest(query, kRowLimit, &total);
    } catch (const std::exception& error) {
        JournalFailed(bot_, error);
        status_->setText(QStringLiteral("The journal is off."));
        return;
    }
    table_->setRowCount(static_cast<int>(entries.size()));
    for (int row = 0; row < static_cast<int>(entries.size()); ++row) {
        const JournalEntry& entry = entries[static_cast<std::size_t>(row)];
        const QStringList cells = {ToQt(UtcMinuteText(entry.time)),
                                   ToQt(CoordText(CellAnchor(entry.x), CellAnchor(entry.z))),
                                   QString::number(entry.citizen),
                                   ToQt(entry.name),
                                   QString::fromLatin1(JournalActionName(entry.action)),
                                   StateText(entry.before),
                                   StateText(entry.after)};
        for (int column = 0; column < cells.size(); ++column)
            table_->setItem(row, column, new QTableWidgetItem(cells[column]));
        ids_.push_back(entry.id);
    }
    table_->resizeColumnsToContents();
    status_->setText(QStringLiteral("%1 of %2 entries").arg(entries.size()).arg(total));
}

void JournalWindow::RollBackSelection() {
    std::set<int> rows;
    for (const QModelIndex& index : table_->selectionModel()->selectedRows())
        rows.insert(index.row());
    std::vector<int64_t> ids;
    for (int row : rows) ids.push_back(ids_.at(static_cast<std::size_t>(row)));
    if (ids.empty()) {
        status_->setText(QStringLiteral("Select the changes to roll back first."));
        return;
    }
    if (bot_.sdk.aw_session() == 0) {
        status_->setText(QStringLiteral("A rollback needs the bot in its world: log in first."));
        return;
    }
    if (!bot_.ConfirmYesNo(
            Format("Roll back the %d selected changes?", {static_cast<int>(ids.size())})))
        return;
    try {
        const RollbackPlan plan = SelectionRollback(bot_, ids);
        status_->setText(ToQt(Format("%d cells queued for rollback, %d skipped (changed since)",
                                     {static_cast<int>(plan.cells.size()), plan.skipped})));
    } catch (const std::exception& error) {
        JournalFailed(bot_, error);
        status_->setText(QStringLiteral("The journal is off."));
    }
}

}  // namespace tv
