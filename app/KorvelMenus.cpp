// The main window's menus and keyboard: the right bar's split and stream
// choices, the context menus and the shortcut commands.

#include "app/Korvel.h"
#include "app/KorvelParts.h"

// ------------------------------------------------------------ right bar, menu

void Korvel::slotClickScreenMode() {
    if (m_currentPage == nullptr) {
        return;
    }
    QObject* from = sender();
    if (from == ui->pbLayout1) {
        setSplitMode(1);
    } else if (from == ui->pbLayout4) {
        setSplitMode(4);
    } else if (from == ui->pbLayout9) {
        setSplitMode(9);
    }
}

void Korvel::slotClickScreenModeNP() {
    if (m_currentPage == nullptr) {
        return;
    }
    m_currentPage->showGroup(sender() == ui->pbPrevious ? 1 : 2);
}

void Korvel::buildContextMenus() {
    auto action = [this](const char* text, bool checkable, void (Korvel::*slot)()) {
        auto* a = new QAction(tr(text), this);
        a->setCheckable(checkable);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    m_actCloseAll =
        action(QT_TR_NOOP("Close all Channels"), false, &Korvel::slotCloseAllCurrentPage);
    m_actCloseSelected = action(QT_TR_NOOP("Close the selected channels"), false,
                                &Korvel::slotCloseSelectedChannels);
    m_actAutoStream = action(QT_TR_NOOP("Auto Stream"), true, &Korvel::slotAutoStream);
    m_actFirstStream = action(QT_TR_NOOP("1st Stream"), true, &Korvel::slotFirstStream);
    m_actSecondStream = action(QT_TR_NOOP("2nd Stream"), true, &Korvel::slotSecondStream);
    m_actShowTextMode = action(QT_TR_NOOP("Mode(Live or PB)"), true, &Korvel::slotShowTextMode);
    m_actShowTextDateTime = action(QT_TR_NOOP("Date/Time"), true, &Korvel::slotShowTextDateTime);
    m_actShowTextResolution =
        action(QT_TR_NOOP("Resolution"), true, &Korvel::slotShowTextResolution);
    m_actShowTextChannelTitle =
        action(QT_TR_NOOP("Channel Title"), true, &Korvel::slotShowTextChannelTitle);
    m_actShowTextSiteName = action(QT_TR_NOOP("Site Name"), true, &Korvel::slotShowTextSiteName);
    m_actRefresh = action(QT_TR_NOOP("Refresh"), false, &Korvel::slotSiteRefreshClicked);
    m_actExport = new QAction(UCDlgExport::actionText(), this);
    m_actExport->setShortcuts(shortcuts::keysOf(shortcuts::Command::Export));
    m_actExport->setShortcutContext(Qt::WidgetShortcut);  // the window's own action has the key
    connect(m_actExport, &QAction::triggered, this, [this] { openExportDialog(); });
}

void Korvel::slotDisplayContextMenu(const QPoint& pos) {
    // The menu is about the view under the pointer, whichever was selected.
    GLWidget* view = nullptr;
    for (QWidget* w = ui->twDisplay->childAt(pos); w != nullptr && view == nullptr;
         w = w->parentWidget()) {
        view = qobject_cast<GLWidget*>(w);
    }
    QPointer<GLWidget> target = view;
    QMenu menu(this);
    menu.setObjectName("CONTEXT_MENU");
    if (view != nullptr && m_currentPage != nullptr) {
        m_currentPage->selectOnly(view);
        QWidget* page = m_currentPage->widget();
        auto onView = [&menu, target, page](const QString& text, const QString& icon,
                                           const char* name, auto&& act) {
            QAction* a = menu.addAction(text);
            a->setObjectName(name);
            if (!icon.isEmpty()) {
                a->setIcon(image(icon));
            }
            QObject::connect(a, &QAction::triggered, &menu, [target, page, act] {
                if (target) {
                    act(page, target.data());
                }
            });
            return a;
        };
        onView(shortcuts::withKeys(tr("Capture"), shortcuts::Command::Snapshot),
               "bt_vod_capt_nor_16.png", "actCapture",
               [this](QWidget* p, GLWidget* v) { slotCaptureClicked(p, v); });
        onView(shortcuts::withKeys(tr("Save frame"), shortcuts::Command::SaveFrame), QString(),
               "actSaveFrame", [this](QWidget* p, GLWidget* v) { slotSaveFrameClicked(p, v); });
        onView(tr("Print"), "bt_vod_print_nor_16.png", "actPrint",
               [this](QWidget* p, GLWidget* v) { slotPrintClicked(p, v); });
        onView(tr("Close channel"), "bt_vod_close_nor_24.png", "actCloseChannel",
               [this](QWidget*, GLWidget* v) {
                   if (m_currentPage != nullptr) {
                       m_currentPage->closeView(v);
                   }
               });
        menu.addSeparator();
    }
    menu.addAction(m_actCloseAll);
    menu.addAction(m_actExport);
    menu.addSeparator();
    QMenu* texts = menu.addMenu(tr("Show Text"));
    texts->setObjectName("menuShowText");
    // Each text switch acts on the view the menu is about.
    struct Toggle {
        QAction* action;
        bool top;
        int type;
    };
    const Toggle toggles[] = {
        {m_actShowTextSiteName, true, 0},   {m_actShowTextChannelTitle, true, 1},
        {m_actShowTextMode, false, 0},      {m_actShowTextDateTime, false, 3},
        {m_actShowTextResolution, false, 4},
    };
    const bool hasSite = view != nullptr ? view->sourceOf(0) != nullptr
                                         : m_currentPage != nullptr &&
                                               m_currentPage->selectedHasSite();
    for (const Toggle& t : toggles) {
        if (view == nullptr) {
            texts->addAction(t.action);
            if (hasSite) {
                t.action->setChecked(t.top ? m_currentPage->isTopTextShown(t.type)
                                           : m_currentPage->isBottomTextShown(t.type));
            }
            continue;
        }
        QAction* a = texts->addAction(t.action->text());
        a->setCheckable(true);
        a->setChecked(t.top ? view->isTopTextVisible(t.type) : view->isBottomTextVisible(t.type));
        const bool top = t.top;
        const int type = t.type;
        connect(a, &QAction::triggered, &menu, [target, top, type](bool on) {
            if (!target) {
                return;
            }
            if (top) {
                target->setTopTextVisible(type, on);
            } else {
                target->setBottomTextVisible(type, on);
            }
        });
    }
    texts->setEnabled(hasSite);
    if (view == nullptr) {
        menu.addSeparator();
        menu.addAction(shortcutAction(shortcuts::Command::Open));
    }
    m_displayMenu = &menu;
    menu.exec(QCursor::pos());
}

void Korvel::slotSiteListContextMenu(const QPoint& pos) {
    QMenu menu(this);
    menu.setObjectName("CONTEXT_MENU");
    menu.addAction(m_actRefresh);
    m_siteListMenu = &menu;
    menu.exec(ui->twSiteList->viewport()->mapToGlobal(pos));
}

void Korvel::slotCloseAllCurrentPage() {
    if (m_currentPage != nullptr) {
        m_currentPage->closeAllViews();
    }
    clearReadOuts();
}

void Korvel::slotCloseSelectedChannels() {
    if (m_currentPage != nullptr) {
        m_currentPage->closeSelectedViews();
    }
}

void Korvel::slotAutoStream() {
    if (m_currentPage != nullptr) {
        m_currentPage->setStreamType(0);
    }
}

void Korvel::slotFirstStream() {
    if (m_currentPage != nullptr) {
        m_currentPage->setStreamType(1);
    }
}

void Korvel::slotSecondStream() {
    if (m_currentPage != nullptr) {
        m_currentPage->setStreamType(2);
    }
}

void Korvel::toggleTopText(int type) {
    if (m_currentPage != nullptr) {
        m_currentPage->setTopTextShown(type, !m_currentPage->isTopTextShown(type));
    }
}

void Korvel::toggleBottomText(int type) {
    if (m_currentPage != nullptr) {
        m_currentPage->setBottomTextShown(type, !m_currentPage->isBottomTextShown(type));
    }
}

void Korvel::slotShowTextMode() {
    toggleBottomText(0);
}

void Korvel::slotShowTextDateTime() {
    toggleBottomText(3);
}

void Korvel::slotShowTextResolution() {
    toggleBottomText(4);
}

void Korvel::slotShowTextChannelTitle() {
    toggleTopText(1);
}

void Korvel::slotShowTextSiteName() {
    toggleTopText(0);
}

// ------------------------------------------------------------------ keyboard

void Korvel::buildShortcuts() {
    using shortcuts::Command;
    for (const shortcuts::Entry& e : shortcuts::table()) {
        auto* action = new QAction(shortcuts::description(e.command), this);
        action->setShortcuts(shortcuts::keysOf(e.command));
        // Whenever the window is active, wherever the focus is in it.
        action->setShortcutContext(Qt::WindowShortcut);
        const Command command = e.command;
        connect(action, &QAction::triggered, this, [this, command] { runCommand(command); });
        addAction(action);
        m_shortcutActions.append({e.command, action});
    }
    // Esc means nothing outside full screen; free, it still closes popups.
    shortcutAction(Command::LeaveFullScreen)->setEnabled(false);
    setShortcutTooltips();
}

QAction* Korvel::shortcutAction(shortcuts::Command command) const {
    for (const auto& entry : m_shortcutActions) {
        if (entry.first == command) {
            return entry.second;
        }
    }
    return nullptr;
}

void Korvel::setShortcutTooltips() {
    using shortcuts::Command;
    using shortcuts::withKeys;
    ui->pbLayout1->setToolTip(withKeys(tr("One view"), Command::Split1));
    ui->pbLayout4->setToolTip(withKeys(tr("Four views"), Command::Split4));
    ui->pbLayout9->setToolTip(withKeys(tr("Nine views"), Command::Split9));
    ui->pbPrevious->setToolTip(withKeys(tr("Previous channels"), Command::PreviousGroup));
    ui->pbNext->setToolTip(withKeys(tr("Next channels"), Command::NextGroup));
    ui->pbHelp->setToolTip(withKeys(tr("About Korvel"), Command::ShortcutsPage));
    ui->pbClose->setToolTip(withKeys(tr("Close"), Command::Quit));
    ui->pbMaximize->setToolTip(withKeys(tr("Maximize"), Command::FullScreen));
    if (auto* open = findChild<QPushButton*>("pbOpen")) {
        open->setToolTip(withKeys(tr("Open a card or a day folder"), Command::Open));
    }
    m_timeline->setToolTip(QString("%1\n%2: %3 / %4   %5: %6 / %7")
                               .arg(tr("Click or drag to play from there; the wheel zooms."),
                                    tr("5 s"), shortcuts::keysText(Command::Back5),
                                    shortcuts::keysText(Command::Forward5), tr("60 s"),
                                    shortcuts::keysText(Command::Back60),
                                    shortcuts::keysText(Command::Forward60)));
}

bool Korvel::keepsNavigationKeys(QObject* watched, QEvent* event) const {
    // The folder tree and the file list keep the keys that move in them
    // while they have the focus; every other key still reaches the window.
    if (event->type() != QEvent::ShortcutOverride ||
        (watched != ui->twSiteList && watched != ui->twFileList)) {
        return false;
    }
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier)) {
        return false;
    }
    switch (key->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Home:
        case Qt::Key_End:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            return true;
        default:
            return false;
    }
}

