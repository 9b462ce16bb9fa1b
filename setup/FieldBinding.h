#pragma once

// Ties one field of the recorder's setup (SetupModel.h) to the control that
// shows it in the setup editor, and tells what a save must write for it.
//
// A control shows the stored value when it can. When it cannot (a frame rate
// of 45, a time zone of 95, a bit rate of 500, a sensitivity of 6, preset I on
// a recorder whose firmware does not offer it), it shows what comes closest
// and the stored text is kept: value() gives it back for as long as the user
// leaves the control as it was loaded. A save writes only fields whose control
// the user changed.
//
// Threading: GUI thread only.

#include <QList>
#include <QPair>
#include <QString>

#include "setup/SetupModel.h"

class QAbstractButton;
class QComboBox;
class QDateTimeEdit;
class QLabel;
class QLineEdit;
class QRadioButton;
class QSlider;

class FieldBinding {
public:
    explicit FieldBinding(const SetupField& field) : m_field(field) {}
    virtual ~FieldBinding() = default;
    FieldBinding(const FieldBinding&) = delete;
    FieldBinding& operator=(const FieldBinding&) = delete;

    const SetupField& field() const { return m_field; }

    // Shows `stored` and takes the control's state as the unchanged one.
    void load(const QString& stored);
    // Takes the control's present state as the loaded one, after a tab has
    // applied its interlocks (which may hide a stored value, as the GPS box
    // hides a ticked clock box).
    void settle();

    // The value a save stores: the stored text while the control is untouched
    // and cannot show it, else what the control shows.
    QString value() const;
    // What the control shows, as it would be stored.
    virtual QString shown() const = 0;
    // True when the control no longer shows what it showed after loading.
    bool changed() const { return shown() != m_loaded; }

protected:
    // Puts `stored` into the control; true when the control shows it exactly.
    virtual bool show(const QString& stored) = 0;

private:
    SetupField m_field;
    QString m_stored;
    QString m_loaded;
    bool m_exact = true;
};

class LineEditBinding : public FieldBinding {
public:
    LineEditBinding(const SetupField& field, QLineEdit* edit);
    QString shown() const override;

protected:
    bool show(const QString& stored) override;

private:
    QLineEdit* m_edit;
};

// Ticked for "1"; any other text shows unticked.
class CheckBinding : public FieldBinding {
public:
    CheckBinding(const SetupField& field, QAbstractButton* box);
    QString shown() const override;

protected:
    bool show(const QString& stored) override;

private:
    QAbstractButton* m_box;
};

// Fills the combo box with the field's entries. A stored value that is none
// of them is shown as an extra entry reading the stored text.
class ComboBinding : public FieldBinding {
public:
    ComboBinding(const SetupField& field, QComboBox* box);
    QString shown() const override;

protected:
    bool show(const QString& stored) override;

private:
    QComboBox* m_box;
};

// A slider whose positions stand for the field's values: the entries of a
// choice at positions 10, 20, ... (`positionStep` 10), or the numbers of a
// range at their own positions. `label` shows the position, or the stored
// text while the slider cannot show it. A value it cannot show puts the
// slider at `fallbackPosition` (or, for a range, at the nearest end).
class SliderBinding : public FieldBinding {
public:
    SliderBinding(const SetupField& field, QSlider* slider, QLabel* label, int positionStep,
                  int fallbackPosition);
    QString shown() const override;

protected:
    bool show(const QString& stored) override;

private:
    QString valueAt(int position) const;

    QSlider* m_slider;
    QLabel* m_label;
    int m_step;
    int m_fallback;
};

// One half (the date or the time) of a date-time edit that the tab fills
// itself from both stored texts.
class DateTimeBinding : public FieldBinding {
public:
    DateTimeBinding(const SetupField& field, QDateTimeEdit* edit);
    QString shown() const override;

protected:
    bool show(const QString& stored) override;

private:
    QDateTimeEdit* m_edit;
};

// Radio buttons, one per entry of a choice. An entry that is not available
// cannot be chosen; when it is the stored one, its button shows it checked
// (and the tab keeps it disabled).
class RadioBinding : public FieldBinding {
public:
    RadioBinding(const SetupField& field, const QList<QRadioButton*>& buttons);
    QString shown() const override;

protected:
    bool show(const QString& stored) override;

private:
    QList<QRadioButton*> m_buttons;
};

// Every changed field of `bindings`, as (key, value) pairs in their order.
QList<QPair<QString, QString>> changedFields(const QList<const FieldBinding*>& bindings);
