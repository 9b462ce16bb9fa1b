#include "app/Shortcuts.h"

#include <QCoreApplication>

namespace shortcuts {

const QList<Entry>& table() {
    // 9 and 0 are the volume keys of common players; the 3 x 3 split keeps
    // its digit behind Ctrl, and 1 and 4 work with Ctrl too.
    static const QList<Entry> entries = {
        {Command::PlayPause, {"Space", nullptr}, QT_TRANSLATE_NOOP("Shortcuts", "Play or pause")},
        {Command::Pause, {"K", nullptr}, QT_TRANSLATE_NOOP("Shortcuts", "Pause")},
        {Command::Faster, {"L", nullptr},
         QT_TRANSLATE_NOOP("Shortcuts", "Play forward, faster each time (x1, x2 ... x64)")},
        {Command::FasterBackward, {"J", nullptr},
         QT_TRANSLATE_NOOP("Shortcuts", "Play backward, faster each time (x-1, x-2 ... x-64)")},
        {Command::StepForward, {".", nullptr},
         QT_TRANSLATE_NOOP("Shortcuts", "One picture forward")},
        {Command::StepBackward, {",", nullptr},
         QT_TRANSLATE_NOOP("Shortcuts", "One picture backward")},
        {Command::Back5, {"Left", nullptr}, QT_TRANSLATE_NOOP("Shortcuts", "5 seconds back")},
        {Command::Forward5, {"Right", nullptr},
         QT_TRANSLATE_NOOP("Shortcuts", "5 seconds forward")},
        {Command::Back60, {"Shift+Left", nullptr},
         QT_TRANSLATE_NOOP("Shortcuts", "60 seconds back")},
        {Command::Forward60, {"Shift+Right", nullptr},
         QT_TRANSLATE_NOOP("Shortcuts", "60 seconds forward")},
        {Command::First, {"Home", nullptr}, QT_TRANSLATE_NOOP("Shortcuts", "First recording")},
        {Command::Last, {"End", nullptr}, QT_TRANSLATE_NOOP("Shortcuts", "Last recording")},
        {Command::PreviousRecording, {"[", nullptr},
         QT_TRANSLATE_NOOP("Shortcuts", "Previous recording of the list")},
        {Command::NextRecording, {"]", nullptr},
         QT_TRANSLATE_NOOP("Shortcuts", "Next recording of the list")},
        {Command::Split1, {"1", "Ctrl+1"}, QT_TRANSLATE_NOOP("Shortcuts", "One view")},
        {Command::Split4, {"4", "Ctrl+4"}, QT_TRANSLATE_NOOP("Shortcuts", "Four views")},
        {Command::Split9, {"Ctrl+9", nullptr}, QT_TRANSLATE_NOOP("Shortcuts", "Nine views")},
        {Command::PreviousGroup, {"PgUp", nullptr},
         QT_TRANSLATE_NOOP("Shortcuts", "Previous group of views")},
        {Command::NextGroup, {"PgDown", nullptr},
         QT_TRANSLATE_NOOP("Shortcuts", "Next group of views")},
        {Command::Snapshot, {"S", nullptr},
         QT_TRANSLATE_NOOP("Shortcuts", "Capture the selected view as shown")},
        {Command::SaveFrame, {"Shift+S", nullptr},
         QT_TRANSLATE_NOOP("Shortcuts", "Save the selected view's picture at its own size")},
        {Command::FullScreen, {"F", "F11"}, QT_TRANSLATE_NOOP("Shortcuts", "Full screen on or off")},
        {Command::LeaveFullScreen, {"Esc", nullptr},
         QT_TRANSLATE_NOOP("Shortcuts", "Leave full screen")},
        {Command::CloseView, {"Del", nullptr},
         QT_TRANSLATE_NOOP("Shortcuts", "Close the selected view")},
        {Command::Open, {"Ctrl+O", nullptr},
         QT_TRANSLATE_NOOP("Shortcuts", "Open a card or a day folder")},
        {Command::Quit, {"Ctrl+Q", nullptr}, QT_TRANSLATE_NOOP("Shortcuts", "Quit")},
        {Command::VolumeDown, {"9", nullptr}, QT_TRANSLATE_NOOP("Shortcuts", "Volume down")},
        {Command::VolumeUp, {"0", nullptr}, QT_TRANSLATE_NOOP("Shortcuts", "Volume up")},
        {Command::Mute, {"M", nullptr}, QT_TRANSLATE_NOOP("Shortcuts", "Sound off or on")},
        {Command::MarkIn, {"I", nullptr},
         QT_TRANSLATE_NOOP("Shortcuts", "Start of the stretch to export (in point)")},
        {Command::MarkOut, {"O", nullptr},
         QT_TRANSLATE_NOOP("Shortcuts", "End of the stretch to export (out point)")},
        {Command::Export, {"Ctrl+E", nullptr},
         QT_TRANSLATE_NOOP("Shortcuts", "Export the stretch: clips, evidence video or track")},
        {Command::ShortcutsPage, {"F1", nullptr},
         QT_TRANSLATE_NOOP("Shortcuts", "This list of keys")},
    };
    return entries;
}

const Entry& entry(Command command) {
    for (const Entry& e : table()) {
        if (e.command == command) {
            return e;
        }
    }
    return table().first();
}

QList<QKeySequence> keysOf(Command command) {
    QList<QKeySequence> keys;
    for (const char* k : entry(command).keys) {
        if (k != nullptr) {
            keys << QKeySequence(QString::fromLatin1(k), QKeySequence::PortableText);
        }
    }
    return keys;
}

QString keysText(Command command) {
    QStringList parts;
    for (const QKeySequence& k : keysOf(command)) {
        parts << k.toString(QKeySequence::NativeText);
    }
    return parts.join(" / ");
}

QString description(Command command) {
    return QCoreApplication::translate("Shortcuts", entry(command).text);
}

QString withKeys(const QString& tip, Command command) {
    return QString("%1 (%2)").arg(tip, keysText(command));
}

}  // namespace shortcuts