void Korvel::runCommand(shortcuts::Command command) {
    using shortcuts::Command;
    UCPlaybackStrip* strip = ui->wgPlayControls;
    switch (command) {
        case Command::PlayPause:
            strip->slotPBPauseContinue();
            break;
        case Command::Pause:
            strip->slotPause();
            break;
        case Command::Faster:
            strip->slotFaster();
            break;
        case Command::FasterBackward:
            strip->slotFasterBackward();
            break;
        case Command::StepForward:
            strip->slotStepForward();
            break;
        case Command::StepBackward:
            strip->slotStepBackward();
            break;
        case Command::Back5:
            seekBy(-5);
            break;
        case Command::Forward5:
            seekBy(5);
            break;
        case Command::Back60:
            seekBy(-60);
            break;
        case Command::Forward60:
            seekBy(60);
            break;
        case Command::First:
            strip->slotGotoFirst();
            break;
        case Command::Last:
            strip->slotGotoLast();
            break;
        case Command::PreviousRecording:
            jumpRecording(-1);
            break;
        case Command::NextRecording:
            jumpRecording(1);
            break;
        case Command::Split1:
            setSplitMode(1);
            break;
        case Command::Split4:
            setSplitMode(4);
            break;
        case Command::Split9:
            setSplitMode(9);
            break;
        case Command::PreviousGroup:
        case Command::NextGroup:
            if (m_currentPage != nullptr) {
                m_currentPage->showGroup(command == Command::PreviousGroup ? 1 : 2);
            }
            break;
        case Command::Snapshot:
        case Command::SaveFrame:
            if (m_currentPage != nullptr) {
                if (GLWidget* view = m_currentPage->firstSelectedView()) {
                    if (command == Command::Snapshot) {
                        slotCaptureClicked(m_currentPage->widget(), view);
                    } else {
                        slotSaveFrameClicked(m_currentPage->widget(), view);
                    }
                }
            }
            break;
        case Command::FullScreen:
            setFullScreenMode(!m_fullScreen);
            break;
        case Command::LeaveFullScreen:
            setFullScreenMode(false);
            break;
        case Command::CloseView:
            if (m_currentPage != nullptr) {
                m_currentPage->askCloseSelectedViews();
            }
            break;
        case Command::Open:
            slotOpenFolderDialog();
            break;
        case Command::Quit:
            slotCloseDlg(false);
            break;
        case Command::VolumeDown:
            strip->slotVolumeDown();
            break;
        case Command::VolumeUp:
            strip->slotVolumeUp();
            break;
        case Command::Mute:
            strip->slotToggleMute();
            break;
        case Command::MarkIn:
            markIn();
            break;
        case Command::MarkOut:
            markOut();
            break;
        case Command::Export:
            openExportDialog();
            break;
        case Command::ShortcutsPage:
            slotShowShortcuts();
            break;
    }
}

void Korvel::slotShowShortcuts() {
    UCDlgShortcuts page(this);
    page.setStyleSheet(g_config.appStyle());
    page.exec();
}
