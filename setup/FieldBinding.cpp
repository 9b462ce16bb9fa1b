#include "setup/FieldBinding.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>

#include <algorithm>

void FieldBinding::load(const QString& stored) {
    m_stored = stored;
    m_exact = show(stored);
    m_loaded = shown();
}

void FieldBinding::settle() {
    m_exact = m_exact && shown() == m_stored;
    m_loaded = shown();
}

QString FieldBinding::value() const {
    return !m_exact && !changed() ? m_stored : shown();
}

LineEditBinding::LineEditBinding(const SetupField& field, QLineEdit* edit)
    : FieldBinding(field), m_edit(edit) {
    m_edit->setMaxLength(field.maxLength);
}

bool LineEditBinding::show(const QString& stored) {
    // A longer stored text is shown whole (a line edit would cut it); it can
    // be shortened, not lengthened.
    m_edit->setMaxLength(std::max(field().maxLength, static_cast<int>(stored.size())));
    m_edit->setText(stored);
    return m_edit->text() == stored;
}

QString LineEditBinding::shown() const {
    return m_edit->text();
}

CheckBinding::CheckBinding(const SetupField& field, QAbstractButton* box)
    : FieldBinding(field), m_box(box) {}

bool CheckBinding::show(const QString& stored) {
    m_box->setChecked(stored == "1" || stored.compare("true", Qt::CaseInsensitive) == 0);
    return stored == "1" || stored == "0";
}

QString CheckBinding::shown() const {
    return m_box->isChecked() ? "1" : "0";
}

ComboBinding::ComboBinding(const SetupField& field, QComboBox* box)
    : FieldBinding(field), m_box(box) {
    m_box->clear();
    for (const SetupEntry& entry : field.entries) {
        m_box->addItem(entry.text, entry.value);
    }
}

bool ComboBinding::show(const QString& stored) {
    while (m_box->count() > field().entries.size()) {
        m_box->removeItem(m_box->count() - 1);
    }
    const int index = field().entryIndex(stored);
    if (index >= 0) {
        m_box->setCurrentIndex(index);
        return true;
    }
    m_box->addItem(stored, stored);
    m_box->setCurrentIndex(m_box->count() - 1);
    return false;
}

QString ComboBinding::shown() const {
    return m_box->currentData().toString();
}

SliderBinding::SliderBinding(const SetupField& field, QSlider* slider, QLabel* label,
                             int positionStep, int fallbackPosition)
    : FieldBinding(field),
      m_slider(slider),
      m_label(label),
      m_step(positionStep),
      m_fallback(fallbackPosition) {}

QString SliderBinding::valueAt(int position) const {
    if (m_step <= 0) {
        return QString::number(position);
    }
    const int count = field().entries.size();
    const int index = std::clamp((position + m_step / 2) / m_step, 1, count) - 1;
    return field().entries.at(index).value;
}

bool SliderBinding::show(const QString& stored) {
    int position = m_fallback;
    bool exact = false;
    if (m_step > 0) {
        const int index = field().entryIndex(stored);
        exact = index >= 0;
        if (exact) {
            position = (index + 1) * m_step;
        }
    } else {
        bool ok = false;
        const int v = stored.toInt(&ok);
        exact = ok && QString::number(v) == stored && v >= field().min && v <= field().max;
        if (ok) {
            position = std::clamp(v, field().min, field().max);
        }
    }
    m_slider->setValue(position);
    // A range's label reads the value itself, so it can tell the stored one;
    // a choice's label reads the position the value stands for.
    m_label->setText(!exact && m_step <= 0 ? stored : QString::number(m_slider->value()));
    return exact;
}

QString SliderBinding::shown() const {
    return valueAt(m_slider->value());
}

DateTimeBinding::DateTimeBinding(const SetupField& field, QDateTimeEdit* edit)
    : FieldBinding(field), m_edit(edit) {}

bool DateTimeBinding::show(const QString& stored) {
    return shown() == stored;
}

QString DateTimeBinding::shown() const {
    return field().kind == FieldKind::Date ? m_edit->date().toString("yyyyMMdd")
                                           : m_edit->time().toString("hhmmss");
}

RadioBinding::RadioBinding(const SetupField& field, const QList<QRadioButton*>& buttons)
    : FieldBinding(field), m_buttons(buttons) {}

bool RadioBinding::show(const QString& stored) {
    // A checked button of an exclusive set cannot be unchecked directly.
    for (QRadioButton* button : m_buttons) {
        button->setAutoExclusive(false);
        button->setChecked(false);
        button->setAutoExclusive(true);
    }
    const int index = field().entryIndex(stored);
    if (index < 0 || index >= m_buttons.size()) {
        return false;
    }
    m_buttons.at(index)->setCheckable(true);
    m_buttons.at(index)->setChecked(true);
    return true;
}

QString RadioBinding::shown() const {
    for (int i = 0; i < m_buttons.size() && i < field().entries.size(); ++i) {
        if (m_buttons.at(i)->isChecked()) {
            return field().entries.at(i).value;
        }
    }
    return QString();
}

QList<QPair<QString, QString>> changedFields(const QList<const FieldBinding*>& bindings) {
    QList<QPair<QString, QString>> changes;
    for (const FieldBinding* binding : bindings) {
        if (binding->changed()) {
            changes.append({binding->field().key, binding->value()});
        }
    }
    return changes;
}
