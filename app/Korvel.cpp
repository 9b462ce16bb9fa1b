#include "app/Korvel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/CConfiguration.h"

Korvel::Korvel(QWidget* parent) : QMainWindow(parent) {
    g_config.load();
    g_config.save();

    setObjectName("Korvel");
    setWindowTitle(tr("Korvel"));
    resize(1024, 640);

    auto* central = new QWidget(this);
    central->setObjectName("centralWidget");
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);

    auto* topBar = new QWidget(central);
    topBar->setObjectName("wgTopBar");
    auto* row = new QHBoxLayout(topBar);
    row->setContentsMargins(12, 4, 4, 4);
    auto* title = new QLabel(windowTitle(), topBar);
    title->setObjectName("lbTitle");
    row->addWidget(title);
    row->addStretch();
    auto* close = new QToolButton(topBar);
    close->setObjectName("pbClose");
    close->setText(QStringLiteral("\u2715"));
    close->setAutoRaise(true);
    connect(close, SIGNAL(clicked()), this, SLOT(close()));
    row->addWidget(close);
    column->addWidget(topBar);

    auto* logo = new QLabel(central);
    logo->setObjectName("labelLogo");
    logo->setPixmap(QPixmap(":/Korvel/images/korvel_logo_text.png"));
    logo->setAlignment(Qt::AlignCenter);
    column->addWidget(logo, 1);

    setCentralWidget(central);
}
