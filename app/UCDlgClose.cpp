#include "app/UCDlgClose.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include "widgets/CConfiguration.h"

UCDlgClose::UCDlgClose(QWidget* parent) : QDialog(parent) {
    setObjectName("UCDlgClose");
    setWindowTitle(tr("Korvel"));
    setModal(true);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(18, 16, 18, 12);
    column->setSpacing(12);

    auto* row = new QHBoxLayout;
    row->setSpacing(14);
    auto* logo = new QLabel(this);
    logo->setObjectName("lbLogo");
    logo->setPixmap(QPixmap(":/Korvel/images/korvel_logo_64.png"));
    logo->setAlignment(Qt::AlignTop);
    row->addWidget(logo);
    auto* text = new QLabel(tr("Are you sure you want to close Korvel?"), this);
    text->setObjectName("lbText");
    text->setWordWrap(true);
    row->addWidget(text, 1);
    column->addLayout(row);

    cbDontAsk = new QCheckBox(tr("Don't ask me again."), this);
    cbDontAsk->setObjectName("cbDontAsk");
    cbDontAsk->setChecked(g_config.closeAsk());
    column->addWidget(cbDontAsk);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    pbOK = new QPushButton(tr("OK"), this);
    pbOK->setObjectName("pbOK");
    pbOK->setDefault(true);
    pbCancel = new QPushButton(tr("Cancel"), this);
    pbCancel->setObjectName("pbCancel");
    buttons->addWidget(pbOK);
    buttons->addWidget(pbCancel);
    column->addLayout(buttons);

    connect(pbOK, &QAbstractButton::clicked, this, &QDialog::accept);
    connect(pbCancel, &QAbstractButton::clicked, this, &QDialog::reject);
    setMinimumWidth(340);
}

void UCDlgClose::accept() {
    g_config.setCloseAsk(cbDontAsk->isChecked());
    g_config.save();
    QDialog::accept();
}
