#include "app/UCDlgShortcuts.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/Shortcuts.h"

UCDlgShortcuts::UCDlgShortcuts(QWidget* parent) : QDialog(parent) {
    setObjectName("UCDlgShortcuts");
    setWindowTitle(tr("Keyboard shortcuts"));
    setModal(true);

    auto* column = new QVBoxLayout(this);
    table = new QTableWidget(this);
    table->setObjectName("twShortcuts");
    table->setColumnCount(2);
    table->setHorizontalHeaderLabels({tr("Keys"), tr("Action")});
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionMode(QAbstractItemView::NoSelection);
    table->setFocusPolicy(Qt::NoFocus);
    table->setShowGrid(false);
    table->setAlternatingRowColors(true);
    const QList<shortcuts::Entry>& entries = shortcuts::table();
    table->setRowCount(entries.size());
    for (int row = 0; row < entries.size(); ++row) {
        const shortcuts::Command c = entries.at(row).command;
        auto* keys = new QTableWidgetItem(shortcuts::keysText(c));
        QFont bold = keys->font();
        bold.setBold(true);
        keys->setFont(bold);
        table->setItem(row, 0, keys);
        table->setItem(row, 1, new QTableWidgetItem(shortcuts::description(c)));
    }
    table->resizeColumnsToContents();
    table->horizontalHeader()->setStretchLastSection(true);
    table->resizeRowsToContents();
    column->addWidget(table);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    column->addWidget(buttons);

    const int rowsHeight = table->verticalHeader()->length() + table->horizontalHeader()->height();
    resize(std::max(460, table->horizontalHeader()->length() + 40),
           std::min(720, rowsHeight + 80));
}
