#include "setup/ShockSettingBox.h"

#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLocale>
#include <QSettings>
#include <QSpinBox>

#include <cmath>

const char* const ShockSettingBox::kKey = "EVENTS/SHOCK_THRESHOLD_G";

namespace {

// Tenths of g shown as g with one decimal: an integer spin box takes the
// skins' looks that a floating one would miss.
class TenthsSpinBox : public QSpinBox {
public:
    using QSpinBox::QSpinBox;

protected:
    QString textFromValue(int value) const override {
        return locale().toString(value / 10.0, 'f', 1);
    }
    int valueFromText(const QString& text) const override {
        QString number = text;
        number.remove(suffix());
        return static_cast<int>(std::lround(locale().toDouble(number.trimmed()) * 10.0));
    }
    QValidator::State validate(QString& text, int&) const override {
        if (text == specialValueText()) {
            return QValidator::Acceptable;
        }
        QString number = text;
        number.remove(suffix());
        bool ok = false;
        const double g = locale().toDouble(number.trimmed(), &ok);
        if (!ok) {
            return QValidator::Intermediate;
        }
        return g >= 0.0 && g * 10.0 <= maximum() + 0.5 ? QValidator::Acceptable
                                                       : QValidator::Invalid;
    }
};

}  // namespace

ShockSettingBox::ShockSettingBox(QWidget* parent) : QGroupBox(parent) {
    setObjectName("gbShockEvents");
    auto* grid = new QGridLayout(this);
    m_label = new QLabel(this);
    m_threshold = new TenthsSpinBox(this);
    m_threshold->setObjectName("sbShockThreshold");
    m_threshold->setRange(0, static_cast<int>(kMaxG * 10));
    m_threshold->setMinimumWidth(170);
    m_label->setBuddy(m_threshold);
    m_hint = new QLabel(this);
    m_hint->setWordWrap(true);
    grid->addWidget(m_label, 0, 0);
    grid->addWidget(m_threshold, 0, 1);
    grid->setColumnStretch(2, 1);
    grid->addWidget(m_hint, 1, 0, 1, 3);
    retranslate();
}

void ShockSettingBox::retranslate() {
    setTitle(tr("Shock events"));
    m_label->setText(tr("Threshold"));
    m_threshold->setSuffix(tr(" g"));
    m_threshold->setSpecialValueText(tr("From the recorder"));
    m_hint->setText(
        tr("From the recorder: the driving shock levels 1-10 of its setup, "
           "0.3 g + 0.2 g x (10 - level) per axis (level 5: 1.3 g)."));
}

void ShockSettingBox::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        retranslate();
    }
    QGroupBox::changeEvent(event);
}

void ShockSettingBox::load(const QSettings& store) {
    const double g = store.value(kKey, 0.0).toDouble();
    m_threshold->setValue(std::isfinite(g) ? static_cast<int>(std::lround(g * 10.0)) : 0);
}

void ShockSettingBox::save(QSettings& store) const {
    store.setValue(kKey, thresholdG());
}

double ShockSettingBox::thresholdG() const {
    return m_threshold->value() <= m_threshold->minimum() ? 0.0 : m_threshold->value() / 10.0;
}
