#include "app/UCDlgShortcuts.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QScreen>
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

}

void UCDlgShortcuts::showEvent(QShowEvent* event) {
    // Sized once the style sheet has given the rows their height: every key
    // in sight, as far as the screen allows.
    table->resizeColumnsToContents();
    table->horizontalHeader()->setStretchLastSection(true);
    table->resizeRowsToContents();
    const int rows = table->verticalHeader()->length() + table->horizontalHeader()->height() +
                     2 * table->frameWidth();
    const int chrome = height() - table->height();
    const QScreen* screen = this->screen();
    const int most = screen ? screen->availableGeometry().height() * 9 / 10 : 900;
    resize(std::max(width(), table->horizontalHeader()->length() + 60),
           std::min(most, rows + chrome));
    QDialog::showEvent(event);
}
