#include "display/UCScreenBottomMenu.h"

#include <QEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QResizeEvent>
#include <algorithm>

#include "ui_UCScreenBottomMenu.h"
#include "widgets/CConfiguration.h"

UCScreenBottomMenu::UCScreenBottomMenu(QWidget* parent)
    : QWidget(parent), m_ui(new Ui::UCScreenBottomMenu) {
    m_ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    setStyleSheet(g_config.screenBottomMenuStyle());
    for (int type = TextMode; type <= TextResolution; ++type)
        label(type)->clear();
    setTextVisible(TextMode, g_config.showTextMode());
    setTextVisible(TextPtz, g_config.showTextPtz());
    setTextVisible(TextDZoom, g_config.showTextDZoom());
    setTextVisible(TextDateTime, g_config.showTextDateTime());
    setTextVisible(TextResolution, g_config.showTextResolution());
    setBackgroundColor(QColor(0, 0, 0, 0));
}

UCScreenBottomMenu::~UCScreenBottomMenu() = default;

QLabel* UCScreenBottomMenu::label(int type) const {
    switch (type) {
        case TextMode:
            return m_ui->lbMode;
        case TextPtz:
            return m_ui->lbPtz;
        case TextDZoom:
            return m_ui->lbDZoom;
        case TextDateTime:
            return m_ui->lbDateTime;
        case TextResolution:
            return m_ui->lbResolution;
        default:
            return nullptr;
    }
}

void UCScreenBottomMenu::setText(int type, const QString& text) {
    QLabel* l = label(type);
    if (!l)
        return;
    l->setText(text);
    if (type == TextDateTime || type == TextResolution)
        fitText(l);
}

void UCScreenBottomMenu::fitText(QLabel* label) {
    // Style sheets set the font when the label is polished; fit that font.
    label->ensurePolished();
    QFont font = label->font();
    font.setStretch(QFont::Unstretched);
    const int available = label->maximumWidth() - 2 * label->margin() - 1;
    const int needed = QFontMetrics(font).horizontalAdvance(label->text());
    int stretch = QFont::Unstretched;
    if (needed > available && needed > 0)
        stretch = std::max(70, available * 100 / needed);
    font.setStretch(stretch);
    label->setFont(font);
}

QString UCScreenBottomMenu::text(int type) const {
    const QLabel* l = label(type);
    return l ? l->text() : QString();
}

void UCScreenBottomMenu::setTextVisible(int type, bool visible) {
    QLabel* l = label(type);
    if (!l)
        return;
    if (type == TextResolution) {
        m_resolutionWanted = visible;
        applyResolutionVisibility(width());
    } else {
        l->setVisible(visible);
    }
}

bool UCScreenBottomMenu::isTextVisible(int type) const {
    if (type == TextResolution)
        return m_resolutionWanted;
    const QLabel* l = label(type);
    return l && !l->isHidden();
}

void UCScreenBottomMenu::setBackgroundColor(const QColor& color) {
    QPalette pal = m_ui->wgBottomMenuBk->palette();
    pal.setBrush(QPalette::Window, color);
    m_ui->wgBottomMenuBk->setPalette(pal);
    m_ui->wgBottomMenuBk->setAutoFillBackground(true);
    m_ui->wgBottomMenuBk->show();
}

QColor UCScreenBottomMenu::backgroundColor() const {
    return m_ui->wgBottomMenuBk->palette().color(QPalette::Window);
}

void UCScreenBottomMenu::applyResolutionVisibility(int width) {
    const int minWidth = m_ui->lbDateTime->maximumWidth() + 2 * m_ui->lbResolution->maximumWidth();
    m_ui->lbResolution->setVisible(m_resolutionWanted && width >= minWidth);
}

void UCScreenBottomMenu::resizeEvent(QResizeEvent* event) {
    applyResolutionVisibility(event->size().width());
    QWidget::resizeEvent(event);
}

void UCScreenBottomMenu::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        // Keep the page's texts; the form only has designer placeholders.
        QString texts[TextResolution + 1];
        for (int type = TextMode; type <= TextResolution; ++type)
            texts[type] = label(type)->text();
        m_ui->retranslateUi(this);
        for (int type = TextMode; type <= TextResolution; ++type)
            label(type)->setText(texts[type]);
    }
    QWidget::changeEvent(event);
}
