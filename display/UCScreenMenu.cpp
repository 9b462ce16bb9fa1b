#include "display/UCScreenMenu.h"

#include <QEvent>
#include <QIcon>
#include <QMenu>
#include <QMouseEvent>
#include <QResizeEvent>

#include "display/ViewHosts.h"
#include "ui_UCScreenMenu.h"
#include "widgets/CConfiguration.h"

UCScreenMenu::UCScreenMenu(QWidget* parent) : QWidget(parent), m_ui(new Ui::UCScreenMenu) {
    m_ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    setStyleSheet(g_config.screenMenuStyle());
    m_ui->lbMenuSiteName->clear();
    m_ui->lbMenuChTitle->clear();

    m_menu = new QMenu(this);
    m_zoomAction = m_menu->addAction(
        QIcon(QStringLiteral(":/Korvel/images/bt_vod_zoom_nor_16.png")), QString());
    m_zoomAction->setCheckable(true);
    m_captureAction = m_menu->addAction(
        QIcon(QStringLiteral(":/Korvel/images/bt_vod_capt_nor_16.png")), QString());
    m_printAction = m_menu->addAction(
        QIcon(QStringLiteral(":/Korvel/images/bt_vod_print_nor_16.png")), QString());
    m_ui->pbMenuDropDown->setMenu(m_menu);
    applyTexts();

    if (auto* host = dynamic_cast<IScreenMenuHost*>(parent)) {
        auto zoom = [host](bool checked) { host->slotZoomClicked(checked); };
        auto capture = [host] { host->slotCaptureClicked(); };
        auto print = [host] { host->slotPrintClicked(); };
        connect(m_ui->pbMenuClose, &QAbstractButton::clicked, parent,
                [host] { host->slotCloseClicked(); });
        connect(m_ui->pbMenuCapture, &QAbstractButton::clicked, parent, capture);
        connect(m_ui->pbMenuPrint, &QAbstractButton::clicked, parent, print);
        connect(m_ui->pbMenuZoom, &QAbstractButton::clicked, parent, zoom);
        connect(m_ui->pbMenuDropDown, &QAbstractButton::released, parent,
                [host] { host->slotDropDownClicked(); });
        connect(m_zoomAction, &QAction::triggered, parent, zoom);
        connect(m_captureAction, &QAction::triggered, parent, capture);
        connect(m_printAction, &QAction::triggered, parent, print);
    }

    // Not used by this viewer: there is no camera control or per-view audio
    // switch, and views are closed from the page.
    m_ui->pbMenuPTZ->hide();
    m_ui->pbMenuAudio->hide();
    m_ui->pbMenuClose->hide();
    installEventFilter(this);
}

UCScreenMenu::~UCScreenMenu() = default;

void UCScreenMenu::applyTexts() {
    m_ui->pbMenuClose->setToolTip(tr("Close"));
    m_ui->pbMenuCapture->setToolTip(tr("Capture"));
    m_ui->pbMenuPrint->setToolTip(tr("Print"));
    m_ui->pbMenuZoom->setToolTip(tr("D-Zoom"));
    m_zoomAction->setText(tr("D-Zoom"));
    m_captureAction->setText(tr("Capture"));
    m_printAction->setText(tr("Print"));
}

void UCScreenMenu::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        // The form's own texts are only designer placeholders; the labels keep
        // what the page put into them.
        const QString site = m_ui->lbMenuSiteName->text();
        const QString title = m_ui->lbMenuChTitle->text();
        m_ui->retranslateUi(this);
        m_ui->lbMenuSiteName->setText(site);
        m_ui->lbMenuChTitle->setText(title);
        applyTexts();
    }
    QWidget::changeEvent(event);
}

QLabel* UCScreenMenu::label(int type) const {
    switch (type) {
        case TextSiteName:
            return m_ui->lbMenuSiteName;
        case TextChannelTitle:
            return m_ui->lbMenuChTitle;
        default:
            return nullptr;
    }
}

void UCScreenMenu::setText(int type, const QString& text) {
    if (QLabel* l = label(type))
        l->setText(text);
}

void UCScreenMenu::setTextVisible(int type, bool visible) {
    if (QLabel* l = label(type))
        l->setVisible(visible);
}

bool UCScreenMenu::isTextVisible(int type) const {
    const QLabel* l = label(type);
    return l && !l->isHidden();
}

QString UCScreenMenu::fontSizeStyle(int size) {
    switch (size) {
        case 1:
            return QStringLiteral("font-size:14px;");
        case 2:
            return QStringLiteral("font-size:18px;");
        case 3:
            return QStringLiteral("font-size:22px;");
        default:
            return QStringLiteral("font-size:11px;");
    }
}

void UCScreenMenu::setFontSize(int size) {
    const QString style = fontSizeStyle(size);
    m_ui->lbMenuSiteName->setStyleSheet(style);
    m_ui->lbMenuChTitle->setStyleSheet(style);
}

void UCScreenMenu::showButtons(bool show) {
    m_ui->wgButtonMenu->setVisible(show);
}

bool UCScreenMenu::buttonsShown() const {
    return !m_ui->wgButtonMenu->isHidden();
}

void UCScreenMenu::setZoomChecked(bool checked) {
    m_ui->pbMenuZoom->setChecked(checked);
    m_zoomAction->setChecked(checked);
}

void UCScreenMenu::arrangeButtons(int width) {
    const bool wide = width >= m_ui->lbMenuSiteName->width() + m_ui->lbMenuChTitle->width() +
                                   6 * m_ui->pbMenuZoom->width();
    m_ui->pbMenuDropDown->setVisible(!wide);
    m_ui->pbMenuZoom->setVisible(wide);
    m_ui->pbMenuCapture->setVisible(wide);
    m_ui->pbMenuPrint->setVisible(wide);
}

void UCScreenMenu::resizeEvent(QResizeEvent* event) {
    arrangeButtons(event->size().width());
    QWidget::resizeEvent(event);
}

bool UCScreenMenu::eventFilter(QObject* watched, QEvent* event) {
    if (watched == this && event->type() == QEvent::MouseMove) {
        // The page may have left a resize or drag cursor on the view below.
        setCursor(Qt::ArrowCursor);
        emit signalMouseMove(static_cast<QMouseEvent*>(event));
    }
    return QWidget::eventFilter(watched, event);
}
