#pragma once

// The keyboard of the main window: one table of commands with their keys and
// descriptions. The window makes its actions from it, the "Keyboard shortcuts"
// page lists it, and tooltips name the keys of the control they belong to, so
// the three can never disagree.
//
// Threading: GUI thread only (the texts go through Qt's translation).

#include <QKeySequence>
#include <QList>
#include <QString>

namespace shortcuts {

enum class Command {
    PlayPause,
    Pause,
    Faster,
    FasterBackward,
    StepForward,
    StepBackward,
    Back5,
    Forward5,
    Back60,
    Forward60,
    First,
    Last,
    PreviousRecording,
    NextRecording,
    Split1,
    Split4,
    Split9,
    PreviousGroup,
    NextGroup,
    Snapshot,
    SaveFrame,
    FullScreen,
    LeaveFullScreen,
    CloseView,
    Open,
    Quit,
    VolumeDown,
    VolumeUp,
    Mute,
    MarkIn,
    MarkOut,
    Export,
    ShortcutsPage,
};

struct Entry {
    Command command;
    // Keys in QKeySequence's portable text; the second may be null.
    const char* keys[2];
    // Untranslated description (context "Shortcuts").
    const char* text;
};

// Every command in the order the shortcuts page lists them.
const QList<Entry>& table();
const Entry& entry(Command command);

QList<QKeySequence> keysOf(Command command);
// The keys as the user reads them ("Shift+Left", "F / F11").
QString keysText(Command command);
QString description(Command command);
// "tip (keys)": a control's tooltip with the keys of its command.
QString withKeys(const QString& tip, Command command);

}  // namespace shortcuts
